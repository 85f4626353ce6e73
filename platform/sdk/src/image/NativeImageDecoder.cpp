// The native build's decoder: Debian's libpng, libjpeg-turbo and libtiff,
// and stb_image for BMP (which none of them reads). Each decoder checks the
// size it finds against the header that passed the limits, so a file that
// changes in between is refused rather than decoded at any size.
#include "ImageFileIo.h"

#include "od/GiImageFile.h"

#include <csetjmp>
#include <cstdarg>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <stb_image.h>
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

bool decodePng(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
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

bool decodeJpegRows(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, JpegErrors& errors)
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
  jpeg_start_decompress(&jpeg);
  const std::size_t stride = std::size_t(jpeg.output_width) * 4;
  image.rgba.resize(stride * jpeg.output_height);
  while (jpeg.output_scanline < jpeg.output_height && !errors.truncated)
  {
    JSAMPROW row = image.rgba.data() + stride * jpeg.output_scanline;
    jpeg_read_scanlines(&jpeg, &row, 1);
  }
  if (errors.truncated)
  {
    std::strcpy(errors.message, "the file ends early");
    jpeg_destroy_decompress(&jpeg);
    return false;
  }
  if (cmyk)
  {
    // Adobe's files keep the inks inverted (255 = no ink).
    const bool inverted = jpeg.saw_Adobe_marker;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4)
    {
      OdUInt8* p = &image.rgba[i];
      const unsigned c = inverted ? p[0] : 255 - p[0], m = inverted ? p[1] : 255 - p[1];
      const unsigned y = inverted ? p[2] : 255 - p[2], k = inverted ? p[3] : 255 - p[3];
      p[0] = OdUInt8(c * k / 255);
      p[1] = OdUInt8(m * k / 255);
      p[2] = OdUInt8(y * k / 255);
      p[3] = 255;
    }
  }
  image.width = jpeg.output_width;
  image.height = jpeg.output_height;
  jpeg_finish_decompress(&jpeg);
  jpeg_destroy_decompress(&jpeg);
  return true;
}

bool decodeJpeg(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  JpegErrors errors;
  if (decodeJpegRows(file, info, image, errors))
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

bool decodeTiff(const OdString& path, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  std::string message;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, tiffError, &message);
  TIFFOpenOptionsSetWarningHandlerExtR(options, tiffQuiet, nullptr);
  // Nothing the limits allow needs more in one piece than the picture itself.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kOdGiMaxImagePixels * 4 + (1 << 20)));
  TIFF* tiff = TIFFOpenExt(path.toUtf8().c_str(), "r", options);
  TIFFOpenOptionsFree(options);
  const auto damaged = [&]() {
    reason = OdString(L"the TIFF file is damaged (") + OdString(message.empty() ? "unknown error" : message.c_str()) + L")";
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
  std::vector<uint32_t> raster(std::size_t(width) * height);
  if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 1))
    return damaged();
  image.rgba.resize(raster.size() * 4);
  for (std::size_t i = 0; i < raster.size(); ++i)
  {
    image.rgba[i * 4] = OdUInt8(TIFFGetR(raster[i]));
    image.rgba[i * 4 + 1] = OdUInt8(TIFFGetG(raster[i]));
    image.rgba[i * 4 + 2] = OdUInt8(TIFFGetB(raster[i]));
    image.rgba[i * 4 + 3] = OdUInt8(TIFFGetA(raster[i]));
  }
  image.width = width;
  image.height = height;
  return true;
}

bool decodeBmp(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  std::vector<unsigned char> bytes;
  const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  if (size > 0 && OdUInt64(size) <= kOdGiMaxImageFileBytes)
    bytes.resize(std::size_t(size));
  if (bytes.empty() || !OdGiImageIo::readAt(file, 0, bytes.data(), bytes.size()))
  {
    reason = L"the file cannot be read";
    return false;
  }
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4);
  if (!pixels)
  {
    const char* why = stbi_failure_reason();
    reason = OdString(L"the BMP file is damaged (") + OdString(why ? why : "unknown error") + L")";
    return false;
  }
  std::unique_ptr<unsigned char, void (*)(void*)> owner(pixels, stbi_image_free);
  if (!sizeMatches(info, OdUInt32(w), OdUInt32(h), reason))
    return false;
  image.rgba.assign(pixels, pixels + std::size_t(w) * std::size_t(h) * 4);
  image.width = OdUInt32(w);
  image.height = OdUInt32(h);
  return true;
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
    case OdGiImageFormat::Bmp: return decodeBmp(file.get(), info, image, reason);
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
