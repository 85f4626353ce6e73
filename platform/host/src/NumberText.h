// Reading a decimal number out of wide text, shared by the distance
// conversion and the expression evaluator: one grammar for both, and no
// dependence on the C library's locale (a German locale would read "1,5").
#pragma once

#include <cstddef>

namespace host
{
enum class NumberScan
{
  Ok,
  NoNumber,   // no digit where a number starts
  OutOfRange, // well formed, but too large for a double (1e400)
};

// Reads digits ["." digits] [("e"|"E") ["+"|"-"] digits] at text[pos], also
// ".5" and "5."; on Ok, pos is past the number. No sign: callers handle it.
NumberScan scanNumber(const wchar_t* text, std::size_t length, std::size_t& pos, double& value);
} // namespace host
