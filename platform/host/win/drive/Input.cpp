#include "Input.h"

#include "Script.h"
#include "win32/Clipboard.h"

#include <cwctype>
#include <utility>

namespace host
{
namespace
{
const std::pair<const wchar_t*, WORD> kKeys[] = {
  {L"ENTER", VK_RETURN}, {L"ESC", VK_ESCAPE},  {L"TAB", VK_TAB},   {L"UP", VK_UP},         {L"DOWN", VK_DOWN},
  {L"LEFT", VK_LEFT},    {L"RIGHT", VK_RIGHT}, {L"HOME", VK_HOME}, {L"END", VK_END},       {L"PGUP", VK_PRIOR},
  {L"PGDN", VK_NEXT},    {L"F2", VK_F2},       {L"F4", VK_F4},     {L"DELETE", VK_DELETE}, {L"BACKSPACE", VK_BACK},
  {L"SPACE", VK_SPACE},  {L"F10", VK_F10},     {L"APPS", VK_APPS}, {L"F6", VK_F6},
};

INPUT keyInput(WORD key, bool down)
{
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  // Arrows and the editing block are extended keys on a real keyboard.
  switch (key)
  {
  case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END:
  case VK_PRIOR: case VK_NEXT: case VK_DELETE: case VK_APPS:
    input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    break;
  default:
    break;
  }
  return input;
}

INPUT mouseInput(DWORD flags)
{
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  return input;
}

bool sendAll(std::vector<INPUT>& inputs)
{
  if (inputs.empty())
    return true;
  const UINT sent = SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
  const bool ok = sent == inputs.size();
  inputs.clear();
  return ok;
}
} // namespace

KeyChord keyByName(const OdString& name)
{
  KeyChord chord;
  OdString rest = name;
  for (;;)
  {
    const int plus = rest.find(L'+');
    if (plus <= 0)
      break;
    const OdString modifier = rest.left(plus);
    if (modifier.iCompare(L"SHIFT") == 0)
      chord.shift = true;
    else if (modifier.iCompare(L"CTRL") == 0)
      chord.control = true;
    else if (modifier.iCompare(L"ALT") == 0)
      chord.alt = true;
    else
      throw ScriptError(OdString::format(L"unknown modifier \"%s\" (SHIFT, CTRL or ALT)", modifier));
    rest = rest.mid(plus + 1);
  }
  for (const auto& [keyName, key] : kKeys)
    if (rest.iCompare(keyName) == 0)
    {
      chord.key = key;
      return chord;
    }
  // A single letter or digit names its own key.
  if (rest.getLength() == 1 && std::iswalnum(rest[0]) && rest[0] < 0x80)
  {
    chord.key = WORD(std::towupper(rest[0]));
    return chord;
  }
  OdString known;
  for (const auto& entry : kKeys)
    known += OdString(known.isEmpty() ? L"" : L" ") + entry.first;
  throw ScriptError(OdString::format(L"unknown key \"%s\"; keys: %s, a letter or a digit, with SHIFT+, CTRL+ or ALT+",
                                     name, known));
}

InputBatch& InputBatch::moveTo(POINT screen)
{
  // Absolute coordinates are in 1/65535 of the primary screen; the exact
  // pixel is set with SetCursorPos when the batch is sent.
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input = mouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
  input.mi.dx = width > 1 ? LONG((screen.x * 65535LL + (width - 1) / 2) / (width - 1)) : 0;
  input.mi.dy = height > 1 ? LONG((screen.y * 65535LL + (height - 1) / 2) / (height - 1)) : 0;
  add(input);
  m_events.push_back({Event::Kind::Cursor, INPUT{}, screen, {}});
  return *this;
}

InputBatch& InputBatch::button(MouseButton button, bool down)
{
  DWORD flags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  if (button == MouseButton::Right)
    flags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  else if (button == MouseButton::Middle)
    flags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
  add(mouseInput(flags));
  return *this;
}

InputBatch& InputBatch::hold(const Modifiers& modifiers, bool down)
{
  if (modifiers.control)
    add(keyInput(VK_CONTROL, down));
  if (modifiers.shift)
    add(keyInput(VK_SHIFT, down));
  return *this;
}

InputBatch& InputBatch::wheel(bool away)
{
  INPUT input = mouseInput(MOUSEEVENTF_WHEEL);
  input.mi.mouseData = DWORD(away ? WHEEL_DELTA : -WHEEL_DELTA);
  add(input);
  return *this;
}

InputBatch& InputBatch::key(const KeyChord& chord)
{
  std::vector<WORD> modifiers;
  if (chord.control)
    modifiers.push_back(VK_CONTROL);
  if (chord.shift)
    modifiers.push_back(VK_SHIFT);
  if (chord.alt)
    modifiers.push_back(VK_MENU);
  for (WORD modifier : modifiers)
    add(keyInput(modifier, true));
  add(keyInput(chord.key, true));
  add(keyInput(chord.key, false));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
    add(keyInput(*it, false));
  return *this;
}

InputBatch& InputBatch::text(const OdString& text)
{
  for (int i = 0; i < text.getLength(); ++i)
    for (bool down : {true, false})
    {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = WORD(text[i]);
      input.ki.dwFlags = KEYEVENTF_UNICODE | (down ? 0 : KEYEVENTF_KEYUP);
      add(input);
    }
  return *this;
}

InputBatch& InputBatch::paste(const OdString& text)
{
  m_events.push_back({Event::Kind::Clipboard, INPUT{}, {}, text.c_str()});
  KeyChord ctrlV;
  ctrlV.key = 'V';
  ctrlV.control = true;
  return key(ctrlV);
}

bool InputBatch::send() const
{
  std::vector<INPUT> pending;
  bool ok = true;
  for (const Event& event : m_events)
  {
    switch (event.kind)
    {
    case Event::Kind::Input: pending.push_back(event.input); continue;
    case Event::Kind::Cursor:
      // The move so far, then the exact pixel before whatever follows.
      ok = sendAll(pending) && ok;
      ok = SetCursorPos(event.cursor.x, event.cursor.y) && ok;
      break;
    case Event::Kind::Clipboard:
    {
      ok = sendAll(pending) && ok;
      // The clipboard needs a window of this thread as its owner: the top
      // window of the one with the focus, where the paste goes.
      HWND focus = GetFocus();
      HWND owner = focus ? GetAncestor(focus, GA_ROOT) : GetActiveWindow();
      ok = owner && win::setClipboardText(owner, event.clipboard) && ok;
      break;
    }
    }
  }
  return sendAll(pending) && ok;
}
} // namespace host
