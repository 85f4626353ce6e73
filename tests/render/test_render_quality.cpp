// Faults a user would see in a preview: sample objects lit inside out or
// open from one side, transparent surfaces that show their triangles or
// blend in the wrong order, light added up in the wrong space, and fine
// patterns that shimmer instead of averaging out.
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace rendertest;

namespace
{
std::function<void(OdDbMaterial&)> plain(int r, int g, int b, double opacity = 1.0)
{
  return [=](OdDbMaterial& m) {
    m.setDiffuse(rgb(r, g, b), MaterialMap());
    m.setAmbient(rgb(r, g, b));
    m.setSpecular(rgb(0, 0, 0), MaterialMap(), 0.5);
    m.setOpacity(opacity, MaterialMap());
  };
}

int largestDifference(ODCOLORREF a, ODCOLORREF b)
{
  return std::max({std::abs(red(a) - red(b)), std::abs(green(a) - green(b)), std::abs(blue(a) - blue(b))});
}

OdDbEntityPtr sample(OdDbDatabase* db, int code)
{
  OdDbEntityPtr e;
  if (code == 1)
    meui::buildSampleCube(db, OdGePoint3d(0, 0, 0), 50.0, e);
  else if (code == 4)
    meui::buildSampleTorus(db, OdGeMatrix3d(), OdGePoint3d(0, 0, 0), 50.0, 10.0, 50, 50, e);
  else
    meui::buildSampleSphere(db, OdGeMatrix3d(), OdGePoint3d(0, 0, 0), 50.0, 50, 50, e);
  return e;
}

// A device as the preview sets it up: back faces discarded.
struct Preview : Harness
{
  Preview() { device()->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(true)); }
};
} // namespace

TEST(RenderOrientation, TheCubeSeenFromBelowShowsALitBottomFace)
{
  // The cube's first face is wound inward; the bottom must still be there,
  // facing the camera's lights, from straight below and from below at a
  // slant.
  for (const OdGeVector3d& from : {OdGeVector3d(0, 0, -1), OdGeVector3d(0.4, -0.5, -1), OdGeVector3d(-0.6, 0.3, -1)})
  {
    Preview h;
    h.add(sample(h.db(), 1), h.addMaterial(L"Grey", plain(160, 160, 160)));
    h.view()->setView(OdGePoint3d(0, 0, 50) + from.normal() * 400, OdGePoint3d(0, 0, 50), OdGeVector3d::kYAxis, 180,
                      180, OdGsView::kPerspective);
    const ODCOLORREF c = h.at(h.render(64, 64), OdGePoint3d(0, 0, 0));
    EXPECT_NE(c, Harness::kBackground) << "from " << from.x << "," << from.y;
    EXPECT_GT(green(c), 120) << "lit, from " << from.x << "," << from.y;
  }
}

TEST(RenderOrientation, TheTorusLitFromTheFrontHasItsHighlightOnTheOuterRim)
{
  // Seen edge on, the tube nearest the camera hides the rest of the ring:
  // its outer rim faces the camera and the key light comes from above left,
  // so the highlight sits above the tube's middle. Lit inside out, the far
  // (inner) side of the tube shows and the highlight falls below it.
  for (double side : {-1.0, 1.0})
    for (bool perspective : {false, true})
    {
      Preview h;
      h.add(sample(h.db(), 4), h.addMaterial(L"Shiny", [](OdDbMaterial& m) {
        m.setDiffuse(rgb(120, 100, 40), MaterialMap());
        m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.8);
      }));
      h.view()->setView(OdGePoint3d(0, 400 * side, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 130, 130,
                        perspective ? OdGsView::kPerspective : OdGsView::kParallel);
      const OdGiRasterImageRGBA& image = h.render(130, 130);
      // The brightest pixel over the middle of the near tube.
      int best = -1;
      OdUInt32 bestRow = 0;
      for (OdUInt32 y = 0; y < 130; ++y)
        for (OdUInt32 x = 35; x < 95; ++x)
          if (luminance(image.pixelAt(x, y)) > best)
            best = luminance(image.pixelAt(x, y)), bestRow = y;
      const double middleRow = (h.view()->worldToDeviceMatrix() * OdGePoint3d(0, -50 * side, 0)).y;
      EXPECT_LT(double(bestRow), middleRow - 1.0) << "side " << side << ", perspective " << perspective;
      EXPECT_GT(best, 600) << "a highlight shows";
    }
}

TEST(RenderTransparency, ASphereLooksUniformlyTransparentWithoutItsTriangles)
{
  // With one sample at each pixel's centre no triangle edge can be blended
  // twice; with four, pixels on triangle edges are shared by two triangles.
  // Inside the glass sphere's outline the two pictures must agree: an edge
  // pixel blended twice (or not at all) would stand out from its
  // neighbours as a wire mesh.
  for (bool discard : {true, false})
  {
    auto render = [discard](bool antialias) {
      Harness h;
      h.device()->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(discard));
      h.device()->properties()->putAt(L"Antialiasing", OdRxVariantValue(antialias));
      h.add(h.sphere(), h.addMaterial(L"Glass", plain(60, 140, 220, 0.5)));
      h.view()->setView(OdGePoint3d(0, -400, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 110, 110);
      return pixels(h.render(128, 128));
    };
    const std::vector<ODCOLORREF> four = render(true), one = render(false);
    const double radius = 50.0 * 128 / 110 - 1.5; // pixels, short of the outline
    int inside = 0, worst = 0;
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        if (std::hypot(x + 0.5 - 64, y + 0.5 - 64) < radius)
        {
          const std::size_t i = std::size_t(y) * 128 + std::size_t(x);
          ++inside, worst = std::max(worst, largestDifference(four[i], one[i]));
        }
    EXPECT_GT(inside, 9000);
    EXPECT_LE(worst, 2) << "discard back faces " << discard;
    // And it is see-through: the background darkens the colour.
    EXPECT_LT(blue(four[64 * 128 + 64]), 200);
  }
}

TEST(RenderTransparency, CrossingSurfacesBlendFarBeforeNearOnEitherSideOfTheirCrossing)
{
  // Two glass squares tilted against each other cross along x = 0: on the
  // right the red one is nearer the camera above, on the left the green
  // one. Which comes first in the drawing must not matter.
  for (bool redFirst : {true, false})
    for (bool fromAbove : {true, false})
    {
      Harness h;
      auto tilted = [&](double slope) {
        const OdGePoint3dArray pts = {
          {-40, -40, -40 * slope}, {40, -40, 40 * slope}, {40, 40, 40 * slope}, {-40, 40, -40 * slope}};
        OdDbEntityPtr e;
        meui::buildPolyFaceMesh(h.db(), pts, OdArray<OdInt16>{1, 2, 3, 4}, nullptr, e);
        return e;
      };
      const OdDbObjectId redGlass = h.addMaterial(L"Red", plain(255, 0, 0, 0.6)),
                         greenGlass = h.addMaterial(L"Green", plain(0, 255, 0, 0.6));
      if (redFirst)
        h.add(tilted(0.5), redGlass), h.add(tilted(-0.5), greenGlass);
      else
        h.add(tilted(-0.5), greenGlass), h.add(tilted(0.5), redGlass);
      const double z = fromAbove ? 300 : -300;
      h.view()->setView(OdGePoint3d(0, 0, z), OdGePoint3d(0, 0, 0), OdGeVector3d::kYAxis, 100, 100,
                        OdGsView::kPerspective);
      const OdGiRasterImageRGBA& image = h.render(64, 64);
      const ODCOLORREF right = h.at(image, OdGePoint3d(25, 0, 0)), left = h.at(image, OdGePoint3d(-25, 0, 0));
      const std::string what =
        std::string(redFirst ? "red first" : "green first") + (fromAbove ? ", from above" : ", from below");
      EXPECT_EQ(red(right) > green(right), fromAbove) << what;
      EXPECT_EQ(green(left) > red(left), fromAbove) << what;
    }
}

TEST(RenderTransparency, AGlassTorusLooksTheSameWhateverOrderItsFacesComeIn)
{
  // Its tube overlaps itself from most sides; blending far before near per
  // pixel makes the order of the faces in the drawing irrelevant.
  auto render = [](bool reversed, double az, double el) {
    Preview h;
    OdDbEntityPtr torus = sample(h.db(), 4);
    if (reversed)
    {
      const OdDbSubDMesh* mesh = OdDbSubDMesh::cast(torus).get();
      const OdInt32Array& faces = mesh->faceArray();
      OdInt32Array backwards;
      for (OdUInt32 end = faces.size(); end > 0; end -= 5) // quads: a count and four corners
        for (OdUInt32 k = end - 5; k < end; ++k)
          backwards.append(faces[k]);
      OdDbSubDMeshPtr copy = OdDbSubDMesh::createObject();
      copy->setSubDMesh(mesh->vertices(), backwards, 0);
      torus = OdDbEntityPtr(copy.get());
    }
    h.add(torus, h.addMaterial(L"Glass", [](OdDbMaterial& m) {
      m.setDiffuse(rgb(60, 140, 220), MaterialMap());
      m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.7);
      m.setOpacity(0.4, MaterialMap());
    }));
    const OdGeVector3d dir(std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el));
    h.view()->setView(OdGePoint3d::kOrigin + dir * 400, OdGePoint3d::kOrigin, OdGeVector3d::kZAxis, 130, 130,
                      OdGsView::kPerspective);
    return pixels(h.render(96, 96));
  };
  for (const auto& [az, el] : {std::pair<double, double>{0.3, 0.5}, {2.0, -0.3}, {4.0, 1.2}, {5.5, 0.1}})
  {
    const std::vector<ODCOLORREF> a = render(false, az, el), b = render(true, az, el);
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
      worst = std::max(worst, largestDifference(a[i], b[i]));
    EXPECT_LE(worst, 1) << "view " << az << "," << el;
  }
}

TEST(RenderLight, AMapOfUniformGreyRendersLikeTheSameDiffuseGrey)
{
  // Filtering and mip levels average light, not sRGB codes: a grey picture
  // stays exactly that grey at every level.
  const std::string grey = tempPath("uniform_grey.bmp");
  writeBmp(grey, 16, 16, [](int, int) { return ODRGB(128, 128, 128); });
  auto render = [&grey](bool mapped) {
    Preview h;
    h.add(h.sphere(), h.addMaterial(L"Grey", [&](OdDbMaterial& m) {
      MaterialMap map;
      if (mapped)
      {
        map.setSource(kFile);
        map.setSourceFileName(OdString(grey.c_str()));
        map.mapper().setProjection(MapMapper::kSphere);
        map.mapper().setAutoTransform(MapMapper::kObject);
      }
      m.setDiffuse(rgb(128, 128, 128), map);
      m.setAmbient(rgb(128, 128, 128));
    }));
    h.view()->setView(OdGePoint3d(300, -300, 200), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 110, 110,
                      OdGsView::kPerspective);
    return pixels(h.render(96, 96));
  };
  const std::vector<ODCOLORREF> mapped = render(true), plainGrey = render(false);
  int worst = 0;
  for (std::size_t i = 0; i < mapped.size(); ++i)
    worst = std::max(worst, largestDifference(mapped[i], plainGrey[i]));
  EXPECT_LE(worst, 1);
}

TEST(RenderLight, AWhiteMaterialRendersWhiteWhereItFacesTheLight)
{
  Preview h;
  h.add(h.sphere(), h.addMaterial(L"White", plain(255, 255, 255)));
  h.view()->setView(OdGePoint3d(0, -400, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 110, 110);
  const OdGiRasterImageRGBA& image = h.render(96, 96);
  int brightest = 0, darkest = 255 * 3;
  for (const ODCOLORREF c : pixels(image))
    if (c != Harness::kBackground)
      brightest = std::max(brightest, std::min({red(c), green(c), blue(c)})), darkest = std::min(darkest, luminance(c));
  EXPECT_GE(brightest, 252);
  EXPECT_LT(darkest, 3 * 200) << "and it is still shaded";
}

TEST(RenderFiltering, AFineCheckerAtAGrazingAngleAveragesToItsMeanColour)
{
  // A one-texel black and white checker, repeated every drawing unit, seen
  // almost along the plane: every pixel covers many squares and must show
  // their mean, half the light, as a plain material of that grey does
  // (sRGB 188), without moire.
  const std::string checker = tempPath("fine_checker.bmp");
  writeBmp(checker, 64, 64, [](int x, int y) { return (x + y) % 2 ? ODRGB(255, 255, 255) : ODRGB(0, 0, 0); });
  auto render = [&checker](bool mapped) {
    Preview h;
    h.add(h.square(50, 50, 50, 0), h.addMaterial(L"Floor", [&](OdDbMaterial& m) {
      MaterialMap map;
      if (mapped)
      {
        map.setSource(kFile);
        map.setSourceFileName(OdString(checker.c_str()));
        map.mapper().setAutoTransform(MapMapper::kNone);
      }
      m.setDiffuse(rgb(188, 188, 188), map);
      m.setAmbient(rgb(188, 188, 188));
      m.setSpecular(rgb(0, 0, 0), MaterialMap(), 0.5);
    }));
    h.view()->setView(OdGePoint3d(50, -70, 14), OdGePoint3d(50, 50, 0), OdGeVector3d::kZAxis, 100, 75,
                      OdGsView::kPerspective);
    return pixels(h.render(128, 96));
  };
  const std::vector<ODCOLORREF> mapped = render(true), grey = render(false);
  int compared = 0, worst = 0;
  double total = 0;
  for (std::size_t i = 0; i < mapped.size(); ++i)
    if (grey[i] != Harness::kBackground)
    {
      const int d = largestDifference(mapped[i], grey[i]);
      ++compared, total += d, worst = std::max(worst, d);
    }
  EXPECT_GT(compared, 2000);
  EXPECT_LE(total / compared, 2.0);
  EXPECT_LE(worst, 8);
}

namespace
{
// The unit square seen from above, 100 drawing units across, with a solid
// texture over a blue it must hide.
const OdGiRasterImageRGBA& solidTextureSquare(Harness& h, OdGiMaterialTexturePtr texture, int size)
{
  h.add(h.square(50, 50, 50, 0), h.addMaterial(L"Solid", [texture](OdDbMaterial& m) {
    MaterialMap map;
    map.setSource(kProcedural);
    map.setTexture(texture);
    m.setDiffuse(rgb(0, 0, 255), map);
    m.setSpecular(rgb(0, 0, 0), MaterialMap(), 0.5);
  }));
  h.lookDown(0, 0, 100, 100);
  return h.render(size, size);
}

// The largest step between neighbouring pixels (across, and down too if
// asked) of those the filter takes.
int largestStep(const OdGiRasterImageRGBA& image, bool down, const std::function<bool(int, int)>& take)
{
  int worst = 0;
  for (OdUInt32 y = 0; y < image.pixelHeight(); ++y)
    for (OdUInt32 x = 1; x < image.pixelWidth(); ++x)
      if (take(int(x), int(y)))
      {
        worst = std::max(worst, largestDifference(image.pixelAt(x, y), image.pixelAt(x - 1, y)));
        if (down && y > 0)
          worst = std::max(worst, largestDifference(image.pixelAt(x, y), image.pixelAt(x, y - 1)));
      }
  return worst;
}
} // namespace

TEST(RenderFiltering, WoodGrainFinerThanAPixelBlendsWhileCoarseGrainShowsItsRings)
{
  auto spread = [](double grain) {
    OdGiWoodTexturePtr wood = OdGiWoodTexture::createObject();
    wood->setColor1(rgb(230, 180, 120));
    wood->setColor2(rgb(90, 40, 10));
    wood->setGrainThickness(grain);
    Harness h;
    // Away from the centre, where rings are not yet fine.
    return largestStep(solidTextureSquare(h, OdGiMaterialTexturePtr(wood.get()), 64), false,
                       [](int x, int y) { return std::hypot(double(x) - 32, double(y) - 32) > 12; });
  };
  EXPECT_LE(spread(0.004), 12) << "a hundred rings across 64 pixels blend";
  EXPECT_GE(spread(0.3), 40) << "a few wide rings stay sharp";
}

TEST(RenderFiltering, MarbleVeinsFinerThanAPixelBlendWhileCoarseVeinsStaySharp)
{
  auto spread = [](double spacing, int size) {
    OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
    marble->setStoneColor(rgb(240, 235, 220));
    marble->setVeinColor(rgb(20, 30, 60));
    marble->setVeinSpacing(spacing);
    Harness h;
    return largestStep(solidTextureSquare(h, OdGiMaterialTexturePtr(marble.get()), size), true,
                       [](int, int) { return true; });
  };
  // Sixty veins across 16 or 24 pixels blend into their mean; three across
  // a preview keep their dark edges (unfiltered, both would step by 190 or more).
  EXPECT_LE(spread(0.05, 16), 30);
  EXPECT_LE(spread(0.05, 24), 30);
  EXPECT_GE(spread(1.0, 96), 100);
  EXPECT_GE(spread(1.0, 128), 100);
}

TEST(RenderVectorPaths, BothPathsDrawTheSamePictures)
{
  // The renderer runs on the widest vector instructions the processor has;
  // SSE2 is what a processor without AVX2 gets. Both must draw alike (FMA
  // rounds a little differently, nothing more).
  Harness probe;
  const std::string fastest = probe.software()->vectorPath();
  EXPECT_TRUE(fastest == "SSE2" || fastest == "AVX2") << fastest;
  EXPECT_FALSE(probe.software()->setVectorPath("AVX-512"));
  EXPECT_FALSE(probe.software()->setVectorPath(nullptr));
  EXPECT_EQ(probe.software()->vectorPath(), fastest) << "a refused path changes nothing";
  if (!probe.software()->setVectorPath("AVX2"))
    GTEST_SKIP() << "this processor has no AVX2";

  const std::string checker = tempPath("paths_checker.bmp");
  writeBmp(checker, 32, 32, [](int x, int y) { return (x / 4 + y / 4) % 2 ? ODRGB(250, 240, 20) : ODRGB(20, 40, 200); });
  auto procedural = [](OdGiMaterialTexturePtr texture) {
    return [texture](OdDbMaterial& m) {
      MaterialMap map;
      map.setSource(kProcedural);
      map.setTexture(texture);
      m.setDiffuse(rgb(200, 200, 200), map);
      m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.7);
    };
  };
  const std::function<void(OdDbMaterial&)> materials[] = {
    procedural(OdGiMaterialTexturePtr(OdGiMarbleTexture::createObject().get())),
    procedural(OdGiMaterialTexturePtr(OdGiWoodTexture::createObject().get())),
    [&checker](OdDbMaterial& m) {
      MaterialMap map;
      map.setSource(kFile);
      map.setSourceFileName(OdString(checker.c_str()));
      map.mapper().setProjection(MapMapper::kSphere);
      map.mapper().setAutoTransform(MapMapper::kObject);
      m.setDiffuse(rgb(128, 128, 128), map);
    },
    plain(60, 140, 220, 0.5),
  };
  for (int code : {0, 1, 4})
    for (std::size_t look = 0; look < std::size(materials); ++look)
      for (bool flat : {false, true})
      {
        auto render = [&](const char* path) {
          Preview h;
          EXPECT_TRUE(h.software()->setVectorPath(path));
          h.add(sample(h.db(), code), h.addMaterial(L"M", materials[look]));
          h.view()->setView(OdGePoint3d(250, -300, 200), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 130, 130,
                            OdGsView::kPerspective);
          if (flat)
            h.view()->setMode(OdDb::kFlatShaded);
          return pixels(h.render(96, 96));
        };
        const std::vector<ODCOLORREF> sse2 = render("SSE2"), avx2 = render("AVX2");
        int worst = 0, off = 0;
        for (std::size_t i = 0; i < sse2.size(); ++i)
        {
          const int d = largestDifference(sse2[i], avx2[i]);
          worst = std::max(worst, d), off += d > 1 ? 1 : 0;
        }
        EXPECT_LE(worst, 3) << "sample " << code << ", look " << look << ", flat " << flat;
        EXPECT_LE(off, 20) << "sample " << code << ", look " << look << ", flat " << flat;
      }
}
