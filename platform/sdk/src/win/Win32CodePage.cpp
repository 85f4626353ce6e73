// The Windows build's conversion of code pages: MultiByteToWideChar.
#include "../dxf/DxfCodePage.h"

#include <windows.h>

namespace dxf
{
SystemCodePage::SystemCodePage(int number) : m_number(number) {}

SystemCodePage::~SystemCodePage() = default;

bool SystemCodePage::available() const { return IsValidCodePage(UINT(m_number)) != 0; }

SystemCodePage::Answer SystemCodePage::convert(const char* bytes, std::size_t count, std::u32string& characters)
{
  characters.clear();
  if (count == 1 && IsDBCSLeadByteEx(UINT(m_number), BYTE(bytes[0])))
    return Answer::kLeadByte;
  wchar_t wide[8];
  const int length = MultiByteToWideChar(UINT(m_number), MB_ERR_INVALID_CHARS, bytes, int(count), wide, 8);
  if (length <= 0)
    return Answer::kUndefined;
  for (int i = 0; i < length; ++i)
  {
    char32_t ch = char32_t(wide[i]);
    if (ch >= 0xD800 && ch < 0xDC00 && i + 1 < length)
      ch = 0x10000 + ((ch - 0xD800) << 10) + (char32_t(wide[++i]) - 0xDC00);
    characters += ch;
  }
  return Answer::kCharacters;
}
} // namespace dxf
