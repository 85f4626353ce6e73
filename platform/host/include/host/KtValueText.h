// The value conversions of the grid's row families, shared by every row
// that shows a value of that kind. Each passes user texts through the
// host's translation (ktHostServices) before it shows them.
#pragma once

#include "host/HostVariant.h"
#include "od/OdPlatform.h"

#include <functional>

namespace kt
{
// A real from what the user typed: an empty text is refused without a
// message; then the host's distance conversion (unit mode 2); then its
// expression evaluator; else "Invalid expression: <text>".
bool realFromText(const CXStringW& text, double& value, CXStringW& message);
// low <= value <= high passes; otherwise the message names the bounds, as
// texts of toText: "Value must be more %s" when high is within 0.001 of
// 2147483647 (no upper bound), "Value must be less %s" when low is within
// 0.001 of -2147483648 (no lower bound), else "Value must be between %s and %s".
bool checkRange(double value, double low, double high, const std::function<CXStringW(double)>& toText,
                CXStringW& message);

// Yes/no rows. items is the list text, each item followed by a tab
// ("Yes\tNo\t"): item 0 means 1, item 1 means 0. "0", "1" and the
// translations of "Yes" and "No" are taken too; anything else is refused.
bool boolFromText(const CXStringW& text, const CXStringW& items, int& value);
// Item 0 for 1, item 1 for anything else; the translated "Yes" or "No"
// when the list has no such item.
CXStringW boolToText(int value, const CXStringW& items);

// A whole number in base 10, as a slider row reads one: leading blanks and
// a sign, digits up to the first other character, clamped to the int range;
// a text without digits gives 0.
int decimalFromText(const CXStringW& text);

// "RGB(%d,%d,%d)" of a colour value with red in the lowest byte.
CXStringW rgbText(OdUInt32 value);
} // namespace kt
