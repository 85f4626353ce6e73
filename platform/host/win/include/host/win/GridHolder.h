// kt::GridHolder: how a window mounts the host's property grid, the same
// way for the module's dialogs and for the host's own test modules.
//
// The grid lives in inspctl.dll and is made and ended only through its
// exports (inspCreateInspectorCtrl, inspDestroyInspectorCtrl), over a list
// box of kInspectorListStyle that the holder's owner made. The list box's
// parent passes its owner-draw messages on with reflect() (a framework
// dialog reflects them by itself). The rows are the owner's: the holder
// adds them, and a rebuild empties the grid with the list box's own reset
// message, as a dialog does, before adding the new ones.
#pragma once

#include "host/win/PropertyGrid.h"

#include <windows.h>

#include <vector>

namespace kt
{
class GridHolder
{
public:
  GridHolder() = default;
  ~GridHolder() { release(); }
  GridHolder(const GridHolder&) = delete;
  GridHolder& operator=(const GridHolder&) = delete;

  // Makes the grid over the list box; false when inspctl.dll is not loaded
  // or the list box already carries a grid. A held grid is ended first.
  bool create(HWND listBox);
  // Ends the grid (the list box stays); nothing without one.
  void release();

  CInspectorCtrl* grid() const { return m_grid; }
  explicit operator bool() const { return m_grid != nullptr; }
  HWND listBox() const { return m_grid ? m_grid->GetWindow() : nullptr; }

  // Adds the rows in order; a null row is skipped. The grid keeps its own
  // references.
  void add(const std::vector<IKtEditableProperty*>& rows);
  // Empties the grid and adds the rows.
  void rebuild(const std::vector<IKtEditableProperty*>& rows);
  // Repaints every row from its owner's values, at once.
  void refresh();
  // The height the list box needs to show every line (rows and header
  // lines) without scrolling, its frame included; 0 without a grid.
  int heightForRows() const;

  // For a parent's window procedure: a WM_MEASUREITEM, WM_DRAWITEM or
  // WM_COMPAREITEM about a grid goes on to it; true (and its answer) then.
  static bool reflect(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
  CInspectorCtrl* m_grid = nullptr;
};
} // namespace kt
