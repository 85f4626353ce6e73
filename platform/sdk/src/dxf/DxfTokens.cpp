#include "DxfTokens.h"

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
} // namespace dxf
