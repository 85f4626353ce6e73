// The lines of a text file's bytes, as every reader of the host splits them:
// a line ends with LF, CRLF or a lone CR (files from old Macintosh editors),
// and a UTF-8 byte order mark at the start is no part of the first line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host
{
inline bool hasUtf8Bom(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

// Calls fn(line, ended) for each line in order, line without its end;
// ended is false only for a last line with no line end after it.
template <class Fn>
void forEachLine(std::string_view bytes, Fn&& fn)
{
  std::size_t pos = hasUtf8Bom(bytes) ? 3 : 0;
  while (pos < bytes.size())
  {
    const std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos)
    {
      fn(bytes.substr(pos), false);
      return;
    }
    fn(bytes.substr(pos, end - pos), true);
    pos = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
}
} // namespace host
