// Docking: palettes are child windows of the host main window that the host
// lays out in its dock areas (docbar). The pane draws its own caption; the
// host places it, remembers its place and visibility, and lists it.
#pragma once

// Height of the caption a pane draws at its top, with the close button as a
// square at its right end.
constexpr int kHostPaneCaptionHeight = 22;

extern "C" {
// Dock bar ids of the four sides.
enum HostDockBar
{
  kHostDockLeft = 0xE81C,
  kHostDockTop = 0xE81B,
  kHostDockRight = 0xE81D,
  kHostDockBottom = 0xE81E,
};

// Sides a pane may dock on (hostDockAddPane's allowedSides).
enum HostDockSides
{
  kHostDockSideLeft = 0x1000,
  kHostDockSideTop = 0x2000,
  kHostDockSideRight = 0x4000,
  kHostDockSideBottom = 0x8000,
  kHostDockAnySide = 0xF000,
};

// Takes the pane into the dock layout under its window title; false when the
// window is no child of the main window.
typedef bool (*HostDockAddPaneFn)(void* pane, unsigned allowedSides);
// Puts the pane where the saved layout says, else on the given bar.
typedef bool (*HostDockRestorePaneFn)(void* pane, unsigned dockBarId);
typedef void (*HostDockShowPaneFn)(void* pane, bool show, bool activate);
typedef void (*HostDockRemovePaneFn)(void* pane);
// The pane's caption dragged to a point of the screen: the pane goes to the
// column of the main window's half the point lies in, when it may dock
// there; true when it moved.
typedef bool (*HostDockMovePaneFn)(void* pane, int screenX, int screenY);
}

#define HOST_EXPORT_DOCK_ADD "hostDockAddPane"
#define HOST_EXPORT_DOCK_RESTORE "hostDockRestorePane"
#define HOST_EXPORT_DOCK_SHOW "hostDockShowPane"
#define HOST_EXPORT_DOCK_REMOVE "hostDockRemovePane"
#define HOST_EXPORT_DOCK_MOVE "hostDockMovePane"
