// What the palettes' end-to-end tests send to host.exe and read back from
// its DUMP: the script lines a user's gestures make (the browser's items,
// the Material editor's rows and buttons, the Texture editor opened from
// the diffuse map row), and the panes, grids, materials, menus and message
// boxes the host reports.
#pragma once

#include "HostHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace palettetest
{
constexpr const char* kBrowser = "Materials Browser";
// A pane word for script lines.
constexpr const char* kPane = "\"Materials Browser\"";
constexpr const char* kEditorPrefix = "Material editor - ";
constexpr const char* kTexture = "Texture editor";
constexpr const char* kTexturePane = "\"Texture editor\"";
// The diffuse map row's menu: "&Edit...".
constexpr int kMapEditCommand = 1002;
// A later run starts with the browser (the profile's start-up command):
// let it fill its list first.
constexpr const char* kSettle = "WAIT 500";
// Two clicks in a row would be a double click.
constexpr const char* kPause = "WAIT 700";

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline JsonValue dumpOf(HostHarness& host, const wchar_t* name) { return JsonValue::parse(host.readFile(name)); }

// A path (of the temporary folder, plain ASCII) as a script word, with forward slashes.
inline std::string scriptPath(const std::wstring& path)
{
  std::string out;
  for (wchar_t c : path)
    out += c == L'\\' ? '/' : char(c);
  return out;
}

// A drawing file of the harness's folder with these lines; the argument for
// host.exe that opens it.
inline std::wstring drawing(HostHarness& host, const std::string& lines)
{
  host.writeFile(L"drawing.mescript", lines);
  return host.file(L"drawing.mescript");
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

// The current document and its materials.

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

inline bool hasMaterial(const JsonValue& dump, const std::string& name)
{
  for (const std::string& n : materialNames(dump))
    if (n == name)
      return true;
  return false;
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

// The colour of one of a material's channels ("diffuse", "ambient", "specular").
inline std::string channel(const JsonValue& dump, const std::string& name, const char* key)
{
  return material(dump, name)[key]["color"].asString();
}

inline const JsonValue& diffuseMap(const JsonValue& dump, const std::string& name)
{
  return material(dump, name)["diffuseMap"];
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

// The toolbar button of a command in a pane's DUMP; fails when there is none.
inline const JsonValue& toolbarButton(const JsonValue& pane, int command)
{
  for (const JsonValue& button : pane["toolbar"].items())
    if (int(button["command"].asNumber()) == command)
      return button;
  ADD_FAILURE() << "no button " << command;
  static const JsonValue none;
  return none;
}

// A pane's one grid, its rows by label; null values when there are none.

inline const JsonValue& gridOf(const JsonValue* pane)
{
  static const JsonValue none;
  if (!pane || pane->isNull() || !pane->has("grids") || (*pane)["grids"].size() != 1)
    return none;
  return (*pane)["grids"][0];
}

inline const JsonValue& rowOf(const JsonValue* pane, const std::string& label)
{
  static const JsonValue none;
  const JsonValue& grid = gridOf(pane);
  if (grid.isNull())
    return none;
  for (const JsonValue& row : grid["rows"].items())
    if (row["label"].asString() == label)
      return row;
  return none;
}

// The labels of a pane's rows, in display order.
inline std::vector<std::string> labelsOf(const JsonValue* pane)
{
  const JsonValue& grid = gridOf(pane);
  if (grid.isNull())
    return {"(no grid)"};
  std::vector<std::string> labels;
  for (const JsonValue& row : grid["rows"].items())
    labels.push_back(row["label"].asString());
  return labels;
}

// The Materials Browser.

inline const JsonValue& pane(const JsonValue& dump) { return dump["palettes"][kBrowser]; }
inline const JsonValue& items(const JsonValue& dump) { return pane(dump)["list"]["items"]; }

inline std::vector<std::string> itemTexts(const JsonValue& dump)
{
  std::vector<std::string> texts;
  for (const JsonValue& item : items(dump).items())
    texts.push_back(item["text"].asString());
  return texts;
}

// The texts of the selected items.
inline std::vector<std::string> selectedTexts(const JsonValue& dump)
{
  std::vector<std::string> texts;
  for (const JsonValue& it : items(dump).items())
    if (it["selected"].asBool())
      texts.push_back(it["text"].asString());
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

inline Rgb centre(const JsonValue& item) { return colour(item["thumbnail"]["centre"]); }

// A double click on the material's item in the browser.
inline std::string open(const std::string& material)
{
  return std::string("CLICK ") + kPane + " ITEM \"" + material + "\" DOUBLE";
}

inline std::string rightClick(const std::string& material)
{
  return std::string("CLICK ") + kPane + " ITEM \"" + material + "\" RIGHT";
}

// The Material editor.

// Its pane as a script word while it shows that material.
inline std::string editorPane(const std::string& material)
{
  return std::string("\"") + kEditorPrefix + material + "\"";
}

inline std::string editorButton(const std::string& material, int command, const char* verb = "CLICK")
{
  return std::string(verb) + " " + editorPane(material) + " BUTTON " + std::to_string(command);
}

// Its pane, whatever material it shows; null when none.
inline const JsonValue* editor(const JsonValue& dump)
{
  for (const auto& [key, value] : dump["palettes"].members())
    if (key.rfind(kEditorPrefix, 0) == 0)
      return &value;
  return nullptr;
}

inline std::string editorTitle(const JsonValue& dump)
{
  const JsonValue* pane = editor(dump);
  return pane ? (*pane)["title"].asString() : std::string("(no editor)");
}

inline const JsonValue& editorGrid(const JsonValue& dump) { return gridOf(editor(dump)); }
inline const JsonValue& gridRow(const JsonValue& dump, const std::string& label) { return rowOf(editor(dump), label); }
inline std::vector<std::string> rowLabels(const JsonValue& dump) { return labelsOf(editor(dump)); }

inline const JsonValue& editorSettings(const JsonValue& dump) { return dump["profile"]["cmddata"]["MaterialEditor"]; }

// The Texture editor.

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
          open(material),
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

inline std::vector<std::string> textureRowLabels(const JsonValue& dump) { return labelsOf(&texturePane(dump)); }

// The text the row's cell shows; "(no row)" when there is none.
inline std::string textureRowText(const JsonValue& dump, const std::string& label)
{
  const JsonValue& row = rowOf(&texturePane(dump), label);
  return row.isNull() ? "(no row)" : row["text"].asString();
}

// The source folder's sample textures, as Wine sees them.
inline std::string sampleTextures() { return HOST_TEST_SAMPLE_TEXTURES; }
} // namespace palettetest
