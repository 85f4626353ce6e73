// The native build's decoder: Debian's libpng, libjpeg-turbo and libtiff,
// and our own for BMP (BmpDecoder.cpp). Each decoder checks the size it
// finds against the header that passed the limits, so a file that changes in
// between is refused rather than decoded at any size. Large pictures are
// reduced while they are read: libjpeg scales as it decodes, the others
// hand rows to the reducer, so a 16384-pixel file needs a few rows of
// memory beside the reduced picture.
#include "ImageFileIo.h"
#include "ImageReducer.h"

#include "od/GiImageFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdarg>
#include <cstring>
#include <optional>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace
{
bool sizeMatches(const OdGiImageFileInfo& info, OdUInt32 width, OdUInt32 height, OdString& reason)
{
  if (width == info.width && height == info.height)
    return true;
  reason = L"the file changed while it was read";
  return false;
}

bool decodePngWhole(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_stdio(&png, file))
  {
    reason = OdString(L"the PNG file is damaged (") + OdString(png.message) + L")";
    return false;
  }
  if (!sizeMatches(info, png.width, png.height, reason))
  {
    png_image_free(&png);
    return false;
  }
  png.format = PNG_FORMAT_RGBA;
  // Without a gAMA chunk libpng takes 16-bit values as linear light and
  // brightens them; other programs (GDI+ too) take them as sRGB.
  png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  image.rgba.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr))
  {
    reason = OdString(L"the PNG file is damaged (") + OdString(png.message) + L")";
    png_image_free(&png);
    return false;
  }
  image.width = png.width;
  image.height = png.height;
  return true;
}

struct PngErrors
{
  std::jmp_buf jump;
  char message[256];
};

void pngError(png_structp png, png_const_charp message)
{
  auto* errors = static_cast<PngErrors*>(png_get_error_ptr(png));
  std::snprintf(errors->message, sizeof errors->message, "%s", message);
  std::longjmp(errors->jump, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Row by row into the reducer, with the same conversions as the whole
// picture's read. Only plain C structures live across the jump.
bool decodePngRows(std::FILE* file, const OdGiImageFileInfo& info, OdGiImageIo::ImageReducer& reducer,
                   std::vector<OdUInt8>& row, PngErrors& errors)
{
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errors, pngError, pngWarning);
  png_infop pngInfo = png ? png_create_info_struct(png) : nullptr;
  if (!pngInfo)
  {
    png_destroy_read_struct(&png, nullptr, nullptr);
    std::strcpy(errors.message, "out of memory");
    return false;
  }
  if (setjmp(errors.jump))
  {
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    return false;
  }
  std::rewind(file);
  png_init_io(png, file);
  png_read_info(png, pngInfo);
  if (png_get_image_width(png, pngInfo) != info.width || png_get_image_height(png, pngInfo) != info.height)
    png_error(png, "the file changed while it was read");
  png_set_expand(png); // palette and small grey to 8 bits, transparency to alpha
  png_set_gray_to_rgb(png);
  png_set_scale_16(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_alpha_mode(png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
  png_read_update_info(png, pngInfo);
  if (png_get_rowbytes(png, pngInfo) != std::size_t(info.width) * 4)
    png_error(png, "unexpected pixel layout");
  for (OdUInt32 y = 0; y < info.height; ++y)
  {
    png_read_row(png, row.data(), nullptr);
    reducer.addRow(row.data());
  }
  png_destroy_read_struct(&png, &pngInfo, nullptr);
  return true;
}

bool isInterlacedPng(std::FILE* file)
{
  OdUInt8 method = 0;
  return OdGiImageIo::readAt(file, 28, &method, 1) && method != 0;
}

bool decodePng(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  if (info.decodedWidth == info.width && info.decodedHeight == info.height)
    return decodePngWhole(file, info, image, reason);
  if (isInterlacedPng(file))
  {
    // FIXME: an interlaced picture only comes whole; up to 4096 x 4096 it is
    // reduced afterwards, larger ones would need 4 bytes a pixel at once.
    if (OdUInt64(info.width) * info.height > 4096ull * 4096ull)
    {
      reason = L"interlaced PNG files of more than 4096 x 4096 pixels are not supported";
      return false;
    }
    OdGsDecodedImage whole;
    if (!decodePngWhole(file, info, whole, reason))
      return false;
    OdGiImageIo::ImageReducer reducer(info.width, info.height, image, info.decodedWidth, info.decodedHeight);
    for (OdUInt32 y = 0; y < info.height; ++y)
      reducer.addRow(&whole.rgba[std::size_t(y) * info.width * 4]);
    return reducer.finish();
  }
  OdGiImageIo::ImageReducer reducer(info.width, info.height, image, info.decodedWidth, info.decodedHeight);
  std::vector<OdUInt8> row(std::size_t(info.width) * 4);
  PngErrors errors{};
  if (decodePngRows(file, info, reducer, row, errors) && reducer.finish())
    return true;
  reason = OdString(L"the PNG file is damaged (") + OdString(errors.message) + L")";
  return false;
}

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back into decodeJpeg. Only plain C structures live in that function,
// so the jump skips no destructor.
struct JpegErrors
{
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool truncated;
};

void jpegErrorExit(j_common_ptr c)
{
  auto* errors = reinterpret_cast<JpegErrors*>(c->err);
  c->err->format_message(c, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings stay off standard error; a file that ends early is refused
// rather than shown half grey.
void jpegMessage(j_common_ptr c, int level)
{
  if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<JpegErrors*>(c->err)->truncated = true;
}

// The rows, reduced: libjpeg scales by eighths as it decodes (which
// libjpeg-turbo does for any eighth); the reducer takes what it leaves.
bool decodeJpegRows(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image,
                    std::optional<OdGiImageIo::ImageReducer>& reducer, std::vector<OdUInt8>& row, JpegErrors& errors)
{
  jpeg_decompress_struct jpeg;
  jpeg.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegErrorExit;
  errors.manager.emit_message = jpegMessage;
  errors.truncated = false;
  errors.message[0] = '\0';
  if (setjmp(errors.jump))
  {
    jpeg_destroy_decompress(&jpeg);
    return false;
  }
  jpeg_create_decompress(&jpeg);
  jpeg_stdio_src(&jpeg, file);
  jpeg_read_header(&jpeg, TRUE);
  if (jpeg.image_width != info.width || jpeg.image_height != info.height)
  {
    std::strcpy(errors.message, "the file changed while it was read");
    jpeg_destroy_decompress(&jpeg);
    return false;
  }
  const bool cmyk = jpeg.jpeg_color_space == JCS_CMYK || jpeg.jpeg_color_space == JCS_YCCK;
  jpeg.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg.scale_num = info.decodedEighths;
  jpeg.scale_denom = 8;
  jpeg_start_decompress(&jpeg);
  if (jpeg.output_width < info.decodedWidth || jpeg.output_height < info.decodedHeight)
  {
    std::strcpy(errors.message, "scaled below the size asked for");
    jpeg_destroy_decompress(&jpeg);
    return false;
  }
  reducer.emplace(jpeg.output_width, jpeg.output_height, image, info.decodedWidth, info.decodedHeight);
  row.resize(std::size_t(jpeg.output_width) * 4);
  // Adobe's files keep the inks inverted (255 = no ink).
  const bool inverted = jpeg.saw_Adobe_marker;
  while (jpeg.output_scanline < jpeg.output_height && !errors.truncated)
  {
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&jpeg, rows, 1);
    if (cmyk)
    {
      for (std::size_t i = 0; i < row.size(); i += 4)
      {
        OdUInt8* p = &row[i];
        const unsigned c = inverted ? p[0] : 255 - p[0], m = inverted ? p[1] : 255 - p[1];
        const unsigned y = inverted ? p[2] : 255 - p[2], k = inverted ? p[3] : 255 - p[3];
        p[0] = OdUInt8(c * k / 255);
        p[1] = OdUInt8(m * k / 255);
        p[2] = OdUInt8(y * k / 255);
        p[3] = 255;
      }
    }
    reducer->addRow(row.data());
  }
  if (errors.truncated)
  {
    std::strcpy(errors.message, "the file ends early");
    jpeg_destroy_decompress(&jpeg);
    return false;
  }
  jpeg_finish_decompress(&jpeg);
  jpeg_destroy_decompress(&jpeg);
  return true;
}

bool decodeJpeg(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  JpegErrors errors;
  std::optional<OdGiImageIo::ImageReducer> reducer;
  std::vector<OdUInt8> row;
  if (decodeJpegRows(file, info, image, reducer, row, errors) && reducer->finish())
    return true;
  reason = OdString(L"the JPEG file is damaged (") + OdString(errors.message) + L")";
  return false;
}

int tiffError(TIFF*, void* user, const char*, const char* format, va_list args)
{
  auto* message = static_cast<std::string*>(user);
  if (message->empty())
  {
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    *message = text;
  }
  return 1; // handled: nothing goes to standard error
}

int tiffQuiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// libtiff's RGBA interface premultiplies alpha, whether the file's alpha is
// associated or not; the renderer and the other decoders take it straight.
void unpremultiply(OdUInt8* rgba, std::size_t texels)
{
  for (std::size_t i = 0; i < texels; ++i, rgba += 4)
  {
    const unsigned a = rgba[3];
    if (a == 255 || a == 0)
      continue;
    for (int c = 0; c < 3; ++c)
      rgba[c] = OdUInt8(std::min(255u, (rgba[c] * 255u + a / 2) / a));
  }
}

bool decodeTiff(const OdString& path, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  std::string message;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, tiffError, &message);
  TIFFOpenOptionsSetWarningHandlerExtR(options, tiffQuiet, nullptr);
  // No strip or tile of a sane file needs more than this in one piece.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(64) << 20);
  TIFF* tiff = TIFFOpenExt(path.toUtf8().c_str(), "r", options);
  TIFFOpenOptionsFree(options);
  const auto damaged = [&]() {
    reason =
      OdString(L"the TIFF file is damaged (") + OdString(message.empty() ? "unknown error" : message.c_str()) + L")";
    return false;
  };
  if (!tiff)
    return damaged();
  std::unique_ptr<TIFF, void (*)(TIFF*)> closer(tiff, TIFFClose);
  uint32_t width = 0, height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  if (!sizeMatches(info, width, height, reason))
    return false;
  char why[1024] = "";
  TIFFRGBAImage rgba;
  if (!TIFFRGBAImageOK(tiff, why) || !TIFFRGBAImageBegin(&rgba, tiff, 0, why))
  {
    if (message.empty())
      message = why;
    return damaged();
  }
  std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage*)> ender(&rgba, TIFFRGBAImageEnd);
  rgba.req_orientation = ORIENTATION_TOPLEFT;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
  // Bands of rows top first; a file whose rows run another way is read
  // whole (FIXME: bounded to 4096 x 4096 for that reason).
  const bool whole = orientation != ORIENTATION_TOPLEFT;
  if (whole && OdUInt64(width) * height > 4096ull * 4096ull)
  {
    reason = L"TIFF files of more than 4096 x 4096 pixels stored other than top row first are not supported";
    return false;
  }
  const uint32_t band = whole ? height : std::max<uint32_t>(1, std::min<uint32_t>(height, (4u << 20) / (width * 4)));
  std::vector<uint32_t> raster(std::size_t(width) * band);
  std::vector<OdUInt8> row(std::size_t(width) * 4);
  OdGiImageIo::ImageReducer reducer(width, height, image, info.decodedWidth, info.decodedHeight);
  for (uint32_t top = 0; top < height; top += band)
  {
    const uint32_t rows = std::min(band, height - top);
    rgba.row_offset = int(top);
    rgba.col_offset = 0;
    if (!TIFFRGBAImageGet(&rgba, raster.data(), width, rows))
      return damaged();
    for (uint32_t y = 0; y < rows; ++y)
    {
      const uint32_t* in = &raster[std::size_t(y) * width];
      for (uint32_t x = 0; x < width; ++x)
      {
        row[x * 4] = OdUInt8(TIFFGetR(in[x]));
        row[x * 4 + 1] = OdUInt8(TIFFGetG(in[x]));
        row[x * 4 + 2] = OdUInt8(TIFFGetB(in[x]));
        row[x * 4 + 3] = OdUInt8(TIFFGetA(in[x]));
      }
      if (rgba.alpha)
        unpremultiply(row.data(), width);
      reducer.addRow(row.data());
    }
  }
  return reducer.finish();
}

class NativeImageDecoder final : public OdGiImageDecoder
{
public:
  bool decode(const OdString& path, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason) override
  {
    if (info.format == OdGiImageFormat::Tiff)
      return decodeTiff(path, info, image, reason);
    OdGiImageIo::File file = OdGiImageIo::openFile(path);
    if (!file)
    {
      reason = L"the file cannot be opened";
      return false;
    }
    switch (info.format)
    {
    case OdGiImageFormat::Png: return decodePng(file.get(), info, image, reason);
    case OdGiImageFormat::Jpeg: return decodeJpeg(file.get(), info, image, reason);
    case OdGiImageFormat::Bmp: return OdGiImageIo::decodeBmp(file.get(), info, image, reason);
    default: reason = L"not a PNG, JPEG, TIFF or BMP file"; return false;
    }
  }
};
} // namespace

std::shared_ptr<OdGiImageDecoder> odgiBuiltInImageDecoder()
{
  static const std::shared_ptr<OdGiImageDecoder> decoder = std::make_shared<NativeImageDecoder>();
  return decoder;
}
