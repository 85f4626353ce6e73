#include "framework/ListCtrl.h"

#include "framework/ModuleState.h"
#include "win32/Dc.h"

#include <windowsx.h>

namespace fw
{
bool CListCtrl::create(DWORD style, const RECT& rect, HWND parent, UINT id)
{
  m_window.attach(CreateWindowExW(0, WC_LISTVIEWW, L"", style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  moduleInstance(), nullptr));
  return bool(m_window) && hook();
}

// The wide messages by name: nothing here depends on UNICODE being defined.
int CListCtrl::insertItem(int index, const wchar_t* text, int image, LPARAM data)
{
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text);
  item.iImage = image;
  item.lParam = data;
  return int(SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::findItemByData(LPARAM data) const
{
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = data;
  return int(SendMessageW(hwnd(), LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
}

LPARAM CListCtrl::itemData(int index) const
{
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  return SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

int CListCtrl::itemImage(int index) const
{
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  return SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
}

void CListCtrl::setItem(int index, const wchar_t* text, int image)
{
  LVITEMW item{};
  item.mask = LVIF_IMAGE | (text ? LVIF_TEXT : 0);
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text);
  item.iImage = image;
  SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CListCtrl::select(int index)
{
  ListView_SetItemState(hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(hwnd(), index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(hwnd(), index);
}

bool CListCtrl::itemScreenRect(int index, int part, RECT& rect) const
{
  if (index < 0 || !ListView_GetItemRect(hwnd(), index, &rect, part))
    return false;
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return true;
}

HWND CListCtrl::labelEditor() const
{
  HWND editor = ListView_GetEditControl(hwnd());
  return editor && IsWindow(editor) ? editor : nullptr;
}

void CListCtrl::cancelLabelEdit()
{
  if (!labelEditor())
    return;
  SendMessageW(hwnd(), LVM_CANCELEDITLABEL, 0, 0);
  // A list that knows no LVM_CANCELEDITLABEL takes Esc in its edit box.
  if (HWND editor = labelEditor())
    SendMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 0);
}

void CListCtrl::setBackground(COLORREF colour)
{
  ListView_SetBkColor(hwnd(), colour);
  ListView_SetTextBkColor(hwnd(), colour);
}

namespace
{
constexpr UINT_PTR kListHookId = 0x4C53; // "LS"

void fill(HDC dc, const RECT& rect, COLORREF colour)
{
  const win::Brush brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.get());
}

// A small triangle pointing away from the middle of the bar: up, down, left or right.
void arrowGlyph(HDC dc, const RECT& button, int dx, int dy, COLORREF colour)
{
  const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
  for (int step = 0; step < 4; ++step)
  {
    const int along = (2 - step); // the tip row first
    RECT line{};
    if (dx == 0)
      line = RECT{cx - step, cy + dy * along, cx + step + 1, cy + dy * along + 1};
    else
      line = RECT{cx + dx * along, cy - step, cx + dx * along + 1, cy + step + 1};
    fill(dc, line, colour);
  }
}

// One bar as the system lays it out: arrow buttons at its ends, the thumb between.
void paintBar(HDC dc, HWND window, LONG object, bool vertical, const CListCtrl::ScrollBarColours& colours,
              RECT* painted)
{
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  if (!GetScrollBarInfo(window, object, &info) || (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)))
    return;
  RECT frame{};
  GetWindowRect(window, &frame);
  RECT bar = info.rcScrollBar;
  OffsetRect(&bar, -frame.left, -frame.top);
  if (IsRectEmpty(&bar))
    return;
  *painted = bar;
  fill(dc, bar, colours.track);
  // Square arrow buttons, as wide as the bar (not every system fills in dxyLineButton).
  const int button = vertical ? int(bar.right - bar.left) : int(bar.bottom - bar.top);
  RECT first = bar, second = bar;
  if (vertical)
  {
    first.bottom = first.top + button;
    second.top = second.bottom - button;
  }
  else
  {
    first.right = first.left + button;
    second.left = second.right - button;
  }
  arrowGlyph(dc, first, vertical ? 0 : -1, vertical ? -1 : 0, colours.arrow);
  arrowGlyph(dc, second, vertical ? 0 : 1, vertical ? 1 : 0, colours.arrow);
  if (info.xyThumbBottom <= info.xyThumbTop || (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE))
    return;
  RECT thumb = bar;
  if (vertical)
  {
    thumb.top = bar.top + info.xyThumbTop;
    thumb.bottom = bar.top + info.xyThumbBottom;
    InflateRect(&thumb, -2, 0);
  }
  else
  {
    thumb.left = bar.left + info.xyThumbTop;
    thumb.right = bar.left + info.xyThumbBottom;
    InflateRect(&thumb, 0, -2);
  }
  fill(dc, thumb, colours.thumb);
}

// The messages after which the system may have drawn a scroll bar again.
bool mayRedrawScrollBars(UINT message)
{
  switch (message)
  {
  case WM_NCPAINT:
  case WM_PAINT:
  case WM_VSCROLL:
  case WM_HSCROLL:
  case WM_MOUSEWHEEL:
  case WM_MOUSEHWHEEL:
  case WM_SIZE:
  case WM_WINDOWPOSCHANGED:
  case WM_KEYDOWN:
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONUP:
  case WM_NCLBUTTONDBLCLK:
  case WM_NCMOUSEMOVE:
  case WM_NCMOUSELEAVE:
  case WM_SETREDRAW:
  case WM_STYLECHANGED:
  case WM_TIMER:
  case WM_CAPTURECHANGED:
  case WM_ENABLE:
  case WM_LBUTTONUP: return true;
  default: return message >= LVM_FIRST && message < LVM_FIRST + 0x100;
  }
}
} // namespace

void CListCtrl::setScrollBarColours(const ScrollBarColours& colours)
{
  m_scrollBars = colours;
  if (!hwnd())
    return;
  hook();
  // The frame again: the system's bars, then these colours over them.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool CListCtrl::hook()
{
  if (!m_hooked && hwnd())
    m_hooked = SetWindowSubclass(hwnd(), &CListCtrl::listHook, kListHookId, DWORD_PTR(this)) != FALSE;
  return m_hooked;
}

LRESULT CALLBACK CListCtrl::listHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self)
{
  auto* list = reinterpret_cast<CListCtrl*>(self);
  if (message == WM_NCDESTROY)
  {
    RemoveWindowSubclass(window, &CListCtrl::listHook, kListHookId);
    list->m_hooked = false;
    return DefSubclassProc(window, message, wParam, lParam);
  }
  if (message == WM_LBUTTONDOWN)
  {
    // Before the list acts on the press (and perhaps scrolls).
    LVHITTESTINFO hit{};
    hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int index = ListView_HitTest(window, &hit);
    list->m_pressedItem = index >= 0 && (hit.flags & LVHT_ONITEM) ? index : -1;
  }
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (mayRedrawScrollBars(message))
    list->paintScrollBars();
  return result;
}

void CListCtrl::paintScrollBars() const
{
  if (m_scrollBars.track == CLR_DEFAULT || !IsWindowVisible(hwnd()))
    return;
  const win::WindowDc windowDc(hwnd());
  const HDC dc = windowDc.get();
  if (!dc)
    return;
  RECT vertical{}, horizontal{};
  paintBar(dc, hwnd(), OBJID_VSCROLL, true, m_scrollBars, &vertical);
  paintBar(dc, hwnd(), OBJID_HSCROLL, false, m_scrollBars, &horizontal);
  // The corner between two bars.
  if (!IsRectEmpty(&vertical) && !IsRectEmpty(&horizontal))
    fill(dc, RECT{vertical.left, horizontal.top, vertical.right, horizontal.bottom}, m_scrollBars.track);
}

void CListCtrl::setNormalImages(HIMAGELIST images)
{
  if (HIMAGELIST previous = ListView_SetImageList(hwnd(), images, LVSIL_NORMAL))
    if (previous != images)
      ImageList_Destroy(previous);
}

void CListCtrl::setViewType(DWORD type)
{
  const DWORD style = DWORD(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  SetWindowLongPtrW(hwnd(), GWL_STYLE, LONG_PTR((style & ~DWORD(LVS_TYPEMASK)) | (type & LVS_TYPEMASK)));
}

int CListCtrl::textLineHeight() const
{
  const win::ClientDc dc(hwnd());
  if (!dc)
    return 0;
  const win::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  return GetTextMetricsW(dc.get(), &metrics) ? int(metrics.tmHeight) : 0;
}

void CListCtrl::setRedraw(bool on)
{
  SendMessageW(hwnd(), WM_SETREDRAW, on, 0);
  if (on)
    InvalidateRect(hwnd(), nullptr, TRUE);
}
} // namespace fw
