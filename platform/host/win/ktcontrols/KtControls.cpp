#include "host/win/KtControls.h"

#include "host/win/InspctlResources.h"

#include "win32/Dc.h"
#include "win32/Focus.h"

#include <commctrl.h>
#include <windowsx.h>

namespace
{
int lockCount(HWND editor) { return int(reinterpret_cast<INT_PTR>(GetPropW(editor, kInspectorFocusLock))); }

int busyCount(HWND editor) { return int(reinterpret_cast<INT_PTR>(GetPropW(editor, kInspectorEditorBusy))); }

HFONT fontOf(HWND window) { return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)); }

// The focus goes back to an editor only while it shows: one the grid has
// hidden (its rows were let go of during a commit) leaves it with the grid.
// A commit that the switch to another application started leaves the focus
// with that application.
void focusShown(HWND editor)
{
  if (IsWindowVisible(editor) && win::userIsInThreadOf(editor))
    SetFocus(editor);
}

bool shiftDown() { return GetKeyState(VK_SHIFT) < 0; }
} // namespace

HWND ktCreateChild(const wchar_t* className, DWORD style, HWND parent, const RECT& rect, UINT id, const CXStringW& text)
{
  HWND window = CreateWindowExW(0, className, text.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  if (window)
    SendMessageW(window, WM_SETFONT, WPARAM(fontOf(parent)), FALSE);
  return window;
}

void ktLockFocus(HWND editor)
{
  if (!editor || !IsWindow(editor))
    return;
  SetPropW(editor, kInspectorFocusLock, reinterpret_cast<HANDLE>(INT_PTR(lockCount(editor) + 1)));
  focusShown(editor);
}

void ktUnlockFocus(HWND editor)
{
  if (!editor || !IsWindow(editor))
    return;
  const int count = lockCount(editor) - 1;
  if (count < 1)
  {
    RemovePropW(editor, kInspectorFocusLock);
    focusShown(editor);
  }
  else
    SetPropW(editor, kInspectorFocusLock, reinterpret_cast<HANDLE>(INT_PTR(count)));
}

bool ktFocusLocked(HWND editor) { return editor && GetPropW(editor, kInspectorFocusLock) != nullptr; }

void ktRequestClose(HWND editor, InspectorClose how)
{
  if (editor && IsWindow(editor))
    PostMessageW(GetParent(editor), kInspectorCloseEditor, how, reinterpret_cast<LPARAM>(editor));
}

bool ktCloseForKey(WPARAM key, InspectorClose& how)
{
  switch (key)
  {
  case VK_ESCAPE: how = kInspectorCloseCancel; return true;
  case VK_RETURN: how = kInspectorCloseKeep; return true;
  case VK_TAB: how = shiftDown() ? kInspectorClosePrevious : kInspectorCloseNext; return true;
  case VK_UP: how = kInspectorClosePrevious; return true;
  case VK_DOWN: how = kInspectorCloseNext; return true;
  default: return false;
  }
}

KtEditorCall::KtEditorCall(HWND window, IKtEditableProperty* row) : m_window(window), m_row(row)
{
  if (m_window)
    SetPropW(m_window, kInspectorEditorBusy, reinterpret_cast<HANDLE>(INT_PTR(busyCount(m_window) + 1)));
}

KtEditorCall::~KtEditorCall()
{
  if (!m_window || !IsWindow(m_window))
    return;
  const int count = busyCount(m_window) - 1;
  if (count > 0)
  {
    SetPropW(m_window, kInspectorEditorBusy, reinterpret_cast<HANDLE>(INT_PTR(count)));
    return;
  }
  RemovePropW(m_window, kInspectorEditorBusy);
  // The grid hid this editor while it was busy: it can go now.
  if (GetPropW(m_window, kInspectorEditorRetired))
    PostMessageW(GetParent(m_window), kInspectorDestroyRetired, 0, reinterpret_cast<LPARAM>(m_window));
}

RECT ktRect(const KtRect& r) { return {r.left, r.top, r.right, r.bottom}; }
KtRect ktRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// --- CKtEditCtrl

HWND CKtEditCtrl::CreateEdit(HWND parent, const RECT& cell, const CXStringW& text, UINT id)
{
  HWND edit = ktCreateControl(*this, L"EDIT", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, parent, cell, id,
                              text.left(kKtMaxEditText));
  if (!edit)
    return nullptr;
  // The commit reads no more than this: the box takes no more, so what the
  // user sees is what is written.
  SendMessageW(edit, EM_LIMITTEXT, kKtMaxEditText, 0);
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 2));
  // A one-line edit box writes its text at its top, where the cell centres
  // it: the box starts as far down as the cell's text does, so the text
  // does not jump when the editor opens.
  TEXTMETRICW metrics{};
  if (HDC dc = GetDC(edit))
  {
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
  }
  const int cellHeight = int(cell.bottom - cell.top);
  const int drop = (cellHeight - int(metrics.tmHeight)) / 2;
  if (metrics.tmHeight > 0 && drop > 0)
    SetWindowPos(edit, nullptr, cell.left, cell.top + drop, cell.right - cell.left, cellHeight - drop,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
  return edit;
}

bool CKtEditCtrl::IsModified() const { return hwnd() && SendMessageW(hwnd(), EM_GETMODIFY, 0, 0) != 0; }

CXStringW CKtEditCtrl::text(int maxCharacters)
{
  if (!hwnd() || maxCharacters <= 0)
    return CXStringW();
  std::wstring buffer(std::size_t(maxCharacters) + 1, L'\0');
  const int length = GetWindowTextW(hwnd(), &buffer[0], maxCharacters + 1);
  buffer.resize(std::size_t(std::max(length, 0)));
  return CXStringW(buffer);
}

void CKtEditCtrl::setModified(bool modified)
{
  if (hwnd())
    SendMessageW(hwnd(), EM_SETMODIFY, modified ? TRUE : FALSE, 0);
}

void CKtEditCtrl::focus()
{
  if (hwnd())
    focusShown(hwnd());
}

LRESULT CKtEditCtrl::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const KtEditorCall call = ktEditorCall(this);
  switch (message)
  {
  case WM_GETDLGCODE: // Enter, Esc and Tab are the edit box's, not the dialog's
    return previousProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
  case WM_KEYDOWN:
  {
    InspectorClose how = kInspectorCloseKeep;
    if (!ktCloseForKey(wParam, how))
      break;
    if (how == kInspectorCloseCancel)
      OnEditCancel();
    else
      OnEditCommit(how);
    return 0;
  }
  case WM_CHAR: // no beep for the keys handled above
    if (wParam == L'\r' || wParam == 27 || wParam == L'\t')
      return 0;
    break;
  case WM_KILLFOCUS:
  {
    const LRESULT result = previousProc(message, wParam, lParam);
    OnEditKillFocus(reinterpret_cast<HWND>(wParam));
    return result;
  }
  case WM_DESTROY:
    OnEditDestroyed();
    break;
  default: break;
  }
  return previousProc(message, wParam, lParam);
}

// --- CKtComboBoxCtrl

HWND CKtComboBoxCtrl::CreateCombo(HWND parent, const RECT& cell, UINT id)
{
  // The height is the dropped-down list's; the field takes the cell's.
  RECT rect = cell;
  rect.bottom = rect.top + 200;
  HWND combo = ktCreateControl(*this, WC_COMBOBOXW,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                               parent, rect, id);
  if (!combo)
    return nullptr;
  SendMessageW(combo, CB_SETEXTENDEDUI, TRUE, 0);
  const int field = std::max(int(cell.bottom - cell.top) - 6, 8);
  SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), field);
  SendMessageW(combo, CB_SETITEMHEIGHT, 0, field + 2);
  return combo;
}

void CKtComboBoxCtrl::ResetItems()
{
  if (hwnd())
    SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
}

int CKtComboBoxCtrl::AddItem(const CXStringW& text)
{
  return hwnd() ? int(SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()))) : -1;
}

int CKtComboBoxCtrl::ItemCount() const { return hwnd() ? int(SendMessageW(hwnd(), CB_GETCOUNT, 0, 0)) : 0; }
int CKtComboBoxCtrl::Selection() const { return hwnd() ? int(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0)) : -1; }

void CKtComboBoxCtrl::SetSelection(int index)
{
  if (hwnd())
    SendMessageW(hwnd(), CB_SETCURSEL, WPARAM(index), 0);
}

namespace
{
// Not during the notification that wrote: the list is still closing then.
const UINT kRefillMessage = WM_APP + 0x3A1;
} // namespace

void CKtComboBoxCtrl::RefillLater()
{
  if (hwnd())
    PostMessageW(hwnd(), kRefillMessage, 0, 0);
}

bool CKtComboBoxCtrl::IsDropped() const { return hwnd() && SendMessageW(hwnd(), CB_GETDROPPEDSTATE, 0, 0) != 0; }

CXStringW CKtComboBoxCtrl::ItemText(int index) const
{
  if (!hwnd() || index < 0)
    return CXStringW();
  const LRESULT length = SendMessageW(hwnd(), CB_GETLBTEXTLEN, WPARAM(index), 0);
  if (length == CB_ERR)
    return CXStringW();
  std::wstring text(std::size_t(length) + 1, L'\0');
  SendMessageW(hwnd(), CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(std::size_t(length));
  return CXStringW(text);
}

void CKtComboBoxCtrl::drawItem(const DRAWITEMSTRUCT& item)
{
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const ODCOLORREF background = selected ? GetSysColor(COLOR_HIGHLIGHT) : ktThemeBackground();
  std::unique_ptr<IKtCanvas> canvas = ktHostServices().openCanvas(item.hDC);
  if (!canvas)
    return;
  const KtRect rect = ktRect(item.rcItem);
  canvas->fill(rect, background);
  if (int(item.itemID) >= 0)
    OnComboDrawItem(*canvas, rect, int(item.itemID), selected);
  if (item.itemState & ODS_FOCUS)
    DrawFocusRect(item.hDC, &item.rcItem);
}

LRESULT CKtComboBoxCtrl::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const KtEditorCall call = ktEditorCall(this);
  switch (message)
  {
  case WM_KEYDOWN:
  {
    // The open list takes Esc and Enter itself (Enter chooses); Up and Down
    // are the list's (Down opens it).
    InspectorClose how = kInspectorCloseKeep;
    if (!ktCloseForKey(wParam, how) || wParam == VK_UP || wParam == VK_DOWN)
      break;
    if (wParam != VK_TAB && IsDropped())
      break;
    if (IsDropped())
      SendMessageW(hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
    ktRequestClose(hwnd(), how);
    return 0;
  }
  case kOcmCommand:
    if (HIWORD(wParam) == CBN_SELENDOK)
      OnComboChosen(Selection());
    return 0;
  case kOcmDrawItem:
    drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  case kOcmMeasureItem:
    return TRUE; // the heights were set when the list was made
  case WM_MOUSEWHEEL:
  {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT bounds{};
    GetWindowRect(hwnd(), &bounds);
    if (IsDropped())
      break;
    if (!PtInRect(&bounds, cursor))
      return SendMessageW(GetParent(hwnd()), message, wParam, lParam); // the grid scrolls
    const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    const int count = ItemCount();
    int index = Selection();
    // Away from the user goes up the list, towards the user down, one item a notch.
    for (int i = 0; i < std::abs(notches); ++i)
    {
      const int next = notches > 0 ? index - 1 : index + 1;
      if (next < 0 || next >= count || (index < 0 && notches > 0))
        break;
      index = next;
      SetSelection(index);
      OnComboWheel(index);
    }
    return 0;
  }
  case WM_KILLFOCUS:
  {
    const LRESULT result = previousProc(message, wParam, lParam);
    OnComboKillFocus(reinterpret_cast<HWND>(wParam));
    return result;
  }
  case kRefillMessage:
    if (!IsDropped())
      OnComboRefill();
    return 0;
  case WM_DESTROY: OnComboDestroyed(); break;
  default: break;
  }
  return previousProc(message, wParam, lParam);
}

// --- CKtButtonCtrl

HWND CKtButtonCtrl::CreateButton(HWND parent, const RECT& cell, UINT id)
{
  const int side = cell.bottom - cell.top;
  const RECT rect{std::max(cell.left, cell.right - side), cell.top, cell.right, cell.bottom};
  HWND button = ktCreateControl(*this, WC_BUTTONW, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, parent, rect, id, L"...");
  if (!button)
    return nullptr;
  if (HMODULE host = GetModuleHandleW(INSPCTL_LIBRARY))
  {
    m_bitmap.attach(static_cast<HBITMAP>(LoadImageW(host, MAKEINTRESOURCEW(ktThemeIsDark() ? IDB_BROWSE_DARK : IDB_BROWSE),
                                                    IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (m_bitmap)
    {
      SetWindowLongPtrW(button, GWL_STYLE, GetWindowLongPtrW(button, GWL_STYLE) | BS_BITMAP);
      SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bitmap.get()));
    }
  }
  return button;
}

LRESULT CKtButtonCtrl::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const KtEditorCall call = ktEditorCall(this);
  switch (message)
  {
  case WM_KEYDOWN:
  {
    InspectorClose how = kInspectorCloseKeep;
    if (!ktCloseForKey(wParam, how))
      break;
    if (wParam == VK_RETURN) // as in a dialog: Enter presses the focused button
    {
      // The Enter character this key put in the queue would reach a menu
      // the press opens and close it at once, as its own Enter.
      MSG typed{};
      if (PeekMessageW(&typed, hwnd(), WM_CHAR, WM_CHAR, PM_NOREMOVE) && typed.wParam == L'\r')
        PeekMessageW(&typed, hwnd(), WM_CHAR, WM_CHAR, PM_REMOVE);
      OnButtonPressed();
    }
    else
      ktRequestClose(hwnd(), how);
    return 0;
  }
  case kOcmCommand:
    if (HIWORD(wParam) == BN_CLICKED)
      OnButtonPressed();
    return 0;
  case WM_KILLFOCUS:
  {
    const LRESULT result = previousProc(message, wParam, lParam);
    OnButtonKillFocus(reinterpret_cast<HWND>(wParam));
    return result;
  }
  case WM_DESTROY: OnButtonDestroyed(); break;
  default: break;
  }
  return previousProc(message, wParam, lParam);
}
