#include "od/GsWin32.h"

#include "win32/Dc.h"

#include <vector>

const wchar_t* const OdGsWin32ModuleName = L"WinGDI.txv";

ODRX_DEFINE_MEMBERS(OdGsWin32Device, OdGsSoftwareDevice, nullptr)
ODRX_DEFINE_MEMBERS(OdGsWin32Module, OdGsSoftwareModule, ODRX_CONSTRUCTOR(OdGsWin32Module))

bool odgsCopyPixels(const OdGiRasterImage& image, DWORD* pixels, int width, int height, int stride)
{
  const OdUInt32 w = image.pixelWidth(), h = image.pixelHeight();
  if (!pixels || width < 1 || height < 1 || stride < width || w != OdUInt32(width) || h != OdUInt32(height))
    return false;
  // A 32-bit DIB holds B, G, R, X in memory order, i.e. 0x00RRGGBB as a word:
  // the picture's colours (0x00BBGGRR) with red and blue swapped.
  // Checked without a smart pointer: the picture may not be reference counted.
  if (image.isKindOf(OdGiRasterImageRGBA::desc()))
  {
    const OdUInt8* p = static_cast<const OdGiRasterImageRGBA*>(&image)->data();
    for (OdUInt32 y = 0; y < h; ++y)
    {
      DWORD* out = pixels + std::size_t(y) * std::size_t(stride);
      for (OdUInt32 x = 0; x < w; ++x, p += 4)
        out[x] = (DWORD(p[0]) << 16) | (DWORD(p[1]) << 8) | DWORD(p[2]);
    }
    return true;
  }
  for (OdUInt32 y = 0; y < h; ++y)
    for (OdUInt32 x = 0; x < w; ++x)
    {
      const ODCOLORREF c = image.pixelAt(x, y);
      pixels[std::size_t(y) * std::size_t(stride) + x] =
        (DWORD(ODGETRED(c)) << 16) | (DWORD(ODGETGREEN(c)) << 8) | DWORD(ODGETBLUE(c));
    }
  return true;
}

bool odgsDrawImage(HDC dc, const OdGiRasterImage& image, const RECT& target)
{
  const OdUInt32 w = image.pixelWidth(), h = image.pixelHeight();
  const int tw = target.right - target.left, th = target.bottom - target.top;
  if (!dc || w == 0 || h == 0 || tw < 1 || th < 1)
    return false;
  std::vector<DWORD> pixels(std::size_t(w) * h);
  odgsCopyPixels(image, pixels.data(), int(w), int(h), int(w));

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = LONG(w);
  info.bmiHeader.biHeight = -LONG(h); // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return StretchDIBits(dc, target.left, target.top, tw, th, 0, 0, int(w), int(h), pixels.data(), &info, DIB_RGB_COLORS,
                       SRCCOPY) != 0;
}

bool OdGsWin32Device::presentTo(HDC dc) const
{
  const OdGsDCRect output = outputRect();
  const RECT target{output.left(), output.top(), output.left() + output.width(), output.top() + output.height()};
  return odgsDrawImage(dc, image(), target);
}

// The picture is drawn off screen and copied in one go, so the window never
// shows half a frame: that is the double buffering the device offers.
void OdGsWin32Device::present()
{
  if (HDC dc = reinterpret_cast<HDC>(windowDC()))
  {
    presentTo(dc);
    return;
  }
  HWND window = reinterpret_cast<HWND>(windowHandle());
  if (!window || !IsWindow(window))
    return;
  const win::ClientDc dc(window);
  presentTo(dc.get());
}

OdGsDevicePtr OdGsWin32Module::createDevice() { return OdGsDevicePtr(new OdGsWin32Device(this)); }
