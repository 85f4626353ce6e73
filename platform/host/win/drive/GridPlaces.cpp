// The grid's places and its CHOOSE verb, for the gesture layer:
//
//   ROW "label"    the value cell of the grid row with that whole label
//   EDITOR         the in-place editor open in the pane's grid
//   CHOOSE "pane" ROW "label" "item"
//                  opens the row's drop-down list if it is closed (a click
//                  on the row, then on the list's arrow) and clicks the item
//
// The grids are found in inspctl.dll by name, as a module finds them; a row
// out of sight is scrolled to first with the wheel, as a user would.
#include "GridDump.h"

#include "Gestures.h"
#include "PaneControls.h"
#include "Screenshot.h"

#include "host/win/PropertyGrid.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace host
{
std::vector<CInspectorCtrl*> gridsIn(HWND pane)
{
  std::vector<CInspectorCtrl*> found;
  auto get = reinterpret_cast<InspGetGridsFn>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(INSPCTL_LIBRARY), INSPCTL_EXPORT_GRIDS)));
  if (!get || !pane)
    return found;
  std::vector<CInspectorCtrl*> all(std::size_t(std::max(get(nullptr, 0), 0)));
  all.resize(std::size_t(std::max(get(all.data(), int(all.size())), 0)));
  for (CInspectorCtrl* grid : all)
    if (grid && IsChild(pane, grid->GetWindow()))
      found.push_back(grid);
  return found;
}

namespace
{
struct FoundRow
{
  CInspectorCtrl* grid = nullptr;
  int index = -1;
};

FoundRow findRow(HWND pane, const OdString& label)
{
  OdString known;
  for (CInspectorCtrl* grid : gridsIn(pane))
    for (int i = 0, n = grid->GetRowCount(); i < n; ++i)
    {
      IKtEditableProperty* row = grid->GetRow(i);
      if (row && row->GetName() == label)
        return {grid, i};
      if (row && known.getLength() < 400)
        known += OdString::format(L"%s\"%s\"", known.isEmpty() ? L"" : L", ", row->GetName());
    }
  throw ScriptError(OdString::format(L"no grid row \"%s\" (rows: %s)", label, known.isEmpty() ? OdString(L"none") : known));
}

// The row's value cell, brought into sight first with wheel notches over
// the grid's name column, where no editor lies, as a user scrolls to it.
GesturePlace rowPlace(HWND pane, const OdString& label)
{
  HWND list = findRow(pane, label).grid->GetWindow();
  return wheeledPlace(list, L"grid", L"row", label, [pane, label, list] {
    const FoundRow found = findRow(pane, label);
    if (found.grid->GetWindow() != list)
      throw ScriptError(OdString::format(L"the row \"%s\" moved to another grid", label));
    WheelSeeker::Sight sight;
    if (!found.grid->GetValueRect(found.index, sight.part))
      throw ScriptError(L"the row has no value cell");
    RECT client{};
    GetClientRect(list, &client);
    sight.hasPointer = true;
    sight.pointer = POINT{std::max<LONG>(sight.part.left / 2, 0), (client.top + client.bottom) / 2};
    return sight;
  });
}

// The editor open in the pane's grid; with a label, only that row's.
HWND openEditor(HWND pane, const OdString* label = nullptr)
{
  for (CInspectorCtrl* grid : gridsIn(pane))
    if (IKtEditableProperty* row = grid->GetActiveRow())
      if (HWND editor = static_cast<HWND>(row->GetEditor()); editor && IsWindow(editor))
        if (!label || row->GetName() == *label)
          return editor;
  return nullptr;
}

bool isCombo(HWND window)
{
  wchar_t name[32] = L"";
  GetClassNameW(window, name, 32);
  return _wcsicmp(name, WC_COMBOBOXW) == 0;
}

POINT screenPoint(HWND window, int x, int y)
{
  POINT point{x, y};
  ClientToScreen(window, &point);
  return point;
}
} // namespace

void addGridPlaces(ScriptInterpreter& interpreter, Gestures& gestures)
{
  registerGesturePlace(L"ROW", [](HWND pane, ScriptArgs& args) {
    return rowPlace(pane, args.next(L"row label"));
  });
  registerGesturePlace(L"EDITOR", [](HWND pane, ScriptArgs&) {
    HWND editor = openEditor(pane);
    if (!editor)
      throw ScriptError(L"no editor is open in the pane's grid");
    GesturePlace place{editor, {}};
    GetClientRect(editor, &place.rect);
    return place;
  });

  interpreter.add(L"CHOOSE", [&gestures](ScriptArgs& args) {
    const OdString title = args.next(L"pane title");
    HWND pane = findPane(title);
    if (!args.nextIs(L"ROW"))
      throw ScriptError(L"CHOOSE takes \"pane\" ROW \"label\" \"item\"");
    const OdString label = args.next(L"row label");
    const OdString text = args.next(L"item text");
    args.expectEnd();
    // Fails now, before any input, when there is no such row; a row out of
    // sight is scrolled to first (which leaves an open list of its own alone).
    const auto cell = gestures.reach(rowPlace(pane, label));

    // Each step looks at what the one before did.
    const auto combo = [pane, label]() -> HWND {
      HWND editor = openEditor(pane, &label);
      return editor && isCombo(editor) ? editor : nullptr;
    };
    gestures.queue([cell, combo] {
      InputBatch batch;
      if (!combo())
        batch.moveTo(placePoint(*cell)).click(MouseButton::Left);
      return batch;
    });
    gestures.queue([combo, label] {
      HWND list = combo();
      if (!list)
        throw ScriptError(OdString::format(L"the row \"%s\" opened no drop-down list", label));
      InputBatch batch;
      if (!SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0))
      {
        RECT field{};
        GetClientRect(list, &field);
        const int arrow = GetSystemMetrics(SM_CXVSCROLL) / 2;
        batch.moveTo(screenPoint(list, field.right - arrow, (field.top + field.bottom) / 2)).click(MouseButton::Left);
      }
      return batch;
    });
    gestures.queue([combo, text] {
      HWND box = combo();
      COMBOBOXINFO info{};
      info.cbSize = sizeof info;
      if (!box || !GetComboBoxInfo(box, &info) || !info.hwndList || !IsWindowVisible(info.hwndList))
        throw ScriptError(L"the drop-down list did not open");
      const LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
      if (index == CB_ERR)
        throw ScriptError(OdString::format(L"the list has no item \"%s\"", text));
      RECT item{};
      SendMessageW(info.hwndList, LB_SETTOPINDEX, WPARAM(index), 0);
      SendMessageW(info.hwndList, LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&item));
      return InputBatch()
        .moveTo(screenPoint(info.hwndList, (item.left + item.right) / 2, (item.top + item.bottom) / 2))
        .click(MouseButton::Left);
    });
  });
}

void dumpPaneGrids(JsonWriter& json, HWND pane)
{
  const std::vector<CInspectorCtrl*> grids = gridsIn(pane);
  if (grids.empty())
    return;
  json.key(L"grids").beginArray();
  for (CInspectorCtrl* grid : grids)
  {
    HWND list = grid->GetWindow();
    const HWND focus = GetFocus();
    RECT client{};
    GetClientRect(list, &client);
    const int selected = grid->GetSelectedRow();
    json.beginObject();
    json.key(L"focus").value(focus && (focus == list || IsChild(list, focus)));
    // Where the grid's client area, in which the cells are given, lies in a SCREENSHOT.
    const POINT origin = pictureOrigin(list);
    json.key(L"origin").beginArray().value(int(origin.x)).value(int(origin.y)).endArray();
    json.key(L"editor");
    if (IKtEditableProperty* active = grid->GetActiveRow())
      json.value(active->GetName());
    else
      json.null();
    // The tip on the screen now, as a user reads it.
    json.key(L"toolTip");
    if (HWND tips = shownToolTip(list))
      json.value(toolTipText(tips));
    else
      json.null();
    json.key(L"rows").beginArray();
    for (int i = 0, n = grid->GetRowCount(); i < n; ++i)
    {
      IKtEditableProperty* row = grid->GetRow(i);
      if (!row)
        continue;
      json.beginObject();
      json.key(L"label").value(row->GetName());
      CXStringW group;
      json.key(L"group");
      if (grid->GetRowGroup(i, group))
        json.value(group);
      else
        json.null();
      json.key(L"selected").value(i == selected);
      CXStringW text;
      json.key(L"text");
      if (row->GetText(text))
        json.value(text);
      else
        json.null();
      const bool editing = row->GetEditor() != nullptr;
      json.key(L"editing").value(editing);
      RECT cell{}, shown{};
      if (grid->GetValueRect(i, cell))
      {
        json.key(L"cell").beginArray().value(int(cell.left)).value(int(cell.top)).value(int(cell.right - cell.left))
          .value(int(cell.bottom - cell.top)).endArray();
        json.key(L"inSight").value(IntersectRect(&shown, &cell, &client) != FALSE);
      }
      // Where the editor window stands, to be seen over its own cell.
      RECT editorRect{};
      json.key(L"editorCell");
      if (editing && GetWindowRect(static_cast<HWND>(row->GetEditor()), &editorRect))
      {
        MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&editorRect), 2);
        json.beginArray().value(int(editorRect.left)).value(int(editorRect.top));
        json.value(int(editorRect.right - editorRect.left)).value(int(editorRect.bottom - editorRect.top)).endArray();
      }
      else
        json.null();
      CXStringW editorText;
      json.key(L"editorValue");
      if (editing && row->GetEditorText(editorText))
        json.value(editorText);
      else
        json.null();
      CXStringW tip;
      json.key(L"tip");
      if (grid->GetRowTip(i, tip))
        json.value(tip);
      else
        json.null();
      json.endObject();
    }
    json.endArray();
    json.endObject();
  }
  json.endArray();
}
} // namespace host
