#include "ui/properties/MeUiWholeNumbers.h"

#include <cmath>

namespace meui
{
namespace
{
int wholeAfterNudge(double value)
{
  if (!std::isfinite(value) || std::fabs(value) > 1e9)
    return 0;
  return int(std::trunc(value + std::copysign(1e-9, value)));
}
} // namespace

int wholePercent(double fraction) { return wholeAfterNudge(fraction * 100.0); }

double percentFraction(int percent) { return percent * 0.01; }

bool holdsPercent(double fraction, int percent) { return std::fabs(fraction - percentFraction(percent)) <= 1e-12; }

int wholeDegrees(double radians) { return wholeAfterNudge(radians * 57.29577951308232); }
} // namespace meui
