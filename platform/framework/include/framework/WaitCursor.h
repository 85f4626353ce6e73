// fw::CWaitCursor: the hourglass for a scope of long work on the user
// interface thread, then the cursor as it was.
#pragma once

#include <windows.h>

namespace fw
{
class CWaitCursor
{
public:
  CWaitCursor() : m_previous(SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))) {}
  ~CWaitCursor() { SetCursor(m_previous); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
  HCURSOR m_previous;
};
} // namespace fw
