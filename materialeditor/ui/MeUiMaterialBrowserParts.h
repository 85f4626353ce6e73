// What the browser palette's files share: the view types, the message
// and timer of changed materials, the fill's timer, and opening a material by id.
#pragma once

#include "od/DbMaterial.h"

#include <windows.h>

#include <commctrl.h>

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
// Thumbnails are taken this many to a bitmap and added to the image list
// together. Measured under Wine with 5,000 thumbnails of 96 pixels: eight
// to a bitmap took 40 % longer than four, one to a bitmap no less.
constexpr int kThumbnailStrip = 4;

// The material's diffuse colour, grey when it takes the object's.
COLORREF placeholderColour(const OdDbMaterial& material);

inline OdDbMaterialPtr openMaterial(const OdDbObjectId& id, OdDb::OpenMode mode = OdDb::kForRead)
{
  return OdDbMaterial::cast(id.openObject(mode).get());
}
} // namespace meui
