#include "ui/MeEditorEntries.h"

#include "core/MeOpenMaterial.h"
#include "framework/ModuleState.h"

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

void closeTextureEditor()
{
  // The Texture editor palette is not built yet, so there is never one to close.
}
} // namespace meui
