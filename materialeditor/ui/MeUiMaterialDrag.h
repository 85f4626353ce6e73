// MeUiMaterialDrag: a material dragged from the browser's list with OLE drag
// and drop, carrying the drawing's identity and the material's handle in the
// host's registered format (host/MaterialDrop.h). The host's view takes the
// drop and applies the material to the entity under it; the module never
// reaches into the view. The step the drop made is named "Apply material".
#pragma once

#include "od/DbObjectId.h"

namespace meui
{
// Runs the drag until the button is let go or Esc gives it up (a modal
// loop: the drawing may change meanwhile). True when a target took it.
bool dragMaterial(const OdDbObjectId& material);
} // namespace meui
