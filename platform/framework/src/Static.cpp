#include "framework/Static.h"

#include "framework/ModuleState.h"

#include "win32/Dc.h"

namespace fw
{
CStatic::~CStatic() { destroy(); }

bool CStatic::subclassDlgItem(HWND dialog, int id) { return dialog && attach(GetDlgItem(dialog, id)); }

bool CStatic::attach(HWND control)
{
  if (!subclass(control))
    return false;
  m_created = false;
  return true;
}

bool CStatic::create(HWND parent, const RECT& rect, UINT id, DWORD style)
{
  if (hwnd())
    return false;
  HINSTANCE instance = moduleInstance() ? moduleInstance() : GetModuleHandleW(nullptr);
  HWND control =
    CreateWindowExW(0, L"STATIC", L"", style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                    parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
  if (!control)
    return false;
  if (!subclass(control))
  {
    DestroyWindow(control);
    return false;
  }
  m_created = true;
  return true;
}

void CStatic::destroy()
{
  HWND control = hwnd();
  const bool owned = m_created;
  m_created = false;
  unsubclass();
  if (owned && control && IsWindow(control))
    DestroyWindow(control);
}

RECT CStatic::clientRect() const
{
  RECT rect{};
  if (hwnd())
    GetClientRect(hwnd(), &rect);
  return rect;
}

void CStatic::redrawNow()
{
  if (hwnd())
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CStatic::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_PAINT:
    if (hasOwnPaint())
    {
      const win::PaintDc paint(hwnd());
      if (paint.get())
        onPaint(paint.get(), clientRect());
      return 0;
    }
    break;
  case WM_PRINTCLIENT:
    // So that the picture can be taken without a screen (tests, PrintWindow).
    if (hasOwnPaint() && wParam)
    {
      onPaint(reinterpret_cast<HDC>(wParam), clientRect());
      return 0;
    }
    break;
  case WM_SIZE:
  {
    const LRESULT result = previousProc(message, wParam, lParam);
    onSize(LOWORD(lParam), HIWORD(lParam));
    return result;
  }
  default: break;
  }
  return previousProc(message, wParam, lParam);
}
} // namespace fw
