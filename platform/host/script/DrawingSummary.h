// DrawingSummary: what the host's main window shows of the current
// document, so that a user at the command line knows what to name: the
// materials (the current one marked), the objects of model space with their
// handle, kind, material and layer (selected ones marked), and the
// selection.
#pragma once

#include "od/OdSdk.h"

#include <vector>

namespace host
{
std::vector<OdString> describeDrawing(OdDbDatabase* database, const OdString& title, const OdDbObjectIdArray& selection);
} // namespace host
