#include "DockLayout.h"

#include "../core/HostRuntime.h"
#include "host/HostDocking.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

namespace host
{
namespace
{
struct Pane
{
  HWND window;
  unsigned allowed;
  unsigned bar;
  int width = 0, height = 0; // asked for by dockSetPaneSize; 0: the layout's choice
};

struct Docking
{
  std::vector<Pane> panes;
  // Side by title, kept after a pane goes.
  std::map<OdString, unsigned> places;
};

Docking& docking()
{
  static Docking state;
  return state;
}

OdString titleOf(HWND window)
{
  const int length = GetWindowTextLengthW(window);
  std::wstring text(std::size_t(length) + 1, L'\0');
  GetWindowTextW(window, &text[0], length + 1);
  text.resize(std::size_t(length));
  return OdString(text);
}

// Panes whose windows are gone are forgotten; their places are kept.
void dropDeadPanes()
{
  auto& panes = docking().panes;
  panes.erase(std::remove_if(panes.begin(), panes.end(), [](const Pane& p) { return !IsWindow(p.window); }),
              panes.end());
}

Pane* findPane(HWND window)
{
  for (Pane& pane : docking().panes)
    if (pane.window == window)
      return &pane;
  return nullptr;
}

// Only the left and right columns exist; top and bottom dock left.
// FIXME: horizontal dock rows, when a module asks for them.
unsigned column(unsigned bar) { return bar == kHostDockRight ? unsigned(kHostDockRight) : unsigned(kHostDockLeft); }

// The host's default layout, what a saved one holds before the user moves
// anything: the editor palettes stand in the right column, beside the
// model, and leave the left one to the browser, so that at the window's
// default size each pane has room for its rows. Matched by the start of
// the title (the Material editor's names its material).
struct DefaultPlace
{
  const wchar_t* titleStart;
  unsigned bar;
};
constexpr DefaultPlace kDefaultPlaces[] = {
  {L"Material editor", kHostDockRight},
  {L"Texture editor", kHostDockRight},
};

// Where the layout puts a pane of that title, asked for the bar.
unsigned placeFor(const OdString& title, unsigned asked)
{
  auto saved = docking().places.find(title);
  if (saved != docking().places.end())
    return saved->second;
  for (const DefaultPlace& place : kDefaultPlaces)
  {
    const std::wstring start = place.titleStart;
    if (std::wstring(title.c_str()).compare(0, start.size(), start) == 0)
      return place.bar;
  }
  return column(asked);
}

bool isShown(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void layoutChanged()
{
  if (HWND main = static_cast<HWND>(hostRuntime().mainWindow()))
    SendMessageW(main, dockLayoutChangedMessage(), 0, 0);
}
} // namespace

std::vector<DockPaneInfo> dockPanes()
{
  dropDeadPanes();
  std::vector<DockPaneInfo> list;
  for (const Pane& pane : docking().panes)
    list.push_back({pane.window, titleOf(pane.window), isShown(pane.window), pane.bar});
  return list;
}

void dockArrange(DockRect& area)
{
  dropDeadPanes();
  for (unsigned side : {unsigned(kHostDockLeft), unsigned(kHostDockRight)})
  {
    std::vector<const Pane*> shown;
    int asked = 0, askedHeight = 0, sharing = 0;
    for (const Pane& pane : docking().panes)
      if (pane.bar == side && isShown(pane.window))
      {
        shown.push_back(&pane);
        asked = std::max(asked, pane.width);
        askedHeight += pane.height;
        sharing += pane.height == 0;
      }
    if (shown.empty())
      continue;
    const int areaWidth = std::max(0, area.right - area.left);
    const int width = asked > 0 ? std::min(asked, areaWidth) : std::min(kDockColumnWidth, areaWidth / 2);
    const int left = side == kHostDockLeft ? area.left : area.right - width;
    const int height = area.bottom - area.top;
    // Panes with a height of their own get it while it lasts; the others
    // share the rest in integer parts that add up to it.
    const int shared = std::max(0, height - askedHeight);
    int top = area.top, share = 0;
    for (const Pane* pane : shown)
    {
      int paneHeight = pane->height;
      if (paneHeight == 0)
      {
        paneHeight = int(shared * std::int64_t(share + 1) / sharing) - int(shared * std::int64_t(share) / sharing);
        ++share;
      }
      paneHeight = std::max(0, std::min(paneHeight, area.bottom - top));
      SetWindowPos(pane->window, nullptr, left, top, width, paneHeight, SWP_NOZORDER | SWP_NOACTIVATE);
      top += paneHeight;
    }
    if (side == kHostDockLeft)
      area.left += width;
    else
      area.right -= width;
  }
}

void dockSetPaneSize(void* window, int width, int height)
{
  Pane* pane = findPane(static_cast<HWND>(window));
  if (!pane)
    return;
  pane->width = std::max(0, width);
  pane->height = std::max(0, height);
  layoutChanged();
}

unsigned dockLayoutChangedMessage()
{
  static const UINT message = RegisterWindowMessageW(L"HostDockLayoutChanged");
  return message;
}
} // namespace host

using namespace host;

extern "C" {
__declspec(dllexport) bool hostDockAddPane(void* pane, unsigned allowedSides)
{
  HWND window = static_cast<HWND>(pane);
  HWND main = static_cast<HWND>(hostRuntime().mainWindow());
  if (!window || !IsWindow(window) || !main || GetAncestor(window, GA_PARENT) != main)
    return false;
  dropDeadPanes();
  if (Pane* known = findPane(window))
    known->allowed = allowedSides;
  else
    docking().panes.push_back({window, allowedSides, placeFor(titleOf(window), kHostDockLeft)});
  layoutChanged();
  return true;
}

__declspec(dllexport) bool hostDockRestorePane(void* pane, unsigned dockBarId)
{
  Pane* known = findPane(static_cast<HWND>(pane));
  if (!known)
    return false;
  const OdString title = titleOf(known->window);
  known->bar = placeFor(title, dockBarId);
  docking().places[title] = known->bar;
  layoutChanged();
  return true;
}

__declspec(dllexport) void hostDockShowPane(void* pane, bool show, bool activate)
{
  Pane* known = findPane(static_cast<HWND>(pane));
  if (!known)
    return;
  ShowWindow(known->window, show ? (activate ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
  layoutChanged();
  if (show && activate)
  {
    SetWindowPos(known->window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(known->window);
  }
}

__declspec(dllexport) bool hostDockMovePane(void* pane, int screenX, int screenY)
{
  Pane* known = findPane(static_cast<HWND>(pane));
  HWND main = static_cast<HWND>(hostRuntime().mainWindow());
  RECT client{};
  if (!known || !main || !GetClientRect(main, &client))
    return false;
  POINT at{screenX, screenY};
  ScreenToClient(main, &at);
  const unsigned bar = at.x >= (client.right - client.left) / 2 ? unsigned(kHostDockRight) : unsigned(kHostDockLeft);
  const unsigned side = bar == kHostDockRight ? unsigned(kHostDockSideRight) : unsigned(kHostDockSideLeft);
  if (bar == known->bar || !(known->allowed & side))
    return false;
  // Both columns lose and gain a pane: their panes share the heights anew,
  // so none is left with an empty stretch below the panes that stay.
  for (Pane& pane : docking().panes)
    if (pane.bar == known->bar || pane.bar == bar)
      pane.height = 0;
  known->bar = bar;
  // Last in its new column, as a pane docked there now would be.
  Pane moved = *known;
  auto& panes = docking().panes;
  panes.erase(std::remove_if(panes.begin(), panes.end(), [&](const Pane& p) { return p.window == moved.window; }),
              panes.end());
  panes.push_back(moved);
  docking().places[titleOf(moved.window)] = bar;
  layoutChanged();
  return true;
}

__declspec(dllexport) void hostDockRemovePane(void* pane)
{
  auto& panes = docking().panes;
  panes.erase(std::remove_if(panes.begin(), panes.end(), [&](const Pane& p) { return p.window == pane; }), panes.end());
  layoutChanged();
}
}
