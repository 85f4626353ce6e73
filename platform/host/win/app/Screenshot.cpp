#include "Screenshot.h"

#include "win32/Dc.h"
#include "win32/Handles.h"

#include "host/FileSystem.h"

#include <gdiplus.h>
#include <objidl.h>

#include <string>

namespace host
{
namespace
{
// The PNG encoder of GDI+ ("image/png").
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Owns a GDI+ bitmap.
class GdiplusBitmap
{
public:
  explicit GdiplusBitmap(HBITMAP source)
  {
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(source, nullptr, &m_bitmap) != Gdiplus::Ok)
      m_bitmap = nullptr;
  }
  ~GdiplusBitmap()
  {
    if (m_bitmap)
      Gdiplus::DllExports::GdipDisposeImage(m_bitmap);
  }
  GdiplusBitmap(const GdiplusBitmap&) = delete;
  GdiplusBitmap& operator=(const GdiplusBitmap&) = delete;
  Gdiplus::GpBitmap* get() const { return m_bitmap; }

private:
  Gdiplus::GpBitmap* m_bitmap = nullptr;
};

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
} // namespace

GdiplusSession::GdiplusSession()
{
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok)
    m_token = 0;
}

GdiplusSession::~GdiplusSession()
{
  if (m_token)
    Gdiplus::GdiplusShutdown(m_token);
}

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
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
  {
    error = L"the window has no size";
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
    // The window's own surface, children included, even where another
    // window covers it; PrintWindow would leave out controls that ignore
    // WM_PRINT.
    const BOOL copied = BitBlt(memory.get(), 0, 0, width, height, win::WindowDc(window).get(), 0, 0, SRCCOPY);
    if (!copied && !PrintWindow(window, memory.get(), 0))
    {
      error = L"the window could not be captured";
      return false;
    }
  }
  GdiplusBitmap image(bitmap.get());
  if (!image.get())
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
} // namespace host
