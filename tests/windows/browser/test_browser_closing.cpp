// Closing the host or the document while the browser's context menu or its
// Remove question is open: the menu or box is ended first and the module
// is unloaded only after its calls have returned, so nothing crashes.
#include "PaletteRun.h"

using namespace palettetest;

namespace
{
const char* const kUsedStone = "MATERIAL Stone\nLAYER Walls MATERIAL Stone\nBOX LAYER Walls MATERIAL Stone\n";
} // namespace

TEST(BrowserClosing, QuitUnderTheContextMenuOrTheRemoveQuestionEndsCleanly)
{
  struct Case
  {
    const char* what;
    std::vector<std::string> answers;
  };
  // The menu's own line queues the QUIT for the question that Remove asks.
  const std::vector<Case> cases = {
    {"menu", {"ANSWER RUN QUIT", "ANSWER MENU 1001"}},
    {"question", {"ANSWER RUN \"ANSWER RUN QUIT\"", "ANSWER MENU 1001", "ANSWER YES"}},
  };
  for (const Case& c : cases)
  {
    HostHarness host;
    std::vector<std::string> script = {"MATBROWSEROPEN"};
    script.insert(script.end(), c.answers.begin(), c.answers.end());
    script.insert(script.end(), {rightClick("Stone"), "MATERIAL After", "QUIT"});
    const HostRun run = host.run(script, {drawing(host, kUsedStone)});
    ASSERT_FALSE(run.timedOut) << c.what;
    EXPECT_EQ(run.exitCode, 0) << c.what << ": " << run.errors;
    EXPECT_EQ(run.errors, "") << c.what;
    // The profile is written only by a run that ended as it should.
    EXPECT_NE(host.readFile(L"profile.txt").find("MATBROWSEROPEN"), std::string::npos) << c.what;
  }
}

TEST(BrowserClosing, ALineQueuedByTheMenusLineRunsUnderTheRemoveQuestion)
{
  HostHarness host;
  const HostRun run = host.run({"MATBROWSEROPEN", "ANSWER RUN \"ANSWER RUN \\\"DUMP {dir}/asked.json\\\"\"",
                                "ANSWER MENU 1001", "ANSWER NO", rightClick("Stone"), "DUMP {dump}", "QUIT"},
                               {drawing(host, kUsedStone)});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue asked = JsonValue::parse(host.readFile(L"asked.json"));
  ASSERT_EQ(asked["menus"].size(), 1u) << "written after the menu, while the question was up";
  EXPECT_EQ(asked["messages"].size(), 0u) << "the question is recorded once it is answered";
  EXPECT_EQ(run.dump()["messages"].size(), 1u);
  EXPECT_TRUE(hasMaterial(run.dump(), "Stone"));
}

TEST(BrowserClosing, CloseUnderTheContextMenuClosesTheDocumentAfterTheMenu)
{
  HostHarness host;
  const HostRun run = host.run({"MATBROWSEROPEN", "ANSWER RUN CLOSE", "ANSWER MENU 1001", rightClick("Stone"),
                                "DUMP {dump}", "NEW", "DUMP {dir}/new.json", "QUIT"},
                               {drawing(host, kUsedStone)});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(dump["documents"].size(), 0u);
  ASSERT_EQ(dump["menus"].size(), 1u);
  EXPECT_TRUE(dump["menus"][0]["answer"].isNull()) << "the menu was ended, not answered";
  EXPECT_EQ(dump["messages"].size(), 0u) << "nothing was removed";
  EXPECT_EQ(itemTexts(dump).size(), 0u) << "the browser shows no document";
  const JsonValue after = JsonValue::parse(host.readFile(L"new.json"));
  EXPECT_EQ(itemTexts(after), (std::vector<std::string>{"Global"})) << "and follows the next one";
}

// F10 (Shift+F10 too) from a palette's window starts the menu bar's mode
// with that window's procedure beneath it; a close then ends the mode first
// and is carried out once the procedure has returned.
TEST(BrowserClosing, QuitOrCloseUnderTheMenuBarModeStartedInAPaletteWaitsForIt)
{
  const std::string checker = std::string("CLICK ") + kPane + " ITEM \"Checker\"";
  const std::vector<std::string> slider = {std::string("CLICK ") + kPane + " ITEM \"Red plastic\" DOUBLE",
                                           "CLICK \"Material editor - Red plastic\" ROW \"Generic.Glossiness\""};
  struct Case
  {
    const char* what;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
    {"F10 in the browser's list", {checker, "KEY F10", "WAIT 500", "QUIT"}},
    {"F10 on the glossiness slider", {slider[0], slider[1], "KEY F10", "WAIT 500", "QUIT"}},
    {"Shift+F10 on the glossiness slider", {slider[0], slider[1], "KEY SHIFT+F10", "WAIT 500", "QUIT"}},
    {"F10, then another application", {checker, "KEY F10", "OTHERAPP", "QUIT"}},
    {"F10, then CLOSE", {checker, "KEY F10", "CLOSE", "DUMP {dump}", "QUIT"}},
  };
  for (const Case& c : cases)
  {
    HostHarness host;
    std::vector<std::string> script = {"MATBROWSEROPEN"};
    script.insert(script.end(), c.lines.begin(), c.lines.end());
    const HostRun run = host.run(script, {L"" HOST_TEST_SAMPLE});
    ASSERT_FALSE(run.timedOut) << c.what;
    EXPECT_EQ(run.exitCode, 0) << c.what << ": " << run.errors;
    EXPECT_EQ(run.errors, "") << c.what;
    EXPECT_NE(host.readFile(L"profile.txt").find("MATBROWSEROPEN"), std::string::npos) << c.what;
    if (!run.dumpText.empty())
    {
      EXPECT_EQ(run.dump()["documents"].size(), 0u) << c.what << ": the document closed once the mode ended";
    }
  }
}

// The host quits while the browser's thumbnails are still being filled in
// and a name or a value is being typed: the module goes without a crash.
TEST(BrowserClosing, QuitWhileTheThumbnailsFillAndAnEditIsOpenEndsCleanly)
{
  struct Case
  {
    const char* what;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
    {"a label edit", {std::string("CLICK ") + kPane + " ITEM \"Filler 12\"", "KEY F2", "TYPE \"Half\""}},
    {"a grid edit",
     {open("Filler 11"), kSettle, "CLICK " + editorPane("Filler 11") + " ROW \"Generic.Glossiness\"", "TYPE \"5\""}},
  };
  for (const Case& c : cases)
  {
    HostHarness host;
    std::vector<std::string> script = {"MATBROWSEROPEN"};
    script.insert(script.end(), c.lines.begin(), c.lines.end());
    script.insert(script.end(), {"DUMP {dump}", "QUIT"});
    const HostRun run = host.run(script, {drawing(host, fillerMaterials(2000))});
    ASSERT_FALSE(run.timedOut) << c.what;
    EXPECT_EQ(run.exitCode, 0) << c.what << ": " << run.errors;
    EXPECT_EQ(run.errors, "") << c.what;
    EXPECT_NE(host.readFile(L"profile.txt").find("MATBROWSEROPEN"), std::string::npos) << c.what;
    const JsonValue& dump = run.dump();
    int placeholders = 0;
    for (const JsonValue& shown : items(dump).items())
      placeholders += shown["rendered"].asBool() ? 0 : 1;
    EXPECT_GT(placeholders, 0) << c.what << ": the fill had ended, the case proves less";
    if (editor(dump))
      EXPECT_EQ(gridOf(editor(dump))["editor"].asString(), "Generic.Glossiness") << c.what;
    else
      EXPECT_EQ(pane(dump)["list"]["editing"].asString(), "Half") << c.what;
  }
}
