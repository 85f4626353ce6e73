// Names as the user sees and edits them in the browser: any script comes
// through every path that shows or edits a name unchanged, an edit that a
// reload overtakes writes nothing. A name of blanks is the core's (name rules).
#include "PaletteRun.h"

#include <algorithm>

using namespace palettetest;

namespace
{
std::string leftClick(const std::string& text) { return std::string("CLICK ") + kPane + " ITEM \"" + text + "\""; }
// Between two clicks at one place: longer than a double click takes.
const std::string kCjk = "木材の名前 Ω";
const std::string kGreek = "Ωmega";
const std::string kArabic = "خشب";
const std::string kEmoji = "Pine 🌲";
} // namespace

TEST(BrowserNames, NamesInAnyScriptComeThroughEveryPathUnchanged)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL \"" + kCjk + "\"\nMATERIAL " + kGreek + "\nMATERIAL " + kArabic +
                                            "\nMATERIAL \"" + kEmoji + "\"\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN", "DUMP {dir}/shown.json",
              // Rename from the menu: the edit box must hold the name itself, not
              // its nearest letters in the ANSI code page.
              "ANSWER MENU 1002", rightClick(kCjk), "DUMP {dir}/cjk.json", "KEY ENTER", kPause, "ANSWER MENU 1002",
              rightClick(kGreek), "DUMP {dir}/greek.json", "KEY ENTER",
              // Typed text in another script.
              kPause, "ANSWER MENU 1002", rightClick(kArabic), "TYPE \"سنديان\"", "KEY ENTER",
              // F2, and pasted text with a character beyond the basic plane.
              kPause, leftClick(kEmoji), "KEY F2", "DUMP {dir}/f2.json", "PASTE \"竹 bamboo 🎍\"", "KEY ENTER",
              // A click on the selected label.
              kPause, leftClick("竹 bamboo 🎍"), "WAIT 900", "DUMP {dir}/click.json", "TYPE \"Ωmega β\"", "KEY ENTER",
              "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue shown = JsonValue::parse(host.readFile(L"shown.json"));
  for (const std::string& name : {kCjk, kGreek, kArabic, kEmoji})
    EXPECT_EQ(item(shown, name)["text"].asString(), name);

  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"cjk.json")))["list"]["editing"].asString(), kCjk);
  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"greek.json")))["list"]["editing"].asString(), kGreek);
  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"f2.json")))["list"]["editing"].asString(), kEmoji);
  EXPECT_EQ(pane(JsonValue::parse(host.readFile(L"click.json")))["list"]["editing"].asString(), "竹 bamboo 🎍");

  const JsonValue dump = run.dump();
  EXPECT_EQ(dump["messages"].size(), 0u) << "no name was taken for one with invalid characters";
  EXPECT_TRUE(hasMaterial(dump, kCjk)) << "Enter on the name as it stands keeps it";
  EXPECT_TRUE(hasMaterial(dump, kGreek));
  EXPECT_FALSE(hasMaterial(dump, "Omega")) << "never folded to the code page";
  EXPECT_TRUE(hasMaterial(dump, "سنديان"));
  EXPECT_FALSE(hasMaterial(dump, kArabic));
  EXPECT_TRUE(hasMaterial(dump, "Ωmega β"));
  EXPECT_FALSE(hasMaterial(dump, kEmoji));
  EXPECT_FALSE(hasMaterial(dump, "竹 bamboo 🎍")) << "renamed again by the click";
  for (const std::string& name : {kCjk, kGreek, std::string("سنديان"), std::string("Ωmega β")})
    EXPECT_EQ(item(dump, name)["text"].asString(), name);
}

TEST(BrowserNames, AnEditOvertakenByAReloadOrAnotherDrawingWritesNothing)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Oak\nMATERIAL \"Red plastic\"\n");
  host.writeFile(L"other.mescript", "MATERIAL Birch\nMATERIAL Cherry\n");
  const HostRun run =
    host.run({"MATBROWSEROPEN",
              // New appends its material; the reload sorts it in, so every index
              // after it names another material than before.
              std::string("CLICK ") + kPane + " BUTTON 70", kPause, "ANSWER MENU 1002", rightClick("Red plastic"),
              "TYPE Teak", "THEME DARK", "DUMP {dir}/theme.json", "KEY ENTER",
              // An edit open while another drawing is opened.
              kPause, "ANSWER MENU 1002", rightClick("Oak"), "TYPE Walnut", "OPEN {dir}/other.mescript",
              "DUMP {dir}/open.json", "KEY ENTER", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue theme = JsonValue::parse(host.readFile(L"theme.json"));
  EXPECT_TRUE(pane(theme)["list"]["editing"].isNull()) << "the reload ends the edit";
  const JsonValue open = JsonValue::parse(host.readFile(L"open.json"));
  EXPECT_TRUE(pane(open)["list"]["editing"].isNull()) << "the other drawing ends the edit";

  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 2u);
  std::vector<std::string> all;
  for (const JsonValue& document : dump["documents"].items())
    for (const JsonValue& material : document["materials"].items())
      all.push_back(material["name"].asString());
  for (const char* written : {"Teak", "Walnut"})
    EXPECT_EQ(std::count(all.begin(), all.end(), written), 0) << written << " was given to some material";
  for (const char* kept : {"Oak", "Red plastic", "Default Generic", "Birch", "Cherry"})
    EXPECT_EQ(std::count(all.begin(), all.end(), kept), 1) << kept;
  // A drawing opens whole: its materials come in the dictionary's order.
  EXPECT_EQ(itemTexts(dump), (std::vector<std::string>{"Birch", "Cherry", "Global"})) << "the other drawing's";
  EXPECT_EQ(dump["messages"].size(), 0u);
}
