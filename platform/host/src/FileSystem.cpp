#include "host/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
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
std::FILE* openForReading(const OdString& path) { return _wfopen(path.c_str(), L"rb"); }
#else
std::FILE* openForReading(const OdString& path) { return std::fopen(path.toUtf8().c_str(), "rb"); }
#endif

// Temporary files of this process get names no other writer uses: the
// process id and a count, and they are created only where nothing is.
unsigned nextTemporaryNumber()
{
  static unsigned count = 0;
  return ++count;
}

#ifdef _WIN32
OdString systemMessage(DWORD code)
{
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  OdString message = length && text ? OdString(text, length) : OdString::format(L"error %u", unsigned(code));
  if (text)
    LocalFree(text);
  message.trimRight();
  while (!message.isEmpty() && message.getAt(message.getLength() - 1) == L'.')
    message = message.left(message.getLength() - 1);
  return message;
}

// The final file behind the path, links followed. exists false: nothing is
// there yet, and the file is made under the path as given.
bool resolveTarget(std::wstring& path, bool& exists, bool& readOnly, OdString& problem)
{
  exists = false;
  readOnly = false;
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
  {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND)
      return true;
    problem = systemMessage(code);
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                    !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  std::wstring final(32768, L'\0');
  const DWORD length =
    disk ? GetFinalPathNameByHandleW(handle, &final[0], DWORD(final.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) : 0;
  CloseHandle(handle);
  if (!disk)
  {
    problem = L"it is not a regular file";
    return false;
  }
  exists = true;
  // Wine marks a file read-only when no one may write it.
  readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (length > 0 && length < final.size())
  {
    final.resize(length);
    path = final;
  }
  return true;
}

bool writeTemporary(const std::wstring& target, const std::string& bytes, std::wstring& temporary, OdString& problem)
{
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt)
  {
    temporary = target + OdString::format(L".%u-%u.tmp", unsigned(GetCurrentProcessId()), nextTemporaryNumber()).str();
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
      break;
  }
  if (file == INVALID_HANDLE_VALUE)
  {
    problem = systemMessage(GetLastError());
    temporary.clear();
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();)
  {
    DWORD written = 0;
    const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  // The data is on the disk before the rename makes it the real file.
  ok = ok && FlushFileBuffers(file);
  if (!ok)
    problem = systemMessage(GetLastError());
  if (!CloseHandle(file) && ok)
  {
    problem = systemMessage(GetLastError());
    ok = false;
  }
  return ok;
}

bool replaceWith(const std::wstring& temporary, const std::wstring& target, OdString& problem)
{
  // On Windows ReplaceFileW gives the replacement the replaced file's
  // attributes and security; Wine gives it the mode of any new file.
  if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return true;
  if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  problem = systemMessage(GetLastError());
  return false;
}

void removeTemporary(const std::wstring& temporary) { DeleteFileW(temporary.c_str()); }
#else
OdString systemMessage(int code) { return OdString(std::strerror(code)); }

std::string folderOf(const std::string& path)
{
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Follows symbolic links one at a time, as the system would.
bool followLinks(std::string& path, OdString& problem)
{
  for (int hops = 0; hops < 40; ++hops)
  {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
      return true;
    std::string target(std::size_t(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), &target[0], target.size());
    if (length < 0)
    {
      problem = systemMessage(errno);
      return false;
    }
    if (std::size_t(length) >= target.size())
    {
      problem = L"the symbolic link changed while it was read";
      return false;
    }
    target.resize(std::size_t(length));
    path = !target.empty() && target[0] == '/' ? target : folderOf(path) + "/" + target;
  }
  problem = systemMessage(ELOOP);
  return false;
}

bool resolveTarget(std::string& path, bool& exists, mode_t& mode, OdString& problem)
{
  exists = false;
  if (!followLinks(path, problem))
    return false;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0)
  {
    if (errno == ENOENT)
      return true;
    problem = systemMessage(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode))
  {
    problem = L"it is not a regular file";
    return false;
  }
  exists = true;
  mode = info.st_mode & 07777;
  return true;
}

bool writeTemporary(const std::string& target, const std::string& bytes, bool keepMode, mode_t mode,
                    std::string& temporary, OdString& problem)
{
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
  {
    temporary = target + "." + std::to_string(::getpid()) + "-" + std::to_string(nextTemporaryNumber()) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      break;
  }
  if (fd < 0)
  {
    problem = systemMessage(errno);
    temporary.clear();
    return false;
  }
  bool ok = true;
  int code = 0;
  // The replacement keeps the permissions of the file it replaces.
  if (keepMode && ::fchmod(fd, mode) != 0)
    ok = false, code = errno;
  for (std::size_t done = 0; ok && done < bytes.size();)
  {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      ok = false, code = written < 0 ? errno : ENOSPC;
    else
      done += std::size_t(written);
  }
  // The data is on the disk before the rename makes it the real file.
  if (ok && ::fsync(fd) != 0)
    ok = false, code = errno;
  if (::close(fd) != 0 && ok)
    ok = false, code = errno;
  if (!ok)
    problem = systemMessage(code);
  return ok;
}

bool replaceWith(const std::string& temporary, const std::string& target, OdString& problem)
{
  if (std::rename(temporary.c_str(), target.c_str()) != 0)
  {
    problem = systemMessage(errno);
    return false;
  }
  // The rename itself is on the disk once its folder is.
  const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_CLOEXEC);
  if (folder >= 0)
  {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

void removeTemporary(const std::string& temporary) { ::unlink(temporary.c_str()); }
#endif
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

namespace
{
bool exists(const OdString& path)
{
  if (path.isEmpty() || hasNul(path))
    return false;
#ifdef _WIN32
  // Unlike _wstat, this takes a folder named with a separator at its end.
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat info;
  return ::stat(path.toUtf8().c_str(), &info) == 0;
#endif
}
} // namespace

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
    return exists(path) ? ReadResult::NotAFile : ReadResult::Missing;
  std::FILE* file = openForReading(path);
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

bool writeFileAtomically(const OdString& path, const std::string& bytes, OdString* error)
{
  OdString problem;
  bool ok = !path.isEmpty() && !hasNul(path) && !fileNamePart(path).isEmpty();
  if (!ok)
    problem = L"that is no file name";
  bool exists = false;
  bool readOnly = false;
#ifdef _WIN32
  std::wstring target = path.str(), temporary;
  ok = ok && resolveTarget(target, exists, readOnly, problem);
#else
  std::string target = path.toUtf8(), temporary;
  mode_t mode = 0;
  ok = ok && resolveTarget(target, exists, mode, problem);
  readOnly = exists && (mode & 0222) == 0;
#endif
  // The folder may allow the rename, but the user has said this file stays.
  if (ok && readOnly)
  {
    ok = false;
    problem = L"it is read-only";
  }
#ifdef _WIN32
  ok = ok && writeTemporary(target, bytes, temporary, problem);
#else
  ok = ok && writeTemporary(target, bytes, exists, mode, temporary, problem);
#endif
  ok = ok && replaceWith(temporary, target, problem);
  if (!ok && !temporary.empty())
    removeTemporary(temporary);
  if (!ok && error)
    *error = OdString::format(L"cannot write \"%s\": %s", path, problem);
  return ok;
}
} // namespace host
