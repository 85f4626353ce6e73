// Opening a material for the Material editor: the one rule for an id that
// names no material, for the palette's opening and its switches alike.
#pragma once

#include "od/DbObjectId.h"
#include "od/OdString.h"

namespace me
{
// The name of the material behind the id; false for a null id, an erased
// object, one of a closed drawing and an object that is no material.
bool materialName(const OdDbObjectId& id, OdString& name);

// As materialName, and where it answers false message 150 (stop icon):
// what the user asked to edit cannot be edited.
bool materialToEdit(const OdDbObjectId& id, OdString& name);
} // namespace me
