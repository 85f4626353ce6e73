#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace host
{
namespace
{
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Whether a number from_chars found out of range is too small rather than
// too large: the power of ten of its first significant digit, with its
// exponent, is below 0 ("0.000...01" as much as "1e-400").
bool isTiny(const std::string& number)
{
  const std::size_t e = number.find_first_of("eE");
  const std::string mantissa = number.substr(0, e);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string::npos)
    return true;
  long long power = first < point ? (long long)(point - first) - 1 : -(long long)(first - point);
  if (e != std::string::npos)
  {
    // Saturated: a thousand digits of exponent still say which way it goes.
    long long exponent = 0;
    const bool negative = e + 1 < number.size() && number[e + 1] == '-';
    for (std::size_t i = e + 1; i < number.size(); ++i)
      if (number[i] >= '0' && number[i] <= '9')
        exponent = std::min(exponent * 10 + (number[i] - '0'), 1000000000LL);
    power += negative ? -exponent : exponent;
  }
  return power < 0;
}
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
    if (!isTiny(ascii))
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
