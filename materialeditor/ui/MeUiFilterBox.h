// meui::MeUiFilterBox: the browser's filter, an edit box that draws its own
// cue text while it is empty and without the focus (EM_SETCUEBANNER needs
// the version 6 common controls, which would restyle every control), with a
// clear button at its right end while it holds text.
//
//   message (subclass)        handler
//   WM_PAINT                  the edit's own paint, then the cue over it
//   WM_SETFOCUS, WM_KILLFOCUS the cue comes and goes
//   WM_SIZE                   the clear button at the right end
//   WM_KEYDOWN VK_ESCAPE      clear()
//              VK_DOWN        onDown
//   WM_CHAR 27                swallowed: Esc is no character here
//   WM_COMMAND (the button)   clear(), the focus back in the box
//   WM_DRAWITEM (the button)  a cross in the text's colour
//
// Changes of the text reach the parent as EN_CHANGE; it calls textChanged().
#pragma once

#include "od/OdString.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <functional>

namespace meui
{
class MeUiFilterBox : public win::TWnd<MeUiFilterBox>
{
public:
  MeUiFilterBox() = default;
  // The box goes with its object, while its handlers can still run.
  ~MeUiFilterBox() override { destroy(); }
  // Makes the box anew (the one held before goes); false when it could not.
  bool create(HWND parent, UINT id, const OdString& cue, HFONT font);
  void destroy();
  OdString text() const;
  void clear();
  // Shows or hides the clear button for the text as it now is.
  void textChanged();
  HWND clearButton() const { return m_clear; }

  std::function<void()> onDown;

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void paintCue();
  void drawClearButton(const DRAWITEMSTRUCT& item);
  void placeClearButton();

  OdString m_cue;
  win::Window m_box;      // subclassed while it lives
  HWND m_clear = nullptr; // a child of the box, gone with it
};
} // namespace meui
