#include "ui/MeUiTextureEditorToolbar.h"

#include "core/MeStrings.h"
#include "resources/MeResources.h"

namespace meui
{
namespace
{
constexpr MeUiToolButton kButtons[] = {
  {ID_TEXTURE_HELP, IDI_HELP, IDI_HELP_ALT, me::kStrHelpContents},
};
} // namespace

MeUiTextureEditorToolbar::MeUiTextureEditorToolbar() : MeUiToolbar(kButtons) {}
} // namespace meui
