// What the Material editor's end-to-end tests send and read: the script
// lines that open a material from the browser and name the editor's pane,
// and from DUMP the editor's pane, its grid's rows and its toolbar.
#pragma once

#include "BrowserRun.h"

#include <string>
#include <vector>

namespace editortest
{
using namespace browsertest;

constexpr const char* kEditorPrefix = "Material editor - ";
// A later run starts with the browser (the profile's start-up command):
// let it fill its list first.
constexpr const char* kSettle = "WAIT 500";
// Two right clicks in a row would be a double click.
constexpr const char* kPause = "WAIT 700";

// A double click on the material's item in the browser.
inline std::string open(const std::string& material)
{
  return std::string("CLICK ") + kPane + " ITEM \"" + material + "\" DOUBLE";
}

inline std::string rightClick(const std::string& material)
{
  return std::string("CLICK ") + kPane + " ITEM \"" + material + "\" RIGHT";
}

// The editor's pane as a script word while it shows that material.
inline std::string editorPane(const std::string& material)
{
  return std::string("\"") + kEditorPrefix + material + "\"";
}

inline std::string editorButton(const std::string& material, int command, const char* verb = "CLICK")
{
  return std::string(verb) + " " + editorPane(material) + " BUTTON " + std::to_string(command);
}

// The Material editor's pane, whatever material it shows; null when none.
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

// The editor's one grid; a null value when there is none.
inline const JsonValue& editorGrid(const JsonValue& dump)
{
  static const JsonValue none;
  const JsonValue* pane = editor(dump);
  if (!pane || !pane->has("grids") || (*pane)["grids"].size() != 1)
    return none;
  return (*pane)["grids"][0];
}

// The editor grid's row of that label; a null value when there is none.
inline const JsonValue& gridRow(const JsonValue& dump, const std::string& label)
{
  static const JsonValue none;
  const JsonValue& grid = editorGrid(dump);
  if (grid.isNull())
    return none;
  for (const JsonValue& row : grid["rows"].items())
    if (row["label"].asString() == label)
      return row;
  return none;
}

inline std::vector<std::string> rowLabels(const JsonValue& dump)
{
  const JsonValue& grid = editorGrid(dump);
  if (grid.isNull())
    return {"(no grid)"};
  std::vector<std::string> labels;
  for (const JsonValue& row : grid["rows"].items())
    labels.push_back(row["label"].asString());
  return labels;
}

// The colour of one of a material's channels ("diffuse", "ambient", "specular").
inline std::string channel(const JsonValue& dump, const std::string& name, const char* key)
{
  return material(dump, name)[key]["color"].asString();
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

inline JsonValue dumpOf(HostHarness& host, const wchar_t* name) { return JsonValue::parse(host.readFile(name)); }

inline const JsonValue& editorSettings(const JsonValue& dump) { return dump["profile"]["cmddata"]["MaterialEditor"]; }
} // namespace editortest
