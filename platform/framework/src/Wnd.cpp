#include "framework/Wnd.h"

#include "framework/ModuleState.h"

#include "win32/Dc.h"

#include <cassert>

namespace fw
{
CWnd::~CWnd()
{
  // Here the derived parts are gone, and WM_DESTROY would reach only the
  // base's handlers: the class that owns the window destroys it first.
  assert(!exists() && "a window must be destroyed before its CWnd object");
  if (exists())
  {
    // Release builds: the window goes without calling into this object.
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hWnd);
  }
  m_hWnd = nullptr;
}

bool CWnd::create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
                  UINT id, UINT classStyle)
{
  if (m_hWnd)
    return false;
  HINSTANCE instance = moduleInstance() ? moduleInstance() : GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, className, &wc))
  {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::staticProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc))
      return false;
  }
  const HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND hwnd = CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, menu, instance, this);
  return hwnd != nullptr;
}

void CWnd::destroy()
{
  if (m_hWnd && IsWindow(m_hWnd))
    DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}

RECT CWnd::clientRect() const
{
  RECT rect{};
  if (m_hWnd)
    GetClientRect(m_hWnd, &rect);
  return rect;
}

std::wstring CWnd::text() const
{
  if (!m_hWnd)
    return std::wstring();
  const int length = GetWindowTextLengthW(m_hWnd);
  std::wstring text(std::size_t(length) + 1, L'\0');
  GetWindowTextW(m_hWnd, text.data(), length + 1);
  text.resize(std::size_t(length));
  return text;
}

CWnd* CWnd::fromHandle(HWND hwnd)
{
  return hwnd ? reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

void CWnd::bindHandle(HWND hwnd)
{
  if (m_hWnd && IsWindow(m_hWnd))
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
  m_hWnd = hwnd;
  if (hwnd)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CWnd::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(m_hWnd, message, wParam, lParam); }

LRESULT CWnd::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_CREATE:
    return onCreate() ? 0 : -1;
  case WM_SIZE:
    onSize(LOWORD(lParam), HIWORD(lParam));
    return 0;
  case WM_PAINT:
  {
    win::PaintDc paint(m_hWnd);
    onPaint(paint.get(), paint.area());
    return 0;
  }
  case WM_COMMAND:
    if (onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
      return 0;
    break;
  case WM_NOTIFY:
  {
    LRESULT result = 0;
    if (onNotify(reinterpret_cast<NMHDR*>(lParam), result))
      return result;
    break;
  }
  case WM_DESTROY:
    onDestroy();
    break;
  default:
    break;
  }
  return defaultProc(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  CWnd* self = nullptr;
  if (message == WM_NCCREATE)
  {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<CWnd*>(create->lpCreateParams);
    if (self)
    {
      self->m_hWnd = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  else
    self = fromHandle(hwnd);
  if (!self)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY)
  {
    const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    return result;
  }
  return self->windowProc(message, wParam, lParam);
}
} // namespace fw
