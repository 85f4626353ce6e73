// A small tmpfs mounted over a fresh folder (Linux only), for writes into
// a file system that is full. Mounting needs the right to (root, as the
// tests run here and in CI); where it is refused, mounted() is false and
// why() says why, so a test can skip with that message instead of passing.
#pragma once

#ifndef _WIN32
#include "TempDir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class SmallTmpfs
{
public:
  explicit SmallTmpfs(std::size_t bytes = 64 * 1024)
  {
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", m_dir.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
      m_mounted = true;
    else
      m_why = std::string("cannot mount a tmpfs for the test: ") + std::strerror(errno);
  }
  ~SmallTmpfs()
  {
    if (m_mounted)
      ::umount2(m_dir.path().c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool mounted() const { return m_mounted; }
  const std::string& why() const { return m_why; }
  const TempDir& dir() const { return m_dir; }

  // Takes every byte that is left; true when the file system is then full.
  bool fill() const
  {
    const int fd = ::open((m_dir.path() / "filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0)
      return false;
    const std::string block(4096, 'x');
    int code = 0;
    for (std::size_t size = block.size(); size > 0; size /= 2)
      while (true)
      {
        const ssize_t written = ::write(fd, block.data(), size);
        if (written > 0)
          continue;
        code = written < 0 ? errno : ENOSPC;
        break;
      }
    ::close(fd);
    return code == ENOSPC;
  }

private:
  TempDir m_dir;
  bool m_mounted = false;
  std::string m_why;
};
#endif
