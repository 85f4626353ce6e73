// Changing materials from the browser: giving a new name in place (with the
// checks and messages in their order), removing (asking only for a used
// material, and falling back to the by-layer material), and applying a
// material to the selected objects.
#include "PaletteRun.h"

using namespace palettetest;

TEST(BrowserEditing, NewNamesAreCheckedInOrderAndOnlyAGoodOneIsWritten)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\nMATERIAL copper\n");
  const HostRun run = host.run(
    {"MATBROWSEROPEN",
     // Rename from the menu: the edit box holds the stored name.
     "ANSWER MENU 1002", rightClick("Steel"), "DUMP {dir}/open.json",
     "TYPE \"St:eel\"", "KEY ENTER",                            // message 105
     kPause, "ANSWER MENU 1002", rightClick("Steel"), "KEY BACKSPACE", "KEY ENTER", // empty: nothing
     kPause, "ANSWER MENU 1002", rightClick("Steel"), "TYPE copper", "KEY ENTER",   // another material's: 107
     kPause, "ANSWER MENU 1002", rightClick("Steel"), "TYPE GLOBAL", "KEY ENTER",   // reserved: 107
     kPause, "ANSWER MENU 1002", rightClick("Steel"), "TYPE Bronze", "KEY ESC",     // cancelled
     "DUMP {dir}/refused.json",
     // Enter on the name as it stands, then a change of case only.
     kPause, "ANSWER MENU 1002", rightClick("Steel"), "KEY ENTER", "DUMP {dir}/unchanged.json",
     kPause, "ANSWER MENU 1002", rightClick("copper"), "TYPE Copper", "KEY ENTER",
     kPause, "ANSWER MENU 1002", rightClick("Steel"), "TYPE Bronze", "KEY ENTER",
     // A click on the selected item's label starts editing too.
     "WAIT 700", std::string("CLICK ") + kPane + " ITEM Bronze", "WAIT 900", "DUMP {dir}/click.json", "KEY ESC",
     "DUMP {dump}", "QUIT"},
    {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"open.json")))["list"]["editing"].asString(), "Steel");

  const JsonValue refused = JsonValue::parse(host.readFile(L"refused.json"));
  EXPECT_EQ(itemTexts(refused), (std::vector<std::string>{"copper", "Global", "Steel"})) << "labels kept";
  EXPECT_EQ(materialNames(refused), (std::vector<std::string>{"By Block", "By Layer", "copper", "Global", "Steel"}));
  const JsonValue& messages = refused["messages"];
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0]["text"].asString(),
            "\nInvalid characters in name.\nThe following characters are not valid in material names: \n <>/\\\"':;?*|,=`");
  EXPECT_EQ(messages[0]["icon"].asString(), "exclamation");
  EXPECT_EQ(messages[1]["text"].asString(),
            "The material \"copper\" already exists in the drawing. Please enter a different name.");
  EXPECT_EQ(messages[1]["icon"].asString(), "exclamation");
  EXPECT_EQ(messages[2]["text"].asString(),
            "The material \"GLOBAL\" already exists in the drawing. Please enter a different name.");

  const JsonValue unchanged = JsonValue::parse(host.readFile(L"unchanged.json"));
  EXPECT_EQ(unchanged["messages"].size(), 3u) << "its own name is no other material's";
  EXPECT_EQ(itemTexts(unchanged), itemTexts(refused));
  EXPECT_EQ(material(unchanged, "Steel")["writes"].asNumber(), material(refused, "Steel")["writes"].asNumber())
    << "nothing written";

  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"click.json")))["list"]["editing"].asString(), "Bronze");
  const JsonValue dump = run.dump();
  EXPECT_EQ(itemTexts(dump), (std::vector<std::string>{"Copper", "Global", "Bronze"}));
  EXPECT_TRUE(hasMaterial(dump, "Copper")) << "a change of case is a new name";
  EXPECT_TRUE(hasMaterial(dump, "Bronze"));
  EXPECT_FALSE(hasMaterial(dump, "Steel"));
  EXPECT_EQ(dump["messages"].size(), 3u) << "a good name and Esc ask nothing";
}

TEST(BrowserEditing, RemovingAsksOnlyForAUsedMaterialAndItsUsersFallBackToByLayer)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL Unused\nMATERIAL Stone\nLAYER Walls MATERIAL Stone\nBOX LAYER Walls MATERIAL Stone\n");
  const HostRun run = host.run({"MATBROWSEROPEN",
                                "ANSWER MENU 1001", rightClick("Unused"), "DUMP {dir}/unused.json",
                                "ANSWER MENU 1001", "ANSWER NO", rightClick("Stone"), "DUMP {dir}/no.json",
                                kPause, "ANSWER MENU 1001", "ANSWER YES", rightClick("Stone"), "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue unused = JsonValue::parse(host.readFile(L"unused.json"));
  EXPECT_FALSE(hasMaterial(unused, "Unused"));
  EXPECT_EQ(itemTexts(unused), (std::vector<std::string>{"Global", "Stone"}));
  EXPECT_EQ(unused["messages"].size(), 0u) << "nothing uses it: no question";

  const JsonValue declined = JsonValue::parse(host.readFile(L"no.json"));
  ASSERT_EQ(declined["messages"].size(), 1u);
  const JsonValue& question = declined["messages"][0];
  EXPECT_EQ(question["text"].asString(),
            "This material is used in the drawing. Do you want to delete the material? \n(The deleted material will be "
            "removed from any object or layer \nit is currently applied to.)");
  EXPECT_EQ(question["icon"].asString(), "question");
  EXPECT_EQ(question["buttons"].asString(), "yesno");
  EXPECT_TRUE(hasMaterial(declined, "Stone")) << "No changes nothing";
  const auto layerMaterial = [](const JsonValue& dump) {
    for (const JsonValue& layer : currentDocument(dump)["layers"].items())
      if (layer["name"].asString() == "Walls")
        return layer["material"].asString();
    return std::string("(no layer)");
  };
  EXPECT_EQ(layerMaterial(declined), "Stone");

  const JsonValue dump = run.dump();
  EXPECT_FALSE(hasMaterial(dump, "Stone"));
  EXPECT_EQ(itemTexts(dump), (std::vector<std::string>{"Global"}));
  EXPECT_EQ(layerMaterial(dump), "By Layer");
  for (const JsonValue& entity : currentDocument(dump)["entities"].items())
    EXPECT_EQ(entity["material"].asString(), "By Layer");
}

TEST(BrowserEditing, ApplyGivesTheSelectedObjectsTheMaterialAndIsGreyedWithoutASelection)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Oak\nMESH\nBOX AT 3,0,0\nMESH AT 6,0,0\n");
  const HostRun run = host.run({"MATBROWSEROPEN", rightClick("Oak"), "SELECT ALL", kPause, "ANSWER MENU 1003",
                                rightClick("Oak"), "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["menus"].size(), 2u);
  EXPECT_FALSE(menuItem(dump["menus"][0], 1003)["enabled"].asBool());
  EXPECT_TRUE(menuItem(dump["menus"][1], 1003)["enabled"].asBool());
  const JsonValue& entities = currentDocument(dump)["entities"];
  ASSERT_EQ(entities.size(), 3u);
  for (const JsonValue& entity : entities.items())
    EXPECT_EQ(entity["material"].asString(), "Oak");
}
