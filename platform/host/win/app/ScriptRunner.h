// ScriptRunner: a script's lines, one per trip through the message loop so
// that windows get their messages between lines, and the input its verbs
// queue (Gestures.h), one step at a time once the last has been handled.
// The command line and the menu bar run their lines through it too, and
// an ANSWER RUN's line while its dialog is up.
#pragma once

#include "MainWindow.h"
#include "Script.h"

#include "../core/HostRuntime.h"
#include "../drive/Gestures.h"

#include <functional>
#include <vector>

namespace host
{
class ScriptRunner
{
public:
  struct Hooks
  {
    // One line as one undo step; false with the error when it failed.
    std::function<bool(const OdString& line, OdString& error)> runLine;
    std::function<void(const OdString& message)> fail; // counts as a failure of the run
    std::function<void()> refresh;
    // After a line: carries out a QUIT it asked for. False when the host
    // ends, or waits for a modal loop to end before it does.
    std::function<bool()> afterLine;
  };

  ScriptRunner(HostRuntime& runtime, MainWindow& window, Gestures& gestures, Hooks hooks);

  // Reads the script; says why and gives false when it cannot.
  bool load(const OdString& path);
  void start();
  // Stops the script and drops queued input; end() for good, as the host ends.
  void stop();
  void end();
  // Goes on with the script after a pause (closes carried out).
  void resume();

  // The window's step message, its settle and wait timers.
  void step();
  void settled();
  void waitOver();
  // WAIT: the message loop runs on meanwhile.
  void wait(UINT milliseconds);
  // Each message the loop has dispatched, for the timing of a step (TIME).
  void messageHandled(const MSG& message) { m_gestures.messageHandled(message); }

  // A line typed on the command line or stood for by a menu item: a
  // refusal goes to the status line, not to the run's failures.
  void runCommandLine(const OdString& line);
  // An ANSWER RUN's line, run while its dialog or menu is up.
  void runAnsweredLine(const DialogAnswer& run);

  // Whether the line running is a script's, not the user's.
  bool scriptLine() const { return m_scriptLine; }
  // The script's line running now, 0 outside one.
  int lineNumber() const;

private:
  HostRuntime& m_runtime;
  MainWindow& m_window;
  Gestures& m_gestures;
  Hooks m_hooks;

  OdString m_name;
  std::vector<ScriptLine> m_lines;
  std::size_t m_next = 0;
  bool m_running = false;
  bool m_waiting = false;
  bool m_inLine = false;     // a line is running; a nested loop must not start the next
  bool m_scriptLine = false; // the line running is a script's, not the user's
  bool m_ended = false;
};
} // namespace host
