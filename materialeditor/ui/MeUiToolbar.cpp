#include "ui/MeUiToolbar.h"

#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"

#include <algorithm>
#include <iterator>

namespace meui
{
namespace
{
constexpr int kTipCharacters = 64;

// The window style (bar bits included) and the pane style bits that change
// after the toolbar is made.
constexpr DWORD kToolbarStyle =
  WS_CHILD | WS_VISIBLE | fw::kBarGripper | fw::kBarAlignTop | fw::kBarBorderBottom | fw::kBarHideInPlace;
static_assert(kToolbarStyle == 0x50402808, "palette toolbar style");
constexpr DWORD kToolbarTipStyles = fw::kBarToolTips | fw::kBarFlyBy;
constexpr DWORD kToolbarFrameStyles = fw::kBarGripper | fw::kBarBorderAny | fw::kBarSizeDynamic;
static_assert(kToolbarTipStyles == 0x30 && kToolbarFrameStyles == 0x400F04, "bar style bits");
} // namespace

bool MeUiToolbar::createOnPalette(HWND palette)
{
  // Its parent is the palette, so its commands and its tips' questions go there.
  if (!create(palette, kToolbarStyle, fw::kToolBarId))
    return false;
  setPaneStyle((paneStyle() | kToolbarTipStyles) & ~kToolbarFrameStyles);
  return true;
}

void MeUiToolbar::fill()
{
  removeAll();
  setSizes(SIZE{16, 16}, SIZE{22, 22});
  HostThemeService* theme = me::hostTheme();
  const bool alternate = theme && theme->useAlternateIcons();
  for (int i = 0; i < m_count; ++i)
  {
    const MeUiToolButton& button = m_buttons[i];
    // Shared icons belong to the system, which frees them with the module.
    const auto icon = static_cast<HICON>(LoadImageW(fw::resourceHandle(),
                                                    MAKEINTRESOURCEW(alternate ? button.alternateIcon : button.icon),
                                                    IMAGE_ICON, 16, 16, LR_SHARED));
    addButton(button.command, icon ? addImage(icon) : -1);
  }
}

OdString MeUiToolbar::tipText(int position) const
{
  if (position < 0 || position >= m_count || position >= buttonCount())
    return OdString();
  return me::loadString(m_buttons[position].tip).left(kTipCharacters - 1);
}

bool MeUiToolbar::answerTip(NMHDR* header) const
{
  if (!header || header->code != UINT(TTN_NEEDTEXTW) || !header->hwndFrom || header->hwndFrom != tipsWindow())
    return false;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  // The tool's id minus 1 is the button's position.
  const OdString text = tipText(int(info->hdr.idFrom) - 1);
  const std::size_t length = std::min<std::size_t>(text.getLength(), std::size(info->szText) - 1);
  std::copy_n(text.c_str(), length, info->szText);
  info->szText[length] = L'\0';
  info->lpszText = info->szText;
  return true;
}
} // namespace meui
