// Image lists.
//
//   fw::CImageList  an owned image list; detach() hands it to a control
//                   that destroys its image lists itself (a list view
//                   without LVS_SHAREIMAGELISTS)
//   fw::CImageStrip images drawn one by one into one bitmap and added to an
//                   image list in one go
#pragma once

#include "win32/Handles.h"

#include <windows.h>
#include <commctrl.h>

namespace fw
{
class CImageList
{
public:
  CImageList() = default;
  ~CImageList() { reset(); }
  CImageList(CImageList&& other) noexcept : m_list(other.detach()) {}
  CImageList& operator=(CImageList&& other) noexcept
  {
    if (this != &other)
    {
      reset();
      m_list = other.detach();
    }
    return *this;
  }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // Images of cx x cy pixels; flags as ImageList_Create (ILC_COLOR32 | ILC_MASK).
  bool create(int cx, int cy, UINT flags, int initial, int grow);
  HIMAGELIST handle() const { return m_list; }
  HIMAGELIST detach();
  void reset();

  // The index of the new image, or -1.
  int addIcon(HICON icon) const { return m_list ? ImageList_AddIcon(m_list, icon) : -1; }
  int count() const { return m_list ? ImageList_GetImageCount(m_list) : 0; }

private:
  HIMAGELIST m_list = nullptr;
};

// On an image list a control owns: a bitmap with one colour transparent;
// the index of the new image, or -1. A 32-bit DIB section goes into a
// 32-bit list as it is, with the pixels of that colour made transparent in
// its alpha channel (the bitmap's alpha bytes are written); anything else
// goes through the list's mask.
int addMaskedImage(HIMAGELIST list, HBITMAP image, COLORREF transparent);
// Replaces an image, taking the bitmap as it is (no transparent colour).
bool replaceImage(HIMAGELIST list, int index, HBITMAP image);
// Replaces an image with one colour transparent, as addMaskedImage adds one.
bool replaceMaskedImage(HIMAGELIST list, int index, HBITMAP image, COLORREF transparent);

// Room for a number of cx x cy images side by side in one 32-bit DIB
// section. A list of thousands of pictures made one bitmap and one add at a
// time spends more on the bitmaps and the adds than on the pictures.
class CImageStrip
{
public:
  CImageStrip(int cx, int cy, int capacity);
  explicit operator bool() const { return bool(m_bitmap); }
  int count() const { return m_count; }
  bool full() const { return m_count >= m_capacity; }
  // Words from one row of pixels to the next.
  int stride() const { return m_cx * m_capacity; }
  // The top left pixel (0x00RRGGBB) of the next image, which counts from now
  // on; null when the strip is full.
  DWORD* next();
  // The image taken last with next() is not added (it could not be drawn).
  void dropLast();
  // Adds the images in order, as addMaskedImage adds one; the index of the
  // first, or -1. The strip is empty afterwards.
  int addTo(HIMAGELIST list, COLORREF transparent);

private:
  int m_cx, m_cy, m_capacity, m_count = 0;
  DWORD* m_bits = nullptr;
  win::Bitmap m_bitmap;
};
} // namespace fw
