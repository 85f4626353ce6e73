// The pop-up menu seam of hostutils.dll: hostTrackPopupMenu.
//
// The real menu always opens and is recorded for DUMP. In a scripted run a
// queued ANSWER MENU id is given as a user gives it: once the menu shows,
// the pointer moves onto that item and clicks it (real input, so the menu
// closes and sends its command as it would for a hand). ANSWER CANCEL, or no
// answer at all, presses Escape. An answer the menu cannot take (no such
// command, or a greyed one) cancels the menu and says why in the record.
#include "../core/HostRuntime.h"

#include <windows.h>

using host::DialogAnswer;
using host::DialogKind;
using host::hostRuntime;
using host::MenuRecord;

namespace
{
// Time for the menu to show and paint before it is answered; how often and
// how long to look for it.
constexpr UINT kLookEveryMs = 50;
constexpr int kMaxLooks = 100;

struct Pending
{
  HMENU menu = nullptr;
  DialogAnswer answer;
  DialogAnswer run; // ANSWER RUN: its line runs once the menu shows
  MenuRecord* record = nullptr;
  int looks = 0;
};
Pending* g_pending = nullptr;
UINT_PTR g_timer = 0;

std::vector<MenuRecord::Item> itemsOf(HMENU menu)
{
  std::vector<MenuRecord::Item> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
  {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &info))
      continue;
    MenuRecord::Item item;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    if (!item.separator)
    {
      std::wstring text(info.cch + 1, L'\0');
      info.dwTypeData = &text[0];
      info.cch += 1;
      GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
      item.id = info.wID;
      item.text = OdString(text.c_str());
      item.enabled = (info.fState & (MFS_GRAYED | MFS_DISABLED)) == 0;
      item.checked = (info.fState & MFS_CHECKED) != 0;
    }
    items.push_back(item);
  }
  return items;
}

int positionOf(HMENU menu, unsigned id)
{
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
    if (GetMenuItemID(menu, i) == id)
      return i;
  return -1;
}

void pressEscape()
{
  INPUT keys[2]{};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

void clickAt(POINT screen)
{
  SetCursorPos(screen.x, screen.y);
  INPUT buttons[2]{};
  buttons[0].type = buttons[1].type = INPUT_MOUSE;
  buttons[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  buttons[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, buttons, sizeof(INPUT));
}

void cancel(Pending& pending, const OdString& problem)
{
  pending.record->problem = problem;
  pressEscape();
}

void CALLBACK answerMenu(HWND, UINT, UINT_PTR, DWORD)
{
  KillTimer(nullptr, g_timer);
  g_timer = 0;
  Pending* pending = g_pending;
  if (!pending)
    return;
  // The menu is a window of its own; answer it only once it is on the screen.
  HWND shown = FindWindowW(L"#32768", nullptr);
  if (!shown || !IsWindowVisible(shown))
  {
    if (++pending->looks < kMaxLooks)
      g_timer = SetTimer(nullptr, 0, kLookEveryMs, answerMenu);
    else
    {
      pending->record->problem = L"the menu did not show";
      EndMenu();
    }
    return;
  }
  g_pending = nullptr; // answered once
  hostRuntime().runQueuedLine(pending->run);
  if (hostRuntime().closing())
    return; // the line's close request has ended the menu
  if (!pending->answer.screenshot.isEmpty())
  {
    OdString error = L"this host takes no pictures of the display";
    auto& capture = hostRuntime().captureScreen;
    if (!capture || !capture(pending->answer.screenshot, error))
      pending->record->problem = error;
  }
  if (pending->answer.kind != DialogAnswer::Kind::Menu)
  {
    pressEscape();
    return;
  }
  const unsigned id = unsigned(pending->answer.menuId);
  const int position = positionOf(pending->menu, id);
  if (position < 0)
    return cancel(*pending, OdString::format(L"the menu has no command %d", int(id)));
  if (GetMenuState(pending->menu, UINT(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))
    return cancel(*pending, OdString::format(L"the command %d is greyed in this menu", int(id)));
  RECT item{};
  if (!GetMenuItemRect(nullptr, pending->menu, UINT(position), &item))
    return cancel(*pending, OdString::format(L"the item of command %d cannot be found on the screen", int(id)));
  clickAt(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
}
} // namespace

extern "C" {
__declspec(dllexport) unsigned hostTrackPopupMenu(void* menuHandle, unsigned flags, int x, int y, void* owner)
{
  auto& runtime = hostRuntime();
  HMENU menu = static_cast<HMENU>(menuHandle);
  if (!menu || !IsMenu(menu) || runtime.closing())
    return 0;
  MenuRecord record;
  record.items = itemsOf(menu);

  Pending pending;
  pending.menu = menu;
  pending.record = &record;
  if (runtime.scripted())
    runtime.takeRun(pending.run);
  const bool answered = runtime.takeAnswer(DialogKind::Menu, pending.answer);
  // A script that queued nothing gets the harmless choice: the menu is shown
  // and cancelled, so nothing waits for a user.
  if (answered || runtime.scripted())
  {
    if (!answered)
      pending.answer.kind = DialogAnswer::Kind::Cancel;
    g_pending = &pending;
    g_timer = SetTimer(nullptr, 0, kLookEveryMs, answerMenu);
  }
  UINT chosen = 0;
  {
    host::ModalScope modal;
    chosen = UINT(TrackPopupMenuEx(menu, flags | TPM_RETURNCMD, x, y, static_cast<HWND>(owner), nullptr));
  }
  if (g_timer)
    KillTimer(nullptr, g_timer);
  g_timer = 0;
  g_pending = nullptr;

  record.answer = int(chosen);
  runtime.menus.push_back(record);
  // What TrackPopupMenuEx does without TPM_RETURNCMD: the command goes to
  // the owner as a posted WM_COMMAND.
  if (!(flags & TPM_RETURNCMD))
  {
    if (chosen && owner)
      PostMessageW(static_cast<HWND>(owner), WM_COMMAND, WPARAM(chosen), 0);
    return chosen ? 1u : 0u;
  }
  return chosen;
}
}
