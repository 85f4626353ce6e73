// A long list shows at once with placeholders; the thumbnails follow, those
// in sight first, while the user goes on working, and each ends as the
// picture the browser renders for a single material.
#include "PaletteRun.h"

#include <algorithm>
#include <cstdio>

using namespace palettetest;

namespace
{
constexpr int kCount = 600;

std::string name(int i)
{
  char text[16];
  std::snprintf(text, sizeof text, "Plain %03d", i);
  return text;
}

std::string diffuseOf(int i) { return std::to_string(i % 256) + "," + std::to_string(i / 256 * 90) + ",200"; }

struct Counts
{
  int inSight = 0, inSightRendered = 0, rendered = 0, total = 0;
};

Counts counts(const JsonValue& dump)
{
  Counts c;
  for (const JsonValue& shown : items(dump).items())
  {
    const bool rendered = shown["rendered"].asBool();
    c.total += 1;
    c.rendered += rendered ? 1 : 0;
    c.inSight += shown["inSight"].asBool() ? 1 : 0;
    c.inSightRendered += shown["inSight"].asBool() && rendered ? 1 : 0;
  }
  return c;
}
} // namespace

TEST(BrowserFill, InSightFirstInputAnsweredMeanwhileAndEachItemEndsAsItsOwnRender)
{
  HostHarness host;
  std::string lines;
  for (int i = 0; i < kCount; ++i)
    lines += "MATERIAL \"" + name(i) + "\" DIFFUSE " + diffuseOf(i) + "\n";
  const std::string last = name(kCount - 1);
  const HostRun run =
    host.run({"MATBROWSEROPEN", "DUMP {dir}/open.json", std::string("CLICK ") + kPane + " ITEM \"" + name(1) + "\"",
              "DUMP {dir}/click.json", "KEY End", "WAIT THUMBNAILS INSIGHT", "DUMP {dir}/end.json", "WAIT THUMBNAILS",
              // Cloned in the browser, so rendered at once as one material.
              "ANSWER MENU 1000", rightClick(last), kPause, "ANSWER MENU 1000", rightClick(name(7)), kPause,
              "DUMP {dir}/done.json", "THEME DARK", "DUMP {dump}", "QUIT"},
             {drawing(host, lines)});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  // At once: every item with its name, those in sight with thumbnails, the
  // last ones still with their placeholders.
  const JsonValue open = dumpOf(host, L"open.json");
  ASSERT_EQ(items(open).size(), std::size_t(kCount + 1)) << "Global and the drawing's own";
  const Counts atOpen = counts(open);
  EXPECT_GT(atOpen.inSight, 0);
  EXPECT_EQ(atOpen.inSightRendered, atOpen.inSight);
  EXPECT_LT(atOpen.rendered, kCount / 2);
  EXPECT_FALSE(item(open, last)["rendered"].asBool());
  EXPECT_TRUE(item(open, last)["thumbnail"].isNull()) << "a placeholder is drawn over the item, not in its image list";

  // A click during the fill is answered before the fill ends.
  const JsonValue click = dumpOf(host, L"click.json");
  EXPECT_TRUE(item(click, name(1))["selected"].asBool());
  EXPECT_LT(counts(click).rendered, kCount) << "the fill had ended: the test proves nothing";

  // Scrolled to the end: those in sight come before the ones between.
  const JsonValue end = dumpOf(host, L"end.json");
  EXPECT_TRUE(item(end, last)["inSight"].asBool());
  const Counts atEnd = counts(end);
  EXPECT_EQ(atEnd.inSightRendered, atEnd.inSight);
  EXPECT_LT(atEnd.rendered, atEnd.total) << "the items in sight were rendered in their turn only";

  // Done: each filled item's thumbnail is what a single render gives.
  const JsonValue done = dumpOf(host, L"done.json");
  EXPECT_EQ(counts(done).rendered, counts(done).total);
  for (const auto& [filled, single] : {std::pair{name(7), name(7) + "(1)"}, std::pair{last, last + "(1)"}})
  {
    EXPECT_EQ(item(done, filled)["thumbnail"]["centre"].asString(),
              item(done, single)["thumbnail"]["centre"].asString());
    EXPECT_EQ(item(done, filled)["thumbnail"]["mean"].asString(), item(done, single)["thumbnail"]["mean"].asString());
  }

  // A theme switch goes through the placeholders again, in sight first.
  const Counts dark = counts(run.dump());
  EXPECT_EQ(dark.inSightRendered, dark.inSight);
  EXPECT_LT(dark.rendered, dark.total);
}

// Remove Unused takes hundreds away and its undo brings them back, each told
// of one at a time: the list is made again once, the selection stays on its
// material, the filter stays, and each item ends with the thumbnail it had.
TEST(BrowserFill, HundredsRemovedAndBroughtBackKeepSelectionFilterAndThumbnails)
{
  constexpr int kMany = 250; // more than the image list grows by at a time
  HostHarness host;
  std::string lines;
  for (int i = 0; i < kMany; ++i)
    lines += "MATERIAL \"" + name(i) + "\" DIFFUSE " + diffuseOf(i) + "\n";
  const std::string used = name(200);
  lines += "BOX MATERIAL \"" + used + "\"\n";
  const std::string clickUsed = std::string("CLICK ") + kPane + " ITEM \"" + used + "\"";
  const HostRun run = host.run({"MATBROWSEROPEN",
                                "WAIT THUMBNAILS",
                                "DUMP {dir}/before.json",
                                clickUsed,
                                "ERASE \"" + name(3) + "\"",
                                "ERASE \"" + name(150) + "\"",
                                "DUMP {dir}/erased.json",
                                "ANSWER MENU 1007",
                                "ANSWER YES",
                                std::string("CLICK ") + kPane + " EMPTY RIGHT",
                                kPause,
                                clickUsed,
                                "DUMP {dir}/removed.json",
                                std::string("CLICK ") + kPane + " FILTER",
                                "TYPE \"2\"",
                                "UNDO",
                                "WAIT THUMBNAILS",
                                "DUMP {dir}/undone.json",
                                "REDO",
                                "DUMP {dump}",
                                "QUIT"},
                               {drawing(host, lines)});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  // Items before the selected one erased: it stays selected.
  const JsonValue erased = dumpOf(host, L"erased.json");
  EXPECT_EQ(items(erased).size(), std::size_t(kMany + 1 - 2));
  EXPECT_EQ(selectedTexts(erased), std::vector<std::string>{used});

  const JsonValue removed = dumpOf(host, L"removed.json");
  EXPECT_EQ(itemTexts(removed), (std::vector<std::string>{"Global", used}));

  // Brought back: the selection follows its material down the list.
  const JsonValue before = dumpOf(host, L"before.json");
  const JsonValue undone = dumpOf(host, L"undone.json");
  std::vector<std::string> wanted;
  for (int i = 0; i < kMany; ++i)
    if (name(i).find('2') != std::string::npos)
      wanted.push_back(name(i));
  std::vector<std::string> shown = itemTexts(undone);
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, wanted) << "all back, those the filter lists";
  EXPECT_EQ(selectedTexts(undone), std::vector<std::string>{used});
  for (const std::string& text : wanted)
  {
    const JsonValue& now = item(undone, text);
    EXPECT_TRUE(now["rendered"].asBool()) << text;
    EXPECT_EQ(now["thumbnail"]["mean"].asString(), item(before, text)["thumbnail"]["mean"].asString()) << text;
    EXPECT_EQ(now["thumbnail"]["centre"].asString(), item(before, text)["thumbnail"]["centre"].asString()) << text;
  }

  // Taken away again at once: the selection follows it up the list.
  EXPECT_EQ(itemTexts(run.dump()), std::vector<std::string>{used});
  EXPECT_EQ(selectedTexts(run.dump()), std::vector<std::string>{used});
}
