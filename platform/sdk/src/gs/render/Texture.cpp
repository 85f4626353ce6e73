#include "Texture.h"

#include <filesystem>
#include <system_error>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fs = std::filesystem;

namespace OdGsRender
{
namespace
{
// Texel index at the edge of a level, by the tiling.
inline int foldIndex(int i, int n, Tiling tiling)
{
  if (i >= 0 && i < n)
    return i;
  switch (tiling)
  {
  case Tiling::Tile: return ((i % n) + n) % n;
  case Tiling::Mirror: return i < 0 ? std::min(-i - 1, n - 1) : std::max(2 * n - i - 1, 0);
  default: return i < 0 ? 0 : n - 1;
  }
}
} // namespace

TextureImage::TextureImage(OdUInt32 width, OdUInt32 height, const std::vector<OdUInt8>& rgba)
{
  Level base;
  base.w = int(width);
  base.h = int(height);
  base.rgba = rgba;
  m_bytes = base.rgba.size();
  m_levels.push_back(std::move(base));
  // Each level halves the one before by a 2 x 2 box (an odd edge repeats).
  while (m_levels.back().w > 1 || m_levels.back().h > 1)
  {
    const Level& src = m_levels.back();
    Level next;
    next.w = std::max(1, src.w / 2);
    next.h = std::max(1, src.h / 2);
    next.rgba.resize(std::size_t(next.w) * next.h * 4);
    for (int y = 0; y < next.h; ++y)
      for (int x = 0; x < next.w; ++x)
      {
        const int x0 = std::min(2 * x, src.w - 1), x1 = std::min(2 * x + 1, src.w - 1);
        const int y0 = std::min(2 * y, src.h - 1), y1 = std::min(2 * y + 1, src.h - 1);
        for (int c = 0; c < 4; ++c)
        {
          const int sum = src.rgba[(std::size_t(y0) * src.w + x0) * 4 + c] + src.rgba[(std::size_t(y0) * src.w + x1) * 4 + c] +
                          src.rgba[(std::size_t(y1) * src.w + x0) * 4 + c] + src.rgba[(std::size_t(y1) * src.w + x1) * 4 + c];
          next.rgba[(std::size_t(y) * next.w + x) * 4 + c] = OdUInt8((sum + 2) / 4);
        }
      }
    m_bytes += next.rgba.size();
    m_levels.push_back(std::move(next));
  }
}

namespace
{
// A texel's four channels as floats.
inline f4 texelAt(const OdUInt8* p)
{
#ifdef __SSE2__
  // Bytes widened to 32-bit lanes by interleaving with zeros.
  std::int32_t bits;
  std::memcpy(&bits, p, sizeof bits);
  const __m128i zero = _mm_setzero_si128();
  return (f4)_mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bits), zero), zero));
#else
  return f4{float(p[0]), float(p[1]), float(p[2]), float(p[3])};
#endif
}
} // namespace

f4 TextureImage::sampleLevel(const Level& level, float u, float v, Tiling tu, Tiling tv) const
{
  // Texel centres sit at half-integers; row 0 is the top, v = 0 the bottom.
  const float fx = u * float(level.w) - 0.5f;
  const float fy = (1.f - v) * float(level.h) - 0.5f;
  const float flx = fastFloor(fx), fly = fastFloor(fy);
  const int ix = int(flx), iy = int(fly);
  const float ax = fx - flx, ay = fy - fly;
  int x0 = ix, x1 = ix + 1, y0 = iy, y1 = iy + 1;
  if (ix < 0 || x1 >= level.w)
    x0 = foldIndex(ix, level.w, tu), x1 = foldIndex(ix + 1, level.w, tu);
  if (iy < 0 || y1 >= level.h)
    y0 = foldIndex(iy, level.h, tv), y1 = foldIndex(iy + 1, level.h, tv);
  // The four texels weighted and summed per channel.
  auto texel = [&](int x, int y) { return texelAt(&level.rgba[(std::size_t(y) * std::size_t(level.w) + std::size_t(x)) * 4]); };
  const float w00 = (1 - ax) * (1 - ay), w10 = ax * (1 - ay), w01 = (1 - ax) * ay, w11 = ax * ay;
  return (texel(x0, y0) * w00 + texel(x1, y0) * w10 + texel(x0, y1) * w01 + texel(x1, y1) * w11) * (1.f / 255.f);
}

void TextureImage::sampleLevel4(const Level& level, f4 u, f4 v, Tiling tu, Tiling tv, i4 lanes, f4 out[4]) const
{
  // sampleLevel with the coordinates and weights four lanes at once.
  const f4 fx = u * float(level.w) - 0.5f;
  const f4 fy = (1.f - v) * float(level.h) - 0.5f;
  const f4 flx = floor4(fx), fly = floor4(fy);
  const i4 ix = __builtin_convertvector(flx, i4), iy = __builtin_convertvector(fly, i4);
  const f4 ax = fx - flx, ay = fy - fly;
  const f4 w00 = (1 - ax) * (1 - ay), w10 = ax * (1 - ay), w01 = (1 - ax) * ay, w11 = ax * ay;
  for (int k = 0; k < 4; ++k)
  {
    if (!lanes[k])
      continue;
    int x0 = ix[k], x1 = ix[k] + 1, y0 = iy[k], y1 = iy[k] + 1;
    if (x0 < 0 || x1 >= level.w)
      x0 = foldIndex(ix[k], level.w, tu), x1 = foldIndex(ix[k] + 1, level.w, tu);
    if (y0 < 0 || y1 >= level.h)
      y0 = foldIndex(iy[k], level.h, tv), y1 = foldIndex(iy[k] + 1, level.h, tv);
    const OdUInt8* data = level.rgba.data();
    const std::size_t row0 = std::size_t(y0) * std::size_t(level.w), row1 = std::size_t(y1) * std::size_t(level.w);
    out[k] = (texelAt(data + (row0 + std::size_t(x0)) * 4) * w00[k] + texelAt(data + (row0 + std::size_t(x1)) * 4) * w10[k] +
              texelAt(data + (row1 + std::size_t(x0)) * 4) * w01[k] + texelAt(data + (row1 + std::size_t(x1)) * 4) * w11[k]) *
             (1.f / 255.f);
  }
}

void TextureImage::sample4x4(f4 u, f4 v, f4 lod, Tiling tu, Tiling tv, i4 valid, f4 out[4]) const
{
  // sample4's level choice per lane; each level used is then sampled for
  // all lanes that use it at once.
  const int levels = int(m_levels.size());
  lod = select4(lod < 0.f, splat(0.f), lod);
  lod = select4(float(levels - 1) < lod, splat(float(levels - 1)), lod);
  const i4 l0 = __builtin_convertvector(lod, i4);
  const f4 t = lod - __builtin_convertvector(l0, f4);
  const i4 blend = valid & (t > 0.01f) & (l0 + 1 < levels);
  f4 second[4];
  for (i4 left = valid; left[0] | left[1] | left[2] | left[3];)
  {
    const int level = left[0] ? l0[0] : left[1] ? l0[1] : left[2] ? l0[2] : l0[3];
    const i4 lanes = left & (l0 == level);
    sampleLevel4(m_levels[std::size_t(level)], u, v, tu, tv, lanes, out);
    if (blend[0] | blend[1] | blend[2] | blend[3])
      sampleLevel4(m_levels[std::size_t(std::min(level + 1, levels - 1))], u, v, tu, tv, lanes & blend, second);
    left &= ~lanes;
  }
  for (int k = 0; k < 4; ++k)
    if (blend[k])
      out[k] += (second[k] - out[k]) * t[k];
}

f4 TextureImage::sample4(float u, float v, float lod, Tiling tu, Tiling tv) const
{
  const float maxLevel = float(m_levels.size() - 1);
  lod = std::min(std::max(lod, 0.f), maxLevel);
  const int l0 = int(lod);
  const float t = lod - float(l0);
  f4 out = sampleLevel(m_levels[std::size_t(l0)], u, v, tu, tv);
  if (t > 0.01f && l0 + 1 < int(m_levels.size()))
  {
    const f4 second = sampleLevel(m_levels[std::size_t(l0 + 1)], u, v, tu, tv);
    out += (second - out) * t;
  }
  return out;
}

void TextureImage::sample(float u, float v, float lod, Tiling tu, Tiling tv, float out[4]) const
{
  store4(out, sample4(u, v, lod, tu, tv));
}

namespace
{
fs::path fsPath(const OdString& path)
{
#ifdef _WIN32
  return fs::path(path.str());
#else
  return fs::u8path(path.toUtf8());
#endif
}
} // namespace

TextureLookup TextureCache::lookup(const OdString& path)
{
  TextureLookup result;
  if (path.isEmpty())
  {
    result.error = L"no file name";
    return result;
  }
  std::error_code ec;
  const fs::path file = fsPath(path);
  if (!fs::is_regular_file(file, ec))
  {
    result.error = OdString::format(L"texture file '%s' not found", path);
    return result;
  }
  const OdUInt64 size = OdUInt64(fs::file_size(file, ec));
  const OdInt64 stamp = ec ? 0 : OdInt64(fs::last_write_time(file, ec).time_since_epoch().count());

  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_index.find(path);
  if (found != m_index.end())
  {
    Entry& entry = *found->second;
    if (entry.size == size && entry.stamp == stamp)
    {
      m_lru.splice(m_lru.begin(), m_lru, found->second);
      result.image = entry.image;
      result.error = entry.error;
      return result;
    }
    // The file changed: forget the old picture.
    m_bytes -= entry.image ? entry.image->bytes() : 0;
    m_lru.erase(found->second);
    m_index.erase(found);
  }

  Entry entry;
  entry.path = path;
  entry.size = size;
  entry.stamp = stamp;
  OdGsDecodedImage decoded;
  OdString reason;
  ++m_decodes;
  const bool ok = m_loader && m_loader(path, decoded, reason);
  if (ok && decoded.width > 0 && decoded.height > 0 && decoded.rgba.size() == std::size_t(decoded.width) * decoded.height * 4)
    entry.image = std::make_shared<TextureImage>(decoded.width, decoded.height, decoded.rgba);
  else
    entry.error = OdString::format(L"texture file '%s' cannot be read: %s", path,
                                   reason.isEmpty() ? OdString(L"the decoder gave no picture") : reason);
  result.image = entry.image;
  result.error = entry.error;

  const std::size_t bytes = entry.image ? entry.image->bytes() : 0;
  if (bytes <= m_limit)
  {
    m_lru.push_front(std::move(entry));
    m_index[path] = m_lru.begin();
    m_bytes += bytes;
    evict();
  }
  return result;
}

void TextureCache::evict()
{
  // Never the newest entry: it is what the caller is about to use.
  while (m_bytes > m_limit && m_lru.size() > 1)
  {
    Entry& last = m_lru.back();
    m_bytes -= last.image ? last.image->bytes() : 0;
    m_index.erase(last.path);
    m_lru.pop_back();
  }
}

void TextureCache::setLoader(OdGsImageLoader loader)
{
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_loader = loader;
  }
  clear();
}

OdGsImageLoader TextureCache::loader() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_loader;
}

void TextureCache::setLimit(std::size_t bytes)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_limit = bytes;
  while (m_bytes > m_limit && !m_lru.empty())
  {
    Entry& last = m_lru.back();
    m_bytes -= last.image ? last.image->bytes() : 0;
    m_index.erase(last.path);
    m_lru.pop_back();
  }
}

std::size_t TextureCache::limit() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_limit;
}

std::size_t TextureCache::bytes() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bytes;
}

OdUInt64 TextureCache::decodeCount() const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_decodes;
}

void TextureCache::clear()
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_lru.clear();
  m_index.clear();
  m_bytes = 0;
}
} // namespace OdGsRender
