#include "framework/Menu.h"

#include "host/HostApi.h"

namespace fw
{
bool CMenu::createPopup()
{
  m_menu.attach(CreatePopupMenu());
  return bool(m_menu);
}

void CMenu::appendItem(UINT command, const wchar_t* text, bool enabled)
{
  AppendMenuW(m_menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, text);
}

void CMenu::appendSeparator() { AppendMenuW(m_menu.get(), MF_SEPARATOR, 0, nullptr); }

void CMenu::check(UINT command, bool checked)
{
  CheckMenuItem(m_menu.get(), command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CMenu::uncheckAll()
{
  const int count = GetMenuItemCount(m_menu.get());
  for (int i = 0; i < count; ++i)
    CheckMenuItem(m_menu.get(), UINT(i), MF_BYPOSITION | MF_UNCHECKED);
}

bool CMenu::isChecked(UINT command) const
{
  const UINT state = GetMenuState(m_menu.get(), command, MF_BYCOMMAND);
  return state != UINT(-1) && (state & MF_CHECKED);
}

UINT trackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
  if (HMODULE utils = GetModuleHandleW(L"hostutils.dll"))
    if (auto seam = reinterpret_cast<HostTrackPopupMenuFn>(
          reinterpret_cast<void*>(GetProcAddress(utils, HOST_EXPORT_TRACK_POPUP_MENU))))
      return seam(menu, flags, x, y, owner);
  return UINT(TrackPopupMenuEx(menu, flags, x, y, owner, nullptr));
}
} // namespace fw
