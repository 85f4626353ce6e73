#include "GridTip.h"

#include "win32/Dc.h"

#include <commctrl.h>

#include <vector>

namespace inspctl
{
namespace
{
// Rows draw their value inset by this much on each side (KtProperty's Draw).
constexpr int kTextInset = 2;
constexpr UINT_PTR kToolId = 1;

TTTOOLINFOW toolOf(HWND list)
{
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = list;
  tool.uId = kToolId;
  return tool;
}
} // namespace

OdString cutTextTip(HWND list, const RECT& cell, const OdString& text)
{
  if (text.isEmpty())
    return OdString();
  win::ClientDc dc(list);
  // The font the list box draws its rows in; without one, the DC's own.
  const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  win::SelectedObject useFont(dc.get(), font ? HGDIOBJ(font) : GetCurrentObject(dc.get(), OBJ_FONT));
  SIZE size{};
  if (!GetTextExtentPoint32W(dc.get(), text.c_str(), text.getLength(), &size))
    return OdString();
  return size.cx > (cell.right - cell.left) - 2 * kTextInset ? text : OdString();
}

bool GridTip::made(HWND list)
{
  if (m_window && m_list == list)
    return true;
  m_window.reset();
  m_list = list;
  // Always: the host's window need not be the active one for a tip to help.
  m_window.attach(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list, GWLP_HINSTANCE)), nullptr));
  if (!m_window)
    return false;
  subclass(m_window.get());
  // No tool rectangle yet: nothing shows until the pointer finds a cut text.
  TTTOOLINFOW tool = toolOf(list);
  tool.uFlags = 0;
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(m_window.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  m_place = Place();
  return true;
}

void GridTip::moveTo(HWND list, const Place& place)
{
  if (!made(list))
    return;
  const bool same = EqualRect(&place.cell, &m_place.cell) && place.tip == m_place.tip;
  if (same)
    return;
  m_place = place;
  SendMessageW(m_window.get(), TTM_POP, 0, 0);
  TTTOOLINFOW tool = toolOf(list);
  // A cell without a tip is no tool: the control shows nothing over it.
  tool.rect = m_place.tip.isEmpty() ? RECT{} : m_place.cell;
  SendMessageW(m_window.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  tool.lpszText = const_cast<wchar_t*>(m_place.tip.c_str());
  SendMessageW(m_window.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void GridTip::relayMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (!m_window)
    return;
  MSG relayed{list, message, wParam, lParam, DWORD(GetMessageTime()), {}};
  const DWORD at = GetMessagePos();
  relayed.pt = POINT{short(LOWORD(at)), short(HIWORD(at))};
  SendMessageW(m_window.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

LRESULT GridTip::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_PAINT:
  {
    PAINTSTRUCT ps{};
    if (HDC dc = BeginPaint(hwnd(), &ps))
    {
      paint(dc);
      EndPaint(hwnd(), &ps);
    }
    return 0;
  }
  case WM_PRINTCLIENT: paint(reinterpret_cast<HDC>(wParam)); return 0;
  default: return previousProc(message, wParam, lParam);
  }
}

void GridTip::paint(HDC dc)
{
  RECT client{};
  GetClientRect(hwnd(), &client);
  const win::Brush background(CreateSolidBrush(COLORREF(SendMessageW(hwnd(), TTM_GETTIPBKCOLOR, 0, 0))));
  FillRect(dc, &client, background.get());
  const OdString& text = m_place.tip;
  if (text.isEmpty())
    return;
  const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  win::SelectedObject useFont(dc, font ? HGDIOBJ(font) : GetCurrentObject(dc, OBJ_FONT));
  // The control measured the text with these advances when it sized the
  // tip; drawn at them, the text fills exactly the room it was given.
  std::vector<int> ends(std::size_t(text.getLength()));
  SIZE size{};
  if (!GetTextExtentExPointW(dc, text.c_str(), text.getLength(), 0, nullptr, ends.data(), &size))
    return;
  std::vector<int> advances(ends.size());
  for (std::size_t i = 0; i < ends.size(); ++i)
    advances[i] = ends[i] - (i ? ends[i - 1] : 0);
  RECT margin{};
  SendMessageW(hwnd(), TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
  SetTextColor(dc, COLORREF(SendMessageW(hwnd(), TTM_GETTIPTEXTCOLOR, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  // The control's own inset: two pixels and its margin.
  ExtTextOutW(dc, client.left + 2 + margin.left, client.top + 2 + margin.top, 0, nullptr, text.c_str(),
              UINT(text.getLength()), advances.data());
}

void GridTip::reset()
{
  if (!m_window)
    return;
  SendMessageW(m_window.get(), TTM_POP, 0, 0);
  // The cell under the pointer is looked for again at its next move.
  moveTo(m_list, Place());
}
} // namespace inspctl
