#include "ui/MeUiEditorToolbar.h"

#include "core/MeStrings.h"
#include "resources/MeResources.h"

namespace meui
{
namespace
{
constexpr MeUiToolButton kButtons[] = {
  {ID_SAMPLE_MENU, IDI_SAMPLE, IDI_SAMPLE_ALT, me::kStrSample},
  {ID_EXTENDED_MODE, IDI_EXTENDED, IDI_EXTENDED_ALT, me::kStrExtendedMode},
  {ID_EDITOR_HELP, IDI_HELP, IDI_HELP_ALT, me::kStrHelpContents},
};
} // namespace

MeUiEditorToolbar::MeUiEditorToolbar() : MeUiToolbar(kButtons) {}
} // namespace meui
