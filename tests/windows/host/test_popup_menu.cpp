// The pop-up menu seam: the real menu opens, DUMP records it with its items,
// and a queued answer is given as a user gives it, by a click on the item,
// so the owner gets the command as the system sends it.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace
{
std::string inputOf(const JsonValue& dump)
{
  const JsonValue& module = dump["profile"]["TestModule"];
  return module.has("input") ? module["input"].asString() : std::string();
}
} // namespace

TEST(HostPopupMenu, TheQueuedAnswerClicksTheItemAndTheOwnerGetsItsCommand)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "TESTPANE", "CLICK \"Test pane\" AT 50,60", "ANSWER MENU 10", "TESTMENU",
                                "ANSWER MENU 12 SCREENSHOT {dir}/menu.png", "TESTMENU", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_NE(inputOf(dump).find("cmd10 cmd12"), std::string::npos) << inputOf(dump);

  const JsonValue& menus = dump["menus"];
  ASSERT_EQ(menus.items().size(), 2u);
  const JsonValue& items = menus[0]["items"];
  ASSERT_EQ(items.items().size(), 4u);
  EXPECT_EQ(items[0]["id"].asNumber(), 10);
  EXPECT_EQ(items[0]["text"].asString(), "&Open");
  EXPECT_TRUE(items[0]["enabled"].asBool());
  EXPECT_FALSE(items[1]["enabled"].asBool());
  EXPECT_TRUE(items[2]["separator"].asBool());
  EXPECT_TRUE(items[3]["checked"].asBool());
  EXPECT_EQ(menus[0]["answer"].asNumber(), 10);
  EXPECT_EQ(menus[1]["answer"].asNumber(), 12);
  // The picture is of the whole display, with the menu on it.
  EXPECT_GT(std::filesystem::file_size(host.file(L"menu.png")), 1000u);
}

TEST(HostPopupMenu, GreyedMissingAndCancelledAnswersCloseTheMenuWithoutACommand)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "TESTPANE", "CLICK \"Test pane\" AT 50,60", "ANSWER MENU 11", "TESTMENU",
                                "ANSWER MENU 99", "TESTMENU", "ANSWER CANCEL", "TESTMENU",
                                // no answer queued: a script never waits for a user
                                "TESTMENU", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(inputOf(dump).find("cmd"), std::string::npos) << inputOf(dump);
  const JsonValue& menus = dump["menus"];
  ASSERT_EQ(menus.items().size(), 4u);
  for (const JsonValue& menu : menus.items())
    EXPECT_TRUE(menu["answer"].isNull());
  EXPECT_EQ(menus[0]["problem"].asString(), "the command 11 is greyed in this menu");
  EXPECT_EQ(menus[1]["problem"].asString(), "the menu has no command 99");
  EXPECT_FALSE(menus[2].has("problem"));
  EXPECT_TRUE(dump["pendingAnswers"].items().empty());
}
