// The Materials Browser's toolbar: New Generic Material (70), the view-style
// menu button (74) and Help (72). The framework's automatic update of
// command states is not used: the palette sets the buttons' states itself
// (enableButtons).
#pragma once

#include "ui/MeUiToolbar.h"

namespace meui
{
class MeUiBrowserToolbar : public MeUiToolbar
{
public:
  MeUiBrowserToolbar();
  // All buttons enabled (style 0) or disabled (the framework's disabled style).
  void enableButtons(bool enabled);
};
} // namespace meui
