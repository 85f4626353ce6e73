// GridTip: the tool tip over a grid's value cells. A row whose text is cut
// (wider than its cell shows it) shows the whole text while the pointer
// rests on the cell: one tool of a real tooltip control, moved to the cell
// under the pointer as it goes, its text set wide (TTM_UPDATETIPTEXTW).
// The control sizes and shows the tip; its text is painted here at the
// advances the control measured it with, since Wine draws a long text a few
// pixels wider than it measures it and would drop its last letter.
#pragma once

#include "od/OdString.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <windows.h>

namespace inspctl
{
// The whole text when it is wider, in the list's font, than the room the
// rows draw their text in (the cell less its inset); empty when it fits.
OdString cutTextTip(HWND list, const RECT& cell, const OdString& text);

class GridTip final : public win::TWnd<GridTip>
{
public:
  // What lies under a point of the list's client area: the value cell and
  // its tip (empty for none).
  struct Place
  {
    RECT cell{};
    OdString tip;
  };

  // A mouse message of the list, before the list handles it: the tool goes
  // to the place under a move, and the tooltip control sees the message.
  template <class PlaceAt>
  void relay(HWND list, UINT message, WPARAM wParam, LPARAM lParam, PlaceAt&& placeAt)
  {
    if (message == WM_MOUSEMOVE)
      moveTo(list, placeAt(POINT{short(LOWORD(lParam)), short(HIWORD(lParam))}));
    relayMessage(list, message, wParam, lParam);
  }
  // The rows moved or went (a scroll, an editor, a rebuild): the tip hides
  // until the pointer moves again.
  void reset();
  // The list goes.
  void destroy() { m_window.reset(); }

protected:
  // The tip's own window: its text is painted here.
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void moveTo(HWND list, const Place& place);
  void paint(HDC dc);
  void relayMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  bool made(HWND list);

  win::Window m_window;
  HWND m_list = nullptr;
  Place m_place;
};
} // namespace inspctl
