#include "Texture.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace OdGsRender
{
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

fs::path fsPath(const OdString& path)
{
#ifdef _WIN32
  return fs::path(path.str());
#else
  return fs::u8path(path.toUtf8());
#endif
}

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
