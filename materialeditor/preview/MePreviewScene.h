// The preview's private drawing: one sample object (sphere, cube or torus)
// in model space and a copy of the material being shown.
//
// The scene frames its sample through a MePreviewView: a window (MeGsViewer)
// or a device without one (MeGsPreview). Attach the view to database()
// before choosing the sample, so that the sample is framed.
#pragma once

#include "MePreviewView.h"

#include "od/DbDatabase.h"

class OdDbMaterial;

namespace meui
{
class MePreviewScene
{
public:
  // The view is not owned and must outlive the scene.
  explicit MePreviewScene(MePreviewView& view);
  ~MePreviewScene();
  MePreviewScene(const MePreviewScene&) = delete;
  MePreviewScene& operator=(const MePreviewScene&) = delete;

  OdDbDatabase* database() const { return m_database.get(); }
  OdDbObjectId sampleId() const { return m_sampleId; }
  // The copy in the private drawing; null before a material is shown and
  // after a copy failed.
  OdDbObjectId materialId() const { return m_materialId; }

  // Replaces the sample: 0 sphere, 1 cube, 4 torus, any other code the
  // sphere. False when no new sample could be made.
  bool setSampleType(int type);

  // Shows a copy of the material on the sample. False, raising nothing, when
  // the material cannot be copied (null, erased, of a closed drawing): the
  // sample then keeps the material it had.
  bool setMaterial(const OdDbMaterial* material);
  bool setMaterial(const OdDbObjectId& material);

  // Frames the sample again from where the camera looks: its box as the
  // camera sees it, with a margin.
  void fitSample();

private:
  OdDbObjectId copyMaterial(const OdDbObjectId& source);
  void keepOnlyMaterial(const OdString& name);
  void giveSampleMaterial();

  OdDbDatabasePtr m_database;
  OdDbObjectId m_sampleId;
  OdDbObjectId m_materialId;
  MePreviewView* m_view;
};
} // namespace meui
