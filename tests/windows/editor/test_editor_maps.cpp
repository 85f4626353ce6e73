// The diffuse map row: map files that moved into a search folder, one that
// is nowhere, and the file dialog behind "Image..." cancelled or answered
// with a file that is no image.
#include "PaletteRun.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace palettetest;

namespace
{
const std::filesystem::path kImages = std::filesystem::path(HOST_TEST_FIXTURES) / "images";

std::string fixture(const char* name)
{
  std::ifstream in(kImages / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Opens the map row's menu and picks "Image..."; the file dialog then takes
// the next answer that fits it.
std::vector<std::string> pickImage(const std::string& material, const std::string& fileAnswer)
{
  const std::string pane = editorPane(material);
  return {"ANSWER MENU 1000", fileAnswer, "CLICK " + pane + " ROW \"Map.Diffuse\"", "CLICK " + pane + " EDITOR"};
}

std::vector<std::string> join(std::vector<std::string> first, const std::vector<std::string>& more)
{
  first.insert(first.end(), more.begin(), more.end());
  return first;
}
} // namespace

TEST(MaterialEditorMaps, AMapFoundInASearchFolderShowsItsNameAndOneFoundNowhereSaysSo)
{
  HostHarness host;
  // The drawing names files where they are not; two now lie in search
  // folders, one given on the command line and one in the profile.
  std::filesystem::create_directories(host.file(L"maps"));
  std::filesystem::create_directories(host.file(L"more"));
  host.writeFile(L"maps/bricks.png", fixture("quad.png"));
  host.writeFile(L"more/tiles.png", fixture("quad.png"));
  host.writeFile(L"profile.txt", "[Options]\nTextureSearchPath=s:" + scriptPath(host.file(L"more")) + "\n");
  const std::wstring file = drawing(host, "MATERIAL Moved MAP FILE 'C:/nowhere/bricks.png'\n"
                                          "MATERIAL Tiles MAP FILE 'C:/nowhere/tiles.png'\n"
                                          "MATERIAL Lost MAP FILE 'C:/nowhere/gone.png'\n");
  const HostRun run = host.run({"MATBROWSEROPEN", open("Moved"), "DUMP {dir}/moved.json", kPause, open("Tiles"),
                                "DUMP {dir}/tiles.json", kPause, open("Lost"), "DUMP {dump}", "QUIT"},
                               {file, L"/texturepath", host.file(L"maps")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue moved = dumpOf(host, L"moved.json"), tiles = dumpOf(host, L"tiles.json"), dump = run.dump();
  EXPECT_EQ(gridRow(moved, "Map.Diffuse")["text"].asString(), "bricks.png");
  EXPECT_EQ(gridRow(tiles, "Map.Diffuse")["text"].asString(), "tiles.png");
  EXPECT_EQ(gridRow(dump, "Map.Diffuse")["text"].asString(), "Unable to find texture file 'C:/nowhere/gone.png'");
  // Showing where a map was found writes nothing.
  for (const char* name : {"Moved", "Tiles", "Lost"})
    EXPECT_EQ(material(dump, name)["writes"].asNumber(), 0) << name;
  EXPECT_EQ(material(dump, "Moved")["diffuseMap"]["file"].asString(), "C:/nowhere/bricks.png");
}

TEST(MaterialEditorMaps, ACancelledFileDialogChangesNothing)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel MAP MARBLE\n");
  const HostRun run = host.run(
    join(join({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/before.json"}, pickImage("Steel", "ANSWER CANCEL")),
         {"DUMP {dump}", "QUIT"}),
    {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), dump = run.dump();
  ASSERT_EQ(dump["fileDialogs"].size(), 1u);
  EXPECT_TRUE(dump["fileDialogs"][0]["answer"].isNull());
  EXPECT_EQ(dump["fileDialogs"][0]["filter"].asString(),
            "Image (*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.png)|*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.png|");
  EXPECT_EQ(material(dump, "Steel")["writes"].asNumber(), material(before, "Steel")["writes"].asNumber());
  EXPECT_EQ(material(dump, "Steel")["diffuseMap"]["texture"].asString(), "marble");
  EXPECT_EQ(gridRow(dump, "Map.Diffuse")["text"].asString(), gridRow(before, "Map.Diffuse")["text"].asString());
  EXPECT_EQ((*editor(dump))["preview"]["mean"].asString(), (*editor(before))["preview"]["mean"].asString());
}

TEST(MaterialEditorMaps, AFileThatIsNoImageChosenAsTheMapLeavesAPlainPreviewAndAConsistentDrawing)
{
  HostHarness host;
  host.writeFile(L"broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "no picture here");
  host.writeFile(L"good.png", fixture("quad.png"));
  const std::wstring file = drawing(host, "MATERIAL Steel DIFFUSE 200,40,40\n");
  const std::string broken = "ANSWER FILE '" + scriptPath(host.file(L"broken.png")) + "'";
  const std::string good = "ANSWER FILE '" + scriptPath(host.file(L"good.png")) + "'";
  const HostRun run =
    host.run(join(join(join({"MATBROWSEROPEN", open("Steel"), "DUMP {dir}/before.json"}, pickImage("Steel", broken)),
                       {"DUMP {dir}/broken.json"}),
                  join(pickImage("Steel", good), {"DUMP {dump}", "QUIT"})),
             {file});
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), shown = dumpOf(host, L"broken.json"), dump = run.dump();
  // The choice is kept as the user made it; the preview shows the colour.
  EXPECT_EQ(gridRow(shown, "Map.Diffuse")["text"].asString(), "broken.png");
  const std::string chosen = material(shown, "Steel")["diffuseMap"]["file"].asString();
  EXPECT_EQ(chosen.substr(chosen.size() - std::min<std::size_t>(chosen.size(), 10)), "broken.png");
  ASSERT_NE(editor(shown), nullptr);
  ASSERT_FALSE((*editor(shown))["preview"].isNull());
  const Rgb centre = colour((*editor(shown))["preview"]["centre"]);
  EXPECT_GT(centre.r, centre.g) << "the diffuse colour stands in for the picture";
  EXPECT_EQ(channel(shown, "Steel", "diffuse"), "200,40,40");
  // Nothing stuck: a good image chosen next shows.
  EXPECT_EQ(gridRow(dump, "Map.Diffuse")["text"].asString(), "good.png");
  EXPECT_NE((*editor(dump))["preview"]["mean"].asString(), (*editor(shown))["preview"]["mean"].asString());
  EXPECT_GT(material(dump, "Steel")["writes"].asNumber(), material(before, "Steel")["writes"].asNumber());
}
