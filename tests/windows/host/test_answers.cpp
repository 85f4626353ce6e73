// The answer queue, ANSWER RUN, and closes (of the host, of a document)
// that come while a module's menu or dialog is open; what DUMP shows of
// materials and texture folders.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

namespace
{
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const JsonValue& testModule(const JsonValue& dump) { return dump["profile"]["TestModule"]; }

// The pane up and holding the cursor, so the menu opens over it.
std::vector<std::string> withPane(std::vector<std::string> lines)
{
  lines.insert(lines.begin(), {"NEW", "TESTPANE", "CLICK \"Test pane\" AT 50,60"});
  return lines;
}
} // namespace

TEST(HostAnswers, ADialogTakesTheFirstQueuedAnswerThatFitsIt)
{
  HostHarness host;
  const HostRun run = host.run(withPane({"ANSWER NO", "ANSWER FILE C:/a.png", "ANSWER MENU 10", "TESTMENU", "TESTASK",
                                         "ANSWER YES", "TESTMENU", "DUMP {dump}", "QUIT"}),
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  const JsonValue& menus = dump["menus"];
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0]["answer"].asNumber(), 10) << "the NO before it was no answer for a menu";
  EXPECT_FALSE(menus[0].has("problem"));
  EXPECT_TRUE(menus[1]["answer"].isNull()) << "nothing fitting was queued: cancelled";
  ASSERT_EQ(dump["messages"].size(), 1u);
  EXPECT_EQ(dump["messages"][0]["answer"].asString(), "NO");
  EXPECT_EQ(testModule(dump)["answer"].asNumber(), 7) << "IDNO";
  ASSERT_EQ(dump["pendingAnswers"].size(), 2u) << "the answers no dialog took stay, in order";
  EXPECT_EQ(dump["pendingAnswers"][0].asString(), "FILE C:/a.png");
  EXPECT_EQ(dump["pendingAnswers"][1].asString(), "YES");
}

TEST(HostAnswers, RunLinesRunWhileTheMenuOrBoxIsUp)
{
  HostHarness host;
  const HostRun run = host.run(
    withPane({"ANSWER RUN \"DUMP {dir}/menu.json\"", "ANSWER MENU 10", "TESTMENU", "ANSWER RUN \"MATERIAL Asked\"",
              "ANSWER YES", "TESTASK", "ANSWER RUN FROBNICATE", "TESTASK", "DUMP {dump}", "QUIT"}),
    host.withTestModule());
  EXPECT_EQ(run.exitCode, 1) << "the failing line is reported";
  EXPECT_TRUE(contains(run.errors, "script.mescript:10: ANSWER RUN: unknown command \"FROBNICATE\"")) << run.errors;
  const JsonValue during = JsonValue::parse(host.readFile(L"menu.json"));
  EXPECT_EQ(during["menus"].size(), 0u) << "written while the menu was still open";
  const JsonValue dump = run.dump();
  EXPECT_EQ(dump["menus"][0]["answer"].asNumber(), 10) << "the menu still took its answer";
  EXPECT_TRUE(contains(testModule(dump)["input"].asString(), "cmd10"));
  ASSERT_EQ(dump["messages"].size(), 2u);
  EXPECT_EQ(dump["messages"][0]["answer"].asString(), "YES");
  bool asked = false;
  for (const JsonValue& material : dump["documents"][0]["materials"].items())
    asked = asked || material["name"].asString() == "Asked";
  EXPECT_TRUE(asked);
  EXPECT_EQ(dump["pendingAnswers"].size(), 0u);

  const HostRun bad = host.run({"ANSWER RUN", "ANSWER RUN \"\"", "QUIT"}, HostHarness::withoutModule());
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(contains(bad.errors, "script.mescript:1: missing script line")) << bad.errors;
  EXPECT_TRUE(contains(bad.errors, "script.mescript:2: ANSWER RUN needs a script line")) << bad.errors;
}

// Closing the host under the module's open menu or question: the menu or
// box is ended first, the module's call returns, and only then is it
// unloaded. Lines after QUIT do not run.
TEST(HostAnswers, QuitUnderAnOpenMenuOrQuestionEndsItBeforeTheModuleGoes)
{
  for (const char* command : {"TESTMENU", "TESTASK"})
  {
    HostHarness host;
    const HostRun run = host.run(
      withPane({"ANSWER RUN QUIT", "ANSWER MENU 10", "ANSWER YES", command, "PROFILE SET TestModule after 1", "QUIT"}),
      host.withTestModule());
    ASSERT_FALSE(run.timedOut) << command;
    EXPECT_EQ(run.exitCode, 0) << command << ": " << run.errors;
    const std::string profile = host.readFile(L"profile.txt");
    EXPECT_TRUE(contains(profile, "unloaded=i:1")) << command << ": the module was unloaded cleanly\n" << profile;
    EXPECT_FALSE(contains(profile, "after=")) << command << ": the script stopped at QUIT";
    // The module's call returned with the harmless answer, not the queued one.
    EXPECT_TRUE(contains(profile, std::string(command) == "TESTMENU" ? "menu=i:0" : "answer=i:7")) << profile;
  }
}

TEST(HostAnswers, CloseUnderAnOpenQuestionClosesTheDocumentOnceItHasGone)
{
  HostHarness host;
  const HostRun run =
    host.run(withPane({"NEW Second", "ANSWER RUN CLOSE", "ANSWER YES", "TESTASK", "DUMP {dump}", "QUIT"}),
             host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "Drawing1");
  EXPECT_EQ(dump["messages"][0]["answer"].asString(), "NO") << "ended as the harmless choice";
  EXPECT_EQ(dump["pendingAnswers"].size(), 0u) << "the box took the YES but was ended before giving it";
}

TEST(HostTextureFolders, CommandLineThenProfileAndMapsAreFoundThere)
{
  HostHarness host;
  std::filesystem::create_directories(host.file(L"cli"));
  std::filesystem::create_directories(host.file(L"profiled"));
  host.writeFile(L"cli/bricks.png", "image");
  host.writeFile(L"profiled/wood.jpg", "image");
  // Forward slashes: a backslash in a profile text starts an escape.
  std::string profiled = std::filesystem::path(host.file(L"profiled")).u8string();
  std::replace(profiled.begin(), profiled.end(), '\\', '/');
  host.writeFile(L"profile.txt", "[Options]\nTextureSearchPath=s:" + profiled + ";\n");
  const HostRun run =
    host.run({"NEW", "MATERIAL Bricks MAP FILE 'C:\\gone\\bricks.png' SCALE 2,3 OPACITY 0.5",
              "MATERIAL Oak MAP FILE wood.jpg", "MATERIAL Lost MAP FILE lost.png", "DUMP {dump}", "QUIT"},
             {L"/nomodule", L"/texturepath", host.file(L"cli")});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["textureSearchPath"].size(), 2u);
  EXPECT_TRUE(contains(dump["textureSearchPath"][0].asString(), "cli"));
  EXPECT_TRUE(contains(dump["textureSearchPath"][1].asString(), "profiled"));
  std::map<std::string, JsonValue> materials;
  for (const JsonValue& material : dump["documents"][0]["materials"].items())
    materials[material["name"].asString()] = material;
  EXPECT_TRUE(contains(materials["Bricks"]["diffuseMap"]["found"].asString(), "bricks.png"));
  EXPECT_EQ(materials["Bricks"]["diffuseMap"]["scale"][1].asNumber(), 3);
  EXPECT_EQ(materials["Bricks"]["opacity"].asNumber(), 0.5);
  EXPECT_TRUE(contains(materials["Oak"]["diffuseMap"]["found"].asString(), "profiled"));
  EXPECT_TRUE(materials["Lost"]["diffuseMap"]["found"].isNull());
}
