// FrameGestures: verbs that work the host's own window as a user does, with
// real clicks (Gestures.h), never by sending its commands.
//
//   MENU "bar item" "item"   a click on the menu bar's item, then one on the
//                            item of the menu that drops down
//   FRAME CLOSE              a click on the window's close button
#pragma once

#include "Gestures.h"

#include <functional>

namespace host
{
// frame gives the host's main window when a verb runs.
void addFrameGestures(ScriptInterpreter& interpreter, Gestures& gestures, std::function<HWND()> frame);
} // namespace host
