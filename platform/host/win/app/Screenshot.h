// Screenshots of a window as PNG files, encoded by GDI+.
#pragma once

#include "od/OdString.h"

#include <windows.h>

namespace host
{
// GDI+ for the lifetime of the object.
class GdiplusSession
{
public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return m_token != 0; }

private:
  ULONG_PTR m_token = 0;
};

// The window as it is on the screen, frame included, after it has painted
// everything pending. False with a message when nothing was written.
bool saveWindowPng(HWND window, const OdString& path, OdString& error);
// The whole display as it is now, every window on it included.
bool saveScreenPng(const OdString& path, OdString& error);
} // namespace host
