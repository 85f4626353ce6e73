#include "framework/ImageList.h"

#include <algorithm>

namespace fw
{
bool CImageList::create(int cx, int cy, UINT flags, int initial, int grow)
{
  reset();
  m_list = ImageList_Create(cx, cy, flags, initial, grow);
  return m_list != nullptr;
}

HIMAGELIST CImageList::detach()
{
  HIMAGELIST list = m_list;
  m_list = nullptr;
  return list;
}

void CImageList::reset()
{
  if (m_list)
    ImageList_Destroy(m_list);
  m_list = nullptr;
}

namespace
{
// The pixels of a top-down or bottom-up 32-bit DIB section, or null.
DWORD* pixels32(HBITMAP image, int& count)
{
  DIBSECTION dib{};
  if (GetObjectW(image, sizeof dib, &dib) != int(sizeof dib) || dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits)
    return nullptr;
  GdiFlush();
  count = dib.dsBm.bmWidth * dib.dsBm.bmHeight;
  return static_cast<DWORD*>(dib.dsBm.bmBits);
}

// The Win32 layer's top-down 32-bit DIB section, its pixels as words.
win::Bitmap dibSection(int width, int height, DWORD*& bits)
{
  void* pixels = nullptr;
  win::Bitmap bitmap = win::topDownDib(width, height, pixels);
  bits = static_cast<DWORD*>(pixels);
  return bitmap;
}

bool is32Bit(HIMAGELIST list)
{
  IMAGEINFO info{};
  BITMAP bitmap{};
  return ImageList_GetImageCount(list) == 0 ||
         (ImageList_GetImageInfo(list, 0, &info) && GetObjectW(info.hbmImage, sizeof bitmap, &bitmap) &&
          bitmap.bmBitsPixel == 32);
}

// The pixels of a 32-bit DIB section with the transparent colour keyed out
// in their alpha; false when the image is no such section or the list is
// not 32-bit, which then needs a mask.
bool keyOutInAlpha(HIMAGELIST list, HBITMAP image, COLORREF transparent)
{
  int count = 0;
  DWORD* pixels = pixels32(image, count);
  if (!pixels || !is32Bit(list))
    return false;
  // The alpha channel does what a mask would, without the mask's bitmaps
  // and blits at every add (three times as fast under Wine). A DIB holds
  // 0x00RRGGBB, a COLORREF 0x00BBGGRR.
  const DWORD key = DWORD(GetRValue(transparent)) << 16 | DWORD(GetGValue(transparent)) << 8 | GetBValue(transparent);
  for (int i = 0; i < count; ++i)
    pixels[i] = (pixels[i] & 0x00FFFFFF) == key ? 0 : (pixels[i] | 0xFF000000);
  return true;
}
} // namespace

int addMaskedImage(HIMAGELIST list, HBITMAP image, COLORREF transparent)
{
  if (!list || !image)
    return -1;
  if (!keyOutInAlpha(list, image, transparent))
    return ImageList_AddMasked(list, image, transparent);
  return ImageList_Add(list, image, nullptr);
}

bool replaceMaskedImage(HIMAGELIST list, int index, HBITMAP image, COLORREF transparent)
{
  if (!list || !image || index < 0 || index >= ImageList_GetImageCount(list))
    return false;
  // A list with a mask of its own: the image shows whole, as replaceImage puts it.
  if (!keyOutInAlpha(list, image, transparent))
    return replaceImage(list, index, image);
  return ImageList_Replace(list, index, image, nullptr);
}

bool replaceImage(HIMAGELIST list, int index, HBITMAP image)
{
  if (!list || !image)
    return false;
  int count = 0;
  if (DWORD* pixels = pixels32(image, count))
    for (int i = 0; i < count; ++i)
      pixels[i] |= 0xFF000000; // all of it shows
  return ImageList_Replace(list, index, image, nullptr);
}
CImageStrip::CImageStrip(int cx, int cy, int capacity) : m_cx(cx), m_cy(cy), m_capacity(capacity > 0 ? capacity : 1)
{
  if (cx > 0 && cy > 0)
    m_bitmap = dibSection(cx * m_capacity, cy, m_bits);
}

DWORD* CImageStrip::next()
{
  if (!m_bits || full())
    return nullptr;
  return m_bits + std::size_t(m_cx) * std::size_t(m_count++);
}

void CImageStrip::dropLast()
{
  if (m_count > 0)
    --m_count;
}

int CImageStrip::addTo(HIMAGELIST list, COLORREF transparent)
{
  const int count = m_count;
  m_count = 0;
  if (!m_bitmap || count == 0)
    return -1;
  if (count == m_capacity)
    return addMaskedImage(list, m_bitmap.get(), transparent);
  // The list takes as many images as the bitmap is wide: the filled ones
  // go over into a bitmap of their width.
  DWORD* bits = nullptr;
  const win::Bitmap part = dibSection(m_cx * count, m_cy, bits);
  if (!part)
    return -1;
  for (int y = 0; y < m_cy; ++y)
    std::copy_n(m_bits + std::size_t(y) * std::size_t(stride()), std::size_t(m_cx) * std::size_t(count),
                bits + std::size_t(y) * std::size_t(m_cx) * std::size_t(count));
  return addMaskedImage(list, part.get(), transparent);
}
} // namespace fw
