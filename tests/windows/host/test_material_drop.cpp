// A material dragged from the Materials Browser and dropped on the model
// view, by real presses and moves (OLE drag and drop under Wine): what the
// view answers while the drag is over it, what the drop changes, its undo,
// and drops that must change nothing.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const char kDrawing[] = "MATERIAL Oak DIFFUSE 200,120,40\nMATERIAL Steel DIFFUSE 60,90,170\n"
                        "BOX MATERIAL Steel AT 0,0,0 SIZE 2\n";
// A point the fitted box covers in the view beside the docked browser, and
// one in the view's corner that it leaves empty (both checked below).
const int kOnBox[2] = {240, 300}, kEmpty[2] = {4, 4};

std::string at(const int point[2]) { return std::to_string(point[0]) + "," + std::to_string(point[1]); }

const JsonValue& documentTitled(const JsonValue& dump, const std::string& title)
{
  for (const JsonValue& document : dump["documents"].items())
    if (document["title"].asString() == title)
      return document;
  throw std::runtime_error("no document " + title);
}

std::string boxMaterial(const JsonValue& dump, const std::string& title = "drawing")
{
  return documentTitled(dump, title)["entities"][0]["material"].asString();
}

std::size_t undoSteps(const JsonValue& dump, const std::string& title = "drawing")
{
  return documentTitled(dump, title)["undo"]["steps"].items().size();
}

bool inBox(const JsonValue& dump, const int point[2])
{
  const std::string handle = documentTitled(dump, "drawing")["entities"][0]["handle"].asString();
  const JsonValue& box = dump["view"]["entities"][handle]["box"];
  return point[0] >= box[0].asNumber() && point[0] < box[2].asNumber() && point[1] >= box[1].asNumber() &&
         point[1] < box[3].asNumber();
}
} // namespace

TEST(MaterialDrop, OntoAnEntityItAppliesAsOneUndoStepAndElsewhereOrForAnotherDocumentNothingChanges)
{
  HostHarness host;
  host.writeFile(L"drawing.mescript", kDrawing);
  host.writeFile(L"other.mescript", kDrawing);
  const std::string drag = "DRAG \"Materials Browser\" ITEM \"Oak\" TO ";
  const HostRun run =
    host.run({"MATBROWSEROPEN", drag + "VIEW AT " + at(kOnBox) + " HOLD", "DUMP {dir}/over.json", "RELEASE",
              "DUMP {dir}/dropped.json", "UNDO", "DUMP {dir}/undone.json", drag + "VIEW AT " + at(kEmpty) + " HOLD",
              "DUMP {dir}/empty.json", "RELEASE", drag + "\"Materials Browser\" EMPTY", "DUMP {dir}/browser.json",
              // Mid-drag the drawing closes and another (with the same handles)
              // comes to the view, maybe at its address: the material is not its.
              drag + "VIEW AT " + at(kOnBox) + " HOLD", "CLOSE", "OPEN {dir}/other.mescript", "WAIT 300",
              "DUMP {dir}/other.json", "RELEASE", "DUMP {dump}", "QUIT"},
             {host.file(L"drawing.mescript")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto read = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };

  const JsonValue over = read(L"over.json"), dropped = read(L"dropped.json");
  ASSERT_TRUE(inBox(over, kOnBox));
  EXPECT_EQ(over["view"]["dragEffect"].asString(), "copy");
  EXPECT_EQ(boxMaterial(over), "Steel") << "nothing changes before the drop";
  EXPECT_EQ(boxMaterial(dropped), "Oak");
  ASSERT_EQ(undoSteps(dropped), undoSteps(over) + 1);
  EXPECT_EQ(documentTitled(dropped, "drawing")["undo"]["steps"][0].asString(), "Apply material");
  // Drawn at once: the box's pixels turned from blue steel to orange oak.
  const std::string handle = documentTitled(over, "drawing")["entities"][0]["handle"].asString();
  const JsonValue &was = over["view"]["entities"][handle]["mean"], &now = dropped["view"]["entities"][handle]["mean"];
  EXPECT_GT(now[0].asNumber(), was[0].asNumber() + 20);
  EXPECT_LT(now[2].asNumber(), was[2].asNumber() - 20);

  const JsonValue undone = read(L"undone.json");
  EXPECT_EQ(boxMaterial(undone), "Steel");
  EXPECT_EQ(undoSteps(undone), undoSteps(over));

  const JsonValue empty = read(L"empty.json");
  ASSERT_FALSE(inBox(empty, kEmpty));
  EXPECT_EQ(empty["view"]["dragEffect"].asString(), "none");
  const JsonValue browser = read(L"browser.json");
  EXPECT_EQ(boxMaterial(browser), "Steel");
  EXPECT_EQ(undoSteps(browser), undoSteps(over));
  EXPECT_EQ(read(L"other.json")["view"]["dragEffect"].asString(), "none");
  EXPECT_EQ(boxMaterial(run.dump(), "other"), "Steel");
  EXPECT_EQ(undoSteps(run.dump(), "other"), 0u);
}

TEST(MaterialDrop, AQuitMidDragGivesTheDragUpBeforeTheModuleIsUnloaded)
{
  HostHarness host;
  host.writeFile(L"drawing.mescript", kDrawing);
  const HostRun run =
    host.run({"MATBROWSEROPEN", "DRAG \"Materials Browser\" ITEM \"Oak\" TO VIEW AT " + at(kOnBox) + " HOLD", "QUIT"},
             {host.file(L"drawing.mescript")});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
}
