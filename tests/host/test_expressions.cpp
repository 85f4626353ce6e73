#include "host/Conversions.h"
#include "host/MathParser.h"
#include "od_print.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using host::evaluateExpression;

namespace
{
// The value, or NaN with the test failed when the text is refused.
double eval(const wchar_t* text)
{
  double value = 0;
  OdString message;
  if (!evaluateExpression(text, value, message))
  {
    ADD_FAILURE() << "refused: " << OdString(text).toUtf8() << ": " << message.toUtf8();
    return std::nan("");
  }
  return value;
}

// The message when the text is refused; empty (and the test failed) otherwise.
OdString refusal(const OdString& text)
{
  double value = 12345;
  OdString message;
  if (evaluateExpression(text, value, message))
  {
    ADD_FAILURE() << "accepted: " << text.toUtf8().substr(0, 60) << " = " << value;
    return OdString();
  }
  EXPECT_EQ(value, 12345) << "a refused expression leaves the value alone";
  EXPECT_FALSE(message.isEmpty());
  return message;
}
} // namespace

TEST(MathParser, ArithmeticFollowsTheUsualPrecedence)
{
  EXPECT_EQ(eval(L"2*3"), 6);
  EXPECT_EQ(eval(L"1+2*3"), 7);
  EXPECT_EQ(eval(L"(1+2)*3"), 9);
  EXPECT_EQ(eval(L"10-4-3"), 3) << "left-associative";
  EXPECT_EQ(eval(L"24/4/2"), 3) << "left-associative";
  EXPECT_EQ(eval(L" 7 /\t2 "), 3.5);
  EXPECT_EQ(eval(L"2*-3"), -6);
  EXPECT_EQ(eval(L"--2"), 2);
  EXPECT_EQ(eval(L"+5"), 5);
}

TEST(MathParser, PowerIsRightAssociativeAndBindsTighterThanUnaryMinus)
{
  EXPECT_EQ(eval(L"-2^2"), -4);
  EXPECT_EQ(eval(L"(-2)^2"), 4);
  EXPECT_EQ(eval(L"2^3^2"), 512);
  EXPECT_EQ(eval(L"2^-1"), 0.5);
  EXPECT_EQ(eval(L"2^-3^2"), std::pow(2.0, -9.0));
  EXPECT_EQ(eval(L"2*3^2"), 18);
  EXPECT_EQ(eval(L"2^3*4"), 32);
  EXPECT_EQ(eval(L"2^-3*4"), 0.5);
  EXPECT_EQ(eval(L"0^0"), 1);
}

TEST(MathParser, NumbersInDecimalAndExponentNotation)
{
  EXPECT_EQ(eval(L".5"), 0.5);
  EXPECT_EQ(eval(L"5."), 5);
  EXPECT_EQ(eval(L"1.5e3"), 1500);
  EXPECT_EQ(eval(L"1.5E-3"), 0.0015);
  EXPECT_EQ(eval(L"2e+2"), 200);
  EXPECT_EQ(eval(L"1e-400"), 0) << "underflow is zero";
  // Underflow written out, and written with an exponent that does not say so alone.
  EXPECT_EQ(eval((L"0." + std::wstring(330, L'0') + L"1").c_str()), 0);
  EXPECT_EQ(eval((L"0." + std::wstring(400, L'0') + L"5e+60").c_str()), 0);
  EXPECT_EQ(eval(L"0.00001e-320"), 0);
  EXPECT_NE(refusal(OdString(L"1" + std::wstring(400, L'0'))).find(L"too large"), -1);
  EXPECT_NE(refusal(L"0.0001e313").find(L"too large"), -1) << "1e309";
  EXPECT_NE(refusal(OdString(L"0." + std::wstring(20, L'0') + L"1e400")).find(L"too large"), -1);
  EXPECT_EQ(eval(L"-0"), 0);
  EXPECT_FALSE(std::signbit(eval(L"-0"))) << "no negative zero to show";
}

TEST(MathParser, FunctionsTakeAndGiveDegrees)
{
  EXPECT_DOUBLE_EQ(eval(L"sin(30)"), 0.5);
  EXPECT_EQ(eval(L"sin(180)"), 0) << "exact at right angles";
  EXPECT_EQ(eval(L"cos(90)"), 0);
  EXPECT_EQ(eval(L"cos(-180)"), -1);
  EXPECT_EQ(eval(L"sin(450)"), 1);
  // Huge angles: only whole quarter turns are exact, the rest keep their remainder.
  EXPECT_DOUBLE_EQ(eval(L"tan(86304706306535696)"), std::tan(176 * OdPi / 180));
  EXPECT_DOUBLE_EQ(eval(L"sin(1e17 + 16)"), std::sin(std::fmod(1e17 + 16, 360.0) * OdPi / 180));
  EXPECT_EQ(eval(L"cos(9e18)"), 1) << "9e18 is 25e15 whole turns";
  EXPECT_DOUBLE_EQ(eval(L"sin(-9e18 - 1024)"), std::sin(std::fmod(-9e18 - 1024, 360.0) * OdPi / 180));
  EXPECT_DOUBLE_EQ(eval(L"tan(45)"), 1);
  EXPECT_DOUBLE_EQ(eval(L"asin(0.5)"), 30);
  EXPECT_DOUBLE_EQ(eval(L"acos(0)"), 90);
  EXPECT_DOUBLE_EQ(eval(L"atan(1)"), 45);
  EXPECT_EQ(eval(L"SQRT(16) + Abs(-2)"), 6) << "names without regard to case";
  EXPECT_DOUBLE_EQ(eval(L"pi"), OdPi);
  EXPECT_DOUBLE_EQ(eval(L"2*PI"), 2 * OdPi);
  EXPECT_EQ(eval(L"sqrt (9)"), 3);
  EXPECT_EQ(eval(L"sqrt(sqrt(16))"), 2);
}

TEST(MathParser, RefusesWhatIsNoExpression)
{
  for (const wchar_t* text : {L"", L"   ", L"2*", L"*2", L"2 3", L"(1+2", L"1+2)", L"()", L"2(3)", L"sin 30", L"sin()",
                              L"foo", L"e", L"2e", L"1,5", L"1..2", L"%s%n", L"nan", L"inf", L"x=1", L"\x01", L"\u00e9",
                              L"pi(2)", L"3 pi"})
    refusal(text);
  EXPECT_EQ(refusal(L"foo+1"), L"unknown name \"foo\"");
}

TEST(MathParser, RefusesResultsThatAreNotNumbers)
{
  EXPECT_EQ(refusal(L"1/0"), L"division by zero");
  EXPECT_EQ(refusal(L"1/(2-2)"), L"division by zero");
  EXPECT_EQ(refusal(L"0^-1"), L"division by zero");
  refusal(L"sqrt(-1)");
  refusal(L"asin(2)");
  refusal(L"tan(90)");
  refusal(L"(-8)^(1/3)");
  EXPECT_EQ(refusal(L"1e400"), L"a number is too large");
  EXPECT_EQ(refusal(L"10^400"), L"the result is too large");
  refusal(L"1e308*10");
}

TEST(MathParser, DeepNestingIsRefusedAndLongInputFinishes)
{
  const int depth = host::MathParser::kMaxDepth;
  EXPECT_EQ(eval((std::wstring(depth, L'(') + L"1" + std::wstring(depth, L')')).c_str()), 1);
  refusal(std::wstring(depth + 1, L'(') + L"1" + std::wstring(depth + 1, L')'));
  refusal(std::wstring(1000000, L'('));
  refusal(std::wstring(1000000, L'-') + L"1");
  // Long but within the limit: a chain of unary signs and a sum of many terms.
  EXPECT_EQ(eval((std::wstring(10000, L'-') + L"1").c_str()), 1);
  std::wstring sum = L"0";
  for (int i = 0; i < 5000; ++i)
    sum += L"+1";
  EXPECT_EQ(eval(sum.c_str()), 5000);
}

TEST(MathParser, TheHostObjectAnswersThroughItsInterface)
{
  host::MathParser parser;
  IHostMathParser& api = parser;
  double value = 0;
  OdString message = L"left over";
  EXPECT_TRUE(api.evaluate(L"2*3", value, message, 0));
  EXPECT_EQ(value, 6);
  EXPECT_TRUE(message.isEmpty());
  EXPECT_FALSE(api.evaluate(nullptr, value, message, 0));
  EXPECT_FALSE(message.isEmpty());
}

TEST(Conversions, RealToTextInDecimalUnits)
{
  EXPECT_EQ(host::realToText(2.5, host::kUnitsDecimal), L"2.5000");
  EXPECT_EQ(host::realToText(0, host::kUnitsDecimal), L"0.0000");
  EXPECT_EQ(host::realToText(-0.00001, host::kUnitsDecimal), L"0.0000") << "no negative zero";
  EXPECT_EQ(host::realToText(-1.26, host::kUnitsDecimal, 1), L"-1.3");
  EXPECT_EQ(host::realToText(2147483647.0, host::kUnitsDecimal), L"2147483647.0000");
  EXPECT_EQ(host::realToText(3, host::kUnitsDecimal, 0), L"3");
  EXPECT_EQ(host::realToText(1, host::kUnitsDecimal, 99), L"1.00000000") << "precision clamped";
  EXPECT_EQ(host::realToText(1500, host::kUnitsScientific), L"1.5000E+03");
  EXPECT_EQ(host::realToText(std::nan(""), host::kUnitsDecimal), L"nan");
  EXPECT_EQ(host::realToText(-HUGE_VAL, host::kUnitsDecimal), L"-inf");
  EXPECT_EQ(host::realToText(1e308, host::kUnitsDecimal).getLength(), 309 + 5);
}

TEST(Conversions, DistanceFromTextTakesOneNumberOnly)
{
  double v = 0;
  EXPECT_TRUE(host::distanceToReal(L" -1.5 ", host::kUnitsDecimal, v));
  EXPECT_EQ(v, -1.5);
  EXPECT_TRUE(host::distanceToReal(L"1e3", host::kUnitsDecimal, v));
  EXPECT_EQ(v, 1000);
  EXPECT_TRUE(host::distanceToReal(L"+.5", host::kUnitsScientific, v));
  EXPECT_EQ(v, 0.5);
  v = 7;
  for (const wchar_t* text : {L"", L" ", L"2*3", L"1,5", L"1 2", L"-", L"e3", L"1e400", L"nan", L"inf", L"0x10",
                              L"--1", L"1.2.3", L"%s%n", L"\t\n"})
    EXPECT_FALSE(host::distanceToReal(text, host::kUnitsDecimal, v)) << OdString(text).toUtf8();
  EXPECT_FALSE(host::distanceToReal(L"1", 4, v)) << "architectural units are not this host's";
  EXPECT_EQ(v, 7) << "a refused text leaves the value alone";
}
