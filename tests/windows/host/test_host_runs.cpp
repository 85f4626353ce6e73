// host.exe driven by scripts, as its own process under Wine: documents,
// script failures, the profile between runs, DUMP's escaping, and a
// run-time module (hosttestmodule.dll) loaded, used and unloaded.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
std::vector<std::string> titles(const JsonValue& dump)
{
  std::vector<std::string> list;
  for (const JsonValue& document : dump["documents"].items())
    list.push_back(document["title"].asString() + (document["current"].asBool() ? "*" : ""));
  return list;
}

std::vector<std::string> materialNames(const JsonValue& document)
{
  std::vector<std::string> list;
  for (const JsonValue& material : document["materials"].items())
    list.push_back(material["name"].asString());
  return list;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
} // namespace

TEST(HostDocuments, NewSwitchAndCloseFollowTheScript)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "NEW Plans", "NEW", "DOC 2", "CLOSE", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  // Closing the current document makes the most recently current one current.
  EXPECT_EQ(titles(run.dump()), (std::vector<std::string>{"Drawing1", "Drawing2*"}));

  const HostRun empty = host.run({"DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  EXPECT_EQ(titles(empty.dump()), std::vector<std::string>{});
}

TEST(HostDocuments, DrawingCommandsBuildWhatDumpShows)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "MATERIAL Steel DIFFUSE 10,20,30", "MATERIAL Oak MAP WOOD", "CMATERIAL Oak",
                                "BOX MATERIAL Steel AS $b", "MESH AS $m", "SELECT $m $b $m", "NEW", "DOC 1",
                                "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  const JsonValue& first = dump["documents"][0];
  EXPECT_TRUE(first["current"].asBool());
  EXPECT_EQ(materialNames(first), (std::vector<std::string>{"By Block", "By Layer", "Global", "Oak", "Steel"}));
  EXPECT_EQ(first["cmaterial"].asString(), "Oak");
  ASSERT_EQ(first["selection"].size(), 2u) << "a repeated object is selected once";
  EXPECT_NE(first["selection"][0].asString(), first["selection"][1].asString());
  EXPECT_EQ(materialNames(dump["documents"][1]).size(), 3u) << "the new document has only the standard materials";
}

TEST(HostDocuments, SampleDrawingOpensAsADocument)
{
  HostHarness host;
  const HostRun run = host.run({"DUMP {dump}", "QUIT"}, {L"" HOST_TEST_SAMPLE, L"/nomodule"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "sample");
  EXPECT_EQ(materialNames(dump["documents"][0]).size(), 8u);
}

TEST(HostScripts, AFailingLineIsReportedWithItsNumberAndTheRunGoesOn)
{
  HostHarness host;
  const HostRun run = host.run({"# comment", "", "NEW", "FROBNICATE", "DOC 7", "MATERIAL \"open", "CLOSE", "CLOSE",
                                "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "script.mescript:4: unknown command \"FROBNICATE\"")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:5: ")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:6: unterminated quote")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:8: no current document")) << run.errors;
  EXPECT_FALSE(contains(run.errors, ":7:")) << "the first CLOSE is fine";
  EXPECT_EQ(run.dump()["documents"].size(), 0u) << "lines after a failure still ran";
}

TEST(HostScripts, BadStartsEndWithAMessageNotAHang)
{
  HostHarness host;
  HostRun run = host.run({"DUMP {dump}", "QUIT"}, {host.file(L"missing.mescript"), L"/nomodule"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "no drawing file")) << run.errors;
  EXPECT_EQ(run.dump()["documents"].size(), 0u);

  run = host.run({"DUMP {dump}", "QUIT"}, {L"/module", host.file(L"nothing.dll")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "cannot load the module")) << run.errors;
  EXPECT_EQ(run.dump()["modules"].size(), 0u);

  // A library that is no run-time module: the host's own main library.
  run = host.run({"DUMP {dump}", "QUIT"}, {L"/module", HostHarness::buildFolder() + L"\\hostutils.dll"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "is no run-time module")) << run.errors;

  run = host.run({"QUIT"}, {L"/bogus"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(contains(run.errors, "unknown option")) << run.errors;
}

TEST(HostProfile, ValuesSurviveBetweenRunsAndACorruptFileIsSurvived)
{
  HostHarness host;
  HostRun run = host.run({"PROFILE SET cmddata/MaterialEditor SampleObject 7", "PROFILE SET Startup Nothing x",
                          "PROFILE DELETE Startup Nothing", "QUIT"},
                         HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;

  run = host.run({"DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  const JsonValue profile = run.dump()["profile"];
  EXPECT_EQ(profile["cmddata"]["MaterialEditor"]["SampleObject"].asNumber(), 7);
  EXPECT_EQ(profile["Startup"].size(), 0u);

  host.writeFile(L"profile.txt", std::string("\x01garbage\n[Startup\nno equals sign\n", 33));
  run = host.run({"DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << "a bad profile is no failure of the run";
  EXPECT_TRUE(contains(run.errors, "unreadable line")) << run.errors;
  // Only the section that the host always has, as modules expect.
  const JsonValue fresh = run.dump()["profile"];
  EXPECT_EQ(fresh.size(), 1u);
  EXPECT_EQ(fresh["cmddata"].size(), 0u);
}

TEST(HostDump, StrangeNamesAreEscaped)
{
  HostHarness host;
  const std::string strange = "Quote \" back \\ tab \t line \n bell \x07 caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80";
  const HostRun run = host.run({"NEW",
                                "MATERIAL \"Quote \\\" back \\\\ tab \\t line \\n bell \\u0007 caf\xC3\xA9 "
                                "\xE6\x97\xA5 \xF0\x9F\x98\x80\"",
                                "TRANSLATE x y", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_FALSE(contains(run.dumpText, "\t")) << "control characters are escaped";
  EXPECT_TRUE(contains(run.dumpText, "\\u0007"));
  const std::vector<std::string> names = materialNames(run.dump()["documents"][0]);
  EXPECT_NE(std::find(names.begin(), names.end(), strange), names.end());
}

TEST(HostModule, CommandsPaneProfileAndUnload)
{
  HostHarness host;
  HostRun run = host.run({"DUMP {dump}", "NEW", "testpane", "WAIT 50", "SCREENSHOT {dir}/shot.png", "DUMP {dir}/2.json",
                          "TESTPANE", "DUMP {dir}/3.json", "QUIT"},
                         host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = run.dump();
  EXPECT_EQ(before["resourceTranslation"][0].asString(), "hosttestmodule.dll");
  EXPECT_EQ(before["commands"]["TESTPANE"].asNumber(), 0) << "unavailable without a document";
  EXPECT_EQ(before["palettes"].size(), 0u);

  const JsonValue shown = JsonValue::parse(host.readFile(L"2.json"));
  EXPECT_EQ(shown["commands"]["TESTPANE"].asNumber(), 3);
  EXPECT_TRUE(shown["palettes"]["Test pane"]["shown"].asBool());
  EXPECT_EQ(shown["palettes"]["Test pane"]["dock"].asString(), "left");
  const JsonValue hidden = JsonValue::parse(host.readFile(L"3.json"));
  EXPECT_EQ(hidden["commands"]["TESTPANE"].asNumber(), 1);
  EXPECT_FALSE(hidden["palettes"]["Test pane"]["shown"].asBool());

  const std::string png = host.readFile(L"shot.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");

  // initApp ran once; the library's static destruction ran before the
  // profile was written.
  run = host.run({"DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  const JsonValue module = run.dump()["profile"]["TestModule"];
  EXPECT_EQ(module["loads"].asNumber(), 1);
  EXPECT_EQ(module["unloaded"].asNumber(), 1);
}

TEST(HostModule, DialogSeamsAnswerFromTheQueueOrTheDefault)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "ANSWER YES", "TESTASK", "TESTASK", "ANSWER FILE C:/maps/wood.png",
                                "TESTFILE", "TESTHELP", "ANSWER CANCEL", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["messages"].size(), 2u);
  EXPECT_EQ(dump["messages"][0]["text"].asString(), "Remove \"it\"?");
  EXPECT_EQ(dump["messages"][0]["icon"].asString(), "question");
  EXPECT_EQ(dump["messages"][0]["answer"].asString(), "YES");
  EXPECT_EQ(dump["messages"][1]["answer"].asString(), "NO") << "a scripted run answers No without waiting";
  EXPECT_EQ(dump["fileDialogs"][0]["answer"].asString(), "C:/maps/wood.png");
  EXPECT_EQ(dump["profile"]["TestModule"]["file"].asString(), "C:/maps/wood.png");
  EXPECT_EQ(dump["profile"]["TestModule"]["answer"].asNumber(), 7) << "the second question got No (7)";
  EXPECT_EQ(dump["helpTopics"][0].asString(), "IDH_Test");
  EXPECT_EQ(dump["pendingAnswers"][0].asString(), "CANCEL");
}

TEST(HostModule, SetRenderModeSetsTheDrawingsActiveViewportAndIsRecorded)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "NEW Plans", "DOC 1", "TESTRENDERMODE", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(dump["documents"][0]["renderMode"].asNumber(), 4) << "smooth shaded";
  EXPECT_EQ(dump["documents"][1]["renderMode"].asNumber(), 0) << "untouched";
  const JsonValue& calls = dump["renderModes"];
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0]["document"].asString(), "Drawing1");
  EXPECT_EQ(calls[0]["mode"].asNumber(), 4);
  EXPECT_TRUE(calls[0]["applied"].asBool());
  EXPECT_TRUE(calls[1]["document"].isNull()) << "a drawing that is no document";
  EXPECT_EQ(calls[1]["mode"].asNumber(), 3);
  EXPECT_TRUE(calls[1]["applied"].asBool());
  EXPECT_EQ(calls[2]["mode"].asNumber(), 4);
  EXPECT_FALSE(calls[2]["applied"].asBool()) << "no drawing given";
}

TEST(HostModule, FaultsOfTheModuleAreContained)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "TESTTHROW", "TESTSTRAY", "TESTPANE extra", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, ":2: the command TESTTHROW failed")) << run.errors;
  EXPECT_TRUE(contains(run.errors, ":4: unexpected \"extra\"")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "left 1 window(s) behind")) << run.errors;
  EXPECT_EQ(run.dump()["documents"].size(), 1u);
}

TEST(HostVariants, MissingExportsLeaveTheirStepUndone)
{
  HostHarness noFactory;
  noFactory.useVariant(L"hostmain.dll", L"no-cmd-factory");
  HostRun run = noFactory.run({"NEW", "TESTPANE", "DUMP {dump}", "QUIT"}, noFactory.withTestModule());
  EXPECT_EQ(run.exitCode, 1) << "TESTPANE is unknown";
  EXPECT_EQ(run.dump()["commands"].size(), 0u);
  EXPECT_EQ(run.dump()["modules"].size(), 1u) << "the module loaded all the same";

  HostHarness noTranslation;
  noTranslation.useVariant(L"kticore.dll", L"no-res-translation");
  run = noTranslation.run({"NEW", "TESTPANE", "DUMP {dump}", "QUIT"}, noTranslation.withTestModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.dump()["resourceTranslation"].size(), 0u);
  EXPECT_EQ(run.dump()["commands"]["TESTPANE"].asNumber(), 3);
}
