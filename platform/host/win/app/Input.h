// Real input, as a user gives it: the cursor really moves, and buttons,
// wheel notches and keys go through SendInput, so the window under the
// pointer (or with the focus) gets the messages the system makes of them:
// hit testing, capture, WM_SETCURSOR, double clicks, focus changes.
//
//   InputBatch   events sent together with one SendInput call
//   keyByName    "ENTER", "ALT+DOWN"... to a key chord
#pragma once

#include "od/OdString.h"

#include <windows.h>

#include <vector>

namespace host
{
enum class MouseButton
{
  Left,
  Right,
};

// A key with the modifiers held around it.
struct KeyChord
{
  WORD key = 0;
  bool shift = false, control = false, alt = false;
};

// Throws ScriptError naming the known keys when the name is none of them.
KeyChord keyByName(const OdString& name);

class InputBatch
{
public:
  // Moves the cursor to a screen point (absolute, so the point is exact).
  InputBatch& moveTo(POINT screen);
  InputBatch& button(MouseButton button, bool down);
  InputBatch& click(MouseButton button) { return this->button(button, true).button(button, false); }
  // One notch; away from the user is a positive delta.
  InputBatch& wheel(bool away);
  InputBatch& key(const KeyChord& chord);
  // The text's characters as typed (Unicode input, one press each).
  InputBatch& text(const OdString& text);

  bool empty() const { return m_events.empty(); }
  // Sends everything; false when the system took fewer events than given.
  bool send() const;

private:
  // An input event, or the exact cursor position to set before the next one.
  struct Event
  {
    INPUT input;
    bool setCursor;
    POINT cursor;
  };
  void add(const INPUT& input) { m_events.push_back({input, false, {}}); }

  std::vector<Event> m_events;
};
} // namespace host
