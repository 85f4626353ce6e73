// List views.
//
//   fw::CListCtrl  a list-view control made and owned by its holder (its
//                  window goes with the object), with the operations the
//                  palettes use; the items' texts are wide, and its
//                  scroll bars may be drawn in colours of a theme
#pragma once

#include "win32/Handles.h"

#include <windows.h>
#include <commctrl.h>

namespace fw
{
class CListCtrl
{
public:
  CListCtrl() = default;
  virtual ~CListCtrl() = default;
  CListCtrl(const CListCtrl&) = delete;
  CListCtrl& operator=(const CListCtrl&) = delete;

  bool create(DWORD style, const RECT& rect, HWND parent, UINT id);
  void destroy() { m_window.reset(); }
  HWND hwnd() const { return m_window.get(); }
  explicit operator bool() const { return bool(m_window); }

  int itemCount() const { return ListView_GetItemCount(hwnd()); }
  // Inserts before the index (the count appends); the new item's index or -1.
  int insertItem(int index, const wchar_t* text, int image, LPARAM data);
  bool deleteItem(int index) { return ListView_DeleteItem(hwnd(), index) != FALSE; }
  void deleteAllItems() { ListView_DeleteAllItems(hwnd()); }
  // A list whose holder keeps the items (LVS_OWNERDATA): how many it shows.
  void setItemCount(int count) { ListView_SetItemCountEx(hwnd(), count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL); }
  // The item whose data is the value, or -1.
  int findItemByData(LPARAM data) const;
  LPARAM itemData(int index) const;
  int itemImage(int index) const;
  void setItem(int index, const wchar_t* text, int image);
  // The item that last received the selection, or -1.
  int selectionMark() const { return ListView_GetSelectionMark(hwnd()); }
  // The first selected item, or -1 (a press on blank space selects none).
  int selectedItem() const { return ListView_GetNextItem(hwnd(), -1, LVNI_SELECTED); }
  // The item under the last press of the left button where it lay at the
  // press, or -1 for blank space: the press itself scrolls an item partly in
  // sight into sight, so a double click's second press may land beside the
  // item the first one found. The second press of a double click is no new
  // press here.
  int pressedItem() const { return m_pressedItem; }
  // Where the item lies in screen coordinates (LVIR_BOUNDS, LVIR_ICON...).
  bool itemScreenRect(int index, int part, RECT& rect) const;
  // Selects and focuses one item (the only one in a single-selection list).
  void select(int index);
  void ensureVisible(int index) { ListView_EnsureVisible(hwnd(), index, FALSE); }
  void redrawItem(int index)
  {
    ListView_RedrawItems(hwnd(), index, index);
    UpdateWindow(hwnd());
  }
  // Starts in-place editing of the label; the edit box, or null. The wide
  // message by name: an ANSI edit box turns any name outside the code page
  // into question marks.
  HWND editLabel(int index) { return reinterpret_cast<HWND>(SendMessageW(hwnd(), LVM_EDITLABELW, WPARAM(index), 0)); }
  // The label edit box while a label is edited, else null.
  HWND labelEditor() const;
  // Ends an open label edit as Esc does: the list is told with no text.
  void cancelLabelEdit();

  void setBackground(COLORREF colour);
  // The scroll bars in these colours, drawn over the system's after it has
  // drawn them (the system has no colours per window); CLR_DEFAULT as the
  // track colour gives the system's own back.
  struct ScrollBarColours
  {
    COLORREF track = CLR_DEFAULT;
    COLORREF thumb = CLR_DEFAULT;
    COLORREF arrow = CLR_DEFAULT;
  };
  void setScrollBarColours(const ScrollBarColours& colours);
  // The normal (large-icon) image list; the list destroys it with itself.
  // The one it held before is destroyed here.
  void setNormalImages(HIMAGELIST images);
  HIMAGELIST normalImages() const { return ListView_GetImageList(hwnd(), LVSIL_NORMAL); }
  // The view type in the low two bits of the style (LVS_ICON, LVS_LIST...).
  void setViewType(DWORD type);
  DWORD viewType() const { return DWORD(GetWindowLongPtrW(hwnd(), GWL_STYLE)) & LVS_TYPEMASK; }
  // Redraw off for a batch of changes; on again paints once.
  void setRedraw(bool on);

  // Icon view: the distance from one item's top left corner to the next
  // one's, across and down (the picture, its label and the gaps).
  void setIconSpacing(int across, int down) { ListView_SetIconSpacing(hwnd(), across, down); }
  // Icon view: the items in rows again for the list's present width.
  void arrange() { ListView_Arrange(hwnd(), LVA_DEFAULT); }
  // The height of a line of the list's label font.
  int textLineHeight() const;

  // Redraw off for the scope: on again however the scope ends, so a batch
  // that throws never leaves the list unable to paint.
  class RedrawOff
  {
  public:
    explicit RedrawOff(CListCtrl& list) : m_list(list) { m_list.setRedraw(false); }
    ~RedrawOff() { m_list.setRedraw(true); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

  private:
    CListCtrl& m_list;
  };

private:
  static LRESULT CALLBACK listHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  bool hook();
  void paintScrollBars() const;

  win::Window m_window;
  ScrollBarColours m_scrollBars;
  bool m_hooked = false;
  int m_pressedItem = -1;
};
} // namespace fw
