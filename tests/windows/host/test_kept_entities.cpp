// Entities of types the host does not show, kept from a drawing file: the
// status line says so as the drawing opens, the object list and DUMP count
// them by type, nothing selects them, and a save that would leave some out
// asks first (a script's SAVE is refused unless it says FORCE).
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace
{
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// An R12 drawing: a 3D face (F1) among lines (A1 on layer Notes),
// dimensions, a viewport, a polyline with its vertices, a circle in paper
// space and a text in a block. Dimensions and viewports of so old a file
// cannot be written back as they were.
const char kOldDrawing[] =
  "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
  "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nTag\n70\n0\n10\n0\n20\n0\n30\n0\n"
  "0\nTEXT\n8\n0\n10\n0\n20\n0\n30\n0\n40\n1\n1\nHi\n0\nENDBLK\n8\n0\n0\nENDSEC\n"
  "0\nSECTION\n2\nENTITIES\n"
  "0\n3DFACE\n5\nF1\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n12\n1\n22\n1\n32\n0\n13\n0\n23\n1\n33\n0\n"
  "0\nLINE\n5\nA1\n8\nNotes\n10\n0\n20\n0\n30\n0\n11\n1\n21\n1\n31\n0\n"
  "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n2\n21\n1\n31\n0\n"
  "0\nDIMENSION\n8\n0\n0\nDIMENSION\n8\n0\n0\nDIMENSION\n8\n0\n0\nVIEWPORT\n8\n0\n"
  "0\nPOLYLINE\n8\n0\n66\n1\n70\n0\n0\nVERTEX\n8\n0\n10\n0\n20\n0\n0\nVERTEX\n8\n0\n10\n1\n20\n1\n0\nSEQEND\n8\n0\n"
  "0\nCIRCLE\n8\n0\n67\n1\n10\n0\n20\n0\n30\n0\n40\n1\n"
  "0\nENDSEC\n0\nEOF\n";

const char kLeaveOut[] =
  "Saving will leave out 3 DIMENSION and 1 VIEWPORT entities that this program cannot keep. Save anyway?";

std::map<std::string, double> counts(const JsonValue& kept)
{
  std::map<std::string, double> out;
  for (const auto& [type, count] : kept.members())
    out[type] = count.asNumber();
  return out;
}
} // namespace

TEST(HostKeptEntities, NothingSelectsThemAndASaveThatLeavesSomeOutAsksFirst)
{
  HostHarness host;
  host.writeFile(L"old.dxf", kOldDrawing);
  const HostRun run = host.run(
    {
      "OPEN {dir}/old.dxf",
      "SELECT ALL",
      "DUMP {dir}/opened.json",
      "SELECT A1", // 4: refused
      "SAVE",      // 5: refused with the question
      "ANSWER NO",
      "MENU File Save", // No: nothing written
      "OPEN {dir}/old.dxf",
      "DOC 1", // the file as it still is
      "ANSWER YES",
      "MENU File Save", // Yes: written
      "MENU File Save", // agreed already: no question
      "OPEN {dir}/old.dxf",
      "DOC 1", // the file as written
      "LAYER Extra",
      "SAVE",                          // 16: changed, so refused again
      "SAVEAS {dir}/forced.dxf FORCE", // written
      "LAYER More",
      "ANSWER YES",
      "ANSWER NO",
      "QUIT", // the close's save asks too; No keeps it open
      "DUMP {dump}",
      "ANSWER NO",
      "QUIT",
    },
    HostHarness::withoutModule());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(contains(run.errors, std::string("script.mescript:5: ") + kLeaveOut)) << run.errors;
  EXPECT_TRUE(contains(run.errors, std::string("script.mescript:16: ") + kLeaveOut)) << run.errors;
  EXPECT_FALSE(contains(run.errors, "script.mescript:17")) << run.errors;
  EXPECT_TRUE(contains(run.errors, "script.mescript:4: \"A1\" is an entity this program does not show")) << run.errors;

  const JsonValue opened = JsonValue::parse(host.readFile(L"opened.json"));
  EXPECT_TRUE(contains(opened["mainWindow"]["status"].asString(), "Kept 9 entities this program does not show."))
    << opened["mainWindow"]["status"].asString();
  const JsonValue& document = opened["documents"][0];
  EXPECT_EQ(counts(document["keptEntities"]),
            (std::map<std::string, double>{
              {"CIRCLE", 1}, {"DIMENSION", 3}, {"LINE", 2}, {"POLYLINE", 1}, {"TEXT", 1}, {"VIEWPORT", 1}}));
  EXPECT_EQ(document["readerWarnings"].size(), 0u);
  // Only the face is an object the host shows, draws and selects.
  ASSERT_EQ(document["entities"].size(), 1u);
  EXPECT_EQ(document["entities"][0]["handle"].asString(), "F1");
  ASSERT_EQ(document["selection"].size(), 1u);
  EXPECT_EQ(document["selection"][0].asString(), "F1");
  std::vector<std::string> viewed;
  for (const auto& [handle, entity] : opened["view"]["entities"].members())
    viewed.push_back(handle);
  EXPECT_EQ(viewed, std::vector<std::string>{"F1"});

  // The list names the kept entities by type, after the objects it lists.
  std::vector<std::string> list;
  for (const JsonValue& line : opened["mainWindow"]["objectList"].items())
    list.push_back(line.asString());
  const auto at = [&](const std::string& line) { return std::find(list.begin(), list.end(), line) - list.begin(); };
  EXPECT_LT(at("  DIMENSION \u00d7 3 (kept)"), std::ptrdiff_t(list.size()));
  EXPECT_LT(
    std::find_if(list.begin(), list.end(), [](const std::string& line) { return line.rfind("  F1 ", 0) == 0; }) -
      list.begin(),
    at("  LINE \u00d7 2 (kept)"));

  const JsonValue dump = run.dump();
  std::vector<std::string> asked;
  for (const JsonValue& message : dump["messages"].items())
  {
    asked.push_back(message["answer"].asString() + " " + message["text"].asString());
    if (message["text"].asString() == kLeaveOut)
    {
      EXPECT_EQ(message["buttons"].asString(), "yesno");
      EXPECT_EQ(message["icon"].asString(), "exclamation");
    }
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"NO " + std::string(kLeaveOut), "YES " + std::string(kLeaveOut),
                                             "YES Save changes to forced?", "NO " + std::string(kLeaveOut)}));
  const JsonValue& documents = dump["documents"];
  ASSERT_EQ(documents.size(), 3u);
  EXPECT_EQ(counts(documents[1]["keptEntities"])["DIMENSION"], 3);
  EXPECT_EQ(counts(documents[2]["keptEntities"]).count("DIMENSION"), 0u);
  EXPECT_EQ(counts(documents[2]["keptEntities"]).count("VIEWPORT"), 0u);
  // The quit's save was declined: still open, still modified.
  EXPECT_EQ(documents[0]["title"].asString(), "forced");
  EXPECT_TRUE(documents[0]["modified"].asBool());
  EXPECT_FALSE(host.readFile(L"forced.dxf").empty());
}
