#include "Texture.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace OdGsRender
{
vint applyTiling(vfloat& t, Tiling tiling)
{
  switch (tiling)
  {
  case Tiling::Tile: t -= floor(t); break;
  case Tiling::None: return (t >= 0.f) & (t <= 1.f);
  case Tiling::Clamp: t = clamp01(t); break;
  case Tiling::Mirror:
  {
    // Period 2: 0..1 forward, 1..2 backward.
    const vfloat p = t - 2.f * floor(t * 0.5f);
    t = select(p > 1.f, 2.f - p, p);
    break;
  }
  }
  return splat(-1);
}

TextureImage::TextureImage(OdUInt32 width, OdUInt32 height, const std::vector<OdUInt8>& rgba)
{
  // Linear light, premultiplied by alpha: filtering and mip levels then
  // average light and coverage as the eye would.
  Level base;
  base.w = int(width);
  base.h = int(height);
  base.texels.resize(rgba.size());
  const float* linear = srgbTable();
  for (std::size_t i = 0; i < rgba.size(); i += 4)
  {
    const float alpha = float(rgba[i + 3]) * (65535.f / 255.f);
    for (std::size_t c = 0; c < 3; ++c)
      base.texels[i + c] = OdUInt16(linear[rgba[i + c]] * alpha + 0.5f);
    base.texels[i + 3] = OdUInt16(rgba[i + 3] * 257);
  }
  m_levels.push_back(std::move(base));
  // Each level halves the one before by a 2 x 2 box (an odd edge repeats).
  while (m_levels.back().w > 1 || m_levels.back().h > 1)
  {
    const Level& src = m_levels.back();
    Level next;
    next.w = std::max(1, src.w / 2);
    next.h = std::max(1, src.h / 2);
    next.texels.resize(std::size_t(next.w) * std::size_t(next.h) * 4);
    auto at = [&src](int x, int y, int c) {
      return int(
        src
          .texels[(std::size_t(std::min(y, src.h - 1)) * std::size_t(src.w) + std::size_t(std::min(x, src.w - 1))) * 4 +
                  std::size_t(c)]);
    };
    for (int y = 0; y < next.h; ++y)
      for (int x = 0; x < next.w; ++x)
        for (int c = 0; c < 4; ++c)
          next.texels[(std::size_t(y) * std::size_t(next.w) + std::size_t(x)) * 4 + std::size_t(c)] =
            OdUInt16((at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                      at(2 * x + 1, 2 * y + 1, c) + 2) /
                     4);
    m_levels.push_back(std::move(next));
  }
  for (const Level& level : m_levels)
    m_bytes += level.texels.size() * sizeof(OdUInt16);
}

void TextureImage::addBilinear(const Level& level, vfloat u, vfloat v, Tiling tu, Tiling tv, vint lanes, vfloat weight,
                               rgba sum[kLanes]) const
{
  // Texel centres sit at half-integers; row 0 is the top, v = 0 the bottom.
  // u and v are in [0, 1], so the texels to either side lie from one
  // before the first to one past the last: the tiling says which they are.
  const vfloat fx = u * float(level.w) - 0.5f, fy = (1.f - v) * float(level.h) - 0.5f;
  const vfloat left = floor(fx), top = floor(fy), ax = fx - left, ay = fy - top;
  auto inside = [](vint i, int n, Tiling tiling) {
    const bool wrap = tiling == Tiling::Tile;
    return i < 0 ? splat(wrap ? n - 1 : 0) : (i >= n ? splat(wrap ? 0 : n - 1) : i);
  };
  const vint x0 = inside(toInt(left), level.w, tu), x1 = inside(toInt(left) + 1, level.w, tu);
  const vint y0 = inside(toInt(top), level.h, tv), y1 = inside(toInt(top) + 1, level.h, tv);
  const vfloat w00 = (1.f - ax) * (1.f - ay) * weight, w10 = ax * (1.f - ay) * weight;
  const vfloat w01 = (1.f - ax) * ay * weight, w11 = ax * ay * weight;
  // A texel and the one right of it, read at once where they sit side by
  // side in memory, as eight floats; weighted, then the halves added.
  typedef OdUInt16 Texel __attribute__((vector_size(8)));
  typedef float Pair __attribute__((vector_size(32)));
  auto pair = [&level](int x0, int x1, int y,
                       Pair& out) { // out, not returned: a 32-byte return changes the ABI without AVX
    const OdUInt16* row = &level.texels[std::size_t(y) * std::size_t(level.w) * 4];
    Texel a, b;
    std::memcpy(&a, row + std::size_t(x0) * 4, sizeof a);
    std::memcpy(&b, row + std::size_t(x1) * 4, sizeof b);
    out = __builtin_convertvector(__builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7), Pair);
  };
  for (int k = 0; k < kLanes; ++k)
    if (lanes[k])
    {
      Pair upper, lower;
      pair(x0[k], x1[k], y0[k], upper);
      pair(x0[k], x1[k], y1[k], lower);
      const Pair both = upper * Pair{w00[k], w00[k], w00[k], w00[k], w10[k], w10[k], w10[k], w10[k]} +
                        lower * Pair{w01[k], w01[k], w01[k], w01[k], w11[k], w11[k], w11[k], w11[k]};
      sum[k] += __builtin_shufflevector(both, both, 0, 1, 2, 3) + __builtin_shufflevector(both, both, 4, 5, 6, 7);
    }
}

void TextureImage::sample(vfloat u, vfloat v, vfloat lod, Tiling tu, Tiling tv, vint active, vfloat out[4]) const
{
  // Trilinear: each lane blends the two levels around its lod. Lanes
  // mostly share their levels, so each level in use is sampled once for
  // all lanes on it.
  const int top = int(m_levels.size()) - 1;
  lod = min(max(lod, splat(0.f)), splat(float(top)));
  const vint below = toInt(lod);
  const vfloat t = lod - toFloat(below);
  rgba sum[kLanes] = {};
  for (vint left = active; any(left);)
  {
    int level = 0;
    for (int k = kLanes - 1; k >= 0; --k)
      level = left[k] ? below[k] : level;
    const vint lanes = left & (below == level);
    addBilinear(m_levels[std::size_t(level)], u, v, tu, tv, lanes, 1.f - t, sum);
    if (level < top)
      addBilinear(m_levels[std::size_t(level) + 1], u, v, tu, tv, lanes & (t > 0.f), t, sum);
    left &= ~lanes;
  }
  for (int k = 0; k < kLanes; ++k)
    for (int channel = 0; channel < 4; ++channel)
      out[channel][k] = active[k] ? sum[k][channel] * (1.f / 65535.f) : out[channel][k];
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
  if (ok && decoded.width > 0 && decoded.height > 0 &&
      decoded.rgba.size() == std::size_t(decoded.width) * decoded.height * 4)
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
    evictTo(m_limit, 1); // never the newest entry: it is what the caller is about to use
  }
  return result;
}

void TextureCache::evictTo(std::size_t limit, std::size_t keep)
{
  while (m_bytes > limit && m_lru.size() > keep)
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
  evictTo(m_limit, 0);
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
