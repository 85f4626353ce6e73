// The graphics objects behind a preview (module by name, properties only
// where offered, palette, refusals) and the orbit a mouse drag makes.
#include "MeGsPreview.h"
#include "MeViewOrbit.h"

#include "od/CmColor.h"
#include "od/DbDatabase.h"
#include "od/GsSoftware.h"

#include <gtest/gtest.h>

namespace
{
// A device that does not offer "EnableSoftwareHLR".
class WithoutHlr : public OdRxDictionary
{
public:
  explicit WithoutHlr(OdRxDictionaryPtr inner) : m_inner(inner) {}
  bool has(const OdString& key) const override { return !hidden(key) && m_inner->has(key); }
  OdRxObjectPtr getAt(const OdString& key) const override
  {
    return hidden(key) ? OdRxObjectPtr() : m_inner->getAt(key);
  }
  OdRxObjectPtr putAt(const OdString& key, OdRxObject* value) override
  {
    if (hidden(key))
      throw OdError(eKeyNotFound);
    return m_inner->putAt(key, value);
  }
  OdUInt32 numEntries() const override { return m_inner->numEntries() - 1; }
  OdString keyAt(OdUInt32 index) const override
  {
    for (OdUInt32 i = 0, seen = 0; i < m_inner->numEntries(); ++i)
      if (!hidden(m_inner->keyAt(i)) && seen++ == index)
        return m_inner->keyAt(i);
    throw OdError_InvalidIndex();
  }

private:
  static bool hidden(const OdString& key) { return key.iCompare(L"EnableSoftwareHLR") == 0; }
  OdRxDictionaryPtr m_inner;
};

class NoHlrDevice : public OdGsSoftwareDevice
{
public:
  explicit NoHlrDevice(const OdGsSoftwareModule* module) : OdGsSoftwareDevice(module) {}
  OdRxDictionaryPtr properties() override
  {
    return OdRxDictionaryPtr(new WithoutHlr(OdGsSoftwareDevice::properties()));
  }
};

class NoHlrModule : public OdGsSoftwareModule
{
public:
  OdGsDevicePtr createDevice() override { return OdGsDevicePtr(new NoHlrDevice(this)); }
};

class NotGraphics : public OdRxModule
{
};

meui::MeGsPreview::Setup setupFor(const OdString& module, ODCOLORREF background = ODRGB(1, 2, 3))
{
  meui::MeGsPreview::Setup setup;
  setup.moduleName = module;
  setup.background = background;
  setup.properties = {{L"WindowHWND", OdRxVariantValue(1234)},
                      {L"DoubleBufferEnabled", OdRxVariantValue(true)},
                      {L"EnableSoftwareHLR", OdRxVariantValue(false)},
                      {L"DiscardBackFaces", OdRxVariantValue(true)}};
  return setup;
}

TEST(GsPreview, PropertiesAreSetWhereOfferedAndSkippedWhereNot)
{
  odrxDynamicLinker()->registerModule(L"MeTestNoHlr.txv", [] { return OdRxModulePtr(new NoHlrModule()); });
  OdDbDatabasePtr db = odCreateDatabase();
  meui::MeGsPreview gs;
  ASSERT_TRUE(gs.attach(db, setupFor(L"MeTestNoHlr.txv")));
  auto* device = dynamic_cast<NoHlrDevice*>(gs.device());
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->windowHandle(), 1234);
  EXPECT_TRUE(device->discardBackFaces());
  EXPECT_TRUE(OdRxVariantValue(device->properties()->getAt(L"DoubleBufferEnabled"))->getBool());
}

TEST(GsPreview, OnlyAGraphicsModuleIsTakenAndAFailedAttachKeepsThePreview)
{
  odrxDynamicLinker()->registerModule(L"MeTestNotGraphics.txv", [] { return OdRxModulePtr(new NotGraphics()); });
  OdDbDatabasePtr db = odCreateDatabase();
  meui::MeGsPreview gs;
  ASSERT_TRUE(gs.attach(db, setupFor(OdGsSoftwareModuleName)));
  OdGsDevice* device = gs.device();
  EXPECT_THROW(gs.attach(db, setupFor(L"MeTestNotGraphics.txv")), OdError_NotThatKindOfClass);
  EXPECT_FALSE(gs.attach(db, setupFor(L"NoSuchModule.txv")));
  EXPECT_FALSE(gs.attach(nullptr, setupFor(OdGsSoftwareModuleName)));
  EXPECT_EQ(gs.device(), device);
  EXPECT_EQ(device->numViews(), 1);

  // Attached again: the old device loses its views.
  OdGsDevicePtr old = device;
  ASSERT_TRUE(gs.attach(db, setupFor(OdGsSoftwareModuleName)));
  EXPECT_EQ(old->numViews(), 0);
}

TEST(GsPreview, PaletteEntryZeroAndBackgroundAreTheGivenColourAndNoBorderShows)
{
  OdDbDatabasePtr db = odCreateDatabase();
  meui::MeGsPreview gs;
  ASSERT_TRUE(gs.attach(db, setupFor(OdGsSoftwareModuleName, ODRGB(200, 10, 20))));
  int count = 0;
  const ODCOLORREF* palette = gs.device()->getLogicalPalette(count);
  ASSERT_EQ(count, 256);
  EXPECT_EQ(palette[0], ODRGB(200, 10, 20));
  EXPECT_EQ(palette[7], odcmAcadPalette()[7]);
  EXPECT_FALSE(gs.view()->isViewportBorderVisible());
  // Empty model space: every pixel, edges included, is the background.
  OdGiRasterImagePtr image = gs.render(9, 7);
  ASSERT_FALSE(image.isNull());
  for (OdUInt32 y = 0; y < 7; ++y)
    for (OdUInt32 x = 0; x < 9; ++x)
      ASSERT_EQ(image->pixelAt(x, y), ODRGB(200, 10, 20)) << x << "," << y;
}

TEST(GsPreview, NothingAttachedOrNoSizeIsRefused)
{
  meui::MeGsPreview gs;
  EXPECT_FALSE(gs.update());
  EXPECT_TRUE(gs.render(10, 10).isNull());
  EXPECT_EQ(gs.previewView(), nullptr);
  gs.previewChanged();
  OdDbDatabasePtr db = odCreateDatabase();
  ASSERT_TRUE(gs.attach(db, setupFor(OdGsSoftwareModuleName)));
  EXPECT_FALSE(gs.resize(0, 10));
  EXPECT_TRUE(gs.render(10, 0).isNull());
}

// A view over a device of 200 x 200 pixels and a field of 200 x 200 units:
// one pixel is one eye unit on the target plane.
class ViewOrbit : public ::testing::Test
{
protected:
  ViewOrbit()
  {
    EXPECT_TRUE(m_gs.attach(m_db, setupFor(OdGsSoftwareModuleName)));
    m_gs.resize(200, 200);
    m_view = m_gs.view();
    m_view->setView(OdGePoint3d(0, 0, 300), OdGePoint3d::kOrigin, OdGeVector3d::kYAxis, 200, 200);
  }

  OdDbDatabasePtr m_db = odCreateDatabase();
  meui::MeGsPreview m_gs;
  OdGsView* m_view = nullptr;
  meui::MeViewOrbit m_orbit;
};

TEST_F(ViewOrbit, TwoHundredEyeUnitsAreHalfATurnInEitherDirection)
{
  ASSERT_TRUE(m_orbit.step(*m_view, OdGsDCPoint(0, 100), OdGsDCPoint(200, 100)));
  EXPECT_TRUE(m_view->position().isEqualTo(OdGePoint3d(0, 0, -300), OdGeTol(1e-9)));
  EXPECT_TRUE(m_view->upVector().isEqualTo(OdGeVector3d::kYAxis, OdGeTol(1e-9)));
  EXPECT_TRUE(m_view->target().isEqualTo(OdGePoint3d::kOrigin, OdGeTol(1e-9)));
  // Downward, about the screen's x axis: the up vector turns over too.
  ASSERT_TRUE(m_orbit.step(*m_view, OdGsDCPoint(100, 0), OdGsDCPoint(100, 200)));
  EXPECT_TRUE(m_view->position().isEqualTo(OdGePoint3d(0, 0, 300), OdGeTol(1e-9)));
  EXPECT_TRUE(m_view->upVector().isEqualTo(-OdGeVector3d::kYAxis, OdGeTol(1e-9)));
  EXPECT_DOUBLE_EQ(m_view->fieldWidth(), 200.0);
}

TEST_F(ViewOrbit, TheNearSideFollowsTheCursorAndStepsAddUp)
{
  // The top of a sample under the centre moves right with a drag to the right.
  const OdGePoint3d top(0, 0, 50);
  ASSERT_TRUE(m_orbit.step(*m_view, OdGsDCPoint(100, 100), OdGsDCPoint(120, 100)));
  EXPECT_GT((m_view->worldToDeviceMatrix() * top).x, 101.0);
  // 20 + 30 + 50 pixels: a quarter turn, the camera now on -X.
  m_orbit.step(*m_view, OdGsDCPoint(100, 100), OdGsDCPoint(130, 100));
  m_orbit.step(*m_view, OdGsDCPoint(100, 100), OdGsDCPoint(150, 100));
  EXPECT_TRUE(m_view->position().isEqualTo(OdGePoint3d(-300, 0, 0), OdGeTol(1e-9)));
}

TEST_F(ViewOrbit, PerspectiveKeepsDistanceFieldAndProjection)
{
  m_view->setView(OdGePoint3d(40, -250, 160), OdGePoint3d(5, 5, 5), OdGeVector3d::kZAxis, 150, 120,
                  OdGsView::kPerspective);
  const double distance = m_view->position().distanceTo(m_view->target());
  ASSERT_TRUE(m_orbit.step(*m_view, OdGsDCPoint(30, 170), OdGsDCPoint(140, 60)));
  EXPECT_NEAR(m_view->position().distanceTo(m_view->target()), distance, 1e-9);
  EXPECT_TRUE(m_view->isPerspective());
  EXPECT_DOUBLE_EQ(m_view->fieldWidth(), 150.0);
  EXPECT_DOUBLE_EQ(m_view->fieldHeight(), 120.0);
  EXPECT_NEAR(m_view->upVector().dotProduct((m_view->target() - m_view->position()).normal()), 0.0, 1e-9);
}

TEST_F(ViewOrbit, TheZoomStaysWithinTwentyTimesTheFittedViewEitherWay)
{
  m_orbit.fitted(*m_view);
  for (int i = 0; i < 100; ++i)
    m_orbit.zoom(*m_view, 1.05);
  EXPECT_NEAR(m_view->fieldWidth(), 10.0, 1e-9) << "the last step lands on the limit";
  EXPECT_FALSE(m_orbit.zoom(*m_view, 1.05)) << "nothing further in";
  for (int i = 0; i < 200; ++i)
    m_orbit.zoom(*m_view, 0.95);
  EXPECT_NEAR(m_view->fieldWidth(), 4000.0, 1e-6);
  // An orbit keeps the zoom; a new fit counts from its own field.
  m_orbit.step(*m_view, OdGsDCPoint(100, 100), OdGsDCPoint(130, 100));
  EXPECT_NEAR(m_orbit.zoomed(*m_view), 1.0 / 20.0, 1e-12);
  m_orbit.fitted(*m_view);
  EXPECT_DOUBLE_EQ(m_orbit.zoomed(*m_view), 1.0);
}

TEST_F(ViewOrbit, NoLengthOrNoDeviceSizeMovesNothing)
{
  const OdGePoint3d position = m_view->position();
  EXPECT_FALSE(m_orbit.step(*m_view, OdGsDCPoint(70, 80), OdGsDCPoint(70, 80)));
  EXPECT_EQ(m_view->position(), position);
  m_gs.helper()->onSize(OdGsDCRect(0, 0, 0, 0));
  EXPECT_FALSE(m_orbit.step(*m_view, OdGsDCPoint(0, 0), OdGsDCPoint(50, 50)));
  EXPECT_EQ(m_view->position(), position);
}
} // namespace
