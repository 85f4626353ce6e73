#include "ui/MeUiThumbnailBatch.h"

#include "resources/MeResources.h"

namespace meui
{
namespace
{
// The sample object of thumbnails, whatever the "SampleObject" setting says.
constexpr int kThumbnailSample = 0;
} // namespace

MeUiThumbnailBatch::MeUiThumbnailBatch(HWND parent, int size)
{
  // Left of the parent's client area: a visible child there is drawn
  // nowhere on the screen, yet renders as any other.
  const RECT place{-size - 16, 0, -16, size};
  if (size >= 1)
    m_preview.create(parent, place, IDC_THUMBNAIL_VIEWER, kThumbnailSample);
}

MeUiThumbnailBatch::~MeUiThumbnailBatch() = default;

win::Bitmap MeUiThumbnailBatch::render(const OdDbObjectId& material, bool redrawFirst)
{
  if (!m_preview.ready())
    return win::Bitmap();
  m_preview.setMaterial(material);
  if (redrawFirst)
    RedrawWindow(m_preview.viewer().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return win::Bitmap(m_preview.viewer().renderToBitmap(0));
}
} // namespace meui
