// The Windows build's decoder: GDI+, as the platform's own image loader,
// for every format of the browse filter (PNG, JPEG, BMP, TIFF).
//
// GDI+ decodes the whole picture when it opens a file, so it is only ever
// given files whose header has passed the limits (odgiLoadImageFile). That
// full-size picture lives only for the decode: bands of its rows go through
// the reducer, and only the reduced picture is kept.
#include "../image/ImageReducer.h"
#include "od/GiImageFile.h"

#include <algorithm>

#include "win32/Gdiplus.h"

namespace
{
class GdiplusImageDecoder final : public OdGiImageDecoder
{
public:
  bool decode(const OdString& path, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason) override
  {
    // GDI+ for this decode; while the host holds a session of its own this
    // only counts a reference.
    const win::GdiplusSession gdiplus;
    if (!gdiplus.ok())
    {
      reason = L"GDI+ did not start";
      return false;
    }
    Gdiplus::GpBitmap* opened = nullptr;
    const Gdiplus::Status status = Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &opened);
    const win::GdiplusBitmap bitmap(status == Gdiplus::Ok ? opened : nullptr);
    if (!bitmap)
    {
      reason = status == Gdiplus::OutOfMemory ? OdString(L"the picture is too large for the memory left")
                                              : OdString(L"the picture is damaged or of an unknown kind");
      return false;
    }
    UINT width = 0, height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(bitmap.get(), &width);
    Gdiplus::DllExports::GdipGetImageHeight(bitmap.get(), &height);
    if (width != info.width || height != info.height)
    {
      reason = L"the file changed while it was read";
      return false;
    }
    // Bands of about 4 MB, converted to straight ARGB as they are locked.
    const UINT band = std::max<UINT>(1, std::min<UINT>(height, (4u << 20) / (width * 4)));
    OdGiImageIo::ImageReducer reducer(width, height, image, info.decodedWidth, info.decodedHeight);
    std::vector<OdUInt8> row(std::size_t(width) * 4);
    for (UINT top = 0; top < height; top += band)
    {
      Gdiplus::Rect rows(0, INT(top), INT(width), INT(std::min(band, height - top)));
      Gdiplus::BitmapData data{};
      if (Gdiplus::DllExports::GdipBitmapLockBits(bitmap.get(), &rows, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                                                  &data) != Gdiplus::Ok)
      {
        reason = L"the picture is damaged";
        return false;
      }
      // 32bppARGB lies in memory as blue, green, red, alpha.
      for (UINT y = 0; y < data.Height; ++y)
      {
        const BYTE* in = static_cast<const BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride;
        OdUInt8* out = row.data();
        for (UINT x = 0; x < width; ++x, in += 4, out += 4)
        {
          out[0] = in[2];
          out[1] = in[1];
          out[2] = in[0];
          out[3] = in[3];
        }
        reducer.addRow(row.data());
      }
      Gdiplus::DllExports::GdipBitmapUnlockBits(bitmap.get(), &data);
    }
    return reducer.finish();
  }
};
} // namespace

std::shared_ptr<OdGiImageDecoder> odgiBuiltInImageDecoder()
{
  static const std::shared_ptr<OdGiImageDecoder> decoder = std::make_shared<GdiplusImageDecoder>();
  return decoder;
}
