// The Material editor beside the browser: its toolbar's pictures in both
// icon sets, what the pointer does passing over the preview, a double click
// on a short browser's lower row, and the palettes worked from the keys
// alone (a row selected and its editor opened by them, the map's menu).
#include "PaletteRun.h"

#include <algorithm>

using namespace palettetest;

namespace
{
// The toolbar's buttons each show a picture of their own.
void expectOwnPictures(const JsonValue& pane)
{
  std::vector<int> seen;
  for (int command : {73, 74, 75})
  {
    const int image = int(toolbarButton(pane, command)["image"].asNumber());
    EXPECT_GE(image, 0) << "button " << command << " shows no picture";
    EXPECT_EQ(std::count(seen.begin(), seen.end(), image), 0) << "button " << command << " shares its picture";
    seen.push_back(image);
  }
}
} // namespace

TEST(MaterialEditorLayout, EveryToolbarButtonShowsItsPictureInBothIconSets)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/light.json", "THEME DARK", "DUMP {dump}", "QUIT"}, {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue light = dumpOf(host, L"light.json"), dark = run.dump();
  ASSERT_NE(editor(light), nullptr);
  ASSERT_NE(editor(dark), nullptr);
  // The sample menu button too, not its drop-down arrow alone.
  expectOwnPictures(*editor(light));
  // The toolbar is filled again from the other set.
  expectOwnPictures(*editor(dark));
  EXPECT_TRUE(dark["theme"]["dark"].asBool());
}

TEST(MaterialEditorLayout, APointerPassingOverThePreviewLeavesABrowserLabelEditGoing)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\nMATERIAL Oak\n");
  const std::string pane = editorPane("Steel");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Steel"), "CLICK " + std::string(kPane) + " ITEM \"Oak\"", "KEY F2",
              // On its way elsewhere the pointer crosses the preview.
              "HOVER " + pane + " AT 140,120 300", "DUMP {dir}/editing.json", "TYPE Teak", "KEY ENTER",
              // The rename chosen from the menu, whose item lies over the preview.
              kPause, "ANSWER MENU 1002", rightClick("Steel"), "TYPE Bronze", "KEY ENTER", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue editing = dumpOf(host, L"editing.json");
  EXPECT_EQ(palettetest::pane(editing)["list"]["editing"].asString(), "Oak")
    << "the label edit ended under the pointer";
  const JsonValue dump = run.dump();
  EXPECT_TRUE(hasMaterial(dump, "Teak"));
  EXPECT_TRUE(hasMaterial(dump, "Bronze"));
  EXPECT_FALSE(hasMaterial(dump, "Oak"));
  EXPECT_EQ(editorTitle(dump), "Material editor - Bronze");
}

TEST(MaterialEditorLayout, ADoubleClickOnAnItemOfTheShortBrowsersLowerRowOpensIt)
{
  HostHarness host;
  // Two rows of items: a short browser shows the lower one in part, and a
  // press there scrolls it into sight.
  const std::wstring file = drawing(host, "MATERIAL Steel\nMATERIAL Oak\nMATERIAL Red\n");
  const HostRun run = host.run({"MATBROWSEROPEN", "RESIZE " + std::string(kPane) + " 320,300", open("Oak"),
                                "DUMP {dir}/oak.json", kPause, open("Red"), "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue oak = dumpOf(host, L"oak.json"), dump = run.dump();
  EXPECT_EQ(editorTitle(oak), "Material editor - Oak");
  // The lower row ends below the list's bottom edge.
  const double listHeight = palettetest::pane(oak)["list"]["rect"][3].asNumber();
  const double upper = item(oak, "Global")["position"][1].asNumber(),
               lower = item(oak, "Red")["position"][1].asNumber();
  EXPECT_GT(lower + (lower - upper), listHeight) << "the lower row is wholly in sight: nothing to scroll";
  EXPECT_EQ(editorTitle(dump), "Material editor - Red");
}

TEST(MaterialEditorLayout, FromTheKeysAloneAMaterialOpensItsMapOpensAndF6GoesRoundTheShownPanes)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Oak\nMATERIAL Steel MAP MARBLE\n");
  const auto focusOf = [](const JsonValue& dump) {
    std::string where;
    for (const auto& [title, pane] : dump["palettes"].members())
      if (pane["focus"].asBool())
        where += title.substr(0, title.find(" - "));
    return dump["view"]["focus"].asBool() ? where + "view" : where;
  };
  const HostRun run =
    host.run({"MATBROWSEROPEN", "CLICK " + std::string(kPane) + " ITEM \"Oak\"", "KEY ENTER", "DUMP {dir}/enter.json",
              // Steel's menu by its key, then Edit: the keys go on in the editor's grid.
              "KEY END", "ANSWER MENU 1005", "KEY APPS", "DUMP {dir}/edit.json",
              // The map row, its button, and Edit in its menu: the Texture editor.
              "KEY END", "KEY ENTER", "ANSWER MENU 1002", "KEY ENTER", "DUMP {dir}/texture.json", "KEY F6",
              "DUMP {dir}/f6-view.json", "KEY F6", "DUMP {dir}/f6-browser.json", "KEY F6", "DUMP {dir}/f6-editor.json",
              "KEY SHIFT+F6", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue enter = dumpOf(host, L"enter.json"), edit = dumpOf(host, L"edit.json");
  EXPECT_EQ(editorTitle(enter), "Material editor - Oak") << "Enter opens as a double click does";
  EXPECT_EQ(focusOf(enter), "Materials Browser") << "and leaves the keys in the list";
  EXPECT_EQ(editorTitle(edit), "Material editor - Steel");
  EXPECT_TRUE(editorGrid(edit)["focus"].asBool()) << focusOf(edit);
  const JsonValue texture = dumpOf(host, L"texture.json");
  ASSERT_EQ(texture["menus"].size(), 2u);
  EXPECT_EQ(texture["menus"][1]["answer"].asNumber(), 1002) << "the map's menu stayed open for its Edit";
  ASSERT_TRUE(texture["palettes"].has("Texture editor"));
  EXPECT_EQ(focusOf(texture), "Texture editor");
  EXPECT_TRUE(texture["palettes"]["Texture editor"]["grids"][0]["focus"].asBool());
  // The shown panes in the columns' order, then the model view, and round.
  EXPECT_EQ(focusOf(dumpOf(host, L"f6-view.json")), "view");
  EXPECT_EQ(focusOf(dumpOf(host, L"f6-browser.json")), "Materials Browser");
  const JsonValue onEditor = dumpOf(host, L"f6-editor.json");
  EXPECT_EQ(focusOf(onEditor), "Material editor");
  EXPECT_TRUE(editorGrid(onEditor)["focus"].asBool()) << "the pane passed it on to its grid";
  EXPECT_EQ(focusOf(run.dump()), "Materials Browser");
}
