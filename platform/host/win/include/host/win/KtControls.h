// The editor windows of the grid's row families, and the focus lock.
//
//   ktLockFocus / ktUnlockFocus / ktFocusLocked   the lock counter in the
//                   editor's window property "KTKILLFOCUSLOCKED"
//   KtEditorCall    held at the top of every editor's window procedure
//   CKtEditCtrl     an edit box: Enter commits, Esc cancels, Tab, Shift+Tab,
//                   Up and Down commit and move; the loss of the focus
//                   commits a modified text unless the lock is held
//   CKtComboBoxCtrl an owner-drawn drop-down list with the extended keyboard
//                   interface (the list opens with the down arrow); the wheel
//                   over the closed list moves the selection one item; with
//                   the list closed Esc and Enter close it, Tab moves
//   CKtButtonCtrl   a bitmap button at the right of a cell; Enter presses it
//
// Each is a TWnd subclass of a system control that the row family creates
// in its cell; the family derives from it and overrides the On... hooks.
// Notifications that the system sends to the grid (the parent) come back
// reflected (OCM_COMMAND, OCM_DRAWITEM, OCM_MEASUREITEM).
#pragma once

#include "host/KtProperty.h"
#include "host/win/PropertyGrid.h"
#include "win32/Dc.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <windows.h>

void ktLockFocus(HWND editor);
void ktUnlockFocus(HWND editor);
bool ktFocusLocked(HWND editor);

// Asks the grid (the editor's parent) to close the editor.
void ktRequestClose(HWND editor, InspectorClose how);
// What a key asks of an editor: Esc, Enter, Tab and Shift+Tab, Up and Down;
// false for any other key. Each editor decides what it does with it.
bool ktCloseForKey(WPARAM key, InspectorClose& how);

// The row an editor window belongs to, held while the window's procedure
// runs: an owner's setter called from there may lead the grid to let go of
// the row, which must still be there when the setter returns. The window
// counts as busy meanwhile, so the grid only hides it (PropertyGrid.h).
class KtEditorCall
{
public:
  KtEditorCall(HWND window, IKtEditableProperty* row);
  ~KtEditorCall();
  KtEditorCall(const KtEditorCall&) = delete;
  KtEditorCall& operator=(const KtEditorCall&) = delete;

private:
  HWND m_window;
  KtRef<IKtEditableProperty> m_row;
};
// The call of an editor control that is (also) a row; a bare control holds nothing.
template <class Control>
KtEditorCall ktEditorCall(Control* control)
{
  return KtEditorCall(control->hwnd(), dynamic_cast<IKtEditableProperty*>(control));
}

// A child window of the class over rect, in the parent's font; null when it
// cannot be made.
HWND ktCreateChild(const wchar_t* className, DWORD style, HWND parent, const RECT& rect, UINT id,
                   const CXStringW& text = CXStringW());
// The same, subclassed by control; null (and no window) when either fails.
template <class T>
HWND ktCreateControl(win::TWnd<T>& control, const wchar_t* className, DWORD style, HWND parent, const RECT& rect,
                     UINT id, const CXStringW& text = CXStringW())
{
  HWND window = ktCreateChild(className, style, parent, rect, id, text);
  if (window && !control.subclass(window))
  {
    DestroyWindow(window);
    return nullptr;
  }
  return window;
}
// For an editor control's destructor: its window goes without the object,
// which is being destroyed, hearing of it.
template <class T>
void ktDestroyControl(win::TWnd<T>& control)
{
  HWND window = control.hwnd();
  control.unsubclass();
  if (window && IsWindow(window))
    DestroyWindow(window);
}

RECT ktRect(const KtRect& rect);
KtRect ktRect(const RECT& rect);

// WM_PAINT of a control drawn through a canvas: draw(canvas, client rect)
// inside BeginPaint/EndPaint, in the window's font.
template <class Draw>
void ktPaint(HWND window, Draw&& draw)
{
  win::PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  if (std::unique_ptr<IKtCanvas> canvas = ktHostServices().openCanvas(paint.get()))
  {
    win::SelectedObject useFont(paint.get(), reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    draw(*canvas, ktRect(client));
  }
}

// The control identifier of the edit and combo editors.
constexpr UINT kKtEditorId = 1001;

class CKtEditCtrl : public win::TWnd<CKtEditCtrl>, public IKtEditSite
{
public:
  ~CKtEditCtrl() override { ktDestroyControl(*this); }
  // An edit box over the cell with the text, in the parent's font, all of
  // the text selected, taking at most kKtMaxEditText characters; null when
  // it cannot be made.
  HWND CreateEdit(HWND parent, const RECT& cell, const CXStringW& text, UINT id);
  bool IsModified() const;

  // IKtEditSite
  CXStringW text(int maxCharacters) override;
  void setModified(bool modified) override;
  void lockFocus() override { ktLockFocus(hwnd()); }
  void unlockFocus() override { ktUnlockFocus(hwnd()); }
  void focus() override;

protected:
  // Enter (how: keep), or Tab, Shift+Tab, Up, Down (how: the move).
  virtual void OnEditCommit(InspectorClose how) { (void)how; }
  virtual void OnEditCancel() {}
  virtual void OnEditKillFocus(HWND next) { (void)next; }
  virtual void OnEditDestroyed() {}
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class CKtComboBoxCtrl : public win::TWnd<CKtComboBoxCtrl>
{
public:
  ~CKtComboBoxCtrl() override { ktDestroyControl(*this); }
  // A drop-down list (no text field) over the cell; items of itemHeight.
  HWND CreateCombo(HWND parent, const RECT& cell, UINT id);
  void ResetItems();
  int AddItem(const CXStringW& text);
  int ItemCount() const;
  int Selection() const;
  void SetSelection(int index);
  bool IsDropped() const;
  CXStringW ItemText(int index) const;

protected:
  // The user chose an item (clicked it, or Enter in the open list).
  virtual void OnComboChosen(int index) { (void)index; }
  // A wheel notch over the closed list moved the selection to index.
  virtual void OnComboWheel(int index) { (void)index; }
  // One item (selected: highlighted) or the closed list's field.
  virtual void OnComboDrawItem(IKtCanvas& canvas, const KtRect& rect, int index, bool selected)
  {
    (void)canvas, (void)rect, (void)index, (void)selected;
  }
  virtual void OnComboKillFocus(HWND next) { (void)next; }
  virtual void OnComboDestroyed() {}
  // Posted after a write (RefillLater): the list again from the owner's value.
  virtual void OnComboRefill() {}
  void RefillLater();
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void drawItem(const DRAWITEMSTRUCT& item);
};

class CKtButtonCtrl : public win::TWnd<CKtButtonCtrl>
{
public:
  ~CKtButtonCtrl() override { ktDestroyControl(*this); }
  // A square button at the right end of the cell with the host's browse
  // bitmap (IDB_BROWSE_DARK on a dark theme, else IDB_BROWSE, from inspctl.dll).
  HWND CreateButton(HWND parent, const RECT& cell, UINT id);

protected:
  virtual void OnButtonPressed() {}
  virtual void OnButtonKillFocus(HWND next) { (void)next; }
  virtual void OnButtonDestroyed() {}
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  win::Bitmap m_bitmap;
};
