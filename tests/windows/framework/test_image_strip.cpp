// Thumbnails taken several to a bitmap: each lands in the image list as its
// own image, in order, the transparent colour keyed out, and a strip that is
// not full adds only what it holds.
#include "framework/ImageList.h"
#include "win32/Dc.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr int kCx = 4, kCy = 3;
constexpr COLORREF kKey = RGB(255, 255, 255), kBehind = RGB(10, 20, 30);

void fill(DWORD* pixels, int stride, DWORD word)
{
  for (int y = 0; y < kCy; ++y)
    for (int x = 0; x < kCx; ++x)
      pixels[y * stride + x] = word;
}

// The image drawn over kBehind, as a list view draws it: its pixel at (x, y).
COLORREF drawnPixel(HIMAGELIST list, int index, int x, int y)
{
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, kCx, -kCy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const win::Bitmap target(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const win::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!target || !dc)
    return CLR_INVALID;
  const win::SelectedObject selected(dc.get(), target.get());
  const RECT all{0, 0, kCx, kCy};
  const win::Brush behind(CreateSolidBrush(kBehind));
  FillRect(dc.get(), &all, behind.get());
  ImageList_Draw(list, index, dc.get(), 0, 0, ILD_NORMAL);
  GdiFlush();
  const DWORD word = static_cast<const DWORD*>(bits)[y * kCx + x];
  return RGB(word >> 16 & 0xFF, word >> 8 & 0xFF, word & 0xFF);
}

TEST(ImageStrip, ImagesGoIntoTheListInOrderAndAPartStripAddsOnlyWhatItHolds)
{
  fw::CImageStrip strip(kCx, kCy, 3);
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip.stride(), 3 * kCx);
  const DWORD colours[] = {0x00C80000, 0x0000C800, 0x000000C8}; // red, green, blue as a DIB holds them
  std::vector<DWORD*> slots;
  for (DWORD colour : colours)
  {
    DWORD* pixels = strip.next();
    ASSERT_NE(pixels, nullptr);
    fill(pixels, strip.stride(), colour);
    slots.push_back(pixels);
  }
  EXPECT_EQ(slots[1] - slots[0], kCx);
  EXPECT_TRUE(strip.full());
  EXPECT_EQ(strip.next(), nullptr) << "no fourth image in a strip of three";
  slots[1][0] = 0x00FFFFFF; // the key colour: shows what lies behind

  fw::CImageList images;
  ASSERT_TRUE(images.create(kCx, kCy, ILC_COLOR32, 0, 4));
  EXPECT_EQ(strip.addTo(images.handle(), kKey), 0);
  EXPECT_EQ(strip.count(), 0) << "empty again";
  EXPECT_EQ(images.count(), 3);
  EXPECT_EQ(drawnPixel(images.handle(), 0, 2, 1), RGB(200, 0, 0));
  EXPECT_EQ(drawnPixel(images.handle(), 1, 2, 1), RGB(0, 200, 0));
  EXPECT_EQ(drawnPixel(images.handle(), 1, 0, 0), kBehind);
  EXPECT_EQ(drawnPixel(images.handle(), 2, 3, 2), RGB(0, 0, 200));

  // Two taken, the second not drawn after all: one image goes in.
  fill(strip.next(), strip.stride(), 0x00646464);
  ASSERT_NE(strip.next(), nullptr);
  strip.dropLast();
  EXPECT_EQ(strip.count(), 1);
  EXPECT_EQ(strip.addTo(images.handle(), kKey), 3);
  EXPECT_EQ(images.count(), 4);
  EXPECT_EQ(drawnPixel(images.handle(), 3, 1, 1), RGB(100, 100, 100));

  EXPECT_EQ(strip.addTo(images.handle(), kKey), -1) << "nothing to add";
  EXPECT_EQ(images.count(), 4);
}

TEST(ImageStrip, ASizeOfNothingHasNoBitmapAndGivesNoPixels)
{
  fw::CImageStrip strip(0, kCy, 8);
  EXPECT_FALSE(strip);
  EXPECT_EQ(strip.next(), nullptr);
  EXPECT_EQ(strip.addTo(nullptr, kKey), -1);
}
} // namespace
