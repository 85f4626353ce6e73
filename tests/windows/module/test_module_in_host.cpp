// materialeditor.dll in host.exe under Wine: the command, the browser pane,
// the "Startup" section, the settings in the profile, hosts that lack an
// export, and the browser following the host's documents.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const char* const kBrowser = "Materials Browser";

int commandState(const JsonValue& dump)
{
  const JsonValue& commands = dump["commands"];
  return commands.has("MATBROWSEROPEN") ? int(commands["MATBROWSEROPEN"].asNumber()) : -1;
}

bool browserShown(const JsonValue& dump)
{
  const JsonValue& palettes = dump["palettes"];
  return palettes.has(kBrowser) && palettes[kBrowser]["shown"].asBool();
}

std::vector<std::string> browserItems(const JsonValue& dump)
{
  std::vector<std::string> items;
  const JsonValue& palettes = dump["palettes"];
  if (palettes.has(kBrowser))
    for (const JsonValue& item : palettes[kBrowser]["list"]["items"].items())
      items.push_back(item["text"].asString());
  return items;
}

bool startupHasBrowser(const JsonValue& dump)
{
  const JsonValue& profile = dump["profile"];
  return profile.has("Startup") && profile["Startup"].has("MATBROWSEROPEN");
}

JsonValue dumpFile(const HostHarness& host, const char* name)
{
  return JsonValue::parse(host.readFile(std::wstring(name, name + std::char_traits<char>::length(name))));
}
} // namespace

TEST(ModuleInHost, CommandTogglesTheBrowserAndTheStartupEntry)
{
  HostHarness host;
  const HostRun run = host.run({"DUMP {dir}/nodoc.json", "NEW", "DUMP {dir}/doc.json", "MATBROWSEROPEN",
                                "DUMP {dir}/shown.json", "MATBROWSEROPEN", "DUMP {dump}", "QUIT"});
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  const JsonValue noDocument = dumpFile(host, "nodoc.json");
  EXPECT_EQ(commandState(noDocument), 0) << "registered, unavailable without a document";
  EXPECT_FALSE(noDocument["palettes"].has(kBrowser)) << "the pane is made by the first run";

  const JsonValue withDocument = dumpFile(host, "doc.json");
  EXPECT_EQ(commandState(withDocument), 1);

  const JsonValue shown = dumpFile(host, "shown.json");
  EXPECT_EQ(commandState(shown), 3);
  EXPECT_TRUE(browserShown(shown));
  EXPECT_EQ(shown["palettes"][kBrowser]["dock"].asString(), "left");
  EXPECT_TRUE(startupHasBrowser(shown));
  // The drawing's materials without the by-block and by-layer ones.
  EXPECT_EQ(browserItems(shown), (std::vector<std::string>{"Global"}));

  const JsonValue hidden = run.dump();
  EXPECT_EQ(commandState(hidden), 1);
  EXPECT_FALSE(browserShown(hidden));
  EXPECT_TRUE(hidden["palettes"].has(kBrowser)) << "hidden, not destroyed";
  EXPECT_FALSE(startupHasBrowser(hidden));
  EXPECT_TRUE(browserItems(hidden).empty());
}

TEST(ModuleInHost, BrowserInStartupIsShownAtTheNextStart)
{
  HostHarness host;
  ASSERT_EQ(host.run({"NEW", "MATBROWSEROPEN", "QUIT"}).exitCode, 0);
  const HostRun next = host.run({"DUMP {dump}", "QUIT"});
  ASSERT_EQ(next.exitCode, 0) << next.errors;
  const JsonValue dump = next.dump();
  EXPECT_TRUE(browserShown(dump));
  EXPECT_TRUE(startupHasBrowser(dump));
  EXPECT_EQ(commandState(dump), 0) << "shown, but no document yet";
}

TEST(ModuleInHost, SettingsAreWrittenAtUnloadAndKeepStoredValues)
{
  HostHarness host;
  host.writeFile(L"profile.txt", "# materialeditor host profile 1\n[cmddata/MaterialEditor]\nSampleObject=i:7\nLockSampleSize=i:2\n");
  const HostRun run = host.run({"NEW", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const HostRun after = host.run({"DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  const JsonValue dump = after.dump();
  const JsonValue& settings = dump["profile"]["cmddata"]["MaterialEditor"];
  EXPECT_EQ(settings["SampleObject"].asNumber(), 7) << "an out-of-range sample is kept as it is";
  EXPECT_EQ(settings["LockSampleSize"].asNumber(), 0) << "2 is not true";
  EXPECT_EQ(settings["LockPositionAxis"].asNumber(), 0);
  EXPECT_EQ(settings["BrowserImageSize"].asNumber(), 96);
  EXPECT_EQ(settings["BrowserView"].asNumber(), 0);
  EXPECT_EQ(settings["ExtendedRegime"].asNumber(), 0);
}

TEST(ModuleInHost, HostWithoutCommandFactoryLoadsTheModuleAndRegistersNothing)
{
  HostHarness host;
  host.useVariant(L"hostmain.dll", L"no-cmd-factory");
  const HostRun run = host.run({"NEW", "DUMP {dump}", "QUIT"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(commandState(dump), -1);
  EXPECT_EQ(dump["modules"].size(), 1u) << "loaded all the same";
}

TEST(ModuleInHost, ResourceTranslationIsAskedForOnlyWhenOffered)
{
  HostHarness normal;
  const HostRun translated = normal.run({"DUMP {dump}", "QUIT"});
  ASSERT_EQ(translated.exitCode, 0) << translated.errors;
  const JsonValue dump = translated.dump();
  ASSERT_EQ(dump["resourceTranslation"].size(), 1u);
  EXPECT_NE(dump["resourceTranslation"][0].asString().find("materialeditor"), std::string::npos);

  HostHarness bare;
  bare.useVariant(L"kticore.dll", L"no-res-translation");
  const HostRun untranslated = bare.run({"NEW", "MATBROWSEROPEN", "DUMP {dump}", "QUIT"});
  ASSERT_EQ(untranslated.exitCode, 0) << untranslated.errors;
  EXPECT_EQ(untranslated.dump()["resourceTranslation"].size(), 0u);
  EXPECT_TRUE(browserShown(untranslated.dump())) << "the module works untranslated";
}

TEST(ModuleInHost, BrowserFollowsTheCurrentDocument)
{
  HostHarness host;
  const HostRun run = host.run({"NEW First", "MATERIAL OnlyInFirst", "NEW Second", "MATERIAL OnlyInSecond",
                                "MATBROWSEROPEN", "DUMP {dir}/second.json", "MATERIAL AddedLater",
                                "DUMP {dir}/added.json", "DOC 1", "DUMP {dir}/first.json", "CLOSE",
                                "DUMP {dir}/oneleft.json", "CLOSE", "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(browserItems(dumpFile(host, "second.json")), (std::vector<std::string>{"Global", "OnlyInSecond"}));
  EXPECT_EQ(browserItems(dumpFile(host, "added.json")), (std::vector<std::string>{"Global", "OnlyInSecond", "AddedLater"}));
  EXPECT_EQ(browserItems(dumpFile(host, "first.json")), (std::vector<std::string>{"Global", "OnlyInFirst"}));
  // Closing one document moves to the other, which the browser lists anew, in
  // the dictionary's order.
  EXPECT_EQ(browserItems(dumpFile(host, "oneleft.json")), (std::vector<std::string>{"AddedLater", "Global", "OnlyInSecond"}));
  const JsonValue last = run.dump();
  EXPECT_TRUE(browserItems(last).empty()) << "the last document gone: the list is empty";
  EXPECT_TRUE(browserShown(last)) << "and the browser stays";
  EXPECT_EQ(commandState(last), 0) << "no document: unavailable, shown or not";
}
