// Proves that the Wine harness gives tests real Win32 windows: a top-level window
// is painted through the message loop, GDI output reaches the display, and the
// common controls work.
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/MessagePump.h"

#include <string>

namespace {

constexpr COLORREF kPaintColour = RGB(0x20, 0x80, 0xC0);
constexpr wchar_t kClassName[] = L"MeSmokeTestWindow";

struct PaintLog {
  int paints = 0;
};

LRESULT CALLBACK SmokeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      const win::PaintDc dc(hwnd);
      RECT rc;
      GetClientRect(hwnd, &rc);
      const win::Brush brush(CreateSolidBrush(kPaintColour));
      FillRect(dc.get(), &rc, brush.get());
      if (auto* log = reinterpret_cast<PaintLog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
        ++log->paints;
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Registers the test window class for the lifetime of a test.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = SmokeWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kClassName;
    ASSERT_NE(RegisterClassW(&wc), 0) << "RegisterClassW failed: " << GetLastError();
  }

  void TearDown() override {
    m_hwnd.reset();
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
  }

  HWND CreateTopLevel(PaintLog* log) {
    m_hwnd.attach(CreateWindowExW(0, kClassName, L"smoke", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  40, 40, 320, 240, nullptr, nullptr, GetModuleHandleW(nullptr), log));
    return m_hwnd.get();
  }

  win::Window m_hwnd;
};

TEST_F(WindowTest, PaintArrivesThroughMessageLoopAndReachesTheScreen) {
  PaintLog log;
  HWND hwnd = CreateTopLevel(&log);
  ASSERT_NE(hwnd, nullptr) << "CreateWindowExW failed: " << GetLastError();
  EXPECT_TRUE(IsWindowVisible(hwnd));

  ASSERT_TRUE(pumpUntil([&] { return log.paints > 0; })) << "no WM_PAINT arrived";

  // A second invalidation must paint again, through the queue, not synchronously.
  const int before = log.paints;
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_EQ(log.paints, before);
  ASSERT_TRUE(pumpUntil([&] { return log.paints > before; })) << "invalidation not repainted";

  // Read the pixel back from the window: fails if drawing never reaches the X server.
  const win::ClientDc dc(hwnd);
  ASSERT_TRUE(dc);
  EXPECT_EQ(GetPixel(dc.get(), 160, 100), kPaintColour);
}

TEST_F(WindowTest, PostedMessagesArriveInOrder) {
  PaintLog log;
  HWND hwnd = CreateTopLevel(&log);
  ASSERT_NE(hwnd, nullptr);
  for (WPARAM i = 0; i < 5; ++i) ASSERT_TRUE(PostMessageW(hwnd, WM_APP, i, 0));

  std::wstring seen;
  MSG msg;
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (seen.size() < 5 && GetTickCount64() < deadline) {
    if (PeekMessageW(&msg, hwnd, WM_APP, WM_APP, PM_REMOVE))
      seen += static_cast<wchar_t>(L'0' + msg.wParam);
    else
      Sleep(10);
  }
  EXPECT_EQ(seen, L"01234");
}

TEST_F(WindowTest, ListViewChildHoldsItemsAndColumns) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&icc));

  PaintLog log;
  HWND parent = CreateTopLevel(&log);
  ASSERT_NE(parent, nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT,
                              0, 0, 300, 200, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(list, nullptr) << "list-view not created: " << GetLastError();
  EXPECT_EQ(GetParent(list), parent);

  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 120;
  col.pszText = const_cast<wchar_t*>(L"Material");
  ASSERT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col)), 0);

  const wchar_t* names[] = {L"Global", L"Brick", L"Oak \u00e9b\u00e8ne"};
  for (int i = 0; i < 3; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<wchar_t*>(names[i]);
    ASSERT_EQ(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)), i);
  }
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);

  // Non-ASCII text must survive the round trip through the control.
  wchar_t buf[64] = {};
  LVITEMW get{};
  get.iSubItem = 0;
  get.pszText = buf;
  get.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&get));
  EXPECT_STREQ(buf, names[2]);

  ASSERT_TRUE(SendMessageW(list, LVM_DELETEITEM, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);

  EXPECT_TRUE(pumpUntil([&] { return log.paints > 0; }));
}

}  // namespace
