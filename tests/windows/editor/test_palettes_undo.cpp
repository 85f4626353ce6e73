// The palettes show what UNDO and REDO make of the drawing: a removal taken
// back brings the item back with its thumbnail, a colour taken back shows in
// the preview, a New taken back takes its item away, a name taken back
// relabels.
#include "EditorRun.h"

#include <algorithm>

using namespace editortest;

namespace
{
bool listed(const JsonValue& dump, const std::string& text)
{
  const std::vector<std::string> texts = itemTexts(dump);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string layerMaterial(const JsonValue& dump, const std::string& layer)
{
  for (const JsonValue& l : currentDocument(dump)["layers"].items())
    if (l["name"].asString() == layer)
      return l["material"].isNull() ? "(none)" : l["material"].asString();
  return "(no layer)";
}

const std::string kSteelAndTeal = "MATERIAL Steel DIFFUSE 40,60,200\nMATERIAL Teal DIFFUSE 20,160,160\n";

// The texts of the Edit menu's items as they would show now.
std::vector<std::string> editMenu(const JsonValue& dump)
{
  std::vector<std::string> texts;
  for (const JsonValue& menu : dump["mainWindow"]["menuBar"].items())
    if (menu["text"].asString() == "&Edit")
      for (const JsonValue& entry : menu["items"].items())
        texts.push_back(entry["text"].asString());
  return texts;
}
} // namespace

TEST(PalettesUndo, AnUndoneRemovalBringsTheItemBackWithItsThumbnailAndItsLayer)
{
  HostHarness host;
  const std::wstring file = drawing(host, kSteelAndTeal + "LAYER Walls MATERIAL Steel\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", "DUMP {dir}/before.json", "ANSWER YES", "ANSWER MENU 1001", rightClick("Steel"),
              "DUMP {dir}/removed.json", "UNDO", "DUMP {dir}/undone.json", "REDO", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), removed = dumpOf(host, L"removed.json");
  const JsonValue undone = dumpOf(host, L"undone.json"), redone = run.dump();
  ASSERT_FALSE(listed(removed, "Steel")) << "the test needs the removal done";
  EXPECT_NE(layerMaterial(removed, "Walls"), "Steel");

  ASSERT_TRUE(listed(undone, "Steel"));
  const JsonValue& back = item(undone, "Steel");
  ASSERT_FALSE(back["thumbnail"].isNull()) << "brought back with a picture";
  const Rgb blue = centre(back);
  EXPECT_GT(blue.b, blue.r + 60) << back["thumbnail"]["centre"].asString();
  EXPECT_EQ(itemTexts(undone).size(), itemTexts(before).size()) << "one item, not two";
  EXPECT_EQ(materialNames(undone), materialNames(before));
  EXPECT_EQ(layerMaterial(undone, "Walls"), "Steel") << "the layer has its material again";
  EXPECT_EQ(channel(undone, "Steel", "diffuse"), "40,60,200");

  EXPECT_FALSE(listed(redone, "Steel")) << "removed again";
  EXPECT_EQ(itemTexts(redone).size(), itemTexts(before).size() - 1);
  EXPECT_EQ(layerMaterial(redone, "Walls"), layerMaterial(removed, "Walls"));
}

TEST(PalettesUndo, AnUndoneColourShowsInThePreviewTheRowAndTheThumbnail)
{
  HostHarness host;
  const std::wstring file = drawing(host, kSteelAndTeal);
  const std::string pane = editorPane("Steel");
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "RESIZE " + pane + " 320,470", "DUMP {dir}/blue.json",
                                "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"red\"", "DUMP {dir}/red.json", "UNDO",
                                "DUMP {dir}/undone.json", "REDO", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue blue = dumpOf(host, L"blue.json"), red = dumpOf(host, L"red.json");
  const JsonValue undone = dumpOf(host, L"undone.json"), redone = run.dump();
  ASSERT_NE(editor(red), nullptr);
  ASSERT_NE(editor(undone), nullptr);
  const Rgb chosen = colour((*editor(red))["preview"]["centre"]);
  ASSERT_GT(chosen.r, chosen.b) << "the test needs the colour chosen";

  const Rgb back = colour((*editor(undone))["preview"]["centre"]);
  EXPECT_GT(back.b, back.r) << "the preview shows the colour taken back";
  EXPECT_EQ(gridRow(undone, "Generic.Diffuse")["text"].asString(), gridRow(blue, "Generic.Diffuse")["text"].asString());
  EXPECT_EQ(channel(undone, "Steel", "diffuse"), channel(blue, "Steel", "diffuse"));
  const Rgb thumbnail = centre(item(undone, "Steel"));
  EXPECT_GT(thumbnail.b, thumbnail.r) << item(undone, "Steel")["thumbnail"]["centre"].asString();
  EXPECT_EQ(editorTitle(undone), "Material editor - Steel");

  // The step is named after what the palette changed, in the history and the Edit menu.
  EXPECT_EQ(currentDocument(red)["undo"]["steps"][0].asString(), "Diffuse color");
  EXPECT_EQ(editMenu(red), (std::vector<std::string>{"&Undo Diffuse color\tCtrl+Z", "&Redo\tCtrl+Y"}));
  EXPECT_EQ(editMenu(undone), (std::vector<std::string>{"&Undo\tCtrl+Z", "&Redo Diffuse color\tCtrl+Y"}));

  const Rgb again = colour((*editor(redone))["preview"]["centre"]);
  EXPECT_GT(again.r, again.b) << "redone: red again";
  EXPECT_EQ(channel(redone, "Steel", "diffuse"), channel(red, "Steel", "diffuse"));
  EXPECT_GT(centre(item(redone, "Steel")).r, centre(item(redone, "Steel")).b);
}

TEST(PalettesUndo, AnUndoneNewTakesItsItemAwayAndTheEditorFallsBackToGlobal)
{
  HostHarness host;
  const std::wstring file = drawing(host, kSteelAndTeal);
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Steel"), std::string("CLICK ") + kPane + " BUTTON 70", "DUMP {dir}/added.json",
              "UNDO", "DUMP {dir}/undone.json", "REDO", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue added = dumpOf(host, L"added.json"), undone = dumpOf(host, L"undone.json"), redone = run.dump();
  ASSERT_TRUE(listed(added, "Default Generic"));
  EXPECT_EQ(editorTitle(added), "Material editor - Default Generic");

  EXPECT_FALSE(listed(undone, "Default Generic"));
  EXPECT_FALSE(hasMaterial(undone, "Default Generic"));
  EXPECT_EQ(itemTexts(undone).size(), itemTexts(added).size() - 1);
  EXPECT_EQ(editorTitle(undone), "Material editor - Global") << "the edited material is gone";

  ASSERT_TRUE(listed(redone, "Default Generic")) << "back with the redo";
  EXPECT_FALSE(item(redone, "Default Generic")["thumbnail"].isNull());
  EXPECT_EQ(itemTexts(redone).size(), itemTexts(added).size());
}

TEST(PalettesUndo, AnUndoneRenameRelabelsInPlaceAndRetitlesTheEditor)
{
  HostHarness host;
  const std::wstring file = drawing(host, kSteelAndTeal);
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Steel"), kPause, "ANSWER MENU 1002", rightClick("Steel"), "TYPE Bronze",
              "KEY ENTER", "DUMP {dir}/renamed.json", "UNDO", "DUMP {dir}/undone.json", "REDO", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue renamed = dumpOf(host, L"renamed.json"), undone = dumpOf(host, L"undone.json"), redone = run.dump();
  ASSERT_TRUE(listed(renamed, "Bronze")) << "the test needs the rename done";
  const std::vector<std::string> names = itemTexts(renamed);
  const std::size_t place = std::size_t(std::find(names.begin(), names.end(), "Bronze") - names.begin());

  ASSERT_EQ(itemTexts(undone).size(), names.size());
  EXPECT_EQ(itemTexts(undone)[place], "Steel") << "relabelled where it was";
  EXPECT_TRUE(hasMaterial(undone, "Steel"));
  EXPECT_FALSE(hasMaterial(undone, "Bronze"));
  EXPECT_EQ(editorTitle(undone), "Material editor - Steel");
  EXPECT_EQ(item(undone, "Steel")["image"].asNumber(), item(renamed, "Bronze")["image"].asNumber());

  ASSERT_EQ(itemTexts(redone).size(), names.size());
  EXPECT_EQ(itemTexts(redone)[place], "Bronze");
  EXPECT_EQ(editorTitle(redone), "Material editor - Bronze");
}

TEST(PalettesUndo, AnUndoneMapChoiceTakesTheMapAwayFromTheRowAndThePreview)
{
  HostHarness host;
  const std::wstring file = drawing(host, kSteelAndTeal);
  const std::string pane = editorPane("Steel");
  const std::string bricks = std::string(HOST_TEST_SAMPLE_TEXTURES) + "/bricks.png";
  const HostRun run = host.run(
    {"MATBROWSEROPEN", open("Steel"), "RESIZE " + pane + " 320,470", "DUMP {dir}/before.json", "ANSWER MENU 1000",
     "ANSWER FILE '" + bricks + "'", "CLICK " + pane + " ROW \"Map.Diffuse\"", "CLICK " + pane + " EDITOR",
     "DUMP {dir}/mapped.json", "UNDO", "DUMP {dir}/undone.json", "REDO", "DUMP {dump}", "QUIT"},
    {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), mapped = dumpOf(host, L"mapped.json");
  const JsonValue undone = dumpOf(host, L"undone.json"), redone = run.dump();
  ASSERT_EQ(gridRow(mapped, "Map.Diffuse")["text"].asString(), "bricks.png") << "the test needs the map chosen";
  ASSERT_NE(editor(before), nullptr);
  ASSERT_NE(editor(undone), nullptr);
  const std::string plainMean = (*editor(before))["preview"]["mean"].asString();
  ASSERT_NE((*editor(mapped))["preview"]["mean"].asString(), plainMean) << "the bricks show";

  EXPECT_EQ(gridRow(undone, "Map.Diffuse")["text"].asString(), gridRow(before, "Map.Diffuse")["text"].asString());
  EXPECT_EQ(material(undone, "Steel")["diffuseMap"]["source"].asNumber(),
            material(before, "Steel")["diffuseMap"]["source"].asNumber());
  EXPECT_EQ(material(undone, "Steel")["diffuseMap"]["file"].asString(),
            material(before, "Steel")["diffuseMap"]["file"].asString());
  EXPECT_EQ((*editor(undone))["preview"]["mean"].asString(), plainMean) << "the preview is plain again";

  EXPECT_EQ(currentDocument(mapped)["undo"]["steps"][0].asString(), "Diffuse map");
  EXPECT_EQ(gridRow(redone, "Map.Diffuse")["text"].asString(), "bricks.png");
  EXPECT_EQ(material(redone, "Steel")["diffuseMap"]["file"].asString(),
            material(mapped, "Steel")["diffuseMap"]["file"].asString());
}
