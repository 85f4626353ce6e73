// What the browser's end-to-end tests read from the host's DUMP: the
// Materials Browser pane, its items, the pop-up menus shown, the current
// document's materials, layers and objects, and the message boxes.
#pragma once

#include "HostHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace browsertest
{
constexpr const char* kBrowser = "Materials Browser";
// A pane word for script lines.
constexpr const char* kPane = "\"Materials Browser\"";

inline const JsonValue& pane(const JsonValue& dump) { return dump["palettes"][kBrowser]; }
inline const JsonValue& items(const JsonValue& dump) { return pane(dump)["list"]["items"]; }

inline std::vector<std::string> itemTexts(const JsonValue& dump)
{
  std::vector<std::string> texts;
  for (const JsonValue& item : items(dump).items())
    texts.push_back(item["text"].asString());
  return texts;
}

// The item with that text; fails the test when there is none.
inline const JsonValue& item(const JsonValue& dump, const std::string& text)
{
  for (const JsonValue& it : items(dump).items())
    if (it["text"].asString() == text)
      return it;
  ADD_FAILURE() << "no item \"" << text << "\"";
  static const JsonValue none;
  return none;
}

inline const JsonValue& currentDocument(const JsonValue& dump)
{
  for (const JsonValue& document : dump["documents"].items())
    if (document["current"].asBool())
      return document;
  throw std::runtime_error("no current document");
}

inline std::vector<std::string> materialNames(const JsonValue& dump)
{
  std::vector<std::string> names;
  for (const JsonValue& material : currentDocument(dump)["materials"].items())
    names.push_back(material["name"].asString());
  return names;
}

// The current document's material of that name; fails the test when there is none.
inline const JsonValue& material(const JsonValue& dump, const std::string& name)
{
  for (const JsonValue& m : currentDocument(dump)["materials"].items())
    if (m["name"].asString() == name)
      return m;
  ADD_FAILURE() << "no material \"" << name << "\"";
  static const JsonValue none;
  return none;
}

inline bool hasMaterial(const JsonValue& dump, const std::string& name)
{
  for (const std::string& n : materialNames(dump))
    if (n == name)
      return true;
  return false;
}

// The menu item of a command in a recorded menu; fails when there is none.
inline const JsonValue& menuItem(const JsonValue& menu, int id)
{
  for (const JsonValue& it : menu["items"].items())
    if (it.has("id") && int(it["id"].asNumber()) == id)
      return it;
  ADD_FAILURE() << "no menu item " << id;
  static const JsonValue none;
  return none;
}

struct Rgb
{
  int r, g, b;
};
// "#rrggbb"
inline Rgb colour(const JsonValue& text)
{
  const std::string s = text.asString();
  const auto part = [&](int at) { return int(std::strtol(s.substr(std::size_t(at), 2).c_str(), nullptr, 16)); };
  return {part(1), part(3), part(5)};
}
inline Rgb centre(const JsonValue& item) { return colour(item["thumbnail"]["centre"]); }

// A path (of the temporary folder, plain ASCII) as a script word, with forward slashes.
inline std::string scriptPath(const std::wstring& path)
{
  std::string out;
  for (wchar_t c : path)
    out += c == L'\\' ? '/' : char(c);
  return out;
}

// Drawing lines of plain materials "Filler 10", "Filler 11"...: sorted
// before "Global", and enough of them make the list scroll.
inline std::string fillerMaterials(int count)
{
  std::string lines;
  for (int i = 0; i < count; ++i)
    lines += "MATERIAL \"Filler " + std::to_string(10 + i) + "\"\n";
  return lines;
}

// A drawing file of the harness's folder with these lines; the argument for
// host.exe that opens it.
inline std::wstring drawing(HostHarness& host, const std::string& lines)
{
  host.writeFile(L"drawing.mescript", lines);
  return host.file(L"drawing.mescript");
}
} // namespace browsertest
