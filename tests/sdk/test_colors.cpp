#include "od/CmColor.h"

#include "common/od_print.h"

#include <gtest/gtest.h>

TEST(IndexPalette, StandardEntries)
{
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(1), 0xFF0000u);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(5), 0x0000FFu);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(7), 0xFFFFFFu);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(10), 0xFF0000u);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(11), 0xFF7F7Fu);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(20), 0xFF3F00u);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(22), 0xCC3300u);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(250), 0x333333u);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(256), 0u);
  EXPECT_EQ(OdCmEntityColor::lookUpRGB(-1), 0u);
  // Screen colours are 0x00BBGGRR.
  EXPECT_EQ(odcmAcadPalette()[5], ODRGB(0, 0, 255));
  EXPECT_EQ(odcmAcadLightPalette()[7], ODRGB(0, 0, 0));
}

TEST(EntityColor, MethodByteAndComponents)
{
  OdCmEntityColor c(12, 34, 56);
  EXPECT_EQ(c.color(), 0xC20C2238u);
  EXPECT_EQ(c.colorMethod(), OdCmEntityColor::kByColor);
  c.setColorIndex(3);
  EXPECT_EQ(c.colorMethod(), OdCmEntityColor::kByACI);
  EXPECT_EQ(c.colorIndex(), 3);
  EXPECT_EQ(c.screenColor(), ODRGB(0, 255, 0));
}

TEST(CmColor, DisplayNames)
{
  OdCmColor c;
  c.setRGB(255, 0, 0);
  EXPECT_EQ(c.colorNameForDisplay(), OdString(L"255,0,0"));
  c.setColorIndex(1);
  EXPECT_EQ(c.colorNameForDisplay(), OdString(L"red"));
  EXPECT_EQ(c.red(), 255);
  c.setColorIndex(42);
  EXPECT_EQ(c.colorNameForDisplay(), OdString(L"42"));
  EXPECT_EQ(OdCmColor(OdCmEntityColor::kByLayer).colorNameForDisplay(), OdString(L"ByLayer"));
  EXPECT_EQ(OdCmColor(OdCmEntityColor::kByBlock).colorNameForDisplay(), OdString(L"ByBlock"));

  OdCmColor named;
  named.setRGB(255, 255, 255);
  named.setNames(L"by object", L"by object");
  EXPECT_EQ(named.colorNameForDisplay(), OdString(L"by object"));
  OdCmColor white;
  white.setRGB(255, 255, 255);
  EXPECT_NE(named, white); // the names make the difference
}
