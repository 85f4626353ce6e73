#include "Script.h"

#include "host/TextLines.h"
#include "od/OdError.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>

namespace host
{
namespace
{
bool isBlank(wchar_t ch)
{
  return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == L'\f' || ch == L'\v';
}

int hexDigit(wchar_t ch)
{
  if (ch >= L'0' && ch <= L'9')
    return ch - L'0';
  if (ch >= L'a' && ch <= L'f')
    return ch - L'a' + 10;
  if (ch >= L'A' && ch <= L'F')
    return ch - L'A' + 10;
  return -1;
}

bool isCommandLine(const OdString& line)
{
  for (wchar_t ch : line.str())
    if (!isBlank(ch))
      return ch != L'#';
  return false;
}

// Appends a code point; on Windows wide text is UTF-16.
void appendCodePoint(std::wstring& out, unsigned cp)
{
  if (sizeof(wchar_t) == 2 && cp > 0xFFFF)
  {
    cp -= 0x10000;
    out += wchar_t(0xD800 + (cp >> 10));
    out += wchar_t(0xDC00 + (cp & 0x3FF));
  }
  else
    out += wchar_t(cp);
}
} // namespace

std::vector<OdString> splitScriptWords(const OdString& line)
{
  const std::wstring& s = line.str();
  std::vector<OdString> words;
  std::size_t i = 0;
  while (true)
  {
    while (i < s.size() && isBlank(s[i]))
      ++i;
    if (i >= s.size())
      break;
    std::wstring word;
    if (s[i] == L'\'')
    {
      // Single quotes take everything up to the next one as it is.
      const std::size_t start = i++;
      const std::size_t end = s.find(L'\'', i);
      if (end == std::wstring::npos)
        throw ScriptError(OdString::format(L"unterminated quote starting at column %d", int(start + 1)));
      word = s.substr(i, end - i);
      i = end + 1;
      if (i < s.size() && !isBlank(s[i]))
        throw ScriptError(OdString::format(L"no blank after the quoted word ending at column %d", int(i)));
      words.emplace_back(std::move(word));
      continue;
    }
    if (s[i] != L'"')
    {
      const std::size_t start = i;
      while (i < s.size() && !isBlank(s[i]))
        ++i;
      words.emplace_back(s.substr(start, i - start));
      continue;
    }
    const std::size_t start = i++;
    bool closed = false;
    while (i < s.size())
    {
      const wchar_t ch = s[i++];
      if (ch == L'"')
      {
        closed = true;
        break;
      }
      if (ch != L'\\')
      {
        word += ch;
        continue;
      }
      if (i >= s.size())
        break;
      const wchar_t esc = s[i++];
      switch (esc)
      {
      case L'"': word += L'"'; break;
      case L'\\': word += L'\\'; break;
      case L'n': word += L'\n'; break;
      case L't': word += L'\t'; break;
      case L'u':
      {
        unsigned cp = 0;
        for (int k = 0; k < 4; ++k)
        {
          const int digit = i < s.size() ? hexDigit(s[i]) : -1;
          if (digit < 0)
            throw ScriptError(OdString::format(L"bad \\u escape in the word starting at column %d", int(start + 1)));
          cp = cp * 16 + unsigned(digit);
          ++i;
        }
        if (cp == 0)
          throw ScriptError(L"\\u0000 is not allowed in a word");
        appendCodePoint(word, cp);
        break;
      }
      default:
        throw ScriptError(OdString::format(L"unknown escape \\%s in the word starting at column %d",
                                           OdString(std::wstring(1, esc)), int(start + 1)));
      }
    }
    if (!closed)
      throw ScriptError(OdString::format(L"unterminated quote starting at column %d", int(start + 1)));
    if (i < s.size() && !isBlank(s[i]))
      throw ScriptError(OdString::format(L"no blank after the quoted word ending at column %d", int(i)));
    words.emplace_back(std::move(word));
  }
  return words;
}

std::vector<ScriptLine> scriptLines(const std::string& bytes)
{
  std::vector<ScriptLine> lines;
  int number = 0;
  forEachLine(bytes, [&](std::string_view text, bool) {
    ++number;
    // A NUL would end the text early: it becomes U+FFFD, as bytes that are
    // no UTF-8 do.
    std::string copy(text);
    for (std::size_t nul = copy.find('\0'); nul != std::string::npos; nul = copy.find('\0', nul))
      copy.replace(nul, 1, "\xEF\xBF\xBD");
    OdString line(copy.c_str());
    if (isCommandLine(line))
      lines.push_back({number, std::move(line)});
  });
  return lines;
}

const OdString& ScriptArgs::next(const OdString& what)
{
  if (done())
    throw ScriptError(L"missing " + what);
  return m_words[m_next++];
}

bool ScriptArgs::nextIs(const OdString& keyword)
{
  if (done() || m_words[m_next].iCompare(keyword) != 0)
    return false;
  ++m_next;
  return true;
}

void ScriptArgs::expectEnd() const
{
  if (!done())
    throw ScriptError(OdString::format(L"unexpected \"%s\"", m_words[m_next]));
}

std::vector<OdString> ScriptArgs::rest()
{
  std::vector<OdString> words(m_words.begin() + std::ptrdiff_t(m_next), m_words.end());
  m_next = m_words.size();
  return words;
}

int ScriptArgs::toInt(const OdString& word, const OdString& what, int low, int high)
{
  const std::string text = word.toUtf8();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < low || value > high)
    throw ScriptError(OdString::format(L"%s must be a whole number from %d to %d, not \"%s\"", what, low, high, word));
  return int(value);
}

double ScriptArgs::toReal(const OdString& word, const OdString& what)
{
  const std::string text = word.toUtf8();
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value))
    throw ScriptError(OdString::format(L"%s must be a number, not \"%s\"", what, word));
  return value;
}

void ScriptArgs::toTriple(const OdString& word, const OdString& what, double out[3])
{
  const std::vector<OdString> parts = word.split(L',');
  if (parts.size() != 3)
    throw ScriptError(OdString::format(L"%s must be three numbers separated by commas, not \"%s\"", what, word));
  for (int i = 0; i < 3; ++i)
    out[i] = toReal(parts[std::size_t(i)], what);
}

void ScriptInterpreter::run(const OdString& line)
{
  std::vector<OdString> words = splitScriptWords(line);
  if (words.empty() || words.front().getAt(0) == L'#')
    return;
  runWords(std::move(words));
}

void ScriptInterpreter::runWords(std::vector<OdString> words)
{
  if (words.empty())
    throw ScriptError(L"missing command");
  const OdString word = std::move(words.front());
  words.erase(words.begin());
  ScriptArgs args(std::move(words));
  auto it = m_handlers.find(word);
  if (it != m_handlers.end())
  {
    it->second(args);
    return;
  }
  if (!m_fallback || !m_fallback(word, args))
    throw ScriptError(OdString::format(L"unknown command \"%s\"", word));
}

bool ScriptInterpreter::tryRun(const OdString& line, OdString& error)
{
  try
  {
    run(line);
    return true;
  }
  catch (const ScriptError& e)
  {
    error = e.message();
  }
  catch (const OdError& e)
  {
    error = e.description().isEmpty() ? odResultText(e.code()) : e.description();
  }
  catch (const std::bad_alloc&)
  {
    error = L"out of memory";
  }
  catch (const std::exception& e)
  {
    error = OdString(e.what());
  }
  return false;
}
} // namespace host
