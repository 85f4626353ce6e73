// Drawing colours: the 32-bit entity colour value and the full colour with
// its optional colour name and book name.
#pragma once

#include "od/OdString.h"

// 0xMMRRGGBB: colour method in the top byte, then red, green, blue; for an
// index colour the low 16 bits hold the index.
class OdCmEntityColor
{
public:
  enum ColorMethod : OdUInt8
  {
    kByLayer = 0xC0,
    kByBlock = 0xC1,
    kByColor = 0xC2,
    kByACI = 0xC3,
    kByPen = 0xC4,
    kForeground = 0xC5,
    kByDgnIndex = 0xC7,
    kNone = 0xC8,
  };

  OdCmEntityColor() : m_value(OdUInt32(kByColor) << 24) {}
  explicit OdCmEntityColor(OdUInt32 value) : m_value(value) {}
  OdCmEntityColor(OdUInt8 r, OdUInt8 g, OdUInt8 b) { setRGB(r, g, b); }

  OdUInt32 color() const { return m_value; }
  void setColor(OdUInt32 value) { m_value = value; }
  ColorMethod colorMethod() const { return ColorMethod(m_value >> 24); }
  void setColorMethod(ColorMethod method) { m_value = (m_value & 0x00FFFFFF) | (OdUInt32(method) << 24); }

  OdUInt8 red() const { return OdUInt8(m_value >> 16); }
  OdUInt8 green() const { return OdUInt8(m_value >> 8); }
  OdUInt8 blue() const { return OdUInt8(m_value); }
  void setRGB(OdUInt8 r, OdUInt8 g, OdUInt8 b) { m_value = (OdUInt32(kByColor) << 24) | (OdUInt32(r) << 16) | (OdUInt32(g) << 8) | b; }
  OdInt16 colorIndex() const { return OdInt16(m_value & 0xFFFF); }
  void setColorIndex(OdInt16 index) { m_value = (OdUInt32(kByACI) << 24) | OdUInt16(index); }

  bool isByColor() const { return colorMethod() == kByColor; }
  bool isByACI() const { return colorMethod() == kByACI; }
  bool isByLayer() const { return colorMethod() == kByLayer; }
  bool isByBlock() const { return colorMethod() == kByBlock; }

  bool operator==(const OdCmEntityColor& other) const { return m_value == other.m_value; }
  bool operator!=(const OdCmEntityColor& other) const { return m_value != other.m_value; }

  // 0x00RRGGBB of a palette index (0 to 255; others give black).
  static OdUInt32 lookUpRGB(int index);
  // Screen colour (0x00BBGGRR) that this value shows as; by-layer and by-block
  // show as white.
  OdUInt32 screenColor() const;

private:
  OdUInt32 m_value;
};

// The 256-entry index palette as screen colours (0x00BBGGRR). Entry 7 is
// white: the palette for a black background.
const ODCOLORREF* odcmAcadPalette(ODCOLORREF background = 0);
// The same palette for a light background, where entry 7 is black.
const ODCOLORREF* odcmAcadLightPalette();

class OdCmColor
{
public:
  OdCmColor() = default; // true colour black
  explicit OdCmColor(OdCmEntityColor::ColorMethod method);
  explicit OdCmColor(const OdCmEntityColor& color) : m_color(color) {}

  OdCmEntityColor::ColorMethod colorMethod() const { return m_color.colorMethod(); }
  void setColorMethod(OdCmEntityColor::ColorMethod method);
  OdUInt32 color() const { return m_color.color(); }
  void setColor(OdUInt32 value) { m_color.setColor(value); }
  OdCmEntityColor entityColor() const { return m_color; }

  void setRGB(OdUInt8 r, OdUInt8 g, OdUInt8 b) { m_color.setRGB(r, g, b); }
  void setRed(OdUInt8 r) { m_color.setRGB(r, green(), blue()); }
  void setGreen(OdUInt8 g) { m_color.setRGB(red(), g, blue()); }
  void setBlue(OdUInt8 b) { m_color.setRGB(red(), green(), b); }
  // For an index colour these give the palette's RGB.
  OdUInt8 red() const;
  OdUInt8 green() const;
  OdUInt8 blue() const;
  OdInt16 colorIndex() const { return m_color.colorIndex(); }
  void setColorIndex(OdInt16 index) { m_color.setColorIndex(index); }

  bool setNames(const OdString& colorName, const OdString& bookName = OdString());
  const OdString& colorName() const { return m_colorName; }
  const OdString& bookName() const { return m_bookName; }

  bool isByLayer() const { return m_color.isByLayer(); }
  bool isByBlock() const { return m_color.isByBlock(); }
  bool isByColor() const { return m_color.isByColor(); }
  bool isByACI() const { return m_color.isByACI(); }
  bool isForeground() const { return colorMethod() == OdCmEntityColor::kForeground; }
  bool isNone() const { return colorMethod() == OdCmEntityColor::kNone; }

  // "ByLayer", "ByBlock", "red" ... "white" for index colours 1 to 7, the
  // number for other index colours, the colour name or "R,G,B" for true
  // colours, "Foreground", "None".
  OdString colorNameForDisplay() const;

  bool operator==(const OdCmColor& other) const
  {
    return m_color == other.m_color && m_colorName == other.m_colorName && m_bookName == other.m_bookName;
  }
  bool operator!=(const OdCmColor& other) const { return !(*this == other); }

private:
  OdCmEntityColor m_color;
  OdString m_colorName;
  OdString m_bookName;
};
