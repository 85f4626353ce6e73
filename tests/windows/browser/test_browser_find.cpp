// Finding materials in the browser as a user does: the filter box in several
// scripts while the drawing changes under it, Select Objects through block
// references, and Remove Unused Materials with its question, its undo and
// its greyed item; entities kept from another program's file count for both.
#include "PaletteRun.h"

#include <algorithm>
#include <set>

using namespace palettetest;

namespace
{
std::string filterPlace(const char* rest = "") { return std::string("CLICK ") + kPane + " FILTER" + rest; }

std::vector<std::string> sortedTexts(const JsonValue& dump)
{
  std::vector<std::string> texts = itemTexts(dump);
  std::sort(texts.begin(), texts.end());
  return texts;
}

std::set<std::string> selection(const JsonValue& dump)
{
  std::set<std::string> handles;
  for (const JsonValue& handle : currentDocument(dump)["selection"].items())
    handles.insert(handle.asString());
  return handles;
}

const JsonValue& lastMenu(const JsonValue& dump)
{
  const JsonValue& menus = dump["menus"];
  return menus[menus.size() - 1];
}
} // namespace

TEST(BrowserFind, TheFilterFoldsCaseInEveryScriptAndFollowsTheDrawing)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL \"\xCE\xA9mega\"\nMATERIAL \"\xD0\x96\xD1\x91\xD0\xBB\xD1\x82\xD1\x8B\xD0\xB9\"\n"
                  "MATERIAL \"\xE6\x9C\xA8\xE6\x9D\x90\"\nMATERIAL Oak\nMATERIAL \"\xE1\x82\xA0ni\"\n");
  const std::string omega = "\xCE\xA9mega", georgian = "\xE1\x82\xA0ni",
                    yellow = "\xD0\x96\xD1\x91\xD0\xBB\xD1\x82\xD1\x8B\xD0\xB9";
  const std::string wood = "\xE6\x9C\xA8\xE6\x9D\x90", box = "\xE6\x9C\xA8\xE7\xAE\xB1",
                    oakTree = "\xE6\xA9\xA1\xE6\x9C\xA8";
  const HostRun run = host.run({"MATBROWSEROPEN", kSettle, std::string("CLICK ") + kPane + " ITEM \"" + yellow + "\"",
                                filterPlace(), "DUMP {dir}/empty.json",
                                // Cyrillic and Greek, folded: lower case finds upper and the other way.
                                "TYPE \"\xD0\xB6\xD0\x81\xD0\x9B\"", "DUMP {dir}/cyrillic.json", "KEY ESC",
                                "DUMP {dir}/esc.json", "TYPE \"\xCF\x89MEG\"", "DUMP {dir}/greek.json", "KEY ESC",
                                // A Georgian capital (Asomtavruli) found by its small letter.
                                "TYPE \"\xE2\xB4\x80N\"", "DUMP {dir}/georgian.json", filterPlace(" CLEAR"),
                                // CJK, while materials are added, renamed, undone and redone.
                                filterPlace(), "TYPE \"\xE6\x9C\xA8\"", "MATERIAL \"" + box + "\"", "MATERIAL Glass",
                                "MATEDIT Oak NAME \"" + oakTree + "\"", "DUMP {dir}/added.json", "UNDO", "UNDO", "UNDO",
                                "DUMP {dir}/undone.json", "REDO", "DUMP {dir}/redone.json",
                                // Later than a double click, which would select the text.
                                kPause, filterPlace(), "KEY END", "TYPE zzz", "DUMP {dir}/none.json",
                                // Down goes to the first item, where Delete works as ever.
                                "KEY BACKSPACE 3", "KEY DOWN", "KEY DELETE", kPause, "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  const JsonValue empty = dumpOf(host, L"empty.json");
  EXPECT_EQ(pane(empty)["filter"].asString(), "");
  EXPECT_FALSE(pane(empty)["filterClear"].asBool());
  EXPECT_EQ(itemTexts(empty).size(), 6u);

  // The selection stays on an item that still shows, and through Esc.
  const JsonValue cyrillic = dumpOf(host, L"cyrillic.json");
  ASSERT_EQ(itemTexts(cyrillic), (std::vector<std::string>{yellow}));
  EXPECT_TRUE(item(cyrillic, yellow)["selected"].asBool());
  EXPECT_TRUE(pane(cyrillic)["filterClear"].asBool());
  const JsonValue esc = dumpOf(host, L"esc.json");
  EXPECT_EQ(pane(esc)["filter"].asString(), "");
  EXPECT_EQ(itemTexts(esc).size(), 6u);
  EXPECT_TRUE(item(esc, yellow)["selected"].asBool());
  EXPECT_EQ(itemTexts(dumpOf(host, L"greek.json")), (std::vector<std::string>{omega}));
  EXPECT_EQ(itemTexts(dumpOf(host, L"georgian.json")), (std::vector<std::string>{georgian}));

  EXPECT_EQ(sortedTexts(dumpOf(host, L"added.json")), (std::vector<std::string>{wood, box, oakTree}));
  EXPECT_EQ(itemTexts(dumpOf(host, L"undone.json")), (std::vector<std::string>{wood}));
  EXPECT_EQ(itemTexts(dumpOf(host, L"redone.json")), (std::vector<std::string>{wood, box}));
  const JsonValue none = dumpOf(host, L"none.json");
  EXPECT_EQ(pane(none)["filter"].asString(), "\xE6\x9C\xA8zzz");
  EXPECT_TRUE(itemTexts(none).empty());

  const JsonValue dump = run.dump();
  EXPECT_FALSE(hasMaterial(dump, wood));
  EXPECT_EQ(itemTexts(dump), (std::vector<std::string>{box}));
  // Nothing of the filter reaches the profile.
  EXPECT_EQ(host.readFile(L"profile.txt").find("zzz"), std::string::npos);
}

TEST(BrowserFind, SelectObjectsAndRemoveUnusedCountBlocksLayersAndKeptEntities)
{
  HostHarness host;
  const std::wstring file =
    drawing(host, "MATERIAL Glass\nMATERIAL Oak\nMATERIAL Spare\nMATERIAL Spare2\n"
                  "MATERIAL Stone\nMATERIAL KeptOnly\nLAYER Walls MATERIAL Stone\n"
                  "BLOCK Lamp\nMESH MATERIAL Glass IN Lamp SIZE 0.5\n"
                  "BLOCK Table\nBOX MATERIAL Oak IN Table SIZE 2\nINSERT Lamp IN Table AT 0.5,0.5,1\n"
                  "INSERT Table AT 4,0,0\nINSERT Table AT 8,0,0\nBOX MATERIAL Glass AT 0,4,0\n"
                  "BOX LAYER Walls AT -3,0,0\nMESH MATERIAL Oak AT 0,8,0\n");
  const HostRun saved = host.run({"SAVEAS {dir}/kept.dxf FORCE", "DUMP {dump}", "QUIT"}, {file});
  ASSERT_EQ(saved.exitCode, 0) << saved.errors;
  const JsonValue drawn = saved.dump();
  // A line of another program, in model space, with its own material: kept, not shown.
  std::string dxf = host.readFile(L"kept.dxf");
  const std::size_t entities = dxf.find("ENTITIES\n");
  ASSERT_NE(entities, std::string::npos);
  dxf.insert(entities + 9, "  0\nLINE\n  5\n3F0\n330\n2\n100\nAcDbEntity\n  8\n0\n347\n" +
                             material(drawn, "KeptOnly")["handle"].asString() +
                             "\n100\nAcDbLine\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n1.0\n 21\n1.0\n 31\n0.0\n");
  host.writeFile(L"kept.dxf", dxf);

  const HostRun run = host.run({"MATBROWSEROPEN",
                                kSettle,
                                "ANSWER MENU 1006",
                                rightClick("Glass"),
                                kPause,
                                "DUMP {dir}/glass.json",
                                "ANSWER MENU 1006",
                                rightClick("KeptOnly"),
                                kPause,
                                "DUMP {dir}/kept.json",
                                "ANSWER MENU 1007",
                                "ANSWER YES",
                                std::string("CLICK ") + kPane + " EMPTY RIGHT",
                                kPause,
                                "DUMP {dir}/removed.json",
                                "ANSWER CANCEL",
                                std::string("CLICK ") + kPane + " EMPTY RIGHT",
                                kPause,
                                "UNDO",
                                "DUMP {dump}",
                                "QUIT"},
                               {host.file(L"kept.dxf")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  // Glass: its own box, and every insert whose block holds the lamp at any
  // depth; the by-layer box and the Oak mesh are not its users.
  std::set<std::string> glassUsers;
  for (const JsonValue& entity : currentDocument(drawn)["entities"].items())
    if (entity["kind"].asString() == "OdDbBlockReference" || entity["material"].asString() == "Glass")
      glassUsers.insert(entity["handle"].asString());
  EXPECT_EQ(glassUsers.size(), 3u);
  EXPECT_EQ(selection(dumpOf(host, L"glass.json")), glassUsers);
  EXPECT_EQ(selection(dumpOf(host, L"kept.json")), (std::set<std::string>{"3F0"}));

  const JsonValue removed = dumpOf(host, L"removed.json");
  const JsonValue& question = removed["messages"][removed["messages"].size() - 1];
  EXPECT_EQ(question["text"].asString(), "Remove 2 unused materials?");
  EXPECT_FALSE(hasMaterial(removed, "Spare"));
  EXPECT_FALSE(hasMaterial(removed, "Spare2"));
  for (const char* kept : {"Glass", "Oak", "Stone", "KeptOnly", "Global"})
    EXPECT_TRUE(hasMaterial(removed, kept)) << kept;
  EXPECT_EQ(currentDocument(removed)["undo"]["steps"][0].asString(), "Remove unused materials");

  // Nothing left unused: the item is greyed. The undo brings both back.
  const JsonValue dump = run.dump();
  EXPECT_FALSE(menuItem(lastMenu(dump), 1007)["enabled"].asBool());
  EXPECT_TRUE(hasMaterial(dump, "Spare"));
  EXPECT_TRUE(hasMaterial(dump, "Spare2"));
}
