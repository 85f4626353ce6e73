// The module's entry points to the editor palettes, as the browser and the
// Material editor call them.
//
// The Texture editor palette plugs in here: it registers itself with
// setTextureEditor, as the listener closeTextureEditor tells and removes,
// and with the function that opens it on a map of the edited material.
#pragma once

#include "od/DbObjectId.h"

#include <functional>

class MaterialMap;

namespace meui
{
class MeUiMaterialEditorPaletteReactor;

// Shows the Material editor for one material; true when the material was
// opened. An id that names no material (me::materialToEdit) gives message
// 150 (stop icon) and false, leaving the palette hidden.
bool openMaterialEditor(const OdDbObjectId& material);

// The keyboard focus to the Material editor's grid, when it is shown.
void focusMaterialEditor();

// When the Texture editor exists: tells every listener of the Material
// editor palette, then removes the Texture editor from them.
void closeTextureEditor();

// "&Edit..." of the diffuse map: opens the Texture editor on the map
// record; nothing while no Texture editor is registered.
void openTextureEditor(MaterialMap& map);

// The Texture editor palette (null: none) and its opener.
void setTextureEditor(MeUiMaterialEditorPaletteReactor* palette, std::function<void(MaterialMap&)> open);
} // namespace meui
