// The loader against an independent decoder: Pillow decodes the same files
// (tests/sdk/make_image_references.py writes them and what Pillow makes of
// them), and the pictures must agree texel by texel: straight alpha in TIFF
// files, BMPs run-length coded or with junk in their fourth byte, and photo
// textures larger than the loader keeps, reduced as they are read.
//
// The same comparison runs natively and under Wine (GDI+).
#include "od/GiImageFile.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace
{
const std::filesystem::path kReferences = ME_TEST_IMAGE_REFERENCES;

struct Case
{
  std::string name;
  OdUInt32 width = 0, height = 0;
  int tolerance = 0;
};

std::vector<Case> cases()
{
  std::ifstream list(kReferences / "cases.txt");
  std::vector<Case> all;
  for (Case c; list >> c.name >> c.width >> c.height >> c.tolerance;)
    all.push_back(c);
  return all;
}

// Texels whose colour channels differ by more than the tolerance (more for
// faint texels, whose straight colour carries less precision), and the mean
// difference over all channels.
struct Difference
{
  std::size_t over = 0;
  double mean = 0;
  std::string first;
};

Difference compare(const OdGsDecodedImage& got, const std::string& want, int tolerance)
{
  Difference d;
  double sum = 0;
  for (std::size_t i = 0; i < want.size(); i += 4)
  {
    const int alpha = OdUInt8(want[i + 3]);
    for (std::size_t c = 0; c < 4; ++c)
    {
      if (c < 3 && alpha == 0)
        continue; // no colour to compare
      const int diff = std::abs(int(got.rgba[i + c]) - int(OdUInt8(want[i + c])));
      const int allowed = tolerance + (c < 3 && alpha < 255 ? 255 / (2 * alpha) + 1 : 0);
      sum += diff;
      if (diff > allowed && d.over++ == 0)
      {
        std::ostringstream where;
        where << "texel " << i / 4 % got.width << "," << i / 4 / got.width << " channel " << c << ": "
              << int(got.rgba[i + c]) << " against " << int(OdUInt8(want[i + c]));
        d.first = where.str();
      }
    }
  }
  d.mean = sum / double(want.size());
  return d;
}
} // namespace

TEST(ImageReferences, EveryFileDecodesAsPillowDecodesIt)
{
  odgiClearImageCache();
  const std::vector<Case> all = cases();
  ASSERT_GE(all.size(), 10u) << "no reference files in " << kReferences.string();
  for (const Case& c : all)
  {
    SCOPED_TRACE(c.name);
    const OdGiImageLoadResult loaded = odgiLoadImageFile(TempDir::toOd(kReferences / c.name));
    ASSERT_TRUE(loaded.image) << loaded.reason.toUtf8();
    const OdGsDecodedImage& image = *loaded.image;
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    const std::string want = TempDir::read(kReferences / (c.name + ".rgba"));
    ASSERT_EQ(want.size(), image.rgba.size());
    const Difference d = compare(image, want, c.tolerance);
    // Texels along sharp edges may come out otherwise when the picture is
    // reduced (libjpeg scales in its transform, Pillow averages texels) or
    // lossy; none in a lossless picture at its size, where only the
    // rounding of faint texels' colour may differ.
    EXPECT_LE(d.over, c.tolerance ? want.size() / 50 : 0) << d.first;
    EXPECT_LE(d.mean, c.tolerance ? 1.0 : 0.5);
  }
}

TEST(ImageReferences, LargePicturesAreKeptAtMost2048ASide)
{
  for (const Case& c : cases())
  {
    SCOPED_TRACE(c.name);
    OdGiImageFileInfo info;
    OdString reason;
    ASSERT_TRUE(odgiReadImageFileInfo(TempDir::toOd(kReferences / c.name), info, reason)) << reason.toUtf8();
    EXPECT_EQ(info.decodedWidth, c.width);
    EXPECT_EQ(info.decodedHeight, c.height);
    EXPECT_LE(std::max(info.decodedWidth, info.decodedHeight), kOdGiMaxDecodedSide);
    if (std::max(info.width, info.height) > kOdGiMaxDecodedSide)
    {
      EXPECT_GT(std::max(info.decodedWidth, info.decodedHeight), kOdGiMaxDecodedSide * 3 / 4)
        << "reduced no more than needed";
    }
  }
}
