// The commands that build test drawings, checked through the SDK.
#include "DrawingScript.h"
#include "DrawingSummary.h"

#include "od_print.h"

#include <gtest/gtest.h>

using namespace host;

namespace
{
class DrawingScriptTest : public ::testing::Test
{
protected:
  DrawingScriptTest() : m_script([this] { return m_db.get(); }) { m_script.addCommands(m_interpreter); }

  void run(const wchar_t* line)
  {
    OdString error;
    ASSERT_TRUE(m_interpreter.tryRun(line, error)) << OdString(line).toUtf8() << ": " << error.toUtf8();
  }
  OdString refused(const wchar_t* line)
  {
    OdString error;
    EXPECT_FALSE(m_interpreter.tryRun(line, error)) << OdString(line).toUtf8();
    return error;
  }
  OdDbEntityPtr entity(const wchar_t* label) { return m_script.resolve(m_db, label).safeOpenObject(); }
  OdUInt32 objectCount() const { return m_db->numObjects(); }

  OdDbDatabasePtr m_db = odCreateDatabase();
  DrawingScript m_script;
  ScriptInterpreter m_interpreter;
};
} // namespace

TEST_F(DrawingScriptTest, MaterialsWithColoursAndMaps)
{
  run(L"MATERIAL \"Red paint\" DIFFUSE 255,0,10");
  run(L"material Tiles map file 'C:\\maps\\tiles.png'");
  run(L"MATERIAL Stone MAP MARBLE");
  OdDbMaterialPtr red = materialByName(m_db, L"red PAINT").safeOpenObject();
  MaterialColor color;
  MaterialMap map;
  red->diffuse(color, map);
  EXPECT_EQ(color.method(), MaterialColor::kOverride);
  EXPECT_EQ(color.color(), OdCmEntityColor(255, 0, 10));

  OdDbMaterialPtr(materialByName(m_db, L"Tiles").safeOpenObject())->diffuse(color, map);
  EXPECT_EQ(map.source(), kFile);
  auto image = OdGiImageFileTexture::cast(map.texture().get());
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image->sourceFileName(), L"C:\\maps\\tiles.png");

  OdDbMaterialPtr(materialByName(m_db, L"Stone").safeOpenObject())->diffuse(color, map);
  EXPECT_EQ(map.source(), kProcedural);
  EXPECT_FALSE(OdGiMarbleTexture::cast(map.texture().get()).isNull());

  EXPECT_NE(refused(L"MATERIAL Stone").find(L"exists already"), -1);
  EXPECT_NE(refused(L"MATERIAL X DIFFUSE 256,0,0").find(L"0 to 255"), -1);
  EXPECT_NE(refused(L"MATERIAL X MAP BRICK").find(L"MAP takes"), -1);
  EXPECT_THROW(materialByName(m_db, L"X"), ScriptError) << "a refused line adds nothing";
}

// A drawing file is read without the check a typed line makes first: the
// taken name is still refused, on its line, and the first material stays.
TEST_F(DrawingScriptTest, ADrawingBeingReadRefusesATakenMaterialNameOnItsLine)
{
  std::vector<std::pair<int, OdString>> refusals;
  OdDbDatabasePtr db =
    m_script.readDrawing("MATERIAL Oak DIFFUSE 10,20,30\nMATERIAL oak DIFFUSE 1,2,3\n", L"oak.mescript", m_interpreter,
                         [&](int line, const OdString& error) { refusals.emplace_back(line, error); });
  ASSERT_EQ(refusals.size(), 1u);
  EXPECT_EQ(refusals[0].first, 2);
  EXPECT_NE(refusals[0].second.find(L"exists already"), -1) << refusals[0].second.toUtf8();
  MaterialColor color;
  MaterialMap map;
  OdDbMaterialPtr(materialByName(db, L"Oak").safeOpenObject())->diffuse(color, map);
  EXPECT_EQ(color.color(), OdCmEntityColor(10, 20, 30));
}

TEST_F(DrawingScriptTest, EntitiesGetMaterialLayerAndPlace)
{
  run(L"MATERIAL Oak");
  run(L"LAYER Walls MATERIAL Oak");
  run(L"CMATERIAL Oak");
  run(L"BOX LAYER Walls AT 1,2,3 SIZE 2 AS $box");
  run(L"MESH MATERIAL Global AS $mesh");
  OdDbEntityPtr box = entity(L"$box");
  EXPECT_EQ(box->material(), L"Oak") << "CMATERIAL applies to new entities";
  EXPECT_EQ(box->layer(), L"Walls");
  OdGeExtents3d extents;
  ASSERT_EQ(box->getGeomExtents(extents), eOk);
  EXPECT_EQ(extents.minPoint(), OdGePoint3d(1, 2, 3));
  EXPECT_EQ(extents.maxPoint(), OdGePoint3d(3, 4, 5));
  EXPECT_EQ(entity(L"$mesh")->material(), L"Global");
  EXPECT_EQ(OdDbSubDMeshPtr(entity(L"$mesh"))->numOfFaces(), 6);
  OdDbLayerTableRecordPtr walls = box->layerId().safeOpenObject();
  EXPECT_EQ(walls->materialId(), materialByName(m_db, L"Oak"));

  // Entities are looked up by handle as DUMP shows it, too.
  EXPECT_EQ(m_script.resolve(m_db, box->objectId().getHandle().ascii()), box->objectId());

  const OdUInt32 before = objectCount();
  EXPECT_NE(refused(L"BOX MATERIAL Nothing").find(L"no material"), -1);
  EXPECT_NE(refused(L"MESH LAYER Nothing").find(L"no layer"), -1);
  EXPECT_NE(refused(L"MESH SIZE 0").find(L"above 0"), -1);
  EXPECT_NE(refused(L"MESH IN *model_space").find(L"no block"), -1);
  EXPECT_EQ(objectCount(), before) << "refused lines add no objects";
  EXPECT_NE(refused(L"SELECTME").find(L"unknown"), -1);
}

TEST_F(DrawingScriptTest, BlocksNestButNeverContainThemselves)
{
  run(L"BLOCK Lamp");
  run(L"BLOCK Table");
  run(L"MESH IN Lamp");
  run(L"INSERT Lamp IN Table AS $lampInTable");
  run(L"INSERT Table AT 5,0,0 AS $table");
  OdDbBlockReferencePtr table = entity(L"$table");
  OdDbBlockTableRecordPtr record = table->blockTableRecord().safeOpenObject();
  EXPECT_EQ(record->getName(), L"Table");
  EXPECT_EQ(table->position(), OdGePoint3d(5, 0, 0));
  EXPECT_EQ(entity(L"$lampInTable")->ownerId(), record->objectId());

  EXPECT_NE(refused(L"INSERT Table IN Table").find(L"contain itself"), -1);
  EXPECT_NE(refused(L"INSERT Table IN Lamp").find(L"contain itself"), -1) << "through the nested insert";
  EXPECT_NE(refused(L"BLOCK Lamp").find(L"exists already"), -1);
  EXPECT_NE(refused(L"BLOCK *X").find(L"drawing's own"), -1);
}

TEST_F(DrawingScriptTest, ChainsOfAnyDepthLoadAndOnlyACycleIsRefused)
{
  // As a drawing file would say it: 100,000 blocks, each inserted one unit
  // along in the block before it, the deepest holding a cube. The first
  // half is nested bottom up, the second top down.
  constexpr int kDepth = 100000;
  auto name = [](int i) { return "B" + std::to_string(i); };
  std::string drawing;
  for (int i = 0; i < kDepth; ++i)
    drawing += "BLOCK " + name(i) + "\n";
  drawing += "MESH SIZE 2 IN " + name(kDepth - 1) + "\n";
  for (int i = kDepth / 2; i > 0; --i)
    drawing += "INSERT " + name(i) + " IN " + name(i - 1) + " AT 1,0,0\n";
  for (int i = kDepth / 2 + 1; i < kDepth; ++i)
    drawing += "INSERT " + name(i) + " IN " + name(i - 1) + " AT 1,0,0\n";
  drawing += "INSERT B0 AS $top\n";
  for (const ScriptLine& line : scriptLines(drawing))
  {
    OdString error;
    ASSERT_TRUE(m_interpreter.tryRun(line.text, error)) << line.number << ": " << error.toUtf8();
  }

  // Every level counts in the extents of the outermost insert.
  OdGeExtents3d box;
  ASSERT_EQ(entity(L"$top")->getGeomExtents(box), eOk);
  EXPECT_EQ(box.minPoint(), OdGePoint3d(kDepth - 1, 0, 0));
  EXPECT_EQ(box.maxPoint(), OdGePoint3d(kDepth + 1, 2, 2));

  // Closing the chain into a ring is refused with a message, at either end
  // and in the middle, and adds nothing.
  const OdUInt32 before = objectCount();
  EXPECT_NE(refused(L"INSERT B0 IN B99999").find(L"\"B99999\" contain itself"), -1);
  EXPECT_NE(refused(L"INSERT B1 IN B99999").find(L"contain itself"), -1);
  EXPECT_NE(refused(L"INSERT B40000 IN B60000").find(L"contain itself"), -1);
  EXPECT_EQ(objectCount(), before);
  // Inserting again in the same direction is no cycle, however deep.
  run(L"INSERT B99999 IN B0");
  run(L"INSERT B60000 IN B40000");
}

TEST_F(DrawingScriptTest, SharedBlocksAreNoCycles)
{
  // A diamond: Top holds Left and Right, both hold Leaf.
  for (const wchar_t* line :
       {L"BLOCK Top", L"BLOCK Left", L"BLOCK Right", L"BLOCK Leaf", L"INSERT Leaf IN Left", L"INSERT Leaf IN Right",
        L"INSERT Left IN Top", L"INSERT Right IN Top", L"INSERT Leaf IN Top", L"INSERT Top AS $top"})
    run(line);
  EXPECT_NE(refused(L"INSERT Top IN Leaf").find(L"contain itself"), -1);
  EXPECT_NE(refused(L"INSERT Left IN Leaf").find(L"contain itself"), -1);

  // An erased reference no longer ties its blocks together.
  OdDbObjectId leftInTop;
  {
    OdDbBlockTablePtr blocks = m_db->getBlockTableId().safeOpenObject();
    OdDbBlockTableRecordPtr left = blocks->getAt(L"Left", OdDb::kForRead);
    OdDbObjectIdArray references;
    left->getBlockReferenceIds(references);
    ASSERT_EQ(references.size(), 1u);
    leftInTop = references[0];
  }
  leftInTop.safeOpenObject(OdDb::kForWrite)->erase();
  run(L"INSERT Top IN Left");
}

TEST_F(DrawingScriptTest, GroupsAndNamesOfObjects)
{
  run(L"MESH AS $a");
  run(L"MESH AS $b");
  run(L"GROUP Pair $a $b");
  OdDbDictionaryPtr groups = m_db->getGroupDictionaryId().safeOpenObject();
  OdDbGroupPtr pair = groups->getAt(L"Pair", OdDb::kForRead);
  ASSERT_FALSE(pair.isNull());
  EXPECT_EQ(pair->numEntities(), 2u);

  EXPECT_NE(refused(L"GROUP Bad $nobody").find(L"no object labelled"), -1);
  EXPECT_NE(refused(L"GROUP Bad FFFFFF").find(L"no object with handle"), -1);
  EXPECT_NE(refused(L"GROUP Bad xyz").find(L"neither a handle"), -1);
  EXPECT_FALSE(groups->has(L"Bad"));

  // A label names an object of the database it was made in only.
  OdDbDatabasePtr other = odCreateDatabase();
  EXPECT_THROW(m_script.resolve(other, L"$a"), ScriptError);
  m_script.resolve(m_db, L"$a").safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_THROW(m_script.resolve(m_db, L"$a"), ScriptError);
}

TEST(DrawingScriptWithoutDocument, CommandsAreRefused)
{
  DrawingScript script([] { return static_cast<OdDbDatabase*>(nullptr); });
  ScriptInterpreter interpreter;
  script.addCommands(interpreter);
  OdString error;
  EXPECT_FALSE(interpreter.tryRun(L"MATERIAL A", error));
  EXPECT_EQ(error, L"no current document");
}

namespace
{
// Counts the modifications the drawing reports, as the material manager hears them.
class ModifiedCounter final : public OdDbDatabaseReactor
{
public:
  void objectModified(const OdDbDatabase*, const OdDbObject*) override { ++count; }
  int count = 0;
};
} // namespace

TEST_F(DrawingScriptTest, MateditChangesAnExistingMaterialAsAnEditWould)
{
  run(L"MATERIAL Steel DIFFUSE 100,100,110 MAP MARBLE");
  OdSmartPtr<ModifiedCounter> counter(new ModifiedCounter);
  m_db->addReactor(counter.get());
  run(L"MATEDIT steel DIFFUSE 200,10,20 SPECULAR 255,255,255 GLOSS 0.25");
  EXPECT_EQ(counter->count, 1) << "one write, heard by the drawing's observers";

  const auto read = [this] {
    OdDbMaterialPtr material = materialByName(m_db, L"Steel").safeOpenObject();
    MaterialColor diffuse, specular;
    MaterialMap diffuseMap, specularMap;
    double gloss = 0;
    material->diffuse(diffuse, diffuseMap);
    material->specular(specular, specularMap, gloss);
    return std::make_tuple(diffuse.color(), diffuseMap.texture().isNull(), specular.color(), gloss);
  };
  auto [diffuse, noMap, specular, gloss] = read();
  EXPECT_EQ(diffuse, OdCmEntityColor(200, 10, 20));
  EXPECT_FALSE(noMap) << "the map was not named, so it stays";
  EXPECT_EQ(specular, OdCmEntityColor(255, 255, 255));
  EXPECT_DOUBLE_EQ(gloss, 0.25);

  run(L"MATEDIT Steel MAP NONE");
  std::tie(diffuse, noMap, specular, gloss) = read();
  EXPECT_TRUE(noMap) << "no map any more";
  EXPECT_EQ(diffuse, OdCmEntityColor(200, 10, 20)) << "the colour was not named, so it stays";

  // Refused lines change nothing, not even half of what they name.
  counter->count = 0;
  EXPECT_NE(refused(L"MATEDIT Copper DIFFUSE 1,2,3").find(L"no material"), -1);
  EXPECT_NE(refused(L"MATEDIT Steel DIFFUSE 1,2,3 GLOSS 2").find(L"0 to 1"), -1);
  EXPECT_NE(refused(L"MATEDIT Steel MAP STONE").find(L"MAP takes"), -1);
  EXPECT_NE(refused(L"MATEDIT Steel AS $s").find(L"no AS"), -1);
  EXPECT_EQ(counter->count, 0);
  EXPECT_EQ(std::get<0>(read()), OdCmEntityColor(200, 10, 20));
  EXPECT_NE(refused(L"MATERIAL Steel").find(L"MATEDIT"), -1) << "MATERIAL points to MATEDIT for an existing name";
  m_db->removeReactor(counter.get());
}

TEST_F(DrawingScriptTest, MateditRenamesInTheSameWriteAndRefusesATakenName)
{
  run(L"MATERIAL Steel");
  run(L"MATERIAL Copper");
  const OdDbObjectId steel = materialByName(m_db, L"Steel");
  OdSmartPtr<ModifiedCounter> counter(new ModifiedCounter);
  m_db->addReactor(counter.get());
  run(L"MATEDIT steel NAME \"Brushed steel\" GLOSS 0.5");
  EXPECT_EQ(counter->count, 1) << "the name and the gloss in one write";
  EXPECT_EQ(materialByName(m_db, L"Brushed steel"), steel) << "the dictionary entry follows the name";
  EXPECT_EQ(OdDbMaterialPtr(steel.safeOpenObject())->name(), L"Brushed steel");
  run(L"MATEDIT \"Brushed steel\" NAME \"BRUSHED STEEL\""); // its own name in other letters
  EXPECT_EQ(OdDbMaterialPtr(steel.safeOpenObject())->name(), L"BRUSHED STEEL");

  counter->count = 0;
  EXPECT_NE(refused(L"MATEDIT Copper NAME \"brushed steel\"").find(L"taken"), -1);
  EXPECT_EQ(counter->count, 0);
  EXPECT_EQ(OdDbMaterialPtr(materialByName(m_db, L"Copper").safeOpenObject())->name(), L"Copper");
  m_db->removeReactor(counter.get());
}

TEST_F(DrawingScriptTest, TheSummaryNamesWhatAUserCanSelect)
{
  run(L"MATERIAL Oak");
  run(L"BOX MATERIAL Oak AS $box");
  run(L"MESH AS $mesh");
  const OdDbObjectId box = m_script.resolve(m_db, L"$box"), mesh = m_script.resolve(m_db, L"$mesh");
  OdDbObjectIdArray selection;
  selection.append(box);
  const std::vector<OdString> lines = describeDrawing(m_db, L"Plan", selection);
  const auto line = [&](const OdDbObjectId& id) {
    for (const OdString& text : lines)
      if (text.find(L"  " + OdString(id.getHandle().ascii()) + L"   ") == 0)
        return text;
    return OdString();
  };
  EXPECT_NE(line(box).find(L"Oak"), -1) << line(box).toUtf8();
  EXPECT_NE(line(box).find(L"(selected)"), -1);
  EXPECT_NE(line(mesh).find(L"By Layer"), -1) << line(mesh).toUtf8();
  EXPECT_EQ(line(mesh).find(L"(selected)"), -1);
  EXPECT_EQ(lines.back(), OdString(L"Selected: 1 object(s): ") + box.getHandle().ascii());
  EXPECT_EQ(describeDrawing(m_db, L"Plan", OdDbObjectIdArray()).back().find(L"Nothing is selected"), 0);
}

TEST(KeptEntities, WhatTheHostSaysOfThemCountsInWords)
{
  EXPECT_TRUE(keptEntitiesStatus({}).isEmpty());
  EXPECT_EQ(keptEntitiesStatus({{"LINE", 1}}), L"Kept 1 entity this program does not show.");
  EXPECT_EQ(keptEntitiesStatus({{"LINE", 1}, {"TEXT", 1}}), L"Kept 2 entities this program does not show.");
  EXPECT_TRUE(leaveOutQuestion({}).isEmpty());
  EXPECT_EQ(leaveOutQuestion({{"DIMENSION", 1}}),
            L"Saving will leave out 1 DIMENSION entity that this program cannot keep. Save anyway?");
  EXPECT_EQ(leaveOutQuestion({{"DIMENSION", 3}, {"VIEWPORT", 1}, {"LEADER", 2}}),
            L"Saving will leave out 3 DIMENSION, 1 VIEWPORT and 2 LEADER entities that this program cannot keep. "
            L"Save anyway?");
}
