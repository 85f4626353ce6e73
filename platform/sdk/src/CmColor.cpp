#include "od/CmColor.h"

#include <array>

namespace
{
// The index palette: 1-9 named colours and greys, 10-249 twenty-four hues in
// five shades each at full and half saturation, 250-255 a grey ramp.
std::array<OdUInt32, 256> buildPalette()
{
  std::array<OdUInt32, 256> rgb{};
  auto pack = [](int r, int g, int b) { return OdUInt32((r << 16) | (g << 8) | b); };
  rgb[0] = pack(0, 0, 0);
  rgb[1] = pack(255, 0, 0);
  rgb[2] = pack(255, 255, 0);
  rgb[3] = pack(0, 255, 0);
  rgb[4] = pack(0, 255, 255);
  rgb[5] = pack(0, 0, 255);
  rgb[6] = pack(255, 0, 255);
  rgb[7] = pack(255, 255, 255);
  rgb[8] = pack(128, 128, 128);
  rgb[9] = pack(192, 192, 192);
  const double shades[5] = {1.0, 0.8, 0.6, 0.5, 0.3};
  for (int hue = 0; hue < 24; ++hue)
  {
    // Hue in steps of 15 degrees; each 60-degree sector ramps one channel in
    // quarters of 255.
    const double h = hue / 4.0;
    const int sector = int(h);
    const double f = (h - sector) * 255.0;
    double r = 0, g = 0, b = 0;
    switch (sector)
    {
    case 0: r = 255; g = f; b = 0; break;
    case 1: r = 255 - f; g = 255; b = 0; break;
    case 2: r = 0; g = 255; b = f; break;
    case 3: r = 0; g = 255 - f; b = 255; break;
    case 4: r = f; g = 0; b = 255; break;
    default: r = 255; g = 0; b = 255 - f; break;
    }
    for (int shade = 0; shade < 5; ++shade)
    {
      const double s = shades[shade];
      const int index = 10 + hue * 10 + shade * 2;
      rgb[std::size_t(index)] = pack(int(r * s), int(g * s), int(b * s));
      // The half-saturated companion mixes the hue with white.
      rgb[std::size_t(index + 1)] = pack(int((127.5 + r / 2) * s), int((127.5 + g / 2) * s), int((127.5 + b / 2) * s));
    }
  }
  const int greys[6] = {51, 91, 132, 173, 214, 255};
  for (int i = 0; i < 6; ++i)
    rgb[std::size_t(250 + i)] = pack(greys[i], greys[i], greys[i]);
  return rgb;
}

const std::array<OdUInt32, 256>& palette()
{
  static const std::array<OdUInt32, 256> rgb = buildPalette();
  return rgb;
}

ODCOLORREF toScreen(OdUInt32 rgb) { return ODRGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
} // namespace

OdUInt32 OdCmEntityColor::lookUpRGB(int index)
{
  if (index < 0 || index > 255)
    return 0;
  return palette()[std::size_t(index)];
}

OdUInt32 OdCmEntityColor::screenColor() const
{
  switch (colorMethod())
  {
  case kByColor: return ODRGB(red(), green(), blue());
  case kByACI: return toScreen(lookUpRGB(colorIndex()));
  default: return ODRGB(255, 255, 255);
  }
}

const ODCOLORREF* odcmAcadPalette(ODCOLORREF)
{
  static const std::array<ODCOLORREF, 256> dark = [] {
    std::array<ODCOLORREF, 256> out{};
    for (int i = 0; i < 256; ++i)
      out[std::size_t(i)] = toScreen(palette()[std::size_t(i)]);
    return out;
  }();
  return dark.data();
}

const ODCOLORREF* odcmAcadLightPalette()
{
  static const std::array<ODCOLORREF, 256> light = [] {
    std::array<ODCOLORREF, 256> out{};
    for (int i = 0; i < 256; ++i)
      out[std::size_t(i)] = toScreen(palette()[std::size_t(i)]);
    out[7] = ODRGB(0, 0, 0);
    out[0] = ODRGB(255, 255, 255);
    return out;
  }();
  return light.data();
}

OdCmColor::OdCmColor(OdCmEntityColor::ColorMethod method) { setColorMethod(method); }

void OdCmColor::setColorMethod(OdCmEntityColor::ColorMethod method)
{
  switch (method)
  {
  case OdCmEntityColor::kByColor: m_color.setRGB(m_color.red(), m_color.green(), m_color.blue()); break;
  case OdCmEntityColor::kByACI: m_color.setColorIndex(7); break;
  default: m_color.setColor(OdUInt32(method) << 24); break;
  }
}

OdUInt8 OdCmColor::red() const { return isByACI() ? OdUInt8(OdCmEntityColor::lookUpRGB(colorIndex()) >> 16) : m_color.red(); }
OdUInt8 OdCmColor::green() const { return isByACI() ? OdUInt8(OdCmEntityColor::lookUpRGB(colorIndex()) >> 8) : m_color.green(); }
OdUInt8 OdCmColor::blue() const { return isByACI() ? OdUInt8(OdCmEntityColor::lookUpRGB(colorIndex())) : m_color.blue(); }

bool OdCmColor::setNames(const OdString& colorName, const OdString& bookName)
{
  m_colorName = colorName;
  m_bookName = bookName;
  return true;
}

OdString OdCmColor::colorNameForDisplay() const
{
  static const wchar_t* const names[8] = {L"", L"red", L"yellow", L"green", L"cyan", L"blue", L"magenta", L"white"};
  switch (colorMethod())
  {
  case OdCmEntityColor::kByLayer: return L"ByLayer";
  case OdCmEntityColor::kByBlock: return L"ByBlock";
  case OdCmEntityColor::kForeground: return L"Foreground";
  case OdCmEntityColor::kNone: return L"None";
  case OdCmEntityColor::kByACI:
  {
    const int index = colorIndex();
    if (index >= 1 && index <= 7)
      return names[index];
    return OdString::format(L"%d", index);
  }
  case OdCmEntityColor::kByColor:
    if (!m_colorName.isEmpty())
      return m_colorName;
    return OdString::format(L"%d,%d,%d", int(red()), int(green()), int(blue()));
  default: return OdString::format(L"%d", int(m_color.color() & 0xFFFF));
  }
}
