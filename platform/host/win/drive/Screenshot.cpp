#include "Screenshot.h"

#include "win32/Dc.h"
#include "win32/Gdiplus.h"
#include "win32/Handles.h"

#include "host/FileSystem.h"

#include <objidl.h>

#include <functional>
#include <string>

namespace host
{
namespace
{
// The PNG encoder of GDI+ ("image/png").
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// The PNG file's bytes, through a stream in memory.
bool encodePng(Gdiplus::GpBitmap* image, std::string& bytes)
{
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
    return false;
  bool ok = Gdiplus::DllExports::GdipSaveImageToStream(image, stream, &kPngEncoder, nullptr) == Gdiplus::Ok;
  ULARGE_INTEGER size{};
  const LARGE_INTEGER zero{};
  ok = ok && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_END, &size)) && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr));
  if (ok)
  {
    bytes.resize(std::size_t(size.QuadPart));
    ULONG read = 0;
    ok = bytes.empty() || (SUCCEEDED(stream->Read(&bytes[0], ULONG(bytes.size()), &read)) && read == bytes.size());
  }
  stream->Release();
  return ok && !bytes.empty();
}

// Copies a rectangle of a device context and writes it as a PNG.
bool savePng(HDC source, int x, int y, int width, int height, const OdString& path, OdString& error,
             const std::function<bool(HDC)>& fallback = nullptr)
{
  if (width <= 0 || height <= 0)
  {
    error = L"nothing to capture: no size";
    return false;
  }
  const win::ClientDc screen(nullptr);
  win::MemoryDc memory(CreateCompatibleDC(screen.get()));
  win::Bitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap)
  {
    error = L"no memory for the image";
    return false;
  }
  {
    const win::SelectedObject selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY) && !(fallback && fallback(memory.get())))
    {
      error = L"the picture could not be taken";
      return false;
    }
  }
  Gdiplus::GpBitmap* taken = nullptr;
  const win::GdiplusBitmap image(
    Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap.get(), nullptr, &taken) == Gdiplus::Ok ? taken : nullptr);
  if (!image)
  {
    error = L"GDI+ could not take the image (is it started?)";
    return false;
  }
  // Encoded in memory and written whole: a failed write leaves the old file.
  std::string png;
  if (!encodePng(image.get(), png))
  {
    error = L"GDI+ could not encode the image as PNG";
    return false;
  }
  return writeFileAtomically(path, png, &error);
}
} // namespace

bool saveWindowPng(HWND window, const OdString& path, OdString& error)
{
  if (!IsWindow(window) || !IsWindowVisible(window))
  {
    error = L"the window is not shown";
    return false;
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect;
  GetWindowRect(window, &rect);
  // The window's own surface, children included, even where another window
  // covers it; PrintWindow would leave out controls that ignore WM_PRINT.
  return savePng(win::WindowDc(window).get(), 0, 0, rect.right - rect.left, rect.bottom - rect.top, path, error,
                 [window](HDC target) { return PrintWindow(window, target, 0) != 0; });
}

bool saveScreenPng(const OdString& path, OdString& error)
{
  const win::ClientDc screen(nullptr);
  return savePng(screen.get(), GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), path, error);
}
POINT pictureOrigin(HWND window)
{
  POINT origin{0, 0};
  RECT frame{};
  ClientToScreen(window, &origin);
  if (GetWindowRect(GetAncestor(window, GA_ROOT), &frame))
    origin = POINT{origin.x - frame.left, origin.y - frame.top};
  return origin;
}
} // namespace host
