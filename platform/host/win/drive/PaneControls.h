// The common controls inside a docked pane as a user sees them: its list
// view and its toolbar. Scripts find places in them (ITEM, EMPTY, BUTTON,
// EDITOR) and DUMP describes them; both read the controls only through
// their own messages, as any program could.
//
//   paneList, paneToolbar   the pane's list view / toolbar, or null
//   listItemText            an item's whole text, however long
//   shownToolTip, toolTipText  the tip a control shows now, and its text
//   addPaneControlPlaces    registers ITEM, EMPTY, BUTTON and EDITOR
//   writePaneControls       DUMP of a pane's toolbar, tool tip, list, previews and
//                           what the module's windows answer to the state query
//   writeMenus, writeTimings  DUMP of the pop-up menus shown and of TIME
//   writeMenuItems          DUMP of a menu's items as they would show now
//   TimingClock             a timing of TIME: wall and thread CPU time
//   addTimeCommand          TIME command...: how long a command takes
//   queueThumbnailWait      WAIT THUMBNAILS: until the browser's thumbnails are all drawn
#pragma once

#include "Gestures.h"
#include "JsonWriter.h"
#include "Script.h"

#include "../core/HostRuntime.h"

#include <windows.h>

#include <chrono>
#include <functional>

namespace host
{
HWND paneList(HWND pane);
HWND paneToolbar(HWND pane);
OdString listItemText(HWND list, int index);
// A tool tip window on the screen whose tip is for one of the control's
// tools: the control's own (TB_GETTOOLTIPS), or any other tip window; null
// when none shows.
HWND shownToolTip(HWND control);
// The whole text a tip window shows.
OdString toolTipText(HWND tips);

void addPaneControlPlaces();

// Adds "toolbar", "toolTip", "list", "preview", "mapPreview" and
// "editorListeners" to the pane's open JSON object, each only when the pane
// has that control or answers that query.
void writePaneControls(JsonWriter& json, HWND pane);
void writeMenus(JsonWriter& json, const std::vector<MenuRecord>& menus);
// The menu's items as an array: command, text, enabled, checked; separators as such.
void writeMenuItems(JsonWriter& json, HMENU menu);
void writeTimings(JsonWriter& json, const std::vector<TimingRecord>& timings);
// The process's private memory now and its largest working set so far.
void writeMemory(JsonWriter& json);

// The wall-clock and thread CPU time from its start; record() adds it to
// the host's timings (`timings` in DUMP) under a name.
class TimingClock
{
public:
  TimingClock();
  void record(const OdString& what) const;

private:
  std::chrono::steady_clock::time_point m_start;
  double m_cpuStart;
};

// TIME command...: runs the command through the interpreter, then lets every
// window paint what the command left to paint (paintPending), and records
// the time from start to the last paint. A gesture's steps are timed one by
// one as they are sent (Gestures::timeStepsFrom), not their queuing.
// When the browser shows placeholders in sight afterwards, the timing goes on
// until they have their thumbnails.
void addTimeCommand(ScriptInterpreter& interpreter, Gestures& gestures, std::function<void()> paintPending);

// WAIT THUMBNAILS [INSIGHT] [ms]: the script goes on once the browser has
// every thumbnail, or those of the items in sight (no browser: at once);
// the line fails after ms.
constexpr UINT kDefaultThumbnailWaitMs = 60000;
void queueThumbnailWait(Gestures& gestures, ScriptArgs& args);
} // namespace host
