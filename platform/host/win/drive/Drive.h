// Drive: what host.exe adds for scripts that drive it as a user does, wired
// in at one place. The verbs of real input (Gestures.h, FrameGestures.h, the
// grid's and the panes' places), TIME, DUMP and SCREENSHOT.
//
//   DrivenHost       what the running host lends the verbs
//   addDriveCommands registers them all with the script interpreter
#pragma once

#include "Dump.h"
#include "Gestures.h"

#include <windows.h>

#include <functional>

namespace host
{
class HostRuntime;
class JsonWriter;

struct DrivenHost
{
  // The host's main window when a verb runs.
  std::function<HWND()> frame;
  // The frame as DUMP describes it, taken when DUMP runs.
  std::function<FrameState()> frameState;
  // The value of DUMP's "view": the shaded model view.
  std::function<void(JsonWriter&)> writeView;
  // Whether GDI+, which encodes the pictures, started.
  std::function<bool()> picturesReady;
};

void addDriveCommands(ScriptInterpreter& interpreter, HostRuntime& runtime, Gestures& gestures, DrivenHost host);
} // namespace host
