#include "DxfText.h"

#include "DxfCodePage.h"
#include "DxfTokens.h"

namespace dxf
{
namespace
{
// Nothing to decode: no byte of a code page or UTF-8, no caret, no escape.
bool plain(std::string_view value)
{
  for (const char ch : value)
    if (static_cast<unsigned char>(ch) >= 0x80 || ch == '^' || ch == '\\' || ch == '\0')
      return false;
  return true;
}

void append(std::wstring& out, char32_t ch)
{
  if (sizeof(wchar_t) == 2 && ch >= 0x10000)
  {
    ch -= 0x10000;
    out += wchar_t(0xD800 + (ch >> 10));
    out += wchar_t(0xDC00 + (ch & 0x3FF));
  }
  else
    out += wchar_t(ch);
}

bool hex4(std::string_view text, unsigned& value)
{
  if (text.size() < 4)
    return false;
  value = 0;
  for (std::size_t i = 0; i < 4; ++i)
  {
    const char ch = text[i];
    const int digit = ch >= '0' && ch <= '9'   ? ch - '0'
                      : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                      : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                                               : -1;
    if (digit < 0)
      return false;
    value = value << 4 | unsigned(digit);
  }
  return true;
}

// The double-byte pages of \M+1XXXX to \M+5XXXX.
constexpr int kEscapePages[] = {932, 950, 949, 1361, 936};

// The escape at the start of `text` ("\U+XXXX", a pair of them for a
// surrogate pair, or "\M+nXXXX"): its character and length; false if it is
// none, which then stays as it is.
bool escape(std::string_view text, char32_t& ch, std::size_t& length)
{
  if (text.size() < 7 || text[2] != '+')
    return false;
  unsigned value = 0, low = 0;
  if (text[1] == 'U' && hex4(text.substr(3), value))
  {
    if (value >= 0xD800 && value < 0xDC00 && text.substr(7, 3) == "\\U+" && hex4(text.substr(10), low) &&
        low >= 0xDC00 && low < 0xE000)
    {
      ch = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
      length = 14;
      return true;
    }
    if (value == 0 || (value >= 0xD800 && value < 0xE000))
      return false;
    ch = value;
    length = 7;
    return true;
  }
  if (text[1] == 'M' && text.size() >= 8 && text[3] >= '1' && text[3] <= '5' && hex4(text.substr(4), value))
  {
    const CodePage& page = CodePage::numbered(kEscapePages[text[3] - '1']);
    const auto lead = static_cast<unsigned char>(value >> 8);
    if (page.byte(lead) != CodePage::kLeadByte)
      return false;
    ch = page.pair(lead, static_cast<unsigned char>(value));
    if (!ch)
      ch = 0xFFFD; // a pair the page does not define
    length = 8;
    return true;
  }
  return false;
}
} // namespace

void TextDecoder::setVersion(std::string_view version) { m_unicode = trimmed(version) >= std::string_view("AC1021"); }

void TextDecoder::setCodePage(std::string_view codePage)
{
  m_pageNumber = CodePage::numberNamed(codePage);
  m_page = nullptr;
}

const CodePage& TextDecoder::page() const
{
  if (!m_page)
    m_page = &CodePage::numbered(m_pageNumber);
  return *m_page;
}

std::wstring TextDecoder::legacy(std::string_view value, bool carets) const
{
  std::wstring out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size();)
  {
    const auto byte = static_cast<unsigned char>(value[i]);
    char32_t ch = byte;
    std::size_t length = 1;
    if (byte >= 0x80)
    {
      ch = page().byte(byte);
      if (ch == CodePage::kLeadByte)
      {
        // A lead byte without a trail byte the page pairs it with stands
        // for nothing; the byte after it is read anew.
        ch = i + 1 < value.size() ? page().pair(byte, static_cast<unsigned char>(value[i + 1])) : 0;
        length = ch ? 2 : 1;
        ch = ch ? ch : 0xFFFD;
      }
    }
    else if (byte == '^' && carets && i + 1 < value.size())
    {
      const char next = value[i + 1];
      ch = next == ' ' ? '^' : char32_t(next & 0x1F);
      length = 2;
    }
    else if (byte == '\\' && !escape(value.substr(i), ch, length))
      ch = byte;
    if (ch)
      append(out, ch);
    i += length;
  }
  return out;
}

OdString TextDecoder::decode(std::string_view value) const
{
  if (plain(value))
    return OdString(std::wstring(value.begin(), value.end()));
  if (!m_unicode)
    return OdString(legacy(value, true));
  std::string bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
  {
    char ch = value[i];
    if (ch == '^' && i + 1 < value.size())
    {
      const char next = value[++i];
      ch = next == ' ' ? '^' : char(next & 0x1F);
    }
    if (ch != '\0')
      bytes += ch;
  }
  return OdString(bytes.c_str());
}

std::string TextDecoder::keptUtf8(std::string_view value) const
{
  if (m_unicode || plain(value))
    return std::string(value);
  return OdString(legacy(value, false)).toUtf8();
}

bool TextDecoder::holdsText(int code)
{
  // Strings by the reference's value types, but for handles (5, 1005) and
  // binary chunks (1004, hex digits); 1006 to 1009 are named nothing, yet
  // typed as strings.
  return (code >= 1 && code <= 4) || (code >= 6 && code <= 9) || (code >= 100 && code <= 102) ||
         (code >= 300 && code <= 309) || (code >= 410 && code <= 419) || (code >= 430 && code <= 439) ||
         (code >= 470 && code <= 479) || code == 999 || (code >= 1000 && code <= 1009 && code != 1004 && code != 1005);
}
} // namespace dxf
