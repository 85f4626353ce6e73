#include "MeLivePreview.h"

#include "od/OdError.h"

namespace meui
{
bool MeLivePreview::create(HWND parent, const RECT& place, UINT id, int sampleType)
{
  destroy();
  if (!parent || !m_viewer.createChild(parent, place, id))
    return false;
  try
  {
    auto scene = std::make_unique<MePreviewScene>(m_viewer);
    if (m_viewer.attach(scene->database()) && scene->setSampleType(sampleType))
      m_scene = std::move(scene);
    // A double click in the viewer fits the sample again; the scene goes
    // before the viewer, so it is there whenever the viewer asks.
    m_viewer.setRefit([this] {
      if (m_scene)
        m_scene->fitSample();
    });
  }
  catch (const OdError&)
  {
    // A graphics module of the wrong class: no preview, and no half of one.
  }
  if (!m_scene)
    m_viewer.destroy();
  return m_scene != nullptr;
}

void MeLivePreview::destroy()
{
  m_scene.reset();
  m_viewer.destroy();
}

bool MeLivePreview::setMaterial(const OdDbObjectId& material) { return m_scene && m_scene->setMaterial(material); }

bool MeLivePreview::setMaterial(const OdDbMaterial* material) { return m_scene && m_scene->setMaterial(material); }

bool MeLivePreview::setSampleType(int type)
{
  if (!m_scene || !m_scene->setSampleType(type))
    return false;
  m_viewer.invalidate(true);
  return true;
}
} // namespace meui
