// OdString: the SDK's wide string, with case-insensitive comparison and a
// formatter that treats every argument as data.
#pragma once

#include "od/OdPlatform.h"

#include <initializer_list>
#include <string>
#include <vector>

class OdString
{
public:
  OdString() = default;
  OdString(const wchar_t* text) : m_text(text ? text : L"") {}
  OdString(const wchar_t* text, std::size_t length) : m_text(text ? std::wstring(text, length) : std::wstring()) {}
  OdString(std::wstring text) : m_text(std::move(text)) {}
  // Narrow text is taken as UTF-8.
  OdString(const char* text);
  OdString(wchar_t ch, int count) : m_text(count > 0 ? std::size_t(count) : 0, ch) {}

  static const OdString kEmpty;

  const wchar_t* c_str() const { return m_text.c_str(); }
  operator const wchar_t*() const { return m_text.c_str(); }
  const std::wstring& str() const { return m_text; }
  std::string toUtf8() const;

  int getLength() const { return int(m_text.size()); }
  bool isEmpty() const { return m_text.empty(); }
  void empty() { m_text.clear(); }
  wchar_t getAt(int index) const;

  int compare(const OdString& other) const
  {
    return m_text.compare(other.m_text) < 0 ? -1 : (m_text == other.m_text ? 0 : 1);
  }
  // Case-insensitive comparison (odFoldCase), equal characters skipped eight bytes at a time.
  int iCompare(const OdString& other) const;

  bool operator==(const OdString& other) const { return m_text == other.m_text; }
  bool operator!=(const OdString& other) const { return m_text != other.m_text; }
  bool operator<(const OdString& other) const { return m_text < other.m_text; }
  bool operator==(const wchar_t* other) const { return m_text == (other ? other : L""); }
  bool operator!=(const wchar_t* other) const { return !(*this == other); }

  OdString& operator+=(const OdString& other)
  {
    m_text += other.m_text;
    return *this;
  }
  OdString& operator+=(wchar_t ch)
  {
    m_text += ch;
    return *this;
  }
  friend OdString operator+(const OdString& a, const OdString& b) { return OdString(a.m_text + b.m_text); }
  friend OdString operator+(const OdString& a, const wchar_t* b) { return OdString(a.m_text + (b ? b : L"")); }
  friend OdString operator+(const wchar_t* a, const OdString& b) { return OdString((a ? a : L"") + b.m_text); }

  // -1 when not found.
  int find(wchar_t ch, int start = 0) const;
  int find(const OdString& text, int start = 0) const;
  int findOneOf(const OdString& chars) const;
  int reverseFind(wchar_t ch) const;

  OdString left(int count) const;
  OdString right(int count) const;
  OdString mid(int first, int count = -1) const;

  OdString& makeUpper();
  OdString& makeLower();
  OdString& trimLeft();
  OdString& trimRight();
  int replace(const OdString& from, const OdString& to);

  // printf-like formatting in which the arguments are values, never formats:
  // %s %ls %S take a string, %d %i %u %x %c an integer, %f %g %e a real; flags,
  // width and precision are honoured for numbers; %% is a percent sign. A
  // directive without a matching argument prints nothing.
  class Arg
  {
  public:
    Arg(const OdString& s) : m_kind(Kind::Text), m_text(s.m_text) {}
    Arg(const wchar_t* s) : m_kind(Kind::Text), m_text(s ? s : L"") {}
    Arg(const char* s) : m_kind(Kind::Text), m_text(OdString(s).m_text) {}
    Arg(int v) : m_kind(Kind::Int), m_int(v) {}
    Arg(long v) : m_kind(Kind::Int), m_int(v) {}
    Arg(long long v) : m_kind(Kind::Int), m_int(v) {}
    Arg(unsigned v) : m_kind(Kind::Int), m_int(v) {}
    Arg(unsigned long v) : m_kind(Kind::Int), m_int(static_cast<long long>(v)) {}
    Arg(unsigned long long v) : m_kind(Kind::Int), m_int(static_cast<long long>(v)) {}
    Arg(double v) : m_kind(Kind::Real), m_real(v) {}
    Arg(float v) : m_kind(Kind::Real), m_real(v) {}

  private:
    friend class OdString;
    enum class Kind
    {
      Text,
      Int,
      Real
    } m_kind;
    std::wstring m_text;
    long long m_int = 0;
    double m_real = 0.0;
  };
  static OdString formatArgs(const OdString& format, std::initializer_list<Arg> args);
  template <typename... A>
  static OdString format(const OdString& format, const A&... args)
  {
    return formatArgs(format, {Arg(args)...});
  }

  // Splits at the separator; empty parts are kept.
  std::vector<OdString> split(wchar_t separator) const;

private:
  std::wstring m_text;
};

// Case folding of one character, shared by every case-insensitive comparison
// (iCompare, dictionary keys, makeLower, the browser's filter): Unicode's
// simple folding of the Basic Multilingual Plane, one character to one
// (so "STRASSE" is not "Straße"). Other characters, and UTF-16 surrogates,
// stay as they are.
wchar_t odFoldCase(wchar_t ch);

struct OdStringLessNoCase
{
  bool operator()(const OdString& a, const OdString& b) const { return a.iCompare(b) < 0; }
};
