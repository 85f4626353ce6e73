#include "DxfText.h"

#include "DxfTokens.h"

namespace dxf
{
void TextDecoder::setVersion(std::string_view version) { m_unicode = trimmed(version) >= std::string_view("AC1021"); }

void TextDecoder::setCodePage(std::string_view) {}

OdString TextDecoder::decode(std::string_view value) const
{
  std::string bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
  {
    const char ch = value[i];
    if (ch == '^' && i + 1 < value.size())
    {
      const char next = value[++i];
      bytes += next == ' ' ? '^' : char(next & 0x1F);
    }
    else if (ch != '\0')
      bytes += ch;
  }
  if (m_unicode)
    return OdString(bytes.c_str());
  std::wstring wide; // older files: one byte a character
  for (char ch : bytes)
    wide += wchar_t(static_cast<unsigned char>(ch));
  return OdString(wide);
}

std::string TextDecoder::keptUtf8(std::string_view value) const
{
  if (m_unicode)
    return std::string(value);
  std::wstring wide;
  for (char ch : value)
    wide += wchar_t(static_cast<unsigned char>(ch));
  return OdString(wide).toUtf8();
}

bool TextDecoder::holdsText(int code)
{
  return (code >= 1 && code <= 4) || (code >= 6 && code <= 9) || (code >= 300 && code <= 309) ||
         (code >= 410 && code <= 419) || (code >= 430 && code <= 439) || (code >= 470 && code <= 479) || code == 999 ||
         (code >= 1000 && code <= 1004 && code != 1002) || code == 1009;
}
} // namespace dxf
