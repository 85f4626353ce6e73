// Loading image files: header first, limits, the decoder, and the cache of
// decoded pictures by path, size and modification time.
#include "od/GiImageFile.h"
#include "od/GsSoftware.h"

#include <filesystem>
#include <list>
#include <map>
#include <mutex>

namespace
{
std::filesystem::path fsPath(const OdString& path)
{
#ifdef _WIN32
  return std::filesystem::path(path.str());
#else
  return std::filesystem::path(path.toUtf8());
#endif
}

// What identifies one version of a file.
struct FileStamp
{
  OdUInt64 size = 0;
  OdInt64 modified = 0;
  bool operator==(const FileStamp& o) const { return size == o.size && modified == o.modified; }
};

bool stampOf(const OdString& path, FileStamp& stamp, OdString& reason)
{
  std::error_code error;
  const std::filesystem::path p = fsPath(path);
  const auto status = std::filesystem::status(p, error);
  if (error || !std::filesystem::exists(status))
  {
    reason = L"the file does not exist";
    return false;
  }
  if (!std::filesystem::is_regular_file(status))
  {
    reason = L"the path is not a file";
    return false;
  }
  stamp.size = std::filesystem::file_size(p, error);
  if (error)
  {
    reason = L"the file cannot be read";
    return false;
  }
  stamp.modified = OdInt64(std::filesystem::last_write_time(p, error).time_since_epoch().count());
  if (error)
  {
    reason = L"the file cannot be read";
    return false;
  }
  return true;
}

bool withinLimits(const OdGiImageFileInfo& info, OdString& reason)
{
  if (info.width <= kOdGiMaxImageSide && info.height <= kOdGiMaxImageSide)
    return true;
  reason = OdString::format(L"the picture is %d x %d pixels, more than a preview can show (at most %d on a side)",
                            info.width, info.height, kOdGiMaxImageSide);
  return false;
}

// Header, limits, decoder: no cache.
OdGiImageLoadResult decodeFile(const OdString& path, OdUInt64 size, OdGiImageDecoder& decoder)
{
  OdGiImageLoadResult result;
  if (size == 0)
  {
    result.reason = L"the file is empty";
    return result;
  }
  if (size > kOdGiMaxImageFileBytes)
  {
    result.reason = L"the file is larger than 256 MB";
    return result;
  }
  OdGiImageFileInfo info;
  if (!odgiReadImageFileInfo(path, info, result.reason) || !withinLimits(info, result.reason))
    return result;
  if (info.truncated)
  {
    result.reason = L"the file ends before its picture";
    return result;
  }
  auto image = std::make_shared<OdGsDecodedImage>();
  OdString reason;
  if (!decoder.decode(path, info, *image, reason))
  {
    result.reason = reason.isEmpty() ? OdString(L"the picture cannot be decoded") : reason;
    return result;
  }
  if (image->width != info.decodedWidth || image->height != info.decodedHeight ||
      image->rgba.size() != std::size_t(image->width) * image->height * 4)
  {
    result.reason = L"the decoder gave a picture of another size than the header";
    return result;
  }
  result.image = std::move(image);
  return result;
}

class ImageCache
{
public:
  static ImageCache& instance()
  {
    static ImageCache cache;
    return cache;
  }

  OdGiImageLoadResult load(const OdString& path)
  {
    FileStamp stamp;
    OdGiImageLoadResult result;
    if (!stampOf(path, stamp, result.reason))
      return result; // not kept: the file may appear
    std::shared_ptr<OdGiImageDecoder> decoder;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      auto found = m_index.find(path);
      if (found != m_index.end())
      {
        Entry& entry = *found->second;
        if (entry.stamp == stamp)
        {
          ++m_hits;
          m_lru.splice(m_lru.begin(), m_lru, found->second);
          return entry.result;
        }
        drop(found->second);
      }
      decoder = m_decoder ? m_decoder : odgiBuiltInImageDecoder();
      ++m_decodes;
    }
    // Decoded outside the lock: other threads may load other files meanwhile.
    result = decodeFile(path, stamp.size, *decoder);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_index.count(path) || decoder != (m_decoder ? m_decoder : odgiBuiltInImageDecoder()))
      return result; // another thread kept it first, or the decoder changed
    const std::size_t bytes = result.image ? result.image->rgba.size() : 0;
    if (bytes > m_limit)
      return result;
    m_lru.push_front(Entry{path, stamp, result, bytes});
    m_index[path] = m_lru.begin();
    m_bytes += bytes;
    // Never the newest entry: the caller is about to use it.
    while ((m_bytes > m_limit || m_lru.size() > kMaxEntries) && m_lru.size() > 1)
      drop(std::prev(m_lru.end()));
    return result;
  }

  void setDecoder(std::shared_ptr<OdGiImageDecoder> decoder)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_decoder = std::move(decoder);
    clearLocked();
  }
  std::shared_ptr<OdGiImageDecoder> decoder()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_decoder ? m_decoder : odgiBuiltInImageDecoder();
  }
  void setLimit(std::size_t bytes)
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_limit = bytes;
    while (m_bytes > m_limit && !m_lru.empty())
      drop(std::prev(m_lru.end()));
  }
  void clear()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    clearLocked();
  }
  OdGiImageCacheStats stats()
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    return OdGiImageCacheStats{m_decodes, m_hits, m_lru.size(), m_bytes};
  }

private:
  // Failures are kept too (a broken map is not decoded again for every
  // material that uses it), but their number is bounded.
  static constexpr std::size_t kMaxEntries = 4096;

  struct Entry
  {
    OdString path;
    FileStamp stamp;
    OdGiImageLoadResult result;
    std::size_t bytes;
  };

  void drop(std::list<Entry>::iterator it)
  {
    m_bytes -= it->bytes;
    m_index.erase(it->path);
    m_lru.erase(it);
  }
  void clearLocked()
  {
    m_lru.clear();
    m_index.clear();
    m_bytes = 0;
  }

  std::mutex m_mutex;
  std::shared_ptr<OdGiImageDecoder> m_decoder; // null: the built-in one
  std::size_t m_limit = std::size_t(64) << 20;
  std::size_t m_bytes = 0;
  OdUInt64 m_decodes = 0;
  OdUInt64 m_hits = 0;
  std::list<Entry> m_lru; // most recently used first
  std::map<OdString, std::list<Entry>::iterator> m_index;
};
} // namespace

void odgiSetImageDecoder(std::shared_ptr<OdGiImageDecoder> decoder)
{
  ImageCache::instance().setDecoder(std::move(decoder));
}
std::shared_ptr<OdGiImageDecoder> odgiImageDecoder() { return ImageCache::instance().decoder(); }
OdGiImageLoadResult odgiLoadImageFile(const OdString& path) { return ImageCache::instance().load(path); }
OdGiImageCacheStats odgiImageCacheStats() { return ImageCache::instance().stats(); }
void odgiSetImageCacheLimit(std::size_t bytes) { ImageCache::instance().setLimit(bytes); }
void odgiClearImageCache() { ImageCache::instance().clear(); }

bool odgsDefaultImageLoader(const OdString& path, OdGsDecodedImage& image, OdString& reason)
{
  const OdGiImageLoadResult result = odgiLoadImageFile(path);
  if (!result.image)
  {
    reason = result.reason;
    return false;
  }
  image = *result.image;
  return true;
}
