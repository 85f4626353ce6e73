#include "od/OdString.h"

#include "OdCaseFolding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>

const OdString OdString::kEmpty;

namespace
{
void appendCodePoint(std::wstring& out, char32_t cp)
{
  if constexpr (sizeof(wchar_t) == 2)
  {
    if (cp >= 0x10000)
    {
      cp -= 0x10000;
      out += wchar_t(0xD800 + (cp >> 10));
      out += wchar_t(0xDC00 + (cp & 0x3FF));
      return;
    }
  }
  out += wchar_t(cp);
}

void appendUtf8(std::string& out, char32_t cp)
{
  if (cp < 0x80)
    out += char(cp);
  else if (cp < 0x800)
  {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  }
  else if (cp < 0x10000)
  {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
  else
  {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}
} // namespace

OdString::OdString(const char* text)
{
  if (!text)
    return;
  // Malformed sequences become U+FFFD rather than being dropped silently.
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p)
  {
    char32_t cp = *p;
    int extra = 0;
    if (cp < 0x80)
      extra = 0;
    else if ((cp & 0xE0) == 0xC0)
      cp &= 0x1F, extra = 1;
    else if ((cp & 0xF0) == 0xE0)
      cp &= 0x0F, extra = 2;
    else if ((cp & 0xF8) == 0xF0)
      cp &= 0x07, extra = 3;
    else
    {
      m_text += wchar_t(0xFFFD);
      ++p;
      continue;
    }
    ++p;
    bool ok = true;
    for (int i = 0; i < extra; ++i)
    {
      if ((*p & 0xC0) != 0x80)
      {
        ok = false;
        break;
      }
      cp = (cp << 6) | (*p++ & 0x3F);
    }
    if (!ok || cp > 0x10FFFF)
      cp = 0xFFFD;
    appendCodePoint(m_text, cp);
  }
}

std::string OdString::toUtf8() const
{
  std::string out;
  out.reserve(m_text.size());
  for (std::size_t i = 0; i < m_text.size(); ++i)
  {
    char32_t cp = char32_t(m_text[i]);
    if constexpr (sizeof(wchar_t) == 2)
    {
      if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < m_text.size())
      {
        char32_t low = char32_t(m_text[i + 1]);
        if (low >= 0xDC00 && low < 0xE000)
        {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
      cp = 0xFFFD;
    appendUtf8(out, cp);
  }
  return out;
}

wchar_t odFoldCase(wchar_t ch)
{
  const auto c = std::uint32_t(ch);
  if (c < 0x80)
    return (c >= 'A' && c <= 'Z') ? wchar_t(c + 32) : ch;
  // Beyond the BMP nothing folds, as where wchar_t holds UTF-16 code units
  // (a surrogate folds to itself): both builds call the same texts equal.
  if (c > 0xFFFF)
    return ch;
  const auto* end = std::end(odcase::kFoldRuns);
  const auto* run = std::upper_bound(std::begin(odcase::kFoldRuns), end, c,
                                     [](std::uint32_t code, const odcase::FoldRun& r) { return code < r.first; });
  if (run == std::begin(odcase::kFoldRuns))
    return ch;
  --run;
  if (c > run->last || (c - run->first) % run->stride != 0)
    return ch;
  return wchar_t(std::int32_t(c) + run->delta);
}

wchar_t OdString::getAt(int index) const
{
  if (index < 0 || index >= getLength())
    return 0;
  return m_text[std::size_t(index)];
}

namespace
{
// The first index at or after i where a and b differ, or n. Names in a table
// mostly share their first characters, and every search compares a dozen of
// them: eight bytes at a time keeps loading long tables fast.
std::size_t firstDifference(const wchar_t* a, const wchar_t* b, std::size_t i, std::size_t n)
{
  constexpr std::size_t kStep = sizeof(std::uint64_t) / sizeof(wchar_t);
  for (; i + kStep <= n; i += kStep)
  {
    std::uint64_t x, y;
    std::memcpy(&x, a + i, sizeof x);
    std::memcpy(&y, b + i, sizeof y);
    if (x != y)
      break;
  }
  while (i < n && a[i] == b[i])
    ++i;
  return i;
}
} // namespace

int OdString::iCompare(const OdString& other) const
{
  const wchar_t* a = m_text.data();
  const wchar_t* b = other.m_text.data();
  const std::size_t n = std::min(m_text.size(), other.m_text.size());
  // Equal characters need no folding: only where they differ is the case looked at.
  for (std::size_t i = firstDifference(a, b, 0, n); i < n; i = firstDifference(a, b, i + 1, n))
  {
    const wchar_t fa = odFoldCase(a[i]);
    const wchar_t fb = odFoldCase(b[i]);
    if (fa != fb)
      return fa < fb ? -1 : 1;
  }
  if (m_text.size() == other.m_text.size())
    return 0;
  return m_text.size() < other.m_text.size() ? -1 : 1;
}

int OdString::find(wchar_t ch, int start) const
{
  if (start < 0)
    start = 0;
  auto pos = m_text.find(ch, std::size_t(start));
  return pos == std::wstring::npos ? -1 : int(pos);
}

int OdString::find(const OdString& text, int start) const
{
  if (start < 0)
    start = 0;
  auto pos = m_text.find(text.m_text, std::size_t(start));
  return pos == std::wstring::npos ? -1 : int(pos);
}

int OdString::findOneOf(const OdString& chars) const
{
  auto pos = m_text.find_first_of(chars.m_text);
  return pos == std::wstring::npos ? -1 : int(pos);
}

int OdString::reverseFind(wchar_t ch) const
{
  auto pos = m_text.rfind(ch);
  return pos == std::wstring::npos ? -1 : int(pos);
}

OdString OdString::left(int count) const
{
  if (count <= 0)
    return OdString();
  return OdString(m_text.substr(0, std::size_t(count)));
}

OdString OdString::right(int count) const
{
  if (count <= 0)
    return OdString();
  if (count >= getLength())
    return *this;
  return OdString(m_text.substr(m_text.size() - std::size_t(count)));
}

OdString OdString::mid(int first, int count) const
{
  if (first < 0)
    first = 0;
  if (first >= getLength())
    return OdString();
  if (count < 0)
    return OdString(m_text.substr(std::size_t(first)));
  return OdString(m_text.substr(std::size_t(first), std::size_t(count)));
}

OdString& OdString::makeUpper()
{
  for (auto& ch : m_text)
  {
    // Upper case as the inverse of the fold, for the characters it changes.
    if (ch >= L'a' && ch <= L'z')
      ch = wchar_t(ch - 32);
    else if (unsigned(ch) >= 0xE0 && unsigned(ch) <= 0xFE && unsigned(ch) != 0xF7)
      ch = wchar_t(ch - 32);
  }
  return *this;
}

OdString& OdString::makeLower()
{
  for (auto& ch : m_text)
    ch = odFoldCase(ch);
  return *this;
}

OdString& OdString::trimLeft()
{
  auto pos = m_text.find_first_not_of(L" \t\r\n");
  m_text.erase(0, pos == std::wstring::npos ? m_text.size() : pos);
  return *this;
}

OdString& OdString::trimRight()
{
  auto pos = m_text.find_last_not_of(L" \t\r\n");
  m_text.erase(pos == std::wstring::npos ? 0 : pos + 1);
  return *this;
}

int OdString::replace(const OdString& from, const OdString& to)
{
  if (from.isEmpty())
    return 0;
  int count = 0;
  std::size_t pos = 0;
  while ((pos = m_text.find(from.m_text, pos)) != std::wstring::npos)
  {
    m_text.replace(pos, from.m_text.size(), to.m_text);
    pos += to.m_text.size();
    ++count;
  }
  return count;
}

std::vector<OdString> OdString::split(wchar_t separator) const
{
  std::vector<OdString> parts;
  std::size_t start = 0;
  for (;;)
  {
    auto pos = m_text.find(separator, start);
    if (pos == std::wstring::npos)
    {
      parts.emplace_back(m_text.substr(start));
      return parts;
    }
    parts.emplace_back(m_text.substr(start, pos - start));
    start = pos + 1;
  }
}

namespace
{
// Renders one numeric directive through the C library with a format built
// here from known-safe pieces only.
std::wstring formatNumber(const std::string& flags, char conversion, long long intValue, double realValue, bool isReal)
{
  char directive[48];
  char buffer[512];
  int n = 0;
  switch (conversion)
  {
  case 'd':
  case 'i':
    std::snprintf(directive, sizeof directive, "%%%slld", flags.c_str());
    n = std::snprintf(buffer, sizeof buffer, directive, isReal ? static_cast<long long>(realValue) : intValue);
    break;
  case 'u':
  case 'x':
  case 'X':
    std::snprintf(directive, sizeof directive, "%%%sll%c", flags.c_str(), conversion);
    n = std::snprintf(buffer, sizeof buffer, directive,
                      static_cast<unsigned long long>(isReal ? static_cast<long long>(realValue) : intValue));
    break;
  default: // f g e
    std::snprintf(directive, sizeof directive, "%%%s%c", flags.c_str(), conversion);
    n = std::snprintf(buffer, sizeof buffer, directive, isReal ? realValue : double(intValue));
    break;
  }
  if (n < 0)
    return std::wstring();
  std::wstring out;
  for (const char* p = buffer; *p; ++p)
    out += wchar_t(static_cast<unsigned char>(*p));
  return out;
}
} // namespace

OdString OdString::formatArgs(const OdString& format, std::initializer_list<Arg> args)
{
  std::wstring out;
  const std::wstring& f = format.m_text;
  auto next = args.begin();
  for (std::size_t i = 0; i < f.size(); ++i)
  {
    if (f[i] != L'%')
    {
      out += f[i];
      continue;
    }
    if (i + 1 < f.size() && f[i + 1] == L'%')
    {
      out += L'%';
      ++i;
      continue;
    }
    // Flags, width and precision: only digits and a few flag characters, and
    // never more than a handful, so the built directive stays small and safe.
    std::size_t j = i + 1;
    std::string flags;
    while (j < f.size() && flags.size() < 12 && (std::wcschr(L"-+ #0.", f[j]) || (f[j] >= L'0' && f[j] <= L'9')))
      flags += char(f[j++]);
    // Length modifiers carry no meaning here.
    while (j < f.size() && (f[j] == L'l' || f[j] == L'h' || f[j] == L'L' || f[j] == L'z'))
      ++j;
    if (j >= f.size())
    {
      out.append(f, i, std::wstring::npos);
      break;
    }
    const wchar_t conv = f[j];
    if (!std::wcschr(L"sSdiuxXcfgeE", conv))
    {
      // Not a directive we know: keep the text as it stands.
      out.append(f, i, j - i + 1);
      i = j;
      continue;
    }
    i = j;
    if (next == args.end())
      continue;
    const Arg& arg = *next++;
    switch (conv)
    {
    case L's':
    case L'S':
      if (arg.m_kind == Arg::Kind::Text)
        out += arg.m_text;
      else if (arg.m_kind == Arg::Kind::Int)
        out += std::to_wstring(arg.m_int);
      else
        out += formatNumber("", 'g', 0, arg.m_real, true);
      break;
    case L'c':
      if (arg.m_kind == Arg::Kind::Int)
        out += wchar_t(arg.m_int);
      else if (arg.m_kind == Arg::Kind::Text && !arg.m_text.empty())
        out += arg.m_text[0];
      break;
    default:
      if (arg.m_kind == Arg::Kind::Text)
        out += arg.m_text;
      else
        out +=
          formatNumber(flags, char(conv == L'E' ? 'e' : conv), arg.m_int, arg.m_real, arg.m_kind == Arg::Kind::Real);
      break;
    }
  }
  return OdString(std::move(out));
}
