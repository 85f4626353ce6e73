#include "framework/ListCtrl.h"

#include "framework/ModuleState.h"
#include "win32/Dc.h"

namespace fw
{
bool CListCtrl::create(DWORD style, const RECT& rect, HWND parent, UINT id)
{
  m_window.attach(CreateWindowExW(0, WC_LISTVIEWW, L"", style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  moduleInstance(), nullptr));
  return bool(m_window);
}

// The wide messages by name: nothing here depends on UNICODE being defined.
int CListCtrl::insertItem(int index, const wchar_t* text, int image, LPARAM data)
{
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text);
  item.iImage = image;
  item.lParam = data;
  return int(SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::findItemByData(LPARAM data) const
{
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = data;
  return int(SendMessageW(hwnd(), LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
}

LPARAM CListCtrl::itemData(int index) const
{
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  return SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

int CListCtrl::itemImage(int index) const
{
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  return SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
}

void CListCtrl::setItem(int index, const wchar_t* text, int image)
{
  LVITEMW item{};
  item.mask = LVIF_IMAGE | (text ? LVIF_TEXT : 0);
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text);
  item.iImage = image;
  SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CListCtrl::select(int index)
{
  ListView_SetItemState(hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(hwnd(), index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(hwnd(), index);
}

void CListCtrl::setBackground(COLORREF colour)
{
  ListView_SetBkColor(hwnd(), colour);
  ListView_SetTextBkColor(hwnd(), colour);
}

void CListCtrl::setNormalImages(HIMAGELIST images)
{
  if (HIMAGELIST previous = ListView_SetImageList(hwnd(), images, LVSIL_NORMAL))
    if (previous != images)
      ImageList_Destroy(previous);
}

void CListCtrl::setViewType(DWORD type)
{
  const DWORD style = DWORD(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  SetWindowLongPtrW(hwnd(), GWL_STYLE, LONG_PTR((style & ~DWORD(LVS_TYPEMASK)) | (type & LVS_TYPEMASK)));
}

int CListCtrl::textLineHeight() const
{
  const win::ClientDc dc(hwnd());
  if (!dc)
    return 0;
  const win::SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  return GetTextMetricsW(dc.get(), &metrics) ? int(metrics.tmHeight) : 0;
}

void CListCtrl::setRedraw(bool on)
{
  SendMessageW(hwnd(), WM_SETREDRAW, on, 0);
  if (on)
    InvalidateRect(hwnd(), nullptr, TRUE);
}
} // namespace fw
