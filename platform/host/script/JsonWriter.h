// JsonWriter: writes one JSON document, indented, with strings escaped.
//
// Keys and values are written in call order; the writer puts the commas and
// the indentation. Text is taken as wide text and written as UTF-8.
#pragma once

#include "od/OdString.h"

#include <string>
#include <vector>

namespace host
{
class JsonWriter
{
public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // Inside an object, the key of the next value.
  JsonWriter& key(const OdString& name);
  JsonWriter& value(const OdString& text);
  JsonWriter& value(const wchar_t* text) { return value(OdString(text)); }
  JsonWriter& value(long long number);
  JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
  // Not-a-number and infinities have no JSON form: they are written as null.
  JsonWriter& value(double number);
  JsonWriter& value(bool flag);
  JsonWriter& null();

  const std::string& text() const { return m_out; }

  // The quoted JSON form of a text.
  static std::string quote(const OdString& text);

private:
  void beforeValue();
  void newLine();

  std::string m_out;
  // One entry per open object or array: whether it already has a member.
  std::vector<bool> m_hasMembers;
  bool m_afterKey = false;
};
} // namespace host
