#include "ui/MeUiBrowserToolbar.h"

#include "core/MeStrings.h"
#include "resources/MeResources.h"

namespace meui
{
namespace
{
constexpr MeUiToolButton kButtons[] = {
  {ID_NEW_MATERIAL, IDI_NEW_MATERIAL, IDI_NEW_MATERIAL_ALT, me::kStrNewGenericMaterial},
  {ID_VIEW_STYLE_MENU, IDI_VIEW_STYLE, IDI_VIEW_STYLE_ALT, me::kStrChangeViewStyle},
  {ID_BROWSER_HELP, IDI_HELP, IDI_HELP_ALT, me::kStrHelpContents},
};
} // namespace

MeUiBrowserToolbar::MeUiBrowserToolbar() : MeUiToolbar(kButtons) {}

void MeUiBrowserToolbar::enableButtons(bool enabled)
{
  for (int i = 0; i < buttonCount(); ++i)
    setButtonStyle(i, enabled ? fw::kButtonEnabled : fw::kButtonDisabled);
}
} // namespace meui
