// Working the browser's items from the keyboard (type-ahead too) and with right clicks where
// the list moves under the pointer: the commands act on the selected item.
#include "PaletteRun.h"

#include <iterator>

using namespace palettetest;

namespace
{
std::string click(const std::string& text, const char* how = "")
{
  return std::string("CLICK ") + kPane + " ITEM \"" + text + "\"" + (*how ? " " : "") + how;
}
// Whether a recorded menu is an item's (Edit first) rather than blank space's.
bool isItemMenu(const JsonValue& menu)
{
  const JsonValue& first = menu["items"][0];
  return first.has("id") && int(first["id"].asNumber()) == 1005;
}
} // namespace

TEST(BrowserKeyboard, F2RenamesDeleteRemovesAndTheMenuKeysOpenTheSelectedItemsMenu)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Oak\nMATERIAL Pine\nMATERIAL Stone\nLAYER Walls MATERIAL Stone\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", click("Oak"), "KEY F2", "DUMP {dir}/f2.json", "TYPE Teak", "KEY ENTER",
              // Delete asks as Remove does: nothing for an unused material...
              kPause, click("Pine"), "KEY DELETE", "DUMP {dir}/deleted.json",
              // ... the question for a used one, and No keeps it.
              kPause, click("Stone"), "ANSWER NO", "KEY DELETE", "DUMP {dir}/kept.json",
              // The standard material is neither renamed nor removed.
              kPause, click("Global"), "KEY F2", "KEY DELETE", "DUMP {dir}/global.json",
              // The context-menu key and Shift+F10: the selected item's menu.
              kPause, click("Stone"), "ANSWER CANCEL", "KEY APPS", "ANSWER MENU 1002", "KEY SHIFT+F10",
              "DUMP {dir}/menu.json", "TYPE Granite", "KEY ENTER",
              // Type-ahead: the item whose name starts with the letter.
              kPause, "KEY T", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"f2.json")))["list"]["editing"].asString(), "Oak");

  const JsonValue deleted = JsonValue::parse(host.readFile(L"deleted.json"));
  EXPECT_TRUE(hasMaterial(deleted, "Teak"));
  EXPECT_FALSE(hasMaterial(deleted, "Pine"));
  EXPECT_EQ(deleted["messages"].size(), 0u);

  const JsonValue kept = JsonValue::parse(host.readFile(L"kept.json"));
  ASSERT_EQ(kept["messages"].size(), 1u);
  EXPECT_EQ(kept["messages"][0]["buttons"].asString(), "yesno");
  EXPECT_TRUE(hasMaterial(kept, "Stone"));

  const JsonValue global = JsonValue::parse(host.readFile(L"global.json"));
  EXPECT_TRUE(pane(global)["list"]["editing"].isNull());
  EXPECT_EQ(itemTexts(global), itemTexts(kept));
  EXPECT_EQ(global["messages"].size(), 1u);

  const JsonValue menu = JsonValue::parse(host.readFile(L"menu.json"));
  ASSERT_EQ(menu["menus"].size(), 2u);
  for (const JsonValue& shown : menu["menus"].items())
  {
    EXPECT_TRUE(isItemMenu(shown));
    EXPECT_TRUE(menuItem(shown, 1002)["enabled"].asBool());
  }
  EXPECT_EQ(pane(menu)["list"]["editing"].asString(), "Stone");
  const JsonValue dump = run.dump();
  EXPECT_TRUE(hasMaterial(dump, "Granite"));
  EXPECT_FALSE(hasMaterial(dump, "Stone"));
  EXPECT_TRUE(item(dump, "Teak")["selected"].asBool());
}

TEST(BrowserKeyboard, ARightClickOnAPartlyHiddenItemOpensThatItemsMenu)
{
  HostHarness host;
  const std::wstring file = drawing(host, fillerMaterials(40));
  // Down the list, then up again: the wheel stops as soon as each label is
  // in sight, so the item is left partly hidden at the list's lower or
  // upper edge, and the list scrolls it wholly into sight under the press.
  std::vector<std::string> script{"MATBROWSEROPEN"};
  const int fillers[] = {17, 21, 25, 29, 33, 37, 41, 45, 49, 42, 36, 30, 24, 18, 12};
  for (int filler : fillers)
  {
    script.push_back(kPause);
    script.push_back("ANSWER CANCEL");
    script.push_back(click("Filler " + std::to_string(filler), "RIGHT"));
  }
  script.insert(script.end(), {"DUMP {dump}", "QUIT"});
  const HostRun run = host.run(script, {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["menus"].size(), std::size(fillers));
  for (std::size_t i = 0; i < std::size(fillers); ++i)
    EXPECT_TRUE(isItemMenu(dump["menus"][i])) << "Filler " << fillers[i] << ": the blank-space menu";
}

TEST(BrowserKeyboard, AClickOnTheSelectedItemsLongLabelFindsTheItem)
{
  HostHarness host;
  // Shown whole once selected: a dozen lines, far below the item's own place.
  std::string longName = "A material whose name runs on";
  for (int i = 0; i < 8; ++i)
    longName += " and on over the lines of the icon view";
  const std::wstring file =
    drawing(host, "MATERIAL Ash\nMATERIAL \"" + longName + "\"\nMATERIAL Beech\nMATERIAL Cedar\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", click(longName), kPause, click(longName), "WAIT 900", "DUMP {dir}/editing.json",
              "KEY ESC", kPause, "ANSWER CANCEL", click(longName, "RIGHT"), "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue editing = JsonValue::parse(host.readFile(L"editing.json"));
  EXPECT_EQ(pane(editing)["list"]["editing"].asString(), longName) << "the second click starts editing its label";
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["menus"].size(), 1u);
  EXPECT_TRUE(isItemMenu(dump["menus"][0]));
  EXPECT_TRUE(item(dump, longName)["selected"].asBool());
}
