// The browser on the bundled sample drawing, as scripts/run shows it: also
// run by scripts/test against the optimised build.
#include "PaletteRun.h"

using namespace palettetest;

TEST(BrowserSample, EveryMaterialOfTheSampleDrawingShowsWithAThumbnail)
{
  HostHarness host;
  const HostRun run = host.run({"MATBROWSEROPEN", "DUMP {dump}", "QUIT"}, {L"" HOST_TEST_SAMPLE});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  const std::size_t materials = currentDocument(dump)["materials"].size();
  ASSERT_GT(materials, 3u);
  // By Layer and By Block are no materials a user picks.
  ASSERT_EQ(items(dump).size(), materials - 2);
  for (const JsonValue& item : items(dump).items())
  {
    ASSERT_FALSE(item["thumbnail"].isNull()) << item["text"].asString();
    EXPECT_GT(item["thumbnail"]["size"][0].asNumber(), 0) << item["text"].asString();
  }
}
