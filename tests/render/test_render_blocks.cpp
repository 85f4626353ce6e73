// Blocks inserted in blocks: as deep as a drawing nests them, in a cycle, and
// in a tree whose copies double at every level.
#include "RenderHarness.h"
#include "Scene.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace
{
OdDbObjectId addBlock(OdDbDatabase* db, const OdString& name)
{
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::createObject();
  block->setName(name);
  return blocks->add(block);
}

void put(const OdDbObjectId& into, OdDbEntity* entity)
{
  OdDbBlockTableRecordPtr owner = into.safeOpenObject(OdDb::kForWrite);
  owner->appendOdDbEntity(entity);
}

void insert(OdDbDatabase* db, const OdDbObjectId& into, const OdDbObjectId& block, const OdGePoint3d& at)
{
  OdDbBlockReferencePtr reference = OdDbBlockReference::createObject();
  reference->setDatabaseDefaults(db);
  reference->setBlockTableRecord(block);
  reference->setPosition(at);
  put(into, reference);
}

// The meshes a block record gives, with the budget blocks may spend.
OdGsRender::Scene collect(const OdDbObjectId& block, std::size_t budget)
{
  const std::vector<ODCOLORREF> palette(256, ODRGB(200, 200, 200));
  OdGsRender::SceneSource source;
  source.palette = palette.data();
  source.blockBudget = budget;
  OdGsRender::Scene scene;
  OdGsRender::collectScene(OdDbObjectIdArray{block}, source, scene);
  return scene;
}
} // namespace

TEST(RenderBlocks, TenThousandNestedBlocksShowWhatTheInnermostHolds)
{
  // Each block inserts the next a thousandth of a unit to the right; the
  // last holds a square, which therefore shows ten units right of where
  // it was drawn. (Followed on the call stack, this depth overflows it.)
  Harness h;
  constexpr int kDepth = 10000;
  std::vector<OdDbObjectId> chain;
  for (int i = 0; i < kDepth; ++i)
    chain.push_back(addBlock(h.db(), OdString::format(L"Link%d", i)));
  for (int i = 0; i + 1 < kDepth; ++i)
    insert(h.db(), chain[std::size_t(i)], chain[std::size_t(i) + 1], OdGePoint3d(0.001, 0, 0));
  put(chain.back(), h.square(0, 0, 4, 0));
  insert(h.db(), h.db()->getModelSpaceId(), chain.front(), OdGePoint3d(0, 0, 0));

  h.lookDown(-20, -20, 30, 30);
  const OdGiRasterImageRGBA& image = h.render(50, 50);
  EXPECT_NE(h.at(image, OdGePoint3d(10, 0, 0)), Harness::kBackground);
  EXPECT_EQ(h.at(image, OdGePoint3d(-2, 0, 0)), Harness::kBackground) << "the square moved with the chain";
  EXPECT_EQ(h.device()->lastUpdateReport().numTriangles, 2u);
  EXPECT_TRUE(h.device()->lastUpdateReport().messages.isEmpty());
}

TEST(RenderBlocks, ABlockInsertedInsideItselfIsDrawnOnce)
{
  // A inserts B, which holds a square and inserts A again.
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId a = addBlock(db, L"A"), b = addBlock(db, L"B");
  insert(db, a, b, OdGePoint3d(1, 0, 0));
  insert(db, b, a, OdGePoint3d(1, 0, 0));
  OdDbEntityPtr square;
  meui::buildPolyFaceMesh(db, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, OdArray<OdInt16>{1, 2, 3, 4}, nullptr,
                          square);
  put(b, square);
  const OdGsRender::Scene scene = collect(a, 1000);
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.extents.minPoint(), OdGePoint3d(1, 0, 0));
  EXPECT_TRUE(scene.messages.isEmpty());
}

TEST(RenderBlocks, ATreeThatDoublesAtEachOfFortyLevelsStopsWithinTheBudgetAndKeepsWhatItDrew)
{
  // Level i inserts level i + 1 twice; the last holds a triangle: 2^39
  // copies of it, which the budget cuts short.
  OdDbDatabasePtr db = odCreateDatabase();
  std::vector<OdDbObjectId> levels;
  for (int i = 0; i < 40; ++i)
    levels.push_back(addBlock(db, OdString::format(L"Level%d", i)));
  for (std::size_t i = 0; i + 1 < levels.size(); ++i)
    for (double x : {0.0, 1.0})
      insert(db, levels[i], levels[i + 1], OdGePoint3d(x, 0, 0));
  OdDbSubDMeshPtr triangle = OdDbSubDMesh::createObject();
  triangle->setDatabaseDefaults(db);
  ASSERT_EQ(triangle->setSubDMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {3, 0, 1, 2}, 0), eOk);
  put(levels.back(), triangle);

  // Each copy costs its entity, its face list (4 numbers) and the
  // references on the way to it (a binary tree has about as many branchings
  // as leaves, each met twice): about 7, so a budget of 21,000 keeps about
  // 3,000 copies.
  const OdGsRender::Scene scene = collect(levels.front(), 21000);
  EXPECT_GT(scene.meshes.size(), 2900u);
  EXPECT_LE(scene.meshes.size(), 3000u);
  ASSERT_EQ(scene.messages.size(), 1u);
  EXPECT_NE(scene.messages[0].find(L"too many"), -1) << scene.messages[0].toUtf8();
  // Depth first: the copies kept are the first ones, to the left.
  EXPECT_EQ(scene.extents.minPoint().x, 0.0);
  EXPECT_LE(scene.extents.maxPoint().x, 40.0);
}
