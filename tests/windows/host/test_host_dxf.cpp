// DXF drawings in the host: opened from scripts, saved and saved under
// another name, read back with everything they had; broken files refused
// with the file and line, leaving every open document as it was.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Compact JSON of a value, to compare whole parts of two dumps.
std::string text(const JsonValue& value)
{
  switch (value.kind())
  {
  case JsonValue::Kind::Null: return "null";
  case JsonValue::Kind::Bool: return value.asBool() ? "true" : "false";
  case JsonValue::Kind::Number:
  {
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", value.asNumber());
    return number;
  }
  case JsonValue::Kind::String: return "\"" + value.asString() + "\"";
  case JsonValue::Kind::Array:
  {
    std::string out = "[";
    for (const JsonValue& item : value.items())
      out += text(item) + ",";
    return out + "]";
  }
  default:
  {
    std::string out = "{";
    for (const auto& [key, member] : value.members())
      out += "\"" + key + "\":" + text(member) + ",";
    return out + "}";
  }
  }
}

// A document as DUMP shows it, without what a save or a reload changes by
// nature: its title and file, the load time and the write counters.
std::string drawingOf(const JsonValue& document)
{
  std::string out;
  for (const JsonValue& material : document["materials"].items())
    for (const auto& [key, value] : material.members())
      if (key != "writes")
        out += key + "=" + text(value) + ";";
  for (const char* key : {"renderMode", "cmaterial", "layers", "entities", "groups"})
    out += std::string(key) + "=" + text(document[key]) + "\n";
  return out;
}
} // namespace

TEST(HostDxf, TheSampleDrawingComesBackWhole)
{
  HostHarness host;
  const HostRun run = host.run({"OPEN '" HOST_TEST_SAMPLE "'", "SAVEAS {dir}/copy.dxf", "OPEN {dir}/copy.dxf", "SAVE",
                                "OPEN {dir}/copy.dxf", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 3u);
  const JsonValue& original = dump["documents"][0];
  // The saved document carries its new file and the title from it.
  EXPECT_EQ(original["title"].asString(), "copy");
  EXPECT_TRUE(contains(original["fileName"].asString(), "copy.dxf"));
  EXPECT_EQ(original["materials"].size(), 11u);
  EXPECT_GT(original["groups"].size(), 0u);
  EXPECT_GT(original["entities"].size(), 3u);
  const std::string before = drawingOf(original);
  for (std::size_t i = 1; i < 3; ++i)
  {
    const JsonValue& reopened = dump["documents"][i];
    EXPECT_EQ(reopened["readerWarnings"].size(), 0u);
    EXPECT_EQ(drawingOf(reopened), before) << "document " << i + 1;
    EXPECT_GE(reopened["loadSeconds"].asNumber(), 0.0);
  }
  // Its image, marble and wood maps are among what came back.
  for (const char* kind : {"\"texture\":\"image\"", "\"texture\":\"marble\"", "\"texture\":\"wood\""})
    EXPECT_TRUE(contains(before, kind)) << kind;
}

TEST(HostDxf, TheShippedSampleOpensFromTheCommandLineWithItsMaps)
{
  HostHarness host;
  const HostRun run = host.run({"DUMP {dump}", "QUIT"}, {L"" HOST_TEST_SAMPLE_DXF, L"/nomodule"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  const JsonValue& sample = dump["documents"][0];
  EXPECT_EQ(sample["title"].asString(), "sample");
  EXPECT_EQ(sample["materials"].size(), 11u);
  EXPECT_EQ(sample["readerWarnings"].size(), 0u);
  // The image maps are found beside the DXF file, as beside the script.
  int found = 0;
  for (const JsonValue& material : sample["materials"].items())
    found += material["diffuseMap"]["texture"].isNull() || material["diffuseMap"]["found"].isNull() ? 0 : 1;
  EXPECT_EQ(found, 3);
}

TEST(HostDxf, BrokenFilesAreRefusedAndWhatIsNotShownIsKept)
{
  HostHarness host;
  host.writeFile(L"broken.dxf", "  0\nSECTION\n  2\nENTITIES\nabc\nLINE\n");
  host.writeFile(L"binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "xx");
  host.writeFile(L"lines.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n  0\nLINE\n  8\n0\n"
                               "  0\n3DFACE\n  8\nNew\n  0\nENDSEC\n"
                               "  0\nSECTION\n  2\nOBJECTS\n  0\nXRECORD\n  0\nXRECORD\n  0\nENDSEC\n  0\nEOF\n");
  const HostRun run = host.run({"NEW Kept", "MATERIAL Steel", "OPEN {dir}/broken.dxf", "OPEN {dir}/binary.dxf",
                                "OPEN {dir}/missing.dxf", "OPEN {dir}/lines.dxf", "DOC 1", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "broken.dxf, line 5: a group code was expected, found \"abc\"")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "binary.dxf, line 1: a binary DXF file")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "missing.dxf")) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 2u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "Kept");
  EXPECT_TRUE(dump["documents"][0]["current"].asBool());
  EXPECT_EQ(dump["documents"][0]["materials"].size(), 4u);
  const JsonValue& lines = dump["documents"][1];
  EXPECT_EQ(lines["title"].asString(), "lines");
  // Lines and objects it does not know are kept, nothing skipped.
  EXPECT_EQ(lines["readerWarnings"].size(), 0u);
  EXPECT_EQ(lines["keptEntities"]["LINE"].asNumber(), 2.0);
  ASSERT_EQ(lines["entities"].size(), 1u);
  EXPECT_EQ(lines["entities"][0]["kind"].asString(), "OdDbFace");
  EXPECT_EQ(lines["entities"][0]["material"].asString(), "By Layer");
}

TEST(HostDxf, AFailedSaveLeavesTheOldFile)
{
  HostHarness host;
  host.writeFile(L"locked.dxf", "old");
  std::filesystem::permissions(host.file(L"locked.dxf"), std::filesystem::perms::owner_read);
  const HostRun run = host.run({"NEW", "SAVEAS {dir}/locked.dxf", "SAVEAS {dir}/missing/x.dxf", "SAVEAS {dir}/x.txt",
                                "SAVE", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, "script.mescript:2: ")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "locked.dxf could not be saved")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:3: ")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "x.txt\" is no .dxf file")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:5: \"Drawing1\" is saved as DXF only")) << run.errors;
  std::filesystem::permissions(host.file(L"locked.dxf"), std::filesystem::perms::owner_all);
  EXPECT_EQ(host.readFile(L"locked.dxf"), "old");
  EXPECT_EQ(run.dump()["documents"][0]["title"].asString(), "Drawing1");
}
