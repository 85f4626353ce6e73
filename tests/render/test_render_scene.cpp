// What a user sees of shading, depth, culling, transparency and the image's
// bounds.
#include "RenderHarness.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace
{
struct Quadrants
{
  double upperLeft = 0, lowerRight = 0;
};

// Mean brightness of the sphere's pixels in the upper-left and lower-right
// quarters of the picture.
Quadrants quadrantBrightness(const OdGiRasterImageRGBA& image)
{
  Quadrants q;
  int nUL = 0, nLR = 0;
  const OdUInt32 w = image.pixelWidth(), h = image.pixelHeight();
  for (OdUInt32 y = 0; y < h; ++y)
    for (OdUInt32 x = 0; x < w; ++x)
    {
      const ODCOLORREF c = image.pixelAt(x, y);
      if (c == Harness::kBackground)
        continue;
      if (x < w / 2 && y < h / 2)
        q.upperLeft += luminance(c), ++nUL;
      else if (x >= w / 2 && y >= h / 2)
        q.lowerRight += luminance(c), ++nLR;
    }
  q.upperLeft /= std::max(nUL, 1);
  q.lowerRight /= std::max(nLR, 1);
  return q;
}

void frontView(Harness& h, bool perspective)
{
  h.view()->setView(OdGePoint3d(0, -400, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 110, 110,
                    perspective ? OdGsView::kPerspective : OdGsView::kParallel);
}
} // namespace

TEST(RenderShading, LitSideOfTheSphereIsBrighterThanTheDarkSide)
{
  for (bool perspective : {false, true})
  {
    Harness h;
    const OdDbObjectId grey = h.addMaterial(L"Grey", [](OdDbMaterial& m) {
      m.setDiffuse(rgb(160, 160, 160), MaterialMap());
      m.setAmbient(rgb(160, 160, 160));
    });
    h.add(h.sphere(), grey);
    frontView(h, perspective);
    const Quadrants q = quadrantBrightness(h.render(96, 96));
    EXPECT_GT(q.upperLeft, q.lowerRight * 1.5) << "perspective " << perspective;
  }
}

TEST(RenderShading, HigherGlossinessGivesASmallerSharperHighlight)
{
  auto highlight = [](double gloss, int& area, int& peak) {
    Harness h;
    const OdDbObjectId shiny = h.addMaterial(L"Shiny", [gloss](OdDbMaterial& m) {
      m.setDiffuse(rgb(0, 0, 0), MaterialMap());
      m.setAmbient(rgb(0, 0, 0));
      m.setSpecular(rgb(255, 255, 255), MaterialMap(), gloss);
    });
    h.add(h.sphere(), shiny);
    frontView(h, false);
    const OdGiRasterImageRGBA& image = h.render(128, 128);
    peak = 0;
    for (OdUInt32 y = 0; y < 128; ++y)
      for (OdUInt32 x = 0; x < 128; ++x)
        peak = std::max(peak, luminance(image.pixelAt(x, y)));
    area = 0;
    for (OdUInt32 y = 0; y < 128; ++y)
      for (OdUInt32 x = 0; x < 128; ++x)
        area += luminance(image.pixelAt(x, y)) * 2 > peak ? 1 : 0;
  };
  int dullArea = 0, dullPeak = 0, glossyArea = 0, glossyPeak = 0;
  highlight(0.3, dullArea, dullPeak);
  highlight(0.9, glossyArea, glossyPeak);
  EXPECT_GT(dullPeak, 60) << "a highlight shows at all";
  EXPECT_LT(glossyArea * 3, dullArea);
  EXPECT_GE(glossyPeak, dullPeak);
}

TEST(RenderShading, ByObjectColoursTakeTheEntityColour)
{
  Harness h;
  // A new material uses the object's colour for every channel but the
  // highlight, white unless set (here to black).
  const OdDbObjectId plain =
    h.addMaterial(L"Plain", [](OdDbMaterial& m) { m.setSpecular(rgb(0, 0, 0), MaterialMap(), 0.5); });
  OdDbEntityPtr sq = h.square(0, 0, 50, 0);
  OdCmColor color;
  color.setRGB(0, 200, 0);
  sq->setColor(color);
  h.add(sq, plain);
  h.lookDown(-50, -50, 50, 50);
  const ODCOLORREF c = h.at(h.render(32, 32), OdGePoint3d(0, 0, 0));
  EXPECT_GT(green(c), 60);
  EXPECT_LT(red(c), 30);
  EXPECT_LT(blue(c), 30);
}

TEST(RenderDepth, TheNearerFaceWins)
{
  for (bool perspective : {false, true})
    for (bool fromAbove : {true, false})
    {
      Harness h;
      const OdDbObjectId r =
        h.addMaterial(L"Red", [](OdDbMaterial& m) { m.setDiffuse(rgb(255, 0, 0), MaterialMap()); });
      const OdDbObjectId g =
        h.addMaterial(L"Green", [](OdDbMaterial& m) { m.setDiffuse(rgb(0, 255, 0), MaterialMap()); });
      h.add(h.square(0, 0, 40, 0), r);
      h.add(h.square(0, 0, 40, 10), g);
      const double z = fromAbove ? 300 : -300;
      h.view()->setView(OdGePoint3d(0, 0, z), OdGePoint3d(0, 0, 5), OdGeVector3d::kYAxis, 100, 100,
                        perspective ? OdGsView::kPerspective : OdGsView::kParallel);
      const ODCOLORREF c = h.at(h.render(48, 48), OdGePoint3d(0, 0, 5));
      if (fromAbove)
        EXPECT_GT(green(c), red(c)) << "perspective " << perspective;
      else
        EXPECT_GT(red(c), green(c)) << "perspective " << perspective;
    }
}

TEST(RenderDepth, BackFacesGoOnlyWhenAsked)
{
  for (bool discard : {true, false})
  {
    Harness h;
    h.device()->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(discard));
    h.add(h.square(0, 0, 40, 0));
    // From below the square shows its back.
    h.view()->setView(OdGePoint3d(0, 0, -300), OdGePoint3d(0, 0, 0), OdGeVector3d::kYAxis, 100, 100);
    const ODCOLORREF c = h.at(h.render(32, 32), OdGePoint3d(0, 0, 0));
    EXPECT_EQ(c == Harness::kBackground, discard);
  }
}

TEST(RenderDepth, TranslucentSurfaceShowsWhatIsBehind)
{
  Harness h;
  const OdDbObjectId glass = h.addMaterial(L"Glass", [](OdDbMaterial& m) {
    m.setDiffuse(rgb(255, 0, 0), MaterialMap());
    m.setOpacity(0.5, MaterialMap());
  });
  const OdDbObjectId g = h.addMaterial(L"Green", [](OdDbMaterial& m) { m.setDiffuse(rgb(0, 255, 0), MaterialMap()); });
  h.add(h.square(0, 0, 40, 10), glass);
  h.add(h.square(0, 0, 40, 0), g);
  h.lookDown(-50, -50, 50, 50);
  const ODCOLORREF c = h.at(h.render(32, 32), OdGePoint3d(0, 0, 0));
  EXPECT_GT(red(c), 40);
  EXPECT_GT(green(c), 40);
}

TEST(RenderDepth, DrawingTheSameViewAgainGivesWhatAFreshDeviceDraws)
{
  // A sample drawn over and over with one material after another (as the
  // browser does) reuses what was rasterized; each picture must still be
  // the one a new device draws of the same drawing, glass in front included.
  auto scene = [](Harness& h, bool red) {
    const OdDbObjectId glass = h.addMaterial(L"Glass", [](OdDbMaterial& m) {
      m.setDiffuse(rgb(40, 90, 255), MaterialMap());
      m.setOpacity(0.4, MaterialMap());
    });
    const OdDbObjectId stone = h.addMaterial(
      L"Stone", [red](OdDbMaterial& m) { m.setDiffuse(red ? rgb(220, 30, 20) : rgb(30, 200, 40), MaterialMap()); });
    const OdDbObjectId sphere = h.add(h.sphere(), stone);
    h.add(h.square(20, -10, 30, 60), glass);
    h.lookDown(-60, -45, 60, 45, true);
    return sphere;
  };
  auto fresh = [&](bool red, double zoom) {
    Harness h;
    scene(h, red);
    h.view()->zoom(zoom);
    return pixels(h.render(200, 150));
  };
  Harness h;
  const OdDbObjectId sphere = scene(h, false);
  const std::vector<ODCOLORREF> green = pixels(h.render(200, 150));
  EXPECT_EQ(green, fresh(false, 1.0));
  for (int again = 0; again < 3; ++again)
  {
    h.device()->invalidate();
    EXPECT_EQ(pixels(h.render(200, 150)), green) << "drawn again " << again + 1;
  }
  // Another material on the same geometry and view, then another view.
  const OdDbObjectId redStone =
    h.addMaterial(L"Red", [](OdDbMaterial& m) { m.setDiffuse(rgb(220, 30, 20), MaterialMap()); });
  OdDbEntityPtr(sphere.safeOpenObject(OdDb::kForWrite))->setMaterial(redStone);
  const std::vector<ODCOLORREF> red = pixels(h.render(200, 150));
  EXPECT_NE(red, green);
  EXPECT_EQ(red, fresh(true, 1.0));
  h.view()->zoom(1.3);
  EXPECT_EQ(pixels(h.render(200, 150)), fresh(true, 1.3));
}

TEST(RenderBounds, NothingIsDrawnOutsideTheViewport)
{
  // A sphere far larger than the viewport, seen from outside and from inside.
  for (double distance : {400.0, 20.0})
  {
    Harness h;
    h.add(h.sphere());
    h.view()->setViewport(OdGePoint2d(0.25, 0.25), OdGePoint2d(0.75, 0.75));
    h.view()->setView(OdGePoint3d(0, -distance, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 30, 30,
                      OdGsView::kPerspective);
    const OdGiRasterImageRGBA& image = h.render(64, 48);
    ASSERT_EQ(image.pixelWidth(), 64u);
    ASSERT_EQ(image.pixelHeight(), 48u);
    const OdGsDCRect vp = h.view()->viewportRect();
    int drawnInside = 0;
    for (OdUInt32 y = 0; y < 48; ++y)
      for (OdUInt32 x = 0; x < 64; ++x)
      {
        const bool inside = long(x) >= vp.left() && long(x) < vp.left() + vp.width() && long(y) >= vp.top() &&
                            long(y) < vp.top() + vp.height();
        const ODCOLORREF c = image.pixelAt(x, y);
        if (!inside)
          ASSERT_EQ(c, Harness::kBackground) << x << "," << y;
        else
          drawnInside += c != Harness::kBackground ? 1 : 0;
      }
    EXPECT_GT(drawnInside, 0) << "distance " << distance;
  }
}

TEST(RenderBounds, EmptyDeviceAndDegenerateMeshDrawNothingAndDoNotFail)
{
  Harness h;
  const OdGePoint3dArray same = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  OdDbEntityPtr flat;
  meui::buildPolyFaceMesh(h.db(), same, OdArray<OdInt16>{1, 2, 3, 4}, nullptr, flat);
  h.add(flat);
  OdDbEntityPtr broken;
  // Vertex numbers past the end and a zero entry: ignored, not read.
  meui::buildPolyFaceMesh(h.db(), same, OdArray<OdInt16>{1, 9, 0, -30}, nullptr, broken);
  h.add(broken);
  h.lookDown(0, 0, 2, 2);
  EXPECT_EQ(h.render(0, 0).pixelWidth(), 0u);
  const OdGiRasterImageRGBA& image = h.render(16, 16);
  for (OdUInt32 y = 0; y < 16; ++y)
    for (OdUInt32 x = 0; x < 16; ++x)
      ASSERT_EQ(image.pixelAt(x, y), Harness::kBackground);
  EXPECT_EQ(h.device()->lastUpdateReport().numTriangles, 0u);
}

TEST(RenderBounds, ChangesToTheDrawingShowWhenTheSceneIsKept)
{
  Harness h;
  OdGiContextForDbDatabase* context = static_cast<OdGiContextForDbDatabase*>(h.device()->userGiContext());
  ASSERT_NE(context, nullptr);
  context->enableGsModel(true);
  const OdDbObjectId mat = h.addMaterial(L"M", [](OdDbMaterial& m) { m.setDiffuse(rgb(255, 0, 0), MaterialMap()); });
  h.add(h.square(0, 0, 40, 0), mat);
  h.lookDown(-50, -50, 50, 50);
  EXPECT_GT(red(h.at(h.render(16, 16), OdGePoint3d(0, 0, 0))), 100);
  EXPECT_TRUE(h.device()->isValid());
  {
    OdDbMaterialPtr m = mat.safeOpenObject(OdDb::kForWrite);
    m->setDiffuse(rgb(0, 0, 255), MaterialMap());
  }
  EXPECT_FALSE(h.device()->isValid());
  const ODCOLORREF c = h.at(h.render(16, 16), OdGePoint3d(0, 0, 0));
  EXPECT_GT(blue(c), 100);
  EXPECT_GT(blue(c), 2 * red(c));
}

TEST(RenderBounds, ShowingAnotherMaterialLooksAsIfDrawnAfresh)
{
  // One device shows material after material on the same sample and view
  // (as the browser does); each picture must match a device that draws only
  // that material.
  auto setRed = [](OdDbMaterial& m) { m.setDiffuse(rgb(255, 0, 0), MaterialMap()); };
  auto setGlass = [](OdDbMaterial& m) {
    m.setDiffuse(rgb(0, 0, 255), MaterialMap());
    m.setOpacity(0.4, MaterialMap());
  };
  auto fresh = [](const std::function<void(OdDbMaterial&)>& setup) {
    Harness h;
    h.add(h.sphere(), h.addMaterial(L"M", setup));
    h.view()->setView(OdGePoint3d(0, -400, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 110, 110);
    const OdGiRasterImageRGBA& image = h.render(48, 48);
    return std::vector<OdUInt8>(image.data(), image.data() + image.sizeInBytes());
  };
  Harness h;
  const OdDbObjectId red = h.addMaterial(L"Red", setRed), glass = h.addMaterial(L"Glass", setGlass);
  const OdDbObjectId sphere = h.add(h.sphere(), red);
  h.view()->setView(OdGePoint3d(0, -400, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 110, 110);
  auto shown = [&](const OdDbObjectId& material) {
    {
      OdDbEntityPtr e = sphere.safeOpenObject(OdDb::kForWrite);
      e->setMaterial(material);
    }
    const OdGiRasterImageRGBA& image = h.render(48, 48);
    return std::vector<OdUInt8>(image.data(), image.data() + image.sizeInBytes());
  };
  const std::vector<OdUInt8> redPicture = fresh(setRed), glassPicture = fresh(setGlass);
  EXPECT_NE(redPicture, glassPicture);
  EXPECT_EQ(shown(red), redPicture);
  EXPECT_EQ(shown(glass), glassPicture);
  EXPECT_EQ(shown(red), redPicture);
}
