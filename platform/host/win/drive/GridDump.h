// What the property grid work adds to the host's session: the THEME verb,
// and the DUMP keys of the grid services (colour dialogs, custom colours,
// events, the theme). The grid places and the grids of each pane come with
// the grid's own gesture places.
#pragma once

#include "JsonWriter.h"
#include "Script.h"

#include "../core/HostRuntime.h"

#include <windows.h>

#include <vector>

class CInspectorCtrl;

namespace host
{
class Gestures;

// THEME LIGHT | DARK | SYSTEM, the grid places ROW and EDITOR and the verb
// CHOOSE (GridPlaces.cpp).
void addGridCommands(ScriptInterpreter& interpreter, HostRuntime& runtime, Gestures& gestures);
void addGridPlaces(ScriptInterpreter& interpreter, Gestures& gestures);
// The grids in a pane, and the pane's "grids" key of DUMP (none without grids).
std::vector<CInspectorCtrl*> gridsIn(HWND pane);
void dumpPaneGrids(JsonWriter& json, HWND pane);
// Top-level keys: "theme", "colorDialogs", "customColors", "events".
void dumpGridServices(JsonWriter& json, HostRuntime& runtime);
} // namespace host
