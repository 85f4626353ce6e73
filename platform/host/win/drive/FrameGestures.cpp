#include "FrameGestures.h"

#include <algorithm>

namespace host
{
namespace
{
// "Save &As...\tCtrl+S" -> "Save As...": without the mnemonic marks and
// the shortcut shown beside it.
OdString menuItemLabel(const OdString& text)
{
  OdString label;
  for (int i = 0; i < text.getLength() && text[i] != L'\t'; ++i)
  {
    // "&" marks the next letter; "&&" shows one ampersand.
    if (text[i] == L'&' && !(i + 1 < text.getLength() && text[i + 1] == L'&'))
      continue;
    label += text[i];
    if (text[i] == L'&')
      ++i;
  }
  return label;
}

POINT centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// The position of the item with that label ("Save As..." for "Save
// &As...\tCtrl+S", without regard to case); throws ScriptError naming the
// items there are.
int itemPosition(HMENU menu, const OdString& label, const OdString& where)
{
  OdString known;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
  {
    wchar_t text[128] = L"";
    if (GetMenuStringW(menu, UINT(i), text, int(std::size(text)), MF_BYPOSITION) <= 0)
      continue; // a separator
    const OdString shown = menuItemLabel(OdString(text));
    if (shown.iCompare(label) == 0)
      return i;
    known += OdString::format(L"%s\"%s\"", known.isEmpty() ? L"" : L", ", shown);
  }
  throw ScriptError(OdString::format(L"no item \"%s\" in %s (items: %s)", label, where, known));
}

// A gesture that went wrong half-way must not leave a menu open under the
// script's next lines.
[[noreturn]] void closeMenuAndFail(const OdString& message)
{
  EndMenu();
  throw ScriptError(message);
}

// Where a click finds the item now: the bar's items in the frame, a pop-up's
// where the pop-up shows (none while it does not).
POINT itemPoint(HWND window, HMENU menu, int position, const OdString& label)
{
  RECT rect{};
  if (!GetMenuItemRect(window, menu, UINT(position), &rect) || IsRectEmpty(&rect))
    closeMenuAndFail(OdString::format(L"the menu item \"%s\" is not shown", label));
  const POINT point = centre(rect);
  // Covered by nothing else: the menu itself finds its item there.
  if (window && MenuItemFromPoint(window, menu, point) != position)
    closeMenuAndFail(OdString::format(L"a click at the middle of \"%s\" finds another item", label));
  return point;
}

// The middle of the close button in screen coordinates, as the window's own
// hit test answers: wherever the frame's theme puts it.
POINT closeButtonPoint(HWND window)
{
  RECT bounds{};
  if (!IsWindow(window) || !GetWindowRect(window, &bounds))
    throw ScriptError(L"the host's window is gone");
  // The caption buttons lie in the top right corner, within a few captions' size.
  const int height = std::min<int>(bounds.bottom - bounds.top, 4 * GetSystemMetrics(SM_CYCAPTION));
  const int width = std::min<int>(bounds.right - bounds.left, 8 * GetSystemMetrics(SM_CXSIZE));
  RECT found{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  for (int y = bounds.top; y < bounds.top + height; ++y)
    for (int x = bounds.right - 1; x >= bounds.right - width; --x)
      if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
      {
        found.left = std::min<LONG>(found.left, x);
        found.right = std::max<LONG>(found.right, x + 1);
        found.top = std::min<LONG>(found.top, y);
        found.bottom = std::max<LONG>(found.bottom, y + 1);
      }
  if (found.left > found.right)
    throw ScriptError(L"the host's window shows no close button");
  return centre(found);
}
} // namespace

void addFrameGestures(ScriptInterpreter& interpreter, Gestures& gestures, std::function<HWND()> frame)
{
  // MENU "bar item" "item": the pointer onto the bar's item, a click that
  // drops its menu down, the pointer onto the item, a click that chooses it.
  interpreter.add(L"MENU", [&gestures, frame](ScriptArgs& args) {
    const OdString barLabel = args.next(L"menu bar item");
    const OdString itemLabel = args.next(L"menu item");
    args.expectEnd();
    HWND window = frame();
    HMENU bar = window ? GetMenu(window) : nullptr;
    if (!bar)
      throw ScriptError(L"the host's window has no menu bar");
    const int barPosition = itemPosition(bar, barLabel, L"the menu bar");
    HMENU popup = GetSubMenu(bar, barPosition);
    if (!popup)
      throw ScriptError(OdString::format(L"\"%s\" drops no menu", barLabel));
    const int position = itemPosition(popup, itemLabel, OdString::format(L"the menu \"%s\"", barLabel));
    gestures.queue([window, bar, barPosition, barLabel] {
      return InputBatch().moveTo(itemPoint(window, bar, barPosition, barLabel));
    });
    gestures.queue(InputBatch().click(MouseButton::Left));
    gestures.queue([popup, position, itemLabel] {
      // A greyed item takes no click: the menu would stay open.
      if (GetMenuState(popup, UINT(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))
        closeMenuAndFail(OdString::format(L"the menu item \"%s\" is greyed", itemLabel));
      return InputBatch().moveTo(itemPoint(nullptr, popup, position, itemLabel));
    });
    gestures.queue(InputBatch().click(MouseButton::Left));
  });
  // FRAME CLOSE: the close button of the host's window. The button is
  // tracked by a loop that takes only mouse input, so press and release go
  // in one batch.
  interpreter.add(L"FRAME", [&gestures, frame](ScriptArgs& args) {
    if (!args.nextIs(L"CLOSE"))
      throw ScriptError(L"FRAME takes CLOSE (the close button of the host's window)");
    args.expectEnd();
    HWND window = frame();
    gestures.queue([window] { return InputBatch().moveTo(closeButtonPoint(window)); });
    gestures.queue(InputBatch().click(MouseButton::Left));
  });
}
} // namespace host
