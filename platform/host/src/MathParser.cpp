#include "host/MathParser.h"

#include "NumberText.h"

#include <cmath>
#include <vector>

namespace host
{
namespace
{
enum class Op
{
  Add,
  Subtract,
  Multiply,
  Divide,
  Power,
  Negate,
  Plus,
  Open, // an opening parenthesis, with the function it belongs to
};

enum class Function
{
  None,
  Sqrt,
  Abs,
  Sin,
  Cos,
  Tan,
  Asin,
  Acos,
  Atan,
};

struct Entry
{
  Op op;
  Function function = Function::None;
};

// Binary + - bind loosest, then * /, then a leading sign, then ^.
int precedence(Op op)
{
  switch (op)
  {
  case Op::Add:
  case Op::Subtract: return 1;
  case Op::Multiply:
  case Op::Divide: return 2;
  case Op::Negate:
  case Op::Plus: return 3;
  case Op::Power: return 4;
  case Op::Open: return 0;
  }
  return 0;
}

bool isUnary(Op op) { return op == Op::Negate || op == Op::Plus; }

constexpr double kDegree = OdPi / 180.0;

// Sine and cosine of whole multiples of 90 degrees are exact, as a user
// who types sin(180) expects 0, not 1.2e-16.
// fmod is exact, where dividing a huge angle by 90 rounds it to a whole
// number of quarter turns it is not.
bool quarterTurns(double degrees, int& quarter)
{
  if (!std::isfinite(degrees) || std::fmod(degrees, 90.0) != 0.0)
    return false;
  double turn = std::fmod(degrees, 360.0);
  if (turn < 0)
    turn += 360.0;
  quarter = int(turn / 90.0);
  return true;
}

class Evaluator
{
public:
  Evaluator(const std::wstring& text, OdString& message) : m_s(text), m_message(message) {}

  bool run(double& result)
  {
    if (m_s.size() > std::size_t(MathParser::kMaxLength))
      return fail(L"the expression is too long");
    bool expectOperand = true;
    while (true)
    {
      skipBlanks();
      if (m_pos >= m_s.size())
        break;
      const wchar_t c = m_s[m_pos];
      if (expectOperand)
      {
        if (!operand(c, expectOperand))
          return false;
        continue;
      }
      if (c == L')')
      {
        if (!closeParenthesis())
          return false;
        ++m_pos;
        continue;
      }
      Op op;
      switch (c)
      {
      case L'+': op = Op::Add; break;
      case L'-': op = Op::Subtract; break;
      case L'*': op = Op::Multiply; break;
      case L'/': op = Op::Divide; break;
      case L'^': op = Op::Power; break;
      default: return fail(OdString::format(L"an operator was expected at position %d", int(m_pos + 1)));
      }
      ++m_pos;
      // ^ is right-associative: a ^ on the stack waits for the one coming.
      while (!m_ops.empty() && m_ops.back().op != Op::Open &&
             (precedence(m_ops.back().op) > precedence(op) ||
              (precedence(m_ops.back().op) == precedence(op) && op != Op::Power)))
        if (!apply())
          return false;
      m_ops.push_back({op});
      expectOperand = true;
    }
    if (expectOperand)
      return fail(m_values.empty() && m_ops.empty() ? L"the expression is empty" : L"the expression ends too early");
    while (!m_ops.empty())
    {
      if (m_ops.back().op == Op::Open)
        return fail(L"a closing parenthesis is missing");
      if (!apply())
        return false;
    }
    if (m_values.size() != 1)
      return fail(L"the expression is not complete");
    result = m_values.back();
    return true;
  }

private:
  bool fail(const OdString& message)
  {
    m_message = message;
    return false;
  }

  void skipBlanks()
  {
    while (m_pos < m_s.size() && (m_s[m_pos] == L' ' || m_s[m_pos] == L'\t'))
      ++m_pos;
  }

  bool operand(wchar_t c, bool& expectOperand)
  {
    if (c == L'-' || c == L'+')
    {
      m_ops.push_back({c == L'-' ? Op::Negate : Op::Plus});
      ++m_pos;
      return true;
    }
    if (c == L'(')
    {
      ++m_pos;
      return openParenthesis(Function::None);
    }
    if ((c >= L'0' && c <= L'9') || c == L'.')
    {
      double value = 0.0;
      switch (scanNumber(m_s.c_str(), m_s.size(), m_pos, value))
      {
      case NumberScan::Ok: break;
      case NumberScan::OutOfRange: return fail(L"a number is too large");
      case NumberScan::NoNumber: return fail(OdString::format(L"a number was expected at position %d", int(m_pos + 1)));
      }
      m_values.push_back(value);
      expectOperand = false;
      return true;
    }
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'))
      return name(expectOperand);
    return fail(OdString::format(L"a number was expected at position %d", int(m_pos + 1)));
  }

  bool name(bool& expectOperand)
  {
    const std::size_t start = m_pos;
    while (m_pos < m_s.size() && ((m_s[m_pos] >= L'a' && m_s[m_pos] <= L'z') || (m_s[m_pos] >= L'A' && m_s[m_pos] <= L'Z')))
      ++m_pos;
    const OdString word(m_s.substr(start, m_pos - start));
    if (word.iCompare(L"pi") == 0)
    {
      m_values.push_back(OdPi);
      expectOperand = false;
      return true;
    }
    static const struct
    {
      const wchar_t* name;
      Function function;
    } functions[] = {{L"sqrt", Function::Sqrt}, {L"abs", Function::Abs},   {L"sin", Function::Sin},
                     {L"cos", Function::Cos},   {L"tan", Function::Tan},   {L"asin", Function::Asin},
                     {L"acos", Function::Acos}, {L"atan", Function::Atan}};
    for (const auto& f : functions)
      if (word.iCompare(f.name) == 0)
      {
        skipBlanks();
        if (m_pos >= m_s.size() || m_s[m_pos] != L'(')
          return fail(OdString::format(L"\"%s\" needs its argument in parentheses", word));
        ++m_pos;
        return openParenthesis(f.function);
      }
    // Names go into the message as data; a long one is cut.
    return fail(OdString::format(L"unknown name \"%s\"", word.getLength() > 20 ? word.left(20) + L"..." : word));
  }

  bool openParenthesis(Function function)
  {
    if (++m_depth > MathParser::kMaxDepth)
      return fail(L"parentheses are nested too deeply");
    m_ops.push_back({Op::Open, function});
    return true;
  }

  bool closeParenthesis()
  {
    while (!m_ops.empty() && m_ops.back().op != Op::Open)
      if (!apply())
        return false;
    if (m_ops.empty())
      return fail(OdString::format(L"the parenthesis at position %d closes nothing", int(m_pos + 1)));
    const Function function = m_ops.back().function;
    m_ops.pop_back();
    --m_depth;
    if (function == Function::None)
      return true;
    double& x = m_values.back();
    return applyFunction(function, x);
  }

  bool applyFunction(Function function, double& x)
  {
    int quarter = 0;
    switch (function)
    {
    case Function::None: break;
    case Function::Sqrt:
      if (x < 0)
        return fail(L"the square root of a negative number");
      x = std::sqrt(x);
      break;
    case Function::Abs: x = std::fabs(x); break;
    case Function::Sin:
      if (quarterTurns(x, quarter))
        x = quarter == 1 ? 1.0 : quarter == 3 ? -1.0 : 0.0;
      else
        x = std::sin(std::fmod(x, 360.0) * kDegree);
      break;
    case Function::Cos:
      if (quarterTurns(x, quarter))
        x = quarter == 0 ? 1.0 : quarter == 2 ? -1.0 : 0.0;
      else
        x = std::cos(std::fmod(x, 360.0) * kDegree);
      break;
    case Function::Tan:
      if (quarterTurns(x, quarter))
      {
        if (quarter % 2)
          return fail(L"the tangent of a right angle");
        x = 0.0;
      }
      else
        x = std::tan(std::fmod(x, 360.0) * kDegree);
      break;
    case Function::Asin:
    case Function::Acos:
      if (x < -1.0 || x > 1.0)
        return fail(L"asin and acos take values from -1 to 1");
      x = (function == Function::Asin ? std::asin(x) : std::acos(x)) / kDegree;
      break;
    case Function::Atan: x = std::atan(x) / kDegree; break;
    }
    return finite(x);
  }

  bool finite(double x) { return std::isfinite(x) || fail(L"the result is too large"); }

  // Applies the operator on top of the stack to the values on top of theirs.
  bool apply()
  {
    const Op op = m_ops.back().op;
    m_ops.pop_back();
    if (isUnary(op))
    {
      if (m_values.empty())
        return fail(L"the expression is not complete");
      if (op == Op::Negate)
        m_values.back() = -m_values.back();
      return true;
    }
    if (m_values.size() < 2)
      return fail(L"the expression is not complete");
    const double b = m_values.back();
    m_values.pop_back();
    double& a = m_values.back();
    switch (op)
    {
    case Op::Add: a += b; break;
    case Op::Subtract: a -= b; break;
    case Op::Multiply: a *= b; break;
    case Op::Divide:
      if (b == 0.0)
        return fail(L"division by zero");
      a /= b;
      break;
    case Op::Power:
      if (a == 0.0 && b < 0.0)
        return fail(L"division by zero");
      if (a < 0.0 && b != std::floor(b))
        return fail(L"a negative number to a fractional power");
      a = std::pow(a, b);
      break;
    default: break;
    }
    return finite(a);
  }

  const std::wstring& m_s;
  OdString& m_message;
  std::size_t m_pos = 0;
  int m_depth = 0;
  std::vector<double> m_values;
  std::vector<Entry> m_ops;
};
} // namespace

bool evaluateExpression(const OdString& expression, double& value, OdString& message)
{
  message.empty();
  double result = 0.0;
  if (!Evaluator(expression.str(), message).run(result))
    return false;
  value = result == 0.0 ? 0.0 : result; // no -0 for a user to see
  return true;
}

bool MathParser::evaluate(const wchar_t* expression, double& value, OdString& message, int flags)
{
  (void)flags; // no evaluation options in this host
  return evaluateExpression(OdString(expression ? expression : L""), value, message);
}
} // namespace host
