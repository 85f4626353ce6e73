// A C++ object behind a window: one made elsewhere (a common control, a
// dialog item) that it subclasses, or one of a window class of its own.
//
//   win::TWnd<T>  T derives from TWnd<T> and overrides
//                   LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);
//                 which sees every message first and passes what it does not
//                 handle to previousProc(). The object and the previous
//                 procedure are kept as window properties; the previous
//                 procedure is put back by unsubclass(), by the destructor,
//                 and when the window is destroyed (WM_NCDESTROY).
//   TWnd<T>::classProc  the procedure to register for a class of T's own
//                 windows: the object, passed as CreateWindowEx's last
//                 parameter, holds its window from WM_NCCREATE on (so it sees
//                 WM_CREATE), and what it does not handle goes to DefWindowProcW.
#pragma once

#include <windows.h>

namespace win
{
template <class T>
class TWnd
{
public:
  TWnd() = default;
  virtual ~TWnd() { unsubclass(); }
  TWnd(const TWnd&) = delete;
  TWnd& operator=(const TWnd&) = delete;

  // False for no window, a window this object already holds, or one that
  // another TWnd has subclassed.
  bool subclass(HWND hwnd)
  {
    if (!hwnd || m_hWnd || !IsWindow(hwnd) || GetPropW(hwnd, kObjectProp) || GetPropW(hwnd, kPreviousProp))
      return false;
    const auto previous = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    if (!SetPropW(hwnd, kObjectProp, static_cast<HANDLE>(this)) ||
        !SetPropW(hwnd, kPreviousProp, reinterpret_cast<HANDLE>(previous)))
    {
      RemovePropW(hwnd, kObjectProp);
      return false;
    }
    m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWnd::staticProc));
    return true;
  }

  // Puts the previous procedure back. When another procedure has been put
  // over ours since, it is left in place and ours only passes messages on.
  void unsubclass()
  {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    if (!hwnd || !IsWindow(hwnd))
      return;
    RemovePropW(hwnd, kObjectProp);
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TWnd::staticProc))
    {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropW(hwnd, kPreviousProp)));
      RemovePropW(hwnd, kPreviousProp);
    }
  }

  HWND hwnd() const { return m_hWnd; }

  static LRESULT CALLBACK classProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
  {
    if (message == WM_NCCREATE)
    {
      TWnd* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      if (self && !self->m_hWnd && SetPropW(hwnd, kObjectProp, static_cast<HANDLE>(self)) &&
          SetPropW(hwnd, kPreviousProp, reinterpret_cast<HANDLE>(&DefWindowProcW)))
      {
        self->m_hWnd = hwnd;
        // From here on the window is held as a subclassed one is.
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWnd::staticProc));
        return self->windowProc(message, wParam, lParam);
      }
      RemovePropW(hwnd, kObjectProp);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  // The object that subclassed the window, or null.
  static T* fromHandle(HWND hwnd)
  {
    return hwnd ? static_cast<T*>(static_cast<TWnd*>(GetPropW(hwnd, kObjectProp))) : nullptr;
  }

protected:
  // What T does not handle: to the previous procedure.
  virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam)
  {
    return previousProc(message, wParam, lParam);
  }
  LRESULT previousProc(UINT message, WPARAM wParam, LPARAM lParam)
  {
    return callPrevious(m_hWnd, message, wParam, lParam);
  }

private:
  static constexpr const wchar_t* kObjectProp = L"win.TWnd.object";
  static constexpr const wchar_t* kPreviousProp = L"win.TWnd.previous";

  static LRESULT callPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
  {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kPreviousProp));
    return previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam)
                    : DefWindowProcW(hwnd, message, wParam, lParam);
  }

  static LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
  {
    auto* self = static_cast<TWnd*>(GetPropW(hwnd, kObjectProp));
    if (message == WM_NCDESTROY)
    {
      // The last message: the window goes back to its own procedure first,
      // so that nothing after it reaches the object.
      const auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kPreviousProp));
      if (self)
        self->unsubclass();
      RemovePropW(hwnd, kPreviousProp);
      return previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam)
                      : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (!self)
      return callPrevious(hwnd, message, wParam, lParam);
    return self->windowProc(message, wParam, lParam);
  }

  HWND m_hWnd = nullptr;
};
} // namespace win
