// BMP files as Windows writes and reads them: 1, 4, 8, 16, 24 and 32 bits a
// pixel, uncompressed, RLE8, RLE4 and bit fields, rows bottom or top first.
// Rows go straight into the reducer, so the whole picture is never held at
// the file's size. Without an alpha mask a file is opaque, whatever its
// fourth byte holds (BI_RGB has none: many writers leave junk there).
#include "ImageFileIo.h"
#include "ImageReducer.h"

#include <array>
#include <cstring>

namespace
{
OdUInt32 le16(const OdUInt8* p) { return OdUInt32(p[1]) << 8 | p[0]; }
OdUInt32 le32(const OdUInt8* p) { return OdUInt32(p[3]) << 24 | OdUInt32(p[2]) << 16 | OdUInt32(p[1]) << 8 | p[0]; }

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel
{
  OdUInt32 mask = 0, shift = 0, max = 0;
  explicit Channel(OdUInt32 m = 0) : mask(m)
  {
    if (!mask)
      return;
    while (!((mask >> shift) & 1))
      ++shift;
    max = mask >> shift;
  }
  OdUInt8 operator()(OdUInt32 pixel, OdUInt8 absent) const
  {
    if (!mask)
      return absent;
    const OdUInt32 v = (pixel & mask) >> shift;
    return OdUInt8((OdUInt64(v) * 255 + max / 2) / max);
  }
};

struct Bmp
{
  OdUInt64 dataOffset = 0;
  OdUInt32 width = 0, height = 0, bits = 0, compression = 0;
  bool topFirst = false;
  std::array<OdUInt8, 256 * 4> palette{}; // RGBA, opaque
  Channel red, green, blue, alpha;
};

bool fail(OdString& reason, const wchar_t* why)
{
  reason = OdString(L"the BMP file is damaged (") + why + L")";
  return false;
}

bool readHeader(std::FILE* file, Bmp& bmp, OdString& reason)
{
  OdUInt8 h[14 + 124 + 16] = {};
  if (!OdGiImageIo::readAt(file, 0, h, 18))
    return fail(reason, L"no header");
  const OdUInt32 headerSize = le32(h + 14);
  bmp.dataOffset = le32(h + 10);
  OdUInt32 colours = 0, paletteEntry = 4;
  if (headerSize == 12)
  {
    if (!OdGiImageIo::readAt(file, 18, h + 18, 8))
      return fail(reason, L"no header");
    bmp.width = le16(h + 18);
    bmp.height = le16(h + 20);
    bmp.bits = le16(h + 24);
    paletteEntry = 3;
  }
  else
  {
    if (headerSize < 16 || headerSize > 124 || !OdGiImageIo::readAt(file, 18, h + 18, headerSize - 4))
      return fail(reason, L"unknown header");
    const OdInt32 height = OdInt32(le32(h + 22));
    bmp.width = le32(h + 18);
    bmp.topFirst = height < 0;
    bmp.height = OdUInt32(height < 0 ? -OdInt64(height) : height);
    bmp.bits = le16(h + 28);
    bmp.compression = headerSize >= 20 ? le32(h + 30) : 0;
    colours = headerSize >= 36 ? le32(h + 46) : 0;
  }
  OdUInt64 paletteOffset = 14 + headerSize;
  switch (bmp.compression)
  {
  case 0: // BI_RGB
    if (bmp.bits == 16)
      bmp.red = Channel(0x7C00), bmp.green = Channel(0x03E0), bmp.blue = Channel(0x001F);
    else if (bmp.bits == 32)
      bmp.red = Channel(0xFF0000), bmp.green = Channel(0xFF00), bmp.blue = Channel(0xFF);
    else if (bmp.bits != 1 && bmp.bits != 4 && bmp.bits != 8 && bmp.bits != 24)
      return fail(reason, L"unknown number of bits a pixel");
    break;
  case 1: // BI_RLE8
  case 2: // BI_RLE4
    if (bmp.bits != (bmp.compression == 1 ? 8u : 4u) || bmp.topFirst)
      return fail(reason, L"run-length coding that does not fit the pixels");
    break;
  case 3: // BI_BITFIELDS
  case 6: // BI_ALPHABITFIELDS
  {
    if (bmp.bits != 16 && bmp.bits != 32)
      return fail(reason, L"bit fields that do not fit the pixels");
    // An info header (40 bytes) is followed by the masks; later headers
    // hold them.
    const OdUInt32 masks = bmp.compression == 6 ? 4 : 3;
    if (headerSize < 40 + 4 * masks)
    {
      if (!OdGiImageIo::readAt(file, 54, h + 54, 4 * masks))
        return fail(reason, L"no bit fields");
      paletteOffset += 4 * masks;
    }
    bmp.red = Channel(le32(h + 54));
    bmp.green = Channel(le32(h + 58));
    bmp.blue = Channel(le32(h + 62));
    if (headerSize >= 56 || bmp.compression == 6)
      bmp.alpha = Channel(le32(h + 66));
    break;
  }
  case 4:
  case 5: reason = L"BMP files that hold a JPEG or PNG picture are not supported"; return false;
  default: return fail(reason, L"unknown compression");
  }
  if (bmp.bits <= 8)
  {
    const OdUInt32 count = colours && colours < (1u << bmp.bits) ? colours : (1u << bmp.bits);
    OdUInt8 entries[256 * 4];
    if (!OdGiImageIo::readAt(file, paletteOffset, entries, std::size_t(count) * paletteEntry))
      return fail(reason, L"no colour table");
    for (OdUInt32 i = 0; i < count; ++i)
    {
      const OdUInt8* e = entries + i * paletteEntry; // blue, green, red
      bmp.palette[i * 4] = e[2];
      bmp.palette[i * 4 + 1] = e[1];
      bmp.palette[i * 4 + 2] = e[0];
    }
    for (OdUInt32 i = 0; i < 256; ++i)
      bmp.palette[i * 4 + 3] = 255;
  }
  return true;
}

// One row of the file in RGBA.
void unpackRow(const Bmp& bmp, const OdUInt8* in, OdUInt8* out)
{
  for (OdUInt32 x = 0; x < bmp.width; ++x, out += 4)
  {
    switch (bmp.bits)
    {
    case 1:
    case 4:
    case 8:
    {
      const OdUInt32 bit = x * bmp.bits;
      const OdUInt32 index = (in[bit / 8] >> (8 - bmp.bits - bit % 8)) & ((1u << bmp.bits) - 1);
      std::memcpy(out, &bmp.palette[index * 4], 4);
      break;
    }
    case 24: out[0] = in[x * 3 + 2], out[1] = in[x * 3 + 1], out[2] = in[x * 3], out[3] = 255; break;
    default:
    {
      const OdUInt32 pixel = bmp.bits == 16 ? le16(in + x * 2) : le32(in + x * 4);
      out[0] = bmp.red(pixel, 0), out[1] = bmp.green(pixel, 0), out[2] = bmp.blue(pixel, 0);
      out[3] = bmp.alpha(pixel, 255);
    }
    }
  }
}

bool decodeRows(std::FILE* file, const Bmp& bmp, OdGiImageIo::ImageReducer& reducer, OdString& reason)
{
  const std::size_t stride = (std::size_t(bmp.width) * bmp.bits + 31) / 32 * 4;
  std::vector<OdUInt8> row(stride), rgba(std::size_t(bmp.width) * 4);
  if (std::fseek(file, long(bmp.dataOffset), SEEK_SET) != 0)
    return fail(reason, L"no pixels");
  for (OdUInt32 y = 0; y < bmp.height; ++y)
  {
    if (std::fread(row.data(), 1, stride, file) != stride)
    {
      reason = L"the file ends before its picture";
      return false;
    }
    unpackRow(bmp, row.data(), rgba.data());
    reducer.addRow(rgba.data());
  }
  return true;
}

// Runs of one index or two alternating ones, and escapes: 0 0 ends a row,
// 0 1 the picture, 0 2 dx dy moves on, 0 n gives n indices as they are.
// Texels a move or an early end skips take the first colour, as other
// decoders give them.
bool decodeRle(std::FILE* file, const Bmp& bmp, OdGiImageIo::ImageReducer& reducer, OdString& reason)
{
  const bool four = bmp.compression == 2;
  std::vector<OdUInt8> indices(bmp.width, 0), rgba(std::size_t(bmp.width) * 4);
  OdUInt32 x = 0, y = 0;
  const auto put = [&](OdUInt32 index) {
    if (x < bmp.width)
      indices[x] = OdUInt8(index);
    ++x;
  };
  const auto endRow = [&]() {
    if (y < bmp.height)
    {
      for (OdUInt32 i = 0; i < bmp.width; ++i)
        std::memcpy(&rgba[i * 4], &bmp.palette[indices[i] * 4], 4);
      reducer.addRow(rgba.data());
    }
    std::fill(indices.begin(), indices.end(), OdUInt8(0));
    x = 0;
    ++y;
  };
  if (std::fseek(file, long(bmp.dataOffset), SEEK_SET) != 0)
    return fail(reason, L"no pixels");
  const auto next = [file]() { return std::getc(file); };
  while (y < bmp.height)
  {
    const int count = next(), value = next();
    if (count == EOF || value == EOF)
    {
      reason = L"the file ends before its picture";
      return false;
    }
    if (count > 0)
    {
      for (int i = 0; i < count; ++i)
        put(four ? (i % 2 ? value & 15 : value >> 4) : OdUInt32(value));
      continue;
    }
    if (value == 0)
      endRow();
    else if (value == 1)
    {
      while (y < bmp.height)
        endRow();
    }
    else if (value == 2)
    {
      const int dx = next(), dy = next();
      if (dx == EOF || dy == EOF)
      {
        reason = L"the file ends before its picture";
        return false;
      }
      for (int i = 0; i < dy && y < bmp.height; ++i)
      {
        const OdUInt32 keep = x;
        endRow();
        x = keep;
      }
      x += OdUInt32(dx);
    }
    else
    {
      // Literal indices, padded to a 16-bit boundary.
      const int bytes = four ? (value + 1) / 2 : value;
      for (int i = 0; i < bytes; ++i)
      {
        const int b = next();
        if (b == EOF)
        {
          reason = L"the file ends before its picture";
          return false;
        }
        if (four)
        {
          put(OdUInt32(b) >> 4);
          if (2 * i + 1 < value)
            put(OdUInt32(b) & 15);
        }
        else
          put(OdUInt32(b));
      }
      if (bytes % 2 && next() == EOF)
      {
        reason = L"the file ends before its picture";
        return false;
      }
    }
  }
  return true;
}
} // namespace

namespace OdGiImageIo
{
bool decodeBmp(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason)
{
  Bmp bmp;
  if (!readHeader(file, bmp, reason))
    return false;
  if (bmp.width != info.width || bmp.height != info.height)
  {
    reason = L"the file changed while it was read";
    return false;
  }
  ImageReducer reducer(bmp.width, bmp.height, image, info.decodedWidth, info.decodedHeight,
                       bmp.topFirst ? ImageReducer::Order::TopFirst : ImageReducer::Order::BottomFirst);
  const bool rle = bmp.compression == 1 || bmp.compression == 2;
  if (!(rle ? decodeRle(file, bmp, reducer, reason) : decodeRows(file, bmp, reducer, reason)))
    return false;
  return reducer.finish();
}
} // namespace OdGiImageIo
