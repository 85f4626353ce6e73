#include "framework/ImageList.h"

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

int addMaskedImage(HIMAGELIST list, HBITMAP image, COLORREF transparent)
{
  return list && image ? ImageList_AddMasked(list, image, transparent) : -1;
}

bool replaceImage(HIMAGELIST list, int index, HBITMAP image)
{
  return list && image && ImageList_Replace(list, index, image, nullptr);
}
} // namespace fw
