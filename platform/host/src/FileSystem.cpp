#include "host/FileSystem.h"

#include <cstdio>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace host
{
namespace
{
bool isSeparator(wchar_t ch) { return ch == L'/' || ch == L'\\'; }

int lastSeparator(const std::wstring& text)
{
  for (std::size_t i = text.size(); i > 0; --i)
    if (isSeparator(text[i - 1]))
      return int(i - 1);
  return -1;
}

bool hasNul(const OdString& path) { return path.str().find(L'\0') != std::wstring::npos; }

#ifdef _WIN32
std::FILE* openFile(const OdString& path, const wchar_t* mode) { return _wfopen(path.c_str(), mode); }
#else
std::FILE* openFile(const OdString& path, const wchar_t* mode)
{
  return std::fopen(path.toUtf8().c_str(), mode[0] == L'r' ? "rb" : "wb");
}
#endif

bool removeFile(const OdString& path)
{
#ifdef _WIN32
  return _wremove(path.c_str()) == 0;
#else
  return std::remove(path.toUtf8().c_str()) == 0;
#endif
}

bool replaceFile(const OdString& from, const OdString& to)
{
#ifdef _WIN32
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.toUtf8().c_str(), to.toUtf8().c_str()) == 0;
#endif
}

// Pushes the data to the disk before the rename makes it the real file.
bool flushToDisk(std::FILE* file)
{
  if (std::fflush(file) != 0)
    return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}
} // namespace

OdString fileNamePart(const OdString& path)
{
  const int separator = lastSeparator(path.str());
  return separator < 0 ? path : path.mid(separator + 1);
}

OdString folderPart(const OdString& path)
{
  const int separator = lastSeparator(path.str());
  if (separator < 0)
    return OdString();
  // The root keeps its separator: "/a" -> "/", not "".
  return separator == 0 ? path.left(1) : path.left(separator);
}

bool isAbsolutePath(const OdString& path)
{
  const std::wstring& s = path.str();
  if (!s.empty() && isSeparator(s[0]))
    return true;
  const bool driveLetter = s.size() >= 3 && ((s[0] >= L'A' && s[0] <= L'Z') || (s[0] >= L'a' && s[0] <= L'z'));
  return driveLetter && s[1] == L':' && isSeparator(s[2]);
}

OdString joinPath(const OdString& folder, const OdString& name)
{
  if (folder.isEmpty())
    return name;
  std::wstring joined = folder.str();
  while (joined.size() > 1 && isSeparator(joined.back()))
    joined.pop_back();
  if (!isSeparator(joined.back()))
  {
#ifdef _WIN32
    joined += L'\\';
#else
    joined += L'/';
#endif
  }
  std::size_t start = 0;
  while (start < name.str().size() && isSeparator(name.str()[start]))
    ++start;
  joined += name.str().substr(start);
  return OdString(std::move(joined));
}

bool isFile(const OdString& path)
{
  if (path.isEmpty() || hasNul(path))
    return false;
#ifdef _WIN32
  struct _stat64 info;
  return _wstat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat info;
  return ::stat(path.toUtf8().c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

ReadResult readFile(const OdString& path, std::string& bytes, std::size_t maxBytes)
{
  bytes.clear();
  if (!isFile(path))
    return ReadResult::Missing;
  std::FILE* file = openFile(path, L"rb");
  if (!file)
    return ReadResult::Failed;
  // Read in pieces rather than trusting a size taken before the read: the
  // file may grow or shrink meanwhile.
  char buffer[65536];
  ReadResult result = ReadResult::Ok;
  for (;;)
  {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
    if (bytes.size() + got > maxBytes)
    {
      result = ReadResult::TooLarge;
      break;
    }
    bytes.append(buffer, got);
    if (got < sizeof buffer)
    {
      if (std::ferror(file))
        result = ReadResult::Failed;
      break;
    }
  }
  std::fclose(file);
  if (result != ReadResult::Ok)
    bytes.clear();
  return result;
}

bool writeFileAtomically(const OdString& path, const std::string& bytes)
{
  if (path.isEmpty() || hasNul(path) || fileNamePart(path).isEmpty())
    return false;
  const OdString temporary = path + L".tmp";
  std::FILE* file = openFile(temporary, L"wb");
  if (!file)
    return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = flushToDisk(file) && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok)
    ok = replaceFile(temporary, path);
  if (!ok)
    removeFile(temporary);
  return ok;
}
} // namespace host
