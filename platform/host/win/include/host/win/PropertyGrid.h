// CInspectorCtrl: the host's property grid (inspctl.dll), over an
// owner-drawn list box of a dialog (style 0x50210123: child, visible,
// vertical scroll bar, tab stop, no integral height, owner-drawn rows of
// their own height, sorted, notify).
//
// A module finds it by name: inspctl.dll's "inspCreateInspectorCtrl" makes
// a grid over a list box and "inspDestroyInspectorCtrl" ends it (the list
// box stays). The list box's parent reflects the owner-draw messages to it
// (OCM_MEASUREITEM, OCM_DRAWITEM, OCM_COMPAREITEM: WM_x + OCM__BASE), as
// MFC dialogs do; inspReflectMessage does that for a parent's procedure.
//
// Rows stand under a header line of their label's category ("Generic" of
// "Generic.Diffuse"), categories in the order their first row was added,
// rows in the order added. A click in a row's value cell opens its editor
// (slot 6); the editor closes when its row loses the focus, which stays
// where the user put it. With no editor open the arrow keys move between
// rows (a group's first row shows its header line), Enter or F2 opens the
// editor, and so does a character typed on the selected row (which goes on
// to the editor, replacing an edit box's text) or a double click on a
// label. A row whose text does not fit its cell shows the whole text in a
// tool tip while the pointer rests on the cell. In
// an editor Esc closes it without writing and Enter closes it (an edit box
// commits first); from an edit box Tab, Shift+Tab, Up and Down commit and
// move to the next or previous row, from the other editors Tab and
// Shift+Tab (and Up and Down where the editor has no use for them) move.
// When a commit leads the owner to build the rows again, the move goes on
// from the row of the same label among the new ones (none: from the row at
// its place). The list box's own
// LB_RESETCONTENT empties the grid as RemoveAll does. Rows added again
// after either (a rebuild) bring back the selection on the row of the same
// label and the scroll position, until the user works the grid. A row
// added while an editor is open moves the editor along with its row.
#pragma once

#include "host/KtEditableProperty.h"

#include <windows.h>

// Reflected messages, as MFC and ATL number them.
#ifndef OCM__BASE
#define OCM__BASE (WM_USER + 0x1c00)
#endif
constexpr UINT kOcmCommand = OCM__BASE + WM_COMMAND;
constexpr UINT kOcmDrawItem = OCM__BASE + WM_DRAWITEM;
constexpr UINT kOcmMeasureItem = OCM__BASE + WM_MEASUREITEM;
constexpr UINT kOcmCompareItem = OCM__BASE + WM_COMPAREITEM;

// Posted by an editor to its grid (its parent): close me. wParam says how.
constexpr UINT kInspectorCloseEditor = WM_APP + 0x3A0;
enum InspectorClose : WPARAM
{
  kInspectorCloseKeep = 0,     // Enter, or the focus went elsewhere
  kInspectorCloseCancel = 1,   // Esc: nothing more is written
  kInspectorCloseNext = 2,     // and the next row is selected (Tab, Down)
  kInspectorClosePrevious = 3, // and the previous one (Shift+Tab, Up)
};

// The focus lock of an editor: a count in this window property. While it
// is held, the editor's loss of the focus starts no commit (KtControls.h).
constexpr wchar_t kInspectorFocusLock[] = L"KTKILLFOCUSLOCKED";

// An editor window's procedure may call an owner's setter that leads the
// grid to let go of the rows (a palette building its rows again). While
// the procedure runs, the editor keeps a count in the window property
// kInspectorEditorBusy; the grid does not destroy a busy editor but hides
// it, marks it with kInspectorEditorRetired and holds its row. When the
// count falls to 0 the editor posts kInspectorDestroyRetired (lParam: the
// window) to the grid, which destroys it then and lets go of the row.
constexpr wchar_t kInspectorEditorBusy[] = L"KTEDITORBUSY";
constexpr wchar_t kInspectorEditorRetired[] = L"KTEDITORRETIRED";
constexpr UINT kInspectorDestroyRetired = WM_APP + 0x3A2;

// The list box style of the dialog templates the grid is made over.
constexpr DWORD kInspectorListStyle = 0x50210123;

class CInspectorCtrl
{
public:
  // Adds a row (the grid keeps a reference of its own); its index, or -1.
  virtual int AddProperty(IKtEditableProperty* row) = 0;
  // Closes any editor and lets go of every row.
  virtual void RemoveAll() = 0;
  // Repaints every row from its owner's values.
  virtual void Refresh() = 0;
  // Closes the open editor, if any; false when it kept the focus (a
  // refused value's message was shown).
  virtual bool CloseEditor() = 0;
  virtual HWND GetWindow() = 0;
  // The rows in display order (headers left out).
  virtual int GetRowCount() = 0;
  virtual IKtEditableProperty* GetRow(int index) = 0;
  // The value cell of a shown row, in the list box's client coordinates.
  virtual bool GetValueRect(int index, RECT& rect) = 0;
  virtual IKtEditableProperty* GetActiveRow() = 0;
  // The shown row the selection is on (the one the keys work on), or -1.
  virtual int GetSelectedRow() = 0;
  // The text of the header line a shown row stands under; false when no
  // header line stands above it.
  virtual bool GetRowGroup(int index, CXStringW& group) = 0;
  // The whole text a shown row's tool tip shows over its value cell: the
  // row's text when its cell cuts it; false when the row shows no tip.
  virtual bool GetRowTip(int index, CXStringW& tip) = 0;

protected:
  ~CInspectorCtrl() = default; // inspDestroyInspectorCtrl ends a grid
};

extern "C" {
typedef CInspectorCtrl* (*InspCreateInspectorCtrlFn)(HWND listBox);
typedef void (*InspDestroyInspectorCtrlFn)(CInspectorCtrl* grid);
// Sends a parent's WM_MEASUREITEM, WM_DRAWITEM and WM_COMPAREITEM on to a
// grid's list box; true (and the answer) when the message was a grid's.
typedef BOOL (*InspReflectMessageFn)(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// Every live grid, for the host's DUMP and gestures.
typedef int (*InspGetGridsFn)(CInspectorCtrl** grids, int capacity);
}

#define INSPCTL_LIBRARY L"inspctl.dll"
#define INSPCTL_EXPORT_CREATE "inspCreateInspectorCtrl"
#define INSPCTL_EXPORT_DESTROY "inspDestroyInspectorCtrl"
#define INSPCTL_EXPORT_REFLECT "inspReflectMessage"
#define INSPCTL_EXPORT_GRIDS "inspGetGrids"
