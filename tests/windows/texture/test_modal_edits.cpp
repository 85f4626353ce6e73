// Every path on which an editor writes after a modal loop (the Texture
// editor's file and colour dialogs, the Material editor's map menu, its
// "Image..." file dialog and its colour dialog), with the drawing changed
// under the loop by a command: another document made, the material erased,
// its map replaced, the document switched, the host quit. What was chosen
// goes nowhere: no material is written, no undo step made, no drawing
// modified.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
const char* const kFile = "ANSWER FILE 'C:/any/red.png'";

// A document's materials as writes, undo steps and maps show them.
std::string state(const JsonValue& dump, const std::string& title)
{
  for (const JsonValue& document : dump["documents"].items())
  {
    if (document["title"].asString() != title)
      continue;
    std::string text = title + (document["modified"].asBool() ? " modified" : "") + ", undo " +
                       std::to_string(document["undo"]["steps"].size()) + ":\n";
    for (const JsonValue& m : document["materials"].items())
    {
      const JsonValue& map = m["diffuseMap"];
      text += "  " + m["name"].asString() + " writes " + std::to_string(int(m["writes"].asNumber())) + ", map " +
              std::to_string(int(map["source"].asNumber())) + " '" + map["file"].asString() + "' " +
              (map["texture"].isNull() ? "none" : map["texture"].asString()) + "\n";
    }
    return text;
  }
  return "(no document " + title + ")";
}

// The lines that open the file dialog of the Texture editor's file row, with
// a line run while it is up.
std::vector<std::string> browse(const std::string& run)
{
  return {"ANSWER RUN \"" + run + "\"", kFile, on("CLICK", "ROW \"Image.Browse image\""), "KEY ENTER"};
}

std::vector<std::string> lines(std::initializer_list<std::string> list) { return list; }
} // namespace

TEST(ModalEdits, AFileChosenInTheTextureEditorWhileTheDrawingChangesGoesNowhere)
{
  HostHarness host;
  const std::string textures = sampleTextures();
  const std::wstring file =
    drawing(host, "MATERIAL Steel MAP FILE '" + textures + "/checker.png'\n" + "MATERIAL Tiles MAP FILE '" + textures +
                    "/bricks.png'\n" + "MATERIAL Slate MAP FILE '" + textures + "/granite.jpg'\n");
  const HostRun run =
    host.run(lines({"NEW Second", "DOC 1", "MATBROWSEROPEN"}) + openTexture("Steel") + lines({"DUMP {dir}/0.json"}) +
               browse("NEW Third") + lines({"DUMP {dir}/1.json", "DOC 1"}) + openTexture("Steel") +
               browse("MATEDIT Steel MAP MARBLE") + lines({"DUMP {dir}/2.json"}) + openTexture("Tiles") +
               browse("ERASE Tiles") + lines({"DUMP {dir}/3.json"}) + openTexture("Slate") + browse("DOC 2") +
               lines({"DUMP {dump}", "DOC 1"}) + openTexture("Slate") + browse("QUIT"),
             {file});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << "a quit under the dialog ends well\n" << run.errors;
  const JsonValue before = dumpOf(host, L"0.json");
  ASSERT_TRUE(textureShown(before));

  // Another document made: the editors fall back to its Global, which must
  // not take the file, nor any material of the others.
  const JsonValue made = dumpOf(host, L"1.json");
  for (const char* title : {"drawing", "Second"})
    EXPECT_EQ(state(made, title), state(before, title));
  EXPECT_EQ(state(made, "Third").find("red.png"), std::string::npos) << state(made, "Third");
  EXPECT_EQ(state(made, "Third").find("modified"), std::string::npos) << state(made, "Third");

  // The map made marble meanwhile stays marble, without a file.
  const JsonValue marble = dumpOf(host, L"2.json");
  EXPECT_EQ(diffuseMap(marble, "Steel")["texture"].asString(), "marble");
  EXPECT_EQ(diffuseMap(marble, "Steel")["file"].asString(), "");

  // The material erased: no step after the erase's, Global untouched.
  const JsonValue erased = dumpOf(host, L"3.json");
  EXPECT_EQ(currentDocument(erased)["undo"]["steps"][0].asString(), "ERASE");
  EXPECT_EQ(material(erased, "Global")["writes"].asNumber(), material(marble, "Global")["writes"].asNumber());

  // Another document current: neither took it.
  const JsonValue switched = run.dump();
  for (const char* title : {"drawing", "Second"})
    EXPECT_EQ(state(switched, title).find("red.png"), std::string::npos) << state(switched, title);
  EXPECT_EQ(state(switched, "drawing"), state(erased, "drawing"));
  ASSERT_EQ(switched["fileDialogs"].size(), 4u);
  for (const JsonValue& dialog : switched["fileDialogs"].items())
    EXPECT_EQ(dialog["answer"].asString(), "C:/any/red.png") << "each dialog was answered, and its answer dropped";
}

TEST(ModalEdits, TheMaterialEditorsMenuFileAndColourDialogsAndTheStoneColourWriteNothingToWhatWent)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel DIFFUSE 40,60,200\nMATERIAL Oak DIFFUSE 120,80,40\n"
                                          "MATERIAL Pine DIFFUSE 90,70,50\nMATERIAL Marble MAP MARBLE\n");
  const auto edit = [](const std::string& name) {
    return lines({browserRoom(), std::string("CLICK ") + kPane + " ITEM \"" + name + "\" DOUBLE",
                  "RESIZE " + editorPane(name) + " 320,160"});
  };
  const auto mapButton = [](const std::string& name) {
    return lines({"CLICK " + editorPane(name) + " ROW \"Map.Diffuse\"", "CLICK " + editorPane(name) + " EDITOR"});
  };
  // The erase comes while the map menu is up; then while the file dialog
  // that the menu's "Image..." opens is up; a new document while the colour
  // dialog is; the Marble erased under its stone colour's dialog.
  const HostRun run = host.run(lines({"MATBROWSEROPEN"}) + edit("Steel") +
                                 lines({"DUMP {dir}/0.json", "ANSWER RUN \"ERASE Steel\"", "ANSWER MENU 1000"}) +
                                 mapButton("Steel") + lines({"DUMP {dir}/menu.json"}) + edit("Oak") +
                                 lines({"ANSWER RUN \"ANSWER RUN \\\"ERASE Oak\\\"\"", "ANSWER MENU 1000", kFile}) +
                                 mapButton("Oak") + lines({"DUMP {dir}/image.json"}) + edit("Pine") +
                                 lines({"ANSWER RUN \"NEW Other\"", "ANSWER COLOR 10,200,30",
                                        "CHOOSE " + editorPane("Pine") + " ROW \"Generic.Diffuse\" \"More Colors...\"",
                                        "DUMP {dir}/colour.json", "DOC 1"}) +
                                 openTexture("Marble") +
                                 lines({"ANSWER RUN \"ERASE Marble\"", "ANSWER COLOR 200,0,0",
                                        on("CLICK", "ROW \"Appearance.Stone Color\""), "DUMP {dump}", "QUIT"}),
                               {file});
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"0.json");
  const auto globalWrites = [&](const JsonValue& dump) { return material(dump, "Global")["writes"].asNumber(); };

  // "Image..." chosen in a menu opened for Steel: no dialog for what is now Global.
  const JsonValue menu = dumpOf(host, L"menu.json");
  ASSERT_GE(menu["menus"].size(), 1u);
  EXPECT_EQ(menu["menus"][menu["menus"].size() - 1]["answer"].asNumber(), 1000);
  EXPECT_EQ(menu["fileDialogs"].size(), 0u);
  EXPECT_FALSE(hasMaterial(menu, "Steel"));
  EXPECT_EQ(globalWrites(menu), globalWrites(before));

  // A file chosen for Oak, erased meanwhile.
  const JsonValue image = dumpOf(host, L"image.json");
  ASSERT_EQ(image["fileDialogs"].size(), 1u);
  EXPECT_EQ(image["fileDialogs"][0]["answer"].asString(), "C:/any/red.png");
  EXPECT_FALSE(hasMaterial(image, "Oak"));
  EXPECT_EQ(globalWrites(image), globalWrites(before));
  EXPECT_EQ(diffuseMap(image, "Global")["file"].asString(), "");

  // A colour chosen for Pine while another document was made.
  const JsonValue colour = dumpOf(host, L"colour.json");
  ASSERT_EQ(colour["colorDialogs"].size(), 1u);
  EXPECT_EQ(currentDocument(colour)["title"].asString(), "Other");
  EXPECT_EQ(globalWrites(colour), 0) << "the new drawing's Global";
  EXPECT_FALSE(currentDocument(colour)["modified"].asBool());
  EXPECT_EQ(state(colour, "drawing").find("10,200,30"), std::string::npos);

  // The stone colour chosen for the erased Marble.
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["colorDialogs"].size(), 2u);
  EXPECT_EQ(dump["colorDialogs"][1]["answer"].asString(), "#c80000");
  EXPECT_FALSE(hasMaterial(dump, "Marble"));
  EXPECT_EQ(globalWrites(dump), globalWrites(before));
  EXPECT_EQ(currentDocument(dump)["undo"]["steps"][0].asString(), "ERASE") << "no step after the erase";
}
