#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace host
{
namespace
{
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
} // namespace

NumberScan scanNumber(const wchar_t* text, std::size_t length, std::size_t& pos, double& value)
{
  std::size_t i = pos;
  std::string ascii;
  std::size_t digits = 0;
  for (; i < length && isDigit(text[i]); ++i, ++digits)
    ascii.push_back(char(text[i]));
  if (i < length && text[i] == L'.')
  {
    ascii.push_back('.');
    for (++i; i < length && isDigit(text[i]); ++i, ++digits)
      ascii.push_back(char(text[i]));
  }
  if (digits == 0)
    return NumberScan::NoNumber;
  // An exponent only counts when digits follow it: "2e" is the number 2 and a name.
  if (i < length && (text[i] == L'e' || text[i] == L'E'))
  {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < length && (text[j] == L'+' || text[j] == L'-'))
      exponent.push_back(char(text[j++]));
    const std::size_t first = j;
    for (; j < length && isDigit(text[j]); ++j)
      exponent.push_back(char(text[j]));
    if (j > first)
    {
      ascii += exponent;
      i = j;
    }
  }
  double result = 0.0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
  // from_chars reports underflow (1e-400) as out of range too; that is 0 to a user.
  if (error == std::errc::result_out_of_range)
  {
    const auto e = ascii.find('e');
    if (e == std::string::npos || ascii.compare(e + 1, 1, "-") != 0)
      return NumberScan::OutOfRange;
    result = 0.0;
  }
  else if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(result))
    return NumberScan::OutOfRange;
  value = result;
  pos = i;
  return NumberScan::Ok;
}
} // namespace host
