// The module's entry points to the editor palettes, as the browser calls them.
#pragma once

#include "od/DbObjectId.h"

namespace meui
{
// Shows the Material editor for one material; true when the material was
// opened. A null id or one that does not open gives message 150 and false;
// an object that is no material raises the SDK's wrong-class error.
bool openMaterialEditor(const OdDbObjectId& material);

// Closes the Texture editor when it exists.
void closeTextureEditor();
} // namespace meui
