#include "framework/DockablePane.h"

#include "host/HostDocking.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <cstdlib>

namespace fw
{
namespace
{
template <class Fn>
Fn docbar(const char* name)
{
  HMODULE module = GetModuleHandleW(L"docbar.dll");
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

bool inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
} // namespace

bool CDockablePane::createPane(const wchar_t* title, HWND parent, DWORD style, const RECT& rect, UINT id)
{
  return create(L"fw.DockablePane", title, style | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, rect, parent, id,
                CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

RECT CDockablePane::contentRect() const
{
  RECT rect = clientRect();
  rect.top = rect.top + kCaptionHeight < rect.bottom ? rect.top + kCaptionHeight : rect.bottom;
  return rect;
}

RECT CDockablePane::closeButtonRect() const
{
  const RECT client = clientRect();
  return RECT{client.right - kCaptionHeight, client.top, client.right, client.top + kCaptionHeight};
}

bool CDockablePane::inCaption(POINT p) const
{
  RECT caption = clientRect();
  caption.bottom = caption.top + kCaptionHeight;
  return inside(caption, p) && !inside(closeButtonRect(), p);
}

void CDockablePane::ShowPane(bool show, bool, bool activate)
{
  if (!hwnd())
    return;
  ShowWindow(hwnd(), show ? (activate ? SW_SHOW : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CDockablePane::OnPressCloseButton() { ShowPane(false, false, false); }

void CDockablePane::focusMainControl()
{
  if (!hwnd())
    return;
  HWND target = focusTarget();
  SetFocus(target && IsWindowVisible(target) ? target : hwnd());
}

void CDockablePane::onPaint(HDC dc, const RECT&)
{
  const RECT client = clientRect();
  RECT caption{client.left, client.top, client.right, client.top + kCaptionHeight};
  HBRUSH fill = GetSysColorBrush(COLOR_INACTIVECAPTION);
  FillRect(dc, &caption, fill);
  RECT body{client.left, caption.bottom, client.right, client.bottom};
  FillRect(dc, &body, GetSysColorBrush(COLOR_BTNFACE));

  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INACTIVECAPTIONTEXT));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT textRect = caption;
  textRect.left += 6;
  textRect.right -= kCaptionHeight;
  const std::wstring title = text();
  DrawTextW(dc, title.c_str(), int(title.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);

  // The close glyph: two strokes across the button square.
  const RECT button = closeButtonRect();
  if (m_closeHot)
    FillRect(dc, &button, GetSysColorBrush(COLOR_BTNSHADOW));
  const win::Pen pen(CreatePen(PS_SOLID, 2, GetSysColor(COLOR_INACTIVECAPTIONTEXT)));
  {
    const win::SelectedObject selected(dc, pen.get());
    const int m = 7;
    MoveToEx(dc, button.left + m, button.top + m, nullptr);
    LineTo(dc, button.right - m, button.bottom - m);
    MoveToEx(dc, button.right - m, button.top + m, nullptr);
    LineTo(dc, button.left + m, button.bottom - m);
  }
  RestoreDC(dc, saved);
}

LRESULT CDockablePane::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK: // a second press soon after the first is a press too
  {
    const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
    if (inside(closeButtonRect(), p))
    {
      OnPressCloseButton();
      return 0;
    }
    if (inCaption(p))
    {
      m_captionHeld = true;
      m_captionPress = p;
      SetCapture(hwnd());
      return 0;
    }
    break;
  }
  case WM_LBUTTONUP:
    if (m_captionHeld)
    {
      m_captionHeld = false;
      ReleaseCapture();
      POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
      // A click on the caption is no drag.
      if (std::abs(p.x - m_captionPress.x) > GetSystemMetrics(SM_CXDRAG) ||
          std::abs(p.y - m_captionPress.y) > GetSystemMetrics(SM_CYDRAG))
      {
        ClientToScreen(hwnd(), &p);
        if (auto move = docbar<HostDockMovePaneFn>(HOST_EXPORT_DOCK_MOVE))
          move(hwnd(), p.x, p.y);
      }
      return 0;
    }
    break;
  case WM_CAPTURECHANGED:
    m_captionHeld = false;
    break;
  case WM_MOUSEMOVE:
  {
    const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
    if (m_captionHeld)
      SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
    const bool hot = inside(closeButtonRect(), p);
    if (hot != m_closeHot)
    {
      m_closeHot = hot;
      RECT button = closeButtonRect();
      InvalidateRect(hwnd(), &button, FALSE);
      if (hot)
      {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        TrackMouseEvent(&track);
      }
    }
    break;
  }
  case WM_MOUSELEAVE:
    if (m_closeHot)
    {
      m_closeHot = false;
      RECT button = closeButtonRect();
      InvalidateRect(hwnd(), &button, FALSE);
    }
    break;
  case WM_SETTEXT:
  {
    const LRESULT result = CWnd::windowProc(message, wParam, lParam);
    RECT caption = clientRect();
    caption.bottom = caption.top + kCaptionHeight;
    InvalidateRect(hwnd(), &caption, FALSE);
    return result;
  }
  case WM_ERASEBKGND:
    return 1; // the paint handler fills everything
  case WM_SETFOCUS:
    // The pane itself takes no keys: its main control does.
    if (HWND target = focusTarget(); target && IsWindowVisible(target))
    {
      focusMainControl();
      return 0;
    }
    break;
  default:
    break;
  }
  return CWnd::windowProc(message, wParam, lParam);
}

void hostUiPaletteSet::EnableDocking(DWORD sides)
{
  if (!hwnd() || m_docked)
    return;
  if (auto add = docbar<HostDockAddPaneFn>(HOST_EXPORT_DOCK_ADD))
    m_docked = add(hwnd(), unsigned(sides));
}

bool hostUiPaletteSet::CreateDocked(const wchar_t* title, HWND parent, DWORD style, UINT id, DWORD sides,
                                    UINT dockBarId)
{
  const RECT empty{0, 0, 0, 0};
  // Hidden until shown, whatever the style asks: a palette that is made but
  // not opened (an id that names no material) must not appear.
  if (!createPane(title, parent, style & ~DWORD(WS_VISIBLE), empty, id))
    return false;
  EnableDocking(sides);
  RestoreControlBar(dockBarId);
  return true;
}

bool hostUiPaletteSet::RestoreControlBar(UINT dockBarId)
{
  auto restore = docbar<HostDockRestorePaneFn>(HOST_EXPORT_DOCK_RESTORE);
  return m_docked && restore && restore(hwnd(), dockBarId);
}

void hostUiPaletteSet::ShowPane(bool show, bool delay, bool activate)
{
  if (!hwnd())
    return;
  auto showFn = docbar<HostDockShowPaneFn>(HOST_EXPORT_DOCK_SHOW);
  if (m_docked && showFn)
    showFn(hwnd(), show, activate);
  else
    CDockablePane::ShowPane(show, delay, activate);
}

void hostUiPaletteSet::onDestroy()
{
  if (m_docked)
    if (auto remove = docbar<HostDockRemovePaneFn>(HOST_EXPORT_DOCK_REMOVE))
      remove(hwnd());
  m_docked = false;
  CDockablePane::onDestroy();
}
} // namespace fw
