// The colour list of the material colour rows: the texts of drawing
// colours, the list's items, and how a colour is drawn in a cell or an item.
// Every user text passes through the host's translation.
#pragma once

#include "host/KtCanvas.h"
#include "od/CmColor.h"

#include <vector>

namespace meui
{
// "By Layer", "By Block", "Foreground", "None"; else the colour's display
// name with the six pure colours called by their names ("255,0,0" is "red").
CXStringW colorText(const OdCmColor& color);

// The by-object colour and its test, by the editor's rule (core/MeByObject.h)
// with the host's translation of "by object"; its text as the list shows it.
OdCmColor byObjectColor();
bool isByObject(const OdCmColor& color);
CXStringW byObjectText();

struct ColorListItem
{
  bool hasColor = false; // false: "More Colors..."
  OdCmColor color;
  CXStringW text;
};

struct ColorList
{
  std::vector<ColorListItem> items;
  int selected = -1;
  // The index of "More Colors...".
  int moreColors() const;
};

// Index colours 1 to 7, the host's custom colours, the current colour when
// none of those is it, "More Colors...", and the by-object item (no text: its
// drawing shows the name); the item equal to current is selected, the
// by-object one when current is by object.
ColorList colorList(const OdCmColor& current, const std::vector<OdCmColor>& customColors);

// A swatch and the text, as in the cells and the list (null: "More Colors...").
void drawColor(IKtCanvas& canvas, const KtRect& item, const OdCmColor* color, ODCOLORREF textColor);

constexpr int kSwatchSize = 10;

// An RGB colour (red in the lowest byte) filling the rectangle, with its
// "RGB(r,g,b)" text centred over it: the colour selector and its rows.
void drawRgbColor(IKtCanvas& canvas, const KtRect& rect, OdUInt32 rgb);

// The colour of a text over fill: the theme's text colour where it can be
// read there (a contrast ratio of at least 3), else black or white,
// whichever stands out more.
ODCOLORREF readableTextColor(ODCOLORREF fill, ODCOLORREF themeText);
} // namespace meui
