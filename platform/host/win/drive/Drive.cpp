#include "Drive.h"

#include "FrameGestures.h"
#include "GridDump.h"
#include "PaneControls.h"
#include "Screenshot.h"

#include "host/FileSystem.h"

namespace host
{
void addDriveCommands(ScriptInterpreter& interpreter, HostRuntime& runtime, Gestures& gestures, DrivenHost host)
{
  gestures.addCommands(interpreter);
  addFrameGestures(interpreter, gestures, host.frame);
  addGridCommands(interpreter, runtime, gestures);
  // After the grid's places: the list's EDITOR falls back to the grid's.
  addPaneControlPlaces();
  // Painting belongs to the time of a command: a list is not shown until it is drawn.
  addTimeCommand(interpreter, gestures, [frame = host.frame] {
    if (HWND window = frame())
      RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  });
  interpreter.add(L"DUMP", [&runtime, host](ScriptArgs& args) {
    const OdString path = args.next(L"file");
    args.expectEnd();
    OdString error;
    if (!writeFileAtomically(path, dumpJson(runtime, host.frameState(), host.writeView), &error))
      throw ScriptError(error);
  });
  // SCREENSHOT file [SCREEN]: the host window, or the whole display (with
  // windows of their own such as pop-up menus and tool tips).
  interpreter.add(L"SCREENSHOT", [host](ScriptArgs& args) {
    const OdString path = args.next(L"file");
    const bool screen = args.nextIs(L"SCREEN");
    args.expectEnd();
    if (!host.picturesReady())
      throw ScriptError(L"GDI+ did not start");
    OdString error;
    if (!(screen ? saveScreenPng(path, error) : saveWindowPng(host.frame(), path, error)))
      throw ScriptError(error);
  });
}
} // namespace host
