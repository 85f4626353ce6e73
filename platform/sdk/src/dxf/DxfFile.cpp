// DXF files on disk, read whole.
#include "od/DbDxf.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace
{
std::FILE* openForReading(const OdString& path)
{
#ifdef _WIN32
  return _wfopen(path.c_str(), L"rb");
#else
  return std::fopen(path.toUtf8().c_str(), "rb");
#endif
}

// Drawings above this size are refused unread.
constexpr long long kMaxFileBytes = 2LL << 30;
} // namespace

OdDbDatabasePtr odDxfReadFile(const OdString& path, std::vector<OdString>* warnings)
{
  std::FILE* file = openForReading(path);
  if (!file)
  {
    const int error = errno;
    throw OdError(error == ENOENT ? eFileNotFound : eCantOpenFile,
                  OdString::format(L"%s could not be opened: %s", path, OdString(std::strerror(error))));
  }
  std::string bytes;
  char buffer[1 << 16];
  std::size_t got = 0;
  bool tooLarge = false;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
  {
    if (bytes.size() + got > std::size_t(kMaxFileBytes))
    {
      tooLarge = true;
      break;
    }
    bytes.append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || tooLarge)
    throw OdError(eCantOpenFile, OdString::format(L"%s could not be read: %s", path,
                                                  OdString(tooLarge ? L"it is larger than 2 GB" : L"a read failed")));
  return odDxfRead(bytes, path, warnings);
}
