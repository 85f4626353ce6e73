// The gesture verbs: real input that reaches the control under the pointer
// (or with the focus) as the system delivers it. The test module's pane
// writes what it receives into the profile, which DUMP shows.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> inputOf(const JsonValue& dump)
{
  std::vector<std::string> events;
  std::istringstream words(dump["profile"]["TestModule"]["input"].asString());
  for (std::string word; words >> word;)
    if (word.rfind("size@", 0) != 0) // layout, not input
      events.push_back(word);
  return events;
}
} // namespace

TEST(HostGestures, ClicksWheelDragAndKeysArriveAsTheSystemDeliversThem)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "TESTPANE", "RESIZE \"Test pane\" 240,300",
                                "CLICK \"Test pane\" AT 40,50",
                                "CLICK \"Test pane\" AT 10,10 RIGHT",
                                "CLICK \"Test pane\" AT 20,20 DOUBLE",
                                "WHEEL \"Test pane\" AT 30,30 2", "WHEEL \"Test pane\" AT 30,30 -1",
                                "DRAG \"Test pane\" AT 0,0 FROM 10,100 TO 22,100",
                                "TYPE \"h\\u00e9\"", "KEY ENTER", "KEY SHIFT+TAB 2",
                                "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  const std::vector<std::string> expected = {
    "ld@40,50", "lu@40,50",                           // a click: press and release where the pointer is
    "rd@10,10", "ru@10,10",                           // a right click
    "ld@20,20", "lu@20,20", "ldbl@20,20", "lu@20,20", // the system makes the second press a double click
    "w120", "w120", "w-120",                          // one message per notch, away is positive
    "ld@10,100", "m@14,100", "m@18,100", "m@22,100", "lu@22,100", // moves arrive one by one
    "k231", "c104", "k231", "c233",                   // typed characters come as VK_PACKET, then the character
    "k13", "c13",                                     // Enter, translated by the host's loop
    "k16", "k9", "c9", "k16", "k9", "c9"};            // Shift held around each of two Tabs
  EXPECT_EQ(inputOf(dump), expected);
  // RESIZE gives the pane its outer size; its client edge takes 2 pixels a side.
  EXPECT_EQ(dump["palettes"]["Test pane"]["client"][0].asNumber(), 236);
  EXPECT_EQ(dump["palettes"]["Test pane"]["client"][1].asNumber(), 296);
}

TEST(HostGestures, AMissingPaneOrPlaceFailsItsLineAndSendsNothing)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "TESTPANE", "CLICK \"No such pane\" AT 1,1", "CLICK \"Test pane\" NOWHERE",
                                "CLICK \"Test pane\" AT 5", "KEY NOSUCHKEY", "CLICK \"Test pane\" AT 3,4",
                                "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find(":3: no pane \"No such pane\" (panes: \"Test pane\")"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find(":4: unknown place \"NOWHERE\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find(":5: AT takes x,y"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find(":6: unknown key \"NOSUCHKEY\""), std::string::npos) << run.errors;
  EXPECT_EQ(inputOf(run.dump()), (std::vector<std::string>{"ld@3,4", "lu@3,4"}));
}

TEST(HostGestures, AnItemOutOfSightIsWheeledIntoSightAndAListThatWillNotScrollFailsTheLine)
{
  HostHarness host;
  const std::string item = "CLICK \"Test pane\" ITEM ";
  const HostRun run = host.run({"NEW", "TESTPANE", "RESIZE \"Test pane\" 240,300", "TESTLIST", "DUMP {dir}/top.json",
                                item + "\"Item 60\"", "DUMP {dir}/down.json", item + "\"Item 1\"", "DUMP {dir}/up.json",
                                // From now on the list drops the notches it gets.
                                "TESTLIST", item + "\"Item 60\"", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find(":11: the list does not scroll on towards \"Item 60\" with the wheel"), std::string::npos)
    << run.errors;
  const auto at = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };
  const auto listItem = [](const JsonValue& dump, std::size_t index) -> const JsonValue& {
    return dump["palettes"]["Test pane"]["list"]["items"][index];
  };
  const auto count = [](const std::vector<std::string>& events, const std::string& word, std::size_t from = 0) {
    return std::size_t(std::count(events.begin() + std::ptrdiff_t(from), events.end(), word));
  };
  const JsonValue top = at(L"top.json");
  ASSERT_EQ(top["palettes"]["Test pane"]["list"]["items"].size(), 60u);
  ASSERT_FALSE(listItem(top, 59)["inSight"].asBool()) << "the test needs the last item out of sight";

  // Notches towards the user, over the list, in more than one batch: one
  // to learn how far a notch goes, then the rest, looked at again after.
  const JsonValue down = at(L"down.json");
  const std::vector<std::string> wheeledDown = inputOf(down);
  EXPECT_GE(count(wheeledDown, "lw-120"), 2u);
  EXPECT_EQ(count(wheeledDown, "lw-120"), wheeledDown.size()) << "nothing but the list's notches";
  EXPECT_TRUE(listItem(down, 59)["selected"].asBool());
  EXPECT_TRUE(listItem(down, 59)["inSight"].asBool());
  EXPECT_FALSE(listItem(down, 0)["inSight"].asBool());

  const JsonValue up = at(L"up.json");
  const std::vector<std::string> wheeledUp = inputOf(up);
  EXPECT_GE(count(wheeledUp, "lw120", wheeledDown.size()), 2u) << "away from the user, back to the start";
  EXPECT_EQ(wheeledUp.size(), wheeledDown.size() + count(wheeledUp, "lw120"));
  EXPECT_TRUE(listItem(up, 0)["selected"].asBool());
  EXPECT_TRUE(listItem(up, 0)["inSight"].asBool());
  EXPECT_FALSE(listItem(up, 59)["inSight"].asBool());

  // A list that does not move under the wheel: one notch, a look, and the
  // line fails; no click is sent and the script goes on.
  const JsonValue dump = run.dump();
  const std::vector<std::string> stuck = inputOf(dump);
  EXPECT_EQ(std::vector<std::string>(stuck.begin() + std::ptrdiff_t(wheeledUp.size()), stuck.end()),
            (std::vector<std::string>{"lw-120"}));
  EXPECT_TRUE(listItem(dump, 0)["selected"].asBool());
  EXPECT_FALSE(listItem(dump, 59)["selected"].asBool());
}
