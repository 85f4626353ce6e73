// Paths and files for the host's portable parts: wide paths in, the
// platform's own file calls underneath (UTF-8 on Linux, wide on Windows).
//
// Both '/' and '\' separate folders on every platform, so a drawing saved on
// Windows still names its texture "wood.jpg" when read on Linux.
#pragma once

#include "od/OdString.h"

#include <cstddef>
#include <string>

namespace host
{
// "C:\maps\wood.jpg" -> "wood.jpg"; empty when the path ends in a separator.
OdString fileNamePart(const OdString& path);
// "C:\maps\wood.jpg" -> "C:\maps"; empty when there is no separator.
OdString folderPart(const OdString& path);
// "/x", "\x", "C:\x", "C:/x", "\\server\x".
bool isAbsolutePath(const OdString& path);
// The folder and the name with exactly one separator between them.
OdString joinPath(const OdString& folder, const OdString& name);

// An existing file that is not a folder. A path with a NUL character in it
// names nothing (the system would silently cut it there).
bool isFile(const OdString& path);

enum class ReadResult
{
  Ok,
  Missing,
  NotAFile, // a folder, a device
  TooLarge,
  Failed,
};
// The whole file as bytes; files above maxBytes are refused unread.
ReadResult readFile(const OdString& path, std::string& bytes, std::size_t maxBytes);

// Writes a temporary file beside the target and renames it over the target,
// so a reader sees the old file or the new one, never half of one. A
// symbolic link is followed to the file it names, which is replaced and the
// link kept; a target that exists but is no regular file (a folder, a
// device), or that is read-only, is refused. The replacement keeps the
// permissions of the file it replaces where the platform carries them (not
// under Wine, which gives it the mode of a new file). On failure the target is untouched, the temporary
// file removed, and error (when given) says why.
bool writeFileAtomically(const OdString& path, const std::string& bytes, OdString* error = nullptr);
} // namespace host
