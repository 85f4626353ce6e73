// inspctl.dll: the host's property grid, CInspectorCtrl, over an owner-drawn
// list box. Each list item is a category's header line or a row; its item
// data is the key (category + 1) << 16 | (row + 1), the header's row part
// 0, so the list box's sort (through the reflected compare message) puts a
// category's header first and its rows after it in the order added, and
// categories in the order their first row came.
#include "host/win/PropertyGrid.h"

#include "GridTip.h"

#include "host/KtServices.h"
#include "win32/Dc.h"
#include "win32/Focus.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace
{
constexpr int kNamePercent = 40;
constexpr int kMinNameWidth = 60;

LPARAM keyOf(int category, int row) { return LPARAM((category + 1) << 16 | (row + 1)); }
int categoryOf(LPARAM key) { return int(key >> 16) - 1; }
int rowOf(LPARAM key) { return int(key & 0xFFFF) - 1; }
bool isHeader(LPARAM key) { return (key & 0xFFFF) == 0; }

// "Generic.Diffuse": the group is "Generic", the name "Diffuse"; a label
// without a point is its own group and name.
CXStringW categoryOfLabel(const CXStringW& label)
{
  const int point = label.find(L'.');
  return point < 0 ? label : label.left(point);
}
CXStringW nameOfLabel(const CXStringW& label)
{
  const int point = label.find(L'.');
  return point < 0 ? label : label.mid(point + 1);
}

class InspectorGrid;
std::vector<InspectorGrid*>& grids()
{
  static std::vector<InspectorGrid*> all;
  return all;
}

class InspectorGrid final : public CInspectorCtrl, public win::TWnd<InspectorGrid>
{
public:
  explicit InspectorGrid(HWND list)
  {
    subclass(list);
    measureRows();
    grids().push_back(this);
  }
  ~InspectorGrid()
  {
    releaseAll();
    destroyRetired(nullptr);
    unsubclass();
    grids().erase(std::remove(grids().begin(), grids().end(), this), grids().end());
  }
  bool attached() const { return hwnd() != nullptr; }

  // Ended by its owner (inspDestroyInspectorCtrl): deleted now, or, when
  // the owner's palette went under a message of the grid's own (a row's
  // dialog, a setter that closed the palette), once that message has
  // returned: the code beneath it still runs on this object.
  void end()
  {
    grids().erase(std::remove(grids().begin(), grids().end(), this), grids().end());
    if (m_depth == 0)
    {
      delete this;
      return;
    }
    m_ended = true;
    m_editor = nullptr;
    m_activeRow = nullptr;
    releaseAll();
  }

  // --- CInspectorCtrl
  int AddProperty(IKtEditableProperty* row) override
  {
    if (!row || !hwnd() || m_rows.size() >= 0xFFFE)
      return -1;
    const CXStringW category = categoryOfLabel(row->GetName());
    auto found = std::find(m_categories.begin(), m_categories.end(), category);
    const int categoryIndex = int(found - m_categories.begin());
    if (found == m_categories.end())
    {
      m_categories.push_back(category);
      SendMessageW(hwnd(), LB_ADDSTRING, 0, keyOf(categoryIndex, -1));
    }
    m_rows.push_back(KtRef<IKtEditableProperty>(row));
    const int index = int(m_rows.size()) - 1;
    const int item = int(SendMessageW(hwnd(), LB_ADDSTRING, 0, keyOf(categoryIndex, index)));
    restoreAfterRebuild(row, item);
    // A line added above the open editor's row moved that row down: the
    // editor follows it rather than stand over another row.
    followActiveRow();
    return index;
  }
  void RemoveAll() override { releaseAll(); }
  void Refresh() override
  {
    if (hwnd())
      InvalidateRect(hwnd(), nullptr, TRUE);
  }
  bool CloseEditor() override
  {
    if (!m_editor || !IsWindow(m_editor))
    {
      m_editor = nullptr;
      m_activeRow = nullptr;
      return true;
    }
    // Taking the focus away commits a modified edit box; a refused value
    // gives the focus back to it, and then it stays open.
    HWND focus = GetFocus();
    if (focus == m_editor || IsChild(m_editor, focus))
    {
      SetFocus(hwnd());
      focus = GetFocus();
      if (focus == m_editor || IsChild(m_editor, focus))
        return false;
    }
    dropEditor();
    Refresh();
    return true;
  }
  HWND GetWindow() override { return hwnd(); }
  int GetRowCount() override
  {
    int count = 0;
    forEachShownRow([&](int, int) { ++count; });
    return count;
  }
  IKtEditableProperty* GetRow(int index) override
  {
    IKtEditableProperty* found = nullptr;
    int n = 0;
    forEachShownRow([&](int, int row) {
      if (n++ == index)
        found = m_rows[std::size_t(row)].get();
    });
    return found;
  }
  bool GetValueRect(int index, RECT& rect) override
  {
    const int item = listIndexOfShown(index);
    return item >= 0 && valueRect(item, rect);
  }
  IKtEditableProperty* GetActiveRow() override { return m_editor && IsWindow(m_editor) ? m_activeRow : nullptr; }
  int GetSelectedRow() override
  {
    const int selected = hwnd() ? int(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0)) : -1;
    int n = 0, found = -1;
    forEachShownRow([&](int listIndex, int) {
      if (listIndex == selected)
        found = n;
      ++n;
    });
    return found;
  }
  bool GetRowGroup(int index, CXStringW& group) override
  {
    const int item = listIndexOfShown(index);
    for (int i = item - 1; item >= 0 && i >= 0; --i)
    {
      const LPARAM key = SendMessageW(hwnd(), LB_GETITEMDATA, WPARAM(i), 0);
      if (key == LB_ERR || !isHeader(key))
        continue;
      const int category = categoryOf(key);
      if (category < 0 || category >= int(m_categories.size()))
        return false;
      group = m_categories[std::size_t(category)];
      return true;
    }
    return false;
  }
  bool GetRowTip(int index, CXStringW& tip) override
  {
    const int item = listIndexOfShown(index);
    RECT cell{};
    IKtEditableProperty* row = item >= 0 ? rowAt(item) : nullptr;
    CXStringW text;
    if (!row || !valueRect(item, cell) || !row->GetText(text))
      return false;
    tip = inspctl::cutTextTip(hwnd(), cell, text);
    return !tip.isEmpty();
  }

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    ++m_depth;
    const LRESULT result = m_ended ? previousProc(message, wParam, lParam) : handle(message, wParam, lParam);
    if (--m_depth == 0 && m_ended)
      delete this;
    return result;
  }

private:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam)
  {
    // The tip sees the pointer before the list does (a press hides it).
    if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK)
      m_tip.relay(hwnd(), message, wParam, lParam, [this](POINT point) { return tipPlaceAt(point); });
    switch (message)
    {
    case kOcmCompareItem:
    {
      const auto* compare = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam);
      return compare->itemData1 < compare->itemData2 ? -1 : compare->itemData1 > compare->itemData2 ? 1 : 0;
    }
    case kOcmMeasureItem: reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = UINT(m_rowHeight); return TRUE;
    case kOcmDrawItem: drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      userActed();
      onPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_KEYDOWN:
      if (onKey(UINT(wParam)))
        return 0;
      break;
    case WM_CHAR:
      if (onChar(wchar_t(wParam)))
        return 0;
      break;
    case WM_GETDLGCODE:
    {
      // Characters too: one typed on a row opens its editor with it.
      LRESULT code = previousProc(message, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTCHARS;
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_F2))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
      userActed();
      m_tip.reset();
      // An editor stays over its cell; the cells move when the list scrolls.
      if (!CloseEditor())
        return 0;
      break;
    case WM_SIZE:
      CloseEditor();
      Refresh();
      break;
    case kInspectorCloseEditor: onCloseRequest(reinterpret_cast<HWND>(lParam), InspectorClose(wParam)); return 0;
    case LB_RESETCONTENT:
      // RemoveAll, or a dialog that empties its grid before it adds the rows
      // again: the editor, the rows and the groups go with the lines (a
      // refused text that kept its editor open too).
      if (!CloseEditor())
        dropEditor();
      m_tip.reset();
      rememberForRebuild();
      m_rows.clear();
      m_categories.clear();
      break;
    case kInspectorDestroyRetired: destroyRetired(reinterpret_cast<HWND>(lParam)); return 0;
    case WM_COMMAND:
      // The editor's notifications go back to it (a list's choice, a button's press).
      if (m_editor && reinterpret_cast<HWND>(lParam) == m_editor)
      {
        SendMessageW(m_editor, kOcmCommand, wParam, lParam);
        invalidateActive();
        return 0;
      }
      invalidateActive();
      break;
    case WM_DRAWITEM:
      if (m_editor && reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem == m_editor)
        return SendMessageW(m_editor, kOcmDrawItem, wParam, lParam);
      break;
    case WM_MEASUREITEM:
      // An editor asks while it is being made, before it can answer itself.
      if (wParam != 0)
      {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = UINT(std::max(m_rowHeight - 6, 8));
        return TRUE;
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, ktThemeText());
      SetBkColor(dc, ktThemeBackground());
      return reinterpret_cast<LRESULT>(backgroundBrush());
    }
    case WM_ERASEBKGND:
    {
      RECT client{};
      GetClientRect(hwnd(), &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, backgroundBrush());
      return TRUE;
    }
    case WM_DESTROY:
      m_tip.destroy();
      m_editor = nullptr;
      m_activeRow = nullptr;
      releaseAll();
      destroyRetired(nullptr);
      break;
    default:
      if (message == themeChangedMessage())
      {
        Refresh();
        return 0;
      }
      break;
    }
    return previousProc(message, wParam, lParam);
  }

private:
  // An editor hidden while its procedure ran; it goes when that returns.
  struct Retired
  {
    HWND window;
    KtRef<IKtEditableProperty> row;
    int shownIndex; // where the row stood among the shown rows, or -1
  };

  static UINT themeChangedMessage()
  {
    static const UINT message = RegisterWindowMessageW(HOST_MESSAGE_THEME_CHANGED);
    return message;
  }

  HBRUSH backgroundBrush() { return m_brush.get(ktThemeBackground()); }

  void measureRows()
  {
    win::ClientDc dc(hwnd());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    win::SelectedObject useFont(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    m_rowHeight = std::max(int(metrics.tmHeight) + 8, 18);
    SendMessageW(hwnd(), LB_SETITEMHEIGHT, 0, m_rowHeight);
  }

  // Closes the editor as it is, without a commit: one that has the focus
  // gets the focus lock first, so that losing the focus commits nothing.
  void dropEditor()
  {
    HWND editor = std::exchange(m_editor, nullptr);
    IKtEditableProperty* row = std::exchange(m_activeRow, nullptr);
    if (!editor || !IsWindow(editor))
      return;
    const HWND focus = GetFocus();
    if (focus == editor || IsChild(editor, focus))
    {
      const auto locks = reinterpret_cast<INT_PTR>(GetPropW(editor, kInspectorFocusLock));
      SetPropW(editor, kInspectorFocusLock, reinterpret_cast<HANDLE>(locks + 1));
      SetFocus(hwnd());
    }
    closeWindow(editor, row);
  }

  // An editor whose procedure is running (it called the setter that led
  // here) is only hidden; it goes, and its row with it, once the procedure
  // has returned (KtEditorCall posts kInspectorDestroyRetired).
  void closeWindow(HWND editor, IKtEditableProperty* row)
  {
    if (!editor || !IsWindow(editor))
      return;
    if (!GetPropW(editor, kInspectorEditorBusy))
    {
      DestroyWindow(editor);
      return;
    }
    ShowWindow(editor, SW_HIDE);
    SetPropW(editor, kInspectorEditorRetired, reinterpret_cast<HANDLE>(1));
    m_retired.push_back({editor, KtRef<IKtEditableProperty>(row), shownIndexOf(row)});
  }

  // The retired editor that asked (every one for null, when the grid goes).
  void destroyRetired(HWND editor)
  {
    for (std::size_t i = 0; i < m_retired.size();)
    {
      if (editor && m_retired[i].window != editor)
      {
        ++i;
        continue;
      }
      Retired retired = std::move(m_retired[i]);
      m_retired.erase(m_retired.begin() + std::ptrdiff_t(i));
      if (!IsWindow(retired.window))
        continue;
      RemovePropW(retired.window, kInspectorEditorRetired); // no second request from its last messages
      DestroyWindow(retired.window);
    }
  }

  bool holds(IKtEditableProperty* row) const
  {
    return std::any_of(m_rows.begin(), m_rows.end(), [row](const auto& held) { return held.get() == row; });
  }

  void releaseAll()
  {
    if (hwnd())
      SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0); // the rows go in windowProc
    m_rows.clear();
    m_categories.clear();
  }

  // fn(list index, row index) for each row line, in display order.
  template <class Fn>
  void forEachShownRow(Fn&& fn)
  {
    if (!hwnd())
      return;
    const int count = int(SendMessageW(hwnd(), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
      const LPARAM key = SendMessageW(hwnd(), LB_GETITEMDATA, WPARAM(i), 0);
      if (key != LB_ERR && !isHeader(key) && rowOf(key) < int(m_rows.size()))
        fn(i, rowOf(key));
    }
  }

  // The list index of the shown row of that display index, or -1.
  int listIndexOfShown(int index)
  {
    int n = 0, item = -1;
    forEachShownRow([&](int listIndex, int) {
      if (n++ == index)
        item = listIndex;
    });
    return item;
  }

  int nameWidth() const
  {
    RECT client{};
    GetClientRect(hwnd(), &client);
    return std::max(kMinNameWidth, int(client.right) * kNamePercent / 100);
  }

  bool valueRect(int item, RECT& rect)
  {
    if (SendMessageW(hwnd(), LB_GETITEMRECT, WPARAM(item), reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
      return false;
    rect.left += nameWidth() + 1;
    rect.bottom -= 1;
    return rect.right > rect.left;
  }

  IKtEditableProperty* rowAt(int item, LPARAM* keyOut = nullptr)
  {
    const LPARAM key = SendMessageW(hwnd(), LB_GETITEMDATA, WPARAM(item), 0);
    if (keyOut)
      *keyOut = key;
    if (key == LB_ERR || isHeader(key) || rowOf(key) >= int(m_rows.size()))
      return nullptr;
    return m_rows[std::size_t(rowOf(key))].get();
  }

  void invalidateActive() { Refresh(); }

  // The value cell under a point of the client area and the tip it shows;
  // none over a label, a header line or below the rows.
  inspctl::GridTip::Place tipPlaceAt(POINT point)
  {
    inspctl::GridTip::Place place;
    const LRESULT hit = SendMessageW(hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    const int item = LOWORD(hit);
    IKtEditableProperty* row = HIWORD(hit) ? nullptr : rowAt(item);
    CXStringW text;
    if (row && valueRect(item, place.cell) && PtInRect(&place.cell, point) && row->GetText(text))
      place.tip = inspctl::cutTextTip(hwnd(), place.cell, text);
    return place;
  }

  void drawItem(const DRAWITEMSTRUCT& item)
  {
    if (int(item.itemID) < 0)
      return;
    std::unique_ptr<IKtCanvas> canvas = ktHostServices().openCanvas(item.hDC);
    if (!canvas)
      return;
    const KtRect rect{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    const ODCOLORREF background = ktThemeBackground();
    const ODCOLORREF text = ktThemeText();
    const ODCOLORREF line = ktScaleColor(background, ktThemeIsDark() ? 160 : 85);
    const LPARAM key = LPARAM(item.itemData);
    if (isHeader(key))
    {
      canvas->fill(rect, line);
      const int category = categoryOf(key);
      if (category >= 0 && category < int(m_categories.size()))
        canvas->text(rect.inflated(-4, 0), m_categories[std::size_t(category)], text, KtAlign::Left);
      return;
    }
    IKtEditableProperty* row = rowOf(key) < int(m_rows.size()) ? m_rows[std::size_t(rowOf(key))].get() : nullptr;
    const int split = rect.left + nameWidth();
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const KtRect name{rect.left, rect.top, split, rect.bottom};
    canvas->fill(name, selected ? GetSysColor(COLOR_HIGHLIGHT) : background);
    if (row)
      canvas->text({name.left + 12, name.top, name.right - 2, name.bottom}, nameOfLabel(row->GetName()),
                   selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text, KtAlign::Left);
    const KtRect value{split + 1, rect.top, rect.right, rect.bottom - 1};
    canvas->fill({split, rect.top, split + 1, rect.bottom}, line);
    canvas->fill({rect.left, rect.bottom - 1, rect.right, rect.bottom}, line);
    canvas->fill(value, background);
    if (row)
      row->Draw(item.hDC, value);
  }

  void onPress(int x, int y, bool twice)
  {
    // A refused value keeps its editor and the focus: the click does nothing else.
    if (!CloseEditor())
      return;
    const LRESULT hit = SendMessageW(hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    const int item = LOWORD(hit);
    if (HIWORD(hit))
    {
      SetFocus(hwnd());
      return;
    }
    LPARAM key = 0;
    IKtEditableProperty* row = rowAt(item, &key);
    SetFocus(hwnd());
    if (!row)
      return;
    SendMessageW(hwnd(), LB_SETCURSEL, WPARAM(item), 0);
    // The value cell opens the editor at once; the label at a double click,
    // as property grids do.
    if (x > nameWidth() || twice)
      openEditor(item);
  }

  // A character typed on the selected row opens its editor and goes to it,
  // replacing an edit box's text as typing over a selection does.
  bool onChar(wchar_t ch)
  {
    if (ch < L' ' || ch == 0x7F || GetActiveRow())
      return false; // Enter, Tab, Esc, Backspace and other controls are keys here
    const int current = int(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
    if (current < 0 || !rowAt(current))
      return false;
    userActed();
    openEditor(current);
    if (!m_editor || !IsWindow(m_editor))
      return true;
    HWND target = GetFocus();
    if (target != m_editor && !IsChild(m_editor, target))
      target = m_editor;
    wchar_t className[16]{};
    GetClassNameW(target, className, 16);
    if (lstrcmpiW(className, L"Edit") == 0)
      SendMessageW(target, EM_SETSEL, 0, -1);
    SendMessageW(target, WM_CHAR, WPARAM(ch), 0);
    return true;
  }

  void openEditor(int item)
  {
    // An open editor closes first (with its commit, which may change the rows).
    if (!CloseEditor())
      return;
    IKtEditableProperty* row = rowAt(item);
    RECT cell{};
    if (!row || !row->CanChange() || !valueRect(item, cell))
      return;
    // The row's cell is the editor's; a row without an editor window (the
    // colour swatch's dialog) has done its work when this returns.
    KtRef<IKtEditableProperty> hold(row);
    m_activeRow = row;
    m_tip.reset(); // the editor covers the cell
    HWND editor = static_cast<HWND>(row->CreateEditor(hwnd(), {cell.left, cell.top, cell.right, cell.bottom}));
    // The colour dialog's setter may have let the grid's rows go meanwhile.
    if (editor && holds(row))
    {
      m_editor = editor;
      m_editorCellTop = cell.top;
    }
    else
    {
      m_activeRow = nullptr;
      closeWindow(editor, row);
    }
    Refresh();
  }

  bool onKey(UINT key)
  {
    userActed();
    const int count = int(SendMessageW(hwnd(), LB_GETCOUNT, 0, 0));
    int current = int(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
    const int page = std::max(1, clientRows() - 1);
    int target = current;
    int direction = 1;
    switch (key)
    {
    case VK_UP: target = current - 1, direction = -1; break;
    case VK_DOWN: target = current + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1, direction = -1; break;
    case VK_PRIOR: target = std::max(current - page, 0), direction = -1; break;
    case VK_NEXT: target = std::min(current + page, count - 1); break;
    case VK_RETURN:
    case VK_F2:
      if (current >= 0)
        openEditor(current);
      return true;
    default: return false;
    }
    // Header lines are skipped; past the ends the selection stays.
    target = std::clamp(target, 0, std::max(count - 1, 0));
    while (target >= 0 && target < count && !rowAt(target))
      target += direction;
    if (target < 0 || target >= count)
      return true;
    SendMessageW(hwnd(), LB_SETCURSEL, WPARAM(target), 0);
    // The first row of a group brings the group's header line into sight
    // with it, or going up the user could never see it.
    if (target > 0 && !rowAt(target - 1) && SendMessageW(hwnd(), LB_GETTOPINDEX, 0, 0) > target - 1)
      SendMessageW(hwnd(), LB_SETTOPINDEX, WPARAM(target - 1), 0);
    return true;
  }

  // An editor asks to be closed: a key (and the move it asks for), or its
  // loss of the focus. The focus comes back to the grid unless the user put
  // it outside the grid.
  void onCloseRequest(HWND editor, InspectorClose how)
  {
    if (!editor)
      return;
    const HWND focus = GetFocus();
    // No focus at all in this thread: the editor that had it is gone, unless
    // the user went to another application, which keeps it.
    const bool focusHere = (!focus && win::userIsInThreadOf(hwnd())) || focus == hwnd() || IsChild(hwnd(), focus);
    if (editor == m_editor)
    {
      if (!CloseEditor())
        return;
    }
    else
    {
      // The editor's commit let the rows go and the owner built new ones;
      // unless the user has opened or selected something since, the keys go
      // on from the same row among them.
      auto retired =
        std::find_if(m_retired.begin(), m_retired.end(), [editor](const Retired& r) { return r.window == editor; });
      const bool userSelected = SendMessageW(hwnd(), LB_GETCURSEL, 0, 0) != LB_ERR && !m_selectionRestored;
      if (retired == m_retired.end() || GetActiveRow() || userSelected)
        return;
      selectSameRow(*retired);
    }
    if (!focusHere)
      return;
    SetFocus(hwnd());
    if (how == kInspectorCloseNext || how == kInspectorClosePrevious)
      onKey(how == kInspectorCloseNext ? VK_DOWN : VK_UP);
  }

  // Selects the row of the retired editor's label among the rows now shown,
  // or, when none has it, the row now at its place.
  void selectSameRow(const Retired& retired)
  {
    const CXStringW& label = retired.row->GetName();
    int item = -1, last = -1, n = 0;
    forEachShownRow([&](int listIndex, int row) {
      if (item < 0 && m_rows[std::size_t(row)]->GetName() == label)
        item = listIndex;
      if (n++ <= retired.shownIndex)
        last = listIndex;
    });
    SendMessageW(hwnd(), LB_SETCURSEL, WPARAM(item >= 0 ? item : last), 0);
  }

  // The row's index among the shown rows, or -1.
  int shownIndexOf(IKtEditableProperty* row)
  {
    int n = 0, found = -1;
    forEachShownRow([&](int, int held) {
      if (found < 0 && m_rows[std::size_t(held)].get() == row)
        found = n;
      ++n;
    });
    return found;
  }

  // A rebuild (the rows let go of, then added again) keeps the selection on
  // the row of the same label and the list scrolled where it was, until the
  // user does something in the grid.
  void rememberForRebuild()
  {
    if (!hwnd())
      return;
    const int selected = int(SendMessageW(hwnd(), LB_GETCURSEL, 0, 0));
    IKtEditableProperty* row = selected >= 0 ? rowAt(selected) : nullptr;
    if (row)
    {
      m_rebuild.label = row->GetName();
      m_rebuild.select = true;
    }
    const int top = int(SendMessageW(hwnd(), LB_GETTOPINDEX, 0, 0));
    if (top > 0)
      m_rebuild.top = top;
    m_selectionRestored = false;
  }

  void restoreAfterRebuild(IKtEditableProperty* row, int item)
  {
    if (item < 0)
      return;
    if (m_rebuild.select && row->GetName() == m_rebuild.label)
    {
      SendMessageW(hwnd(), LB_SETCURSEL, WPARAM(item), 0);
      m_rebuild.select = false;
      m_selectionRestored = true;
    }
    // Set again as each row comes: the list box allows no top line that
    // would leave the last page short, so it reaches the old one only once
    // enough rows are back.
    if (m_rebuild.top > 0)
      SendMessageW(hwnd(), LB_SETTOPINDEX, WPARAM(m_rebuild.top), 0);
  }

  void userActed()
  {
    m_rebuild = Rebuild();
    m_selectionRestored = false;
  }

  void followActiveRow()
  {
    if (!m_editor || !IsWindow(m_editor) || !m_activeRow)
      return;
    int item = -1;
    forEachShownRow([&](int listIndex, int held) {
      if (item < 0 && m_rows[std::size_t(held)].get() == m_activeRow)
        item = listIndex;
    });
    RECT cell{}, editor{};
    if (item < 0 || !valueRect(item, cell) || cell.top == m_editorCellTop || !GetWindowRect(m_editor, &editor))
      return;
    // Moved by as much as its cell, keeping its size (a list's includes its drop-down).
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&editor), 2);
    SetWindowPos(m_editor, nullptr, editor.left, editor.top + (cell.top - m_editorCellTop), 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    m_editorCellTop = cell.top;
  }

  int clientRows() const
  {
    RECT client{};
    GetClientRect(hwnd(), &client);
    return std::max(1, int(client.bottom) / std::max(m_rowHeight, 1));
  }

  // Messages of the grid's own under way, and whether it was ended meanwhile.
  int m_depth = 0;
  bool m_ended = false;
  std::vector<KtRef<IKtEditableProperty>> m_rows;
  std::vector<Retired> m_retired;
  std::vector<CXStringW> m_categories;
  struct Rebuild
  {
    CXStringW label;
    bool select = false;
    int top = -1;
  };
  Rebuild m_rebuild;
  bool m_selectionRestored = false; // the selection is the rebuild's, not the user's
  HWND m_editor = nullptr;
  int m_editorCellTop = 0; // where the editor's cell was when it was placed
  IKtEditableProperty* m_activeRow = nullptr;
  int m_rowHeight = 20;
  win::SolidBrush m_brush;
  inspctl::GridTip m_tip;
};

InspectorGrid* gridOf(HWND window)
{
  for (InspectorGrid* grid : grids())
    if (grid->GetWindow() == window)
      return grid;
  return nullptr;
}
} // namespace

extern "C" {
__declspec(dllexport) CInspectorCtrl* inspCreateInspectorCtrl(HWND listBox)
{
  if (!listBox || !IsWindow(listBox) || gridOf(listBox))
    return nullptr;
  auto* grid = new InspectorGrid(listBox);
  if (!grid->attached())
  {
    delete grid;
    return nullptr;
  }
  return grid;
}

__declspec(dllexport) void inspDestroyInspectorCtrl(CInspectorCtrl* grid)
{
  auto& all = grids();
  auto found = std::find(all.begin(), all.end(), static_cast<InspectorGrid*>(grid));
  if (found == all.end())
    return;
  (*found)->CloseEditor();
  (*found)->end();
}

__declspec(dllexport) BOOL inspReflectMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  UINT id = 0;
  switch (message)
  {
  case WM_MEASUREITEM: id = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID; break;
  case WM_DRAWITEM: id = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlID; break;
  case WM_COMPAREITEM: id = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->CtlID; break;
  default: return FALSE;
  }
  HWND control = GetDlgItem(parent, int(id));
  if (!control || !gridOf(control))
    return FALSE;
  const LRESULT answer = SendMessageW(control, OCM__BASE + message, wParam, lParam);
  if (result)
    *result = answer;
  return TRUE;
}

__declspec(dllexport) int inspGetGrids(CInspectorCtrl** out, int capacity)
{
  const auto& all = grids();
  for (int i = 0; out && i < capacity && i < int(all.size()); ++i)
    out[i] = all[std::size_t(i)];
  return int(all.size());
}
}
