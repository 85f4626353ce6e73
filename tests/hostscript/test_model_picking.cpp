// Where the model view finds entities on the screen: picking through the
// nearest face, boxes of inserted blocks, window selection, and camera
// moves that keep what is under the cursor in place.
#include "DrawingScript.h"

#include "host/ModelPicking.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace host;

namespace
{
class ModelPickingTest : public ::testing::Test
{
protected:
  ModelPickingTest() : m_script([this] { return m_db.get(); })
  {
    m_script.addCommands(m_interpreter);
    OdRxModulePtr loaded = odrxDynamicLinker()->loadModule(OdGsSoftwareModuleName);
    OdGsModulePtr module = loaded;
    m_device = module->createDevice();
    m_device->onSize(OdGsDCRect(0, 400, 300, 0));
    m_view = m_device->createView();
    m_device->addView(m_view);
  }

  void run(const wchar_t* line)
  {
    OdString error;
    ASSERT_TRUE(m_interpreter.tryRun(line, error)) << OdString(line).toUtf8() << ": " << error.toUtf8();
  }
  OdDbObjectId id(const wchar_t* label) { return m_script.resolve(m_db, label); }
  // Looking down Z at the world box from (x0, y0) to (x1, y1).
  void planView(double x0, double y0, double x1, double y1)
  {
    ASSERT_TRUE(lookAtExtents(*m_view, OdGeExtents3d(OdGePoint3d(x0, y0, 0), OdGePoint3d(x1, y1, 1)),
                              -OdGeVector3d::kZAxis, OdGeVector3d::kYAxis, 1.0));
  }
  OdGeMatrix3d matrix() const { return m_view->worldToDeviceMatrix(); }
  OdGePoint3d device(const OdGePoint3d& world) const { return matrix() * world; }

  OdDbDatabasePtr m_db = odCreateDatabase();
  DrawingScript m_script;
  ScriptInterpreter m_interpreter;
  OdGsDevicePtr m_device;
  OdGsViewPtr m_view;
  ModelPicker m_picker;
};
} // namespace

TEST_F(ModelPickingTest, AClickPicksTheNearerOfTwoOverlappingEntitiesWhicheverWasDrawnFirst)
{
  // Seen from above, the small cube sits on top of the large one's top face.
  run(L"BOX AT 0,0,0 SIZE 4 AS $low");
  run(L"MESH AT 1,1,4 SIZE 1 AS $high");
  run(L"BOX AT 6,0,0 SIZE 1 AS $aside");
  m_picker.collect(m_db);
  planView(0, 0, 8, 4);
  const OdGePoint3d onHigh = device(OdGePoint3d(1.5, 1.5, 5));
  const OdGePoint3d onLowOnly = device(OdGePoint3d(3, 3, 4));
  const OdGePoint3d between = device(OdGePoint3d(5, 2, 0));
  EXPECT_EQ(m_picker.pick(matrix(), onHigh.x, onHigh.y), id(L"$high"));
  EXPECT_EQ(m_picker.pick(matrix(), onLowOnly.x, onLowOnly.y), id(L"$low"));
  EXPECT_TRUE(m_picker.pick(matrix(), between.x, between.y).isNull()) << "nothing covers the gap";

  // From below the large cube hides the small one.
  ASSERT_TRUE(lookAtExtents(*m_view, m_picker.extents(), OdGeVector3d::kZAxis, OdGeVector3d::kYAxis, 1.0));
  const OdGePoint3d under = device(OdGePoint3d(1.5, 1.5, 0));
  EXPECT_EQ(m_picker.pick(matrix(), under.x, under.y), id(L"$low"));
}

TEST_F(ModelPickingTest, AnInsertIsOneEntityWithTheBoxOfItsNestedBlocksAndAHiddenLayerShowsNothing)
{
  run(L"BLOCK Lamp");
  run(L"MESH IN Lamp AT 0,0,2 SIZE 1");
  run(L"BLOCK Table");
  run(L"BOX IN Table SIZE 2");
  run(L"INSERT Lamp IN Table AT 3,0,0");
  run(L"INSERT Table AT 10,0,0 AS $table");
  run(L"LAYER Hidden AS $layer");
  run(L"BOX LAYER Hidden AT 20,0,0 AS $hidden");
  OdDbLayerTableRecordPtr layer = m_script.resolve(m_db, L"$layer").safeOpenObject(OdDb::kForWrite);
  layer->setIsOff(true);
  layer = nullptr;
  m_picker.collect(m_db);
  ASSERT_EQ(m_picker.entities().size(), 2u);
  planView(0, 0, 30, 10);
  const std::vector<ScreenBox> boxes = m_picker.screenBoxes(matrix());
  ASSERT_TRUE(boxes[0].valid);
  EXPECT_FALSE(boxes[1].valid) << "the entity on the hidden layer";
  // The table spans x 10..12, its lamp 13..14: one box over both.
  const OdGePoint3d left = device(OdGePoint3d(10, 0, 0)), right = device(OdGePoint3d(14, 2, 0));
  EXPECT_NEAR(boxes[0].left, left.x, 1.0);
  EXPECT_NEAR(boxes[0].right, right.x, 1.0);
  EXPECT_NEAR(boxes[0].top, right.y, 1.0);
  EXPECT_NEAR(boxes[0].bottom, left.y, 1.0);
  const OdGePoint3d onLamp = device(OdGePoint3d(13.5, 0.5, 3));
  EXPECT_EQ(m_picker.pick(matrix(), onLamp.x, onLamp.y), id(L"$table"));
  const OdGePoint3d onHidden = device(OdGePoint3d(20.5, 0.5, 1));
  EXPECT_TRUE(m_picker.pick(matrix(), onHidden.x, onHidden.y).isNull());
}

TEST_F(ModelPickingTest, ABlockThatInsertsItselfIsWalkedOnce)
{
  // The script refuses such a block; a drawing file may still hold one.
  run(L"BLOCK Loop AS $block");
  run(L"BOX IN Loop SIZE 1");
  run(L"INSERT Loop AS $loop");
  OdDbBlockReferencePtr inner = OdDbBlockReference::createObject();
  inner->setDatabaseDefaults(m_db);
  inner->setBlockTableRecord(id(L"$block"));
  inner->setPosition(OdGePoint3d(2, 0, 0));
  OdDbBlockTableRecordPtr block = id(L"$block").safeOpenObject(OdDb::kForWrite);
  block->appendOdDbEntity(inner);
  block = nullptr;
  m_picker.collect(m_db);
  ASSERT_EQ(m_picker.entities().size(), 1u);
  EXPECT_EQ(m_picker.entities()[0].points.size(), 8u) << "the block's box once";
}

TEST_F(ModelPickingTest, AWindowSelectsWhatItEnclosesWhollyAndNotWhatItCuts)
{
  run(L"BOX AT 0,0,0 AS $a");
  run(L"BOX AT 3,0,0 AS $b");
  run(L"BOX AT 6,0,0 AS $c");
  m_picker.collect(m_db);
  planView(0, 0, 7, 1);
  const OdGePoint3d from = device(OdGePoint3d(-0.5, -0.5, 0)), to = device(OdGePoint3d(4.5, 1.5, 0));
  ScreenBox window{long(from.x), long(to.y), long(to.x), long(from.y), true};
  const OdDbObjectIdArray ids = m_picker.inside(matrix(), window);
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0], id(L"$a"));
  EXPECT_EQ(ids[1], id(L"$b"));
  window.right = long(device(OdGePoint3d(3.5, 0, 0)).x); // cuts $b in half
  EXPECT_EQ(m_picker.inside(matrix(), window).size(), 1u);
}

TEST_F(ModelPickingTest, ZoomKeepsThePointUnderTheCursorAndPanFollowsIt)
{
  planView(0, 0, 10, 10);
  const OdGePoint3d world(7, 2, 0);
  const OdGePoint3d before = device(world);
  const OdGsDCPoint cursor(long(before.x), long(before.y));
  const double width = device(OdGePoint3d(1, 0, 0)).x - device(OdGePoint3d(0, 0, 0)).x;
  ASSERT_TRUE(zoomAbout(*m_view, cursor, 2.0));
  EXPECT_NEAR(device(world).x, before.x, 1e-6);
  EXPECT_NEAR(device(world).y, before.y, 1e-6);
  EXPECT_NEAR(device(OdGePoint3d(1, 0, 0)).x - device(OdGePoint3d(0, 0, 0)).x, 2 * width, 1e-6) << "twice as large";

  ASSERT_TRUE(panView(*m_view, cursor, OdGsDCPoint(cursor.x + 30, cursor.y - 20)));
  EXPECT_NEAR(device(world).x, before.x + 30, 1e-6);
  EXPECT_NEAR(device(world).y, before.y - 20, 1e-6);
  EXPECT_FALSE(zoomAbout(*m_view, cursor, 0.0));
  EXPECT_FALSE(zoomAbout(*m_view, cursor, -2.0));
}

TEST_F(ModelPickingTest, OrbitTurnsAboutTheTargetAndTurnsBackAlongTheReverseDrag)
{
  planView(0, 0, 10, 10);
  const OdGePoint3d target = m_view->target(), position = m_view->position();
  const double distance = position.distanceTo(target);
  ASSERT_TRUE(orbitView(*m_view, OdGsDCPoint(100, 100), OdGsDCPoint(160, 100)));
  EXPECT_TRUE(m_view->target().isEqualTo(target));
  EXPECT_NEAR(m_view->position().distanceTo(target), distance, 1e-6);
  EXPECT_FALSE(m_view->position().isEqualTo(position));
  // 60 pixels: 30 degrees.
  const OdGeVector3d was = (position - target).normal(), now = (m_view->position() - target).normal();
  EXPECT_NEAR(std::acos(was.x * now.x + was.y * now.y + was.z * now.z), OdPi / 6, 1e-6);
  ASSERT_TRUE(orbitView(*m_view, OdGsDCPoint(160, 100), OdGsDCPoint(100, 100)));
  EXPECT_TRUE(m_view->position().isEqualTo(position, OdGeTol(1e-6)));
}

TEST_F(ModelPickingTest, TheModelFillsTheViewToItsMarginFromAnyDirection)
{
  run(L"BOX AT 0,0,0 SIZE 2");
  run(L"MESH AT 10,3,0 SIZE 1");
  m_picker.collect(m_db);
  for (const OdGeVector3d& direction :
       {OdGeVector3d(-1, 1, -0.8), OdGeVector3d(0, 0.5, -1), OdGeVector3d(1, 0.2, 0.1), OdGeVector3d(0.3, -1, 2)})
  {
    ASSERT_TRUE(lookAtModel(*m_view, m_picker, direction, OdGeVector3d::kZAxis, 1.25));
    // Inside the 400 x 300 device, touching the margin on at least one axis.
    const ScreenBox box = m_picker.screenBoxes(matrix())[0];
    OdGeExtents3d all;
    for (const ScreenBox& b : m_picker.screenBoxes(matrix()))
    {
      all.addPoint(OdGePoint3d(double(b.left), double(b.top), 0));
      all.addPoint(OdGePoint3d(double(b.right), double(b.bottom), 0));
    }
    EXPECT_TRUE(box.valid);
    EXPECT_GE(all.minPoint().x, 0);
    EXPECT_GE(all.minPoint().y, 0);
    EXPECT_LE(all.maxPoint().x, 400);
    EXPECT_LE(all.maxPoint().y, 300);
    const double width = all.maxPoint().x - all.minPoint().x, height = all.maxPoint().y - all.minPoint().y;
    EXPECT_TRUE(std::abs(width * 1.25 - 400) < 4 || std::abs(height * 1.25 - 300) < 4) << width << " x " << height;
  }
}

TEST_F(ModelPickingTest, TheOutlineOfACubeIsTheFacesTheCameraSees)
{
  run(L"BOX AT 0,0,0 SIZE 2 AS $box");
  run(L"MESH AT 5,0,0 AS $mesh");
  m_picker.collect(m_db);
  ASSERT_TRUE(lookAtModel(*m_view, m_picker, OdGeVector3d(-1, 1, -0.8), OdGeVector3d::kZAxis, 1.2));
  for (const wchar_t* label : {L"$box", L"$mesh"})
  {
    const auto lines = m_picker.outlines(matrix(), id(label));
    ASSERT_EQ(lines.size(), 3u) << "top, front and right of six";
    for (const auto& line : lines)
    {
      ASSERT_EQ(line.size(), 5u) << "four corners, closed";
      EXPECT_EQ(line.front(), line.back());
    }
  }
  // Seen from above the top is one of them; from below, the bottom is.
  const auto hasFaceAround = [&](const OdGePoint3d& centre) {
    const OdGePoint3d at = device(centre);
    for (const auto& line : m_picker.outlines(matrix(), id(L"$box")))
    {
      double x = 0, y = 0;
      for (std::size_t k = 0; k + 1 < line.size(); ++k)
      {
        x += line[k].x / 4;
        y += line[k].y / 4;
      }
      if (std::abs(x - at.x) < 0.5 && std::abs(y - at.y) < 0.5)
        return true;
    }
    return false;
  };
  EXPECT_TRUE(hasFaceAround(OdGePoint3d(1, 1, 2)));
  EXPECT_FALSE(hasFaceAround(OdGePoint3d(1, 1, 0)));
  ASSERT_TRUE(lookAtModel(*m_view, m_picker, OdGeVector3d(1, 1, 1), OdGeVector3d::kZAxis, 1.2));
  EXPECT_EQ(m_picker.outlines(matrix(), id(L"$box")).size(), 3u);
  EXPECT_TRUE(hasFaceAround(OdGePoint3d(1, 1, 0)));
  EXPECT_FALSE(hasFaceAround(OdGePoint3d(1, 1, 2)));
  EXPECT_TRUE(m_picker.outlines(matrix(), OdDbObjectId()).empty());
}

TEST_F(ModelPickingTest, NoModelAndNoSizeAreRefusedQuietly)
{
  m_picker.collect(nullptr);
  EXPECT_TRUE(m_picker.entities().empty());
  EXPECT_FALSE(m_picker.extents().isValidExtents());
  EXPECT_FALSE(lookAtExtents(*m_view, m_picker.extents(), OdGeVector3d::kZAxis, OdGeVector3d::kYAxis, 1.0));
  EXPECT_FALSE(lookAtModel(*m_view, m_picker, OdGeVector3d::kZAxis, OdGeVector3d::kYAxis, 1.0));
  m_device->onSize(OdGsDCRect(0, 0, 0, 0));
  EXPECT_FALSE(zoomAbout(*m_view, OdGsDCPoint(0, 0), 2.0));
  EXPECT_FALSE(panView(*m_view, OdGsDCPoint(0, 0), OdGsDCPoint(5, 5)));
  EXPECT_TRUE(m_picker.pick(matrix(), 0, 0).isNull());
}
