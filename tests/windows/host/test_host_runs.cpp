// host.exe driven by scripts, as its own process under Wine: documents,
// script failures, the profile between runs, a broken DXF file, failed
// writes, and a run-time module (hosttestmodule.dll) loaded, used and
// unloaded.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(HostDocuments, DrawingCommandsBuildWhatDumpShows)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "MATERIAL Steel DIFFUSE 10,20,30", "MATERIAL Oak MAP WOOD", "CMATERIAL Oak",
                                "BOX MATERIAL Steel AS $b", "MESH AS $m", "SELECT $m $b $m", "NEW Plans", "NEW",
                                "DOC 1", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  // An untitled document takes the next number; a titled one takes none.
  EXPECT_EQ(titles(dump), (std::vector<std::string>{"Drawing1*", "Plans", "Drawing2"}));
  const JsonValue& first = dump["documents"][0];
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
  EXPECT_EQ(materialNames(dump["documents"][0]).size(), 11u);
  // Its image maps lie beside it, named relative to its folder.
  int imageMaps = 0;
  for (const JsonValue& material : dump["documents"][0]["materials"].items())
    if (!material["diffuseMap"]["texture"].isNull() && material["diffuseMap"]["texture"].asString() == "image")
    {
      ++imageMaps;
      EXPECT_FALSE(material["diffuseMap"]["found"].isNull()) << material["name"].asString();
    }
  EXPECT_EQ(imageMaps, 3);
}

TEST(HostScripts, AFailingLineIsReportedWithItsNumberAndTheRunGoesOn)
{
  HostHarness host;
  const HostRun run = host.run(
    {"# comment", "", "NEW", "FROBNICATE", "DOC 7", "MATERIAL \"open", "CLOSE", "CLOSE", "DUMP {dump}", "QUIT"},
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

TEST(HostScripts, TimeRecordsThePrivateMemoryAfterItsCommandAndDumpThePeak)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "TIME MATERIAL Clay", "DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["timings"].size(), 1u);
  const double afterCommand = dump["timings"][0]["privateBytes"].asNumber();
  EXPECT_GT(afterCommand, 1e6) << "a process with windows holds more than a megabyte of its own";
  const JsonValue& memory = dump["memory"];
  EXPECT_GT(memory["privateBytes"].asNumber(), 1e6);
  EXPECT_GT(memory["peakWorkingSetBytes"].asNumber(), 1e6);
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

  const std::string corrupt = "\x01garbage\n[Startup\nno equals sign\n[Kept]\nv=i:1\n";
  host.writeFile(L"profile.txt", corrupt);
  run = host.run({"DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << "a profile with bad lines is no failure of the run";
  EXPECT_TRUE(contains(run.errors, "3 line(s) that cannot be read; they are kept")) << run.errors;
  // What could be read, and the section that the host always has, as modules expect.
  const JsonValue fresh = run.dump()["profile"];
  EXPECT_EQ(fresh.size(), 2u);
  EXPECT_EQ(fresh["cmddata"].size(), 0u);
  EXPECT_EQ(fresh["Kept"]["v"].asNumber(), 1);
  EXPECT_EQ(run.dump()["profileFile"]["status"].asString(), "read");
  EXPECT_EQ(run.dump()["profileFile"]["keptLines"].asNumber(), 3);
  EXPECT_EQ(host.readFile(L"profile.txt"), corrupt + "[cmddata]\n") << "every line kept, the new section after them";

  // A file named by mistake is no profile: the run goes on with its values
  // and says so, and the file is not written.
  const std::string dll = host.readFile(HostHarness::buildFolder() + L"\\hostutils.dll");
  host.writeFile(L"profile.txt", dll);
  run = host.run({"PROFILE SET x v 2", "DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "is no profile")) << run.errors;
  EXPECT_EQ(run.dump()["profileFile"]["status"].asString(), "not a profile");
  EXPECT_EQ(run.dump()["profile"]["x"]["v"].asNumber(), 2);
  EXPECT_TRUE(host.readFile(L"profile.txt") == dll);
}

TEST(HostDocuments, ADrawingWithOldMacintoshLineEndsLoadsItsMaterials)
{
  HostHarness host;
  host.writeFile(L"cr.mescript", "# saved with CR line ends\rMATERIAL Steel DIFFUSE 10,20,30\rMATERIAL Oak MAP WOOD\r"
                                 "BOX MATERIAL Oak\rCMATERIAL Steel\r");
  const HostRun run = host.run({"DUMP {dump}", "QUIT"}, {host.file(L"cr.mescript"), L"/nomodule"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue document = run.dump()["documents"][0];
  EXPECT_EQ(materialNames(document), (std::vector<std::string>{"By Block", "By Layer", "Global", "Oak", "Steel"}));
  EXPECT_EQ(document["cmaterial"].asString(), "Steel");
  EXPECT_GE(document["loadSeconds"].asNumber(), 0.0);
}

TEST(HostDocuments, ADeepChainOfBlocksLoadsAndItsClosingCycleIsRefused)
{
  // The host's stack is 1 MB: a check that recursed once per level took it
  // down at 15,000.
  constexpr int kDepth = 100000;
  std::string drawing;
  for (int i = 0; i < kDepth; ++i)
    drawing += "BLOCK B" + std::to_string(i) + "\n";
  for (int i = 1; i < kDepth; ++i)
    drawing += "INSERT B" + std::to_string(i) + " IN B" + std::to_string(i - 1) + "\n";
  drawing += "MATERIAL Deep\nMESH MATERIAL Deep IN B" + std::to_string(kDepth - 1) + "\nINSERT B0\n";
  drawing += "INSERT B0 IN B" + std::to_string(kDepth - 1) + "\n";
  HostHarness host;
  host.writeFile(L"chain.mescript", drawing);
  const HostRun run = host.run({"DUMP {dump}", "QUIT"}, {host.file(L"chain.mescript"), L"/nomodule"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "chain.mescript:" + std::to_string(2 * kDepth + 3) +
                                     ": the insert would make the block \"B99999\" contain itself"))
    << run.errors;
  const JsonValue document = run.dump()["documents"][0];
  EXPECT_EQ(materialNames(document).size(), 4u);
  EXPECT_TRUE(contains(host.readFile(L"profile.txt"), "[cmddata]")) << "the run ended as runs do";
}

// What makes a file unreadable is the reader's to find (tests/sdk); the
// host names the file and line and leaves every open document as it was.
TEST(HostDxf, ABrokenFileIsRefusedAndTheOpenDocumentsStay)
{
  HostHarness host;
  host.writeFile(L"broken.dxf", "  0\nSECTION\n  2\nENTITIES\nabc\nLINE\n");
  const HostRun run = host.run({"NEW Kept", "MATERIAL Steel", "OPEN {dir}/broken.dxf", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "script.mescript:3: ")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "broken.dxf, line 5: a group code was expected, found \"abc\"")) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "Kept");
  EXPECT_EQ(dump["documents"][0]["materials"].size(), 4u);
}

// DUMP, SCREENSHOT and SAVE write through the atomic writer that
// FileWrites tests natively; here its failures reach the script's lines.
TEST(HostFiles, FailedWritesSayWhyAndLeaveWhatWasThere)
{
  HostHarness host;
  std::filesystem::create_directories(host.file(L"folder"));
  host.writeFile(L"old.json", "old");
  host.writeFile(L"locked.dxf", "old");
  std::filesystem::permissions(host.file(L"locked.dxf"), std::filesystem::perms::owner_read);
  const HostRun run = host.run({"DUMP {dir}/folder", "SCREENSHOT {dir}/missing/shot.png", "NEW",
                                "SAVEAS {dir}/locked.dxf", "SAVEAS {dir}/x.txt", "SAVE", "DUMP {dir}/old.json", "QUIT"},
                               HostHarness::withoutModule());
  std::filesystem::permissions(host.file(L"locked.dxf"), std::filesystem::perms::owner_all);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "script.mescript:1: cannot write")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "not a regular file")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:2: cannot write")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:4: ")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "locked.dxf could not be saved")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "x.txt\" is no .dxf file")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:6: \"Drawing1\" is saved as DXF only")) << run.errors;
  EXPECT_TRUE(std::filesystem::is_empty(host.file(L"folder")));
  EXPECT_FALSE(std::filesystem::exists(host.file(L"missing")));
  EXPECT_EQ(host.readFile(L"locked.dxf"), "old");
  // A good write replaces the old file; a failed SAVEAS leaves the title.
  EXPECT_EQ(JsonValue::parse(host.readFile(L"old.json"))["documents"][0]["title"].asString(), "Drawing1");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(host.file(L"")))
    files += entry.path().extension() == ".tmp" ? 1 : 0;
  EXPECT_EQ(files, 0u) << "no temporary file is left behind";
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
  const HostRun run = host.run({"NEW", "ANSWER YES", "TESTASK", "TESTASK", "ANSWER FILE C:/maps/wood.png", "TESTFILE",
                                "TESTHELP", "ANSWER CANCEL", "DUMP {dump}", "QUIT"},
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
  const HostRun run =
    host.run({"NEW", "NEW Plans", "DOC 1", "TESTRENDERMODE", "DUMP {dump}", "QUIT"}, host.withTestModule());
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
  const HostRun run =
    host.run({"NEW", "TESTTHROW", "TESTSTRAY", "TESTPANE extra", "DUMP {dump}", "QUIT"}, host.withTestModule());
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
