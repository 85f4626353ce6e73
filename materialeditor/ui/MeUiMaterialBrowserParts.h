// What the browser palette's files share: the view types, the message
// and timer of changed materials, the fill's timer, and opening a material by id.
#pragma once

#include "od/DbMaterial.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <vector>

namespace meui
{
// The view types the view-style menu chooses between (the low two bits of
// the list's style).
constexpr int kIconView = LVS_ICON;
constexpr int kListView = LVS_LIST;

// Changed materials are rendered again when this arrives, or at the timer
// when a drag was going on then.
constexpr UINT kChangedMessage = WM_APP + 0x3B0;
constexpr UINT_PTR kChangedTimer = 1;
// The thumbnails that replace the placeholders: their timer, and the time
// one batch may take before the loop gets input again.
constexpr UINT_PTR kFillTimer = 2;
constexpr int kFillBudgetMs = 30;

// A thumbnail's placeholder: a disc of a colour on the list's background.
class PlaceholderPainter
{
public:
  explicit PlaceholderPainter(int size);
  // Into the pixels of a 32-bit DIB of the size, rows stride words apart;
  // false when the disc could not be drawn.
  bool paint(COLORREF colour, COLORREF background, DWORD* pixels, int stride) const;

private:
  int m_size;
  std::vector<std::uint8_t> m_inside; // per pixel: within the disc
};
// The material's diffuse colour, grey when it takes the object's.
COLORREF placeholderColour(const OdDbMaterial& material);

inline OdDbMaterialPtr openMaterial(const OdDbObjectId& id, OdDb::OpenMode mode = OdDb::kForRead)
{
  return OdDbMaterial::cast(id.openObject(mode).get());
}
} // namespace meui
