// What the Texture editor's end-to-end tests share: the script lines that
// open it as a user does (a double click in the browser, then "&Edit..." in
// the menu of the Material editor's diffuse map row), and what they read
// back from DUMP (its pane, its rows, its map preview).
#pragma once

#include "BrowserRun.h"

#include <string>
#include <vector>

namespace texturetest
{
using namespace browsertest;

constexpr const char* kTexture = "Texture editor";
constexpr const char* kTexturePane = "\"Texture editor\"";
constexpr const char* kEditorPrefix = "Material editor - ";
// The diffuse map row's menu: "&Edit...".
constexpr int kMapEditCommand = 1002;

inline std::string editorPane(const std::string& material)
{
  return std::string("\"") + kEditorPrefix + material + "\"";
}

inline std::string on(const std::string& verb, const std::string& place)
{
  return verb + " " + kTexturePane + " " + place;
}

// The host's default layout puts the browser alone in the left column and
// the two editors in the right one. Each asks for a height of its own, at
// sizes the tests were written for: a short browser (room for a double
// click), a short Material editor and below it a Texture editor with room
// for its rows.
inline std::string browserRoom() { return std::string("RESIZE ") + kPane + " 320,150"; }

// Lines that open the material in the Material editor (a double click in the
// browser, which must be open) and its diffuse map in the Texture editor.
inline std::vector<std::string> openTexture(const std::string& material)
{
  const std::string pane = editorPane(material);
  return {browserRoom(),
          std::string("CLICK ") + kPane + " ITEM \"" + material + "\" DOUBLE",
          "RESIZE " + pane + " 320,160",
          "ANSWER MENU " + std::to_string(kMapEditCommand),
          "CLICK " + pane + " ROW \"Map.Diffuse\"",
          "CLICK " + pane + " EDITOR",
          "RESIZE " + std::string(kTexturePane) + " 320,310"};
}

// Lines that type a value into a row and commit it with Enter.
inline std::vector<std::string> typeInto(const std::string& label, const std::string& text)
{
  return {on("CLICK", "ROW \"" + label + "\""), "TYPE \"" + text + "\"", "KEY ENTER"};
}

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline const JsonValue& texturePane(const JsonValue& dump)
{
  static const JsonValue none;
  return dump["palettes"].has(kTexture) ? dump["palettes"][kTexture] : none;
}

inline bool textureShown(const JsonValue& dump)
{
  const JsonValue& pane = texturePane(dump);
  return !pane.isNull() && pane["shown"].asBool();
}

// The labels of the Texture editor's rows, in display order.
inline std::vector<std::string> rowLabels(const JsonValue& dump)
{
  const JsonValue& pane = texturePane(dump);
  if (pane.isNull() || !pane.has("grids") || pane["grids"].size() != 1)
    return {"(no grid)"};
  std::vector<std::string> labels;
  for (const JsonValue& row : pane["grids"][0]["rows"].items())
    labels.push_back(row["label"].asString());
  return labels;
}

// The text the row's cell shows; "(no row)" when there is none.
inline std::string rowText(const JsonValue& dump, const std::string& label)
{
  const JsonValue& pane = texturePane(dump);
  if (pane.isNull() || !pane.has("grids") || pane["grids"].size() != 1)
    return "(no grid)";
  for (const JsonValue& row : pane["grids"][0]["rows"].items())
    if (row["label"].asString() == label)
      return row["text"].asString();
  return "(no row)";
}

inline const JsonValue& diffuseMap(const JsonValue& dump, const std::string& name)
{
  return material(dump, name)["diffuseMap"];
}

// The map's offset or scale as "x,y".
inline std::string pair(const JsonValue& values)
{
  const auto text = [](double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.')
      s.pop_back();
    return s;
  };
  return text(values[0].asNumber()) + "," + text(values[1].asNumber());
}

inline JsonValue dumpOf(HostHarness& host, const wchar_t* name) { return JsonValue::parse(host.readFile(name)); }

// The source folder's sample textures, as Wine sees them.
inline std::string sampleTextures() { return HOST_TEST_SAMPLE_TEXTURES; }
} // namespace texturetest
