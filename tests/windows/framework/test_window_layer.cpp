// The Win32 layer and the window base: owning handles free what they own
// exactly once and never what they were only lent; a subclassed control
// gets its own procedure back however the subclass ends; a window of ours
// is destroyed while its derived handlers still run, and an object that
// outlives the rule traps.
#include "framework/Wnd.h"
#include "win32/Dc.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
bool gdiObjectAlive(HGDIOBJ object) { return GetObjectType(object) != 0; }

win::Window makeTopLevel(const wchar_t* className = L"STATIC")
{
  return win::Window(CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
}

TEST(OwnedHandles, FreeTheirHandleOnceAndGiveItUpOnDetach)
{
  HBITMAP kept = nullptr;
  HBRUSH moved = nullptr;
  {
    win::Bitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
    ASSERT_TRUE(bitmap);
    kept = bitmap.detach();
    EXPECT_FALSE(bitmap);

    win::Brush first(CreateSolidBrush(RGB(1, 2, 3)));
    moved = first.get();
    win::Brush second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), moved);
    second = std::move(second); // no double free on self-assignment
    EXPECT_TRUE(gdiObjectAlive(moved));
  }
  EXPECT_FALSE(gdiObjectAlive(moved)) << "the brush went with its last owner";
  EXPECT_TRUE(gdiObjectAlive(kept)) << "a detached bitmap belongs to the caller";
  DeleteObject(kept);

  // Attaching frees the handle held before; attaching the same one does not.
  win::Pen pen(CreatePen(PS_SOLID, 1, 0));
  HPEN old = pen.get();
  pen.attach(old);
  EXPECT_TRUE(gdiObjectAlive(old));
  pen.attach(CreatePen(PS_DASH, 1, 0));
  EXPECT_FALSE(gdiObjectAlive(old));

  // A window already destroyed with its parent is not destroyed again.
  win::Window parent = makeTopLevel();
  win::Window child(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent.get(), nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
  const HWND childHandle = child.get();
  parent.reset();
  EXPECT_FALSE(IsWindow(childHandle));
  child.reset();
  EXPECT_FALSE(child);
}

TEST(DeviceContexts, ASelectedObjectIsDeselectedAtTheEndOfItsScope)
{
  const win::ClientDc screen(nullptr);
  ASSERT_TRUE(screen);
  const win::MemoryDc memory(CreateCompatibleDC(screen.get()));
  ASSERT_TRUE(memory);
  const HGDIOBJ stockPen = GetCurrentObject(memory.get(), OBJ_PEN);
  HPEN ours = nullptr;
  {
    const win::Pen pen(CreatePen(PS_SOLID, 3, RGB(200, 0, 0)));
    ours = pen.get();
    const win::SelectedObject selected(memory.get(), pen.get());
    EXPECT_TRUE(selected.selected());
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_PEN), ours);
  } // deselected before it is deleted: a pen still selected would not go
  EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_PEN), stockPen);
  EXPECT_FALSE(gdiObjectAlive(ours));

  const win::SelectedObject nothing(memory.get(), nullptr);
  EXPECT_FALSE(nothing.selected());
}

// An edit control that swallows 'x' and counts what it saw.
class NoXEdit : public win::TWnd<NoXEdit>
{
public:
  int seen = 0;

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    ++seen;
    if (message == WM_CHAR && wParam == L'x')
      return 0;
    return previousProc(message, wParam, lParam);
  }
};

std::wstring textOf(HWND window)
{
  wchar_t buffer[64] = L"";
  GetWindowTextW(window, buffer, 64);
  return buffer;
}

TEST(Subclassing, TheControlSeesWhatTheObjectPassesOnAndGetsItsProcedureBack)
{
  win::Window edit = makeTopLevel(L"EDIT");
  ASSERT_TRUE(edit);
  const LONG_PTR own = GetWindowLongPtrW(edit.get(), GWLP_WNDPROC);
  {
    NoXEdit noX;
    ASSERT_TRUE(noX.subclass(edit.get()));
    EXPECT_EQ(NoXEdit::fromHandle(edit.get()), &noX);
    NoXEdit second;
    EXPECT_FALSE(second.subclass(edit.get())) << "one subclass of ours per window";
    EXPECT_FALSE(noX.subclass(edit.get()));

    for (wchar_t c : std::wstring(L"axbx"))
      SendMessageW(edit.get(), WM_CHAR, c, 0);
    EXPECT_EQ(textOf(edit.get()), L"ab");
    EXPECT_GE(noX.seen, 4);
  } // the destructor puts the edit's procedure back
  EXPECT_EQ(GetWindowLongPtrW(edit.get(), GWLP_WNDPROC), own);
  EXPECT_EQ(NoXEdit::fromHandle(edit.get()), nullptr);
  SendMessageW(edit.get(), WM_CHAR, L'x', 0);
  EXPECT_EQ(textOf(edit.get()), L"abx");
}

TEST(Subclassing, ADestroyedControlEndsTheSubclassAndAForeignProcedureStaysOnTop)
{
  NoXEdit noX;
  {
    win::Window edit = makeTopLevel(L"EDIT");
    ASSERT_TRUE(noX.subclass(edit.get()));
  } // destroyed while subclassed
  EXPECT_EQ(noX.hwnd(), nullptr);

  // Someone subclasses over ours; ours then only passes messages on and
  // leaves their procedure in place.
  static WNDPROC below = nullptr;
  static int foreignSeen = 0;
  struct Foreign
  {
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
      ++foreignSeen;
      return CallWindowProcW(below, w, m, wp, lp);
    }
  };
  win::Window edit = makeTopLevel(L"EDIT");
  ASSERT_TRUE(noX.subclass(edit.get()));
  below = reinterpret_cast<WNDPROC>(
    SetWindowLongPtrW(edit.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Foreign::proc)));
  noX.unsubclass();
  EXPECT_EQ(GetWindowLongPtrW(edit.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Foreign::proc));
  const int before = noX.seen;
  SendMessageW(edit.get(), WM_CHAR, L'x', 0);
  EXPECT_EQ(textOf(edit.get()), L"x") << "the edit gets the key through the foreign procedure";
  EXPECT_EQ(noX.seen, before);
  EXPECT_GT(foreignSeen, 0);
  edit.reset(); // ends with no object to call
}

// A window of ours whose destroy handler must run.
class Logged : public fw::CWnd
{
public:
  explicit Logged(std::vector<std::string>& log) : m_log(log) {}
  ~Logged() override { destroy(); }
  bool make(HWND parent = nullptr)
  {
    const DWORD style = parent ? WS_CHILD : WS_POPUP;
    return create(L"WindowLayerTest.Logged", L"", style, 0, RECT{0, 0, 50, 50}, parent, 7);
  }

protected:
  void onPaint(HDC dc, const RECT&) override { m_log.push_back(dc ? "paint" : "paint without a DC"); }
  void onDestroy() override { m_log.push_back("destroy"); }

private:
  std::vector<std::string>& m_log;
};

TEST(WindowBase, TheOwnerDestroysTheWindowWhileItsHandlersStillRun)
{
  std::vector<std::string> log;
  {
    Logged window(log);
    ASSERT_TRUE(window.make());
    ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
    InvalidateRect(window.hwnd(), nullptr, FALSE);
    UpdateWindow(window.hwnd());
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(window.hwnd(), &pending, FALSE)) << "painting validated the window";
  }
  EXPECT_EQ(log, (std::vector<std::string>{"paint", "destroy"}));

  // Taken along by its parent: the object learns that its window is gone.
  log.clear();
  win::Window parent = makeTopLevel();
  Logged child(log);
  ASSERT_TRUE(child.make(parent.get()));
  parent.reset();
  EXPECT_FALSE(child.exists());
  EXPECT_EQ(child.hwnd(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"destroy"}));
}

// A class that forgets the rule.
class Forgetful : public fw::CWnd
{
public:
  bool make() { return create(L"WindowLayerTest.Forgetful", L"", WS_POPUP, 0, RECT{0, 0, 10, 10}, nullptr, 0); }
};

#ifndef NDEBUG
TEST(WindowBaseDeathTest, AnObjectThatOutlivesTheRuleTrapsInDebugBuilds)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
    {
      auto* forgetful = new Forgetful;
      forgetful->make();
      delete forgetful;
    },
    "destroyed before its CWnd object");
}
#endif
} // namespace
