// The module's entry points to the editor palettes, as the browser calls them.
#pragma once

#include "od/DbObjectId.h"
#include "od/GiMaterial.h"

namespace meui
{
// Shows the Material editor for one material; true when the material was
// opened. A null id or one that does not open gives message 150 and false;
// an object that is no material raises the SDK's wrong-class error.
bool openMaterialEditor(const OdDbObjectId& material);

// Shows the Texture editor on a map record of the material editor (its
// diffuse map), with a fresh dialog; false when the palette could not be made.
bool openTextureEditor(MaterialMap& map);

// Closes the Texture editor when it exists.
void closeTextureEditor();
} // namespace meui
