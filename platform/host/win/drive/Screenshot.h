// Screenshots of a window as PNG files, encoded by GDI+ (which a
// win::GdiplusSession must have started).
#pragma once

#include "od/OdString.h"

#include <windows.h>

namespace host
{
// The window as it is on the screen, frame included, after it has painted
// everything pending. False with a message when nothing was written.
bool saveWindowPng(HWND window, const OdString& path, OdString& error);
// The whole display as it is now, every window on it included.
bool saveScreenPng(const OdString& path, OdString& error);
// Where the window's client area begins in a picture of its top-level
// window (what SCREENSHOT takes of the host), so that tests can find a
// control's pixels there.
POINT pictureOrigin(HWND window);
} // namespace host
