// Entities a drawing file held that the host does not show: types the
// drawing model does not know, kept so that a save can write them back.
// What the host says of them (the status line, the object list, the
// question before a save that would leave some out) is made here.
#pragma once

#include "od/OdSdk.h"

#include <string>
#include <utility>
#include <vector>

namespace host
{
// A type as the drawing file names it ("LINE") and a count.
using EntityCounts = std::vector<std::pair<std::string, int>>;

// The kept entities of model space, paper space and every block, by type
// name; what follows one (a polyline's vertices) is part of it.
EntityCounts keptEntities(OdDbDatabase* database);
bool isKeptEntity(const OdDbObjectId& id);

// "Kept 23 entities this program does not show."; empty for none.
OdString keptEntitiesStatus(const EntityCounts& kept);
// One line of the object list a type: "LINE × 4 (kept)".
std::vector<OdString> keptEntityLines(const EntityCounts& kept);
// "Saving will leave out 3 DIMENSION and 1 VIEWPORT entities that this
// program cannot keep. Save anyway?"; empty when nothing is left out.
OdString leaveOutQuestion(const EntityCounts& leftOut);
} // namespace host
