#include "DxfTokens.h"

#include <algorithm>

namespace dxf
{
OdString quoted(std::string_view text)
{
  std::string shown;
  for (char ch : text.substr(0, 40))
    shown += static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? '?' : ch;
  if (text.size() > 40)
    shown += "...";
  return OdString(L"\"") + OdString(shown.c_str()) + L"\"";
}

namespace
{
// UTF-16 text without a byte-order mark: its first characters are ASCII, so
// every other byte is zero.
bool alternatesWithZeros(const std::string& bytes)
{
  const std::size_t count = std::min<std::size_t>(bytes.size(), 16) & ~std::size_t(1);
  if (count < 4)
    return false;
  bool little = true, big = true;
  for (std::size_t i = 0; i < count; i += 2)
  {
    little = little && bytes[i] != '\0' && bytes[i + 1] == '\0';
    big = big && bytes[i] == '\0' && bytes[i + 1] != '\0';
  }
  return little || big;
}
} // namespace

void Tokenizer::refuseWhatIsNoDxfText() const
{
  static const char kBinarySentinel[] = "AutoCAD Binary DXF";
  if (m_bytes.compare(0, sizeof kBinarySentinel - 1, kBinarySentinel) == 0)
    fail(1, L"a binary DXF file; save the drawing as ASCII DXF");
  if (m_bytes.compare(0, 4, "AC10") == 0)
    fail(1, L"a DWG drawing, not a DXF file");
  if (m_bytes.compare(0, 2, "\xFF\xFE") == 0 || m_bytes.compare(0, 2, "\xFE\xFF") == 0 || alternatesWithZeros(m_bytes))
    fail(1, L"a UTF-16 text file: save the drawing as DXF in UTF-8 or ANSI");
  const std::size_t start = m_bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  if (m_bytes.find_first_not_of(" \t\r\n\v\f", start) == std::string::npos)
    fail(1, L"the file is empty");
}
} // namespace dxf
