#include "ui/MeUiBrowserToolbar.h"

#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "resources/MeResources.h"

namespace meui
{
namespace
{
struct Button
{
  UINT command;
  WORD icon, alternateIcon;
  int tip; // string id
};
constexpr Button kButtons[] = {
  {ID_NEW_MATERIAL, IDI_NEW_MATERIAL, IDI_NEW_MATERIAL_ALT, me::kStrNewGenericMaterial},
  {ID_VIEW_STYLE_MENU, IDI_VIEW_STYLE, IDI_VIEW_STYLE_ALT, me::kStrChangeViewStyle},
  {ID_BROWSER_HELP, IDI_HELP, IDI_HELP_ALT, me::kStrHelpContents},
};
constexpr int kTipCharacters = 64;
} // namespace

void MeUiBrowserToolbar::fill()
{
  removeAll();
  setSizes(SIZE{16, 16}, SIZE{22, 22});
  HostThemeService* theme = me::hostTheme();
  const bool alternate = theme && theme->useAlternateIcons();
  for (const Button& button : kButtons)
  {
    // Shared icons belong to the system, which frees them with the module.
    const auto icon = static_cast<HICON>(LoadImageW(fw::resourceHandle(),
                                                    MAKEINTRESOURCEW(alternate ? button.alternateIcon : button.icon),
                                                    IMAGE_ICON, 16, 16, LR_SHARED));
    addButton(button.command, icon ? addImage(icon) : -1);
  }
}

void MeUiBrowserToolbar::enableButtons(bool enabled)
{
  for (int i = 0; i < buttonCount(); ++i)
    setButtonStyle(i, enabled ? fw::kButtonEnabled : fw::kButtonDisabled);
}

OdString MeUiBrowserToolbar::tipText(int position) const
{
  if (position < 0 || position >= int(std::size(kButtons)) || position >= buttonCount())
    return OdString();
  return me::loadString(kButtons[position].tip).left(kTipCharacters - 1);
}
} // namespace meui
