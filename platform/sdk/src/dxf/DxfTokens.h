// The groups of a DXF file: a group code line and its value line, read
// one after the other, and the records they make (a record is the groups
// from one group 0 to the next).
#pragma once

#include "od/OdError.h"
#include "od/OdString.h"

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

namespace dxf
{
struct Group
{
  int code = 0;
  std::string_view value;
  std::size_t line = 0; // of the group code
};

struct Record
{
  std::string_view type;
  std::size_t line = 0;
  std::vector<Group> groups; // after the group 0
};

inline std::string_view trimmed(std::string_view text)
{
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// Quoted for a message: at most 40 characters, nothing unprintable.
OdString quoted(std::string_view text);

class Tokenizer
{
public:
  // Bytes that are no DXF text at all are refused here, on line 1.
  Tokenizer(const std::string& bytes, const OdString& fileName) : m_bytes(bytes), m_file(fileName)
  {
    refuseWhatIsNoDxfText();
    if (m_bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
      m_pos = 3;
  }

  [[noreturn]] void fail(std::size_t line, const OdString& what) const
  {
    throw OdError(eInvalidDrawingFile, OdString::format(L"%s, line %u: %s", m_file, unsigned(line), what));
  }

  // The next group; false at the end of the bytes. 999 comments are passed over.
  bool next(Group& group)
  {
    for (;;)
    {
      std::string_view codeText;
      if (!line(codeText))
        return false;
      const std::size_t codeLine = m_line;
      codeText = trimmed(codeText);
      int code = 0;
      const auto result = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
      if (codeText.empty() || result.ec != std::errc() || result.ptr != codeText.data() + codeText.size())
        fail(codeLine, OdString(L"a group code was expected, found ") + quoted(codeText));
      if (code < -5 || code > 1071)
        fail(codeLine, OdString::format(L"there is no group code %d", code));
      std::string_view value;
      if (!line(value))
        fail(codeLine, OdString::format(L"the file ends after group code %d, without its value", code));
      if (code == 999)
        continue;
      group.code = code;
      group.value = value;
      group.line = codeLine;
      return true;
    }
  }

  std::size_t lineNumber() const { return m_line; }

private:
  // CR LF, LF and CR alone all end a line, mixed too. The string's
  // terminating NUL stops the scan at the end; most bytes lie above CR and
  // cost one comparison.
  bool line(std::string_view& text)
  {
    if (m_pos >= m_bytes.size())
      return false;
    const char* const begin = m_bytes.data() + m_pos;
    const char* const end = m_bytes.data() + m_bytes.size();
    const char* at = begin;
    while (static_cast<unsigned char>(*at) > '\r' || (*at != '\n' && *at != '\r' && at != end))
      ++at;
    text = std::string_view(begin, std::size_t(at - begin));
    if (at != end)
      at += at[0] == '\r' && at[1] == '\n' ? 2 : 1;
    m_pos = std::size_t(at - m_bytes.data());
    ++m_line;
    return true;
  }

  void refuseWhatIsNoDxfText() const;

  const std::string& m_bytes;
  OdString m_file;
  std::size_t m_pos = 0;
  std::size_t m_line = 0;
};
} // namespace dxf
