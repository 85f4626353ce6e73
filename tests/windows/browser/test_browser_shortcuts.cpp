// The host's Ctrl+Z, Ctrl+Y, Ctrl+S and Ctrl+O over the browser: in the label
// edit they act on the typed text, never on the drawing; on the list itself
// they are the host's menu commands.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
std::string click(const std::string& text) { return std::string("CLICK ") + kPane + " ITEM \"" + text + "\""; }

std::vector<std::string> menuCommands(const JsonValue& dump)
{
  std::vector<std::string> out;
  for (const JsonValue& line : dump["mainWindow"]["menuCommands"].items())
    out.push_back(line.asString());
  return out;
}
} // namespace

TEST(BrowserShortcuts, InALabelEditCtrlZUndoesTheTypingAndTheDrawingIsUntouched)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Oak\nMATERIAL Pine\n");
  const HostRun run = host.run({"MATBROWSEROPEN", click("Oak"), "KEY F2", "TYPE Teak", "DUMP {dir}/typed.json",
                                "KEY CTRL+Z", "DUMP {dir}/undone.json", "KEY CTRL+S", "KEY CTRL+O", "KEY CTRL+Y",
                                "DUMP {dir}/keys.json", "KEY ESC", "DUMP {dir}/ended.json",
                                // On the list, with no edit box, the same key is the host's Undo.
                                "KEY CTRL+Z", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"typed.json")))["list"]["editing"].asString(), "Teak");

  const JsonValue undone = JsonValue::parse(host.readFile(L"undone.json"));
  EXPECT_EQ(pane(undone)["list"]["editing"].asString(), "Oak") << "Ctrl+Z gives the label its text back";
  EXPECT_TRUE(menuCommands(undone).empty());

  // Ctrl+S, Ctrl+O and Ctrl+Y are the edit box's too: no dialog, no command,
  // the edit still open on its text.
  const JsonValue keys = JsonValue::parse(host.readFile(L"keys.json"));
  EXPECT_EQ(pane(keys)["list"]["editing"].asString(), "Oak");
  EXPECT_EQ(keys["fileDialogs"].size(), 0u);
  EXPECT_TRUE(menuCommands(keys).empty());

  const JsonValue ended = JsonValue::parse(host.readFile(L"ended.json"));
  EXPECT_TRUE(pane(ended)["list"]["editing"].isNull());
  EXPECT_EQ(materialNames(ended), materialNames(JsonValue::parse(host.readFile(L"typed.json"))));
  EXPECT_TRUE(hasMaterial(ended, "Oak"));
  EXPECT_FALSE(hasMaterial(ended, "Teak"));
  EXPECT_EQ(material(ended, "Oak")["writes"].asNumber(), 0);
  EXPECT_FALSE(currentDocument(ended)["modified"].asBool());

  EXPECT_EQ(menuCommands(run.dump()), (std::vector<std::string>{"UNDO"}));
}
