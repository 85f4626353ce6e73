// Undo in the host as a user meets it: each command and each edit in the
// browser is one step, UNDO takes the drawing back exactly and REDO puts
// it forward again.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
// A value as text, without the write counters (an undo writes too).
std::string text(const JsonValue& value)
{
  switch (value.kind())
  {
  case JsonValue::Kind::Null: return "null";
  case JsonValue::Kind::Bool: return value.asBool() ? "true" : "false";
  case JsonValue::Kind::Number: return std::to_string(value.asNumber());
  case JsonValue::Kind::String: return '"' + value.asString() + '"';
  case JsonValue::Kind::Array:
  {
    std::string out = "[";
    for (const JsonValue& item : value.items())
      out += text(item) + ",";
    return out + "]";
  }
  case JsonValue::Kind::Object:
  {
    std::string out = "{";
    for (const auto& [key, member] : value.members())
      if (key != "writes")
        out += key + ":" + text(member) + ",";
    return out + "}";
  }
  }
  return "";
}

// The drawing's part of the current document in a dump file of the harness.
std::string drawingPart(HostHarness& host, const std::wstring& file)
{
  const JsonValue dump = JsonValue::parse(host.readFile(file));
  const JsonValue& document = currentDocument(dump);
  std::string out;
  for (const char* key : {"materials", "cmaterial", "layers", "entities", "groups"})
    out += std::string(key) + "=" + text(document[key]) + "\n";
  return out;
}

std::vector<std::string> names(const JsonValue& list)
{
  std::vector<std::string> out;
  for (const JsonValue& item : list.items())
    out.push_back(item.asString());
  return out;
}

// Lines that dump before the action, after it, after UNDO and after REDO.
std::vector<std::string> undoAndRedo(const std::string& name, const std::vector<std::string>& action)
{
  std::vector<std::string> lines{"DUMP {dir}/" + name + "-before.json"};
  lines.insert(lines.end(), action.begin(), action.end());
  for (const char* stage : {"after", "undone", "redone"})
  {
    if (std::string(stage) == "undone")
      lines.push_back("UNDO");
    else if (std::string(stage) == "redone")
      lines.push_back("REDO");
    lines.push_back(kPause);
    lines.push_back("DUMP {dir}/" + name + "-" + stage + ".json");
  }
  // The browser lists the drawing afresh, whether or not it followed the
  // undo, so that the next action finds its items by name.
  lines.insert(lines.end(), {"NEW", "CLOSE", kPause});
  return lines;
}

void expectUndoneAndRedone(HostHarness& host, const std::string& name)
{
  auto file = [&](const char* stage) {
    const std::string path = name + "-" + stage + ".json";
    return std::wstring(path.begin(), path.end());
  };
  const std::string before = drawingPart(host, file("before"));
  const std::string after = drawingPart(host, file("after"));
  EXPECT_NE(before, after) << name << " changed nothing";
  EXPECT_EQ(drawingPart(host, file("undone")), before) << name << " undone";
  EXPECT_EQ(drawingPart(host, file("redone")), after) << name << " redone";
}
} // namespace

TEST(BrowserUndo, CommandsAndBrowserEditsAreUndoneAndRedoneExactly)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Oak DIFFUSE 120,80,40\nMATERIAL Stone MAP MARBLE\n"
                                          "LAYER Walls\nMESH LAYER Walls\nBOX AT 3,0,0\n"
                                          "MATERIAL Slate\nLAYER Floors MATERIAL Slate\nBOX LAYER Floors AT 6,0,0\n");
  std::vector<std::string> script{"MATBROWSEROPEN", "DUMP {dir}/opened.json"};
  const std::vector<std::pair<std::string, std::vector<std::string>>> actions{
    {"matedit", {"MATEDIT Oak DIFFUSE 10,20,30 MAP WOOD"}},
    {"material", {"MATERIAL Brass DIFFUSE 200,170,60"}},
    {"erase", {"ERASE Stone"}},
    {"layer", {"LAYER Walls MATERIAL Oak"}},
    // Palette edits: the menu's command and the label edit are no commands.
    {"apply", {"SELECT ALL", kPause, "ANSWER MENU 1003", rightClick("Brass")}},
    {"rename", {kPause, "ANSWER MENU 1002", rightClick("Oak"), "TYPE Pine", "KEY ENTER"}},
    {"remove", {kPause, "ANSWER MENU 1001", "ANSWER YES", rightClick("Slate")}},
    {"clone", {kPause, "ANSWER MENU 1000", rightClick("Brass")}},
    {"new", {kPause, std::string("CLICK ") + kPane + " BUTTON 70"}},
  };
  for (const auto& [name, action] : actions)
  {
    const std::vector<std::string> lines = undoAndRedo(name, action);
    script.insert(script.end(), lines.begin(), lines.end());
  }
  script.insert(script.end(), {"DUMP {dump}", "QUIT"});
  const HostRun run = host.run(script, {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  // What the file built is nothing to undo.
  const JsonValue opened = JsonValue::parse(host.readFile(L"opened.json"));
  EXPECT_EQ(currentDocument(opened)["undo"]["steps"].size(), 0u);
  for (const auto& [name, action] : actions)
    expectUndoneAndRedone(host, name);

  // The browser's edits are unnamed steps; each came to one step.
  const JsonValue dump = run.dump();
  EXPECT_EQ(names(currentDocument(dump)["undo"]["steps"]),
            (std::vector<std::string>{"", "", "", "", "", "LAYER", "ERASE", "MATERIAL", "MATEDIT"}));
  EXPECT_TRUE(hasMaterial(dump, "Pine"));
  EXPECT_FALSE(hasMaterial(dump, "Slate"));
  for (const JsonValue& entity : currentDocument(dump)["entities"].items())
    EXPECT_EQ(entity["material"].asString(), "Brass");
}
