#include "host/Conversions.h"

#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host
{
namespace
{
bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
} // namespace

OdString realToText(double value, int unitMode, int precision)
{
  if (std::isnan(value))
    return L"nan";
  if (std::isinf(value))
    return value < 0 ? L"-inf" : L"inf";
  precision = precision < 0 ? kDefaultUnitPrecision : std::min(precision, 8);
  char buffer[400];
  const char* format = unitMode == kUnitsScientific ? "%.*E" : "%.*f";
  std::snprintf(buffer, sizeof buffer, format, precision, value);
  OdString text(buffer);
  // A value that rounds to zero reads as zero, not as "-0.0000".
  if (text.getAt(0) == L'-' && text.findOneOf(L"123456789") < 0)
    text = text.mid(1);
  return text;
}

bool distanceToReal(const OdString& text, int unitMode, double& value)
{
  if (unitMode != kUnitsDecimal && unitMode != kUnitsScientific)
    return false;
  const std::wstring& s = text.str();
  std::size_t pos = 0;
  while (pos < s.size() && isBlank(s[pos]))
    ++pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == L'-' || s[pos] == L'+'))
    negative = s[pos++] == L'-';
  double number = 0.0;
  if (scanNumber(s.c_str(), s.size(), pos, number) != NumberScan::Ok)
    return false;
  while (pos < s.size() && isBlank(s[pos]))
    ++pos;
  if (pos != s.size())
    return false;
  value = negative ? -number : number;
  return true;
}
} // namespace host
