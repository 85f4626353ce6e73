// How an editor palette's body shares its height between the picture at its
// top (the Material editor's preview, the Texture editor's map image) and
// the property grid below it. Both dialogs lay out by this one rule.
#pragma once

namespace meui
{
// Below this the picture is too small to judge a material or a map by.
constexpr int kMinPictureSide = 96;

struct PaneLayout
{
  int picture; // the picture's height, from the top
  int grid;    // the grid's, directly below the picture
};

// The picture keeps its template's height while every row (rowsHeight)
// fits below it with the margin under the grid. In a shorter body it gives
// way first, down to kMinPictureSide; then the margin goes, as far as the
// rows need; the grid takes what is left.
PaneLayout paneLayout(int height, int templatePicture, int rowsHeight, int margin);
} // namespace meui
