// The Texture editor in host.exe, opened as a user opens it ("&Edit..." on
// the Material editor's diffuse map): a fresh dialog on every opening with
// the palette a listener of the Material editor once, another material
// closing it first, the map preview's state for an image, a marble and a
// missing file, a refused width, the margin below the rows on a dark theme,
// and the three palettes at the host's own size. The rows' rules (locks,
// limits, degrees, files found elsewhere) are tests/rows' and the core's.
#include "PaletteRun.h"
#include "od/GiImageFile.h"

#include <algorithm>
#include <cstdlib>

using namespace palettetest;

namespace
{
bool hasGrid(const JsonValue& dump)
{
  const JsonValue& pane = texturePane(dump);
  return !pane.isNull() && pane.has("grids") && pane["grids"].size() == 1;
}

bool anyRowSelected(const JsonValue& dump)
{
  if (!hasGrid(dump))
    return false;
  for (const JsonValue& row : texturePane(dump)["grids"][0]["rows"].items())
    if (row["selected"].asBool())
      return true;
  return false;
}

std::string imageLine(const std::string& name, const std::string& file, const std::string& options = "")
{
  return "MATERIAL " + name + " MAP FILE '" + file + "' " + options + "\n";
}

void expectPair(const JsonValue& values, double x, double y, const char* what)
{
  ASSERT_EQ(values.size(), 2u) << what;
  EXPECT_NEAR(values[0].asNumber(), x, 1e-6) << what;
  EXPECT_NEAR(values[1].asNumber(), y, 1e-6) << what;
}
} // namespace

TEST(TextureEditorHost, EditTwiceShowsAFreshDialogWhoseRowsWriteAndMakesThePaletteAListenerOnce)
{
  HostHarness host;
  const std::wstring file = drawing(host, imageLine("Steel", sampleTextures() + "/checker.png", "SCALE 25,25"));
  const HostRun run =
    host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Steel") +
               std::vector<std::string>{on("CLICK", "ROW \"Scale.Width\""), "KEY ESC", "DUMP {dir}/first.json", kPause,
                                        "ANSWER MENU 1002", "CLICK " + editorPane("Steel") + " ROW \"Map.Diffuse\"",
                                        "CLICK " + editorPane("Steel") + " EDITOR", "DUMP {dir}/second.json",
                                        on("CHOOSE", "ROW \"Projection.Type\" \"Spherical\""), "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue first = dumpOf(host, L"first.json"), second = dumpOf(host, L"second.json"), chosen = run.dump();
  // The old dialog's map editor ended before the new one began: the new
  // one's rows write.
  EXPECT_EQ(diffuseMap(chosen, "Steel")["projection"].asNumber(), 4);
  EXPECT_EQ(textureRowText(chosen, "Projection.Type"), "Spherical");
  ASSERT_TRUE(textureShown(first));
  EXPECT_EQ(texturePane(first)["title"].asString(), "Texture editor");
  EXPECT_TRUE(anyRowSelected(first)) << "the click selected a row of the first dialog";
  EXPECT_EQ(texturePane(first)["editorListeners"].asNumber(), 1);

  ASSERT_TRUE(textureShown(second));
  EXPECT_FALSE(anyRowSelected(second)) << "a fresh dialog, not the old one shown again";
  EXPECT_EQ(textureRowLabels(second), textureRowLabels(first));
  EXPECT_EQ(texturePane(second)["editorListeners"].asNumber(), 1) << "added once, not once per opening";
  ASSERT_GE(second["menus"].size(), 2u);
  EXPECT_EQ(second["menus"][second["menus"].size() - 1]["answer"].asNumber(), kMapEditCommand);
}

TEST(TextureEditorHost, AnotherMaterialOpenedInTheBrowserClosesTheTextureEditorFirst)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, imageLine("Steel", sampleTextures() + "/checker.png") + "MATERIAL Oak MAP WOOD\n");
  const HostRun run =
    host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Steel") +
               std::vector<std::string>{"DUMP {dir}/open.json", browserRoom(),
                                        std::string("CLICK ") + kPane + " ITEM \"Oak\" DOUBLE", "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue open = dumpOf(host, L"open.json"), dump = run.dump();
  ASSERT_TRUE(textureShown(open));
  EXPECT_FALSE(textureShown(dump)) << "the Texture editor does not carry Steel's map over to Oak";
  EXPECT_FALSE(hasGrid(dump));
  EXPECT_TRUE(dump["palettes"].has(std::string(kEditorPrefix) + "Oak"));
  // Neither material was written by the switch.
  EXPECT_EQ(material(dump, "Steel")["writes"].asNumber(), material(open, "Steel")["writes"].asNumber());
  EXPECT_EQ(material(dump, "Oak")["writes"].asNumber(), 0);
  EXPECT_EQ(diffuseMap(dump, "Oak")["texture"].asString(), "wood");
}

TEST(TextureEditorHost, TheMapPreviewShowsTheImageSaysNotImplementedForMarbleAndNamesAMissingFile)
{
  HostHarness host;
  const std::wstring file = drawing(host, imageLine("Quad", std::string(HOST_TEST_FIXTURES) + "/images/quad.png") +
                                            "MATERIAL Marble MAP MARBLE\n");
  // An image chosen that is found nowhere (a file dialog may name any path).
  const HostRun run = host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Quad") +
                                 std::vector<std::string>{"DUMP {dir}/quad.json", "ANSWER FILE 'C:/nowhere/gone.png'",
                                                          on("CLICK", "ROW \"Image.Browse image\""), "KEY ENTER",
                                                          "DUMP {dir}/gone.json"} +
                                 openTexture("Marble") + std::vector<std::string>{"DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue quad = dumpOf(host, L"quad.json"), gone = dumpOf(host, L"gone.json"), marble = run.dump();

  const JsonValue& image = texturePane(quad)["mapPreview"];
  EXPECT_EQ(image["state"].asNumber(), 1);
  // The square picture of four quadrants (red, green / blue, light grey):
  // its centre, where they meet, takes the lower right one.
  const Rgb centre = colour(image["picture"]["centre"]);
  EXPECT_GT(centre.r + centre.g + centre.b, 600) << image["picture"]["centre"].asString();
  const Rgb mean = colour(image["picture"]["mean"]);
  EXPECT_GT(mean.r, mean.b - 40) << "red, green and blue all show";

  const JsonValue& missing = texturePane(gone)["mapPreview"];
  EXPECT_EQ(missing["state"].asNumber(), 2);
  EXPECT_EQ(diffuseMap(gone, "Quad")["file"].asString(), "C:/nowhere/gone.png");
  EXPECT_TRUE(diffuseMap(gone, "Quad")["found"].isNull());
  EXPECT_NE(missing["picture"]["mean"].asString(), image["picture"]["mean"].asString()) << "text, not the old picture";
  EXPECT_EQ(gone["messages"].size(), 0u) << "a missing file is shown, not announced";

  const JsonValue& procedural = texturePane(marble)["mapPreview"];
  EXPECT_EQ(procedural["state"].asNumber(), 3);
  EXPECT_EQ(textureRowLabels(marble), (std::vector<std::string>{"Appearance.Stone Color", "Appearance.Vein Color",
                                                         "Appearance.Vein Spacing", "Appearance.Vein Width"}));
  // "Not implemented" on the background: hardly anything but the background.
  const Rgb plain = colour(procedural["picture"]["mean"]), background = colour(marble["theme"]["background"]);
  EXPECT_LT(std::abs(plain.r - background.r) + std::abs(plain.g - background.g) + std::abs(plain.b - background.b), 12);
}

TEST(TextureEditorHost, OnADarkThemeTheMarginBelowTheRowsIsDarkToo)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Marble MAP MARBLE\n");
  const HostRun run =
    host.run(std::vector<std::string>{"THEME DARK", "MATBROWSEROPEN"} + openTexture("Marble") +
               std::vector<std::string>{"WAIT 300", "DUMP {dump}", "SCREENSHOT {dir}/screen.png", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  const JsonValue& pane = texturePane(dump);
  ASSERT_FALSE(pane.isNull());
  const OdGiImageLoadResult shot = odgiLoadImageFile(host.file(L"screen.png").c_str());
  ASSERT_TRUE(shot.image) << shot.reason.toUtf8();
  const OdGsDecodedImage& image = *shot.image;
  // The strip under the last row, above the pane's bottom edge.
  const int left = int(pane["origin"][0].asNumber()), top = int(pane["origin"][1].asNumber());
  const int width = int(pane["client"][0].asNumber()), height = int(pane["client"][1].asNumber());
  int light = 0, seen = 0;
  for (int y = top + height - 20; y < top + height - 6; ++y)
    for (int x = left + 8; x < left + width - 8; ++x)
    {
      ASSERT_TRUE(x >= 0 && y >= 0 && OdUInt32(x) < image.width && OdUInt32(y) < image.height);
      const OdUInt8* p = &image.rgba[(std::size_t(y) * image.width + std::size_t(x)) * 4];
      light += std::max({p[0], p[1], p[2]}) > 120;
      ++seen;
    }
  EXPECT_GT(seen, 1000);
  EXPECT_EQ(light, 0) << "light pixels below the rows on a dark theme";
}

TEST(TextureEditorHost, AtTheHostsOwnSizeTheThreePalettesShowTheirRowsAndAColumnLeftByAPaneIsSharedWhole)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL Oak\nMATERIAL Red\n" + imageLine("Steel", sampleTextures() + "/checker.png"));
  const std::string editor = editorPane("Steel");
  // No RESIZE: the layout the host starts with.
  const HostRun run =
    host.run({"MATBROWSEROPEN", "CLICK " + std::string(kPane) + " ITEM \"Steel\" DOUBLE", "ANSWER MENU 1002",
              "CLICK " + editor + " ROW \"Map.Diffuse\"", "CLICK " + editor + " EDITOR", "DUMP {dir}/normal.json",
              "CLICK " + editor + " BUTTON 74", "DUMP {dir}/extended.json", on("WHEEL", "ROW \"Image.Brightness\" -2"),
              "DUMP {dir}/wheeled.json",
              // The Material editor given a height of its own, then its neighbour docked on the other side.
              "RESIZE " + editor + " 320,200", on("DRAG", "CAPTION FROM 40,10 TO -600,10"), "DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto editorOf = [&](const JsonValue& dump) -> const JsonValue& {
    return dump["palettes"]["Material editor - Steel"];
  };
  const auto inSight = [](const JsonValue& p) {
    int n = 0;
    for (const JsonValue& row : p["grids"][0]["rows"].items())
      n += row["inSight"].asBool();
    return n;
  };
  for (const wchar_t* name : {L"normal.json", L"extended.json"})
  {
    const JsonValue dump = dumpOf(host, name);
    // The browser: its second row of icons (two a row) begins inside the list.
    const JsonValue& list = pane(dump)["list"];
    ASSERT_GT(list["items"][2]["position"][1].asNumber(), list["items"][0]["position"][1].asNumber());
    EXPECT_LE(list["items"][2]["position"][1].asNumber(), list["rect"][3].asNumber());
    EXPECT_EQ(inSight(editorOf(dump)), int(editorOf(dump)["grids"][0]["rows"].size()));
    EXPECT_GE(inSight(texturePane(dump)), 4) << "of " << texturePane(dump)["grids"][0]["rows"].size();
  }
  const JsonValue normal = dumpOf(host, L"normal.json"), extended = dumpOf(host, L"extended.json");
  EXPECT_EQ(editorOf(extended)["grids"][0]["rows"].size(), 5u);
  EXPECT_LT(editorOf(extended)["preview"]["size"][1].asNumber(), editorOf(normal)["preview"]["size"][1].asNumber())
    << "the preview gave way to the two rows more";

  // The wheel over the Texture editor's rows scrolls them.
  const JsonValue wheeled = dumpOf(host, L"wheeled.json");
  EXPECT_LT(texturePane(wheeled)["grids"][0]["rows"][0]["cell"][1].asNumber(),
            texturePane(extended)["grids"][0]["rows"][0]["cell"][1].asNumber());

  // Alone in its column the Material editor takes it whole; the two panes
  // of the other column share theirs.
  const JsonValue dump = run.dump();
  ASSERT_EQ(texturePane(dump)["dock"].asString(), "left");
  const auto bottom = [](const JsonValue& p) { return p["origin"][1].asNumber() + p["client"][1].asNumber(); };
  EXPECT_EQ(editorOf(dump)["origin"][1].asNumber(), pane(dump)["origin"][1].asNumber());
  EXPECT_EQ(bottom(editorOf(dump)), bottom(texturePane(dump))) << "no empty stretch below the Material editor";
  EXPECT_LT(texturePane(dump)["origin"][1].asNumber() - bottom(pane(dump)), 10) << "only the panes' frames between";
}

// A width of almost nothing would turn the map's transform into infinities
// for good: refused as one the map cannot be drawn at, as 0 is; -1 by the
// row's range.
TEST(TextureEditorHost, AWidthTheMapCannotBeDrawnAtIsRefusedAndNothingIsWritten)
{
  HostHarness host;
  const std::wstring file = drawing(host, imageLine("Steel", sampleTextures() + "/checker.png", "SCALE 2,1"));
  const HostRun run =
    host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Steel") +
               std::vector<std::string>{"DUMP {dir}/before.json"} + typeInto("Scale.Width", "1e-320") +
               std::vector<std::string>{"DUMP {dir}/tiny.json", "KEY ESC", "ANSWER OK"} + typeInto("Scale.Width", "0") +
               std::vector<std::string>{"KEY ESC", "ANSWER OK"} + typeInto("Scale.Width", "-1") +
               std::vector<std::string>{"DUMP {dir}/refused.json", "KEY ESC", "DUMP {dump}", "QUIT"},
             {file});
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
    EXPECT_EQ(textureRowText(dump, row), textureRowText(before, row)) << row << ": finite, as before";
}
