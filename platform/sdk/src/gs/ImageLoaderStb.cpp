// The built-in image decoder: stb_image, from the system's stb package.
#include "od/GsSoftware.h"

#include <cstdio>
#include <memory>
#include <stb_image.h>

namespace
{
struct FileCloser
{
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::FILE* openFile(const OdString& path)
{
#ifdef _WIN32
  return _wfopen(path.c_str(), L"rb");
#else
  return std::fopen(path.toUtf8().c_str(), "rb");
#endif
}

// Larger files or pictures are refused rather than decoded: a preview has no
// use for them and they could exhaust memory.
constexpr long kMaxFileBytes = 256L << 20;
constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 64LL << 20;
} // namespace

bool odgsDefaultImageLoader(const OdString& path, OdGsDecodedImage& image, OdString& reason)
{
  std::unique_ptr<std::FILE, FileCloser> file(openFile(path));
  if (!file)
  {
    reason = L"the file cannot be opened";
    return false;
  }
  std::vector<unsigned char> bytes;
  if (std::fseek(file.get(), 0, SEEK_END) != 0)
  {
    reason = L"the file cannot be read";
    return false;
  }
  const long size = std::ftell(file.get());
  if (size <= 0 || size > kMaxFileBytes)
  {
    reason = size <= 0 ? L"the file is empty" : L"the file is too large";
    return false;
  }
  std::rewind(file.get());
  bytes.resize(std::size_t(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
  {
    reason = L"the file cannot be read";
    return false;
  }
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels))
  {
    const char* why = stbi_failure_reason();
    reason = OdString(L"not a picture the decoder knows (") + OdString(why ? why : "unknown format") + L")";
    return false;
  }
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || (long long)w * h > kMaxPixels)
  {
    reason = L"the picture is too large";
    return false;
  }
  unsigned char* pixels = stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4);
  if (!pixels)
  {
    const char* why = stbi_failure_reason();
    reason = OdString(L"the picture is damaged (") + OdString(why ? why : "unknown error") + L")";
    return false;
  }
  image.width = OdUInt32(w);
  image.height = OdUInt32(h);
  image.rgba.assign(pixels, pixels + std::size_t(w) * std::size_t(h) * 4);
  stbi_image_free(pixels);
  return true;
}
