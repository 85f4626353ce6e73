#include "FakeHostServices.h"
#include "od_print.h"
#include "ui/MeUiPaneLayout.h"
#include "ui/controls/MeUiColorList.h"
#include "ui/controls/MeUiSliderModel.h"
#include "ui/properties/MeUiProperty.h"

#include <gtest/gtest.h>

using meui::SliderModel;

TEST(MeUiProperty, CountsFromOneAndAnswersOnlyIKtUnknown)
{
  auto* source = new meui::MeUiProperty(L"Generic.Diffuse");
  EXPECT_EQ(source->AddRef(), 2u);
  EXPECT_EQ(source->Release(), 1u);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_FALSE(source->QueryInterface(typeid(IKtEditableProperty), &out));
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(source->QueryInterface(typeid(IKtConnectionPoint<IKtEditablePropertySink>), &out))
    << "so its rows' notifications reach nobody";
  ASSERT_TRUE(source->QueryInterface(typeid(IKtUnknown), &out));
  EXPECT_EQ(out, static_cast<IKtUnknown*>(source));
  EXPECT_EQ(source->Release(), 1u);
  IKtEditableProperty* row = reinterpret_cast<IKtEditableProperty*>(1);
  source->createEditableProperty(row);
  EXPECT_EQ(row, nullptr);
  EXPECT_FALSE(source->isEditable());
  EXPECT_TRUE(source->isShown());
  EXPECT_EQ(source->label(), L"Generic.Diffuse");
  EXPECT_EQ(source->Release(), 0u);
}

TEST(Slider, PositionsAndValuesAreFloatingPointAsTheFormulasRead)
{
  // A 200-pixel rotation slider, 0 to 360.
  EXPECT_EQ(meui::sliderValue(100, 0, 360, 200), 180);
  EXPECT_EQ(meui::sliderPosition(180, 0, 360, 200), 100);
  EXPECT_EQ(meui::sliderValue(1, 0, 360, 200), 1) << "1 / (200 / 360) = 1.8, truncated";
  EXPECT_EQ(meui::sliderPosition(1, 0, 360, 200), 0) << "200 / 360 * 1 = 0.55, truncated";
  EXPECT_EQ(meui::sliderPosition(359, 0, 360, 200), 199);
  // Integer arithmetic would give 0 here: 7 / 100 is 0 in whole numbers.
  EXPECT_EQ(meui::sliderPosition(50, 0, 100, 7), 3);
  EXPECT_EQ(meui::sliderValue(3, 0, 100, 7), 42);
  EXPECT_EQ(meui::sliderPosition(500, 0, 100, 150), 150) << "a value above high shows a full bar";
  // The ends: a 17-pixel slider's right edge is 100, not the 99 that 17 / (17 / 100) truncates to.
  EXPECT_EQ(meui::sliderValue(17, 0, 100, 17), 100);
  EXPECT_EQ(meui::sliderValue(0, 0, 100, 17), 0);
  // Degenerate sizes answer the low end instead of dividing by zero.
  EXPECT_EQ(meui::sliderValue(5, 0, 0, 100), 0);
  EXPECT_EQ(meui::sliderPosition(5, 0, 100, 0), 0);
}

TEST(Slider, APressNearTheThumbGrabsItElsewhereTheThumbJumps)
{
  SliderModel slider;
  slider.high = 360;
  slider.setValue(180, 200);
  ASSERT_EQ(slider.position, 100);
  EXPECT_EQ(slider.buttonDown(109, 200), SliderModel::Press::Grab);
  EXPECT_TRUE(slider.dragging);
  EXPECT_EQ(slider.value, 180) << "grabbing does not move the value";
  slider.buttonUp();
  EXPECT_FALSE(slider.dragging);
  EXPECT_EQ(slider.buttonDown(91, 200), SliderModel::Press::Grab);
  slider.buttonUp();
  EXPECT_EQ(slider.buttonDown(110, 200), SliderModel::Press::Jump) << "10 pixels away is outside the zone";
  EXPECT_FALSE(slider.dragging);
  EXPECT_EQ(slider.position, 110);
  EXPECT_EQ(slider.value, 198);
}

TEST(Slider, ADragIgnoresTheFirstMoveAndClampsAtBothEnds)
{
  SliderModel slider;
  slider.setValue(50, 200);
  ASSERT_EQ(slider.buttonDown(100, 200), SliderModel::Press::Grab);
  EXPECT_FALSE(slider.buttonMove(150, 200)) << "the first move is the echo of the press";
  EXPECT_EQ(slider.value, 50);
  EXPECT_TRUE(slider.buttonMove(150, 200));
  EXPECT_EQ(slider.value, 75);
  EXPECT_TRUE(slider.buttonMove(5000, 200));
  EXPECT_EQ(slider.position, 200);
  EXPECT_EQ(slider.value, 100);
  EXPECT_TRUE(slider.buttonMove(-40, 200));
  EXPECT_EQ(slider.position, 0);
  EXPECT_EQ(slider.value, 0);
  slider.buttonUp();
  EXPECT_FALSE(slider.buttonMove(120, 200)) << "no drag without a grab";
  EXPECT_EQ(slider.value, 0);
}

TEST(Slider, TheWheelStepsTowardsTheUserUpAndClamps)
{
  SliderModel slider;
  slider.high = 360;
  slider.setValue(358, 200);
  slider.wheel(-120, 200);
  EXPECT_EQ(slider.value, 359);
  slider.wheel(-120, 200);
  slider.wheel(-120, 200);
  EXPECT_EQ(slider.value, 360);
  EXPECT_EQ(slider.position, 200);
  slider.wheel(120, 200);
  EXPECT_EQ(slider.value, 359);
  slider.setValue(1, 200);
  slider.wheel(120, 200);
  slider.wheel(120, 200);
  EXPECT_EQ(slider.value, 0);
  EXPECT_EQ(slider.position, 0);
}

TEST(Slider, EveryPressIsWrittenAtItsReleaseAndEscOrALostCaptureDropsIt)
{
  SliderModel slider;
  slider.setValue(50, 200);
  // A jump away from the thumb is a press too: the pointer may leave the
  // bar, and the release still writes what the press showed.
  ASSERT_EQ(slider.buttonDown(20, 200), SliderModel::Press::Jump);
  EXPECT_TRUE(slider.pending());
  slider.buttonMove(-300, 200); // the echo of the press
  EXPECT_FALSE(slider.buttonMove(-300, 200)) << "a jump does not drag";
  EXPECT_TRUE(slider.buttonUp()) << "the release writes";
  EXPECT_EQ(slider.value, 10);
  EXPECT_FALSE(slider.pending());
  EXPECT_FALSE(slider.buttonUp()) << "a second release has nothing to write";

  slider.setValue(10, 200); // what the owner now holds
  ASSERT_EQ(slider.buttonDown(25, 200), SliderModel::Press::Grab);
  slider.buttonMove(150, 200);
  ASSERT_EQ(slider.value, 75);
  EXPECT_TRUE(slider.cancel(200));
  EXPECT_EQ(slider.position, 20) << "the owner's value again";
  EXPECT_FALSE(slider.buttonUp()) << "the release after Esc writes nothing";

  // The wheel waits for a release; dropped, the owner's value shows again.
  slider.wheel(-120, 200);
  EXPECT_TRUE(slider.cancel(200));
  EXPECT_EQ(slider.value, 10);
  slider.wheel(-120, 200);
  slider.buttonDown(22, 200); // on the thumb: the wheeled value stays
  EXPECT_TRUE(slider.buttonUp());
  EXPECT_EQ(slider.value, 11);
}

TEST(Slider, KeysMoveAStepTenStepsOrToTheEnds)
{
  SliderModel slider;
  slider.high = 360;
  slider.setValue(0, 200);
  EXPECT_FALSE(slider.key(meui::SliderKey::Left, 200)) << "already at the low end: nothing to write";
  EXPECT_TRUE(slider.key(meui::SliderKey::Right, 200));
  EXPECT_EQ(slider.value, 1);
  EXPECT_TRUE(slider.key(meui::SliderKey::PageDown, 200));
  EXPECT_EQ(slider.value, 11);
  EXPECT_TRUE(slider.key(meui::SliderKey::PageUp, 200));
  EXPECT_TRUE(slider.key(meui::SliderKey::PageUp, 200));
  EXPECT_EQ(slider.value, 0) << "clamped at the low end";
  EXPECT_TRUE(slider.key(meui::SliderKey::End, 200));
  EXPECT_EQ(slider.value, 360);
  EXPECT_EQ(slider.position, 200);
  EXPECT_FALSE(slider.key(meui::SliderKey::PageDown, 200));
  EXPECT_TRUE(slider.key(meui::SliderKey::Home, 200));
  EXPECT_EQ(slider.value, 0);
  EXPECT_FALSE(slider.pending()) << "a key's value is written at once";
  slider.buttonDown(150, 200);
  EXPECT_FALSE(slider.key(meui::SliderKey::Right, 200)) << "the press's release decides";
}

TEST(Slider, DrawsAnEmptyBarAtZeroAndAFullOneAtTheTop)
{
  FakeHostServices host;
  host.themeService.background = ODRGB(200, 100, 50);
  const KtRect cell{0, 0, 120, 20};
  meui::drawSlider(*host.openCanvas(nullptr), cell, meui::sliderPosition(0, 0, 100, 120), L"0%", false);
  ASSERT_EQ(host.drawn.size(), 2u) << "background and text, no bar";
  EXPECT_EQ(host.drawn[0].color, ODRGB(200, 100, 50));
  EXPECT_EQ(host.drawn[1].text, L"0%");
  EXPECT_EQ(host.drawn[1].align, KtAlign::Centre);
  EXPECT_EQ(host.drawn[1].rect, (KtRect{4, 2, 116, 18}));

  host.drawn.clear();
  meui::drawSlider(*host.openCanvas(nullptr), cell, meui::sliderPosition(100, 0, 100, 120), L"100%", false);
  ASSERT_EQ(host.drawn.size(), 3u);
  EXPECT_EQ(host.drawn[1].rect, cell) << "the whole width";
  EXPECT_EQ(host.drawn[1].color, ODRGB(160, 80, 40)) << "darkened to 80 % on a light theme";

  host.drawn.clear();
  host.themeService.dark = true;
  meui::drawSlider(*host.openCanvas(nullptr), cell, 30, L"25%", true);
  EXPECT_EQ(host.drawn[1].rect, (KtRect{0, 0, 30, 20}));
  EXPECT_EQ(host.drawn[1].color, ODRGB(255, 150, 75)) << "brightened to 150 % on a dark one, clamped";
  EXPECT_EQ(host.drawn[2].kind, DrawnItem::Polygon) << "the standalone control's markers";
}

TEST(PaneLayout, ThePictureGivesWayToTheRowsFirstThenTheMargin)
{
  // Tall: the picture keeps its template's height, the grid ends at the margin.
  EXPECT_EQ(meui::paneLayout(800, 300, 364, 25).picture, 300);
  EXPECT_EQ(meui::paneLayout(800, 300, 364, 25).grid, 475);
  // Shorter: the picture shrinks so that the rows and the margin still fit.
  EXPECT_EQ(meui::paneLayout(500, 300, 364, 25).picture, 111);
  EXPECT_EQ(meui::paneLayout(500, 300, 364, 25).grid, 364);
  // At its smallest square the margin gives way, then the rows scroll.
  EXPECT_EQ(meui::paneLayout(480, 300, 364, 25).picture, meui::kMinPictureSide);
  EXPECT_EQ(meui::paneLayout(480, 300, 364, 25).grid, 364) << "20 pixels of margin left";
  EXPECT_EQ(meui::paneLayout(255, 300, 364, 25).grid, 159) << "no margin while the rows do not fit";
  // Lower than the smallest square: all picture, no grid; nothing negative.
  EXPECT_EQ(meui::paneLayout(60, 300, 364, 25).picture, 60);
  EXPECT_EQ(meui::paneLayout(60, 300, 364, 25).grid, 0);
  EXPECT_EQ(meui::paneLayout(-5, 300, 100, 0).grid, 0);
}

TEST(ColorList, TextsOfColours)
{
  FakeHostServices host;
  OdCmColor red;
  red.setRGB(255, 0, 0);
  EXPECT_EQ(meui::colorText(red), L"red");
  OdCmColor orange;
  orange.setRGB(255, 128, 0);
  EXPECT_EQ(meui::colorText(orange), L"255,128,0");
  OdCmColor index;
  index.setColorIndex(1);
  EXPECT_EQ(meui::colorText(index), index.colorNameForDisplay());
  host.translations[L"By Layer"] = L"VonLayer";
  host.translations[L"blue"] = L"blau";
  EXPECT_EQ(meui::colorText(OdCmColor(OdCmEntityColor::kByLayer)), L"VonLayer");
  OdCmColor blue;
  blue.setRGB(0, 0, 255);
  EXPECT_EQ(meui::colorText(blue), L"blau") << "the name passes through the translation";
  EXPECT_EQ(meui::colorText(OdCmColor(OdCmEntityColor::kByBlock)), L"By Block");
}

TEST(ColorList, ListsIndexAndCustomColoursThenMoreColorsAndByObject)
{
  FakeHostServices host;
  OdCmColor custom;
  custom.setRGB(10, 20, 30);
  OdCmColor current;
  current.setColorIndex(3);
  meui::ColorList list = meui::colorList(current, {custom});
  ASSERT_EQ(list.items.size(), 10u);
  EXPECT_EQ(list.selected, 2);
  EXPECT_EQ(list.items[7].color, custom);
  EXPECT_EQ(list.moreColors(), 8);
  EXPECT_EQ(list.items[8].text, L"More Colors...");
  EXPECT_TRUE(list.items[9].text.isEmpty()) << "the by-object item draws its name";
  EXPECT_TRUE(meui::isByObject(list.items[9].color));

  EXPECT_EQ(meui::colorList(custom, {custom}).selected, 7);
  // A colour the list lacks is listed before "More Colors...", selected, so
  // the box never shows empty.
  OdCmColor unlisted;
  unlisted.setRGB(200, 30, 30);
  list = meui::colorList(unlisted, {custom});
  ASSERT_EQ(list.items.size(), 11u);
  EXPECT_EQ(list.selected, 8);
  EXPECT_EQ(list.items[8].color, unlisted);
  EXPECT_EQ(list.items[8].text, L"200,30,30");
  EXPECT_EQ(list.moreColors(), 9);

  host.translations[L"by object"] = L"nach Objekt";
  OdCmColor byObject = meui::byObjectColor();
  EXPECT_EQ(byObject.colorName(), L"nach Objekt");
  EXPECT_EQ(byObject.bookName(), L"nach Objekt");
  OdCmColor shouting = byObject;
  shouting.setNames(L"NACH OBJEKT", L"");
  EXPECT_EQ(meui::colorList(shouting, {}).selected, 8) << "by object, ignoring case";
}

TEST(ColorList, SwatchesByColourMethod)
{
  FakeHostServices host;
  const KtRect item{0, 0, 100, 16};
  OdCmColor white;
  white.setColorIndex(7);
  meui::drawColor(*host.openCanvas(nullptr), item, &white, 0);
  ASSERT_EQ(host.drawn.size(), 4u);
  EXPECT_EQ(host.drawn[0].rect, (KtRect{2, 3, 12, 13})) << "10 by 10, 2 pixels in, centred";
  EXPECT_EQ(host.drawn[1].kind, DrawnItem::Polygon) << "index 7 is split black and white";
  EXPECT_EQ(host.drawn[3].rect.left, 14) << "the text starts 2 pixels right of the square";

  host.drawn.clear();
  OdCmColor green;
  green.setColorIndex(3);
  meui::drawColor(*host.openCanvas(nullptr), item, &green, 0);
  EXPECT_EQ(host.drawn[0].color, ODRGB(0, 255, 0));

  host.drawn.clear();
  meui::drawColor(*host.openCanvas(nullptr), item, nullptr, 0);
  ASSERT_EQ(host.drawn.size(), 1u);
  EXPECT_EQ(host.drawn[0].text, L"More Colors...");

  host.drawn.clear();
  const OdCmColor none(OdCmEntityColor::kNone);
  meui::drawColor(*host.openCanvas(nullptr), item, &none, 0);
  ASSERT_EQ(host.drawn.size(), 1u) << "no swatch for none, only the text";
  host.drawn.clear();
  const OdCmColor byLayer(OdCmEntityColor::kByLayer);
  meui::drawColor(*host.openCanvas(nullptr), item, &byLayer, 0);
  EXPECT_TRUE(host.drawn.empty());
}

TEST(ColorList, AnRgbCellKeepsTheThemesTextColourWhereItCanBeRead)
{
  FakeHostServices host;
  const KtRect cell{0, 0, 120, 20};
  const auto textOver = [&](OdUInt32 rgb) {
    host.drawn.clear();
    meui::drawRgbColor(*host.openCanvas(nullptr), cell, rgb);
    EXPECT_EQ(host.drawn.size(), 2u);
    EXPECT_EQ(host.drawn[0].color, ODRGB(rgb & 255, (rgb >> 8) & 255, (rgb >> 16) & 255));
    EXPECT_EQ(host.drawn[1].align, KtAlign::Centre);
    return host.drawn[1];
  };
  host.themeService.foreground = ODRGB(0, 0, 0); // light theme
  EXPECT_EQ(textOver(0x00FF8000).text, L"RGB(0,128,255)");
  EXPECT_EQ(textOver(0x00FF8000).color, ODRGB(0, 0, 0)) << "black is readable on this blue";
  EXPECT_EQ(textOver(0x00FFFFFF).color, ODRGB(0, 0, 0));
  EXPECT_EQ(textOver(0).color, ODRGB(255, 255, 255)) << "not black on black";
  EXPECT_EQ(textOver(0x00800000).color, ODRGB(255, 255, 255)) << "nor black on navy";

  host.themeService.foreground = ODRGB(255, 255, 255); // dark theme
  EXPECT_EQ(textOver(0).color, ODRGB(255, 255, 255));
  EXPECT_EQ(textOver(0x00FFFFFF).color, ODRGB(0, 0, 0)) << "not white on white";
  EXPECT_EQ(textOver(0x0000FFFF).color, ODRGB(0, 0, 0)) << "nor white on yellow";

  host.themeService.foreground = ODRGB(0, 0, 200); // a coloured theme text stays where it shows
  EXPECT_EQ(meui::readableTextColor(ODRGB(255, 255, 255), ODRGB(0, 0, 200)), ODRGB(0, 0, 200));
  EXPECT_EQ(meui::readableTextColor(ODRGB(0, 0, 160), ODRGB(0, 0, 200)), ODRGB(255, 255, 255));
}
