// The Material editor when the drawing changes under it: a material erased
// by another command (the one edited or any other); another document made
// current and the first one current again; a document closed while the
// colour dialog or the map menu is open. What a dialog chose while the
// drawing changed: tests/windows/texture/test_modal_edits.cpp.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
const char* const kTwoMaterials = "MATERIAL Steel DIFFUSE 40,60,200\nMATERIAL Oak DIFFUSE 120,80,40\n";

std::string moreColors(const std::string& material)
{
  return "CHOOSE " + editorPane(material) + " ROW \"Generic.Diffuse\" \"More Colors...\"";
}
} // namespace

TEST(MaterialEditorDocuments, ErasingAnyMaterialByACommandSwitchesToGlobal)
{
  HostHarness host;
  const std::wstring file = drawing(host, kTwoMaterials);
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "ERASE Oak", "DUMP {dir}/other.json", kPause,
                                open("Steel"), "ERASE Steel", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue other = dumpOf(host, L"other.json"), dump = run.dump();
  EXPECT_EQ(editorTitle(other), "Material editor - Global") << "another material erased";
  EXPECT_EQ(editorTitle(dump), "Material editor - Global") << "the edited one erased";
  EXPECT_TRUE((*editor(dump))["shown"].asBool());
  EXPECT_EQ(rowLabels(dump), (std::vector<std::string>{"Generic.Diffuse", "Generic.Glossiness", "Map.Diffuse"}));
  EXPECT_EQ(gridRow(dump, "Generic.Diffuse")["text"].asString(), "by object") << "Global's colour, not Steel's";
}

TEST(MaterialEditorDocuments, AnotherDocumentMadeCurrentShowsItsGlobalAndEditsGoToIt)
{
  HostHarness host;
  const std::wstring file = drawing(host, kTwoMaterials);
  const std::string global = editorPane("Global");
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "NEW Second", "DUMP {dir}/second.json",
                                "CHOOSE " + global + " ROW \"Generic.Diffuse\" \"red\"", "DUMP {dir}/edited.json",
                                "DOC 1", "DUMP {dir}/back.json", "CLOSE", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue shown = dumpOf(host, L"second.json"), edited = dumpOf(host, L"edited.json");
  const JsonValue back = dumpOf(host, L"back.json"), dump = run.dump();
  EXPECT_EQ(currentDocument(shown)["title"].asString(), "Second");
  EXPECT_EQ(editorTitle(shown), "Material editor - Global");
  EXPECT_EQ(channel(edited, "Global", "diffuse"), "INDEX 1") << "the new drawing's Global took the colour";
  // Back in the first drawing: its own Global, untouched.
  EXPECT_EQ(currentDocument(back)["title"].asString(), "drawing");
  EXPECT_EQ(editorTitle(back), "Material editor - Global");
  EXPECT_EQ(material(back, "Global")["diffuse"]["method"].asString(), "byObject");
  EXPECT_EQ(gridRow(back, "Generic.Diffuse")["text"].asString(), "by object");
  EXPECT_EQ(channel(back, "Steel", "diffuse"), "40,60,200");
  // The first closed: the second is current again, the editor on its Global.
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(currentDocument(dump)["title"].asString(), "Second");
  EXPECT_EQ(editorTitle(dump), "Material editor - Global");
  EXPECT_TRUE((*editor(dump))["shown"].asBool());
  EXPECT_EQ(gridRow(dump, "Generic.Diffuse")["text"].asString(), "red");
}

TEST(MaterialEditorDocuments, ADocumentClosedUnderTheColourDialogOrTheMapMenuLeavesNothingBehind)
{
  HostHarness host;
  host.writeFile(L"second.mescript", kTwoMaterials);
  const std::wstring file = drawing(host, kTwoMaterials);
  const std::string second = "OPEN '" + scriptPath(host.file(L"second.mescript")) + "'";
  const std::string global = editorPane("Global");
  // The second document closes under the colour dialog, the first (the
  // last one left) under the map menu.
  const HostRun run =
    host.run({second, "MATBROWSEROPEN", open("Steel"), "ANSWER RUN CLOSE", "ANSWER COLOR 10,200,30",
              moreColors("Steel"), "DUMP {dir}/colour.json", "ANSWER RUN CLOSE",
              "CLICK " + global + " ROW \"Map.Diffuse\"", "CLICK " + global + " EDITOR", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue colour = dumpOf(host, L"colour.json"), dump = run.dump();
  // The dialog ended as cancelled; the editor is on the first drawing's Global.
  ASSERT_EQ(colour["colorDialogs"].size(), 1u);
  EXPECT_TRUE(colour["colorDialogs"][0]["answer"].isNull());
  ASSERT_EQ(colour["documents"].size(), 1u);
  EXPECT_EQ(currentDocument(colour)["title"].asString(), "drawing");
  EXPECT_EQ(channel(colour, "Steel", "diffuse"), "40,60,200");
  EXPECT_EQ(editorTitle(colour), "Material editor - Global");
  EXPECT_TRUE((*editor(colour))["shown"].asBool());
  // The menu ended as cancelled; the last document went and the editor with it.
  ASSERT_GE(dump["menus"].size(), 1u);
  EXPECT_TRUE(dump["menus"][dump["menus"].size() - 1]["answer"].isNull());
  EXPECT_EQ(dump["documents"].size(), 0u);
  EXPECT_FALSE((*editor(dump))["shown"].asBool());
  EXPECT_EQ(dump["fileDialogs"].size(), 0u);
}
