// DXF files on disk: read whole, written to a temporary file beside the
// target and renamed over it.
#include "od/DbDxf.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace
{
#ifdef _WIN32
std::FILE* openFile(const OdString& path, const wchar_t* mode) { return _wfopen(path.c_str(), mode); }
#else
std::FILE* openFile(const OdString& path, const wchar_t* mode)
{
  return std::fopen(path.toUtf8().c_str(), mode[0] == L'r' ? "rb" : "wbx");
}
#endif

// Drawings above this size are refused unread.
constexpr long long kMaxFileBytes = 2LL << 30;

[[noreturn]] void failWrite(const OdString& path, const OdString& why)
{
  throw OdError(eCantOpenFile, OdString::format(L"%s could not be saved: %s", path, why));
}
} // namespace

OdDbDatabasePtr odDxfReadFile(const OdString& path, std::vector<OdString>* warnings)
{
  std::FILE* file = openFile(path, L"rb");
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

void odDxfWriteFile(OdDbDatabase* database, const OdString& path)
{
  const std::string bytes = odDxfWrite(database);
  // A name of this process's own beside the target, made only where nothing is.
  static unsigned count = 0;
#ifdef _WIN32
  const OdString temporary = path + OdString::format(L".%u-%u.tmp", unsigned(GetCurrentProcessId()), ++count);
  std::FILE* file = _wfopen(temporary.c_str(), L"wbx");
#else
  const OdString temporary = path + OdString::format(L".%u-%u.tmp", unsigned(getpid()), ++count);
  std::FILE* file = openFile(temporary, L"w");
#endif
  if (!file)
    failWrite(path, OdString(std::strerror(errno)));
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
#ifndef _WIN32
  ok = ok && fsync(fileno(file)) == 0;
#endif
  const int error = errno;
  ok = std::fclose(file) == 0 && ok;
  bool renamed = false;
  if (ok)
  {
#ifdef _WIN32
    renamed = MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    renamed = std::rename(temporary.toUtf8().c_str(), path.toUtf8().c_str()) == 0;
#endif
  }
  if (!renamed)
  {
    const int reason = ok ? errno : error;
#ifdef _WIN32
    DeleteFileW(temporary.c_str());
#else
    std::remove(temporary.toUtf8().c_str());
#endif
    failWrite(path, OdString(std::strerror(reason ? reason : EIO)));
  }
}
