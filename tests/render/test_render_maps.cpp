// Diffuse maps as a user sees them: tiling, mirroring, rotation, solid
// textures, and image files that are missing or broken.
#include "RenderHarness.h"
#include "Texture.h"
#include "od/GiImageFile.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace
{
const ODCOLORREF kRed = ODRGB(255, 0, 0), kGreen = ODRGB(0, 255, 0);

// Left half red, right half green.
std::string halvesImage()
{
  const std::string path = tempPath("halves.bmp");
  writeBmp(path, 64, 64, [](int x, int) { return x < 32 ? kRed : kGreen; });
  return path;
}

// The map's transform from offset, scale and rotation: rotate, move by minus
// the offset, divide by the scale.
OdGeMatrix3d compose(double scale, double degrees)
{
  return OdGeMatrix3d::scaling(OdGeVector3d(1 / scale, 1 / scale, 1)) *
         OdGeMatrix3d::rotation(degrees * OdPi / 180.0, OdGeVector3d::kZAxis);
}

// A 100 x 100 square (0..100 in x and y) with a blue base colour and an
// image map fitted to it (planar), seen from above.
struct MappedSquare
{
  Harness h;
  const OdGiRasterImageRGBA* image = nullptr;

  MappedSquare(const std::string& file, MapMapper::Tiling tiling, double scale, double degrees,
               OdGsSoftwareModule* module = nullptr)
    : h(module)
  {
    const OdDbObjectId mat = h.addMaterial(L"Mapped", [&](OdDbMaterial& m) {
      MaterialMap map;
      map.setSource(kFile);
      map.setSourceFileName(OdString(file.c_str()));
      map.mapper().setAutoTransform(MapMapper::kObject);
      map.mapper().setUTiling(tiling);
      map.mapper().setVTiling(tiling);
      map.mapper().setTransform(compose(scale, degrees));
      m.setDiffuse(rgb(0, 0, 255), map);
    });
    h.add(h.square(50, 50, 50, 0), mat);
    h.lookDown(0, 0, 100, 100);
    image = &h.render(100, 100);
  }
  // Red, green or blue: whichever channel leads at the point.
  char colourAt(double x, double y) const
  {
    const ODCOLORREF c = h.at(*image, OdGePoint3d(x, y, 0));
    if (red(c) > green(c) && red(c) > blue(c))
      return 'R';
    if (green(c) > red(c) && green(c) > blue(c))
      return 'G';
    return 'B';
  }
};

ODCOLORREF plainCentre(ODCOLORREF diffuse)
{
  Harness h;
  const OdDbObjectId mat = h.addMaterial(
    L"Plain", [&](OdDbMaterial& m) { m.setDiffuse(rgb(red(diffuse), green(diffuse), blue(diffuse)), MaterialMap()); });
  h.add(h.square(50, 50, 50, 0), mat);
  h.lookDown(0, 0, 100, 100);
  return h.at(h.render(40, 40), OdGePoint3d(50, 50, 0));
}
} // namespace

TEST(RenderImageMap, FittedImageCoversTheObjectOnceTheRightWayRound)
{
  MappedSquare s(halvesImage(), MapMapper::kTile, 1.0, 0.0);
  EXPECT_EQ(s.colourAt(20, 20), 'R');
  EXPECT_EQ(s.colourAt(20, 80), 'R');
  EXPECT_EQ(s.colourAt(80, 50), 'G');
  EXPECT_EQ(s.h.device()->lastUpdateReport().numTextureFailures, 0u);
}

TEST(RenderImageMap, TilingNoneLeavesTheBaseColourOutsideTheTile)
{
  // Half the scale: the image covers the lower-left quarter once.
  MappedSquare none(halvesImage(), MapMapper::kCrop, 0.5, 0.0);
  EXPECT_EQ(none.colourAt(12, 25), 'R');
  EXPECT_EQ(none.colourAt(37, 25), 'G');
  EXPECT_EQ(none.colourAt(62, 25), 'B');
  EXPECT_EQ(none.colourAt(87, 75), 'B');
  EXPECT_EQ(none.colourAt(25, 75), 'B');

  MappedSquare tile(halvesImage(), MapMapper::kTile, 0.5, 0.0);
  EXPECT_EQ(tile.colourAt(62, 25), 'R');
  EXPECT_EQ(tile.colourAt(87, 75), 'G');
}

TEST(RenderImageMap, MirrorFlipsEveryOtherCopyAndClampStretchesTheEdge)
{
  MappedSquare mirror(halvesImage(), MapMapper::kMirror, 0.5, 0.0);
  EXPECT_EQ(mirror.colourAt(12, 25), 'R');
  EXPECT_EQ(mirror.colourAt(37, 25), 'G');
  EXPECT_EQ(mirror.colourAt(62, 25), 'G');
  EXPECT_EQ(mirror.colourAt(87, 25), 'R');

  MappedSquare clamp(halvesImage(), MapMapper::kClamp, 0.5, 0.0);
  EXPECT_EQ(clamp.colourAt(62, 25), 'G');
  EXPECT_EQ(clamp.colourAt(87, 75), 'G');
}

TEST(RenderImageMap, RotationOfNinetyDegreesTurnsThePattern)
{
  MappedSquare straight(halvesImage(), MapMapper::kTile, 1.0, 0.0);
  EXPECT_NE(straight.colourAt(25, 40), straight.colourAt(75, 40));
  EXPECT_EQ(straight.colourAt(25, 20), straight.colourAt(25, 80));

  MappedSquare turned(halvesImage(), MapMapper::kTile, 1.0, 90.0);
  EXPECT_EQ(turned.colourAt(25, 40), turned.colourAt(75, 40));
  EXPECT_NE(turned.colourAt(25, 20), turned.colourAt(25, 80));
}

TEST(RenderImageMap, MissingOrBrokenFileShowsTheBaseColourAndIsReported)
{
  const ODCOLORREF base = plainCentre(ODRGB(0, 0, 255));
  const std::string corrupt = tempPath("corrupt.png");
  {
    std::ofstream out(corrupt, std::ios::binary);
    out << "\x89PNG\r\n\x1a\n this is not really a picture";
  }
  const std::string empty = tempPath("empty.png");
  std::ofstream(empty, std::ios::binary).close();
  const std::string text = tempPath("notes.jpg");
  std::ofstream(text) << "just some words";

  for (const std::string& file : {tempPath("no_such_file.png"), corrupt, empty, text})
  {
    MappedSquare s(file, MapMapper::kTile, 1.0, 0.0);
    EXPECT_EQ(s.h.at(*s.image, OdGePoint3d(50, 50, 0)), base) << file;
    const OdGsUpdateReport& report = s.h.device()->lastUpdateReport();
    EXPECT_EQ(report.numTextureFailures, 1u) << file;
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_NE(report.messages[0].find(OdString(file.c_str())), -1) << report.messages[0].toUtf8();
  }
}

TEST(RenderImageMap, EachFileIsDecodedOnceUntilItChanges)
{
  const std::string path = tempPath("cached.bmp");
  writeBmp(path, 32, 32, [](int, int) { return kRed; });
  OdGsSoftwareModulePtr module = OdGsSoftwareModule::createObject();
  for (int i = 0; i < 3; ++i)
  {
    MappedSquare s(path, MapMapper::kTile, 1.0, 0.0, module);
    EXPECT_EQ(s.colourAt(50, 50), 'R');
  }
  EXPECT_EQ(module->textureDecodeCount(), 1u);

  writeBmp(path, 40, 40, [](int, int) { return kGreen; });
  MappedSquare changed(path, MapMapper::kTile, 1.0, 0.0, module);
  EXPECT_EQ(changed.colourAt(50, 50), 'G');
  EXPECT_EQ(module->textureDecodeCount(), 2u);
}

TEST(RenderImageMap, FourMaterialsSharingALargeMapCostOneDecodeAndASecondShowingNone)
{
  // A 4096 x 4096 photo texture: kept as the reduced picture the renderer
  // samples (2048 a side), which fits the cache, so neither another
  // material nor another picture of them decodes it again.
  const std::string path = tempPath("large-map.bmp");
  writeBmp(path, 4096, 4096, [](int x, int y) { return (x / 512 + y / 512) % 2 ? kRed : kGreen; });
  odgiClearImageCache();
  const OdUInt64 decodesBefore = odgiImageCacheStats().decodes;
  OdGsSoftwareModulePtr module = OdGsSoftwareModule::createObject();
  for (int showing = 0; showing < 2; ++showing)
  {
    Harness h(module);
    for (int i = 0; i < 4; ++i)
    {
      const OdDbObjectId mat = h.addMaterial(OdString::format(L"Shared %d", i), [&](OdDbMaterial& m) {
        MaterialMap map;
        map.setSource(kFile);
        map.setSourceFileName(OdString(path.c_str()));
        map.mapper().setAutoTransform(MapMapper::kObject);
        m.setDiffuse(rgb(0, 0, 255), map);
      });
      h.add(h.square(25 + 50 * (i % 2), 25 + 50 * (i / 2), 24, 0), mat);
    }
    h.lookDown(0, 0, 100, 100);
    const OdGiRasterImageRGBA& image = h.render(100, 100);
    // Each square shows the map (its checks), not the blue base colour.
    for (int i = 0; i < 4; ++i)
    {
      const ODCOLORREF c = h.at(image, OdGePoint3d(25 + 50 * (i % 2) - 10, 25 + 50 * (i / 2) - 10, 0));
      EXPECT_LT(blue(c), std::max(red(c), green(c))) << "square " << i << " showing " << showing;
    }
  }
  EXPECT_EQ(module->textureDecodeCount(), 1u);
  EXPECT_EQ(odgiImageCacheStats().decodes, decodesBefore + 1);
  EXPECT_LE(module->textureCacheBytes(), module->textureCacheLimit());
  const OdGsRender::TextureLookup kept = module->textureCache().lookup(OdString(path.c_str()));
  ASSERT_TRUE(kept.image);
  EXPECT_EQ(kept.image->width(), kOdGiMaxDecodedSide);
  std::remove(path.c_str());
}

TEST(RenderImageMap, CacheStaysWithinItsLimit)
{
  OdGsSoftwareModulePtr module = OdGsSoftwareModule::createObject();
  const std::string a = tempPath("a.bmp"), b = tempPath("b.bmp");
  writeBmp(a, 64, 64, [](int, int) { return kRed; });
  writeBmp(b, 64, 64, [](int, int) { return kGreen; });
  // One 64 x 64 picture with its mip levels, 16 bits a channel, is about
  // 43.7 KB.
  module->setTextureCacheLimit(60000);
  for (const std::string& file : {a, b, a})
  {
    MappedSquare s(file, MapMapper::kTile, 1.0, 0.0, module);
    EXPECT_LE(module->textureCacheBytes(), 60000u);
    EXPECT_GT(module->textureCacheBytes(), 0u);
  }
  EXPECT_EQ(module->textureDecodeCount(), 3u) << "a was pushed out by b";
}

TEST(RenderSolidTexture, MarbleAndWoodShowBothTheirColoursAndFollowTheirParameters)
{
  auto render = [](const OdGiMaterialTexturePtr& texture) {
    Harness h;
    const OdDbObjectId mat = h.addMaterial(L"Solid", [&](OdDbMaterial& m) {
      MaterialMap map;
      map.setSource(kProcedural);
      map.setTexture(texture);
      m.setDiffuse(rgb(0, 0, 255), map);
      m.setSpecular(rgb(0, 0, 0), MaterialMap(), 0.5);
    });
    h.add(h.sphere(), mat);
    h.view()->setView(OdGePoint3d(0, -400, 0), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 80, 80);
    std::vector<ODCOLORREF> pixels;
    const OdGiRasterImageRGBA& image = h.render(64, 64);
    for (OdUInt32 y = 0; y < 64; ++y)
      for (OdUInt32 x = 0; x < 64; ++x)
        pixels.push_back(image.pixelAt(x, y));
    return pixels;
  };
  auto countWhere = [](const std::vector<ODCOLORREF>& px, bool (*pred)(ODCOLORREF)) {
    int n = 0;
    for (ODCOLORREF c : px)
      n += pred(c) ? 1 : 0;
    return n;
  };

  OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
  marble->setStoneColor(rgb(255, 255, 0));
  marble->setVeinColor(rgb(0, 0, 255));
  const std::vector<ODCOLORREF> m1 = render(OdGiMaterialTexturePtr(marble.get()));
  EXPECT_GT(countWhere(m1, [](ODCOLORREF c) { return red(c) > 3 * blue(c) + 20; }), 100) << "stone";
  EXPECT_GT(countWhere(m1, [](ODCOLORREF c) { return blue(c) > red(c) + 20; }), 20) << "veins";
  marble->setVeinSpacing(3.0);
  EXPECT_NE(render(OdGiMaterialTexturePtr(marble.get())), m1);

  OdGiWoodTexturePtr wood = OdGiWoodTexture::createObject();
  wood->setColor1(rgb(255, 0, 0));
  wood->setColor2(rgb(0, 255, 0));
  const std::vector<ODCOLORREF> w1 = render(OdGiMaterialTexturePtr(wood.get()));
  EXPECT_GT(countWhere(w1, [](ODCOLORREF c) { return red(c) > green(c) + 30; }), 100) << "colour 1";
  EXPECT_GT(countWhere(w1, [](ODCOLORREF c) { return green(c) > red(c) + 30; }), 20) << "colour 2";
  EXPECT_EQ(countWhere(w1, [](ODCOLORREF c) { return blue(c) > 40; }), 0) << "the base colour is covered";
  wood->setGrainThickness(0.3);
  EXPECT_NE(render(OdGiMaterialTexturePtr(wood.get())), w1);
}

TEST(RenderImageMap, ExtremeMapTransformsDrawTheBaseColourRatherThanFail)
{
  // A scale of almost nothing sends texture coordinates past float's whole
  // numbers; a singular transform collapses them.
  MappedSquare tiny(halvesImage(), MapMapper::kTile, 1e-30, 0.0);
  EXPECT_EQ(tiny.colourAt(50, 50), 'B') << "the base colour";
  MappedSquare huge(halvesImage(), MapMapper::kClamp, 1e30, 0.0);
  EXPECT_EQ(huge.colourAt(50, 50), 'R') << "everything maps to the image's corner";
  Harness h;
  const OdDbObjectId mat = h.addMaterial(L"Far", [](OdDbMaterial& m) {
    MaterialMap map;
    map.setSource(kProcedural);
    map.setTexture(OdGiMaterialTexturePtr(OdGiMarbleTexture::createObject().get()));
    map.mapper().setTransform(OdGeMatrix3d::scaling(1e30));
    m.setDiffuse(rgb(0, 0, 255), map);
  });
  h.add(h.square(50, 50, 50, 0), mat);
  h.lookDown(0, 0, 100, 100);
  const ODCOLORREF c = h.at(h.render(16, 16), OdGePoint3d(50, 50, 0));
  EXPECT_NE(c, Harness::kBackground);
}
