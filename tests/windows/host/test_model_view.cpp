// The shaded model view in host.exe, worked by real clicks, drags and wheel
// notches: what it selects, what a material applied from the browser does
// to its pixels, and how the camera moves the entities on the screen.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

struct Box
{
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  std::string centre() const { return std::to_string((left + right) / 2) + "," + std::to_string((top + bottom) / 2); }
};

const JsonValue& currentDocument(const JsonValue& dump)
{
  for (const JsonValue& document : dump["documents"].items())
    if (document["current"].asBool())
      return document;
  throw std::runtime_error("no current document");
}

Box box(const JsonValue& dump, const std::string& handle)
{
  const JsonValue& b = dump["view"]["entities"][handle]["box"];
  return {int(b[0].asNumber()), int(b[1].asNumber()), int(b[2].asNumber()), int(b[3].asNumber())};
}

std::vector<double> mean(const JsonValue& colour)
{
  return {colour[0].asNumber(), colour[1].asNumber(), colour[2].asNumber()};
}

// The handle of the current document's entity with that material.
std::string entityWith(const JsonValue& dump, const std::string& material)
{
  for (const JsonValue& entity : currentDocument(dump)["entities"].items())
    if (entity["material"].asString() == material)
      return entity["handle"].asString();
  throw std::runtime_error("no entity of " + material);
}

std::string materialOf(const JsonValue& dump, const std::string& handle)
{
  for (const JsonValue& entity : currentDocument(dump)["entities"].items())
    if (entity["handle"].asString() == handle)
      return entity["material"].asString();
  return "";
}

std::vector<std::string> selection(const JsonValue& dump)
{
  std::vector<std::string> handles;
  for (const JsonValue& handle : currentDocument(dump)["selection"].items())
    handles.push_back(handle.asString());
  return handles;
}

std::wstring drawing(HostHarness& host, const std::string& lines)
{
  host.writeFile(L"drawing.mescript", lines);
  return host.file(L"drawing.mescript");
}
} // namespace

TEST(ModelView, AClickedEntityTakesTheMaterialAppliedFromTheBrowserAndItsPixelsChange)
{
  // Where the red cube lies with the browser open; a second host of the
  // same size then clicks it.
  HostHarness look;
  const HostRun seen = look.run({"MATBROWSEROPEN", "DUMP {dump}", "QUIT"}, {L"" HOST_TEST_SAMPLE});
  ASSERT_EQ(seen.exitCode, 0) << seen.errors;
  const JsonValue first = seen.dump();
  const std::string cube = entityWith(first, "Red plastic");
  const Box cubeBox = box(first, cube);
  ASSERT_TRUE(first["view"]["entities"][cube]["visible"].asBool());
  ASSERT_GT(cubeBox.width(), 10);

  HostHarness host;
  const HostRun run =
    host.run({"MATBROWSEROPEN", "CLICK VIEW AT " + cubeBox.centre(), "DUMP {dir}/picked.json", "ANSWER MENU 1003",
              "CLICK \"Materials Browser\" ITEM \"Green glass\" RIGHT", "DUMP {dump}", "QUIT"},
             {L"" HOST_TEST_SAMPLE});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue picked = JsonValue::parse(host.readFile(L"picked.json"));
  const JsonValue after = run.dump();
  EXPECT_EQ(selection(picked), std::vector<std::string>{cube});
  EXPECT_EQ(picked["view"]["selection"][0].asString(), cube);
  EXPECT_EQ(materialOf(after, cube), "Green glass");
  EXPECT_EQ(materialOf(after, entityWith(first, "Blue steel")), "Blue steel") << "only the selection changes";

  // Red plastic to green glass: the cube's box turns from red to green, and
  // so, a little, does the whole view.
  const std::vector<double> was = mean(picked["view"]["entities"][cube]["mean"]);
  const std::vector<double> now = mean(after["view"]["entities"][cube]["mean"]);
  EXPECT_LT(now[0], was[0] - 20) << "red";
  EXPECT_GT(now[1], was[1] + 20) << "green";
  const std::vector<double> wholeWas = mean(picked["view"]["mean"]), wholeNow = mean(after["view"]["mean"]);
  EXPECT_LT(wholeNow[0], wholeWas[0]);
  EXPECT_GT(wholeNow[1], wholeWas[1]);
}

TEST(ModelView, AWindowSelectsWhatItEnclosesShiftClickAddsAndRemovesAndAClickOnNothingClears)
{
  const std::string lines = "BOX AT 0,0,0 AS $a\nBOX AT 3,0,0 AS $b\nBOX AT 6,0,0 AS $c\n";
  HostHarness look;
  const HostRun seen = look.run({"DUMP {dump}", "QUIT"}, {drawing(look, lines)});
  ASSERT_EQ(seen.exitCode, 0) << seen.errors;
  const JsonValue first = seen.dump();
  std::vector<std::string> handles;
  for (const JsonValue& entity : currentDocument(first)["entities"].items())
    handles.push_back(entity["handle"].asString());
  ASSERT_EQ(handles.size(), 3u);
  const Box a = box(first, handles[0]), b = box(first, handles[1]), c = box(first, handles[2]);
  // A window around the first two, starting on empty space above the
  // first; one that cuts the third does not take it.
  const int top = std::min(a.top, b.top) - 6, bottom = std::max(a.bottom, b.bottom) + 6;
  const std::string from = std::to_string(std::min(a.left, b.left) - 6) + "," + std::to_string(top);
  const std::string to = std::to_string((c.left + c.right) / 2) + "," + std::to_string(bottom);

  HostHarness host;
  const HostRun run = host.run({"DRAG VIEW FROM " + from + " TO " + to, "DUMP {dir}/window.json",
                                "CLICK VIEW AT " + c.centre() + " SHIFT", "DUMP {dir}/added.json", "WAIT 700",
                                "CLICK VIEW AT " + a.centre() + " SHIFT", "DUMP {dir}/removed.json", "WAIT 700",
                                "CLICK VIEW AT " + b.centre(), "DUMP {dir}/one.json", "WAIT 700", "CLICK VIEW AT 3,3",
                                "DUMP {dump}", "QUIT"},
                               {drawing(host, lines)});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto read = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };
  EXPECT_EQ(selection(read(L"window.json")), (std::vector<std::string>{handles[0], handles[1]}));
  EXPECT_EQ(selection(read(L"added.json")), (std::vector<std::string>{handles[0], handles[1], handles[2]}));
  EXPECT_EQ(selection(read(L"removed.json")), (std::vector<std::string>{handles[1], handles[2]}));
  EXPECT_EQ(selection(read(L"one.json")), (std::vector<std::string>{handles[1]}));
  EXPECT_TRUE(selection(run.dump()).empty());
}

TEST(ModelView, WheelMiddleDragAndOrbitMoveTheBoxesAndEachDocumentKeepsItsCamera)
{
  HostHarness host;
  const std::string lines = "BOX AT 0,0,0 SIZE 2 AS $a\nBOX AT 4,0,0 AS $b\n";
  const HostRun run = host.run({"DUMP {dir}/start.json", "WHEEL VIEW 2", "DUMP {dir}/zoomed.json",
                                "DRAG VIEW FROM 200,200 TO 240,170 MIDDLE", "DUMP {dir}/panned.json",
                                "DRAG VIEW FROM 200,200 TO 260,200 MIDDLE SHIFT", "DUMP {dir}/orbited.json",
                                "DRAG VIEW FROM 200,200 TO 200,260 CTRL", "DUMP {dir}/tilted.json", "NEW Other",
                                "DUMP {dir}/other.json", "DOC 1", "DUMP {dump}", "QUIT"},
                               {drawing(host, lines)});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const auto read = [&](const wchar_t* name) { return JsonValue::parse(host.readFile(name)); };
  const JsonValue start = read(L"start.json"), zoomed = read(L"zoomed.json"), panned = read(L"panned.json");
  const JsonValue orbited = read(L"orbited.json"), tilted = read(L"tilted.json");
  const std::string big = entityWith(start, "By Layer");
  const Box s = box(start, big), z = box(zoomed, big), p = box(panned, big), o = box(orbited, big);

  // Two notches in: 1.25 squared as large.
  EXPECT_NEAR(double(z.width()) / s.width(), 1.5625, 0.05);
  EXPECT_NEAR(double(z.height()) / s.height(), 1.5625, 0.05);
  // The middle drag carries the model with the cursor, its size kept.
  EXPECT_NEAR(p.left - z.left, 40, 1);
  EXPECT_NEAR(p.top - z.top, -30, 1);
  EXPECT_EQ(p.width(), z.width());
  // Shift+middle and Ctrl+left turn the camera about its target.
  const auto position = [](const JsonValue& dump) { return mean(dump["view"]["camera"]["position"]); };
  const auto target = [](const JsonValue& dump) { return mean(dump["view"]["camera"]["target"]); };
  EXPECT_NE(position(orbited), position(panned));
  EXPECT_EQ(target(orbited), target(panned));
  EXPECT_NE(o.width(), p.width());
  EXPECT_NE(position(tilted), position(orbited));
  EXPECT_EQ(selection(tilted), std::vector<std::string>()) << "camera moves select nothing";

  // The new document shows its empty model; back in the first, the camera
  // is where the user left it.
  const JsonValue other = read(L"other.json");
  EXPECT_EQ(other["view"]["entities"].size(), 0u);
  EXPECT_EQ(position(run.dump()), position(tilted));
  EXPECT_EQ(box(run.dump(), big).left, box(tilted, big).left);
}
