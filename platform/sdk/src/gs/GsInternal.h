// What the graphics classes share behind their public interfaces.
#pragma once

#include "od/GiContext.h"
#include "od/GsSoftware.h"
#include "render/Renderer.h"

namespace OdGsRender
{
class SceneWatch;

// A view of the software device.
class SoftwareView : public OdGsView
{
public:
  explicit SoftwareView(OdGsDevice* device); // (out of line: SceneWatch is complete there)
  ~SoftwareView() override;

  OdGsDevice* device() const override { return m_device; }
  void setViewport(const OdGePoint2d& lowerLeft, const OdGePoint2d& upperRight) override;
  void getViewport(OdGePoint2d& lowerLeft, OdGePoint2d& upperRight) const override;
  OdGsDCRect viewportRect() const override;
  void setViewportBorderVisibility(bool visible) override;
  bool isViewportBorderVisible() const override { return m_border; }
  void setMode(RenderMode mode) override;
  RenderMode mode() const override { return m_mode; }

  void setView(const OdGePoint3d& position, const OdGePoint3d& target, const OdGeVector3d& upVector, double fieldWidth,
               double fieldHeight, Projection projection = kParallel) override;
  OdGePoint3d position() const override { return m_position; }
  OdGePoint3d target() const override { return m_target; }
  OdGeVector3d upVector() const override { return m_up; }
  double fieldWidth() const override { return m_fieldWidth; }
  double fieldHeight() const override { return m_fieldHeight; }
  bool isPerspective() const override { return m_perspective; }

  void zoom(double factor) override;
  void zoomExtents(const OdGePoint3d& minEye, const OdGePoint3d& maxEye, double margin = 1.0) override;
  void zoomExtentsWorld(const OdGeExtents3d& worldBox, double margin = 1.0) override;
  OdGeMatrix3d viewingMatrix() const override;
  OdGeMatrix3d worldToDeviceMatrix() const override;

  void add(const OdDbObjectId& drawable) override;
  bool erase(const OdDbObjectId& drawable) override;
  void eraseAll() override;
  OdDbObjectIdArray drawables() const override { return m_drawables; }

  void invalidate() override { m_valid = false; }
  bool isValid() const override { return m_valid; }

  // For the device.
  ViewSetup setup() const;
  bool flatShading() const { return m_mode == OdDb::kFlatShaded || m_mode == OdDb::kFlatShadedWithWireframe; }
  void detachDevice() { m_device = nullptr; }
  void markValid() { m_valid = true; }
  // The scene of the drawables, taken again unless the context allows
  // keeping it; then only what changed since is taken again.
  const Scene& scene(const SceneSource& source, const OdGiContext* context, OdUInt64 paletteStamp);

private:
  OdGsDevice* m_device; // the device owns its views
  OdGePoint2d m_lowerLeft{0.0, 0.0};
  OdGePoint2d m_upperRight{1.0, 1.0};
  bool m_border = true;
  RenderMode m_mode = OdDb::k2DOptimized;
  OdGePoint3d m_position{0.0, 0.0, 1.0};
  OdGePoint3d m_target;
  OdGeVector3d m_up{0.0, 1.0, 0.0};
  double m_fieldWidth = 1.0;
  double m_fieldHeight = 1.0;
  bool m_perspective = false;
  OdDbObjectIdArray m_drawables;
  bool m_valid = false;

  Scene m_scene;
  MeshCache m_meshes;
  bool m_sceneKept = false;
  OdUInt64 m_sceneStamp = 0;
  OdUInt64 m_scenePalette = 0;
  const OdGiContext* m_sceneContext = nullptr;
  OdSmartPtr<SceneWatch> m_watch; // notes the changes to the kept scene's database
};
} // namespace OdGsRender
