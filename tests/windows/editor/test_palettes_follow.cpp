// The palettes follow a material changed by something else than themselves
// (a command of the host, or UNDO taking back a palette's own change): the
// browser's item, the Material editor's preview, rows and title, and an open
// Texture editor, without a reload and without writing anything back. The
// drawing's side of undo is the SDK's tests' and the browser's undo test's.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
// The item's place among the items (-1 when it is missing).
int indexOf(const JsonValue& dump, const std::string& text)
{
  const std::vector<std::string> texts = itemTexts(dump);
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (texts[i] == text)
      return int(i);
  return -1;
}

double writes(const JsonValue& dump, const std::string& name) { return material(dump, name)["writes"].asNumber(); }

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

TEST(PalettesFollow, AColourChangedByACommandOrTakenBackShowsInThePreviewTheRowAndTheThumbnailAndIsNotWrittenBack)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel DIFFUSE 200,40,40\nMATERIAL Teal DIFFUSE 20,160,160\n");
  const std::string pane = editorPane("Steel");
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/before.json",
                                "MATEDIT Steel DIFFUSE 40,200,40", "DUMP {dir}/green.json",
                                "RESIZE " + pane + " 320,470", "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"red\"",
                                "DUMP {dir}/red.json", "UNDO", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), dump = dumpOf(host, L"green.json");
  const JsonValue red = dumpOf(host, L"red.json"), undone = run.dump();
  ASSERT_NE(editor(before), nullptr);
  ASSERT_NE(editor(dump), nullptr);

  const Rgb previewBefore = colour((*editor(before))["preview"]["centre"]);
  const Rgb previewAfter = colour((*editor(dump))["preview"]["centre"]);
  EXPECT_GT(previewBefore.r, previewBefore.g);
  EXPECT_GT(previewAfter.g, previewAfter.r) << "the preview shows the new colour";
  EXPECT_NE(gridRow(dump, "Generic.Diffuse")["text"].asString(), gridRow(before, "Generic.Diffuse")["text"].asString())
    << "the diffuse row shows the new colour";

  const Rgb thumbnail = centre(item(dump, "Steel"));
  EXPECT_GT(thumbnail.g, thumbnail.r + 80) << item(dump, "Steel")["thumbnail"]["centre"].asString();
  EXPECT_TRUE(item(dump, "Steel")["selected"].asBool()) << "the item opened stays selected";
  EXPECT_EQ(itemTexts(dump), itemTexts(before));

  EXPECT_EQ(writes(dump, "Steel"), writes(before, "Steel") + 1) << "only the command wrote";
  EXPECT_EQ(channel(dump, "Steel", "diffuse"), "40,200,40");
  EXPECT_EQ(editorTitle(dump), "Material editor - Steel");

  // The editor's own change, named in the history and the Edit menu, then taken back.
  ASSERT_NE(editor(red), nullptr);
  const Rgb chosen = colour((*editor(red))["preview"]["centre"]);
  ASSERT_GT(chosen.r, chosen.g) << "the test needs the colour chosen";
  EXPECT_GT(centre(item(red, "Steel")).r, centre(item(red, "Steel")).g) << "the thumbnail follows at once";
  EXPECT_EQ(currentDocument(red)["undo"]["steps"][0].asString(), "Diffuse color");
  EXPECT_EQ(editMenu(red), (std::vector<std::string>{"&Undo Diffuse color\tCtrl+Z", "&Redo\tCtrl+Y"}));
  EXPECT_EQ(editMenu(undone), (std::vector<std::string>{"&Undo MATEDIT\tCtrl+Z", "&Redo Diffuse color\tCtrl+Y"}));
  ASSERT_NE(editor(undone), nullptr);
  const Rgb back = colour((*editor(undone))["preview"]["centre"]);
  EXPECT_GT(back.g, back.r) << "the preview shows the colour taken back";
  EXPECT_EQ(gridRow(undone, "Generic.Diffuse")["text"].asString(), gridRow(dump, "Generic.Diffuse")["text"].asString());
  EXPECT_EQ(channel(undone, "Steel", "diffuse"), "40,200,40");
  const Rgb thumbnailBack = centre(item(undone, "Steel"));
  EXPECT_GT(thumbnailBack.g, thumbnailBack.r) << item(undone, "Steel")["thumbnail"]["centre"].asString();
  EXPECT_EQ(editorTitle(undone), "Material editor - Steel");
}

TEST(PalettesFollow, ARenameByACommandOrTakenBackRelabelsTheItemInPlaceWithItsSelectionScrollingAndTitle)
{
  HostHarness host;
  // Fillers sort first, "Global" next, "Zinc" last: far down a scrolled list.
  const std::wstring file = drawing(host, fillerMaterials(40) + "MATERIAL Zinc DIFFUSE 160,160,170\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Zinc"),
              // The editor took part of the column: Zinc brought into sight again
              // (a click on the label of a selected item would start editing it).
              kPause, std::string("CLICK ") + kPane + " EMPTY", kPause, std::string("CLICK ") + kPane + " ITEM Zinc",
              "DUMP {dir}/before.json",
              // Sorted, the new name would come first: the list keeps the item where it was.
              "MATEDIT Zinc NAME Aluminium", "DUMP {dir}/renamed.json",
              // Back again by another path (the label edit): the browser's own rename.
              kPause, "ANSWER MENU 1002", rightClick("Aluminium"), "TYPE Zinc", "KEY ENTER", "DUMP {dir}/back.json",
              // The browser's own rename taken back.
              "UNDO", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), renamed = dumpOf(host, L"renamed.json");
  const JsonValue dump = dumpOf(host, L"back.json"), undone = run.dump();
  const int place = indexOf(before, "Zinc");
  ASSERT_GE(place, 0);
  EXPECT_TRUE(items(before)[std::size_t(place)]["inSight"].asBool());
  ASSERT_FALSE(items(before)[0]["inSight"].asBool()) << "the test needs the list scrolled";

  EXPECT_EQ(indexOf(renamed, "Aluminium"), place) << "relabelled in place";
  EXPECT_EQ(indexOf(renamed, "Zinc"), -1);
  EXPECT_EQ(itemTexts(renamed).size(), itemTexts(before).size());
  const JsonValue& shown = items(renamed)[std::size_t(place)];
  EXPECT_TRUE(shown["selected"].asBool());
  EXPECT_TRUE(shown["inSight"].asBool());
  EXPECT_EQ(shown["position"][1].asNumber(), items(before)[std::size_t(place)]["position"][1].asNumber())
    << "the list did not scroll";
  EXPECT_EQ(shown["image"].asNumber(), items(before)[std::size_t(place)]["image"].asNumber());
  EXPECT_EQ(editorTitle(renamed), "Material editor - Aluminium");
  EXPECT_TRUE(hasMaterial(renamed, "Aluminium"));

  EXPECT_EQ(indexOf(dump, "Zinc"), place);
  EXPECT_EQ(editorTitle(dump), "Material editor - Zinc");
  EXPECT_EQ(writes(dump, "Zinc"), writes(before, "Zinc") + 2) << "each rename wrote once, the palettes not at all";

  EXPECT_EQ(indexOf(undone, "Aluminium"), place) << "relabelled where it was";
  EXPECT_EQ(itemTexts(undone).size(), itemTexts(before).size());
  EXPECT_EQ(editorTitle(undone), "Material editor - Aluminium");
}

TEST(PalettesFollow, TheTextureEditorReloadsAMapChangedOrTakenBackUnderItAndClosesWhenTheMapGoes)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL Steel MAP FILE '" + sampleTextures() + "/checker.png' ROTATION 10\n");
  const HostRun run =
    host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Steel") +
               std::vector<std::string>{"DUMP {dir}/image.json", "MATEDIT Steel ROTATION 30", "DUMP {dir}/turned.json",
                                        "UNDO", "DUMP {dir}/undone.json", "MATEDIT Steel MAP MARBLE",
                                        "DUMP {dir}/marble.json", "MATEDIT Steel MAP NONE", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue image = dumpOf(host, L"image.json"), turned = dumpOf(host, L"turned.json");
  const JsonValue marble = dumpOf(host, L"marble.json"), dump = run.dump();
  ASSERT_TRUE(textureShown(image)) << "the test needs the Texture editor open";
  EXPECT_EQ(textureRowText(image, "Position.Rotation"), "10\xC2\xB0");
  EXPECT_EQ(textureRowText(turned, "Position.Rotation"), "30\xC2\xB0");
  EXPECT_EQ(textureRowText(dumpOf(host, L"undone.json"), "Position.Rotation"), "10\xC2\xB0");

  // Another kind of map: the rows of that kind, over the new texture.
  ASSERT_TRUE(textureShown(marble));
  EXPECT_EQ(textureRowLabels(marble), (std::vector<std::string>{"Appearance.Stone Color", "Appearance.Vein Color",
                                                                "Appearance.Vein Spacing", "Appearance.Vein Width"}));
  EXPECT_EQ(texturePane(marble)["mapPreview"]["state"].asNumber(), 3);
  EXPECT_EQ(texturePane(marble)["editorListeners"].asNumber(), 1) << "listed once";

  EXPECT_FALSE(textureShown(dump)) << "no map left to edit";
  EXPECT_EQ(material(dump, "Steel")["diffuseMap"]["file"].asString(), "");
  EXPECT_EQ(writes(dump, "Steel"), writes(image, "Steel") + 4)
    << "three commands and the undo; the Texture editor nothing";
}
