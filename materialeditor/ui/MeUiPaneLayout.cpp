#include "ui/MeUiPaneLayout.h"

#include <algorithm>

namespace meui
{
PaneLayout paneLayout(int height, int templatePicture, int rowsHeight, int margin)
{
  height = std::max(height, 0);
  const int floor = std::min(kMinPictureSide, templatePicture);
  const int picture =
    std::min(std::clamp(height - margin - rowsHeight, floor, std::max(templatePicture, floor)), height);
  // What the rows leave of the margin below them.
  const int kept = std::clamp(height - picture - rowsHeight, 0, std::max(margin, 0));
  return {picture, height - picture - kept};
}
} // namespace meui
