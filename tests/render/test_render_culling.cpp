// Large drawings: what lies off screen is left out, what is smaller than a
// pixel drawn as a dot, and a kept scene follows the drawing's changes.
#include "Culling.h"
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;

namespace
{
// A closed box of side `size` with its lowest corner at (x, y, z).
OdDbEntityPtr cube(OdDbDatabase* db, double x, double y, double z, double size)
{
  OdGePoint3dArray points;
  for (int v = 0; v < 8; ++v)
    points.append(OdGePoint3d(x + (v & 1) * size, y + (v >> 1 & 1) * size, z + (v >> 2 & 1) * size));
  const OdArray<OdInt16> faces = {1, 2, 4, 3, 5, 6, 8, 7, 1, 2, 6, 5, 3, 4, 8, 7, 1, 3, 7, 5, 2, 4, 8, 6};
  OdDbEntityPtr e;
  meui::buildPolyFaceMesh(db, points, faces, nullptr, e);
  return e;
}

OdDbObjectId plain(Harness& h, const OdString& name, int r, int g, int b)
{
  return h.addMaterial(name, [&](OdDbMaterial& m) { m.setDiffuse(rgb(r, g, b), MaterialMap()); });
}

// Cubes of side 1 on a grid of pitch 2, n by n from the origin.
void grid(Harness& h, int n, const OdDbObjectId& material)
{
  for (int i = 0; i < n * n; ++i)
    h.add(cube(h.db(), (i % n) * 2.0, (i / n) * 2.0, 0.0, 1.0), material);
}

// In linear light, 0 to 1, as the samples of a pixel are blended: a picture
// a quarter covered has a quarter of its colour, however the quarter falls.
struct Mean
{
  double r = 0, g = 0, b = 0;
};

double linear(int c)
{
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Over the middle square of the picture, `size` pixels wide.
Mean mean(const OdGiRasterImageRGBA& image, OdUInt32 size)
{
  Mean m;
  const double n = double(size) * size;
  const OdUInt32 x0 = (image.pixelWidth() - size) / 2, y0 = (image.pixelHeight() - size) / 2;
  for (OdUInt32 y = y0; y < y0 + size; ++y)
    for (OdUInt32 x = x0; x < x0 + size; ++x)
    {
      const ODCOLORREF c = image.pixelAt(x, y);
      m.r += linear(red(c)) / n, m.g += linear(green(c)) / n, m.b += linear(blue(c)) / n;
    }
  return m;
}

void keepScene(Harness& h) { static_cast<OdGiContextForDbDatabase*>(h.device()->userGiContext())->enableGsModel(true); }
} // namespace

TEST(RenderCulling, AnEntityPartlyOnScreenIsDrawnUpToTheEdgeAndOneWhollyOffIsNot)
{
  Harness h;
  const OdDbObjectId redMaterial = plain(h, L"Red", 230, 20, 20);
  // Half of the square is left of the picture; the cube is wholly right of it.
  h.add(h.square(0, 50, 10, 0), redMaterial);
  h.add(cube(h.db(), 104, 45, 0, 10), redMaterial);
  h.lookDown(0, 0, 100, 100);
  const OdGiRasterImageRGBA& image = h.render(100, 100);
  for (int x = 0; x < 9; ++x)
    EXPECT_GT(red(image.pixelAt(OdUInt32(x), 50)), 150) << "column " << x;
  EXPECT_EQ(image.pixelAt(12, 50), Harness::kBackground);
  EXPECT_EQ(image.pixelAt(99, 50), Harness::kBackground);
  EXPECT_EQ(h.device()->lastUpdateReport().numTriangles, 2u) << "the square's two halves and nothing of the cube";
}

TEST(RenderCulling, AModelOfSubPixelCubesSeenWholeLooksAsItsLargerCubesDo)
{
  // 14,400 cubes half a unit of the picture's 120 pixels wide, then the
  // middle of the grid zoomed in three times, its cubes larger than a pixel
  // and drawn as triangles: the same part of the grid shows the same mean
  // colour, from above (where a quarter of it is red) and from the side.
  Harness h;
  grid(h, 120, plain(h, L"Red", 230, 20, 20));
  const OdGePoint3d centre(120, 120, 0);
  for (const OdGeVector3d& toCamera : {OdGeVector3d(0, 0, 1), OdGeVector3d(1, -1, 1)})
  {
    auto look = [&](double field) {
      h.view()->setView(centre + toCamera * 500, centre, OdGeVector3d::kYAxis + OdGeVector3d::kZAxis, field, field);
    };
    look(240);
    const Mean whole = mean(h.render(120, 120), 40);
    EXPECT_LE(h.device()->lastUpdateReport().numTriangles, 120u * 120u) << "one dot a cube, not its faces";
    look(80);
    const Mean zoomed = mean(h.render(120, 120), 120);
    EXPECT_GT(h.device()->lastUpdateReport().numTriangles, 40u * 40u) << "cubes larger than a pixel keep their faces";

    // The model does not vanish: far from the background, towards red. And
    // its colour is the larger cubes' within a tenth of the way from the
    // background.
    const double background = linear(red(Harness::kBackground)), range = zoomed.r - background;
    EXPECT_GT(whole.r, background + 0.5 * range);
    EXPECT_GT(whole.r, 3 * whole.g);
    EXPECT_NEAR(whole.r, zoomed.r, 0.1 * range) << "seen from " << toCamera.x << "," << toCamera.y;
    EXPECT_NEAR(whole.g, zoomed.g, 0.1 * range);
    EXPECT_NEAR(whole.b, zoomed.b, 0.1 * range);
  }
}

TEST(RenderCulling, ZoomedIntoOneCubeOfAHugeGridItLooksAsItDoesAlone)
{
  Harness alone, crowd;
  const OdGePoint3d corner(300, 300, 0); // beyond the grid's corner
  alone.add(cube(alone.db(), corner.x, corner.y, corner.z, 1.0), plain(alone, L"Blue", 40, 60, 220));
  keepScene(crowd);
  grid(crowd, 60, plain(crowd, L"Grey", 128, 128, 128));
  crowd.add(cube(crowd.db(), corner.x, corner.y, corner.z, 1.0), plain(crowd, L"Blue", 40, 60, 220));
  // Seen whole first, so the zoom below works on the kept scene.
  crowd.lookDown(0, 0, 320, 320);
  EXPECT_NE(crowd.at(crowd.render(100, 100), corner + OdGeVector3d(0.5, 0.5, 0)), Harness::kBackground)
    << "the cube, a dot when the grid is seen whole";
  for (Harness* h : {&alone, &crowd})
  {
    const OdGePoint3d centre = corner + OdGeVector3d(0.5, 0.5, 0.5);
    h->view()->setView(centre + OdGeVector3d(2, -3, 2.5), centre, OdGeVector3d::kZAxis, 2.2, 2.2,
                       OdGsView::kPerspective);
  }
  const std::vector<ODCOLORREF> expected = pixels(alone.render(100, 100));
  const std::vector<ODCOLORREF> seen = pixels(crowd.render(100, 100));
  ASSERT_EQ(seen.size(), expected.size());
  std::size_t differ = 0;
  for (std::size_t i = 0; i < seen.size(); ++i)
    differ += seen[i] != expected[i] ? 1 : 0;
  EXPECT_EQ(differ, 0u);
  EXPECT_NE(expected[50 * 100 + 50], Harness::kBackground) << "the cube fills the middle";
}

TEST(RenderCulling, AKeptSceneShowsAChangedMaterialAndAnEntityGivenAnother)
{
  Harness h;
  keepScene(h);
  const OdDbObjectId redMaterial = plain(h, L"Red", 230, 20, 20), greenMaterial = plain(h, L"Green", 20, 230, 20);
  h.add(h.square(25, 50, 20, 0), redMaterial);
  const OdDbObjectId right = h.add(h.square(75, 50, 20, 0), greenMaterial);
  h.lookDown(0, 0, 100, 100);
  const OdGiRasterImageRGBA& first = h.render(100, 100);
  ASSERT_GT(red(first.pixelAt(25, 50)), 150);
  ASSERT_GT(green(first.pixelAt(75, 50)), 150);

  {
    OdDbMaterialPtr material = redMaterial.safeOpenObject(OdDb::kForWrite);
    material->setDiffuse(rgb(20, 20, 230), MaterialMap());
  }
  const OdGiRasterImageRGBA& recoloured = h.render(100, 100);
  EXPECT_GT(blue(recoloured.pixelAt(25, 50)), 150);
  EXPECT_LT(red(recoloured.pixelAt(25, 50)), 100);
  EXPECT_GT(green(recoloured.pixelAt(75, 50)), 150) << "the other entity keeps its material";

  {
    OdDbEntityPtr entity = right.safeOpenObject(OdDb::kForWrite);
    entity->setMaterial(redMaterial);
  }
  const OdGiRasterImageRGBA& reassigned = h.render(100, 100);
  EXPECT_GT(blue(reassigned.pixelAt(75, 50)), 150);
  EXPECT_LT(green(reassigned.pixelAt(75, 50)), 100);
}

TEST(RenderCulling, AKeptSceneLosesAnErasedEntityAndGainsAnAppendedOne)
{
  Harness h;
  keepScene(h);
  const OdDbObjectId redMaterial = plain(h, L"Red", 230, 20, 20);
  const OdDbObjectId left = h.add(h.square(25, 50, 20, 0), redMaterial);
  h.add(h.square(75, 50, 20, 0), redMaterial);
  h.lookDown(0, 0, 100, 100);
  ASSERT_GT(red(h.render(100, 100).pixelAt(25, 50)), 150);

  {
    OdDbEntityPtr entity = left.safeOpenObject(OdDb::kForWrite);
    entity->erase();
  }
  const OdGiRasterImageRGBA& erased = h.render(100, 100);
  EXPECT_EQ(erased.pixelAt(25, 50), Harness::kBackground);
  EXPECT_GT(red(erased.pixelAt(75, 50)), 150);

  h.add(h.square(50, 85, 10, 0), redMaterial);
  const OdGiRasterImageRGBA& appended = h.render(100, 100);
  EXPECT_GT(red(appended.pixelAt(50, 15)), 150) << "the new square, near the top";
  EXPECT_EQ(appended.pixelAt(25, 50), Harness::kBackground);

  {
    OdDbEntityPtr entity = left.openObject(OdDb::kForWrite, true);
    entity->erase(false);
  }
  EXPECT_GT(red(h.render(100, 100).pixelAt(25, 50)), 150) << "unerased, it is back";
}

TEST(RenderCulling, BoxesBehindTheCameraAreHiddenAndThoseAroundItLeftToTheClipper)
{
  OdGsRender::ViewSetup view;
  view.perspective = true;
  view.distance = 10.0; // the camera at z = 10, looking down -Z
  view.scale = 10.0, view.centerX = 50, view.centerY = 50;
  view.right = view.bottom = 100;
  auto reach = [&](float z0, float z1, float half) {
    OdGsRender::ObjectFrame box;
    box.min = OdGsRender::Vec3(-half, -half, z0);
    box.max = OdGsRender::Vec3(half, half, z1);
    return OdGsRender::meshReach(box, view, 0, 0, 100, 100).reach;
  };
  EXPECT_EQ(reach(11.f, 12.f, 1.f), OdGsRender::Reach::Hidden) << "behind the camera";
  EXPECT_EQ(reach(-1.f, 11.f, 1.f), OdGsRender::Reach::Triangles) << "around the camera";
  EXPECT_EQ(reach(0.f, 0.01f, 0.01f), OdGsRender::Reach::Dot) << "a speck on the target plane";
  EXPECT_EQ(reach(0.f, 1.f, 1.f), OdGsRender::Reach::Triangles);
  view.perspective = false;
  EXPECT_EQ(reach(11.f, 12.f, 1.f), OdGsRender::Reach::Triangles) << "a parallel view sees all depths";
}

TEST(RenderCulling, ADotCoversSamplesAsItsAreaDoesAndAlwaysOne)
{
  const float x[4] = {0.375f, 0.875f, 0.125f, 0.625f}, y[4] = {0.125f, 0.375f, 0.625f, 0.875f};
  auto count = [&](double area) { return __builtin_popcount(OdGsRender::dotSamples(10.5, 20.5, area, x, y)); };
  EXPECT_EQ(count(0.0001), 1);
  EXPECT_EQ(count(0.25), 1);
  EXPECT_EQ(count(0.5), 2);
  EXPECT_EQ(count(0.99), 4);
  // The one sample nearest the centre: (0.875, 0.375) for a dot at the
  // pixel's right middle.
  EXPECT_EQ(OdGsRender::dotSamples(3.9, 7.4, 0.01, x, y), 2u);
}
