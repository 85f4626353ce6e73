// A live preview: the viewer window and the scene it shows, made and ended
// together in the one order that is safe. The scene frames its sample
// through the viewer, so the viewer's window and graphics exist before the
// scene chooses a sample, and the scene goes before the viewer.
//
// Used by the thumbnail batch (a hidden viewer) and by the Material
// properties dialog (the preview the user turns).
#pragma once

#include "MeGsViewer.h"
#include "MePreviewScene.h"

#include <memory>

namespace meui
{
class MeLivePreview
{
public:
  MeLivePreview() = default;
  ~MeLivePreview() { destroy(); }
  MeLivePreview(const MeLivePreview&) = delete;
  MeLivePreview& operator=(const MeLivePreview&) = delete;

  // Creates the viewer as a child window, attaches it to a new scene and
  // shows the sample (0 sphere, 1 cube, 4 torus). False, with nothing
  // left, when there is no parent, no window or no graphics module (one of
  // the wrong class included).
  bool create(HWND parent, const RECT& place, UINT id, int sampleType);
  // The scene, then the viewer; nothing without them.
  void destroy();

  bool ready() const { return m_scene != nullptr; }
  MeGsViewer& viewer() { return m_viewer; }
  const MeGsViewer& viewer() const { return m_viewer; }
  MePreviewScene* scene() const { return m_scene.get(); }

  // Shows a copy of the material; false when not ready or not copied.
  bool setMaterial(const OdDbObjectId& material);
  bool setMaterial(const OdDbMaterial* material);
  // Another sample, repainted; false when not ready.
  bool setSampleType(int type);

private:
  MeGsViewer m_viewer;
  std::unique_ptr<MePreviewScene> m_scene;
};
} // namespace meui
