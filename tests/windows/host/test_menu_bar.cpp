// The host's menu bar and its keys, worked as a user works them: real clicks
// on the bar and on the item of the menu that drops down, real Ctrl+key
// presses. The items run what the command line runs (OPEN, SAVE, SAVEAS,
// CLOSE, QUIT, UNDO, REDO). The close button: test_close_question.cpp.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> texts(const JsonValue& array)
{
  std::vector<std::string> out;
  for (const JsonValue& value : array.items())
    out.push_back(value.asString());
  return out;
}

// The items of a menu of the bar as "text" or "text (greyed)"; "-" for a separator.
std::vector<std::string> menuItems(const JsonValue& dump, std::size_t position)
{
  std::vector<std::string> out;
  for (const JsonValue& item : dump["mainWindow"]["menuBar"][position]["items"].items())
    out.push_back(item.has("separator") ? "-"
                                        : item["text"].asString() + (item["enabled"].asBool() ? "" : " (greyed)"));
  return out;
}

// What the test pane's keyboard got: its key downs ("k83" for S).
std::vector<std::string> paneKeys(const JsonValue& dump)
{
  std::vector<std::string> keys;
  std::istringstream words(dump["profile"]["TestModule"]["input"].asString());
  for (std::string word; words >> word;)
    if (word.rfind("k", 0) == 0)
      keys.push_back(word);
  return keys;
}

const JsonValue* material(const JsonValue& document, const std::string& name)
{
  for (const JsonValue& m : document["materials"].items())
    if (m["name"].asString() == name)
      return &m;
  return nullptr;
}
} // namespace

TEST(HostMenuBar, FileAndEditShowTheirKeysAndGreyWhatNeedsADocument)
{
  HostHarness host;
  const HostRun run = host.run({"DUMP {dir}/empty.json", "OPEN '" HOST_TEST_SAMPLE "'", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue empty = JsonValue::parse(host.readFile(L"empty.json"));
  EXPECT_EQ(empty["mainWindow"]["title"].asString(), "Material editor host");
  EXPECT_EQ(menuItems(empty, 0), (std::vector<std::string>{"&Open...\tCtrl+O", "&Save\tCtrl+S (greyed)",
                                                           "Save &As... (greyed)", "&Close (greyed)", "-", "E&xit"}));
  // Undo and Redo are the command's to refuse: the frame cannot know.
  EXPECT_EQ(menuItems(empty, 1), (std::vector<std::string>{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y"}));

  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["mainWindow"]["menuBar"].size(), 2u);
  EXPECT_EQ(dump["mainWindow"]["menuBar"][0]["text"].asString(), "&File");
  EXPECT_EQ(dump["mainWindow"]["menuBar"][1]["text"].asString(), "&Edit");
  EXPECT_EQ(dump["mainWindow"]["title"].asString(), "sample - Material editor host");
  EXPECT_EQ(menuItems(dump, 0),
            (std::vector<std::string>{"&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "&Close", "-", "E&xit"}));
  EXPECT_TRUE(dump["mainWindow"]["menuCommands"].items().empty()) << "nothing ran from the menu bar";
}

TEST(HostMenuBar, SaveAsFromTheMenuWritesTheDxfAndTheTitleFollows)
{
  HostHarness host;
  HostRun run = host.run({"OPEN '" HOST_TEST_SAMPLE "'", "MATEDIT 'Blue steel' GLOSS 0.25", "ANSWER FILE {dir}/copy",
                          "MENU File \"Save As...\"", "DUMP {dump}", "QUIT"},
                         HostHarness::withoutModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  JsonValue dump = run.dump();
  EXPECT_EQ(texts(dump["mainWindow"]["menuCommands"]), (std::vector<std::string>{"SAVEAS"}));
  ASSERT_EQ(dump["fileDialogs"].size(), 1u);
  EXPECT_TRUE(dump["fileDialogs"][0]["save"].asBool());
  EXPECT_EQ(dump["fileDialogs"][0]["initialName"].asString(), "sample.dxf");
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "copy");
  EXPECT_FALSE(dump["documents"][0]["modified"].asBool());
  EXPECT_EQ(dump["mainWindow"]["title"].asString(), "copy - Material editor host");

  // What was written is the edited drawing, as DXF.
  EXPECT_TRUE(contains(host.readFile(L"copy.dxf"), "AC1021"));
  run = host.run({"OPEN {dir}/copy.dxf", "DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  dump = run.dump();
  const JsonValue* steel = material(dump["documents"][0], "Blue steel");
  ASSERT_NE(steel, nullptr);
  EXPECT_DOUBLE_EQ((*steel)["gloss"].asNumber(), 0.25);
  EXPECT_EQ(dump["mainWindow"]["title"].asString(), "copy - Material editor host");
}

TEST(HostMenuBar, AMissingOrGreyedItemFailsItsLineAndLeavesNoMenuOpen)
{
  HostHarness host;
  const HostRun run =
    host.run({"MENU File Nothing", "MENU View Open...", "MENU File Save", "NEW", "DUMP {dump}", "QUIT"},
             HostHarness::withoutModule());
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, ":1: no item \"Nothing\" in the menu \"File\" (items: \"Open...\", \"Save\", "
                                   "\"Save As...\", \"Close\", \"Exit\")"))
    << run.errors;
  EXPECT_TRUE(contains(run.errors, ":2: no item \"View\" in the menu bar (items: \"File\", \"Edit\")")) << run.errors;
  // No document: Save is greyed, the click would leave the menu open.
  EXPECT_TRUE(contains(run.errors, ":3: the menu item \"Save\" is greyed")) << run.errors;
  // The lines after it ran as usual, with no menu in the way.
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_TRUE(dump["mainWindow"]["menuCommands"].items().empty());
}

TEST(HostMenuBar, OpenFromTheMenuRefusesABrokenFileOnTheStatusLineAsATypedOpenDoes)
{
  HostHarness host;
  host.writeFile(L"broken.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n");
  const HostRun run = host.run({"ANSWER FILE {dir}/broken.dxf", "MENU File Open...", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  // A user's command that fails is no failure of the script.
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(dump["documents"].size(), 0u);
  EXPECT_EQ(texts(dump["mainWindow"]["menuCommands"]), (std::vector<std::string>{"OPEN"}));
  const std::string status = dump["mainWindow"]["status"].asString();
  EXPECT_EQ(status.rfind("Error: ", 0), 0u) << status;
  EXPECT_TRUE(contains(status, "broken.dxf")) << status;
}

TEST(HostMenuBar, CtrlKeysRunTheItemsAndSaveOnANewDocumentAsksForAFile)
{
  HostHarness host;
  // The test pane takes the focus from the command line, which is an edit box.
  const HostRun run = host.run(
    {"NEW", "MATERIAL Steel", "TESTPANE", "CLICK \"Test pane\" AT 40,50", "ANSWER FILE {dir}/new.dxf", "KEY CTRL+S",
     "DUMP {dir}/asked.json", "MATEDIT Steel GLOSS 0.5", "KEY CTRL+S", "DUMP {dir}/saved.json",
     "ANSWER FILE '" HOST_TEST_SAMPLE_DXF "'", "KEY CTRL+O", "KEY CTRL+Z", "KEY CTRL+Y", "DUMP {dump}", "QUIT"},
    host.withTestModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue asked = JsonValue::parse(host.readFile(L"asked.json"));
  ASSERT_EQ(asked["fileDialogs"].size(), 1u) << "Ctrl+S on a document without a DXF file shows the save dialog";
  EXPECT_TRUE(asked["fileDialogs"][0]["save"].asBool());
  EXPECT_EQ(asked["fileDialogs"][0]["initialName"].asString(), "Drawing1.dxf");
  EXPECT_TRUE(contains(asked["fileDialogs"][0]["filter"].asString(), "*.dxf"));
  EXPECT_EQ(asked["documents"][0]["title"].asString(), "new");
  EXPECT_EQ(asked["mainWindow"]["title"].asString(), "new - Material editor host");

  // Now it has its file: Ctrl+S saves into it without asking.
  const JsonValue saved = JsonValue::parse(host.readFile(L"saved.json"));
  EXPECT_EQ(saved["fileDialogs"].size(), 1u);
  EXPECT_FALSE(saved["documents"][0]["modified"].asBool());
  EXPECT_TRUE(contains(host.readFile(L"new.dxf"), "Steel"));

  const JsonValue dump = run.dump();
  EXPECT_EQ(texts(dump["mainWindow"]["menuCommands"]),
            (std::vector<std::string>{"SAVEAS", "SAVE", "OPEN", "UNDO", "REDO"}));
  EXPECT_TRUE(contains(dump["fileDialogs"][1]["filter"].asString(), "*.mescript"));
  ASSERT_EQ(dump["documents"].size(), 2u) << "Ctrl+O opened the file the dialog gave";
  EXPECT_EQ(dump["documents"][1]["title"].asString(), "sample");
  EXPECT_EQ(dump["mainWindow"]["title"].asString(), "sample - Material editor host");
  // The keys became commands: the pane got Ctrl, never the letters.
  for (const std::string& key : paneKeys(dump))
    EXPECT_TRUE(key == "k17") << key;
}

TEST(HostMenuBar, EditSaysWhichStepItTakesBackAndAPalettesNamedStepKeepsItsFirstName)
{
  HostHarness host;
  // TESTGLOSS edits as a command (its step keeps the command's name), then
  // each click in the pane edits as a palette does, naming its step.
  const HostRun run = host.run({"NEW", "MATERIAL Steel", "CMATERIAL Steel", "TESTPANE", "DUMP {dir}/start.json",
                                "TESTGLOSS", "CLICK \"Test pane\" AT 40,50", "DUMP {dir}/named.json", "KEY CTRL+Z",
                                "DUMP {dir}/undone.json", "MENU Edit \"Undo TESTGLOSS\"", "DUMP {dump}", "QUIT"},
                               host.withTestModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto steps = [](const JsonValue& dump, const char* list) { return texts(dump["documents"][0]["undo"][list]); };
  using Texts = std::vector<std::string>;
  const JsonValue start = JsonValue::parse(host.readFile(L"start.json"));
  EXPECT_EQ(menuItems(start, 1), (Texts{"&Undo CMATERIAL\tCtrl+Z", "&Redo\tCtrl+Y"}));

  const JsonValue named = JsonValue::parse(host.readFile(L"named.json"));
  EXPECT_EQ(steps(named, "steps"), (Texts{"Glossiness", "TESTGLOSS", "CMATERIAL", "MATERIAL"}));
  EXPECT_EQ(menuItems(named, 1), (Texts{"&Undo Glossiness\tCtrl+Z", "&Redo\tCtrl+Y"}));

  const JsonValue undone = JsonValue::parse(host.readFile(L"undone.json"));
  EXPECT_EQ(steps(undone, "redo"), (Texts{"Glossiness"}));
  EXPECT_EQ(menuItems(undone, 1), (Texts{"&Undo TESTGLOSS\tCtrl+Z", "&Redo Glossiness\tCtrl+Y"}));

  // The MENU line found its item by the text the real menu showed.
  const JsonValue dump = run.dump();
  EXPECT_EQ(steps(dump, "redo"), (Texts{"TESTGLOSS", "Glossiness"}));
  EXPECT_EQ(menuItems(dump, 1), (Texts{"&Undo CMATERIAL\tCtrl+Z", "&Redo TESTGLOSS\tCtrl+Y"}));
  EXPECT_EQ(texts(dump["mainWindow"]["menuCommands"]), (Texts{"UNDO", "UNDO"}));
}

TEST(HostMenuBar, KeysInTheCommandLineActOnItsText)
{
  HostHarness host;
  // The command line has the focus from the start.
  const HostRun run = host.run({"NEW", "MATERIAL Steel", "TYPE \"SELECT ALL\"", "KEY CTRL+Z", "KEY CTRL+S",
                                "KEY CTRL+O", "KEY CTRL+Y", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_TRUE(dump["mainWindow"]["menuCommands"].items().empty());
  EXPECT_EQ(dump["fileDialogs"].size(), 0u);
  EXPECT_TRUE(dump["documents"][0]["modified"].asBool()) << "nothing was saved";
}
