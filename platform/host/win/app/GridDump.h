// What the property grid work adds to the host's session: the THEME verb,
// and the DUMP keys of the grid services (colour dialogs, custom colours,
// events, the theme). The grid places and the grids of each pane come with
// the grid's own gesture places.
#pragma once

#include "JsonWriter.h"
#include "Script.h"

#include "../core/HostRuntime.h"

namespace host
{
// THEME LIGHT | DARK | SYSTEM
void addGridCommands(ScriptInterpreter& interpreter, HostRuntime& runtime);
// Top-level keys: "theme", "colorDialogs", "customColors", "events".
void dumpGridServices(JsonWriter& json, HostRuntime& runtime);
} // namespace host
