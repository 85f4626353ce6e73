// The whole numbers the slider rows show for stored values, one rule for all:
// truncated toward zero after a nudge of 1e-9 away from it, so that a value
// written as 29 % (0.29, which is 28.999... x 100 in doubles) or 30 degrees
// reads back as itself, while 0.355 still shows 35 %. Values that are not
// finite or beyond 1e9 show 0.
#pragma once

namespace meui
{
int wholePercent(double fraction);
// The fraction a percent is written as: percent x 0.01.
double percentFraction(int percent);
// Whether the fraction is that percent as written (0.35 for 35, not 0.355):
// a percent picked over a fraction that only shows as it is still written.
bool holdsPercent(double fraction, int percent);
int wholeDegrees(double radians);
} // namespace meui
