// DUMP's JSON: read back by an independent reader, strange texts survive.
#include "JsonWriter.h"

#include "JsonValue.h"

#include <gtest/gtest.h>

#include <cmath>

using host::JsonWriter;

TEST(JsonWriter, NestedValuesReadBack)
{
  JsonWriter json;
  json.beginObject();
  json.key(L"list").beginArray().value(1).value(-2.5).value(true).null().beginObject().endObject().endArray();
  json.key(L"empty").beginArray().endArray();
  json.key(L"nan").value(std::nan(""));
  json.key(L"big").value(9007199254740993LL);
  json.endObject();
  const JsonValue v = JsonValue::parse(json.text());
  ASSERT_EQ(v["list"].size(), 5u);
  EXPECT_EQ(v["list"][1].asNumber(), -2.5);
  EXPECT_TRUE(v["list"][2].asBool());
  EXPECT_TRUE(v["list"][3].isNull());
  EXPECT_EQ(v["empty"].size(), 0u);
  EXPECT_TRUE(v["nan"].isNull()) << "NaN has no JSON form";
  EXPECT_NE(json.text().find("9007199254740993"), std::string::npos) << "integers are written exactly";
}

TEST(JsonWriter, StrangeTextsAreEscapedAndSurvive)
{
  // Quotes, backslashes, every control character, DEL, and text beyond
  // ASCII, including a character outside the basic plane.
  std::wstring text = L"q\"b\\s/";
  for (wchar_t c = 1; c < 0x20; ++c)
    text += c;
  text += L'\x7F';
  text += L"\u00e9\u65e5";
  const std::string utf8Tail = "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
  OdString emoji("\xF0\x9F\x98\x80");
  const OdString value = OdString(text) + emoji;

  const std::string quoted = JsonWriter::quote(value);
  for (char c : quoted)
    EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "no raw control characters";
  EXPECT_EQ(quoted.find('\x7F'), std::string::npos);

  JsonWriter json;
  json.beginObject().key(value).value(value).endObject();
  const JsonValue v = JsonValue::parse(json.text());
  ASSERT_EQ(v.members().size(), 1u);
  const std::string expected = value.toUtf8();
  EXPECT_EQ(v.members()[0].first, expected);
  EXPECT_EQ(v.members()[0].second.asString(), expected);
  EXPECT_EQ(expected.substr(expected.size() - utf8Tail.size()), utf8Tail);
}
