// The Materials Browser's toolbar: New Generic Material (70), the view-style
// menu button (74) and Help (72), 16 x 16 icons on 22 x 22 buttons, the
// normal or the alternate icon set as the host's theme says.
//
// Its tips are asked of the palette by button position (fw::CToolBar): the
// notification's id minus 1 is the button, and tipText answers for it. The
// framework's automatic update of command states is not used: the palette
// sets the buttons' states itself (enableButtons).
#pragma once

#include "framework/ToolBar.h"

#include "od/OdString.h"

namespace meui
{
class MeUiBrowserToolbar : public fw::CToolBar
{
public:
  // Removes every button and image, then makes the three buttons again.
  void fill();
  // All three buttons enabled (style 0) or disabled (the framework's
  // disabled style).
  void enableButtons(bool enabled);

  // The tip of the button at that position: strings 164, 165 and 166, cut
  // to the 64 characters the tip buffer holds; empty for a position
  // without a button.
  OdString tipText(int position) const;
};
} // namespace meui
