#include "ui/controls/MeUiColorList.h"

#include "core/MeByObject.h"
#include "host/KtServices.h"
#include "host/KtValueText.h"

#include <algorithm>
#include <cmath>

namespace meui
{
namespace
{
CXStringW tr(const wchar_t* text) { return ktHostServices().translate(text); }

// The square's place in an item: 2 pixels in from the left, centred vertically.
KtRect swatchRect(const KtRect& item)
{
  const int top = item.top + (item.height() - kSwatchSize) / 2;
  return {item.left + 2, top, item.left + 2 + kSwatchSize, top + kSwatchSize};
}

// Outlined in the text's colour: a black outline vanishes on a dark theme.
void swatch(IKtCanvas& canvas, const KtRect& square, ODCOLORREF fill, ODCOLORREF outline)
{
  canvas.fill(square, fill);
  canvas.frame(square, outline);
}

// White, with the triangle of the lower-right, upper-right and upper-left corners black.
void splitSwatch(IKtCanvas& canvas, const KtRect& square, ODCOLORREF outline)
{
  canvas.fill(square, ODRGB(255, 255, 255));
  const KtPoint triangle[] = {{square.right, square.bottom}, {square.right, square.top}, {square.left, square.top}};
  canvas.polygon(triangle, 3, ODRGB(0, 0, 0));
  canvas.frame(square, outline);
}

ODCOLORREF screen(const OdCmColor& color) { return ODRGB(color.red(), color.green(), color.blue()); }
} // namespace

CXStringW colorText(const OdCmColor& color)
{
  switch (color.colorMethod())
  {
  case OdCmEntityColor::kByLayer: return tr(L"By Layer");
  case OdCmEntityColor::kByBlock: return tr(L"By Block");
  case OdCmEntityColor::kForeground: return tr(L"Foreground");
  case OdCmEntityColor::kNone: return tr(L"None");
  default: break;
  }
  static const struct
  {
    const wchar_t* rgb;
    const wchar_t* name;
  } pure[] = {{L"255,0,0", L"red"},    {L"255,255,0", L"yellow"}, {L"0,255,0", L"green"},
              {L"0,255,255", L"cyan"}, {L"0,0,255", L"blue"},     {L"255,0,255", L"magenta"}};
  CXStringW name = color.colorNameForDisplay();
  for (const auto& p : pure)
    if (name == p.rgb)
    {
      name = p.name;
      break;
    }
  return ktHostServices().translate(name);
}

OdCmColor byObjectColor() { return me::byObjectColor(tr(L"by object")); }

bool isByObject(const OdCmColor& color) { return me::isByObjectColor(color, tr(L"by object")); }

CXStringW byObjectText() { return me::byObjectName(tr(L"by object")); }

int ColorList::moreColors() const
{
  for (std::size_t i = 0; i < items.size(); ++i)
    if (!items[i].hasColor)
      return int(i);
  return -1;
}

ColorList colorList(const OdCmColor& current, const std::vector<OdCmColor>& customColors)
{
  ColorList list;
  const auto add = [&](const OdCmColor& color) {
    if (color == current && list.selected < 0)
      list.selected = int(list.items.size());
    list.items.push_back({true, color, colorText(color)});
  };
  for (int index = 1; index <= 7; ++index)
  {
    OdCmColor color;
    color.setColorIndex(OdInt16(index));
    add(color);
  }
  for (const OdCmColor& color : customColors)
    add(color);
  // A colour of the material's own that the list lacks (a true colour from a
  // command or a drawing): listed, so that the box shows it selected.
  if (list.selected < 0 && !isByObject(current) &&
      (current.colorMethod() == OdCmEntityColor::kByColor || current.colorMethod() == OdCmEntityColor::kByACI))
    add(current);
  list.items.push_back({false, OdCmColor(), tr(L"More Colors...")});
  const OdCmColor byObject = byObjectColor();
  if (isByObject(current))
    list.selected = int(list.items.size());
  list.items.push_back({true, byObject, CXStringW()});
  return list;
}

void drawColor(IKtCanvas& canvas, const KtRect& item, const OdCmColor* color, ODCOLORREF textColor)
{
  const KtRect square = swatchRect(item);
  const KtRect text{square.right + 2, item.top, item.right, item.bottom};
  if (!color)
  {
    canvas.text(text, tr(L"More Colors..."), textColor, KtAlign::Left);
    return;
  }
  if (isByObject(*color))
  {
    swatch(canvas, square, screen(*color), textColor);
    canvas.text(text, byObjectText(), textColor, KtAlign::Left);
    return;
  }
  switch (color->colorMethod())
  {
  case OdCmEntityColor::kByColor: swatch(canvas, square, screen(*color), textColor); break;
  case OdCmEntityColor::kByACI:
    if (color->colorIndex() == 7)
      splitSwatch(canvas, square, textColor);
    else
    {
      const OdUInt32 rgb = OdCmEntityColor::lookUpRGB(color->colorIndex());
      swatch(canvas, square, ODRGB(rgb >> 16, rgb >> 8, rgb), textColor);
    }
    break;
  case OdCmEntityColor::kForeground: splitSwatch(canvas, square, textColor); break;
  case OdCmEntityColor::kByPen:
  case OdCmEntityColor::kNone: break; // the swatch's space stays empty
  default: return;                    // nothing for other methods
  }
  canvas.text(text, colorText(*color), textColor, KtAlign::Left);
}

namespace
{
// The relative luminance of a screen colour, from its sRGB channels.
double luminance(ODCOLORREF color)
{
  const auto linear = [](unsigned channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(ODGETRED(color)) + 0.7152 * linear(ODGETGREEN(color)) + 0.0722 * linear(ODGETBLUE(color));
}

double contrast(ODCOLORREF a, ODCOLORREF b)
{
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
} // namespace

ODCOLORREF readableTextColor(ODCOLORREF fill, ODCOLORREF themeText)
{
  constexpr double kReadable = 3.0;
  if (contrast(fill, themeText) >= kReadable)
    return themeText;
  const ODCOLORREF black = ODRGB(0, 0, 0), white = ODRGB(255, 255, 255);
  return contrast(fill, black) >= contrast(fill, white) ? black : white;
}

void drawRgbColor(IKtCanvas& canvas, const KtRect& rect, OdUInt32 rgb)
{
  const ODCOLORREF fill = ODRGB(rgb & 255, (rgb >> 8) & 255, (rgb >> 16) & 255);
  canvas.fill(rect, fill);
  // The text is the theme's text colour unless the swatch would hide it
  // (black on black, white on white): then black or white, to stay legible.
  canvas.text(rect, kt::rgbText(rgb), readableTextColor(fill, ktThemeText()), KtAlign::Centre);
}
} // namespace meui
