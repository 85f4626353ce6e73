#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace host
{
std::string JsonWriter::quote(const OdString& text)
{
  const std::string utf8 = text.toUtf8();
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (unsigned char ch : utf8)
  {
    switch (ch)
    {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
      if (ch < 0x20 || ch == 0x7F)
      {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", unsigned(ch));
        out += buffer;
      }
      else
        out += char(ch); // UTF-8 sequences pass as they are
    }
  }
  out += '"';
  return out;
}

void JsonWriter::newLine()
{
  m_out += '\n';
  m_out.append(2 * m_hasMembers.size(), ' ');
}

void JsonWriter::beforeValue()
{
  if (m_afterKey)
  {
    m_afterKey = false;
    return;
  }
  if (m_hasMembers.empty())
    return;
  if (m_hasMembers.back())
    m_out += ',';
  m_hasMembers.back() = true;
  newLine();
}

JsonWriter& JsonWriter::beginObject()
{
  beforeValue();
  m_out += '{';
  m_hasMembers.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::endObject()
{
  const bool had = !m_hasMembers.empty() && m_hasMembers.back();
  if (!m_hasMembers.empty())
    m_hasMembers.pop_back();
  if (had)
    newLine();
  m_out += '}';
  if (m_hasMembers.empty())
    m_out += '\n';
  return *this;
}

JsonWriter& JsonWriter::beginArray()
{
  beforeValue();
  m_out += '[';
  m_hasMembers.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::endArray()
{
  const bool had = !m_hasMembers.empty() && m_hasMembers.back();
  if (!m_hasMembers.empty())
    m_hasMembers.pop_back();
  if (had)
    newLine();
  m_out += ']';
  if (m_hasMembers.empty())
    m_out += '\n';
  return *this;
}

JsonWriter& JsonWriter::key(const OdString& name)
{
  beforeValue();
  m_out += quote(name);
  m_out += ": ";
  m_afterKey = true;
  return *this;
}

JsonWriter& JsonWriter::value(const OdString& text)
{
  beforeValue();
  m_out += quote(text);
  return *this;
}

JsonWriter& JsonWriter::value(long long number)
{
  beforeValue();
  m_out += std::to_string(number);
  return *this;
}

JsonWriter& JsonWriter::value(double number)
{
  if (!std::isfinite(number))
    return null();
  beforeValue();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", number);
  m_out += buffer;
  return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
  beforeValue();
  m_out += flag ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::null()
{
  beforeValue();
  m_out += "null";
  return *this;
}
} // namespace host
