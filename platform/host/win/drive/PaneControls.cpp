#include "PaneControls.h"

#include "Gestures.h"
#include "host/HostApi.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <memory>
#include <vector>

namespace host
{
namespace
{
// Texts longer than this are cut in DUMP (names may be 10,000 characters).
constexpr int kMaxItemText = 1 << 16;

HWND childOfClass(HWND pane, const wchar_t* className)
{
  return pane ? FindWindowExW(pane, nullptr, className, nullptr) : nullptr;
}

// The browser's filter box (control id 1008), or null; its clear button is
// the box's own button child.
constexpr int kFilterBoxId = 1008;
HWND paneFilter(HWND pane)
{
  HWND box = pane ? GetDlgItem(pane, kFilterBoxId) : nullptr;
  return box && IsWindowVisible(box) ? box : nullptr;
}

OdString windowText(HWND window)
{
  std::vector<wchar_t> text(std::size_t(GetWindowTextLengthW(window)) + 1);
  GetWindowTextW(window, text.data(), int(text.size()));
  return OdString(text.data());
}

OdString colourText(COLORREF c)
{
  wchar_t text[8];
  swprintf(text, 8, L"#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return OdString(text);
}

const wchar_t* viewName(DWORD style)
{
  switch (style & LVS_TYPEMASK)
  {
  case LVS_ICON: return L"icon";
  case LVS_REPORT: return L"report";
  case LVS_SMALLICON: return L"smallIcon";
  default: return L"list";
  }
}

// A picture of width x height that draw paints into a memory DC: its size,
// its centre pixel and its mean colour, and whatever more adds; null when
// it could not be made.
template <class Draw>
void writePicture(JsonWriter& json, int width, int height, Draw draw,
                  const std::function<void(JsonWriter&)>& more = nullptr)
{
  if (width <= 0 || height <= 0)
  {
    json.null();
    return;
  }
  void* bits = nullptr;
  const win::ClientDc screen(nullptr);
  win::Bitmap bitmap = win::topDownDib(width, height, bits, screen.get());
  win::MemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!bitmap || !memory || !bits)
  {
    json.null();
    return;
  }
  {
    const win::SelectedObject selected(memory.get(), bitmap.get());
    draw(memory.get());
    GdiFlush();
  }
  // A 32-bit DIB holds blue, green, red, unused.
  const auto* pixels = static_cast<const BYTE*>(bits);
  const auto at = [&](int x, int y) {
    const BYTE* p = pixels + (std::size_t(y) * width + x) * 4;
    return RGB(p[2], p[1], p[0]);
  };
  unsigned long long sum[3] = {0, 0, 0};
  for (int i = 0; i < width * height; ++i)
  {
    sum[0] += pixels[i * 4 + 2];
    sum[1] += pixels[i * 4 + 1];
    sum[2] += pixels[i * 4];
  }
  const auto n = static_cast<unsigned long long>(width) * height;
  json.beginObject();
  json.key(L"size").beginArray().value(width).value(height).endArray();
  json.key(L"centre").value(colourText(at(width / 2, height / 2)));
  json.key(L"mean").value(
    colourText(RGB(BYTE((sum[0] + n / 2) / n), BYTE((sum[1] + n / 2) / n), BYTE((sum[2] + n / 2) / n))));
  if (more)
    more(json);
  json.endObject();
}

// The image as the list shows it: drawn over the list's background.
void writeThumbnail(JsonWriter& json, HWND list, int image)
{
  HIMAGELIST images = ListView_GetImageList(list, LVSIL_NORMAL);
  int width = 0, height = 0;
  if (!images || image < 0 || image >= ImageList_GetImageCount(images) ||
      !ImageList_GetIconSize(images, &width, &height))
  {
    json.null();
    return;
  }
  writePicture(json, width, height, [&](HDC dc) {
    COLORREF background = ListView_GetBkColor(list);
    if (background == CLR_NONE)
      background = GetSysColor(COLOR_WINDOW);
    const win::Brush brush(CreateSolidBrush(background));
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, brush.get());
    ImageList_Draw(images, image, dc, 0, 0, ILD_NORMAL);
  });
}

// The first shown window anywhere inside the pane that the test accepts, or null.
template <class Test>
HWND shownChild(HWND pane, Test test)
{
  struct Search
  {
    Test test;
    HWND found = nullptr;
  } search{test};
  EnumChildWindows(
    pane,
    [](HWND child, LPARAM data) -> BOOL {
      auto* s = reinterpret_cast<Search*>(data);
      if (!IsWindowVisible(child) || !s->test(child))
        return TRUE;
      s->found = child;
      return FALSE;
    },
    reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The shown material preview window anywhere inside the pane, or null.
HWND panePreview(HWND pane)
{
  RECT paneRect{};
  GetWindowRect(pane, &paneRect);
  return shownChild(pane, [paneRect](HWND child) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    // Not the viewer the browser takes thumbnails with, which lies outside the pane.
    RECT rect{}, common{};
    GetWindowRect(child, &rect);
    return wcscmp(name, L"MeGsViewer") == 0 && IntersectRect(&common, &rect, &paneRect);
  });
}

// The window's picture as it paints it (asked with WM_PRINTCLIENT).
void writePrinted(JsonWriter& json, HWND window, const std::function<void(JsonWriter&)>& more = nullptr)
{
  RECT client{};
  GetClientRect(window, &client);
  writePicture(
    json, int(client.right), int(client.bottom),
    [&](HDC dc) {
      FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    },
    more);
}

// What the window answers to the host's state query for that value, or -1
// when it does not know it (every window that is none of the module's).
long long queryState(HWND window, HostStateQuery value, LPARAM argument = 0)
{
  static const UINT message = RegisterWindowMessageW(HOST_MESSAGE_QUERY_STATE);
  if (!message || !window)
    return -1;
  return static_cast<long long>(SendMessageW(window, message, WPARAM(value), argument)) - 1;
}

// What the browser's pane answers to the query; -1 when it has no pane or
// does not know.
long long browserState(HostStateQuery value)
{
  try
  {
    return queryState(findPane(L"Materials Browser"), value);
  }
  catch (const ScriptError&)
  {
    return -1;
  }
}

// The shown window inside the pane that knows a map preview's state, or null.
HWND paneMapPreview(HWND pane)
{
  return shownChild(pane, [](HWND child) { return queryState(child, kHostQueryMapPreviewState) >= 0; });
}

// The map preview's state and its picture as it paints it.
void writeMapPreview(JsonWriter& json, HWND preview)
{
  json.key(L"mapPreview").beginObject();
  json.key(L"state").value(int(queryState(preview, kHostQueryMapPreviewState)));
  json.key(L"picture");
  writePrinted(json, preview);
  json.endObject();
}

void writeList(JsonWriter& json, HWND pane, HWND list)
{
  json.key(L"list").beginObject();
  json.key(L"view").value(viewName(DWORD(GetWindowLongPtrW(list, GWL_STYLE))));
  // Where the list lies in the pane: x, y, width, height.
  RECT place{};
  GetWindowRect(list, &place);
  MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&place), 2);
  json.key(L"rect").beginArray().value(int(place.left)).value(int(place.top));
  json.value(int(place.right - place.left)).value(int(place.bottom - place.top)).endArray();
  // The text in the label edit box while a label is edited, else null.
  json.key(L"editing");
  HWND editor = ListView_GetEditControl(list);
  if (editor && IsWindowVisible(editor))
    json.value(windowText(editor));
  else
    json.null();
  // The scroll bars the list shows now.
  const auto style = DWORD(GetWindowLongPtrW(list, GWL_STYLE));
  json.key(L"scrollBars").beginObject();
  json.key(L"horizontal").value((style & WS_HSCROLL) != 0);
  json.key(L"vertical").value((style & WS_VSCROLL) != 0);
  json.endObject();
  RECT client{};
  GetClientRect(list, &client);
  json.key(L"items").beginArray();
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i)
  {
    LVITEMW item{};
    item.mask = LVIF_IMAGE | LVIF_STATE;
    item.iItem = i;
    item.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    json.beginObject();
    json.key(L"text").value(listItemText(list, i));
    json.key(L"image").value(item.iImage);
    json.key(L"selected").value((item.state & LVIS_SELECTED) != 0);
    RECT bounds{}, shown{};
    json.key(L"inSight")
      .value(ListView_GetItemRect(list, i, &bounds, LVIR_BOUNDS) && IntersectRect(&shown, &bounds, &client) != FALSE);
    // Where the item lies in the list's client area as it is scrolled now.
    POINT position{};
    ListView_GetItemPosition(list, i, &position);
    json.key(L"position").beginArray().value(int(position.x)).value(int(position.y)).endArray();
    json.key(L"thumbnail");
    writeThumbnail(json, list, item.iImage);
    // Known to the browser: its thumbnail has replaced the placeholder.
    if (const long long rendered = queryState(pane, kHostQueryItemRendered, i); rendered >= 0)
      json.key(L"rendered").value(rendered != 0);
    json.endObject();
  }
  json.endArray();
  json.endObject();
}

// The Material editor's sample menu: its commands and the sample codes
// they stand for (sphere, cube, torus).
constexpr struct
{
  UINT command;
  int code;
} kSampleItems[] = {{2003, 0}, {2004, 1}, {2005, 4}};
constexpr int kSampleMenuButton = 73;

// The menu a drop-down button carries as its data, or null.
HMENU buttonMenu(const TBBUTTON& button)
{
  if (!(button.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)))
    return nullptr;
  const auto menu = reinterpret_cast<HMENU>(button.dwData);
  return menu && IsMenu(menu) ? menu : nullptr;
}

// The sample code of the item checked in the sample menu; null when none is.
void writeSampleCode(JsonWriter& json, HWND toolbar)
{
  json.key(L"sample");
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_LPARAM | TBIF_STYLE;
  if (SendMessageW(toolbar, TB_GETBUTTONINFOW, kSampleMenuButton, reinterpret_cast<LPARAM>(&info)) >= 0)
  {
    TBBUTTON button{};
    button.fsStyle = info.fsStyle;
    button.dwData = info.lParam;
    if (HMENU menu = buttonMenu(button))
      for (const auto& item : kSampleItems)
        if (GetMenuState(menu, item.command, MF_BYCOMMAND) & MF_CHECKED)
        {
          json.value(item.code);
          return;
        }
  }
  json.null();
}

void writeToolbar(JsonWriter& json, HWND pane, HWND toolbar)
{
  json.key(L"toolbar").beginArray();
  const int count = int(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
  {
    TBBUTTON button{};
    if (!SendMessageW(toolbar, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&button)) ||
        (button.fsStyle & BTNS_SEP))
      continue;
    json.beginObject();
    json.key(L"command").value(button.idCommand);
    json.key(L"enabled").value((button.fsState & TBSTATE_ENABLED) != 0);
    json.key(L"checked").value((button.fsState & TBSTATE_CHECKED) != 0);
    // The index of its picture in the toolbar's image list; below 0 none
    // (a drop-down button then shows its arrow alone).
    json.key(L"image").value(button.iBitmap);
    // The button's place in the pane: x, y, width, height.
    RECT place{};
    SendMessageW(toolbar, TB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&place));
    MapWindowPoints(toolbar, pane, reinterpret_cast<POINT*>(&place), 2);
    json.key(L"rect").beginArray().value(int(place.left)).value(int(place.top));
    json.value(int(place.right - place.left)).value(int(place.bottom - place.top)).endArray();
    // The menu a drop-down button drops, as it would show now.
    if (HMENU menu = buttonMenu(button))
    {
      json.key(L"menu").beginObject().key(L"items");
      writeMenuItems(json, menu);
      json.endObject();
    }
    json.endObject();
  }
  json.endArray();
  // The tip the toolbar shows now, as a user reads it.
  json.key(L"toolTip");
  if (HWND tips = shownToolTip(toolbar))
    json.value(toolTipText(tips));
  else
    json.null();
}

// The list item whose whole text is the word; throws listing some that exist.
int findItem(HWND list, const OdString& text)
{
  const int count = ListView_GetItemCount(list);
  OdString known;
  for (int i = 0; i < count; ++i)
  {
    const OdString itemText = listItemText(list, i);
    if (itemText == text)
      return i;
    if (i < 12)
      known += OdString::format(L"%s\"%s\"", known.isEmpty() ? L"" : L", ", itemText.left(40));
  }
  throw ScriptError(OdString::format(L"no list item \"%s\" (items: %s%s)", text,
                                     known.isEmpty() ? OdString(L"none") : known, count > 12 ? L", ..." : L""));
}

HWND requireList(HWND pane)
{
  HWND list = paneList(pane);
  if (!list)
    throw ScriptError(L"the pane has no list");
  return list;
}

bool hitsItem(HWND list, int index, POINT at)
{
  LVHITTESTINFO hit{};
  hit.pt = at;
  return ListView_HitTest(list, &hit) == index && (hit.flags & LVHT_ONITEM) != 0;
}

// The label, or the part of it where a click finds the item: a focused
// item's long label is shown whole in icon view, over the places below it,
// and the list finds no item at much of it, its middle included.
RECT aimedLabel(HWND list, int index, const RECT& label)
{
  RECT client{};
  GetClientRect(list, &client);
  const POINT middle{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  if (!PtInRect(&client, middle) || hitsItem(list, index, middle))
    return label;
  for (int y = std::max(label.top, client.top); y < std::min(label.bottom, client.bottom); y += 2)
    if (hitsItem(list, index, POINT{middle.x, y}))
    {
      // Down to the last line that still finds the item.
      int bottom = y + 1;
      while (bottom < label.bottom && hitsItem(list, index, POINT{middle.x, bottom}))
        ++bottom;
      return RECT{label.left, y, label.right, bottom};
    }
  return label;
}

// Where the item's label lies now, and which way the list scrolls under
// the wheel: the list view sideways, the others up and down.
WheelSeeker::Sight itemSight(HWND list, const OdString& text)
{
  const int index = findItem(list, text);
  WheelSeeker::Sight sight;
  if (!ListView_GetItemRect(list, index, &sight.part, LVIR_LABEL))
    throw ScriptError(L"the item has no place on the screen");
  sight.part = aimedLabel(list, index, sight.part);
  sight.across = (GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK) == LVS_LIST;
  return sight;
}
} // namespace

HWND paneList(HWND pane) { return childOfClass(pane, WC_LISTVIEWW); }
HWND paneToolbar(HWND pane) { return childOfClass(pane, TOOLBARCLASSNAMEW); }

HWND shownToolTip(HWND control)
{
  struct Search
  {
    HWND control;
    HWND found;
  } search{control, nullptr};
  EnumThreadWindows(
    GetCurrentThreadId(),
    [](HWND window, LPARAM data) -> BOOL {
      auto* s = reinterpret_cast<Search*>(data);
      wchar_t name[64] = {};
      GetClassNameW(window, name, int(std::size(name)));
      if (OdString(name).iCompare(TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(window))
        return TRUE;
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof tool;
      if (SendMessageW(window, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) && tool.hwnd == s->control)
      {
        s->found = window;
        return FALSE;
      }
      return TRUE;
    },
    reinterpret_cast<LPARAM>(&search));
  return search.found;
}

OdString toolTipText(HWND tips)
{
  std::wstring text(std::size_t(std::max(GetWindowTextLengthW(tips), 0)) + 1, L'\0');
  const int length = GetWindowTextW(tips, &text[0], int(text.size()));
  return OdString(text.c_str(), std::size_t(std::max(length, 0)));
}

OdString listItemText(HWND list, int index)
{
  std::vector<wchar_t> buffer(256);
  while (true)
  {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer.data();
    item.cchTextMax = int(buffer.size());
    const int length = int(SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(&item)));
    // A full buffer may mean a cut text: try a larger one.
    if (length < int(buffer.size()) - 1 || int(buffer.size()) >= kMaxItemText)
      return OdString(buffer.data(), std::size_t(std::max(0, std::min(length, int(buffer.size()) - 1))));
    buffer.resize(buffer.size() * 4);
  }
}

void addPaneControlPlaces()
{
  // ITEM "text": the label of the list item with that whole text, scrolled
  // into sight first with the wheel, as a user would.
  registerGesturePlace(L"ITEM", [](HWND pane, ScriptArgs& args) {
    HWND list = requireList(pane);
    const OdString text = args.next(L"item text");
    return wheeledPlace(list, L"list", L"item", text, [list, text] { return itemSight(list, text); });
  });
  // EMPTY: a point of the list that no item covers, from the bottom right.
  registerGesturePlace(L"EMPTY", [](HWND pane, ScriptArgs&) {
    HWND list = requireList(pane);
    RECT client{};
    GetClientRect(list, &client);
    for (int y = client.bottom - 6; y > client.top; y -= 8)
      for (int x = client.right - 6; x > client.left; x -= 8)
      {
        LVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        if (ListView_HitTest(list, &hit) < 0)
          return GesturePlace{list, RECT{x, y, x + 1, y + 1}};
      }
    throw ScriptError(L"the list has no empty space in sight");
  });
  // BUTTON id: the toolbar button of that command.
  registerGesturePlace(L"BUTTON", [](HWND pane, ScriptArgs& args) {
    HWND toolbar = paneToolbar(pane);
    if (!toolbar)
      throw ScriptError(L"the pane has no toolbar");
    const int command = ScriptArgs::toInt(args.next(L"command id"), L"the command id", 0, 0xFFFF);
    const int index = int(SendMessageW(toolbar, TB_COMMANDTOINDEX, WPARAM(command), 0));
    RECT rect{};
    if (index < 0 || !SendMessageW(toolbar, TB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&rect)))
      throw ScriptError(OdString::format(L"the toolbar has no button %d", command));
    return GesturePlace{toolbar, rect};
  });
  // FILTER: the browser's filter box; FILTER CLEAR: its clear button, while
  // it shows.
  registerGesturePlace(L"FILTER", [](HWND pane, ScriptArgs& args) {
    HWND box = paneFilter(pane);
    if (!box)
      throw ScriptError(L"the pane has no filter box");
    HWND target = box;
    if (args.nextIs(L"CLEAR"))
    {
      target = FindWindowExW(box, nullptr, L"Button", nullptr);
      if (!target || !IsWindowVisible(target))
        throw ScriptError(L"the filter box shows no clear button");
    }
    GesturePlace place{target, {}};
    GetClientRect(target, &place.rect);
    return place;
  });
  // EDITOR: the list's label edit box while a label is edited; otherwise
  // whatever else EDITOR names (the grid's in-place editor).
  registerGesturePlace(L"EDITOR", [other = gesturePlace(L"EDITOR")](HWND pane, ScriptArgs& args) {
    HWND list = paneList(pane);
    HWND editor = list ? ListView_GetEditControl(list) : nullptr;
    if (editor && IsWindowVisible(editor))
    {
      GesturePlace place{editor, {}};
      GetClientRect(editor, &place.rect);
      return place;
    }
    if (other)
      return other(pane, args);
    throw ScriptError(L"no editor is open in the pane");
  });
}

void writePaneControls(JsonWriter& json, HWND pane)
{
  if (HWND toolbar = paneToolbar(pane))
    writeToolbar(json, pane, toolbar);
  if (HWND box = paneFilter(pane))
  {
    json.key(L"filter").value(windowText(box));
    HWND clear = FindWindowExW(box, nullptr, L"Button", nullptr);
    json.key(L"filterClear").value(clear && IsWindowVisible(clear));
  }
  if (HWND list = paneList(pane))
    writeList(json, pane, list);
  if (HWND preview = panePreview(pane))
  {
    json.key(L"preview");
    writePrinted(json, preview, [preview](JsonWriter& out) {
      if (const long long zoom = queryState(preview, kHostQueryPreviewZoom); zoom >= 0)
        out.key(L"zoom").value(double(zoom) / 1000.0);
    });
    if (HWND toolbar = paneToolbar(pane))
      writeSampleCode(json, toolbar);
  }
  if (HWND mapPreview = paneMapPreview(pane))
    writeMapPreview(json, mapPreview);
  if (const long long listeners = queryState(pane, kHostQueryEditorListeners); listeners >= 0)
    json.key(L"editorListeners").value(int(listeners));
}

void writeMenuItems(JsonWriter& json, HMENU menu)
{
  json.beginArray();
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
  {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = UINT(std::size(text) - 1);
    if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &info))
      continue;
    json.beginObject();
    if (info.fType & MFT_SEPARATOR)
      json.key(L"separator").value(true);
    else
    {
      json.key(L"id").value(int(info.wID));
      json.key(L"text").value(OdString(text));
      json.key(L"enabled").value((info.fState & MFS_DISABLED) == 0);
      json.key(L"checked").value((info.fState & MFS_CHECKED) != 0);
    }
    json.endObject();
  }
  json.endArray();
}

void writeMenus(JsonWriter& json, const std::vector<MenuRecord>& menus)
{
  json.key(L"menus").beginArray();
  for (const MenuRecord& menu : menus)
  {
    json.beginObject();
    json.key(L"items").beginArray();
    for (const MenuRecord::Item& item : menu.items)
    {
      json.beginObject();
      if (item.separator)
        json.key(L"separator").value(true);
      else
      {
        json.key(L"id").value(int(item.id));
        json.key(L"text").value(item.text);
        json.key(L"enabled").value(item.enabled);
        json.key(L"checked").value(item.checked);
      }
      json.endObject();
    }
    json.endArray();
    json.key(L"answer");
    if (menu.answer)
      json.value(menu.answer);
    else
      json.null();
    if (!menu.problem.isEmpty())
      json.key(L"problem").value(menu.problem);
    json.endObject();
  }
  json.endArray();
}

void writeTimings(JsonWriter& json, const std::vector<TimingRecord>& timings)
{
  json.key(L"timings").beginArray();
  for (const TimingRecord& timing : timings)
  {
    json.beginObject();
    json.key(L"command").value(timing.command);
    json.key(L"ms").value(timing.milliseconds);
    json.key(L"cpuMs").value(timing.cpuMilliseconds);
    json.key(L"privateBytes").value(timing.privateBytes);
    json.endObject();
  }
  json.endArray();
}

namespace
{
// The time this thread has run, user and kernel: on a busy machine less than
// the time that passed.
double threadCpuMilliseconds()
{
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
    return 0;
  const auto ticks = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(ticks(kernel) + ticks(user)) / 10000.0; // 100 ns ticks
}

// The memory this process has to itself (its commit charge): what a list of
// thumbnails costs, without the code and files it shares with others.
double privateBytes()
{
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? double(counters.PagefileUsage) : 0;
}
} // namespace

void writeMemory(JsonWriter& json)
{
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  const bool known = GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) != 0;
  json.key(L"memory").beginObject();
  json.key(L"privateBytes").value(known ? double(counters.PagefileUsage) : 0.0);
  json.key(L"peakWorkingSetBytes").value(known ? double(counters.PeakWorkingSetSize) : 0.0);
  json.endObject();
}

TimingClock::TimingClock() : m_start(std::chrono::steady_clock::now()), m_cpuStart(threadCpuMilliseconds()) {}

void TimingClock::record(const OdString& what) const
{
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - m_start;
  hostRuntime().timings.push_back(
    TimingRecord{what, took.count(), threadCpuMilliseconds() - m_cpuStart, privateBytes()});
}

void addTimeCommand(ScriptInterpreter& interpreter, Gestures& gestures, std::function<void()> paintPending)
{
  interpreter.add(L"TIME", [&interpreter, &gestures, paintPending](ScriptArgs& args) {
    std::vector<OdString> words = args.rest();
    if (words.empty())
      throw ScriptError(L"TIME takes a command");
    OdString text;
    for (const OdString& word : words)
      text += (text.isEmpty() ? L"" : L" ") + word;
    const std::size_t queued = gestures.queuedSteps();
    const TimingClock clock;
    interpreter.runWords(std::move(words));
    // A gesture has only queued its input: its steps are timed as they go.
    if (gestures.queuedSteps() > queued)
    {
      gestures.timeStepsFrom(queued, text);
      return;
    }
    if (paintPending)
      paintPending();
    // A list is shown once its items in sight show their thumbnails.
    if (browserState(kHostQueryPlaceholdersInSight) > 0)
    {
      gestures.queueUntil([] { return browserState(kHostQueryPlaceholdersInSight) <= 0; }, kDefaultThumbnailWaitMs,
                          L"TIME: the browser's items in sight kept their placeholders",
                          std::make_shared<TimingClock>(clock), text);
      return;
    }
    clock.record(text);
  });
}

void queueThumbnailWait(Gestures& gestures, ScriptArgs& args)
{
  const HostStateQuery left = args.nextIs(L"INSIGHT") ? kHostQueryPlaceholdersInSight : kHostQueryPlaceholders;
  const int ms =
    args.done() ? int(kDefaultThumbnailWaitMs) : ScriptArgs::toInt(args.next(L"milliseconds"), L"the time", 0, 600000);
  args.expectEnd();
  gestures.queueUntil([left] { return browserState(left) <= 0; }, UINT(ms),
                      OdString::format(L"WAIT THUMBNAILS: the browser still shows placeholders after %d ms", ms));
}
} // namespace host
