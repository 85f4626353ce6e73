// A small JSON reader for tests that check what the host writes (DUMP).
// Strings stay UTF-8; \uXXXX escapes (surrogate pairs too) become UTF-8.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class JsonValue
{
public:
  enum class Kind { Null, Bool, Number, String, Array, Object };

  static JsonValue parse(const std::string& text)
  {
    std::size_t pos = 0;
    JsonValue value = parseValue(text, pos);
    skipBlanks(text, pos);
    if (pos != text.size())
      fail("text after the value", pos);
    return value;
  }

  Kind kind() const { return m_kind; }
  bool isNull() const { return m_kind == Kind::Null; }
  bool asBool() const { expect(Kind::Bool); return m_bool; }
  double asNumber() const { expect(Kind::Number); return m_number; }
  const std::string& asString() const { expect(Kind::String); return m_string; }
  const std::vector<JsonValue>& items() const { expect(Kind::Array); return m_items; }
  // Members in file order.
  const std::vector<std::pair<std::string, JsonValue>>& members() const { expect(Kind::Object); return m_members; }

  bool has(const std::string& key) const { return find(key) != nullptr; }
  // Throws when the member is missing, so a test fails with a reason.
  const JsonValue& operator[](const std::string& key) const
  {
    if (const JsonValue* v = find(key))
      return *v;
    throw std::runtime_error("no member \"" + key + "\"");
  }
  const JsonValue& operator[](std::size_t index) const
  {
    if (index >= items().size())
      throw std::runtime_error("no item " + std::to_string(index));
    return m_items[index];
  }
  std::size_t size() const { return m_kind == Kind::Array ? m_items.size() : members().size(); }

private:
  const JsonValue* find(const std::string& key) const
  {
    expect(Kind::Object);
    for (const auto& member : m_members)
      if (member.first == key)
        return &member.second;
    return nullptr;
  }
  void expect(Kind kind) const
  {
    if (m_kind != kind)
      throw std::runtime_error("JSON value of another kind");
  }
  [[noreturn]] static void fail(const char* what, std::size_t pos)
  {
    throw std::runtime_error(std::string("JSON: ") + what + " at offset " + std::to_string(pos));
  }
  static void skipBlanks(const std::string& s, std::size_t& pos)
  {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r'))
      ++pos;
  }
  static void appendUtf8(std::string& out, unsigned cp)
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
  static unsigned hex4(const std::string& s, std::size_t& pos)
  {
    if (pos + 4 > s.size())
      fail("short \\u escape", pos);
    const std::string digits = s.substr(pos, 4);
    char* end = nullptr;
    const unsigned long v = std::strtoul(digits.c_str(), &end, 16);
    if (*end != '\0')
      fail("bad \\u escape", pos);
    pos += 4;
    return unsigned(v);
  }
  static std::string parseString(const std::string& s, std::size_t& pos)
  {
    std::string out;
    ++pos; // the opening quote
    while (true)
    {
      if (pos >= s.size())
        fail("unterminated string", pos);
      const unsigned char ch = static_cast<unsigned char>(s[pos++]);
      if (ch == '"')
        return out;
      if (ch < 0x20)
        fail("raw control character in a string", pos - 1);
      if (ch != '\\')
      {
        out += char(ch);
        continue;
      }
      if (pos >= s.size())
        fail("unterminated escape", pos);
      const char esc = s[pos++];
      switch (esc)
      {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '/': out += '/'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u':
      {
        unsigned cp = hex4(s, pos);
        if (cp >= 0xD800 && cp < 0xDC00 && s.compare(pos, 2, "\\u") == 0)
        {
          pos += 2;
          const unsigned low = hex4(s, pos);
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(out, cp);
        break;
      }
      default: fail("unknown escape", pos - 1);
      }
    }
  }
  static JsonValue parseValue(const std::string& s, std::size_t& pos)
  {
    skipBlanks(s, pos);
    if (pos >= s.size())
      fail("missing value", pos);
    JsonValue v;
    const char ch = s[pos];
    if (ch == '{')
    {
      v.m_kind = Kind::Object;
      ++pos;
      skipBlanks(s, pos);
      if (pos < s.size() && s[pos] == '}')
      {
        ++pos;
        return v;
      }
      while (true)
      {
        skipBlanks(s, pos);
        if (pos >= s.size() || s[pos] != '"')
          fail("missing key", pos);
        std::string key = parseString(s, pos);
        skipBlanks(s, pos);
        if (pos >= s.size() || s[pos] != ':')
          fail("missing colon", pos);
        ++pos;
        v.m_members.emplace_back(std::move(key), parseValue(s, pos));
        skipBlanks(s, pos);
        if (pos < s.size() && s[pos] == ',')
        {
          ++pos;
          continue;
        }
        if (pos < s.size() && s[pos] == '}')
        {
          ++pos;
          return v;
        }
        fail("missing , or }", pos);
      }
    }
    if (ch == '[')
    {
      v.m_kind = Kind::Array;
      ++pos;
      skipBlanks(s, pos);
      if (pos < s.size() && s[pos] == ']')
      {
        ++pos;
        return v;
      }
      while (true)
      {
        v.m_items.push_back(parseValue(s, pos));
        skipBlanks(s, pos);
        if (pos < s.size() && s[pos] == ',')
        {
          ++pos;
          continue;
        }
        if (pos < s.size() && s[pos] == ']')
        {
          ++pos;
          return v;
        }
        fail("missing , or ]", pos);
      }
    }
    if (ch == '"')
    {
      v.m_kind = Kind::String;
      v.m_string = parseString(s, pos);
      return v;
    }
    for (const char* word : {"true", "false", "null"})
      if (s.compare(pos, std::char_traits<char>::length(word), word) == 0)
      {
        pos += std::char_traits<char>::length(word);
        v.m_kind = word[0] == 'n' ? Kind::Null : Kind::Bool;
        v.m_bool = word[0] == 't';
        return v;
      }
    const char* start = s.c_str() + pos;
    char* end = nullptr;
    v.m_number = std::strtod(start, &end);
    if (end == start)
      fail("unexpected character", pos);
    v.m_kind = Kind::Number;
    pos += std::size_t(end - start);
    return v;
  }

  Kind m_kind = Kind::Null;
  bool m_bool = false;
  double m_number = 0;
  std::string m_string;
  std::vector<JsonValue> m_items;
  std::vector<std::pair<std::string, JsonValue>> m_members;
};
