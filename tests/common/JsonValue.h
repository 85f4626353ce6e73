// The tests' reader of what the host writes (DUMP): nlohmann-json parses,
// this keeps the accessors the tests use. Members stay in file order and
// strings UTF-8; a missing member or a value of another kind throws, so a
// test fails with a reason rather than reading a default.
#pragma once

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class JsonValue
{
public:
  enum class Kind
  {
    Null,
    Bool,
    Number,
    String,
    Array,
    Object
  };

  static JsonValue parse(const std::string& text)
  {
    try
    {
      return JsonValue(nlohmann::ordered_json::parse(text));
    }
    catch (const nlohmann::json::exception& e)
    {
      throw std::runtime_error(std::string("JSON: ") + e.what());
    }
  }

  JsonValue() = default;

  Kind kind() const { return m_kind; }
  bool isNull() const { return m_kind == Kind::Null; }
  bool asBool() const { return expect(Kind::Bool).m_scalar.get<bool>(); }
  double asNumber() const { return expect(Kind::Number).m_scalar.get<double>(); }
  const std::string& asString() const { return expect(Kind::String).m_scalar.get_ref<const std::string&>(); }
  const std::vector<JsonValue>& items() const { return expect(Kind::Array).m_items; }
  const std::vector<std::pair<std::string, JsonValue>>& members() const { return expect(Kind::Object).m_members; }

  bool has(const std::string& key) const { return find(key) != nullptr; }
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
  explicit JsonValue(const nlohmann::ordered_json& json)
  {
    switch (json.type())
    {
    case nlohmann::json::value_t::object:
      m_kind = Kind::Object;
      for (const auto& [key, value] : json.items())
        m_members.emplace_back(key, JsonValue(value));
      break;
    case nlohmann::json::value_t::array:
      m_kind = Kind::Array;
      for (const auto& value : json)
        m_items.push_back(JsonValue(value));
      break;
    case nlohmann::json::value_t::string: m_kind = Kind::String; break;
    case nlohmann::json::value_t::boolean: m_kind = Kind::Bool; break;
    case nlohmann::json::value_t::null:
    case nlohmann::json::value_t::discarded: m_kind = Kind::Null; break;
    default: m_kind = Kind::Number; break;
    }
    if (m_kind != Kind::Object && m_kind != Kind::Array)
      m_scalar = json;
  }
  const JsonValue* find(const std::string& key) const
  {
    for (const auto& member : members())
      if (member.first == key)
        return &member.second;
    return nullptr;
  }
  const JsonValue& expect(Kind kind) const
  {
    if (m_kind != kind)
      throw std::runtime_error("JSON value of another kind");
    return *this;
  }

  Kind m_kind = Kind::Null;
  nlohmann::ordered_json m_scalar;
  std::vector<JsonValue> m_items;
  std::vector<std::pair<std::string, JsonValue>> m_members;
};
