// The palettes' toolbars: a table of buttons (command, icon in the normal
// and the alternate set, tip string), 16 x 16 icons on 22 x 22 buttons, the
// icon set the host's theme asks for.
//
// Tips are asked of the palette by button position (fw::CToolBar): the
// notification's id minus 1 is the button, and tipText answers for it, or
// answerTip fills the notification directly.
#pragma once

#include "framework/ToolBar.h"

#include "od/OdString.h"

#include <commctrl.h>

namespace meui
{
struct MeUiToolButton
{
  UINT command;
  WORD icon, alternateIcon;
  int tip; // string id
};

class MeUiToolbar : public fw::CToolBar
{
public:
  template <std::size_t N>
  explicit MeUiToolbar(const MeUiToolButton (&buttons)[N]) : m_buttons(buttons), m_count(int(N))
  {
  }

  // Makes the toolbar as every palette has it: on top, tips on, no gripper
  // or frame; false when the window could not be made.
  bool createOnPalette(HWND palette);
  // Removes every button and image, then makes the table's buttons again.
  void fill();
  // The tip of the button at that position, cut to the 64 characters the
  // tip buffer holds; empty for a position without a button.
  OdString tipText(int position) const;
  // Answers a TTN_NEEDTEXTW of this toolbar's tips; false for another's.
  bool answerTip(NMHDR* header) const;

private:
  const MeUiToolButton* m_buttons;
  int m_count;
};
} // namespace meui
