// Real input, as a user gives it: the cursor really moves, and buttons,
// wheel notches and keys go through SendInput, so the window under the
// pointer (or with the focus) gets the messages the system makes of them:
// hit testing, capture, WM_SETCURSOR, double clicks, focus changes.
//
//   InputBatch   events sent together with one SendInput call (a paste puts
//                its text on the clipboard first)
//   keyByName    "ENTER", "ALT+DOWN"... to a key chord
#pragma once

#include "od/OdString.h"

#include <windows.h>

#include <string>
#include <vector>

namespace host
{
enum class MouseButton
{
  Left,
  Right,
  Middle,
};

// Keys held down around a click or a drag.
struct Modifiers
{
  bool shift = false, control = false;
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
  // The modifier keys pressed (down) or let go, as a hand holds them
  // around a click or a drag.
  InputBatch& hold(const Modifiers& modifiers, bool down);
  // One notch; away from the user is a positive delta.
  InputBatch& wheel(bool away);
  InputBatch& key(const KeyChord& chord);
  // The text's characters as typed (Unicode input, one press each).
  InputBatch& text(const OdString& text);
  // The text put on the clipboard as CF_UNICODETEXT when the batch is sent,
  // then Ctrl+V, as a user pastes.
  InputBatch& paste(const OdString& text);

  bool empty() const { return m_events.empty(); }
  // Sends everything; false when the system took fewer events than given.
  bool send() const;

private:
  // An input event, or what is done between two of them: the exact cursor
  // position set, or a text put on the clipboard.
  struct Event
  {
    enum class Kind
    {
      Input,
      Cursor,
      Clipboard,
    } kind;
    INPUT input;
    POINT cursor;
    std::wstring clipboard;
  };
  void add(const INPUT& input) { m_events.push_back({Event::Kind::Input, input, {}, {}}); }

  std::vector<Event> m_events;
};
} // namespace host
