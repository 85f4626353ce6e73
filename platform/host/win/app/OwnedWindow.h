// The window procedure of a window class whose windows belong to a C++
// object: the object comes in as CreateWindowEx's parameter, gets its
// handle at WM_NCCREATE, every message through handle(), and loses the
// handle after WM_NCDESTROY. The owner befriends ownedWindowProc<Owner>.
#pragma once

#include <windows.h>

namespace host
{
template <class Owner>
LRESULT CALLBACK ownedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE)
  {
    self = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hwnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self)
    return DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = self->handle(message, wParam, lParam);
  if (message == WM_NCDESTROY)
  {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}
} // namespace host
