// The host's expression evaluator, handed out by the application object as
// "IHostMathParser".
//
// Grammar (blanks allowed between tokens, names without regard to case):
//   expression := sum
//   sum        := product (("+" | "-") product)*
//   product    := unary (("*" | "/") unary)*
//   unary      := ("-" | "+")* power
//   power      := primary ("^" unary)?          right-associative
//   primary    := number | "pi" | function "(" sum ")" | "(" sum ")"
//   number     := digits ["." digits] [("e"|"E") ["+"|"-"] digits], also ".5" and "5."
//   function   := sqrt | abs | sin | cos | tan | asin | acos | atan
// "^" binds tighter than a leading minus (-2^2 is -4), as in written
// mathematics. Angles are in degrees, as CAD users enter them: sin(30) is 0.5
// and asin(0.5) is 30.
//
// Evaluation uses explicit stacks, so no input can make it recurse, and
// parentheses nest at most kMaxDepth deep. Anything else (an unknown name, a
// missing operand, a result that is not a finite number: division by zero,
// sqrt(-1), 1e400) is refused with a message.
#pragma once

#include "host/HostApi.h"

namespace host
{
class MathParser final : public IHostMathParser
{
public:
  static constexpr int kMaxDepth = 256;
  static constexpr int kMaxLength = 100000;

  bool evaluate(const wchar_t* expression, double& value, OdString& message, int flags) override;
};

// The same without an object, for the host's own use and the fuzz target.
bool evaluateExpression(const OdString& expression, double& value, OdString& message);
} // namespace host
