// What the Texture editor's map preview decides to show: the square it draws
// into, the picture of a file map, one found by the host's search when it
// moved, the not-found text, procedural textures, and failures that leave
// no old picture behind.
#include "MeMapPreviewModel.h"
#include "TestHost.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace
{
const std::filesystem::path kImages = std::filesystem::path(ME_TEST_FIXTURES) / "images";

using meui::MapPreviewState;

MaterialMap fileMap(const OdString& path)
{
  MaterialMap map;
  map.setSource(kFile);
  map.setSourceFileName(path);
  return map;
}

MaterialMap proceduralMap(const OdGiMaterialTexturePtr& texture)
{
  MaterialMap map;
  map.setSource(kProcedural);
  map.setTexture(texture);
  return map;
}

class MapPreviewModel : public ::testing::Test
{
protected:
  void SetUp() override { host.newDocument(); }

  OdString fixture(const char* name) { return TempDir::toOd(kImages / name); }
  // A copy of a fixture in the temporary folder, under another name.
  OdString copied(const char* name, const char* as)
  {
    std::filesystem::copy_file(kImages / name, temp / as);
    return TempDir::toOd(temp / as);
  }

  TestHost host;
  TempDir temp;
  meui::MeMapPreviewModel model;
};
} // namespace

TEST(PreviewSquare, CentresAlongTheLongerSideTruncatingTheOffset)
{
  const meui::PreviewSquare wide = meui::previewSquare(200, 100);
  EXPECT_EQ(wide.left, 50);
  EXPECT_EQ(wide.top, 0);
  EXPECT_EQ(wide.side, 100);
  const meui::PreviewSquare tall = meui::previewSquare(100, 201);
  EXPECT_EQ(tall.left, 0);
  EXPECT_EQ(tall.top, 50) << "101 / 2 truncated";
  EXPECT_EQ(tall.side, 100);
  const meui::PreviewSquare square = meui::previewSquare(64, 64);
  EXPECT_EQ(square.left + square.top, 0);
  EXPECT_EQ(square.side, 64);
  const meui::PreviewSquare empty = meui::previewSquare(-5, 30);
  EXPECT_EQ(empty.side, 0) << "a collapsed control gets no square, never a negative one";
  EXPECT_GE(empty.top, 0);
}

TEST(PreviewChecker, TransparentPixelsShowTheCheckerInSquaresOfTheScreenAndOpaqueOnesThemselves)
{
  // 4 x 2 picture pixels, all transparent black but two.
  OdGsDecodedImage image;
  image.width = 4;
  image.height = 2;
  image.rgba.assign(4 * 2 * 4, 0);
  const auto set = [&](int x, int y, OdUInt8 r, OdUInt8 a) {
    OdUInt8* p = &image.rgba[std::size_t(y * 4 + x) * 4];
    p[0] = r;
    p[3] = a;
  };
  set(1, 0, 255, 255); // opaque red
  set(3, 1, 255, 128); // half red
  EXPECT_TRUE(meui::hasTransparency(image));

  // For a 32-pixel square: a block of 8 x 8 a pixel, 32 x 16 in all, whose
  // checker squares, 8 across and 4 down, show as 8 x 8 once stretched.
  const OdGsDecodedImage shown = meui::overChecker(image, 32);
  ASSERT_EQ(shown.width, 32u);
  ASSERT_EQ(shown.height, 16u);
  const auto at = [&](int x, int y, int c) { return int(shown.rgba[std::size_t(y * 32 + x) * 4 + std::size_t(c)]); };
  EXPECT_EQ(at(0, 0, 0), meui::kCheckerLight) << "not the hidden black";
  EXPECT_EQ(at(7, 3, 0), meui::kCheckerLight);
  EXPECT_EQ(at(24, 0, 1), meui::kCheckerDark) << "a square across";
  EXPECT_EQ(at(0, 4, 2), meui::kCheckerDark) << "the next square down";
  EXPECT_EQ(at(9, 2, 0), 255);
  EXPECT_EQ(at(9, 2, 1), 0) << "an opaque pixel as it is";
  EXPECT_EQ(at(30, 12, 0), 230) << "half red over a light square";
  EXPECT_EQ(at(30, 12, 1), 102);
  EXPECT_FALSE(meui::hasTransparency(shown));

  // A picture larger than its square keeps its size; a square is then many pixels.
  const OdGsDecodedImage small = meui::overChecker(image, 2);
  ASSERT_EQ(small.width, 4u);
  EXPECT_EQ(small.rgba[0], meui::kCheckerLight);
  EXPECT_EQ(small.rgba[3 * 4], meui::kCheckerLight) << "16 pixels to a square, across the whole picture";
  EXPECT_EQ(meui::overChecker(image, 0).rgba, image.rgba) << "no square, nothing to lay it on";
}

TEST_F(MapPreviewModel, AFileMapShowsItsPictureDecodedByTheSharedLoader)
{
  model.refresh(fileMap(fixture("quad.png")));
  ASSERT_EQ(model.state(), MapPreviewState::Image);
  ASSERT_TRUE(model.image());
  EXPECT_EQ(model.image()->width, 16u);
  EXPECT_EQ(model.image()->height, 16u);
  // Top-left quadrant red, as make.sh draws it.
  EXPECT_GT(model.image()->rgba[0], 150);
  EXPECT_LT(model.image()->rgba[1], 80);
  EXPECT_EQ(model.loadedPath(), fixture("quad.png"));
}

TEST_F(MapPreviewModel, AMovedFileIsFoundByTheHostSearchAndTheTextOnlyWhenItIsNot)
{
  const OdString moved = copied("quad.bmp", "moved.bmp");
  const OdString stored = TempDir::toOd(temp / "gone" / "moved.bmp");
  model.refresh(fileMap(stored));
  EXPECT_EQ(model.state(), MapPreviewState::FileNotFound) << "no search path yet";
  EXPECT_FALSE(model.image());
  EXPECT_EQ(model.notFoundText(), OdString(L"File: ") + stored + L" \nnot found");

  host.addSearchPath(TempDir::toOd(temp.path()));
  model.refresh(fileMap(stored));
  EXPECT_EQ(model.state(), MapPreviewState::Image);
  EXPECT_EQ(model.loadedPath(), moved);
}

TEST_F(MapPreviewModel, ProceduralTexturesShowNoPictureButAnImageTextureInsideOneDoes)
{
  model.refresh(proceduralMap(OdGiMarbleTexture::createObject()));
  EXPECT_EQ(model.state(), MapPreviewState::Procedural);
  model.refresh(proceduralMap(OdGiWoodTexture::createObject()));
  EXPECT_EQ(model.state(), MapPreviewState::Procedural);
  model.refresh(proceduralMap(OdGiGenericTexture::createObject()));
  EXPECT_EQ(model.state(), MapPreviewState::Procedural);

  OdGiImageFileTexturePtr image = OdGiImageFileTexture::createObject();
  image->setSourceFileName(fixture("quad.jpg"));
  model.refresh(proceduralMap(image));
  EXPECT_EQ(model.state(), MapPreviewState::Image);
  ASSERT_TRUE(model.image());
  EXPECT_EQ(model.image()->width, 16u);

  image->setSourceFileName(TempDir::toOd(temp / "nowhere.jpg"));
  model.refresh(proceduralMap(image));
  EXPECT_EQ(model.state(), MapPreviewState::FileNotFound);
  EXPECT_NE(model.notFoundText().find(L"nowhere.jpg"), -1) << "the texture's own file is named";

  model.refresh(proceduralMap(OdGiMaterialTexturePtr()));
  EXPECT_EQ(model.state(), MapPreviewState::Nothing) << "a map without a texture shows nothing";
}

TEST_F(MapPreviewModel, ASceneMapOrABrokenFileDropsTheOldPicture)
{
  model.refresh(fileMap(fixture("quad.png")));
  ASSERT_TRUE(model.image());
  MaterialMap scene;
  scene.setSource(kScene);
  model.refresh(scene);
  EXPECT_EQ(model.state(), MapPreviewState::Nothing);
  EXPECT_FALSE(model.image());

  // A file that exists but is no picture: no state of its own, a reason, no old picture.
  model.refresh(fileMap(fixture("quad.png")));
  {
    std::ofstream broken(temp / "broken.png", std::ios::binary);
    broken << "\x89PNG\r\n\x1a\n but nothing after the signature";
  }
  model.refresh(fileMap(TempDir::toOd(temp / "broken.png")));
  EXPECT_EQ(model.state(), MapPreviewState::Nothing);
  EXPECT_FALSE(model.image());
  EXPECT_FALSE(model.failure().isEmpty());

  {
    std::ofstream text(temp / "notes.tif", std::ios::binary);
    text << "plain text under a picture's name";
  }
  EXPECT_FALSE(model.loadImage(TempDir::toOd(temp / "notes.tif")));
  EXPECT_FALSE(model.image());

  model.refresh(fileMap(OdString()));
  EXPECT_EQ(model.state(), MapPreviewState::FileNotFound) << "an empty file name is found nowhere";
}

TEST_F(MapPreviewModel, ATextWithAPercentSignIsShownAsStored)
{
  const OdString stored = TempDir::toOd(temp / "100%s done.png");
  model.refresh(fileMap(stored));
  ASSERT_EQ(model.state(), MapPreviewState::FileNotFound);
  EXPECT_EQ(model.notFoundText(), OdString(L"File: ") + stored + L" \nnot found");
}
