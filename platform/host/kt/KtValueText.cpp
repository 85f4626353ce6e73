#include "host/KtValueText.h"

#include "host/KtServices.h"

#include <cmath>

namespace kt
{
namespace
{
constexpr double kNoUpperBound = 2147483647.0;
constexpr double kNoLowerBound = -2147483648.0;
constexpr double kBoundTolerance = 0.001;

// Item i of a tab-terminated list; an empty item is no item.
bool listItem(const CXStringW& items, std::size_t i, CXStringW& item)
{
  const std::vector<CXStringW> parts = items.split(L'\t');
  if (i >= parts.size() || parts[i].isEmpty())
    return false;
  item = parts[i];
  return true;
}
} // namespace

bool realFromText(const CXStringW& text, double& value, CXStringW& message)
{
  if (text.isEmpty())
    return false;
  IKtHostServices& host = ktHostServices();
  double result = 0.0;
  if (host.distanceToReal(text, result) && std::isfinite(result))
  {
    value = result;
    return true;
  }
  if (IHostMathParser* parser = host.mathParser())
  {
    CXStringW parserMessage;
    if (parser->evaluate(text.c_str(), result, parserMessage, 0) && std::isfinite(result))
    {
      value = result;
      return true;
    }
  }
  message = CXStringW::format(L"%s %s", host.translate(L"Invalid expression:"), text);
  return false;
}

bool checkRange(double value, double low, double high, const std::function<CXStringW(double)>& toText,
                CXStringW& message)
{
  if (low <= value && value <= high)
    return true;
  IKtHostServices& host = ktHostServices();
  const CXStringW lowText = toText(low);
  const CXStringW highText = toText(high);
  if (std::fabs(high - kNoUpperBound) < kBoundTolerance)
    message = CXStringW::format(host.translate(L"Value must be more %s"), lowText);
  else if (std::fabs(low - kNoLowerBound) < kBoundTolerance)
    message = CXStringW::format(host.translate(L"Value must be less %s"), highText);
  else
    message = CXStringW::format(host.translate(L"Value must be between %s and %s"), lowText, highText);
  return false;
}

bool boolFromText(const CXStringW& text, const CXStringW& items, int& value)
{
  IKtHostServices& host = ktHostServices();
  CXStringW item;
  if ((listItem(items, 1, item) && text == item) || text == host.translate(L"No") || text == L"0")
  {
    value = 0;
    return true;
  }
  if ((listItem(items, 0, item) && text == item) || text == host.translate(L"Yes") || text == L"1")
  {
    value = 1;
    return true;
  }
  return false;
}

CXStringW boolToText(int value, const CXStringW& items)
{
  CXStringW item;
  if (listItem(items, value == 1 ? 0 : 1, item))
    return item;
  return ktHostServices().translate(value == 1 ? L"Yes" : L"No");
}

int decimalFromText(const CXStringW& text)
{
  const std::wstring& s = text.str();
  std::size_t i = 0;
  while (i < s.size() && (s[i] == L' ' || s[i] == L'\t'))
    ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == L'-' || s[i] == L'+'))
    negative = s[i++] == L'-';
  long long value = 0;
  for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i)
    if (value <= 2147483648LL)
      value = value * 10 + (s[i] - L'0');
  if (negative)
    value = -value;
  if (value > 2147483647LL)
    return 2147483647;
  if (value < -2147483648LL)
    return -2147483647 - 1;
  return int(value);
}

CXStringW rgbText(OdUInt32 value)
{
  return CXStringW::format(L"RGB(%d,%d,%d)", int(value & 255), int((value >> 8) & 255), int((value >> 16) & 255));
}
} // namespace kt
