// Pop-up menus.
//
//   fw::CMenu           an owned pop-up menu: items, check marks, greyed items
//   fw::trackPopupMenu  shows a menu through the host's seam
//                       (hostTrackPopupMenu of hostutils.dll), so a host can
//                       record it and a script can answer it; without the
//                       seam, TrackPopupMenuEx
#pragma once

#include "win32/Handles.h"

#include <windows.h>

namespace fw
{
class CMenu
{
public:
  // A new empty pop-up menu, replacing any held before.
  bool createPopup();
  void destroy() { m_menu.reset(); }
  HMENU handle() const { return m_menu.get(); }

  void appendItem(UINT command, const wchar_t* text, bool enabled = true);
  void appendSeparator();
  // MF_CHECKED or MF_UNCHECKED on the item of the command.
  void check(UINT command, bool checked);
  // Clears the check mark of every item.
  void uncheckAll();
  bool isChecked(UINT command) const;

private:
  win::Menu m_menu;
};

// Shows the menu at the screen point, as TrackPopupMenuEx does with the same
// flags (without TPM_RETURNCMD the command is posted to the owner).
UINT trackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
} // namespace fw
