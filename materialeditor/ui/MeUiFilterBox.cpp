#include "ui/MeUiFilterBox.h"

#include "core/MeHost.h"
#include "win/MeHostTheme.h"
#include "win32/Dc.h"

#include <algorithm>
#include <vector>

namespace meui
{
namespace
{
constexpr UINT kClearButtonId = 1;

// The text and background colours the box is drawn in: the host's theme, or
// the system's without one.
COLORREF textColour()
{
  HostThemeService* theme = me::hostTheme();
  return theme ? COLORREF(theme->textColor()) : GetSysColor(COLOR_WINDOWTEXT);
}
COLORREF backgroundColour()
{
  HostThemeService* theme = me::hostTheme();
  return theme ? COLORREF(theme->windowBackgroundColor()) : GetSysColor(COLOR_WINDOW);
}

// The theme's grey: halfway between its text and its background, so that the
// cue reads as a hint on light and dark alike.
COLORREF cueColour()
{
  const COLORREF a = textColour(), b = backgroundColour();
  return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}
} // namespace

bool MeUiFilterBox::create(HWND parent, UINT id, const OdString& cue, HFONT font)
{
  destroy();
  m_cue = cue;
  // Clipping the button's place keeps the edit from painting over it.
  m_box.attach(CreateWindowExW(0, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_CLIPCHILDREN | ES_AUTOHSCROLL, 0, 0,
                               10, 10, parent, reinterpret_cast<HMENU>(UINT_PTR(id)), nullptr, nullptr));
  if (!m_box || !subclass(m_box.get()))
  {
    m_box.reset();
    return false;
  }
  if (font)
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  m_clear = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW, 0, 0, 1, 1, hwnd(),
                            reinterpret_cast<HMENU>(UINT_PTR(kClearButtonId)), nullptr, nullptr);
  placeClearButton();
  return true;
}

void MeUiFilterBox::destroy()
{
  m_box.reset(); // WM_DESTROY lets go of the handle and the button
}

OdString MeUiFilterBox::text() const
{
  if (!hwnd())
    return OdString();
  std::vector<wchar_t> text(std::size_t(GetWindowTextLengthW(hwnd())) + 1);
  GetWindowTextW(hwnd(), text.data(), int(text.size()));
  return OdString(text.data());
}

void MeUiFilterBox::clear()
{
  if (hwnd() && GetWindowTextLengthW(hwnd()) > 0)
    SetWindowTextW(hwnd(), L""); // EN_CHANGE tells the parent
}

void MeUiFilterBox::textChanged()
{
  if (m_clear)
    ShowWindow(m_clear, hwnd() && GetWindowTextLengthW(hwnd()) > 0 ? SW_SHOWNA : SW_HIDE);
}

void MeUiFilterBox::placeClearButton()
{
  if (!m_clear)
    return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int side = std::max(1, int(client.bottom - client.top));
  SetWindowPos(m_clear, nullptr, client.right - side, 0, side, side, SWP_NOZORDER | SWP_NOACTIVATE);
  // The text never runs under the button.
  SendMessageW(hwnd(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, side));
}

LRESULT MeUiFilterBox::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_DESTROY:
    // Gone, whoever destroyed it (the parent takes it along): the handle is
    // never destroyed a second time, nor one reused for another window.
    m_box.detach();
    m_clear = nullptr;
    break;
  case WM_PAINT:
  {
    const LRESULT answer = previousProc(message, wParam, lParam);
    paintCue();
    return answer;
  }
  case WM_SETFOCUS:
  case WM_KILLFOCUS: InvalidateRect(hwnd(), nullptr, TRUE); break;
  case WM_SIZE:
  {
    const LRESULT answer = previousProc(message, wParam, lParam);
    placeClearButton();
    return answer;
  }
  case WM_KEYDOWN:
    if (wParam == VK_ESCAPE)
    {
      clear();
      return 0;
    }
    if (wParam == VK_DOWN && onDown)
    {
      onDown();
      return 0;
    }
    break;
  case WM_CHAR:
    if (wParam == VK_ESCAPE)
      return 0;
    break;
  case WM_COMMAND:
    if (LOWORD(wParam) == kClearButtonId && HWND(lParam) == m_clear && HIWORD(wParam) == BN_CLICKED)
    {
      clear();
      SetFocus(hwnd()); // the press took it to the button
      return 0;
    }
    break;
  case WM_DRAWITEM:
  {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item && item->hwndItem == m_clear)
    {
      drawClearButton(*item);
      return TRUE;
    }
    break;
  }
  default: break;
  }
  return previousProc(message, wParam, lParam);
}

void MeUiFilterBox::paintCue()
{
  if (GetWindowTextLengthW(hwnd()) > 0 || GetFocus() == hwnd() || m_cue.isEmpty())
    return;
  const win::ClientDc dc(hwnd());
  if (!dc)
    return;
  RECT place{};
  SendMessageW(hwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&place));
  const win::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  SetTextColor(dc.get(), cueColour());
  SetBkMode(dc.get(), TRANSPARENT);
  DrawTextW(dc.get(), m_cue.c_str(), -1, &place, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void MeUiFilterBox::drawClearButton(const DRAWITEMSTRUCT& item)
{
  const RECT& r = item.rcItem;
  const win::Brush fill(CreateSolidBrush(backgroundColour()));
  FillRect(item.hDC, &r, fill.get());
  // A cross a third of the button across, thicker while pressed.
  const int side = std::min(r.right - r.left, r.bottom - r.top);
  const int arm = std::max(2, side / 6);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const win::Pen pen(CreatePen(PS_SOLID, (item.itemState & ODS_SELECTED) ? 2 : 1, textColour()));
  const win::SelectedObject selected(item.hDC, pen.get());
  MoveToEx(item.hDC, cx - arm, cy - arm, nullptr);
  LineTo(item.hDC, cx + arm + 1, cy + arm + 1);
  MoveToEx(item.hDC, cx + arm, cy - arm, nullptr);
  LineTo(item.hDC, cx - arm - 1, cy + arm + 1);
}
} // namespace meui
