// Opening a material for the Material editor: what openMaterialEditor does
// beyond its palette's window.
#pragma once

#include "od/DbObjectId.h"

namespace me
{
// Message 150 (stop icon) and false for a null id or one that does not open
// for read. An object that is no material raises the SDK's wrong-class error
// to the caller. Otherwise the material editor (service 4) opens the
// material, and the answer is true.
bool openMaterialForEditor(const OdDbObjectId& material);
} // namespace me
