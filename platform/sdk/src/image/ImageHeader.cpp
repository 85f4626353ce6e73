// Format and size of an image file from its header, for PNG, JPEG, BMP and
// TIFF, without decoding anything. Every read is bounded by the file: a
// damaged header gives a refusal, never a long walk.
#include "ImageFileIo.h"

#include "od/GiImageFile.h"

#include <cstring>

namespace OdGiImageIo
{
File openFile(const OdString& path)
{
#ifdef _WIN32
  return File(_wfopen(path.c_str(), L"rb"));
#else
  return File(std::fopen(path.toUtf8().c_str(), "rb"));
#endif
}

bool readAt(std::FILE* file, OdUInt64 offset, void* bytes, std::size_t n)
{
  if (offset > OdUInt64(kOdGiMaxImageFileBytes))
    return false;
  // fseek takes a long, which is 32 bits on Windows: the size limit keeps
  // offsets well inside it.
  return std::fseek(file, long(offset), SEEK_SET) == 0 && std::fread(bytes, 1, n, file) == n;
}
} // namespace OdGiImageIo

namespace
{
using OdGiImageIo::readAt;

OdUInt32 be16(const OdUInt8* p) { return OdUInt32(p[0]) << 8 | p[1]; }
OdUInt32 be32(const OdUInt8* p) { return OdUInt32(p[0]) << 24 | OdUInt32(p[1]) << 16 | OdUInt32(p[2]) << 8 | p[3]; }
OdUInt32 le16(const OdUInt8* p) { return OdUInt32(p[1]) << 8 | p[0]; }
OdUInt32 le32(const OdUInt8* p) { return OdUInt32(p[3]) << 24 | OdUInt32(p[2]) << 16 | OdUInt32(p[1]) << 8 | p[0]; }

bool damaged(const wchar_t* format, OdString& reason)
{
  reason = OdString::format(L"the %s header is damaged", format);
  return false;
}

// Signature, then the IHDR chunk, which must come first.
bool readPng(std::FILE* file, OdGiImageFileInfo& info, OdString& reason)
{
  OdUInt8 h[24];
  if (!readAt(file, 0, h, sizeof h) || be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0)
    return damaged(L"PNG", reason);
  info.width = be32(h + 16);
  info.height = be32(h + 20);
  return true;
}

// Marker segments up to the first frame header (SOFn), which holds the size.
bool readJpeg(std::FILE* file, OdGiImageFileInfo& info, OdString& reason)
{
  OdUInt64 pos = 2;
  while (true)
  {
    OdUInt8 m[2];
    if (!readAt(file, pos, m, 2) || m[0] != 0xFF)
      return damaged(L"JPEG", reason);
    const OdUInt8 marker = m[1];
    if (marker == 0xFF)
    {
      ++pos; // fill byte
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
    {
      pos += 2; // markers without a segment
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA)
      return damaged(L"JPEG", reason); // image data before any frame header
    OdUInt8 lengthBytes[2];
    if (!readAt(file, pos + 2, lengthBytes, 2))
      return damaged(L"JPEG", reason);
    const OdUInt32 length = be16(lengthBytes);
    if (length < 2)
      return damaged(L"JPEG", reason);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame)
    {
      OdUInt8 f[5]; // precision, height, width
      if (length < 7 || !readAt(file, pos + 4, f, sizeof f))
        return damaged(L"JPEG", reason);
      info.height = be16(f + 1);
      info.width = be16(f + 3);
      if (info.height == 0)
      {
        // The height would come after the first scan (a DNL marker).
        reason = L"JPEG files that give their height after the image data are not supported";
        return false;
      }
      return true;
    }
    pos += 2 + length;
  }
}

bool readBmp(std::FILE* file, OdGiImageFileInfo& info, OdString& reason)
{
  OdUInt8 h[54];
  if (!readAt(file, 0, h, 18))
    return damaged(L"BMP", reason);
  const OdUInt32 headerSize = le32(h + 14);
  if (headerSize == 12)
  {
    // OS/2 1.x: 16-bit sizes.
    if (!readAt(file, 18, h + 18, 8))
      return damaged(L"BMP", reason);
    info.width = le16(h + 18);
    info.height = le16(h + 20);
    return true;
  }
  // The whole header must be there: a file cut inside it has no picture.
  const std::size_t present = headerSize < 40 ? headerSize : 40;
  if (headerSize < 16 || !readAt(file, 18, h + 18, present - 4))
    return damaged(L"BMP", reason);
  const OdInt32 width = OdInt32(le32(h + 18));
  const OdInt32 height = OdInt32(le32(h + 22));
  // A negative height means rows top first.
  if (width <= 0 || height == 0 || height == INT32_MIN)
    return damaged(L"BMP", reason);
  info.width = OdUInt32(width);
  info.height = OdUInt32(height < 0 ? -height : height);
  // Uncompressed rows have a known size: a file that ends before them would
  // decode with the missing rows black, without any error.
  const OdUInt32 bits = le16(h + 28), compression = headerSize >= 20 ? le32(h + 30) : 0;
  if (compression == 0 || compression == 3 || compression == 6)
  {
    const OdUInt64 stride = (OdUInt64(info.width) * bits + 31) / 32 * 4;
    if (std::fseek(file, 0, SEEK_END) == 0 && OdUInt64(std::ftell(file)) < le32(h + 10) + stride * info.height)
      info.truncated = true;
  }
  return true;
}

// The first directory's ImageWidth (256) and ImageLength (257) tags.
bool readTiff(std::FILE* file, bool little, OdGiImageFileInfo& info, OdString& reason)
{
  const auto u16 = [little](const OdUInt8* p) { return little ? le16(p) : be16(p); };
  const auto u32 = [little](const OdUInt8* p) { return little ? le32(p) : be32(p); };
  OdUInt8 h[8];
  if (!readAt(file, 0, h, sizeof h))
    return damaged(L"TIFF", reason);
  if (u16(h + 2) == 43)
  {
    reason = L"BigTIFF files are not supported";
    return false;
  }
  const OdUInt64 directory = u32(h + 4);
  OdUInt8 countBytes[2];
  if (directory < 8 || !readAt(file, directory, countBytes, 2))
    return damaged(L"TIFF", reason);
  const OdUInt32 count = u16(countBytes);
  bool haveWidth = false, haveHeight = false;
  for (OdUInt32 i = 0; i < count && !(haveWidth && haveHeight); ++i)
  {
    OdUInt8 e[12]; // tag, type, count, value
    if (!readAt(file, directory + 2 + 12ull * i, e, sizeof e))
      return damaged(L"TIFF", reason);
    const OdUInt32 tag = u16(e), type = u16(e + 2);
    if (tag != 256 && tag != 257)
      continue;
    OdUInt32 value = 0;
    if (type == 3) // SHORT
      value = u16(e + 8);
    else if (type == 4) // LONG
      value = u32(e + 8);
    else
      return damaged(L"TIFF", reason);
    (tag == 256 ? info.width : info.height) = value;
    (tag == 256 ? haveWidth : haveHeight) = true;
  }
  if (!haveWidth || !haveHeight)
    return damaged(L"TIFF", reason);
  return true;
}
// "II" (little-endian) or "MM" (big-endian), then 42, or 43 for BigTIFF.
bool isTiff(const OdUInt8* magic)
{
  if (std::memcmp(magic, "II", 2) != 0 && std::memcmp(magic, "MM", 2) != 0)
    return false;
  const OdUInt32 version = magic[0] == 'I' ? le16(magic + 2) : be16(magic + 2);
  return version == 42 || version == 43;
}
} // namespace

bool odgiReadImageFileInfo(const OdString& path, OdGiImageFileInfo& info, OdString& reason)
{
  info = OdGiImageFileInfo();
  OdGiImageIo::File file = OdGiImageIo::openFile(path);
  if (!file)
  {
    reason = L"the file cannot be opened";
    return false;
  }
  OdUInt8 magic[8] = {};
  const std::size_t got = std::fread(magic, 1, sizeof magic, file.get());
  bool ok = false;
  if (got == 0)
    reason = L"the file is empty";
  else if (got >= 8 && std::memcmp(magic, "\x89PNG\r\n\x1a\n", 8) == 0)
  {
    info.format = OdGiImageFormat::Png;
    ok = readPng(file.get(), info, reason);
  }
  else if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
  {
    info.format = OdGiImageFormat::Jpeg;
    ok = readJpeg(file.get(), info, reason);
  }
  else if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
  {
    info.format = OdGiImageFormat::Bmp;
    ok = readBmp(file.get(), info, reason);
  }
  else if (got >= 4 && isTiff(magic))
  {
    info.format = OdGiImageFormat::Tiff;
    ok = readTiff(file.get(), magic[0] == 'I', info, reason);
  }
  else
    reason = L"not a PNG, JPEG, TIFF or BMP file";
  if (ok && (info.width == 0 || info.height == 0))
  {
    reason = L"the picture has no pixels";
    ok = false;
  }
  if (ok)
    odgiSetDecodedSize(info);
  else
    info.width = info.height = 0;
  return ok;
}
