// CKtVariant: the host's small value type for profile entries; CXStringW:
// the host's wide string, which is the SDK's string in this host.
#pragma once

#include "od/OdString.h"

using CXStringW = OdString;

class CKtVariant
{
public:
  enum class Type
  {
    Empty,
    Int,
    Real,
    Text,
  };

  CKtVariant() = default;
  CKtVariant(int value) : m_type(Type::Int), m_int(value) {}
  CKtVariant(double value) : m_type(Type::Real), m_real(value) {}
  CKtVariant(const OdString& value) : m_type(Type::Text), m_text(value) {}
  CKtVariant(const wchar_t* value) : m_type(Type::Text), m_text(value) {}

  Type type() const { return m_type; }
  bool isEmpty() const { return m_type == Type::Empty; }
  // Conversions between the kinds; text that is not a number reads as 0.
  int asInt() const;
  double asReal() const;
  OdString asText() const;

  bool operator==(const CKtVariant& other) const
  {
    return m_type == other.m_type && m_int == other.m_int && m_real == other.m_real && m_text == other.m_text;
  }

private:
  Type m_type = Type::Empty;
  int m_int = 0;
  double m_real = 0.0;
  OdString m_text;
};

inline int CKtVariant::asInt() const
{
  switch (m_type)
  {
  case Type::Int: return m_int;
  case Type::Real:
    // Out of range (or NaN) the conversion would be undefined; read as 0 like bad text.
    return m_real > -2147483649.0 && m_real < 2147483648.0 ? int(m_real) : 0;
  case Type::Text:
  {
    const std::wstring& s = m_text.str();
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+'))
      negative = s[i++] == L'-';
    long long value = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i)
    {
      value = value * 10 + (s[i] - L'0');
      if (value > 2147483648LL)
        return 0; // out of range reads as nothing sensible
    }
    if (!negative && value > 2147483647LL)
      return 0;
    return int(negative ? -value : value);
  }
  default: return 0;
  }
}

inline double CKtVariant::asReal() const
{
  switch (m_type)
  {
  case Type::Int: return m_int;
  case Type::Real: return m_real;
  case Type::Text: return double(asInt());
  default: return 0.0;
  }
}

inline OdString CKtVariant::asText() const
{
  switch (m_type)
  {
  case Type::Int: return OdString::format(L"%d", m_int);
  case Type::Real: return OdString::format(L"%.17g", m_real);
  case Type::Text: return m_text;
  default: return OdString();
  }
}
