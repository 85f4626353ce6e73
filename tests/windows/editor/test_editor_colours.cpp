// The colour rows' list as a user works it: where a by-object colour sits in
// it, a pure colour called by its name, and the true-colour dialog behind
// "More Colors..." cancelled and answered.
#include "EditorRun.h"

using namespace editortest;

TEST(MaterialEditorColours, AByObjectColourSelectsTheLastItemWithMoreColorsBeforeIt)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Plain DIFFUSE BYOBJECT\n");
  const std::string pane = editorPane("Plain");
  // The wheel over the closed list moves its selection one item and writes
  // it: towards the user there is nothing after the last item; away from
  // the user the item before it is "More Colors...", whose dialog is
  // cancelled.
  const HostRun run = host.run({"MATBROWSEROPEN", open("Plain"), "CLICK " + pane + " ROW \"Generic.Diffuse\"",
                                "DUMP {dir}/opened.json", "WHEEL " + pane + " EDITOR -1", "DUMP {dir}/after.json",
                                "ANSWER CANCEL", "WHEEL " + pane + " EDITOR 1", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue opened = dumpOf(host, L"opened.json"), after = dumpOf(host, L"after.json"), dump = run.dump();
  EXPECT_EQ(gridRow(opened, "Generic.Diffuse")["editorValue"].asString(), "by object");
  EXPECT_EQ(after["colorDialogs"].size(), 0u) << "no item after the by-object one";
  EXPECT_EQ(material(after, "Plain")["writes"].asNumber(), 0);
  ASSERT_EQ(dump["colorDialogs"].size(), 1u) << "\"More Colors...\" stands just before it";
  EXPECT_TRUE(dump["colorDialogs"][0]["answer"].isNull());
  // Cancelled: nothing written, no custom colour.
  EXPECT_EQ(material(dump, "Plain")["writes"].asNumber(), 0);
  EXPECT_EQ(material(dump, "Plain")["diffuse"]["method"].asString(), "byObject");
  EXPECT_EQ(dump["customColors"].size(), 0u);
  EXPECT_EQ(gridRow(dump, "Generic.Diffuse")["text"].asString(), "by object");
}

TEST(MaterialEditorColours, PureRedIsCalledRedAndAColourFromMoreColorsJoinsTheList)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Ruby DIFFUSE 255,0,0\nMATERIAL Steel DIFFUSE 40,60,200\n");
  const std::string pane = editorPane("Steel");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Ruby"), "DUMP {dir}/ruby.json", kPause, open("Steel"), "ANSWER COLOR 10,20,30",
              "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"More Colors...\"", "DUMP {dir}/chosen.json",
              "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"red\"", "DUMP {dir}/red.json",
              // The custom colour is an item of the list from now on.
              "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"10,20,30\"", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue ruby = dumpOf(host, L"ruby.json"), chosen = dumpOf(host, L"chosen.json");
  const JsonValue red = dumpOf(host, L"red.json"), dump = run.dump();
  EXPECT_EQ(gridRow(ruby, "Generic.Diffuse")["text"].asString(), "red") << "by RGB, called by its name";

  ASSERT_EQ(chosen["colorDialogs"].size(), 1u);
  EXPECT_EQ(chosen["colorDialogs"][0]["answer"].asString(), "#0a141e");
  EXPECT_EQ(channel(chosen, "Steel", "diffuse"), "10,20,30");
  EXPECT_EQ(gridRow(chosen, "Generic.Diffuse")["text"].asString(), "10,20,30");
  ASSERT_EQ(chosen["customColors"].size(), 1u);
  EXPECT_EQ(chosen["customColors"][0].asString(), "#0a141e");

  EXPECT_EQ(channel(red, "Steel", "diffuse"), "INDEX 1") << "the list's red is index colour 1";
  EXPECT_EQ(gridRow(red, "Generic.Diffuse")["text"].asString(), "red");
  EXPECT_EQ(channel(dump, "Steel", "diffuse"), "10,20,30");
  EXPECT_EQ(dump["colorDialogs"].size(), 1u) << "the custom item needs no dialog";
}
