// Another application, for scripts that check what the host does when the
// user turns to another program: a top-level window on a thread of its own,
// so that its input state (active window, focus) is its own, as another
// process's is. The OTHERAPP verb clicks it with real input.
#pragma once

#include <windows.h>

namespace host
{
// The window, made and shown at the bottom right of the screen on first use;
// null when it cannot be made.
HWND otherApplicationWindow();
// Whether it exists and is the foreground window.
bool otherApplicationMade();
bool otherApplicationActive();
// Ends its thread (at exit).
void closeOtherApplication();
} // namespace host
