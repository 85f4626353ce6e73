// Image textures: a decoded picture in linear light with its mip levels,
// trilinear sampling with the map's tiling, and the cache that keeps
// decoded files.
#pragma once

#include "RenderMath.h"
#include "od/GsSoftware.h"

#include <filesystem>
#include <list>
#include <map>
#include <memory>
#include <mutex>

namespace OdGsRender
{
enum class Tiling
{
  Tile,   // repeats
  None,   // once; outside it the surface keeps its base colour
  Clamp,  // the edge texels stretch outward
  Mirror, // repeats, every other copy flipped
};

class TextureImage
{
public:
  // rgba: 8-bit sRGB colour and linear alpha, width * height texels, rows
  // top first. Builds the mip chain.
  TextureImage(OdUInt32 width, OdUInt32 height, const std::vector<OdUInt8>& rgba);

  OdUInt32 width() const { return OdUInt32(m_levels[0].w); }
  OdUInt32 height() const { return OdUInt32(m_levels[0].h); }
  std::size_t bytes() const { return m_bytes; }

  // The picture, then each half the size of the one before down to 1 x 1
  // (sampled by sampleTexture() in Shading.h).
  struct Level
  {
    int w = 0, h = 0;
    std::vector<OdUInt16> texels; // linear, premultiplied, 65535 = 1
  };
  const std::vector<Level>& levels() const { return m_levels; }

private:
  std::vector<Level> m_levels;
  std::size_t m_bytes = 0;
};
using TextureImagePtr = std::shared_ptr<const TextureImage>;

// A file name as the file system takes it.
std::filesystem::path fsPath(const OdString& path);

struct TextureLookup
{
  TextureImagePtr image; // null on failure
  OdString error;        // why, when image is null
};

// Decoded files by path; an entry is valid while the file's size and
// modification time stay the same. Failures to decode are remembered the same
// way, so a broken file is not decoded again for every picture.
class TextureCache
{
public:
  explicit TextureCache(OdGsImageLoader loader) : m_loader(loader) {}

  TextureLookup lookup(const OdString& path);

  void setLoader(OdGsImageLoader loader);
  OdGsImageLoader loader() const;
  void setLimit(std::size_t bytes);
  std::size_t limit() const;
  std::size_t bytes() const;
  OdUInt64 decodeCount() const;
  void clear();

private:
  struct Entry
  {
    OdString path;
    OdUInt64 size = 0;
    OdInt64 stamp = 0;
    TextureImagePtr image;
    OdString error;
  };
  void evictTo(std::size_t limit, std::size_t keep); // keep: entries never evicted, newest first

  mutable std::mutex m_mutex;
  OdGsImageLoader m_loader;
  // Two of the largest maps (2048 x 2048 texels, the most a file is decoded
  // at, with their mip levels 45 MB each) and many small ones.
  std::size_t m_limit = std::size_t(96) << 20;
  std::size_t m_bytes = 0;
  OdUInt64 m_decodes = 0;
  std::list<Entry> m_lru; // most recent first
  std::map<OdString, std::list<Entry>::iterator> m_index;
};
} // namespace OdGsRender
