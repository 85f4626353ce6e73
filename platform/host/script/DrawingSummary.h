// DrawingSummary: what the host's main window shows of the current
// document, so that a user at the command line knows what to name: the
// materials (the current one marked), the objects of model space with their
// handle, kind, material and layer (selected ones marked), a line for each
// type of the entities kept but not shown, and the selection.
#pragma once

#include "JsonWriter.h"
#include "KeptEntities.h"

#include "od/OdSdk.h"

#include <vector>

namespace host
{
std::vector<OdString> describeDrawing(OdDbDatabase* database, const OdString& title, const OdDbObjectIdArray& selection,
                                      const EntityCounts& kept = EntityCounts());

// For DUMP, into the open object of a document: "layers" (name and material
// of each layer) and "entities" (handle, kind, material and layer of each
// object of model space the host shows) and "groups" (name, handle and
// members of each). A material that is no longer there is null.
void writeDrawingObjects(JsonWriter& json, OdDbDatabase* database);
} // namespace host
