// The Texture editor's rows as a user types into them: the position with
// its axis lock, the lock switched on and off, the scale with its aspect
// lock, widths that are ignored or refused, the rows of a file that moved,
// the rotation's whole degrees, and values at the limits (taken, or refused
// with a message and the drawing unchanged).
#include "TextureRun.h"

#include <cmath>

using namespace texturetest;

namespace
{
void expectPair(const JsonValue& values, double x, double y, const char* what)
{
  ASSERT_EQ(values.size(), 2u) << what;
  EXPECT_NEAR(values[0].asNumber(), x, 1e-6) << what;
  EXPECT_NEAR(values[1].asNumber(), y, 1e-6) << what;
}

std::string checkerLine(const std::string& name, const std::string& options)
{
  return "MATERIAL " + name + " MAP FILE '" + sampleTextures() + "/checker.png' " + options + "\n";
}

// A run that opens the Steel's map in the Texture editor and works its rows.
HostRun workRows(HostHarness& host, const std::string& drawingLines, const std::vector<std::string>& lines,
                 const std::vector<std::wstring>& arguments = {})
{
  std::vector<std::wstring> all{drawing(host, drawingLines)};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Steel") + lines +
                    std::vector<std::string>{"DUMP {dump}", "QUIT"},
                  all);
}
} // namespace

TEST(TextureEditorRows, WithTheAxisLockOnXMovesAlongTheDiagonalAndTheLockRowTakesTheLargerComponent)
{
  HostHarness host;
  host.writeFile(L"profile.txt", "[cmddata/MaterialEditor]\nLockPositionAxis=i:1\n");
  const HostRun locked = workRows(host, checkerLine("Steel", "OFFSET 1,3"), typeInto("Position.X", "5"));
  ASSERT_EQ(locked.exitCode, 0) << locked.errors;
  const JsonValue one = locked.dump();
  expectPair(diffuseMap(one, "Steel")["offset"], 5, 5, "X 5 with the lock on");
  EXPECT_EQ(rowText(one, "Position.Lock offset"), "Yes");
  EXPECT_EQ(rowText(one, "Position.Y"), rowText(one, "Position.X"));

  HostHarness fresh; // a profile without the lock
  const HostRun toggled =
    workRows(fresh, checkerLine("Steel", "OFFSET 2,7"),
             std::vector<std::string>{on("CHOOSE", "ROW \"Position.Lock offset\" \"Yes\""), "DUMP {dir}/on.json",
                                      on("CHOOSE", "ROW \"Position.Lock offset\" \"No\""), "DUMP {dir}/off.json"} +
               typeInto("Position.X", "1"));
  ASSERT_EQ(toggled.exitCode, 0) << toggled.errors;
  expectPair(diffuseMap(dumpOf(fresh, L"on.json"), "Steel")["offset"], 7, 7, "switched on at (2, 7)");
  expectPair(diffuseMap(dumpOf(fresh, L"off.json"), "Steel")["offset"], 7, 7, "switched off keeps it");
  expectPair(diffuseMap(toggled.dump(), "Steel")["offset"], 1, 7, "unlocked, X alone moves");
  EXPECT_EQ(rowText(toggled.dump(), "Position.Lock offset"), "No");
}

TEST(TextureEditorRows, WithTheAspectLockOnAWidthScalesTheHeightAndAHeightTheWidth)
{
  HostHarness host;
  host.writeFile(L"profile.txt", "[cmddata/MaterialEditor]\nLockSampleSize=i:1\n");
  const HostRun run = workRows(host, checkerLine("Steel", "SCALE 2,1"),
                               typeInto("Scale.Width", "4") + std::vector<std::string>{"DUMP {dir}/width.json"} +
                                 typeInto("Scale.Height", "3"));
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue width = dumpOf(host, L"width.json"), height = run.dump();
  expectPair(diffuseMap(width, "Steel")["scale"], 4, 2, "width 4 of (2, 1)");
  expectPair(diffuseMap(height, "Steel")["scale"], 6, 3, "then height 3");
  EXPECT_EQ(rowText(height, "Scale.Lock aspect ratio"), "Yes");
  // One write for each typed value, both sides at once.
  EXPECT_EQ(material(height, "Steel")["writes"].asNumber(), material(width, "Steel")["writes"].asNumber() + 1);
}

// A width of almost nothing would turn the map's transform into infinities
// for good: refused as one the map cannot be drawn at, as 0 is; -1 by the
// row's range.
TEST(TextureEditorRows, AWidthTheMapCannotBeDrawnAtIsRefusedAndNothingIsWritten)
{
  HostHarness host;
  const HostRun run =
    workRows(host, checkerLine("Steel", "SCALE 2,1"),
             std::vector<std::string>{"DUMP {dir}/before.json"} + typeInto("Scale.Width", "1e-320") +
               std::vector<std::string>{"DUMP {dir}/tiny.json", "KEY ESC", "ANSWER OK"} + typeInto("Scale.Width", "0") +
               std::vector<std::string>{"KEY ESC", "ANSWER OK"} + typeInto("Scale.Width", "-1") +
               std::vector<std::string>{"DUMP {dir}/refused.json", "KEY ESC"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), tiny = dumpOf(host, L"tiny.json"),
                  refused = dumpOf(host, L"refused.json"), dump = run.dump();
  for (const JsonValue* d : {&tiny, &refused, &dump})
  {
    expectPair(diffuseMap(*d, "Steel")["scale"], 2, 1, "unchanged");
    EXPECT_EQ(material(*d, "Steel")["writes"].asNumber(), material(before, "Steel")["writes"].asNumber())
      << "nothing written";
  }
  ASSERT_EQ(refused["messages"].size(), 3u);
  EXPECT_EQ(refused["messages"][0]["text"].asString(), "The map cannot be drawn at this size.");
  EXPECT_EQ(refused["messages"][1]["text"].asString(), "The map cannot be drawn at this size.") << "0";
  EXPECT_EQ(refused["messages"][2]["text"].asString().rfind("Value must be more ", 0), 0u)
    << refused["messages"][2]["text"].asString();
  EXPECT_EQ(texturePane(tiny)["grids"][0]["editor"].asString(), "Scale.Width") << "the edit box keeps the text";
  EXPECT_TRUE(texturePane(dump)["grids"][0]["editor"].isNull()) << "Escape closes it";
  for (const char* row : {"Position.X", "Position.Y", "Scale.Width", "Scale.Height"})
    EXPECT_EQ(rowText(dump, row), rowText(before, row)) << row << ": finite, as before";
}

TEST(TextureEditorRows, AFileFoundElsewhereShowsWhereItWasSavedAndFoundAnExistingOneOffersBrowsing)
{
  HostHarness host;
  const std::string folder = sampleTextures();
  const std::vector<std::wstring> search{L"/texturepath", std::wstring(folder.begin(), folder.end())};
  const HostRun moved = workRows(host, "MATERIAL Steel MAP FILE 'C:/long/gone/folder/checker.png'\n", {}, search);
  ASSERT_EQ(moved.exitCode, 0) << moved.errors;
  const JsonValue elsewhere = moved.dump();
  const std::vector<std::string> labels = rowLabels(elsewhere);
  ASSERT_GE(labels.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.begin() + 3),
            (std::vector<std::string>{"Image.Saved at", "Image.Found at", "Image.Brightness"}));
  EXPECT_EQ(labels.size(), 13u);
  EXPECT_EQ(rowText(elsewhere, "Image.Saved at"), "C:/long/gone/folder/checker.png");
  // The search's folder joined with the name: one kind of separator.
  const std::string found = rowText(elsewhere, "Image.Found at");
  EXPECT_NE(found.find("checker.png"), std::string::npos);
  EXPECT_EQ(found.find('/'), std::string::npos) << found;
  std::string tip = "(no row)";
  for (const JsonValue& row : texturePane(elsewhere)["grids"][0]["rows"].items())
    if (row["label"].asString() == "Image.Found at")
      tip = row["tip"].isNull() ? "(none)" : row["tip"].asString();
  EXPECT_EQ(tip, found) << "cut by its cell, the path shows whole as the tip";
  EXPECT_EQ(texturePane(elsewhere)["mapPreview"]["state"].asNumber(), 1) << "the found file is shown";

  HostHarness other;
  const HostRun there = workRows(other, checkerLine("Steel", ""), {});
  ASSERT_EQ(there.exitCode, 0) << there.errors;
  const std::vector<std::string> plain = rowLabels(there.dump());
  ASSERT_GE(plain.size(), 2u);
  EXPECT_EQ(plain[0], "Image.Browse image");
  EXPECT_EQ(plain[1], "Image.Brightness");
  EXPECT_EQ(plain.size(), 12u) << "no found row";
}

TEST(TextureEditorRows, TheRotationShowsWholeDegreesWithTheDegreeSign)
{
  HostHarness host;
  const HostRun run = workRows(host, checkerLine("Steel", "ROTATION 359.9"),
                               {"DUMP {dir}/almost.json", "MATEDIT Steel ROTATION 30", "DUMP {dir}/thirty.json"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(rowText(dumpOf(host, L"almost.json"), "Position.Rotation"), "359\xC2\xB0") << "truncated, not 360";
  EXPECT_EQ(rowText(dumpOf(host, L"thirty.json"), "Position.Rotation"), "30\xC2\xB0") << "as written, not 29";
}

TEST(TextureEditorRows, ValuesAtTheLimitsAreTakenOrRefusedAndARefusedOneLeavesTheDrawingAsItWas)
{
  HostHarness host;
  std::vector<std::string> lines =
    typeInto("Position.X", "2147483647") + std::vector<std::string>{"DUMP {dir}/max.json"} +
    typeInto("Position.X", "-2147483647") + std::vector<std::string>{"DUMP {dir}/min.json"};
  // Each refused text: its message box (answered), the edit box kept, Escape.
  const std::vector<std::pair<std::string, std::string>> refused{
    {"Position.Y", "1e308"}, {"Scale.Width", "1e308"}, {"Position.X", "abc"}, {"Scale.Height", "1/0"}};
  for (const auto& [label, text] : refused)
    lines = lines + std::vector<std::string>{"ANSWER OK"} + typeInto(label, text) + std::vector<std::string>{"KEY ESC"};
  const HostRun run = workRows(host, checkerLine("Steel", "OFFSET 1,2 SCALE 3,4"), lines);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue max = dumpOf(host, L"max.json"), min = dumpOf(host, L"min.json"), dump = run.dump();
  expectPair(diffuseMap(max, "Steel")["offset"], 2147483647.0, 2, "the largest whole number is taken");
  expectPair(diffuseMap(min, "Steel")["offset"], -2147483647.0, 2, "and its negative");

  expectPair(diffuseMap(dump, "Steel")["offset"], -2147483647.0, 2, "no refused value written");
  expectPair(diffuseMap(dump, "Steel")["scale"], 3, 4, "no refused value written");
  EXPECT_EQ(material(dump, "Steel")["writes"].asNumber(), material(min, "Steel")["writes"].asNumber());
  ASSERT_EQ(dump["messages"].size(), refused.size());
  EXPECT_EQ(dump["messages"][0]["text"].asString().rfind("Value must be more ", 0), 0u);
  EXPECT_EQ(dump["messages"][1]["text"].asString().rfind("Value must be more ", 0), 0u);
  EXPECT_EQ(dump["messages"][2]["text"].asString(), "Invalid expression: abc");
  EXPECT_FALSE(dump["messages"][3]["text"].asString().empty());
  EXPECT_TRUE(textureShown(dump)) << "the editor still stands";
  EXPECT_TRUE(texturePane(dump)["grids"][0]["editor"].isNull());
}
