// GDI+ through its flat API, with the lifetimes owned. Whoever includes
// this links gdiplus.
//
//   win::GdiplusSession  GdiplusStartup for the lifetime of the object;
//                        a second session while one runs only counts a reference
//   win::GdiplusBitmap   GdipDisposeImage (GdipCreateBitmapFrom...)
#pragma once

#include "win32/Handles.h"

#include <windows.h>

#include <gdiplus.h>

namespace win
{
class GdiplusSession
{
public:
  GdiplusSession()
  {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok)
      m_token = 0;
  }
  ~GdiplusSession()
  {
    if (m_token)
      Gdiplus::GdiplusShutdown(m_token);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool ok() const { return m_token != 0; }

private:
  ULONG_PTR m_token = 0;
};

struct GdiplusImageTraits
{
  static void close(Gdiplus::GpBitmap* image) { Gdiplus::DllExports::GdipDisposeImage(image); }
};
using GdiplusBitmap = Owned<Gdiplus::GpBitmap*, GdiplusImageTraits>;
} // namespace win
