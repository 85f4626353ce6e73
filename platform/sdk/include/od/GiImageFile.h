// Image files of texture maps: one way in for every caller (the renderer's
// textures, thumbnails, the map preview).
//
//   OdGsDecodedImage        a decoded picture, 8-bit RGBA
//   OdGiImageFileInfo       format and size, read from the file's header alone
//   OdGiImageDecoder        decodes a file whose header passed; the build's
//                           own (native libraries, or GDI+ on Windows) unless
//                           replaced
//   odgiReadImageFileInfo   the header of a file
//   odgiLoadImageFile       header, limits, decoder, cache: what callers use
//
// The header is read first because some decoders (GDI+) decode a whole
// picture as soon as they open it: a small file that claims 20,000 x 20,000
// pixels must be refused before any decoder sees it.
#pragma once

#include "od/OdString.h"

#include <memory>
#include <vector>

// A decoded picture: 8-bit RGBA, rows top first.
struct OdGsDecodedImage
{
  OdUInt32 width = 0;
  OdUInt32 height = 0;
  std::vector<OdUInt8> rgba;
};

enum class OdGiImageFormat
{
  Unknown,
  Png,
  Jpeg,
  Bmp,
  Tiff,
};

struct OdGiImageFileInfo
{
  OdGiImageFormat format = OdGiImageFormat::Unknown;
  OdUInt32 width = 0;
  OdUInt32 height = 0;
  // The header shows that the file ends before its picture (uncompressed
  // BMP, whose size is known from the header).
  bool truncated = false;
  // The size the picture is decoded at: the file's own, or reduced by
  // decodedEighths / 8 so that no side is over kOdGiMaxDecodedSide
  // (rounded up, as libjpeg scales).
  OdUInt32 decodedWidth = 0;
  OdUInt32 decodedHeight = 0;
  OdUInt32 decodedEighths = 8;
};

// Files of up to kOdGiMaxImageSide pixels a side are read; the picture kept
// is at most kOdGiMaxDecodedSide a side (16 MB decoded), which is plenty for
// a 400-pixel preview and lets the caches hold several maps. 16384 / 8 is
// 2048, so a reduction of at most eight always gets there.
constexpr OdUInt32 kOdGiMaxImageSide = 16384;
constexpr OdUInt32 kOdGiMaxDecodedSide = 2048;
// Sets info's decoded size from its width and height.
void odgiSetDecodedSize(OdGiImageFileInfo& info);
// Files above this size are not read at all.
constexpr OdUInt64 kOdGiMaxImageFileBytes = 256ull << 20;

class OdGiImageDecoder
{
public:
  virtual ~OdGiImageDecoder() = default;
  // Decodes the picture at info's decoded size, with straight (not
  // premultiplied) alpha. info is what the header said and has passed the
  // limits; a decoder that finds another size refuses the file. False with a
  // short reason for the user when the picture cannot be decoded.
  virtual bool decode(const OdString& path, const OdGiImageFileInfo& info, OdGsDecodedImage& image,
                      OdString& reason) = 0;
};

// The decoder every load uses. Null puts the build's own back. Replacing it
// empties the cache.
void odgiSetImageDecoder(std::shared_ptr<OdGiImageDecoder> decoder);
std::shared_ptr<OdGiImageDecoder> odgiImageDecoder();
// The build's own: libpng, libjpeg, libtiff and our own BMP reader natively,
// GDI+ on Windows.
std::shared_ptr<OdGiImageDecoder> odgiBuiltInImageDecoder();

// Format and size from the header, without decoding; false with a reason
// for a missing, unreadable or unknown file.
bool odgiReadImageFileInfo(const OdString& path, OdGiImageFileInfo& info, OdString& reason);

struct OdGiImageLoadResult
{
  std::shared_ptr<const OdGsDecodedImage> image; // null on failure
  OdString reason;                              // why, when image is null
};

// Reads the header, refuses what is over the limits, decodes through the
// decoder and keeps the result. Results (failures too) are kept by path and
// stay valid while the file's size and modification time do not change, so
// many materials sharing one map decode it once. Safe to call from several
// threads.
OdGiImageLoadResult odgiLoadImageFile(const OdString& path);

struct OdGiImageCacheStats
{
  OdUInt64 decodes = 0; // calls into the decoder
  OdUInt64 hits = 0;    // loads answered from the cache
  std::size_t entries = 0;
  std::size_t bytes = 0;
};
OdGiImageCacheStats odgiImageCacheStats();
// The cache keeps at most this many bytes of pictures, least recently used
// out first; the default is 64 MB, four of the largest decoded pictures.
void odgiSetImageCacheLimit(std::size_t bytes);
void odgiClearImageCache();
