// The browser's items as a user meets them: standard materials protected and
// translated, names for new and cloned materials, thumbnails in the
// material's shade that follow a change of the material in place.
#include "PaletteRun.h"

#include <set>

using namespace palettetest;

TEST(BrowserItems, StandardMaterialsShowTranslatedNamesAndRefuseRemoveAndRename)
{
  HostHarness host;
  const std::string global = std::string("ITEM \"Global (de)\"");
  const HostRun run =
    host.run({"TRANSLATE \"Global\" \"Global (de)\"", "NEW", "MATBROWSEROPEN",
              std::string("CLICK ") + kPane + " " + global + " RIGHT",
              // Later than a double click: the same place again.
              "WAIT 700", "ANSWER MENU 1002", std::string("CLICK ") + kPane + " " + global + " RIGHT",
              // A click on the label of the selected item starts editing, which is refused.
              "WAIT 700", std::string("CLICK ") + kPane + " " + global, "WAIT 900", "DUMP {dir}/edit.json",
              // Empty space: New, which makes a material, and Remove Unused.
              "ANSWER MENU 1004", std::string("CLICK ") + kPane + " EMPTY RIGHT", "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue editing = JsonValue::parse(host.readFile(L"edit.json"));
  EXPECT_EQ(itemTexts(editing), (std::vector<std::string>{"Global (de)"})) << "the list leaves out ByBlock and ByLayer";
  EXPECT_TRUE(pane(editing)["list"]["editing"].isNull()) << "no label edit for a standard material";

  const JsonValue dump = run.dump();
  const JsonValue& menus = dump["menus"];
  ASSERT_EQ(menus.size(), 3u);
  const JsonValue& menu = menus[0];
  EXPECT_TRUE(menu["answer"].isNull()) << "no answer queued: cancelled";
  ASSERT_EQ(menu["items"].size(), 7u);
  EXPECT_EQ(menuItem(menu, 1005)["text"].asString(), "&Edit...");
  EXPECT_TRUE(menuItem(menu, 1005)["enabled"].asBool());
  EXPECT_EQ(menuItem(menu, 1003)["text"].asString(), "Apply to selection");
  EXPECT_FALSE(menuItem(menu, 1003)["enabled"].asBool()) << "nothing is selected";
  EXPECT_EQ(menu["items"][2]["id"].asNumber(), 1006) << "Select Objects follows Apply to selection";
  EXPECT_FALSE(menuItem(menu, 1006)["enabled"].asBool());
  EXPECT_TRUE(menuItem(menu, 1000)["enabled"].asBool());
  EXPECT_TRUE(menu["items"][4]["separator"].asBool());
  EXPECT_EQ(menuItem(menu, 1001)["text"].asString(), "&Remove");
  EXPECT_FALSE(menuItem(menu, 1001)["enabled"].asBool());
  EXPECT_EQ(menuItem(menu, 1002)["text"].asString(), "Rename");
  EXPECT_FALSE(menuItem(menu, 1002)["enabled"].asBool());
  EXPECT_EQ(menus[1]["problem"].asString(), "the command 1002 is greyed in this menu");

  ASSERT_EQ(menus[2]["items"].size(), 2u);
  EXPECT_EQ(menuItem(menus[2], 1004)["text"].asString(), "New Generic Material");
  EXPECT_EQ(menuItem(menus[2], 1007)["text"].asString(), "Remove Unused Materials");
  EXPECT_FALSE(menuItem(menus[2], 1007)["enabled"].asBool()) << "a new drawing has only the standard materials";
  EXPECT_EQ(menus[2]["answer"].asNumber(), 1004);
  EXPECT_EQ(itemTexts(dump), (std::vector<std::string>{"Global (de)", "Default Generic"}));
  EXPECT_TRUE(hasMaterial(dump, "Global")) << "the drawing keeps the stored name";
}

TEST(BrowserItems, NewNamesCountPastTakenNamesAndTheNewItemIsSelectedInSight)
{
  HostHarness host;
  std::string lines = "MATERIAL \"Default Generic\"\nMATERIAL \"default generic (1)\"\n";
  // Enough items that the end of the list is out of sight at first.
  lines += fillerMaterials(40);
  const std::wstring file = drawing(host, lines);
  const std::string resize = std::string("RESIZE ") + kPane + " ";
  const std::string view = std::string("CLICK ") + kPane + " BUTTON 74";
  const HostRun run = host.run(
    {"MATBROWSEROPEN", "DUMP {dir}/before.json", std::string("CLICK ") + kPane + " BUTTON 70", "DUMP {dir}/added.json",
     // Narrow, then wide again; list view, then icons again.
     resize + "150,600", "DUMP {dir}/narrow.json", resize + "300,600", "DUMP {dir}/wide.json", "ANSWER MENU 2001", view,
     "ANSWER MENU 2000", view, "DUMP {dump}", "QUIT"},
    {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = JsonValue::parse(host.readFile(L"before.json"));
  EXPECT_FALSE(items(before)[items(before).size() - 1]["inSight"].asBool())
    << "the test needs a list longer than the pane";

  const JsonValue added = JsonValue::parse(host.readFile(L"added.json"));
  EXPECT_TRUE(hasMaterial(added, "Default Generic (2)"));
  const JsonValue& last = items(added)[items(added).size() - 1];
  EXPECT_EQ(last["text"].asString(), "Default Generic (2)") << "appended at the end, never sorted";
  EXPECT_TRUE(last["selected"].asBool());
  EXPECT_TRUE(last["inSight"].asBool());

  // The icons fill the width in columns that all fit.
  const auto columns = [](const JsonValue& dump) {
    std::set<int> x;
    for (const JsonValue& it : items(dump).items())
      x.insert(int(it["position"][0].asNumber()));
    return x.size();
  };
  const auto horizontal = [](const JsonValue& dump) { return pane(dump)["list"]["scrollBars"]["horizontal"].asBool(); };
  EXPECT_GE(columns(before), 2u) << "at the default width";
  EXPECT_FALSE(horizontal(before));
  const JsonValue narrow = JsonValue::parse(host.readFile(L"narrow.json"));
  EXPECT_EQ(columns(narrow), 1u);
  EXPECT_FALSE(horizontal(narrow));
  const JsonValue wide = JsonValue::parse(host.readFile(L"wide.json"));
  EXPECT_EQ(columns(wide), columns(before)) << "the columns come back";
  EXPECT_FALSE(horizontal(wide));
  const JsonValue dump = run.dump();
  EXPECT_EQ(pane(dump)["list"]["view"].asString(), "icon");
  EXPECT_EQ(columns(dump), columns(before)) << "after the list view";
  EXPECT_FALSE(horizontal(dump));
}

TEST(BrowserItems, AnItemOutOfSightIsScrolledToWithTheWheelThenClicked)
{
  HostHarness host;
  // Sorted: the fillers first, "Global" last.
  const std::wstring file = drawing(host, fillerMaterials(40));
  const std::string click = std::string("CLICK ") + kPane + " ITEM ";
  const HostRun run = host.run({"MATBROWSEROPEN", "DUMP {dir}/top.json", click + "Global", "DUMP {dir}/bottom.json",
                                click + "\"Filler 10\"", "DUMP {dir}/back.json",
                                // The list view scrolls sideways.
                                "ANSWER MENU 2001", std::string("CLICK ") + kPane + " BUTTON 74",
                                std::string("RESIZE ") + kPane + " 150,300", "DUMP {dir}/list.json", click + "Global",
                                "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto at = [](const JsonValue& it, int axis) { return it["position"][std::size_t(axis)].asNumber(); };
  const JsonValue top = JsonValue::parse(host.readFile(L"top.json"));
  ASSERT_EQ(itemTexts(top).back(), "Global");
  ASSERT_FALSE(item(top, "Global")["inSight"].asBool()) << "the test needs the last item out of sight";

  const JsonValue bottom = JsonValue::parse(host.readFile(L"bottom.json"));
  EXPECT_EQ(selectedTexts(bottom), (std::vector<std::string>{"Global"}));
  EXPECT_TRUE(item(bottom, "Global")["inSight"].asBool());
  EXPECT_FALSE(item(bottom, "Filler 10")["inSight"].asBool()) << "scrolled down";
  EXPECT_LT(at(item(bottom, "Filler 10"), 1), at(item(top, "Filler 10"), 1));
  EXPECT_FALSE(pane(bottom)["list"]["scrollBars"]["horizontal"].asBool());

  const JsonValue back = JsonValue::parse(host.readFile(L"back.json"));
  EXPECT_EQ(selectedTexts(back), (std::vector<std::string>{"Filler 10"}));
  EXPECT_TRUE(item(back, "Filler 10")["inSight"].asBool());
  EXPECT_FALSE(item(back, "Global")["inSight"].asBool()) << "scrolled up again";

  const JsonValue list = JsonValue::parse(host.readFile(L"list.json"));
  ASSERT_EQ(pane(list)["list"]["view"].asString(), "list");
  ASSERT_FALSE(item(list, "Global")["inSight"].asBool()) << "the test needs the last column out of sight";
  const JsonValue dump = run.dump();
  EXPECT_EQ(selectedTexts(dump), (std::vector<std::string>{"Global"}));
  EXPECT_TRUE(item(dump, "Global")["inSight"].asBool());
  EXPECT_FALSE(item(dump, "Filler 10")["inSight"].asBool());
  EXPECT_LT(at(item(dump, "Filler 10"), 0), at(item(list, "Filler 10"), 0)) << "scrolled sideways";
}

TEST(BrowserItems, ClonesAreNumberedFromTheNameAndKeepTheMaterial)
{
  HostHarness host;
  // Two drawings: "Steel(12)" alone, and "Steel" (the browser follows the current one).
  const HostRun run = host.run(
    {"NEW Plain", "MATERIAL Steel DIFFUSE 40,60,200", "NEW Numbered", "MATERIAL \"Steel(12)\"", "MATBROWSEROPEN",
     "ANSWER MENU 1000", std::string("CLICK ") + kPane + " ITEM \"Steel(12)\" RIGHT", "DUMP {dir}/numbered.json",
     "DOC 1", "ANSWER MENU 1000", std::string("CLICK ") + kPane + " ITEM Steel RIGHT", "ANSWER MENU 1000",
     std::string("CLICK ") + kPane + " ITEM Steel(1) RIGHT", "DUMP {dump}", "QUIT"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue numbered = JsonValue::parse(host.readFile(L"numbered.json"));
  EXPECT_TRUE(hasMaterial(numbered, "Steel(1)")) << "from the one digit after the last '('";

  const JsonValue dump = run.dump();
  EXPECT_EQ(itemTexts(dump), (std::vector<std::string>{"Global", "Steel", "Steel(1)", "Steel(2)"}));
  // A clone is the material again: the same blue on its thumbnail.
  const Rgb steel = centre(item(dump, "Steel")), copy = centre(item(dump, "Steel(2)"));
  EXPECT_NEAR(copy.r, steel.r, 4);
  EXPECT_NEAR(copy.b, steel.b, 4);
  EXPECT_GT(steel.b, steel.r + 60);
}

TEST(BrowserItems, ThumbnailsShowTheShadeAndFollowAChangeInPlace)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL \"Pure red\" DIFFUSE 230,20,20\nMATERIAL Teal DIFFUSE 20,160,160\n");
  const HostRun run = host.run({"MATBROWSEROPEN", std::string("CLICK ") + kPane + " ITEM Teal", "DUMP {dir}/first.json",
                                // Changed in the drawing: the thumbnail follows, the item stays.
                                "MATEDIT \"Pure red\" DIFFUSE 20,200,20", "DUMP {dir}/changed.json",
                                // A double click on blank space opens nothing, not even the
                                // item that was selected last.
                                std::string("CLICK ") + kPane + " ITEM \"Pure red\"", "WAIT 600",
                                std::string("CLICK ") + kPane + " EMPTY", "WAIT 600",
                                std::string("CLICK ") + kPane + " EMPTY DOUBLE", "WAIT 600", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue first = JsonValue::parse(host.readFile(L"first.json"));
  const JsonValue& red = item(first, "Pure red");
  EXPECT_EQ(red["thumbnail"]["size"][0].asNumber(), 96);
  const Rgb shade = centre(red);
  EXPECT_GT(shade.r, shade.g + 80) << red["thumbnail"]["centre"].asString();
  EXPECT_GT(shade.r, shade.b + 80);
  const Rgb teal = centre(item(first, "Teal"));
  EXPECT_GT(teal.g, teal.r + 60);

  const JsonValue changed = JsonValue::parse(host.readFile(L"changed.json"));
  const JsonValue& green = item(changed, "Pure red");
  EXPECT_GT(centre(green).g, centre(green).r + 80) << "the new colour: " << green["thumbnail"]["centre"].asString();
  EXPECT_EQ(green["image"].asNumber(), red["image"].asNumber()) << "in place of the old picture";
  EXPECT_EQ(item(changed, "Teal")["thumbnail"]["centre"].asString(),
            item(first, "Teal")["thumbnail"]["centre"].asString())
    << "only the changed material is drawn again";
  EXPECT_EQ(itemTexts(changed), itemTexts(first));
  EXPECT_TRUE(item(changed, "Teal")["selected"].asBool()) << "the selection stays";

  const JsonValue dump = run.dump();
  EXPECT_GT(dump["vectorizerQueries"].asNumber(), 0) << "thumbnails are drawn by the host's graphics module";
  for (const auto& shown : dump["palettes"].members())
    EXPECT_NE(shown.first.rfind("Material editor", 0), 0u) << "the double click on blank space opened a material";
}

// Thumbnails of a whole list are taken several to a bitmap: each item must
// still get its own picture, the last few of an unfilled bitmap too, and a
// reload starts a new image list rather than adding to the old one.
TEST(BrowserItems, EveryItemOfALongListShowsItsOwnColourBeforeAndAfterAThemeSwitch)
{
  HostHarness host;
  constexpr int kCount = 21;
  const int channels[3][3] = {{230, 0, 0}, {0, 230, 0}, {0, 0, 230}};
  std::string lines;
  for (int i = 0; i < kCount; ++i)
  {
    const int* c = channels[i % 3];
    lines += "MATERIAL \"Plain " + std::to_string(i) + "\" DIFFUSE " + std::to_string(c[0]) + "," +
             std::to_string(c[1]) + "," + std::to_string(c[2]) + "\n";
  }
  const HostRun run = host.run({"MATBROWSEROPEN", "WAIT THUMBNAILS", "DUMP {dir}/light.json", "THEME DARK",
                                "WAIT THUMBNAILS", "DUMP {dump}", "QUIT"},
                               {drawing(host, lines)});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  for (const JsonValue& dump : {JsonValue::parse(host.readFile(L"light.json")), run.dump()})
  {
    ASSERT_EQ(items(dump).size(), std::size_t(kCount + 1)) << "Global and the drawing's own";
    std::set<int> images;
    for (int i = 0; i < kCount; ++i)
    {
      const JsonValue& shown = item(dump, "Plain " + std::to_string(i));
      ASSERT_FALSE(shown["thumbnail"].isNull()) << i;
      const Rgb c = centre(shown);
      const int strongest = c.r > c.g && c.r > c.b ? 0 : c.g > c.b ? 1 : 2;
      EXPECT_EQ(strongest, i % 3) << "Plain " << i << ": " << shown["thumbnail"]["centre"].asString();
      images.insert(int(shown["image"].asNumber()));
    }
    EXPECT_EQ(images.size(), std::size_t(kCount)) << "no two items share a picture";
    EXPECT_LE(*images.rbegin(), kCount) << "the pictures of one showing only";
  }
}

// A theme switch draws the thumbnails again on the new background and leaves
// the list as the user left it: the selection, the place it is scrolled to,
// and after a removal (whose picture the old image list kept) each item
// still with its own picture.
TEST(BrowserItems, AThemeSwitchKeepsTheSelectionAndTheScrollingAndEachItemsOwnPicture)
{
  HostHarness host;
  constexpr int kCount = 45; // more than the pane shows at once
  const int channels[3][3] = {{230, 0, 0}, {0, 230, 0}, {0, 0, 230}};
  std::string lines;
  for (int i = 0; i < kCount; ++i)
  {
    const int* c = channels[i % 3];
    lines += "MATERIAL \"Plain " + std::to_string(i) + "\" DIFFUSE " + std::to_string(c[0]) + "," +
             std::to_string(c[1]) + "," + std::to_string(c[2]) + "\n";
  }
  const HostRun run =
    host.run({"MATBROWSEROPEN", std::string("CLICK ") + kPane + " ITEM \"Plain 9\"", "WAIT 700", "ERASE \"Plain 4\"",
              "DUMP {dir}/before.json", "THEME DARK", "WAIT THUMBNAILS", "DUMP {dump}", "QUIT"},
             {drawing(host, lines)});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = JsonValue::parse(host.readFile(L"before.json"));
  const JsonValue dump = run.dump();
  ASSERT_EQ(itemTexts(dump), itemTexts(before));
  ASSERT_EQ(items(dump).size(), std::size_t(kCount)) << "Global and the drawing's own but the erased one";
  EXPECT_FALSE(items(before)[0]["inSight"].asBool()) << "the test needs the list scrolled to the selection";
  std::set<int> images;
  for (std::size_t i = 0; i < items(dump).size(); ++i)
  {
    const JsonValue& now = items(dump)[i];
    const std::string text = now["text"].asString();
    EXPECT_EQ(now["selected"].asBool(), text == "Plain 9") << text;
    EXPECT_EQ(now["position"][0].asNumber(), items(before)[i]["position"][0].asNumber()) << text;
    EXPECT_EQ(now["position"][1].asNumber(), items(before)[i]["position"][1].asNumber()) << text;
    images.insert(int(now["image"].asNumber()));
    if (text == "Global")
      continue;
    ASSERT_FALSE(now["thumbnail"].isNull()) << text;
    const Rgb c = centre(now);
    const int strongest = c.r > c.g && c.r > c.b ? 0 : c.g > c.b ? 1 : 2;
    EXPECT_EQ(strongest, std::stoi(text.substr(6)) % 3) << text << ": " << now["thumbnail"]["centre"].asString();
  }
  EXPECT_EQ(images.size(), std::size_t(kCount)) << "no two items share a picture";
  EXPECT_LT(*images.rbegin(), kCount) << "a new image list, without the erased one's picture";
}
