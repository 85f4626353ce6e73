#include "ui/MeUiThumbnailBatch.h"

#include "resources/MeResources.h"

namespace meui
{
namespace
{
// The sample object of thumbnails, whatever the "SampleObject" setting says.
constexpr int kThumbnailSample = 0;
} // namespace

MeUiThumbnailBatch::MeUiThumbnailBatch(HWND parent, int size) : m_size(size)
{
  // Left of the parent's client area: a visible child there is drawn
  // nowhere on the screen, yet renders as any other.
  const RECT place{-size - 16, 0, -16, size};
  if (size >= 1 && m_preview.create(parent, place, IDC_THUMBNAIL_VIEWER, kThumbnailSample))
    m_preview.viewer().setPicturesOnly(true);
}

MeUiThumbnailBatch::~MeUiThumbnailBatch() = default;

void MeUiThumbnailBatch::show(const OdDbObjectId& material, bool redrawFirst)
{
  m_preview.setMaterial(material);
  if (redrawFirst)
    RedrawWindow(m_preview.viewer().hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

win::Bitmap MeUiThumbnailBatch::render(const OdDbObjectId& material, bool redrawFirst)
{
  if (!m_preview.ready())
    return win::Bitmap();
  show(material, redrawFirst);
  return win::Bitmap(m_preview.viewer().renderToBitmap(0));
}

bool MeUiThumbnailBatch::renderInto(const OdDbObjectId& material, bool redrawFirst, DWORD* pixels, int stride)
{
  if (!m_preview.ready())
    return false;
  show(material, redrawFirst);
  return m_preview.viewer().copyPicture(pixels, m_size, m_size, stride);
}
} // namespace meui
