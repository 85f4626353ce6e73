// The Material editor palette, opened from the browser as a user does it:
// its title follows the material (a clone, a new name, a removal, a change
// made by a command), its toolbar (sample menu and its check mark kept for
// the next run, the extended-mode check box, help and tips), its preview
// (turned by a drag without touching the material), and what its close
// button and the last document's closing leave behind.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
bool buttonChecked(const JsonValue& pane, int command) { return toolbarButton(pane, command)["checked"].asBool(); }
} // namespace

TEST(MaterialEditorPalette, TheTitleFollowsTheMaterialThroughCloneRenameAndRemoval)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\nMATERIAL Oak\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/steel.json",
              // At the host's first size, with the editor docked below the
              // browser: the menu of the lower items opens over the preview.
              // A clone opens the copy at once.
              "ANSWER MENU 1000", rightClick("Steel"), "DUMP {dir}/clone.json",
              // A new name given in the browser shows in the title at once.
              kPause, "ANSWER MENU 1002", rightClick("Steel(1)"), "TYPE Bronze", "KEY ENTER", "DUMP {dir}/renamed.json",
              // Removing any material, even one not edited, falls back to "Global".
              kPause, "ANSWER MENU 1001", rightClick("Oak"), "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(editorTitle(dumpOf(host, L"steel.json")), "Material editor - Steel");
  EXPECT_EQ(editorTitle(dumpOf(host, L"clone.json")), "Material editor - Steel(1)");
  EXPECT_EQ(editorTitle(dumpOf(host, L"renamed.json")), "Material editor - Bronze");
  const JsonValue dump = run.dump();
  EXPECT_EQ(editorTitle(dump), "Material editor - Global");
  ASSERT_NE(editor(dump), nullptr);
  EXPECT_TRUE((*editor(dump))["shown"].asBool());
}

TEST(MaterialEditorPalette, TheSampleMenuStoresItsChoiceAndChecksItAtTheNextRun)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\n");
  const HostRun first = host.run({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/sphere.json", "ANSWER MENU 2005",
                                  editorButton("Steel", 73), "DUMP {dump}", "QUIT"},
                                 {file});
  ASSERT_EQ(first.exitCode, 0) << first.errors;
  const JsonValue sphere = dumpOf(host, L"sphere.json");
  const JsonValue torus = first.dump();
  // Another sample is another picture in the preview.
  ASSERT_NE(editor(sphere), nullptr);
  ASSERT_FALSE((*editor(sphere))["preview"].isNull());
  EXPECT_NE((*editor(sphere))["preview"]["mean"].asString(), (*editor(torus))["preview"]["mean"].asString());
  EXPECT_EQ((*editor(sphere))["sample"].asNumber(), 0);
  EXPECT_EQ((*editor(torus))["sample"].asNumber(), 4);

  // The browser comes back by itself (the profile's start-up commands).
  const HostRun next =
    host.run({kSettle, open("Steel"), "ANSWER CANCEL", editorButton("Steel", 73), "DUMP {dump}", "QUIT"}, {file});
  ASSERT_EQ(next.exitCode, 0) << next.errors;
  const JsonValue dump = next.dump();
  EXPECT_EQ(editorSettings(dump)["SampleObject"].asNumber(), 4) << "stored for the next run";
  ASSERT_GE(dump["menus"].size(), 1u);
  const JsonValue& menu = dump["menus"][dump["menus"].size() - 1];
  EXPECT_FALSE(menuItem(menu, 2003)["checked"].asBool());
  EXPECT_FALSE(menuItem(menu, 2004)["checked"].asBool());
  EXPECT_TRUE(menuItem(menu, 2005)["checked"].asBool());
  // The button's menu shows it checked before it drops, too.
  ASSERT_NE(editor(dump), nullptr);
  EXPECT_EQ((*editor(dump))["sample"].asNumber(), 4);
  EXPECT_TRUE(menuItem(toolbarButton(*editor(dump), 73)["menu"], 2005)["checked"].asBool());
}

TEST(MaterialEditorPalette, ExtendedModeToggledTwiceComesBackToItsButtonStateAndSetting)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\n");
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/a.json", editorButton("Steel", 74),
                                "DUMP {dir}/b.json", editorButton("Steel", 74), "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue a = dumpOf(host, L"a.json"), b = dumpOf(host, L"b.json"), c = run.dump();
  ASSERT_NE(editor(a), nullptr);
  EXPECT_FALSE(buttonChecked(*editor(a), 74)) << "normal mode on a fresh profile";
  EXPECT_TRUE(buttonChecked(*editor(b), 74));
  EXPECT_FALSE(buttonChecked(*editor(c), 74));
  // Ambient and specular only in extended mode, each row in its place.
  const std::vector<std::string> normal{"Generic.Diffuse", "Generic.Glossiness", "Map.Diffuse"};
  EXPECT_EQ(rowLabels(a), normal);
  EXPECT_EQ(rowLabels(b), (std::vector<std::string>{"Generic.Diffuse", "Generic.Ambient", "Generic.Specular",
                                                    "Generic.Glossiness", "Map.Diffuse"}));
  EXPECT_EQ(rowLabels(c), normal);

  // Left on: the next run starts in extended mode with the button checked.
  const HostRun on = host.run({kSettle, open("Steel"), editorButton("Steel", 74), "QUIT"}, {file});
  ASSERT_EQ(on.exitCode, 0) << on.errors;
  const HostRun next = host.run({kSettle, open("Steel"), "DUMP {dump}", "QUIT"}, {file});
  ASSERT_EQ(next.exitCode, 0) << next.errors;
  const JsonValue later = next.dump();
  EXPECT_EQ(editorSettings(later)["ExtendedRegime"].asNumber(), 1);
  ASSERT_NE(editor(later), nullptr);
  EXPECT_TRUE(buttonChecked(*editor(later), 74));
}

TEST(MaterialEditorPalette, HelpAsksForTheEditorsTopicAndEachButtonHasItsTip)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Steel"), editorButton("Steel", 73, "HOVER"), "DUMP {dir}/sample.json",
              editorButton("Steel", 74, "HOVER"), "DUMP {dir}/extended.json", editorButton("Steel", 75, "HOVER"),
              "DUMP {dir}/help.json", editorButton("Steel", 75), "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto tip = [&](const wchar_t* name) { return (*editor(dumpOf(host, name)))["toolTip"].asString(); };
  EXPECT_EQ(tip(L"sample.json"), "Sample");
  EXPECT_EQ(tip(L"extended.json"), "Extended mode");
  EXPECT_EQ(tip(L"help.json"), "Help Contents and Index");
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["helpTopics"].size(), 1u);
  EXPECT_EQ(dump["helpTopics"][0].asString(), "IDH_MaterialEditor");
}

TEST(MaterialEditorPalette, ThePreviewTurnsUnderADragAndFollowsAChangeMadeByACommand)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel DIFFUSE 200,40,40\n");
  const std::string pane = editorPane("Steel");
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "ANSWER MENU 2004", editorButton("Steel", 73),
                                "DUMP {dir}/before.json", "TIME DRAG " + pane + " AT 0,0 FROM 60,150 TO 160,190",
                                "DUMP {dir}/turned.json", "MATEDIT Steel DIFFUSE 40,200,40", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), turned = dumpOf(host, L"turned.json"), dump = run.dump();
  ASSERT_NE(editor(before), nullptr);
  const JsonValue& shownBefore = (*editor(before))["preview"];
  ASSERT_FALSE(shownBefore.isNull());
  EXPECT_NE(shownBefore["mean"].asString(), (*editor(turned))["preview"]["mean"].asString()) << "the cube turned";
  EXPECT_EQ(material(before, "Steel")["writes"].asNumber(), material(turned, "Steel")["writes"].asNumber())
    << "turning the sample writes nothing";
  // TIME of the drag timed each of its steps as it was handled, not its
  // queuing: the move to its start, the press, 25 moves of 4 pixels, the release.
  ASSERT_EQ(turned["timings"].size(), 28u);
  for (const JsonValue& step : turned["timings"].items())
  {
    EXPECT_EQ(step["command"].asString().rfind("DRAG ", 0), 0u);
    EXPECT_GT(step["ms"].asNumber(), 0);
  }
  // Green now where it was red: the editor opened the changed material again.
  const Rgb centre = colour((*editor(dump))["preview"]["centre"]);
  const Rgb old = colour((*editor(turned))["preview"]["centre"]);
  EXPECT_GT(centre.g, centre.r);
  EXPECT_GT(old.r, old.g);
}

TEST(MaterialEditorPalette, ThePreviewsWheelZoomStopsAtTwentyTimesEitherWayAndADoubleClickFitsItAgain)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\n");
  const std::string preview = editorPane("Steel") + " AT 140,120";
  // 1.05 a notch away from the user, 0.95 towards: 73 notches towards are
  // past 1/20, 130 away from there past 20 times.
  const HostRun run = host.run({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/fitted.json", "WHEEL " + preview + " 2",
                                "DUMP {dir}/in.json", "WHEEL " + preview + " -3", "DUMP {dir}/out.json",
                                "WHEEL " + preview + " -70", "DUMP {dir}/farthest.json", "WHEEL " + preview + " 130",
                                "DUMP {dir}/nearest.json", "CLICK " + preview + " DOUBLE", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto zoom = [&](const wchar_t* name) {
    const JsonValue dump = dumpOf(host, name);
    return editor(dump) ? (*editor(dump))["preview"]["zoom"].asNumber() : -1.0;
  };
  EXPECT_DOUBLE_EQ(zoom(L"fitted.json"), 1.0);
  EXPECT_NEAR(zoom(L"in.json"), 1.05 * 1.05, 0.001);
  EXPECT_NEAR(zoom(L"out.json"), 1.05 * 1.05 * 0.95 * 0.95 * 0.95, 0.001);
  EXPECT_DOUBLE_EQ(zoom(L"farthest.json"), 0.05);
  EXPECT_DOUBLE_EQ(zoom(L"nearest.json"), 20.0);
  const JsonValue dump = run.dump();
  ASSERT_NE(editor(dump), nullptr);
  EXPECT_DOUBLE_EQ((*editor(dump))["preview"]["zoom"].asNumber(), 1.0) << "fitted again";
  const JsonValue fitted = dumpOf(host, L"fitted.json");
  EXPECT_EQ((*editor(dump))["preview"]["mean"].asString(), (*editor(fitted))["preview"]["mean"].asString())
    << "the same picture as when it opened";
}

TEST(MaterialEditorPalette, ClosingKeepsTheEditedThumbnailAndTheLastDocumentClosesIt)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL \"Pure red\" DIFFUSE 230,20,20\nMATERIAL Teal DIFFUSE 20,160,160\n");
  const std::string pane = editorPane("Pure red");
  const HostRun run =
    host.run({"MATBROWSEROPEN", open("Pure red"), "MATEDIT \"Pure red\" DIFFUSE 20,200,20", "DUMP {dir}/edited.json",
              "CLICK " + pane + " CLOSE", "DUMP {dir}/closed.json", open("Teal"), "CLOSE", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue edited = dumpOf(host, L"edited.json"), closed = dumpOf(host, L"closed.json");
  ASSERT_NE(editor(closed), nullptr);
  EXPECT_FALSE((*editor(closed))["shown"].asBool());
  const Rgb was = centre(item(edited, "Pure red")), now = centre(item(closed, "Pure red"));
  EXPECT_GT(was.g, was.r + 80) << "the thumbnail shows the green the material was given";
  EXPECT_GT(now.g, now.r + 80) << "and keeps it when the editor closes";
  // The last document gone: the editor closes, nothing is left to crash on.
  const JsonValue dump = run.dump();
  ASSERT_NE(editor(dump), nullptr);
  EXPECT_FALSE((*editor(dump))["shown"].asBool());
  EXPECT_EQ(dump["documents"].size(), 0u);
}
