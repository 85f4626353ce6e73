#include "OtherApplication.h"

#include <atomic>

namespace host
{
namespace
{
constexpr int kSize = 120;
const wchar_t kClass[] = L"HostOtherApplication";

std::atomic<HWND> g_window{nullptr};
DWORD g_thread = 0;
HANDLE g_ready = nullptr;

LRESULT CALLBACK otherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_DESTROY)
    PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI otherThread(void*)
{
  WNDCLASSW wc{};
  wc.lpfnWndProc = otherProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  const int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
  HWND window = CreateWindowExW(0, kClass, L"Other application", WS_POPUP | WS_BORDER | WS_VISIBLE, right - kSize,
                                bottom - kSize, kSize, kSize, nullptr, nullptr, wc.hInstance, nullptr);
  g_window = window;
  SetEvent(g_ready);
  if (!window)
    return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0)
  {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  g_window = nullptr;
  return 0;
}
} // namespace

HWND otherApplicationWindow()
{
  if (g_window)
    return g_window;
  if (g_thread)
    return nullptr; // made once and failed, or closed
  g_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, otherThread, nullptr, 0, &g_thread);
  if (!thread)
    return nullptr;
  CloseHandle(thread);
  WaitForSingleObject(g_ready, 5000);
  return g_window;
}

bool otherApplicationMade() { return g_window != nullptr; }

bool otherApplicationActive()
{
  HWND window = g_window;
  return window && GetForegroundWindow() == window;
}

void closeOtherApplication()
{
  if (HWND window = g_window)
    PostMessageW(window, WM_CLOSE, 0, 0);
}
} // namespace host
