// The Material editor's rows as a user works them: the glossiness slider
// (its percents are tests/rows'), a change made by a command surviving a later edit in the
// grid, the map menu, and an edit asked for on a material already gone. How
// the diffuse colour carries the other two is tests/rows' (material rows).
#include "PaletteRun.h"

#include <cmath>

using namespace palettetest;

namespace
{
// The offset into the glossiness slider's cell where a click lands on a percent.
int sliderOffset(const JsonValue& dump, int percent)
{
  const double width = gridRow(dump, "Generic.Glossiness")["cell"][2].asNumber();
  return int(std::ceil((percent + 0.5) * width / 100.0));
}

// The line that drags the glossiness slider's button from one percent to another.
std::string glossDrag(const std::string& pane, const JsonValue& shown, int fromPercent, int toPercent)
{
  return "DRAG " + pane + " EDITOR FROM " + std::to_string(sliderOffset(shown, fromPercent)) + " TO " +
         std::to_string(sliderOffset(shown, toPercent));
}

// A first run that opens Steel in the editor at the size the tests use, and
// its dump: where the grid's cells lie. Later runs start with the browser.
JsonValue openedOnce(HostHarness& host, const std::string& lines)
{
  const std::wstring file = drawing(host, lines);
  const HostRun run = host.run(
    {"MATBROWSEROPEN", open("Steel"), "RESIZE " + editorPane("Steel") + " 320,470", "DUMP {dump}", "QUIT"}, {file});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  return run.exitCode == 0 ? run.dump() : JsonValue();
}
} // namespace

TEST(MaterialEditorChannels, EditPickedOnAMaterialErasedWhileItsMenuIsOpenOpensNothing)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\nMATERIAL Oak\n");
  // The erase comes from the command line while the user's menu is open; the
  // user then picks "Edit" for the item that was there.
  const HostRun run = host.run({"MATBROWSEROPEN", "ANSWER RUN \"ERASE Steel\"", "ANSWER MENU 1005",
                                std::string("CLICK ") + kPane + " ITEM \"Steel\" RIGHT", "DUMP {dir}/erased.json",
                                open("Oak"), "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue erased = dumpOf(host, L"erased.json");
  ASSERT_EQ(erased["menus"].size(), 1u);
  EXPECT_EQ(erased["menus"][0]["answer"].asNumber(), 1005);
  EXPECT_FALSE(hasMaterial(erased, "Steel"));
  const JsonValue* pane = editor(erased);
  EXPECT_TRUE(pane == nullptr || !(*pane)["shown"].asBool()) << "no editor on a material that is gone";
  EXPECT_EQ(erased["messages"].size(), 0u);
  // The browser and the editor still work on what is left.
  const JsonValue dump = run.dump();
  ASSERT_NE(editor(dump), nullptr);
  EXPECT_EQ((*editor(dump))["title"].asString(), "Material editor - Oak");
  EXPECT_TRUE((*editor(dump))["shown"].asBool());
}

TEST(MaterialEditorChannels, ASpecularColourSetByACommandSurvivesAGlossinessDragInTheGrid)
{
  HostHarness host;
  const std::string pane = editorPane("Steel");
  const JsonValue shown = openedOnce(host, "MATERIAL Steel SPECULAR 200,200,200 GLOSS 0.5\n");
  const std::wstring file = drawing(host, "MATERIAL Steel SPECULAR 200,200,200 GLOSS 0.5\n");

  // From the button at 50 % to 20 %.
  const HostRun run = host.run({kSettle, open("Steel"), "RESIZE " + pane + " 320,470",
                                "MATEDIT Steel SPECULAR 10,200,30", "CLICK " + pane + " ROW \"Generic.Glossiness\"",
                                glossDrag(pane, shown, 50, 20), "KEY ENTER", "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  EXPECT_DOUBLE_EQ(material(dump, "Steel")["gloss"].asNumber(), 0.2);
  EXPECT_EQ(channel(dump, "Steel", "specular"), "10,200,30") << "the editor wrote no stale colour back";
}

TEST(MaterialEditorChannels, RemoveInTheMapMenuClearsTheMapAndEditIsGreyedAfterwards)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel MAP MARBLE\n");
  const std::string pane = editorPane("Steel");
  const HostRun run = host.run(
    {"MATBROWSEROPEN", open("Steel"), "RESIZE " + pane + " 320,470", "DUMP {dir}/before.json", "ANSWER MENU 1001",
     "CLICK " + pane + " ROW \"Map.Diffuse\"", "CLICK " + pane + " EDITOR", "DUMP {dir}/removed.json", "ANSWER CANCEL",
     "CLICK " + pane + " ROW \"Map.Diffuse\"", "CLICK " + pane + " EDITOR", "DUMP {dump}", "QUIT"},
    {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue before = dumpOf(host, L"before.json"), removed = dumpOf(host, L"removed.json");
  ASSERT_NE(editor(before), nullptr);
  ASSERT_NE(editor(removed), nullptr);
  EXPECT_EQ(material(before, "Steel")["diffuseMap"]["texture"].asString(), "marble");
  EXPECT_EQ(gridRow(removed, "Map.Diffuse")["text"].asString(), "No texture specified");
  const JsonValue& map = material(removed, "Steel")["diffuseMap"];
  EXPECT_EQ(map["file"].asString(), "") << "no image named";
  EXPECT_TRUE(map["found"].isNull());
  EXPECT_NE((*editor(before))["preview"]["mean"].asString(), (*editor(removed))["preview"]["mean"].asString())
    << "the marble is gone from the preview";
  const JsonValue dump = run.dump();
  ASSERT_GE(dump["menus"].size(), 2u);
  const JsonValue& first = dump["menus"][0];
  const JsonValue& last = dump["menus"][dump["menus"].size() - 1];
  EXPECT_TRUE(menuItem(first, 1001)["enabled"].asBool());
  EXPECT_FALSE(menuItem(last, 1001)["enabled"].asBool()) << "nothing left to remove";
  EXPECT_FALSE(menuItem(last, 1002)["enabled"].asBool());
}

TEST(MaterialEditorChannels, AGlossinessPressReleasedOutsideTheSliderIsWrittenAsOneStep)
{
  HostHarness host;
  const std::string pane = editorPane("Steel");
  const JsonValue shown = openedOnce(host, "MATERIAL Steel GLOSS 0.5\n");
  const std::wstring file = drawing(host, "MATERIAL Steel GLOSS 0.5\n");

  // The bar pressed at 20 % (away from the thumb at 50 %), the button let
  // go far to the left of the pane.
  const HostRun run = host.run(
    {kSettle, open("Steel"), "RESIZE " + pane + " 320,470", "DUMP {dir}/before.json",
     "DRAG " + pane + " ROW \"Generic.Glossiness\" FROM " + std::to_string(sliderOffset(shown, 20)) + " TO -200",
     kPause, "DUMP {dump}", "QUIT"},
    {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto steps = [](const JsonValue& dump) {
    for (const JsonValue& document : dump["documents"].items())
      if (document["current"].asBool())
        return document["undo"]["steps"].size();
    return std::size_t(0);
  };
  const JsonValue before = dumpOf(host, L"before.json");
  const JsonValue dragged = run.dump();
  EXPECT_DOUBLE_EQ(material(dragged, "Steel")["gloss"].asNumber(), 0.2);
  EXPECT_EQ(steps(dragged), steps(before) + 1) << "the press and its release in one step";
  EXPECT_EQ(gridRow(dragged, "Generic.Glossiness")["editorValue"].asString(), "20%") << "what the material holds";
}
