// The host's theme as the module's windows follow it: the message that says
// it changed, and the background that previews and thumbnails are drawn on.
#pragma once

#include "core/MeHost.h"

#include <windows.h>

#include <cstdint>

namespace me
{
// The host sends every window this registered message when its theme
// changes; false for any other message, and for all when it could not be
// registered.
inline bool isThemeChangedMessage(UINT message)
{
  static const UINT registered = RegisterWindowMessageW(HOST_MESSAGE_THEME_CHANGED);
  return registered != 0 && message == registered;
}

// The host's window background; without its theme service the system's.
// Previews render on it and thumbnails leave it out, so both must agree.
inline COLORREF hostWindowBackground()
{
  if (HostThemeService* theme = hostTheme())
    return COLORREF(theme->windowBackgroundColor() & 0x00FFFFFF);
  return GetSysColor(COLOR_WINDOW);
}

// Offers a palette's message to the host's theme, which paints the
// palette's background and its plain controls' backgrounds in its colours
// (a flat toolbar shows the palette's background); true, with the answer,
// when the host took it.
inline bool offerToHostTheme(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer)
{
  HostThemeService* theme = hostTheme();
  std::intptr_t result = 0;
  if (!theme || !theme->hookMessage(window, message, wParam, lParam, &result))
    return false;
  answer = LRESULT(result);
  return true;
}
} // namespace me
