// The clipboard, as a program puts text on it.
//
//   win::OpenedClipboard   OpenClipboard for a scope, CloseClipboard after
//   win::LockedMemory      GlobalLock for a scope, GlobalUnlock after
//   win::setClipboardText  the text as CF_UNICODETEXT
#pragma once

#include "win32/Handles.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace win
{
class OpenedClipboard
{
public:
  // The owner gets the clipboard's messages; EmptyClipboard needs one.
  explicit OpenedClipboard(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard()
  {
    if (m_open)
      CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  explicit operator bool() const { return m_open; }

private:
  bool m_open;
};

class LockedMemory
{
public:
  explicit LockedMemory(HGLOBAL memory) : m_memory(memory), m_data(memory ? GlobalLock(memory) : nullptr) {}
  ~LockedMemory()
  {
    if (m_data)
      GlobalUnlock(m_memory);
  }
  LockedMemory(const LockedMemory&) = delete;
  LockedMemory& operator=(const LockedMemory&) = delete;
  void* get() const { return m_data; }

private:
  HGLOBAL m_memory;
  void* m_data;
};

// Empties the clipboard and puts the text on it (owned by owner); false
// when the clipboard cannot be opened or the memory cannot be had.
inline bool setClipboardText(HWND owner, const std::wstring& text)
{
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory)
    return false;
  {
    LockedMemory locked(memory.get());
    if (!locked.get())
      return false;
    std::memcpy(locked.get(), text.c_str(), bytes);
  }
  OpenedClipboard clipboard(owner);
  if (!clipboard || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory.get()))
    return false;
  memory.detach(); // the clipboard's now
  return true;
}
} // namespace win
