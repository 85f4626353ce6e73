#include "MeGsWindowDevice.h"

#include "win32/Dc.h"

#include <vector>

namespace meui
{
const wchar_t* const kMeGsWindowModuleName = L"MeGsWindow.txv";

void registerWindowRenderer()
{
  static const bool registered = [] {
    odrxDynamicLinker()->registerModule(kMeGsWindowModuleName, [] { return OdRxModulePtr(new MeGsWindowModule()); });
    return true;
  }();
  (void)registered;
}

bool drawImage(HDC dc, const OdGiRasterImage& image, const RECT& target)
{
  const OdUInt32 w = image.pixelWidth(), h = image.pixelHeight();
  const int tw = target.right - target.left, th = target.bottom - target.top;
  if (!dc || w == 0 || h == 0 || tw < 1 || th < 1)
    return false;
  // A 32-bit DIB holds B, G, R, X in memory order, i.e. 0x00RRGGBB as a word:
  // the picture's colours (0x00BBGGRR) with red and blue swapped.
  std::vector<DWORD> pixels(std::size_t(w) * h);
  // Checked without a smart pointer: the picture may not be reference counted.
  if (image.isKindOf(OdGiRasterImageRGBA::desc()))
  {
    const auto* rgba = static_cast<const OdGiRasterImageRGBA*>(&image);
    const OdUInt8* p = rgba->data();
    for (DWORD& out : pixels)
    {
      out = (DWORD(p[0]) << 16) | (DWORD(p[1]) << 8) | DWORD(p[2]);
      p += 4;
    }
  }
  else
    for (OdUInt32 y = 0; y < h; ++y)
      for (OdUInt32 x = 0; x < w; ++x)
      {
        const ODCOLORREF c = image.pixelAt(x, y);
        pixels[std::size_t(y) * w + x] = (DWORD(ODGETRED(c)) << 16) | (DWORD(ODGETGREEN(c)) << 8) | DWORD(ODGETBLUE(c));
      }

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

bool MeGsWindowDevice::presentTo(HDC dc) const
{
  const OdGsDCRect output = outputRect();
  const RECT target{output.left(), output.top(), output.left() + output.width(), output.top() + output.height()};
  return drawImage(dc, image(), target);
}

// The picture is drawn off screen and copied in one go, so the window never
// shows half a frame: that is the double buffering the device offers.
void MeGsWindowDevice::present()
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

OdGsDevicePtr MeGsWindowModule::createDevice() { return OdGsDevicePtr(new MeGsWindowDevice(this)); }
} // namespace meui
