// libFuzzer target of the host's expression evaluator and distance
// conversion (scripts/fuzz builds and runs it). Every byte becomes one
// character, so the fuzzer reaches the grammar's ASCII quickly; byte pairs
// above 0xF0 make characters outside Latin-1 as well.
//
// Besides the sanitizers, it checks what must hold for any text:
// - an accepted expression gives a finite value, a refused one a message;
// - a text the distance conversion takes is a number the evaluator takes
//   too, with the same value.
#include "host/Conversions.h"
#include "host/MathParser.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  std::wstring text;
  for (std::size_t i = 0; i < size; ++i)
  {
    if (data[i] >= 0xF0 && i + 1 < size)
    {
      text.push_back(wchar_t(0x100 + (data[i] & 0x0F) * 256 + data[i + 1]));
      ++i;
    }
    else
      text.push_back(wchar_t(data[i]));
  }
  const OdString input(text);

  double value = 0;
  OdString message;
  const bool accepted = host::evaluateExpression(input, value, message);
  if (accepted && !std::isfinite(value))
    std::abort();
  if (!accepted && message.isEmpty())
    std::abort();

  double distance = 0;
  if (host::distanceToReal(input, host::kUnitsDecimal, distance))
  {
    if (!std::isfinite(distance) || !accepted || value != distance)
      std::abort();
    (void)host::realToText(distance, host::kUnitsDecimal, -1);
  }
  return 0;
}
