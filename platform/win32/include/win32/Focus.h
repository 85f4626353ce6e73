// Focus across applications.
//
//   win::userIsInThreadOf  whether the foreground window is one of the
//                          window's own thread: the user is in this
//                          application, not in another one
#pragma once

#include <windows.h>

namespace win
{
// A window that takes the focus back only while this holds never pulls the
// user out of another application they turned to.
inline bool userIsInThreadOf(HWND window)
{
  HWND foreground = GetForegroundWindow();
  return foreground && GetWindowThreadProcessId(foreground, nullptr) == GetWindowThreadProcessId(window, nullptr);
}
} // namespace win
