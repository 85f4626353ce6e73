// The browser as a palette: its toolbar (tips by button, help, the view-style
// menu and its check mark, remembered for the next run), its layout, its
// close button, the last document going away, and drawings with bad maps and
// strange names.
#include "PaletteRun.h"
#include "od/GiImageFile.h"

#include <algorithm>
#include <fstream>

using namespace palettetest;

namespace
{
std::string button(int command, const char* verb = "CLICK")
{
  return std::string(verb) + " " + kPane + " BUTTON " + std::to_string(command);
}

std::vector<int> rect(const JsonValue& dump)
{
  std::vector<int> r;
  for (const JsonValue& v : pane(dump)["list"]["rect"].items())
    r.push_back(int(v.asNumber()));
  return r;
}
} // namespace

TEST(BrowserPalette, ToolTipsNameEachButtonAndHelpAsksForTheBrowsersTopic)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "MATBROWSEROPEN", "DUMP {dir}/none.json",
                                button(70, "HOVER"), "DUMP {dir}/new.json",
                                button(74, "HOVER"), "DUMP {dir}/view.json",
                                button(72, "HOVER"), "DUMP {dir}/help.json",
                                button(72), "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto tip = [&](const wchar_t* name) { return pane(JsonValue::parse(host.readFile(name)))["toolTip"]; };
  EXPECT_TRUE(tip(L"none.json").isNull());
  EXPECT_EQ(tip(L"new.json").asString(), "New Generic Material");
  EXPECT_EQ(tip(L"view.json").asString(), "Change view style");
  EXPECT_EQ(tip(L"help.json").asString(), "Help Contents and Index");

  const JsonValue dump = run.dump();
  const JsonValue& toolbar = pane(dump)["toolbar"];
  ASSERT_EQ(toolbar.size(), 3u);
  EXPECT_EQ(toolbar[0]["command"].asNumber(), 70);
  EXPECT_EQ(toolbar[1]["command"].asNumber(), 74);
  EXPECT_EQ(toolbar[2]["command"].asNumber(), 72);
  ASSERT_EQ(dump["helpTopics"].size(), 1u);
  EXPECT_EQ(dump["helpTopics"][0].asString(), "IDH_MaterialBrowser");
}

TEST(BrowserPalette, TheViewStyleMovesTheCheckMarkAndIsThereAtTheNextRun)
{
  HostHarness host;
  const HostRun run = host.run({"NEW", "MATBROWSEROPEN", "ANSWER MENU 2001", button(74), "DUMP {dir}/list.json",
                                button(74), "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue list = JsonValue::parse(host.readFile(L"list.json"));
  EXPECT_EQ(pane(list)["list"]["view"].asString(), "list");
  const JsonValue& first = list["menus"][0];
  EXPECT_EQ(menuItem(first, 2000)["text"].asString(), "Icon");
  EXPECT_TRUE(menuItem(first, 2000)["checked"].asBool()) << "the icon view at first";
  EXPECT_FALSE(menuItem(first, 2001)["checked"].asBool());

  // The same profile: the browser comes back (Startup) in list view.
  const HostRun next = host.run({"NEW", "ANSWER MENU 2000", button(74), "DUMP {dir}/icon.json", "DUMP {dump}", "QUIT"});
  ASSERT_EQ(next.exitCode, 0) << next.errors;
  const JsonValue icon = JsonValue::parse(host.readFile(L"icon.json"));
  const JsonValue& again = icon["menus"][0];
  EXPECT_TRUE(menuItem(again, 2001)["checked"].asBool()) << "remembered";
  EXPECT_FALSE(menuItem(again, 2000)["checked"].asBool());
  EXPECT_EQ(pane(icon)["list"]["view"].asString(), "icon");
  EXPECT_EQ(icon["profile"]["cmddata"]["MaterialEditor"]["BrowserView"].asNumber(), 3) << "written at unload";
}

TEST(BrowserPalette, BelowFiftyOnePixelsEitherWayTheListKeepsItsPlace)
{
  HostHarness host;
  const std::string resize = std::string("RESIZE ") + kPane + " ";
  // The pane's frame takes 3 pixels a side and its caption 22: an outer
  // 56 x 78 leaves 50 x 50 below the caption.
  const HostRun run = host.run({"NEW", "MATBROWSEROPEN", resize + "300,500", "DUMP {dir}/a.json",
                                resize + "56,500", "DUMP {dir}/w50.json", resize + "57,500", "DUMP {dir}/w51.json",
                                resize + "300,78", "DUMP {dir}/h50.json", resize + "300,79", "DUMP {dir}/h51.json",
                                "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto at = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };
  const auto side = [](const JsonValue& dump) {
    const JsonValue& client = pane(dump)["client"];
    return std::vector<int>{int(client[0].asNumber()), int(client[1].asNumber()) - 22};
  };
  const std::vector<int> start = rect(at(L"a.json"));
  ASSERT_EQ(start.size(), 4u);
  EXPECT_GT(start[1], 22) << "below the caption and the toolbar";

  const JsonValue w50 = at(L"w50.json"), w51 = at(L"w51.json"), h50 = at(L"h50.json"), h51 = at(L"h51.json");
  ASSERT_EQ(side(w50)[0], 50);
  EXPECT_EQ(rect(w50), start) << "50 pixels wide: kept";
  ASSERT_EQ(side(w51)[0], 51);
  const std::vector<int> narrow = rect(w51);
  EXPECT_EQ(narrow, (std::vector<int>{start[0], start[1], 51, start[3]})) << "51 pixels wide: laid out";

  ASSERT_EQ(side(h50)[1], 50);
  EXPECT_EQ(rect(h50), narrow) << "50 pixels high: kept, even though the width grew";
  ASSERT_EQ(side(h51)[1], 51);
  EXPECT_EQ(rect(h51), (std::vector<int>{start[0], start[1], 294, 22 + 51 - start[1]})) << "51 pixels high: laid out";
}

TEST(BrowserPalette, WithoutADocumentNothingOffersNewAndTheCloseButtonHidesTheBrowser)
{
  HostHarness host;
  const std::string newHere = std::string("CLICK ") + kPane + " EMPTY RIGHT";
  const HostRun run = host.run({// Shown before any document: New can make nothing.
                                "MATBROWSEROPEN", "DUMP {dir}/none.json", button(70), "ANSWER MENU 1004", newHere,
                                "DUMP {dir}/none-new.json",
                                // The last document going away (later than a double click).
                                "NEW", "CLOSE", "DUMP {dir}/closed.json", "WAIT 700", "ANSWER MENU 1004", newHere, "NEW",
                                "MATERIAL Oak", "DUMP {dir}/again.json", std::string("CLICK ") + kPane + " CLOSE",
                                "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue none = JsonValue::parse(host.readFile(L"none.json"));
  EXPECT_TRUE(pane(none)["shown"].asBool());
  for (const JsonValue& b : pane(none)["toolbar"].items())
    EXPECT_FALSE(b["enabled"].asBool()) << b["command"].asNumber();
  const JsonValue noneNew = JsonValue::parse(host.readFile(L"none-new.json"));
  ASSERT_EQ(noneNew["documents"].size(), 0u) << "New made nothing";
  ASSERT_EQ(noneNew["menus"].size(), 1u);
  EXPECT_FALSE(menuItem(noneNew["menus"][0], 1004)["enabled"].asBool());

  const JsonValue closed = JsonValue::parse(host.readFile(L"closed.json"));
  EXPECT_TRUE(pane(closed)["shown"].asBool());
  EXPECT_TRUE(itemTexts(closed).empty());
  for (const JsonValue& b : pane(closed)["toolbar"].items())
    EXPECT_FALSE(b["enabled"].asBool());

  const JsonValue again = JsonValue::parse(host.readFile(L"again.json"));
  EXPECT_EQ(itemTexts(again), (std::vector<std::string>{"Global", "Oak"}));
  for (const JsonValue& b : pane(again)["toolbar"].items())
    EXPECT_TRUE(b["enabled"].asBool());

  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["menus"].size(), 2u);
  EXPECT_FALSE(menuItem(dump["menus"][1], 1004)["enabled"].asBool()) << "greyed while the buttons are";
  EXPECT_FALSE(pane(dump)["shown"].asBool());
  EXPECT_FALSE(dump["profile"].has("Startup") && dump["profile"]["Startup"].has("MATBROWSEROPEN"));
}

TEST(BrowserPalette, BadMapsAndStrangeNamesGivePlainThumbnailsAndNothingBreaks)
{
  HostHarness host;
  const auto write = [&](const wchar_t* name, const std::string& bytes) {
    host.writeFile(name, bytes);
    return scriptPath(host.file(name));
  };
  std::string huge = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0dIHDR", 8) +
                     std::string("\0\0\x4e\x20\0\0\x4e\x20\x08\x02\0\0\0", 13) + std::string(64, '\0');
  const std::string corrupt = write(L"corrupt.png", std::string("\x89PNG\r\n\x1a\n", 8) + "no picture here");
  const std::string truncated = write(L"truncated.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
  const std::string hugePath = write(L"huge.png", huge);
  const std::string missing = scriptPath(host.file(L"missing.png"));
  const std::string longName(10000, 'n');
  // A thumbnail size of nothing: the default, not the smallest.
  host.writeFile(L"profile.txt", "[cmddata/MaterialEditor]\nBrowserImageSize=i:0\n");
  const std::wstring file = drawing(host, "MATERIAL Corrupt DIFFUSE 200,40,40 MAP FILE '" + corrupt + "'\n" +
                                             "MATERIAL Truncated DIFFUSE 200,40,40 MAP FILE '" + truncated + "'\n" +
                                             "MATERIAL Huge DIFFUSE 200,40,40 MAP FILE '" + hugePath + "'\n" +
                                             "MATERIAL Missing DIFFUSE 200,40,40 MAP FILE '" + missing + "'\n" +
                                             "MATERIAL " + longName + "\n");
  const HostRun run = host.run({"MATBROWSEROPEN", "ANSWER MENU 1000",
                                std::string("CLICK ") + kPane + " ITEM " + longName + " RIGHT", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_EQ(items(dump).size(), 7u);
  EXPECT_EQ(item(dump, "Corrupt")["thumbnail"]["size"][0].asNumber(), 96);
  for (const char* name : {"Corrupt", "Truncated", "Huge", "Missing"})
  {
    // The base colour on the sphere, as without a map.
    const Rgb shade = centre(item(dump, name));
    EXPECT_GT(shade.r, shade.g + 60) << name;
  }
  EXPECT_TRUE(hasMaterial(dump, longName + "(1)")) << "a 10,000-character name clones like any other";
  EXPECT_EQ(item(dump, longName + "(1)")["text"].asString().size(), 10003u);
  EXPECT_EQ(dump["messages"].size(), 0u);
}

TEST(BrowserPalette, OnADarkThemeThumbnailsKeepTheirWhiteAndFollowASwitch)
{
  HostHarness host;
  // Its highlight is pure white: were white the transparent colour on a
  // dark theme, the list's background would show through it.
  const std::wstring file = drawing(host, "MATERIAL Snow DIFFUSE 255,255,255 SPECULAR 255,255,255 GLOSS 0.1\n");
  host.writeFile(L"profile.txt", "[cmddata/MaterialEditor]\nBrowserImageSize=i:-40\n");
  const HostRun run = host.run({"THEME DARK", "MATBROWSEROPEN", "DUMP {dir}/dark.json", "THEME LIGHT", "DUMP {dump}",
                                "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dark = JsonValue::parse(host.readFile(L"dark.json"));
  const Rgb snow = centre(item(dark, "Snow"));
  EXPECT_GT(std::min({snow.r, snow.g, snow.b}), 240) << item(dark, "Snow")["thumbnail"]["centre"].asString();
  EXPECT_EQ(item(dark, "Snow")["thumbnail"]["size"][0].asNumber(), 96) << "a negative size is the default";
  const Rgb darkMean = colour(item(dark, "Snow")["thumbnail"]["mean"]);

  // Drawn again on the light background: the corners are light now.
  const Rgb lightMean = colour(item(run.dump(), "Snow")["thumbnail"]["mean"]);
  EXPECT_GT(lightMean.r, darkMean.r + 40);
}

TEST(BrowserPalette, AStoredReportViewShowsTheIconsAndARemovalClosesTheGap)
{
  HostHarness host;
  std::string lines;
  for (const char* name : {"Alder", "Birch", "Cedar", "Elm", "Fir", "Larch"})
    lines += std::string("MATERIAL ") + name + "\n";
  const std::wstring file = drawing(host, lines);
  // The report view has no columns here: it would list the materials and show none of them.
  host.writeFile(L"profile.txt", "[cmddata/MaterialEditor]\nBrowserView=i:1\n");
  const HostRun stored = host.run({"MATBROWSEROPEN", "DUMP {dump}", "QUIT"}, {file});
  ASSERT_EQ(stored.exitCode, 0) << stored.errors;
  // Kept: a loop over the items of a temporary dump would read freed memory.
  const JsonValue storedDump = stored.dump();
  EXPECT_EQ(pane(storedDump)["list"]["view"].asString(), "icon");
  for (const JsonValue& it : items(storedDump).items())
    EXPECT_TRUE(it["inSight"].asBool()) << it["text"].asString();

  host.writeFile(L"profile.txt", "[cmddata/MaterialEditor]\nBrowserView=i:0\n");
  const HostRun run = host.run({"MATBROWSEROPEN", "DUMP {dir}/before.json", "ANSWER MENU 1001",
                                std::string("CLICK ") + kPane + " ITEM Alder RIGHT", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = JsonValue::parse(host.readFile(L"before.json"));
  ASSERT_EQ(items(before).size(), 7u);

  // Every item moves up one place: the first six places are taken again.
  const JsonValue dump = run.dump();
  ASSERT_EQ(itemTexts(dump), (std::vector<std::string>{"Birch", "Cedar", "Elm", "Fir", "Global", "Larch"}));
  for (std::size_t i = 0; i < items(dump).size(); ++i)
  {
    EXPECT_EQ(items(dump)[i]["position"][0].asNumber(), items(before)[i]["position"][0].asNumber()) << i;
    EXPECT_EQ(items(dump)[i]["position"][1].asNumber(), items(before)[i]["position"][1].asNumber()) << i;
  }
}

TEST(BrowserPalette, OnADarkThemeTheViewStyleArrowShowsAndTheScrollBarIsDark)
{
  HostHarness host;
  const std::wstring file = drawing(host, fillerMaterials(30));
  const HostRun run =
    host.run({"THEME DARK", "MATBROWSEROPEN", "WAIT 300", "DUMP {dump}", "SCREENSHOT {dir}/screen.png", "QUIT"}, {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  const JsonValue* viewButton = nullptr;
  for (const JsonValue& b : pane(dump)["toolbar"].items())
    if (int(b["command"].asNumber()) == 74)
      viewButton = &b;
  ASSERT_NE(viewButton, nullptr);
  const OdGiImageLoadResult shot = odgiLoadImageFile(host.file(L"screen.png").c_str());
  ASSERT_TRUE(shot.image) << shot.reason.toUtf8();
  const OdGsDecodedImage& image = *shot.image;
  const JsonValue& place = (*viewButton)["rect"];
  const int left = int(pane(dump)["origin"][0].asNumber() + place[0].asNumber());
  const int top = int(pane(dump)["origin"][1].asNumber() + place[1].asNumber());
  const int width = int(place[2].asNumber()), height = int(place[3].asNumber());
  // The arrow's place: the last 11 pixels of the button, a few rows about its middle.
  int black = 0, light = 0;
  for (int y = top + height / 2 - 3; y <= top + height / 2 + 3; ++y)
    for (int x = left + width - 11; x < left + width; ++x)
    {
      ASSERT_TRUE(x >= 0 && y >= 0 && OdUInt32(x) < image.width && OdUInt32(y) < image.height);
      const OdUInt8* p = &image.rgba[(std::size_t(y) * image.width + std::size_t(x)) * 4];
      const int brightest = std::max({p[0], p[1], p[2]}), darkest = std::min({p[0], p[1], p[2]});
      black += brightest < 24;
      light += darkest > 180;
    }
  EXPECT_EQ(black, 0) << "a black arrow on dark grey";
  EXPECT_GE(light, 5) << "no arrow to be seen";

  // The vertical scroll bar along the list's right edge, arrows left out.
  const JsonValue& list = pane(dump)["list"];
  ASSERT_TRUE(list["scrollBars"]["vertical"].asBool()) << "the test needs a list longer than the pane";
  const int listRight =
    int(pane(dump)["origin"][0].asNumber() + list["rect"][0].asNumber() + list["rect"][2].asNumber());
  const int listTop = int(pane(dump)["origin"][1].asNumber() + list["rect"][1].asNumber());
  const int listHeight = int(list["rect"][3].asNumber());
  long sum = 0, count = 0;
  for (int y = listTop + 24; y < listTop + listHeight - 24; ++y)
    for (int x = listRight - 13; x < listRight - 3; ++x)
    {
      const OdUInt8* p = &image.rgba[(std::size_t(y) * image.width + std::size_t(x)) * 4];
      sum += (p[0] + p[1] + p[2]) / 3;
      ++count;
    }
  ASSERT_GT(count, 0);
  EXPECT_LT(sum / count, 130) << "a light scroll bar beside the dark list";
}

TEST(BrowserPalette, ItsCaptionDraggedAcrossTheWindowDocksItOnThatSideAndAClickMovesNothing)
{
  HostHarness host;
  const std::string caption = std::string(" ") + kPane + " CAPTION";
  const HostRun run = host.run({"NEW", "MATBROWSEROPEN", "CLICK" + caption, "DUMP {dir}/clicked.json",
                                "DRAG" + caption + " FROM 40,10 TO 900,10", "DUMP {dir}/right.json",
                                // Within the right half: no move.
                                "DRAG" + caption + " FROM 40,10 TO -100,10", "DUMP {dir}/still.json",
                                "DRAG" + caption + " FROM 40,10 TO -700,10", "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto placeOf = [&](const JsonValue& dump) {
    const JsonValue& p = pane(dump);
    return std::make_pair(p["dock"].asString(), int(p["origin"][0].asNumber()));
  };
  const auto clicked = placeOf(JsonValue::parse(host.readFile(L"clicked.json")));
  const auto right = placeOf(JsonValue::parse(host.readFile(L"right.json")));
  const auto still = placeOf(JsonValue::parse(host.readFile(L"still.json")));
  const auto back = placeOf(run.dump());
  EXPECT_EQ(clicked.first, "left") << "a click on the caption is no drag";
  EXPECT_EQ(right.first, "right");
  EXPECT_GT(right.second, clicked.second + 400) << "at the window's right edge";
  EXPECT_EQ(still, right);
  EXPECT_EQ(back, clicked) << "dragged back, it is where it was";
  EXPECT_TRUE(pane(run.dump())["shown"].asBool());
}
