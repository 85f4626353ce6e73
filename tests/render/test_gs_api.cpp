// The graphics system as a caller drives it: module lookup, device
// properties, view transforms and zoom, snapshots, the layout helper.
#include "RenderHarness.h"

#include <gtest/gtest.h>

using namespace rendertest;

TEST(GsModule, TheSoftwareRendererIsFoundByNameAndShared)
{
  OdRxModulePtr first = odrxDynamicLinker()->loadModule(OdGsSoftwareModuleName);
  ASSERT_FALSE(first.isNull());
  OdGsModulePtr gs = first; // checked conversion
  EXPECT_EQ(odrxDynamicLinker()->loadModule(L"odsoftrender.TXV"), first) << "names ignore case";
  EXPECT_EQ(odrxDynamicLinker()->getModule(OdGsSoftwareModuleName), first);
  EXPECT_TRUE(odrxDynamicLinker()->loadModule(L"NoSuchRenderer.txv").isNull());
  try
  {
    odrxDynamicLinker()->loadModule(L"NoSuchRenderer.txv", false);
    ADD_FAILURE() << "a missing module must be reported";
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eFileNotFound);
  }
  EXPECT_FALSE(gs->createDevice().isNull());
}

TEST(GsDevice, PropertiesAreOfferedReadAndWritten)
{
  Harness h;
  OdRxDictionaryPtr props = h.device()->properties();
  for (const wchar_t* name : {L"WindowHWND", L"WindowHDC", L"DoubleBufferEnabled", L"EnableSoftwareHLR", L"DiscardBackFaces"})
    EXPECT_TRUE(props->has(name)) << OdString(name).toUtf8();
  EXPECT_FALSE(props->has(L"NoSuchProperty"));
  props->putAt(L"WindowHWND", OdRxVariantValue(OdIntPtr(0x12345678)));
  EXPECT_EQ(OdRxVariantValue(props->getAt(L"WindowHWND"))->getIntPtr(), OdIntPtr(0x12345678));
  props->putAt(L"DoubleBufferEnabled", OdRxVariantValue(true));
  EXPECT_TRUE(OdRxVariantValue(props->getAt(L"DoubleBufferEnabled"))->getBool());
  EXPECT_EQ(OdGsSoftwareDevice::cast(static_cast<OdGsLayoutHelper*>(h.device())->underlyingDevice())->windowHandle(),
            OdIntPtr(0x12345678));
  try
  {
    props->putAt(L"NoSuchProperty", OdRxVariantValue(true));
    ADD_FAILURE() << "an unknown property must be refused";
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eKeyNotFound);
  }
  EXPECT_THROW(props->putAt(L"DiscardBackFaces", OdRxVariantValue(OdString(L"yes"))), OdError);
}

TEST(GsView, TransformsPlaceTheTargetAtTheViewportCentreAndEyeUnitsScaleToPixels)
{
  Harness h;
  h.device()->onSize(OdGsDCRect(0, 200, 100, 0));
  for (bool perspective : {false, true})
  {
    h.view()->setView(OdGePoint3d(10, 20, 130), OdGePoint3d(10, 20, 30), OdGeVector3d::kYAxis, 50, 50,
                      perspective ? OdGsView::kPerspective : OdGsView::kParallel);
    const OdGeMatrix3d toDevice = h.view()->worldToDeviceMatrix();
    const OdGePoint3d centre = toDevice * OdGePoint3d(10, 20, 30);
    EXPECT_NEAR(centre.x, 100, 1e-9);
    EXPECT_NEAR(centre.y, 50, 1e-9);
    // On the target plane, 25 units right is the field's edge: 50 pixels.
    const OdGePoint3d right = toDevice * OdGePoint3d(35, 20, 30);
    EXPECT_NEAR(right.x, 150, 1e-9);
    EXPECT_NEAR((toDevice * OdGePoint3d(10, 30, 30)).y, 30, 1e-9) << "y grows downward";
    // Back from a pixel to the world and into the eye: on the target plane.
    const OdGePoint3d world = toDevice.inverse() * OdGePoint3d(170, 20, 0);
    const OdGePoint3d eye = h.view()->viewingMatrix() * world;
    EXPECT_NEAR(eye.z, 0, 1e-9);
    EXPECT_NEAR(eye.x, 35, 1e-9);
    EXPECT_NEAR(eye.y, 15, 1e-9);
  }
  // Nearer the camera looks bigger only in perspective.
  const OdGePoint3d nearEdge = h.view()->worldToDeviceMatrix() * OdGePoint3d(35, 20, 80);
  EXPECT_GT(nearEdge.x, 150);
}

TEST(GsView, ZoomScalesTheFieldAndZoomExtentsFitsTheBoxWithItsMargin)
{
  Harness h;
  h.view()->setView(OdGePoint3d(0, 0, 100), OdGePoint3d(0, 0, 0), OdGeVector3d::kYAxis, 40, 20);
  h.view()->zoom(2.0);
  EXPECT_DOUBLE_EQ(h.view()->fieldWidth(), 20);
  EXPECT_DOUBLE_EQ(h.view()->fieldHeight(), 10);
  h.view()->zoom(0.0);
  h.view()->zoom(-3.0);
  EXPECT_DOUBLE_EQ(h.view()->fieldWidth(), 20) << "a factor that is not positive is ignored";

  h.view()->zoomExtents(OdGePoint3d(10, 10, -5), OdGePoint3d(30, 20, 5), 1.02);
  EXPECT_NEAR(h.view()->fieldWidth(), 20 * 1.02, 1e-9);
  EXPECT_NEAR(h.view()->fieldHeight(), 10 * 1.02, 1e-9);
  EXPECT_TRUE(h.view()->target().isEqualTo(OdGePoint3d(20, 15, 0)));
  EXPECT_NEAR(h.view()->position().distanceTo(h.view()->target()), 100, 1e-9) << "the camera keeps its distance";
  // An invalid box changes nothing.
  h.view()->zoomExtents(OdGePoint3d(1, 1, 1), OdGePoint3d(0, 0, 0), 1.0);
  EXPECT_NEAR(h.view()->fieldWidth(), 20 * 1.02, 1e-9);

  EXPECT_THROW(h.view()->setView(OdGePoint3d(1, 1, 1), OdGePoint3d(1, 1, 1), OdGeVector3d::kYAxis, 1, 1), OdError);
  EXPECT_THROW(h.view()->setView(OdGePoint3d(0, 0, 1), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 1, 1), OdError);
  EXPECT_THROW(h.view()->setView(OdGePoint3d(0, 0, 1), OdGePoint3d(0, 0, 0), OdGeVector3d::kYAxis, 0, 1), OdError);
  EXPECT_TRUE(h.view()->target().isEqualTo(OdGePoint3d(20, 15, 0))) << "a refused view leaves the old one";
}

TEST(GsView, ZoomToTheSampleFillsThePictureWithoutCuttingIt)
{
  Harness h;
  h.add(h.sphere());
  h.view()->setView(OdGePoint3d(300, -300, 200), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 1, 1, OdGsView::kPerspective);
  OdGeExtents3d box(OdGePoint3d(-50, -50, -50), OdGePoint3d(50, 50, 50));
  h.view()->zoomExtentsWorld(box, 1.02);
  const OdGiRasterImageRGBA& image = h.render(64, 64);
  int drawn = 0;
  for (OdUInt32 i = 0; i < 64; ++i)
  {
    // The border rows and columns stay clear: nothing is cut off.
    ASSERT_EQ(image.pixelAt(i, 0), Harness::kBackground);
    ASSERT_EQ(image.pixelAt(i, 63), Harness::kBackground);
    ASSERT_EQ(image.pixelAt(0, i), Harness::kBackground);
    ASSERT_EQ(image.pixelAt(63, i), Harness::kBackground);
  }
  for (OdUInt32 y = 0; y < 64; ++y)
    for (OdUInt32 x = 0; x < 64; ++x)
      drawn += image.pixelAt(x, y) != Harness::kBackground ? 1 : 0;
  EXPECT_GT(drawn, 64 * 64 / 6);
}

TEST(GsDevice, SnapshotCopiesTheAskedPartOfThePicture)
{
  Harness h;
  const OdDbObjectId r = h.addMaterial(L"Red", [](OdDbMaterial& m) { m.setDiffuse(rgb(255, 0, 0), MaterialMap()); });
  h.add(h.square(0, 0, 50, 0), r);
  h.lookDown(-100, -50, 100, 50);
  const OdGiRasterImageRGBA& whole = h.render(40, 20);
  OdGiRasterImagePtr part;
  // The square covers pixels 10..30 by 5..15; take a little more.
  h.device()->getSnapShot(part, OdGsDCRect(5, 35, 18, 2));
  ASSERT_FALSE(part.isNull());
  ASSERT_EQ(part->pixelWidth(), 30u);
  ASSERT_EQ(part->pixelHeight(), 16u);
  for (OdUInt32 y = 0; y < 16; ++y)
    for (OdUInt32 x = 0; x < 30; ++x)
      ASSERT_EQ(part->pixelAt(x, y), whole.pixelAt(x + 5, y + 2));
  EXPECT_EQ(part->pixelAt(0, 0), Harness::kBackground);
  EXPECT_GT(red(part->pixelAt(15, 8)), 100);

  h.device()->getSnapShot(part, OdGsDCRect(100, 200, 100, 200));
  EXPECT_EQ(part->pixelWidth(), 0u) << "a region beside the picture gives nothing";
  EXPECT_THROW(part->pixelAt(0, 0), OdError);
}

TEST(GsLayout, SetupNeedsADeviceAndADatabaseAndShowsModelSpace)
{
  OdGiContextForDbDatabasePtr empty = OdGiContextForDbDatabase::createObject();
  OdGsDevicePtr device = OdGsSoftwareModule::createObject()->createDevice();
  try
  {
    OdDbGsManager::setupActiveLayoutViews(nullptr, empty);
    ADD_FAILURE();
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eNullPtr);
  }
  try
  {
    OdDbGsManager::setupActiveLayoutViews(device, empty);
    ADD_FAILURE();
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eNoDatabase);
  }

  Harness h;
  ASSERT_EQ(h.device()->numViews(), 1);
  EXPECT_EQ(h.device()->viewAt(0), h.view());
  ASSERT_EQ(h.view()->drawables().size(), 1u);
  EXPECT_EQ(h.view()->drawables()[0], h.db()->getModelSpaceId());
  // A context outliving its database forgets it.
  OdGiContextForDbDatabasePtr context = OdGiContextForDbDatabase::createObject();
  {
    OdDbDatabasePtr db = odCreateDatabase();
    context->setDatabase(db);
    EXPECT_EQ(context->database(), db.get());
  }
  EXPECT_EQ(context->database(), nullptr);
}
