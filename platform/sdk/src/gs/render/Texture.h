// Image textures: a decoded picture with its mip levels, sampling with the
// map's tiling, and the cache that keeps decoded files.
#pragma once

#include "od/GsSoftware.h"
#include "RenderMath.h"
#include "Simd.h"

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

// Folds a texture coordinate into [0, 1] by the tiling; false for None
// outside the tile.
inline bool applyTiling(float& t, Tiling tiling)
{
  switch (tiling)
  {
  case Tiling::Tile:
    t -= fastFloor(t);
    return true;
  case Tiling::None:
    return t >= 0.f && t <= 1.f;
  case Tiling::Clamp:
    t = clamp01(t);
    return true;
  case Tiling::Mirror:
  {
    // Period 2: 0..1 forward, 1..2 backward.
    float p = t - 2.f * fastFloor(t * 0.5f);
    t = p > 1.f ? 2.f - p : p;
    return true;
  }
  }
  return true;
}

class TextureImage
{
public:
  // rgba: width * height texels, rows top first. Builds the mip chain.
  TextureImage(OdUInt32 width, OdUInt32 height, const std::vector<OdUInt8>& rgba);

  OdUInt32 width() const { return OdUInt32(m_levels[0].w); }
  OdUInt32 height() const { return OdUInt32(m_levels[0].h); }
  std::size_t bytes() const { return m_bytes; }

  // Bilinear sample at (u, v) in [0, 1] (v = 0 the bottom edge) from the mip
  // level lod (0 the full picture, fractional levels blend two). The tilings
  // decide which texels neighbour the edges. Result in 0..1, alpha in [3].
  void sample(float u, float v, float lod, Tiling tu, Tiling tv, float out[4]) const;
  // The same as red, green, blue, alpha lanes.
  f4 sample4(float u, float v, float lod, Tiling tu, Tiling tv) const;
  // sample4 for four points (lanes of u, v, lod); out[k] for point k, left
  // alone where valid is false.
  void sample4x4(f4 u, f4 v, f4 lod, Tiling tu, Tiling tv, i4 valid, f4 out[4]) const;

private:
  struct Level
  {
    int w = 0, h = 0;
    std::vector<OdUInt8> rgba;
  };
  f4 sampleLevel(const Level& level, float u, float v, Tiling tu, Tiling tv) const;
  void sampleLevel4(const Level& level, f4 u, f4 v, Tiling tu, Tiling tv, i4 lanes, f4 out[4]) const;
  std::vector<Level> m_levels;
  std::size_t m_bytes = 0;
};
using TextureImagePtr = std::shared_ptr<const TextureImage>;

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
  void evict();

  mutable std::mutex m_mutex;
  OdGsImageLoader m_loader;
  std::size_t m_limit = std::size_t(96) << 20;
  std::size_t m_bytes = 0;
  OdUInt64 m_decodes = 0;
  std::list<Entry> m_lru; // most recent first
  std::map<OdString, std::list<Entry>::iterator> m_index;
};
} // namespace OdGsRender
