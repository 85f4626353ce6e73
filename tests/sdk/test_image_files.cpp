// Image files of texture maps: every format of the browse filter decodes to
// the same picture, oversized pictures are refused from their header before
// any decoder runs, damaged and missing files give a reason and no picture,
// and decoded pictures are kept until their file changes.
//
// The same tests run natively (libpng, libjpeg, libtiff, our BMP reader) and under
// Wine (GDI+). The fixtures are made by tests/fixtures/images/make.sh.
#include "od/GiImageFile.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace
{
const std::filesystem::path kFixtures = std::filesystem::path(ME_TEST_FIXTURES) / "images";

// The fixtures are 16 x 16 pixels in four 8 x 8 quadrants.
struct Rgb
{
  int r, g, b;
};
const Rgb kTopLeft{200, 30, 30}, kTopRight{30, 200, 30}, kBottomLeft{30, 30, 200}, kBottomRight{240, 240, 240};

Rgb pixel(const OdGsDecodedImage& image, OdUInt32 x, OdUInt32 y)
{
  const OdUInt8* p = &image.rgba[(std::size_t(y) * image.width + x) * 4];
  return {p[0], p[1], p[2]};
}

::testing::AssertionResult near(const Rgb& got, const Rgb& want, int tolerance)
{
  if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
      std::abs(got.b - want.b) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << got.r << "," << got.g << "," << got.b << " want " << want.r << ","
                                       << want.g << "," << want.b;
}

int luminance(const Rgb& c) { return (c.r * 299 + c.g * 587 + c.b * 114) / 1000; }

// Counts what reaches the decoder, and decodes with the build's own.
class CountingDecoder final : public OdGiImageDecoder
{
public:
  bool decode(const OdString& path, const OdGiImageFileInfo& info, OdGsDecodedImage& image, OdString& reason) override
  {
    ++calls;
    return odgiBuiltInImageDecoder()->decode(path, info, image, reason);
  }
  int calls = 0;
};

class ImageFiles : public ::testing::Test
{
protected:
  void SetUp() override
  {
    counting = std::make_shared<CountingDecoder>();
    odgiSetImageDecoder(counting);
  }
  void TearDown() override
  {
    odgiSetImageDecoder(nullptr);
    odgiSetImageCacheLimit(std::size_t(64) << 20);
  }

  static std::string fixture(const std::string& name) { return TempDir::read(kFixtures / name); }
  // A file of the temporary folder with these bytes.
  OdString file(const std::string& name, const std::string& bytes)
  {
    TempDir::write(dir / name, bytes);
    return dir.od(name);
  }

  TempDir dir;
  std::shared_ptr<CountingDecoder> counting;
};

// Headers that claim 20,000 x 20,000 pixels, followed by nothing a decoder
// could use: were a decoder to see them, it would fail for another reason.
std::string be32(OdUInt32 v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string le32(OdUInt32 v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string le16(OdUInt32 v) { return {char(v), char(v >> 8)}; }

std::string hugePng()
{
  return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(20000) + be32(20000) +
         std::string("\x08\x02\x00\x00\x00", 5) + be32(0) + std::string(400, '\0');
}
std::string hugeJpeg()
{
  // SOI, an APP0 segment to step over, then a baseline frame header.
  return std::string("\xFF\xD8\xFF\xE0", 4) + std::string("\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 16) +
         std::string("\xFF\xC0\x00\x11\x08", 5) + std::string("\x4E\x20\x4E\x20", 4) + std::string(400, '\0');
}
std::string hugeBmp()
{
  return "BM" + le32(1000) + le32(0) + le32(54) + le32(40) + le32(20000) + le32(OdUInt32(-20000)) + le16(1) + le16(24) +
         std::string(400, '\0');
}
std::string hugeTiff()
{
  // Big-endian, one directory with ImageWidth and ImageLength as LONGs.
  std::string t = std::string("MM\x00\x2A", 4) + be32(8) + std::string("\x00\x02", 2);
  t += std::string("\x01\x00\x00\x04", 4) + be32(1) + be32(20000);
  t += std::string("\x01\x01\x00\x04", 4) + be32(1) + be32(20000);
  return t + be32(0) + std::string(400, '\0');
}
} // namespace

TEST_F(ImageFiles, EveryFormatOfTheBrowseFilterGivesTheSamePicture)
{
  struct Case
  {
    const char* name;
    OdGiImageFormat format;
    int tolerance; // JPEG is lossy
  };
  const Case cases[] = {
    {"quad.png", OdGiImageFormat::Png, 0},        {"quad-palette.png", OdGiImageFormat::Png, 0},
    {"quad-rgba16.png", OdGiImageFormat::Png, 1}, {"quad.jpg", OdGiImageFormat::Jpeg, 12},
    {"quad-cmyk.jpg", OdGiImageFormat::Jpeg, 24}, {"quad.bmp", OdGiImageFormat::Bmp, 0},
    {"quad-8bit.bmp", OdGiImageFormat::Bmp, 0},   {"quad.tif", OdGiImageFormat::Tiff, 0},
    {"quad-lzw.tif", OdGiImageFormat::Tiff, 0},   {"quad-bigendian.tif", OdGiImageFormat::Tiff, 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const OdString path = TempDir::toOd(kFixtures / c.name);
    OdGiImageFileInfo info;
    OdString reason;
    ASSERT_TRUE(odgiReadImageFileInfo(path, info, reason)) << reason.toUtf8();
    EXPECT_EQ(info.format, c.format);
    EXPECT_EQ(info.width, 16u);
    EXPECT_EQ(info.height, 16u);

    const OdGiImageLoadResult loaded = odgiLoadImageFile(path);
    ASSERT_TRUE(loaded.image) << loaded.reason.toUtf8();
    const OdGsDecodedImage& image = *loaded.image;
    ASSERT_EQ(image.width, 16u);
    ASSERT_EQ(image.height, 16u);
    // Quadrant centres, rows top first.
    EXPECT_TRUE(near(pixel(image, 4, 4), kTopLeft, c.tolerance));
    EXPECT_TRUE(near(pixel(image, 12, 4), kTopRight, c.tolerance));
    EXPECT_TRUE(near(pixel(image, 4, 12), kBottomLeft, c.tolerance));
    EXPECT_TRUE(near(pixel(image, 12, 12), kBottomRight, c.tolerance));
    EXPECT_EQ(image.rgba[3], 255) << "opaque";
  }

  // A grey JPEG keeps the brightness order of the quadrants.
  const OdGiImageLoadResult grey = odgiLoadImageFile(TempDir::toOd(kFixtures / "quad-gray.jpg"));
  ASSERT_TRUE(grey.image) << grey.reason.toUtf8();
  const Rgb tl = pixel(*grey.image, 4, 4), tr = pixel(*grey.image, 12, 4), br = pixel(*grey.image, 12, 12);
  EXPECT_EQ(tl.r, tl.b);
  EXPECT_LT(luminance(tl), luminance(tr));
  EXPECT_LT(luminance(tr), luminance(br));
}

TEST_F(ImageFiles, TheFormatIsTakenFromTheContentNotTheName)
{
  const OdString disguised = file("photo.jpg", fixture("quad.png"));
  OdGiImageFileInfo info;
  OdString reason;
  ASSERT_TRUE(odgiReadImageFileInfo(disguised, info, reason));
  EXPECT_EQ(info.format, OdGiImageFormat::Png);
  EXPECT_TRUE(odgiLoadImageFile(disguised).image);

  const OdGiImageLoadResult text = odgiLoadImageFile(file("notes.png", "just some words, no picture"));
  EXPECT_FALSE(text.image);
  EXPECT_EQ(text.reason, L"not a PNG, JPEG, TIFF or BMP file");
}

TEST_F(ImageFiles, OversizedPicturesAreRefusedFromTheirHeaderBeforeAnyDecoderRuns)
{
  const std::pair<const char*, std::string> files[] = {
    {"huge.png", hugePng()}, {"huge.jpg", hugeJpeg()}, {"huge.bmp", hugeBmp()}, {"huge.tif", hugeTiff()}};
  for (const auto& [name, bytes] : files)
  {
    SCOPED_TRACE(name);
    const OdString path = file(name, bytes);
    OdGiImageFileInfo info;
    OdString reason;
    ASSERT_TRUE(odgiReadImageFileInfo(path, info, reason)) << reason.toUtf8();
    EXPECT_EQ(info.width, 20000u);
    EXPECT_EQ(info.height, 20000u);
    const OdGiImageLoadResult loaded = odgiLoadImageFile(path);
    EXPECT_FALSE(loaded.image);
    EXPECT_NE(loaded.reason.find(L"20000 x 20000"), -1) << loaded.reason.toUtf8();
  }
  EXPECT_EQ(counting->calls, 0);

  // The limit itself: one side too long, however thin the picture.
  std::string wide = hugePng();
  wide.replace(16, 8, be32(kOdGiMaxImageSide + 1) + be32(1));
  EXPECT_FALSE(odgiLoadImageFile(file("wide.png", wide)).image);
  EXPECT_EQ(counting->calls, 0);
}

TEST_F(ImageFiles, DamagedTruncatedEmptyAndMissingFilesGiveAReasonAndNoPicture)
{
  std::vector<std::pair<std::string, OdString>> bad;
  for (const char* name : {"quad.png", "quad.jpg", "quad.bmp", "quad-lzw.tif", "quad.tif"})
  {
    const std::string bytes = fixture(name);
    // Cut inside the picture data, past the header.
    bad.emplace_back(std::string("truncated ") + name,
                     file(std::string("cut-") + name, bytes.substr(0, bytes.size() * 2 / 3)));
    // The header alone.
    bad.emplace_back(std::string("header only ") + name, file(std::string("head-") + name, bytes.substr(0, 40)));
  }
  // A BMP cut inside its info header: no bit depth, no compression.
  bad.emplace_back("BMP cut after 30 bytes", file("cut30.bmp", fixture("quad.bmp").substr(0, 30)));
  bad.emplace_back("signature and rubbish",
                   file("rubbish.png", std::string("\x89PNG\r\n\x1a\n", 8) + " not a picture"));
  bad.emplace_back("empty", file("empty.png", ""));
  bad.emplace_back("missing", dir.od("no-such-file.png"));
  std::filesystem::create_directories(dir / "folder.png");
  bad.emplace_back("a folder", dir.od("folder.png"));
  for (const auto& [what, path] : bad)
  {
    SCOPED_TRACE(what);
    const OdGiImageLoadResult loaded = odgiLoadImageFile(path);
    EXPECT_FALSE(loaded.image);
    EXPECT_FALSE(loaded.reason.isEmpty());
  }
  EXPECT_EQ(odgiLoadImageFile(dir.od("no-such-file.png")).reason, L"the file does not exist");
  EXPECT_EQ(odgiLoadImageFile(dir.od("empty.png")).reason, L"the file is empty");
  EXPECT_EQ(odgiLoadImageFile(dir.od("cut-quad.bmp")).reason, L"the file ends before its picture");
  EXPECT_EQ(odgiLoadImageFile(dir.od("cut30.bmp")).reason, L"the BMP header is damaged");
}

TEST_F(ImageFiles, RandomDamageNeverCrashesTheDecoders)
{
  // Fewer under Wine, where each damaged file costs GDI+ some 20 ms.
#ifdef _WIN32
  const int kDamageRounds = 8;
#else
  const int kDamageRounds = 40;
#endif
  std::mt19937 random(20240611);
  for (const char* name :
       {"quad.png", "quad.jpg", "quad-cmyk.jpg", "quad.bmp", "quad-8bit.bmp", "quad-lzw.tif", "quad-bigendian.tif"})
  {
    const std::string original = fixture(name);
    for (int round = 0; round < kDamageRounds; ++round)
    {
      std::string bytes = original;
      const int flips = 1 + int(random() % 8);
      for (int i = 0; i < flips; ++i)
        bytes[random() % bytes.size()] = char(random());
      const OdString path = file(std::string("damaged-") + std::to_string(round) + "-" + name, bytes);
      const OdGiImageLoadResult loaded = odgiLoadImageFile(path);
      if (loaded.image)
        EXPECT_EQ(loaded.image->rgba.size(), std::size_t(loaded.image->width) * loaded.image->height * 4) << name;
      else
        EXPECT_FALSE(loaded.reason.isEmpty()) << name;
    }
  }
}

TEST_F(ImageFiles, APictureIsDecodedOnceUntilItsFileChanges)
{
  const OdString path = file("map.png", fixture("quad.png"));
  const OdGiImageCacheStats before = odgiImageCacheStats();
  const OdGiImageLoadResult first = odgiLoadImageFile(path);
  const OdGiImageLoadResult again = odgiLoadImageFile(path);
  ASSERT_TRUE(first.image);
  EXPECT_EQ(first.image, again.image) << "the same decoded picture, shared";
  EXPECT_EQ(counting->calls, 1);
  EXPECT_EQ(odgiImageCacheStats().hits, before.hits + 1);

  // A new version of the file (another size, another time) is decoded again.
  TempDir::write(dir / "map.png", fixture("quad-palette.png"));
  const OdGiImageLoadResult changed = odgiLoadImageFile(path);
  ASSERT_TRUE(changed.image);
  EXPECT_NE(changed.image, first.image);
  EXPECT_EQ(counting->calls, 2);

  // A broken file is not decoded again for every material that uses it.
  const OdString broken = file("broken.png", fixture("quad.png").substr(0, 60));
  EXPECT_FALSE(odgiLoadImageFile(broken).image);
  EXPECT_FALSE(odgiLoadImageFile(broken).image);
  EXPECT_EQ(counting->calls, 3);

  // A missing file is not remembered: once it is there, it loads.
  const OdString later = dir.od("later.png");
  EXPECT_FALSE(odgiLoadImageFile(later).image);
  TempDir::write(dir / "later.png", fixture("quad.png"));
  EXPECT_TRUE(odgiLoadImageFile(later).image);
}

TEST_F(ImageFiles, TheCacheStaysWithinItsLimitAndADecoderChangeEmptiesIt)
{
  // One 16 x 16 picture is 1 KB decoded.
  odgiSetImageCacheLimit(1500);
  const OdString a = file("a.png", fixture("quad.png")), b = file("b.bmp", fixture("quad.bmp"));
  for (const OdString& path : {a, b, a})
  {
    ASSERT_TRUE(odgiLoadImageFile(path).image);
    EXPECT_LE(odgiImageCacheStats().bytes, 1500u);
  }
  EXPECT_EQ(counting->calls, 3) << "a was pushed out by b";

  odgiSetImageDecoder(counting);
  EXPECT_EQ(odgiImageCacheStats().entries, 0u);
}

TEST_F(ImageFiles, ADecoderThatGivesAnotherSizeThanTheHeaderIsNotBelieved)
{
  class Liar final : public OdGiImageDecoder
  {
  public:
    bool decode(const OdString&, const OdGiImageFileInfo&, OdGsDecodedImage& image, OdString&) override
    {
      image.width = image.height = 1;
      image.rgba.assign(4, 255);
      return true;
    }
  };
  odgiSetImageDecoder(std::make_shared<Liar>());
  const OdGiImageLoadResult loaded = odgiLoadImageFile(file("liar.png", fixture("quad.png")));
  EXPECT_FALSE(loaded.image);
  EXPECT_FALSE(loaded.reason.isEmpty());
}
