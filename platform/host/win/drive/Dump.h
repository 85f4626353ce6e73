// The DUMP of a running host: its documents, commands, profile, palettes and
// what modules asked of it, as one JSON document. Keys are stable; later
// needs add keys, never rename them.
#pragma once

#include "od/OdString.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace host
{
class HostRuntime;
class JsonWriter;

// A module the host loaded: its file and the name it gave.
struct LoadedModule
{
  OdString path;
  OdString name;
};

// The host's own window as the user sees it, and what its menu bar ran.
struct FrameState
{
  HWND window = nullptr;
  OdString status;
  std::vector<OdString> menuCommands;
  std::vector<OdString> objectList; // the lines of the list beside the model
  std::vector<LoadedModule> modules;
};

// writeView writes the value of "view": the shaded model view.
std::string dumpJson(HostRuntime& runtime, const FrameState& frame,
                     const std::function<void(JsonWriter&)>& writeView = nullptr);
} // namespace host
