// meui::CKtColorSelector: a small control that shows one RGB colour with
// its "RGB(r,g,b)" text and opens the host's colour dialog when clicked.
// A "STATIC" child (0x50010100) whose procedure the object replaces.
//
//   WM_PAINT        drawColour into the client area less 2 pixels a side
//   WM_LBUTTONDOWN  the colour dialog; on OK the colour, a command (code 4)
//                   to the parent, a redraw
//   WM_GETDLGCODE   the default answer plus all keys
//   WM_DESTROY      (TWnd puts the previous procedure back)
#pragma once

#include "host/win/KtControls.h"

namespace meui
{
// The command code the selector sends its parent when the colour changed.
constexpr UINT kColorSelectorChanged = 4;

class CKtColorSelector : public win::TWnd<CKtColorSelector>
{
public:
  ~CKtColorSelector() override { ktDestroyControl(*this); }
  HWND CreateSelector(HWND parent, const RECT& rect, UINT id);
  // Red in the lowest byte, green in the second, blue in the third.
  OdUInt32 m_colour = 0;

  // The colour with its RGB text centred, in the theme's text colour
  // unless that cannot be read on it.
  virtual void drawColour(IKtCanvas& canvas, const KtRect& rect);
  // The host's colour dialog on a new default colour (not the current
  // one); true and the RGB value on OK.
  static bool chooseColour(OdUInt32& colour);

protected:
  virtual void colourChanged() {}
  virtual void selectorDestroyed() {}
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
} // namespace meui
