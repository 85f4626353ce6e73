// What uses a material, found by id for the browser's Select Objects and
// Remove Unused Materials. Every walk uses an explicit stack and meets each
// block definition once, however often it is inserted.
//
//   selectableUsers   the model-space entities a material's Select Objects selects
//   unusedMaterials   the materials Remove Unused Materials removes, in one pass
//   removeUnusedMaterials  the question, then the removal as one undo step
#pragma once

#include "od/DbDatabase.h"

#include <vector>

namespace me
{
class IMeManager;

// The model-space entities whose own material is this one, and the
// model-space block references whose block holds such an entity at any
// depth; each once, in model-space order. A by-layer or by-block entity uses
// its layer's or block's material, not this one, and does not count.
OdDbObjectIdArray selectableUsers(OdDbDatabase* database, const OdDbObjectId& materialId);

// The materials of the drawing that no entity (of model space, paper space
// or any block, kept entities of other programs included) and no layer
// uses, that are not standard and not current (CMATERIAL), in the
// dictionary's order: one walk over the drawing, whatever the number of
// materials. standard lists the standard materials' ids.
std::vector<OdDbObjectId> unusedMaterials(OdDbDatabase* database, const std::vector<OdDbObjectId>& standard);

// The same for the manager's drawing, with its standard materials; none
// without a drawing.
std::vector<OdDbObjectId> unusedMaterials(IMeManager* manager);

enum class RemoveUnusedOutcome
{
  Removed,
  Declined, // the user answered No
  None,     // nothing was unused, or no manager holds the drawing
};
// Asks once ("Remove 1 unused material?", "Remove 12 unused
// materials?") and on Yes removes every unused material of the manager's
// drawing in one undo step, "Remove unused materials".
RemoveUnusedOutcome removeUnusedMaterials();
} // namespace me
