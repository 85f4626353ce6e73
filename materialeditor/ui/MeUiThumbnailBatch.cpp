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
  if (!parent || size < 1 || !m_viewer.createChild(parent, place, IDC_THUMBNAIL_VIEWER))
    return;
  try
  {
    auto scene = std::make_unique<MePreviewScene>(m_viewer);
    if (!m_viewer.attach(scene->database()) || !scene->setSampleType(kThumbnailSample))
      return;
    m_scene = std::move(scene);
  }
  catch (const OdError&)
  {
    // A graphics module of the wrong class: no thumbnails in this batch.
  }
}

MeUiThumbnailBatch::~MeUiThumbnailBatch()
{
  // The scene frames its sample through the viewer: the scene goes first.
  m_scene.reset();
  m_viewer.destroy();
}

void MeUiThumbnailBatch::show(const OdDbObjectId& material, bool redrawFirst)
{
  m_scene->setMaterial(material);
  if (redrawFirst)
    RedrawWindow(m_viewer.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

win::Bitmap MeUiThumbnailBatch::render(const OdDbObjectId& material, bool redrawFirst)
{
  if (!m_scene)
    return win::Bitmap();
  show(material, redrawFirst);
  return win::Bitmap(m_viewer.renderToBitmap(0));
}

bool MeUiThumbnailBatch::renderInto(const OdDbObjectId& material, bool redrawFirst, DWORD* pixels, int stride)
{
  if (!m_scene)
    return false;
  show(material, redrawFirst);
  return m_viewer.copyPicture(pixels, m_size, m_size, stride);
}
} // namespace meui
