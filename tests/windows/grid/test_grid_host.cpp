// The host's property grid with a row of every family (gridtestmodule.dll),
// worked through the script verbs by real input: clicks, keys, typed text,
// wheel notches and drags, and the message box and colour dialog that open
// as real windows and are closed by the queued answers.
#include "HostHarness.h"
#include "od/GiImageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{
const char kPane[] = "\"Grid test\"";

std::vector<std::wstring> gridModule()
{
  return {L"/module", HostHarness::buildFolder() + L"\\gridtestmodule.dll"};
}

// NEW, the pane at a known size, the given lines, DUMP, QUIT.
std::vector<std::string> script(std::vector<std::string> lines, int width = 360, int height = 460)
{
  std::vector<std::string> all{"NEW", "TESTGRID",
                               "RESIZE " + std::string(kPane) + " " + std::to_string(width) + "," + std::to_string(height)};
  all.insert(all.end(), lines.begin(), lines.end());
  all.push_back("DUMP {dump}");
  all.push_back("QUIT");
  return all;
}

std::string on(const std::string& verb, const std::string& rest) { return verb + " " + kPane + " " + rest; }

const JsonValue& grid(const JsonValue& dump) { return dump["palettes"]["Grid test"]["grids"][0]; }
const JsonValue& gridRows(const JsonValue& dump) { return grid(dump)["rows"]; }

const JsonValue& row(const JsonValue& dump, const std::string& label)
{
  for (const JsonValue& r : gridRows(dump).items())
    if (r["label"].asString() == label)
      return r;
  throw std::runtime_error("no row " + label);
}

// What the owner holds, and how often it was written.
std::string held(const JsonValue& dump, const std::string& label)
{
  const JsonValue& section = dump["profile"]["GridTest"];
  return section.has(label) ? section[label].asString() : std::string("(unwritten)");
}
int counted(const JsonValue& dump, const std::string& name)
{
  const JsonValue& profile = dump["profile"];
  if (!profile.has("GridTest") || !profile["GridTest"].has(name))
    return 0;
  return int(profile["GridTest"][name].asNumber());
}
int writes(const JsonValue& dump, const std::string& label) { return counted(dump, label + ".writes"); }

// The label of the row the grid's selection is on, or "(none)".
std::string selectedRow(const JsonValue& dump)
{
  for (const JsonValue& r : gridRows(dump).items())
    if (r["selected"].asBool())
      return r["label"].asString();
  return "(none)";
}
} // namespace

TEST(GridHost, RowsStandUnderTheirCategoriesInTheOrderAdded)
{
  HostHarness host;
  const HostRun run = host.run(script({}), gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  std::vector<std::string> labels;
  for (const JsonValue& r : gridRows(dump).items())
    labels.push_back(r["label"].asString());
  const std::vector<std::string> expected{
    "Image.Saved at", "Image.File name", "Scale.Width", "Position.Offset", "Position.Lock", "Position.Rotation",
    "Projection.Type", "Generic.Diffuse", "Generic.Glossiness", "Appearance.Stone colour"};
  EXPECT_EQ(labels, expected);
  EXPECT_EQ(row(dump, "Scale.Width")["text"].asString(), "1.0000");
  EXPECT_EQ(row(dump, "Position.Lock")["text"].asString(), "No");
  EXPECT_EQ(row(dump, "Position.Rotation")["text"].asString(), "90\xc2\xb0");
  EXPECT_EQ(row(dump, "Generic.Glossiness")["text"].asString(), "0%");
  EXPECT_EQ(row(dump, "Appearance.Stone colour")["text"].asString(), "RGB(0,128,255)");
  EXPECT_FALSE(row(dump, "Scale.Width")["editing"].asBool());
  EXPECT_TRUE(row(dump, "Scale.Width")["editorValue"].isNull());
}

TEST(GridHost, ATypedValueIsWrittenOnceOnEnter)
{
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Position.Offset\""), "TYPE \"42\"", "KEY ENTER",
                                       on("CLICK", "ROW \"Scale.Width\""), "TYPE \"2*3\"", "KEY ENTER",
                                       on("CLICK", "ROW \"Image.File name\""), "TYPE \"wood.png\"", "KEY ESC"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Offset"), "42");
  EXPECT_EQ(writes(dump, "Position.Offset"), 1) << "Enter, then the editor's close: one write";
  EXPECT_EQ(row(dump, "Position.Offset")["text"].asString(), "42.0000");
  EXPECT_FALSE(row(dump, "Position.Offset")["editing"].asBool());
  EXPECT_EQ(held(dump, "Scale.Width"), "6") << "an expression goes through the host's evaluator";
  EXPECT_EQ(writes(dump, "Image.File name"), 0) << "Esc cancels";
  EXPECT_EQ(row(dump, "Image.File name")["text"].asString(), "marble.png");
  EXPECT_EQ(dump["messages"].size(), 0u);
}

TEST(GridHost, ARefusedValueShowsItsMessageOnceAndTheFocusLossDoesNotCommitAgain)
{
  HostHarness host;
  const HostRun run = host.run(script({"ANSWER OK", on("CLICK", "ROW \"Position.Offset\""), "TYPE \"150\"",
                                       "KEY ENTER", "DUMP {dir}/during.json", "KEY ESC"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue during = JsonValue::parse(host.readFile(L"during.json"));
  ASSERT_EQ(during["messages"].size(), 1u) << "the box took the focus from the edit box: no second commit";
  EXPECT_EQ(during["messages"][0]["text"].asString(), "Value must be between 0.0000 and 100.0000");
  EXPECT_EQ(during["messages"][0]["icon"].asString(), "exclamation");
  EXPECT_EQ(during["messages"][0]["answer"].asString(), "OK");
  EXPECT_TRUE(during["messages"][0]["tookFocus"].asBool()) << "the edit box really lost the focus to the box";
  ASSERT_EQ(during["events"].size(), 1u);
  EXPECT_EQ(during["events"][0]["code"].asNumber(), 12);
  EXPECT_EQ(during["events"][0]["style"].asNumber(), 7);
  EXPECT_TRUE(row(during, "Position.Offset")["editing"].asBool()) << "the edit box keeps the text and the focus";
  EXPECT_EQ(row(during, "Position.Offset")["editorValue"].asString(), "150");
  EXPECT_EQ(writes(during, "Position.Offset"), 0);

  const JsonValue dump = run.dump();
  EXPECT_EQ(dump["messages"].size(), 1u);
  EXPECT_FALSE(row(dump, "Position.Offset")["editing"].asBool());
  EXPECT_EQ(row(dump, "Position.Offset")["text"].asString(), "10.0000");
  EXPECT_EQ(writes(dump, "Position.Offset"), 0);
}

TEST(GridHost, ASliderWritesAtEveryReleaseWhereverItIsAndEachKeyButNotADragGivenUpWithEsc)
{
  HostHarness host;
  const std::string gloss = "ROW \"Generic.Glossiness\"";
  const HostRun run =
    host.run(script({on("DRAG", gloss + " FROM 3 TO 90 KEY ESC"), "DUMP {dir}/given-up.json",
                     on("DRAG", gloss + " FROM 3 TO 90"), "DUMP {dir}/after-drag.json",
                     // A press away from the thumb, released far outside the slider.
                     on("DRAG", gloss + " FROM 20 TO -200,300"), "DUMP {dir}/outside.json", on("WHEEL", gloss + " -3"),
                     "KEY RIGHT", "KEY PGDN", "DUMP {dir}/keys.json", "KEY END", "KEY HOME", "KEY LEFT"}),
             gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue givenUp = JsonValue::parse(host.readFile(L"given-up.json"));
  EXPECT_EQ(writes(givenUp, "Generic.Glossiness"), 0);
  EXPECT_TRUE(row(givenUp, "Generic.Glossiness")["editing"].asBool()) << "Esc gave up the drag, not the slider";
  EXPECT_EQ(row(givenUp, "Generic.Glossiness")["editorValue"].asString(), "0%") << "the owner's value again";

  const JsonValue afterDrag = JsonValue::parse(host.readFile(L"after-drag.json"));
  EXPECT_EQ(writes(afterDrag, "Generic.Glossiness"), 1) << "many moves, one release";
  const double width = row(afterDrag, "Generic.Glossiness")["cell"][2].asNumber();
  const int dragged = int(std::trunc(90.0 / (width / 100.0)));
  EXPECT_EQ(held(afterDrag, "Generic.Glossiness"), std::to_string(dragged));
  EXPECT_EQ(row(afterDrag, "Generic.Glossiness")["editorValue"].asString(), std::to_string(dragged) + "%");

  const JsonValue outside = JsonValue::parse(host.readFile(L"outside.json"));
  const int jumped = int(std::trunc(20.0 / (width / 100.0)));
  EXPECT_EQ(writes(outside, "Generic.Glossiness"), 2) << "released outside, written all the same";
  EXPECT_EQ(held(outside, "Generic.Glossiness"), std::to_string(jumped));
  EXPECT_EQ(row(outside, "Generic.Glossiness")["editorValue"].asString(), std::to_string(jumped) + "%")
    << "the slider shows what the owner holds";

  // The wheel writes nothing; Right writes its three notches and a step, PgDn ten more.
  const JsonValue keys = JsonValue::parse(host.readFile(L"keys.json"));
  EXPECT_EQ(writes(keys, "Generic.Glossiness"), 4);
  EXPECT_EQ(held(keys, "Generic.Glossiness"), std::to_string(jumped + 14));
  const JsonValue dump = run.dump();
  EXPECT_EQ(writes(dump, "Generic.Glossiness"), 6) << "End and Home; Left at 0 has nothing to write";
  EXPECT_EQ(held(dump, "Generic.Glossiness"), "0");
  EXPECT_TRUE(row(dump, "Generic.Glossiness")["editing"].asBool()) << "the keys leave the slider open";
}

TEST(GridHost, TheWheelOverAClosedListMovesOneItemAndWritesIt)
{
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Projection.Type\""),
                                       on("WHEEL", "ROW \"Projection.Type\" -1"), "DUMP {dir}/one.json",
                                       on("WHEEL", "ROW \"Projection.Type\" 1"),
                                       on("WHEEL", "ROW \"Projection.Type\" 1")}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue one = JsonValue::parse(host.readFile(L"one.json"));
  EXPECT_EQ(held(one, "Projection.Type"), "Box") << "a notch towards the user: the next item";
  EXPECT_EQ(writes(one, "Projection.Type"), 1);
  EXPECT_EQ(row(one, "Projection.Type")["editorValue"].asString(), "Box");
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Projection.Type"), "Planar");
  EXPECT_EQ(writes(dump, "Projection.Type"), 2) << "nothing past the first item";
}

TEST(GridHost, TheColourSelectorOpensTheDialogOnADefaultColourAndWritesOnlyAChange)
{
  HostHarness host;
  const HostRun run = host.run(script({"ANSWER COLOR 255,0,0", on("CLICK", "ROW \"Appearance.Stone colour\""),
                                       "DUMP {dir}/first.json", "ANSWER COLOR 255,0,0",
                                       on("CLICK", "ROW \"Appearance.Stone colour\""), "ANSWER CANCEL",
                                       on("CLICK", "ROW \"Appearance.Stone colour\"")}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue first = JsonValue::parse(host.readFile(L"first.json"));
  ASSERT_EQ(first["colorDialogs"].size(), 1u);
  EXPECT_EQ(first["colorDialogs"][0]["initial"].asString(), "#000000") << "a default colour, not the row's";
  EXPECT_TRUE(first["colorDialogs"][0]["blocksHost"].asBool()) << "modal to the host's window";
  EXPECT_EQ(first["colorDialogs"][0]["answer"].asString(), "#ff0000");
  EXPECT_EQ(held(first, "Appearance.Stone colour"), "RGB(255,0,0)");
  EXPECT_EQ(writes(first, "Appearance.Stone colour"), 1);
  EXPECT_EQ(row(first, "Appearance.Stone colour")["text"].asString(), "RGB(255,0,0)");
  EXPECT_FALSE(row(first, "Appearance.Stone colour")["editing"].asBool()) << "the window lives only for the dialog";

  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["colorDialogs"].size(), 3u);
  EXPECT_TRUE(dump["colorDialogs"][2]["answer"].isNull());
  EXPECT_EQ(writes(dump, "Appearance.Stone colour"), 1) << "the same colour again, then a cancel: no write";
}

TEST(GridHost, ListsAreChosenFromByTheirItemTexts)
{
  HostHarness host;
  const HostRun run = host.run(script({"CHOOSE " + std::string(kPane) + " ROW \"Position.Lock\" \"Yes\"",
                                       "CHOOSE " + std::string(kPane) + " ROW \"Projection.Type\" \"Spherical\"",
                                       "ANSWER COLOR 10,20,30",
                                       "CHOOSE " + std::string(kPane) + " ROW \"Generic.Diffuse\" \"More Colors...\"",
                                       "CHOOSE " + std::string(kPane) + " ROW \"Projection.Type\" \"Nothing\""}),
                               gridModule());
  EXPECT_EQ(run.exitCode, 1) << "the last line names no item";
  EXPECT_NE(run.errors.find("no item \"Nothing\""), std::string::npos) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Lock"), "1");
  EXPECT_EQ(row(dump, "Position.Lock")["text"].asString(), "Yes");
  EXPECT_EQ(held(dump, "Projection.Type"), "Spherical");
  EXPECT_EQ(held(dump, "Generic.Diffuse"), "10,20,30");
  ASSERT_EQ(dump["customColors"].size(), 1u) << "a colour from the dialog joins the custom colours";
  EXPECT_EQ(dump["customColors"][0].asString(), "#0a141e");
  EXPECT_EQ(row(dump, "Generic.Diffuse")["text"].asString(), "10,20,30");
}

TEST(GridHost, TheKeyboardWorksEveryEditor)
{
  HostHarness host;
  const HostRun run = host.run(
    script({// A slider opened from the keyboard takes no press: the pointer rests on its cell.
            on("CLICK", "ROW \"Position.Rotation\" AT -40"), on("HOVER", "ROW \"Position.Rotation\" 50"), "KEY ENTER",
            "DUMP {dir}/slider.json", on("WHEEL", "ROW \"Position.Rotation\" -3"), "KEY ESC",
            // Esc closed it: the grid's arrows work again, and lists close with Esc, Enter and Tab.
            "KEY UP", "KEY ENTER", "DUMP {dir}/lock.json", "KEY ESC", "KEY DOWN 2", "KEY ENTER", "KEY TAB",
            "KEY ENTER", "DUMP {dir}/diffuse.json", "KEY ENTER",
            // Edit boxes commit and move with Tab, Shift+Tab, Up and Down; Esc drops the text.
            on("CLICK", "ROW \"Scale.Width\""), "TYPE \"3\"", "KEY TAB", "KEY ENTER", "TYPE \"4\"", "KEY UP",
            "KEY ENTER", "TYPE \"7\"", "KEY ESC", "KEY DOWN", "KEY ENTER", "TYPE \"6\"", "KEY SHIFT+TAB", "KEY ENTER",
            "TYPE \"8\"", "KEY DOWN", "KEY ENTER", "TYPE \"9\"", "KEY ENTER",
            // The text row's button: Enter presses it, Esc closes it.
            on("CLICK", "ROW \"Image.Saved at\" AT -40"), "KEY ENTER", "KEY ENTER", "KEY ESC", "DUMP {dir}/button.json",
            // The slider moves with Down; a slider opened so, then a click on another row, writes nothing.
            "KEY DOWN 5", "KEY ENTER", "KEY DOWN", "KEY ENTER", "KEY ESC", on("CLICK", "ROW \"Generic.Glossiness\""),
            on("CLICK", "ROW \"Generic.Glossiness\" AT -40"), on("HOVER", "ROW \"Generic.Glossiness\" 50"),
            "KEY ENTER", on("CLICK", "ROW \"Image.File name\"")}),
    gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue slider = JsonValue::parse(host.readFile(L"slider.json"));
  EXPECT_TRUE(row(slider, "Position.Rotation")["editing"].asBool());
  EXPECT_EQ(row(slider, "Position.Rotation")["editorValue"].asString(), "90\xc2\xb0")
    << "no press made up at the pointer: the slider shows what the drawing holds";
  EXPECT_TRUE(row(JsonValue::parse(host.readFile(L"lock.json")), "Position.Lock")["editing"].asBool());
  const JsonValue diffuse = JsonValue::parse(host.readFile(L"diffuse.json"));
  EXPECT_TRUE(row(diffuse, "Generic.Diffuse")["editing"].asBool()) << "Tab from the projection list moved on";
  EXPECT_FALSE(row(diffuse, "Projection.Type")["editing"].asBool());
  const JsonValue button = JsonValue::parse(host.readFile(L"button.json"));
  EXPECT_EQ(held(button, "actions"), "pressed");
  EXPECT_FALSE(row(button, "Image.Saved at")["editing"].asBool());

  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Scale.Width"), "8");
  EXPECT_EQ(writes(dump, "Scale.Width"), 2) << "3 by Tab, 8 by Down; the 7 was dropped by Esc";
  EXPECT_EQ(held(dump, "Position.Offset"), "9");
  EXPECT_EQ(writes(dump, "Position.Offset"), 3) << "4 by Up, 6 by Shift+Tab, 9 by Enter";
  for (const char* untouched : {"Position.Rotation", "Position.Lock", "Projection.Type", "Generic.Diffuse"})
    EXPECT_EQ(writes(dump, untouched), 0) << untouched << ": closing with a key writes nothing";
  EXPECT_EQ(writes(dump, "Generic.Glossiness"), 1) << "only the click on the slider itself";
  EXPECT_FALSE(row(dump, "Generic.Glossiness")["editing"].asBool()) << "the click on another row closed the slider";
  EXPECT_TRUE(row(dump, "Image.File name")["editing"].asBool()) << "and opened that row";
  EXPECT_EQ(dump["messages"].size(), 0u);
}

TEST(GridHost, APaletteMayBuildItsRowsAgainFromInsideASetter)
{
  HostHarness host;
  const HostRun run = host.run(
    script({"TESTGRIDREBUILD", on("CLICK", "ROW \"Position.Offset\""), "TYPE \"42\"", "KEY ENTER",
            on("CLICK", "ROW \"Scale.Width\""), "TYPE \"5\"", "KEY TAB",
            "CHOOSE " + std::string(kPane) + " ROW \"Projection.Type\" \"Box\"", on("CLICK", "ROW \"Position.Lock\""),
            on("WHEEL", "ROW \"Position.Lock\" 1"), on("CLICK", "ROW \"Generic.Glossiness\" AT 30"),
            on("DRAG", "ROW \"Position.Rotation\" FROM 10 TO 60"), "ANSWER COLOR 255,0,0",
            on("CLICK", "ROW \"Appearance.Stone colour\""), on("CLICK", "ROW \"Image.File name\""),
            "TYPE \"wood.png\"", on("CLICK", "ROW \"Scale.Width\""), "DUMP {dir}/rebuilt.json", "KEY ESC",
            "TESTGRIDREBUILD", on("CLICK", "ROW \"Position.Offset\""), "TYPE \"7\"", "KEY ENTER"}),
    gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue rebuilt = JsonValue::parse(host.readFile(L"rebuilt.json"));
  EXPECT_EQ(held(rebuilt, "Position.Offset"), "42");
  EXPECT_EQ(held(rebuilt, "Scale.Width"), "5");
  EXPECT_EQ(held(rebuilt, "Projection.Type"), "Box");
  EXPECT_EQ(held(rebuilt, "Position.Lock"), "1");
  EXPECT_EQ(held(rebuilt, "Appearance.Stone colour"), "RGB(255,0,0)");
  EXPECT_EQ(held(rebuilt, "Image.File name"), "wood.png") << "committed as the focus left it";
  int total = 0;
  for (const char* label : {"Position.Offset", "Scale.Width", "Projection.Type", "Position.Lock", "Generic.Glossiness",
                            "Position.Rotation", "Appearance.Stone colour", "Image.File name"})
  {
    EXPECT_EQ(writes(rebuilt, label), 1) << label;
    total += writes(rebuilt, label);
  }
  EXPECT_EQ(writes(rebuilt, "rebuilds"), total) << "each write built the rows again";
  EXPECT_EQ(gridRows(rebuilt).size(), 10u);
  EXPECT_TRUE(row(rebuilt, "Scale.Width")["editing"].asBool()) << "the click after the commit opened the new row";
  EXPECT_EQ(rebuilt["messages"].size(), 0u);

  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Offset"), "7") << "the new rows work as the old ones did";
  EXPECT_FALSE(row(dump, "Position.Offset")["editing"].asBool());
}

TEST(GridHost, TheTextRowsButtonRunsTheOwnersAction)
{
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Image.Saved at\""), "DUMP {dir}/open.json",
                                       on("CLICK", "EDITOR")}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue open = JsonValue::parse(host.readFile(L"open.json"));
  EXPECT_TRUE(row(open, "Image.Saved at")["editing"].asBool());
  EXPECT_EQ(held(run.dump(), "actions"), "pressed");
}

TEST(GridHost, StrangeTextsAreRefusedOrKeptAsTheyAre)
{
  HostHarness host;
  const std::string x1500(1500, 'x');
  const std::string long10000 = "0." + std::string(9998, '7');
  const std::vector<std::string> items{"Planar", "Box", "Cylindrical", "Spherical"};
  const auto paste = [](const std::string& label, const std::string& text) {
    return std::vector<std::string>{on("CLICK", "ROW \"" + label + "\""), "PASTE \"" + text + "\""};
  };
  std::vector<std::string> lines;
  const auto add = [&lines](std::vector<std::string> more) { lines.insert(lines.end(), more.begin(), more.end()); };
  // Text rows: 1,500 characters, then control characters.
  add(paste("Image.File name", x1500));
  add({"DUMP {dir}/long.json", "KEY ENTER"});
  add(paste("Image.File name", "a\\u0001\\u0007%s%n\\tb"));
  add({"DUMP {dir}/control.json", "KEY ENTER"});
  // Real rows: 10,000 characters, "nan", "1e400", "%s%n", and nothing at all.
  add(paste("Scale.Width", long10000));
  add({"KEY ENTER", "ANSWER OK"});
  add(paste("Scale.Width", "nan"));
  add({"KEY ENTER", "KEY ESC", "ANSWER OK"});
  add(paste("Scale.Width", "1e400"));
  add({"KEY ENTER", "KEY ESC", "ANSWER OK"});
  add(paste("Position.Offset", "%s%n"));
  add({"KEY ENTER", "KEY ESC"});
  add(paste("Position.Offset", ""));
  add({"KEY DELETE", "KEY ENTER", "DUMP {dir}/empty.json", "KEY ESC"});
  // The editors without text get the same keys and pastes (opened from the keyboard).
  for (const std::string label : {"Projection.Type", "Position.Lock", "Generic.Diffuse", "Position.Rotation", "Image.Saved at"})
    add({on("CLICK", "ROW \"" + label + "\" AT -40"), "KEY ENTER", "PASTE \"%s%n\"",
         "TYPE \"%s%n\\u0001\\u001b1e400 nan\"", "KEY ESC"});
  const HostRun run = host.run(script(lines), gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  const JsonValue longText = JsonValue::parse(host.readFile(L"long.json"));
  EXPECT_EQ(row(longText, "Image.File name")["editorValue"].asString(), std::string(260, 'x'))
    << "the box takes no more than the commit reads";
  const JsonValue control = JsonValue::parse(host.readFile(L"control.json"));
  const std::string pasted = row(control, "Image.File name")["editorValue"].asString();
  EXPECT_EQ(pasted.substr(0, 1), "a");
  EXPECT_NE(pasted.find("%s%n"), std::string::npos);
  const JsonValue empty = JsonValue::parse(host.readFile(L"empty.json"));
  EXPECT_TRUE(row(empty, "Position.Offset")["editing"].asBool()) << "an empty text is refused without a message";

  const JsonValue dump = run.dump();
  std::vector<std::string> shown;
  for (const JsonValue& message : dump["messages"].items())
    shown.push_back(message["text"].asString());
  const std::vector<std::string> expected{"Invalid expression: nan", "Invalid expression: 1e400",
                                          "Invalid expression: %s%n"};
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(held(dump, "Image.File name"), pasted) << "kept as it was pasted";
  EXPECT_EQ(writes(dump, "Image.File name"), 2);
  EXPECT_EQ(held(dump, "Scale.Width"), "0.777778") << "the first 260 characters of the number";
  EXPECT_EQ(writes(dump, "Scale.Width"), 1);
  EXPECT_EQ(writes(dump, "Position.Offset"), 0);
  EXPECT_EQ(writes(dump, "Position.Rotation"), 0);
  EXPECT_EQ(writes(dump, "Generic.Diffuse"), 0);
  const std::string projection = held(dump, "Projection.Type");
  EXPECT_TRUE(projection == "(unwritten)" || std::find(items.begin(), items.end(), projection) != items.end())
    << projection;
  const std::string lock = held(dump, "Position.Lock");
  EXPECT_TRUE(lock == "(unwritten)" || lock == "0" || lock == "1") << lock;
  for (const JsonValue& r : gridRows(dump).items())
    EXPECT_FALSE(r["editing"].asBool()) << r["label"].asString();
}

TEST(GridHost, AClickElsewhereWithARefusedValueShowsTheMessageOnceAndKeepsTheEditor)
{
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Position.Offset\""), "TYPE \"-5\"",
                                       on("CLICK", "ROW \"Scale.Width\""), "DUMP {dir}/kept.json", "KEY ESC",
                                       on("CLICK", "ROW \"Scale.Width\"")}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue kept = JsonValue::parse(host.readFile(L"kept.json"));
  ASSERT_EQ(kept["messages"].size(), 1u) << "the click's focus change commits once";
  EXPECT_TRUE(kept["messages"][0]["tookFocus"].asBool());
  EXPECT_TRUE(row(kept, "Position.Offset")["editing"].asBool());
  EXPECT_FALSE(row(kept, "Scale.Width")["editing"].asBool()) << "the other row's editor did not open";
  const JsonValue dump = run.dump();
  EXPECT_TRUE(row(dump, "Scale.Width")["editing"].asBool()) << "after Esc the click opens it";
  EXPECT_EQ(dump["messages"].size(), 1u);
  EXPECT_EQ(writes(dump, "Position.Offset"), 0);
}

TEST(GridHost, ARowOutOfSightIsScrolledToWithTheWheelAndAnEditorThatKeepsItsValueStopsTheScrolling)
{
  // A short pane: the lower rows lie below the grid's visible part.
  HostHarness host;
  const HostRun run = host.run(script({"DUMP {dir}/top.json", on("CLICK", "ROW \"Generic.Diffuse\""),
                                       "DUMP {dir}/down.json", on("CLICK", "ROW \"Image.File name\""),
                                       "DUMP {dir}/up.json", on("CLICK", "ROW \"Position.Offset\""), "TYPE \"150\"",
                                       "ANSWER OK", on("CLICK", "ROW \"Appearance.Stone colour\"")},
                                      360, 150),
                               gridModule());
  EXPECT_EQ(run.exitCode, 1) << "the last line cannot scroll";
  EXPECT_NE(run.errors.find("the grid does not scroll on towards \"Appearance.Stone colour\" with the wheel"),
            std::string::npos)
    << run.errors;
  const auto at = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };
  const JsonValue top = at(L"top.json");
  ASSERT_FALSE(row(top, "Generic.Diffuse")["inSight"].asBool()) << "the test needs the row out of sight";
  ASSERT_TRUE(row(top, "Image.Saved at")["inSight"].asBool());

  const JsonValue down = at(L"down.json");
  EXPECT_TRUE(row(down, "Generic.Diffuse")["editing"].asBool()) << "scrolled to, then clicked";
  EXPECT_TRUE(row(down, "Generic.Diffuse")["inSight"].asBool());
  EXPECT_FALSE(row(down, "Image.Saved at")["inSight"].asBool()) << "the grid is scrolled";
  EXPECT_LT(row(down, "Image.Saved at")["cell"][1].asNumber(), 0);
  EXPECT_LT(counted(down, "wheel notches"), 0) << "notches towards the user";
  EXPECT_EQ(counted(down, "scroll messages"), 0) << "the wheel, not the scroll bar's messages";
  EXPECT_EQ(writes(down, "Generic.Diffuse"), 0);

  const JsonValue up = at(L"up.json");
  EXPECT_TRUE(row(up, "Image.File name")["editing"].asBool());
  EXPECT_TRUE(row(up, "Image.File name")["inSight"].asBool());
  EXPECT_FALSE(row(up, "Generic.Diffuse")["editing"].asBool()) << "the wheel closed the list";
  EXPECT_EQ(counted(up, "wheel notches"), 0) << "as many notches back up";
  EXPECT_EQ(counted(up, "scroll messages"), 0);

  // The edit box keeps a refused value and the focus: the grid does not
  // scroll away from it, and nothing else is clicked.
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["messages"].size(), 1u);
  EXPECT_EQ(dump["messages"][0]["text"].asString(), "Value must be between 0.0000 and 100.0000");
  EXPECT_TRUE(row(dump, "Position.Offset")["editing"].asBool());
  EXPECT_TRUE(row(dump, "Position.Offset")["inSight"].asBool());
  EXPECT_EQ(dump["colorDialogs"].size(), 0u) << "the stone colour was not reached";
  EXPECT_EQ(writes(dump, "Position.Offset"), 0);
}

TEST(GridHost, KeysMoveOnFromTheSameRowWhenACommitBuildsTheRowsAgain)
{
  HostHarness host;
  const HostRun run = host.run(script({"TESTGRIDREBUILD", on("CLICK", "ROW \"Scale.Width\""), "TYPE \"5\"", "KEY TAB",
                                       "DUMP {dir}/tab.json", "KEY ENTER", "TYPE \"7\"", "KEY SHIFT+TAB",
                                       "DUMP {dir}/back.json", "KEY DOWN", "KEY ENTER", "TYPE \"42\"", "KEY ENTER",
                                       "DUMP {dir}/enter.json", "KEY DOWN"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto at = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };
  const JsonValue tab = at(L"tab.json");
  ASSERT_EQ(writes(tab, "rebuilds"), 1) << "the commit built the rows again";
  EXPECT_EQ(held(tab, "Scale.Width"), "5");
  EXPECT_EQ(selectedRow(tab), "Position.Offset") << "Tab went on to the row after the width in the new rows";
  EXPECT_TRUE(grid(tab)["focus"].asBool());
  EXPECT_TRUE(grid(tab)["editor"].isNull());

  const JsonValue back = at(L"back.json");
  EXPECT_EQ(held(back, "Position.Offset"), "7") << "Enter opened the row Tab went to";
  EXPECT_EQ(selectedRow(back), "Scale.Width") << "Shift+Tab went back";

  const JsonValue enter = at(L"enter.json");
  EXPECT_EQ(held(enter, "Position.Offset"), "42");
  EXPECT_EQ(selectedRow(enter), "Position.Offset") << "Enter stays on its row";
  EXPECT_TRUE(grid(enter)["focus"].asBool());

  const JsonValue dump = run.dump();
  EXPECT_EQ(selectedRow(dump), "Position.Lock") << "and the arrows go on from there";
  EXPECT_EQ(writes(dump, "rebuilds"), 3);
  EXPECT_EQ(dump["messages"].size(), 0u);
}

TEST(GridHost, ADialogsResetOfTheListBoxEmptiesTheGrid)
{
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Image.File name\""), "TYPE \"wood.png\"", "TESTGRIDRESET",
                                       "DUMP {dir}/reset.json", "TESTGRIDREBUILD", on("CLICK", "ROW \"Position.Offset\""),
                                       "TYPE \"42\"", "KEY TAB"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  for (const char* name : {"reset.json", "end"})
  {
    const JsonValue dump = name == std::string("end") ? run.dump() : JsonValue::parse(host.readFile(L"reset.json"));
    ASSERT_EQ(gridRows(dump).size(), 10u) << name;
    for (const JsonValue& r : gridRows(dump).items())
    {
      const std::string label = r["label"].asString();
      EXPECT_EQ(r["group"].isNull() ? std::string("(none)") : r["group"].asString(), label.substr(0, label.find('.')))
        << name << ": the header lines came back";
    }
    EXPECT_TRUE(grid(dump)["editor"].isNull()) << name << ": no editor left over a row that went";
  }
  const JsonValue reset = JsonValue::parse(host.readFile(L"reset.json"));
  EXPECT_EQ(held(reset, "Image.File name"), "wood.png") << "committed as the editor closed";
  EXPECT_EQ(writes(reset, "Image.File name"), 1);
  EXPECT_EQ(writes(reset, "rebuilds"), 1);
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Offset"), "42");
  EXPECT_EQ(selectedRow(dump), "Position.Lock");
}

TEST(GridHost, AnEditorClosedByAClickOutsideTheGridLeavesTheFocusThere)
{
  // Right of the docked pane lies the host's drawing view, which takes the
  // focus when clicked.
  HostHarness host;
  const std::string outside = on("CLICK", "AT 420,100");
  const HostRun run = host.run(script({on("CLICK", "ROW \"Image.File name\""), "TYPE \"wood.png\"", outside,
                                       "DUMP {dir}/edit.json", on("CLICK", "ROW \"Projection.Type\""), outside,
                                       "DUMP {dir}/list.json", on("CLICK", "ROW \"Position.Rotation\" AT -40"),
                                       "KEY ENTER", outside}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue edit = JsonValue::parse(host.readFile(L"edit.json"));
  EXPECT_EQ(held(edit, "Image.File name"), "wood.png");
  EXPECT_EQ(writes(edit, "Image.File name"), 1);
  EXPECT_TRUE(grid(edit)["editor"].isNull());
  EXPECT_FALSE(grid(edit)["focus"].asBool()) << "the click put the focus outside the grid";
  const JsonValue list = JsonValue::parse(host.readFile(L"list.json"));
  EXPECT_TRUE(grid(list)["editor"].isNull());
  EXPECT_FALSE(grid(list)["focus"].asBool());
  const JsonValue dump = run.dump();
  EXPECT_TRUE(grid(dump)["editor"].isNull());
  EXPECT_FALSE(grid(dump)["focus"].asBool());
  EXPECT_EQ(writes(dump, "Position.Rotation"), 0);
}

TEST(GridHost, MovingUpToTheFirstRowOfAGroupBringsItsHeaderLineIntoSight)
{
  // A short pane, scrolled to the end with the keys, then back up.
  HostHarness host;
  const HostRun run = host.run(script({"DUMP {dir}/top.json", on("CLICK", "ROW \"Scale.Width\" AT -40"), "KEY END",
                                       "KEY UP 6", "DUMP {dir}/up.json", "KEY HOME"},
                                      360, 150),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue top = JsonValue::parse(host.readFile(L"top.json"));
  const JsonValue up = JsonValue::parse(host.readFile(L"up.json"));
  ASSERT_EQ(selectedRow(up), "Position.Offset");
  const double rowHeight = row(top, "Position.Lock")["cell"][1].asNumber() - row(top, "Position.Offset")["cell"][1].asNumber();
  EXPECT_GE(row(up, "Position.Offset")["cell"][1].asNumber(), rowHeight) << "the line \"Position\" above it shows";
  const JsonValue dump = run.dump();
  ASSERT_EQ(selectedRow(dump), "Image.Saved at");
  EXPECT_EQ(row(dump, "Image.Saved at")["cell"][1].asNumber(), row(top, "Image.Saved at")["cell"][1].asNumber())
    << "scrolled back to the top, the line \"Image\" showing";
}

TEST(GridHost, KeysMoveOnByPlaceWhenTheRebuiltRowHasAnotherLabel)
{
  HostHarness host;
  const HostRun run = host.run(script({"TESTGRIDREBUILD", "TESTGRIDRENAME", on("CLICK", "ROW \"Scale.Width\""),
                                       "TYPE \"5\"", "KEY TAB", "DUMP {dir}/tab.json", "KEY ENTER", "TYPE \"7\"",
                                       "KEY SHIFT+TAB"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue tab = JsonValue::parse(host.readFile(L"tab.json"));
  ASSERT_EQ(gridRows(tab)[2]["label"].asString(), "Scale.Width*") << "the width's row has a new label";
  EXPECT_EQ(selectedRow(tab), "Position.Offset") << "the row after the width's place";
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Offset"), "7");
  EXPECT_EQ(selectedRow(dump), "Scale.Width*") << "the row before the offset's place";
}

TEST(GridHost, ARebuildKeepsTheSelectedRowAndTheScrollPosition)
{
  // A short pane: the grid is taller than its window and is scrolled down
  // to the glossiness row by the click's wheel notches.
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Generic.Glossiness\" AT -40"), "DUMP {dir}/before.json",
                                       "TESTGRIDREBUILDNOW", "DUMP {dir}/after.json", "KEY UP"},
                                      360, 150),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = JsonValue::parse(host.readFile(L"before.json"));
  const JsonValue after = JsonValue::parse(host.readFile(L"after.json"));
  ASSERT_EQ(selectedRow(before), "Generic.Glossiness");
  ASSERT_FALSE(row(before, "Image.Saved at")["inSight"].asBool()) << "the test needs the grid scrolled";
  EXPECT_EQ(writes(after, "rebuilds"), 1);
  EXPECT_EQ(selectedRow(after), "Generic.Glossiness") << "the row of the same label among the new rows";
  for (const JsonValue& r : gridRows(before).items())
  {
    const std::string label = r["label"].asString();
    EXPECT_EQ(row(after, label)["cell"][1].asNumber(), r["cell"][1].asNumber()) << label << ": not scrolled";
  }
  EXPECT_TRUE(grid(after)["editor"].isNull());
  EXPECT_EQ(selectedRow(run.dump()), "Generic.Diffuse") << "the keys go on from the kept row";
}

TEST(GridHost, ARowAddedWhileAnEditorIsOpenLeavesTheEditorOverItsOwnRow)
{
  HostHarness host;
  const HostRun run = host.run(script({"TESTGRIDADDONWRITE", on("CLICK", "ROW \"Projection.Type\""),
                                       "DUMP {dir}/open.json", on("WHEEL", "ROW \"Projection.Type\" -1"),
                                       "DUMP {dir}/added.json", on("WHEEL", "ROW \"Projection.Type\" -1")}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue open = JsonValue::parse(host.readFile(L"open.json"));
  const JsonValue& opened = row(open, "Projection.Type");
  ASSERT_TRUE(opened["editing"].asBool());
  EXPECT_EQ(opened["editorCell"][1].asNumber(), opened["cell"][1].asNumber());

  for (const JsonValue& dump : {JsonValue::parse(host.readFile(L"added.json")), run.dump()})
  {
    const JsonValue& edited = row(dump, "Projection.Type");
    ASSERT_TRUE(edited["editing"].asBool()) << "a list stays open after a wheel notch";
    EXPECT_GT(edited["cell"][1].asNumber(), opened["cell"][1].asNumber()) << "the new row stands above it";
    EXPECT_EQ(edited["editorCell"][1].asNumber(), edited["cell"][1].asNumber()) << "the editor went down with its row";
    EXPECT_EQ(edited["editorCell"][0].asNumber(), opened["editorCell"][0].asNumber());
    EXPECT_EQ(edited["editorCell"][3].asNumber(), opened["editorCell"][3].asNumber()) << "its size kept";
    for (const JsonValue& r : gridRows(dump).items())
      EXPECT_EQ(r["editing"].asBool(), r["label"].asString() == "Projection.Type") << r["label"].asString();
  }
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Projection.Type"), "Cylindrical") << "the second notch reached the list where it now is";
  EXPECT_EQ(row(dump, "Image.Extra 2")["group"].asString(), "Image");
}

TEST(GridHost, ACharacterTypedOnASelectedRowOpensItsEditorWithIt)
{
  HostHarness host;
  const HostRun run =
    host.run(script({on("CLICK", "ROW \"Position.Offset\" AT -40"), "DUMP {dir}/selected.json", "TYPE \"7\"",
                     "DUMP {dir}/typed.json", "TYPE \"5\"", "KEY ENTER", on("CLICK", "ROW \"Image.File name\" AT -40"),
                     "KEY BACKSPACE", "DUMP {dir}/backspace.json", "TYPE \"w\"", "KEY ESC"}),
             gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue selected = JsonValue::parse(host.readFile(L"selected.json"));
  ASSERT_EQ(selectedRow(selected), "Position.Offset");
  ASSERT_TRUE(grid(selected)["editor"].isNull()) << "a click on the label only selects";
  const JsonValue typed = JsonValue::parse(host.readFile(L"typed.json"));
  EXPECT_TRUE(row(typed, "Position.Offset")["editing"].asBool());
  EXPECT_EQ(row(typed, "Position.Offset")["editorValue"].asString(), "7") << "the character replaced the old text";
  const JsonValue backspace = JsonValue::parse(host.readFile(L"backspace.json"));
  EXPECT_TRUE(grid(backspace)["editor"].isNull()) << "a control key opens nothing";

  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Offset"), "75");
  EXPECT_EQ(writes(dump, "Position.Offset"), 1);
  EXPECT_EQ(writes(dump, "Image.File name"), 0) << "Esc drops what was typed";
  EXPECT_EQ(row(dump, "Image.File name")["text"].asString(), "marble.png");
}

TEST(GridHost, ADoubleClickOnALabelOpensTheRowsEditor)
{
  HostHarness host;
  const HostRun run = host.run(
    script({on("CLICK", "ROW \"Position.Offset\" AT -40"), "DUMP {dir}/single.json",
            on("CLICK", "ROW \"Scale.Width\" DOUBLE AT -40"), "DUMP {dir}/double.json", "TYPE \"3\"", "KEY ENTER"}),
    gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue single = JsonValue::parse(host.readFile(L"single.json"));
  EXPECT_TRUE(grid(single)["editor"].isNull()) << "one click on a label selects the row only";
  const JsonValue twice = JsonValue::parse(host.readFile(L"double.json"));
  EXPECT_EQ(grid(twice)["editor"].asString(), "Scale.Width");
  EXPECT_EQ(selectedRow(twice), "Scale.Width");
  EXPECT_TRUE(grid(twice)["focus"].asBool());
  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Scale.Width"), "3") << "the edit box took the typing";
  EXPECT_EQ(writes(dump, "Scale.Width"), 1);
}

TEST(GridHost, ACommitOnTheSwitchToAnotherApplicationLeavesTheFocusThere)
{
  HostHarness host;
  const HostRun run = host.run(script({on("CLICK", "ROW \"Image.File name\""), "TYPE \"wood.png\"", "OTHERAPP",
                                       "DUMP {dir}/away.json", on("CLICK", "ROW \"Position.Offset\""), "TYPE \"42\"",
                                       "OTHERAPP", "WAIT 200"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue away = JsonValue::parse(host.readFile(L"away.json"));
  EXPECT_EQ(held(away, "Image.File name"), "wood.png") << "committed as the edit box lost the focus";
  EXPECT_EQ(writes(away, "Image.File name"), 1);
  EXPECT_TRUE(away["otherApplication"]["active"].asBool()) << "the commit did not take the activation back";
  EXPECT_FALSE(grid(away)["focus"].asBool());
  EXPECT_TRUE(grid(away)["editor"].isNull());

  const JsonValue dump = run.dump();
  EXPECT_EQ(held(dump, "Position.Offset"), "42") << "the host works again after a click in it";
  EXPECT_TRUE(dump["otherApplication"]["active"].asBool()) << "a second time too";
  EXPECT_FALSE(grid(dump)["focus"].asBool());
}

namespace
{
// A picture of the host window, taken with SCREENSHOT.
struct Screen
{
  std::shared_ptr<const OdGsDecodedImage> image;
  const OdUInt8* at(int x, int y) const { return &image->rgba[(std::size_t(y) * image->width + std::size_t(x)) * 4]; }
};
Screen screen(const HostHarness& host, const wchar_t* name)
{
  const OdGiImageLoadResult shot = odgiLoadImageFile(host.file(name).c_str());
  if (!shot.image)
    throw std::runtime_error("no screenshot: " + shot.reason.toUtf8());
  return {shot.image};
}

// The topmost pixel row of the row's value cell with text on it (three dark
// pixels or more, so that a caret's thin line does not count), or -1.
int firstTextRow(const Screen& shot, const JsonValue& dump, const std::string& label)
{
  const JsonValue& cell = row(dump, label)["cell"];
  const int left = int(grid(dump)["origin"][0].asNumber() + cell[0].asNumber());
  const int top = int(grid(dump)["origin"][1].asNumber() + cell[1].asNumber());
  for (int y = top; y < top + int(cell[3].asNumber()); ++y)
  {
    int dark = 0;
    for (int x = left + 3; x < left + int(cell[2].asNumber()) - 3; ++x)
      dark += std::max({shot.at(x, y)[0], shot.at(x, y)[1], shot.at(x, y)[2]}) < 100;
    if (dark >= 3)
      return y - top;
  }
  return -1;
}
} // namespace

TEST(GridHost, TheEditBoxTextStaysWhereTheCellShowedItAndSwatchesKeepTheirOutlineWhenDark)
{
  HostHarness host;
  const HostRun run = host.run(script({"WAIT 200", "DUMP {dir}/before.json", "SCREENSHOT {dir}/before.png",
                                       on("CLICK", "ROW \"Scale.Width\""), "KEY END", "WAIT 100",
                                       "DUMP {dir}/open.json", "SCREENSHOT {dir}/open.png", "KEY ESC",
                                       "THEME DARK", "WAIT 200", "SCREENSHOT {dir}/dark.png"}),
                               gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = JsonValue::parse(host.readFile(L"before.json"));
  const JsonValue open = JsonValue::parse(host.readFile(L"open.json"));
  ASSERT_TRUE(row(open, "Scale.Width")["editing"].asBool());
  const int shown = firstTextRow(screen(host, L"before.png"), before, "Scale.Width");
  const int edited = firstTextRow(screen(host, L"open.png"), open, "Scale.Width");
  ASSERT_GE(shown, 0);
  ASSERT_GE(edited, 0);
  EXPECT_LE(std::abs(edited - shown), 1) << "the text jumps when the editor opens";

  // The colour list's swatch of the diffuse row (index colour 1, red): a
  // 10-pixel square 2 pixels into the cell, outlined in the text's colour,
  // not in black on the dark grey. The name begins 2 pixels after it.
  const JsonValue dump = run.dump();
  const Screen dark = screen(host, L"dark.png");
  const JsonValue& cell = row(dump, "Generic.Diffuse")["cell"];
  const int left = int(grid(dump)["origin"][0].asNumber() + cell[0].asNumber());
  const int top = int(grid(dump)["origin"][1].asNumber() + cell[1].asNumber());
  int outline = 0;
  for (int y = top; y < top + int(cell[3].asNumber()); ++y)
    for (int x = left; x < left + 13; ++x)
      outline += std::min({dark.at(x, y)[0], dark.at(x, y)[1], dark.at(x, y)[2]}) > 150;
  EXPECT_GE(outline, 20) << "the swatch's outline is not to be seen";
}

TEST(GridHost, ATextItsCellCutsShowsWholeInATipOverTheCellAndAShortOneShowsNone)
{
  HostHarness host;
  // Not ASCII only: the tip is set and shown with wide strings.
  const std::string name = "a long file name \xce\xa9 that no narrow cell shows whole.png";
  const HostRun run = host.run(
    script({on("CLICK", "ROW \"Image.File name\""), "TYPE \"" + name + "\"", "KEY ENTER",
            on("HOVER", "ROW \"Image.File name\""), "DUMP {dir}/cut.json", on("HOVER", "ROW \"Position.Lock\"")},
           220),
    gridModule());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue cut = JsonValue::parse(host.readFile(L"cut.json"));
  ASSERT_EQ(row(cut, "Image.File name")["text"].asString(), name);
  EXPECT_EQ(row(cut, "Image.File name")["tip"].asString(), name);
  EXPECT_EQ(grid(cut)["toolTip"].asString(), name) << "the tip shows while the pointer rests on the cell";
  const JsonValue dump = run.dump();
  EXPECT_TRUE(row(dump, "Position.Lock")["tip"].isNull()) << row(dump, "Position.Lock")["text"].asString();
  EXPECT_TRUE(grid(dump)["toolTip"].isNull()) << "over a text that fits, no tip shows";
  EXPECT_EQ(row(dump, "Image.File name")["tip"].asString(), name);
}
