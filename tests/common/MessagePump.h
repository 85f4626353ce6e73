// Dispatching the window messages of a test's thread (Windows only).
#pragma once

#include <windows.h>

// Dispatches every message waiting in the queue.
inline void pumpMessages()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
  {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Dispatches messages until done() holds or the time runs out; a hung display
// must fail the test, not the ctest timeout.
template <typename Done>
bool pumpUntil(Done done, DWORD timeoutMs = 10000)
{
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done())
  {
    if (GetTickCount64() > deadline)
      return false;
    pumpMessages();
    if (done())
      break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return true;
}
