#include "ui/MeEditorEntries.h"

#include "core/MeHost.h"
#include "core/MeOpenMaterial.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "host/HostDocking.h"
#include "resources/MeResources.h"
#include "ui/MeUiTextureEditorPalette.h"

namespace meui
{
bool openMaterialEditor(const OdDbObjectId& material)
{
  fw::ResourceScope scope(fw::moduleInstance());
  // FIXME: the Material editor palette (its window, service 5, its title
  // and showing it) is not built yet; the material opens in the material
  // editor service, which is what the palette would show.
  return me::openMaterialForEditor(material);
}

bool openTextureEditor(MaterialMap& map)
{
  fw::ResourceScope scope(fw::moduleInstance());
  MeUiTextureEditorPalette* palette = textureEditorPalette(true);
  if (!palette->exists() && !palette->CreateDocked(me::loadString(me::kStrTextureEditorTitle).c_str(),
                                                   static_cast<HWND>(me::hostMainWindow()), ME_PALETTE_STYLE,
                                                   IDC_PALETTE_PANE, kHostDockAnySide, kHostDockLeft))
    return false;
  // FIXME: add the palette (once) to the Material editor palette's listeners
  // when that palette exists; until then closeTextureEditor is the only way
  // the Material editor's changes reach it.
  palette->setMap(map);
  palette->ShowPane(true, false, true);
  return true;
}

void closeTextureEditor()
{
  if (MeUiTextureEditorPalette* palette = textureEditorPalette(false))
    palette->editorPaletteChanged();
}
} // namespace meui
