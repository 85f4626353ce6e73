// File access shared by the image header reader and the decoders.
#pragma once

#include "od/OdString.h"

#include <cstdio>
#include <memory>

namespace OdGiImageIo
{
struct FileCloser
{
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens for binary reading; wide paths on Windows, UTF-8 elsewhere.
File openFile(const OdString& path);

// Exactly n bytes at the offset; false at the end of the file or on error.
bool readAt(std::FILE* file, OdUInt64 offset, void* bytes, std::size_t n);
} // namespace OdGiImageIo

struct OdGsDecodedImage;
struct OdGiImageFileInfo;
namespace OdGiImageIo
{
// BMP files decoded at info's decoded size (BmpDecoder.cpp).
bool decodeBmp(std::FILE* file, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason);
} // namespace OdGiImageIo
