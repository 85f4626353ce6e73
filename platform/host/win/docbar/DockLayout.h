// The host's dock areas (docbar.dll): panes are child windows of the main
// window, docked in a column at the left or the right edge, stacked top to
// bottom in the order they were docked, sharing the column's height. A pane
// goes where the host's default layout puts its title (the Material and
// Texture editors right), else on the side its module asks for. The host
// remembers each pane's side by its title, so a pane made again goes back
// where it was.
//
// Modules use the C exports of host/HostDocking.h; host.exe uses the
// functions below to lay out the main window and to list the panes.
#pragma once

#include "od/OdString.h"

#include <vector>

#ifdef HOST_DOCBAR_BUILD
#define HOST_DOCBAR_API __declspec(dllexport)
#else
#define HOST_DOCBAR_API __declspec(dllimport)
#endif

namespace host
{
struct DockRect
{
  int left, top, right, bottom;
};

struct DockPaneInfo
{
  void* window;
  OdString title;
  bool shown;     // the pane's window is visible
  unsigned bar;   // the dock bar id (HostDockBar) of its side
};

// Panes still alive, in docking order.
HOST_DOCBAR_API std::vector<DockPaneInfo> dockPanes();
// Places the shown panes inside the area and shrinks it to what they leave.
HOST_DOCBAR_API void dockArrange(DockRect& area);
// Gives the pane a size of its own in its column (the column takes the
// widest such width; the other panes of the column share what height is
// left); 0 for either lets the layout choose again.
HOST_DOCBAR_API void dockSetPaneSize(void* pane, int width, int height);
// The registered message the main window receives when it has to lay out
// again (a pane was docked, shown, hidden or removed).
HOST_DOCBAR_API unsigned dockLayoutChangedMessage();
// Width of a dock column in pixels.
constexpr int kDockColumnWidth = 300;
} // namespace host
