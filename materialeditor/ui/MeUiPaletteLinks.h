// What one palette asks of the others. The palettes' owner (MeUiPalettes)
// answers and hands itself to each palette it makes, so a palette never
// includes another palette or the owner.
#pragma once

#include "od/DbObjectId.h"

#include <cstddef>

namespace meui
{
class MeUiPaletteLinks
{
public:
  // Shows the Material editor for one material; true when the material was
  // opened. An id that names no material (me::materialToEdit) gives message
  // 150 (stop icon) and false, leaving the palette hidden.
  virtual bool openMaterialEditor(const OdDbObjectId& material) = 0;

  // The keyboard focus to the Material editor's grid, when it is shown.
  virtual void focusMaterialEditor() = 0;

  // When the Texture editor exists: tells every listener of the Material
  // editor palette, then removes the Texture editor from them.
  virtual void closeTextureEditor() = 0;

  // "&Edit..." of the diffuse map: opens the Texture editor on the map the
  // material editor edits (editDiffuseMap chose it) and lists it once among
  // the Material editor's listeners.
  virtual void openTextureEditor() = 0;

  // The Texture editor, when it shows a dialog, on the diffuse map as the
  // material editor now has it (closed when the map has gone).
  virtual void followMapInTextureEditor() = 0;

  // How many listeners the Material editor palette has (none: 0).
  virtual std::size_t materialEditorListenerCount() = 0;

  // A palette the registry deletes: never handed out again.
  virtual void paletteGone(const void* palette) = 0;

protected:
  ~MeUiPaletteLinks() = default;
};
} // namespace meui
