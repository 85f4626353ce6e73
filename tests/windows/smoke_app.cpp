// A stand-in GUI program for scripts/run until the host exists: one window that
// draws a line of text from its string table.
#include <windows.h>

#include "smoke_app.h"
#include "win32/Dc.h"

namespace {

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      const win::PaintDc dc(hwnd);
      wchar_t text[256];
      if (LoadStringW(GetModuleHandleW(nullptr), IDS_SMOKE_TEXT, text, 256) == 0)
        lstrcpyW(text, L"(string resource missing)");
      RECT rc;
      GetClientRect(hwnd, &rc);
      DrawTextW(dc.get(), text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"MeSmokeApp";
  if (!RegisterClassW(&wc)) return 1;

  wchar_t title[128];
  if (LoadStringW(instance, IDS_SMOKE_TITLE, title, 128) == 0) lstrcpyW(title, L"smoke");
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
