// Texture map editors: the write path from the Texture editor into one map of
// the material being edited.
//
//   MeBaseTextureEditor   the map record (the material editor's cached copy),
//                         apply (write it into the material), end of editing
//   MeFileTextureEditor   the image-file parameters: file, brightness,
//                         position, rotation, scale, repeat, projection, and
//                         the two lock rules of position and scale
//   MapTransform          offset, scale and rotation composed into and taken
//                         out of a mapper's transform
#pragma once

#include "od/GiMaterial.h"

namespace me
{
// The parameters a mapper transform is built from. Composition keeps only
// offset x and y; scale z is kept, offset z is dropped.
struct MapTransform
{
  OdGeVector3d offset{0.0, 0.0, 0.0};
  OdGeVector3d scale{1.0, 1.0, 1.0};
  double rotation = 0.0; // radians about Z, [0, 2 pi) when decomposed

  static MapTransform decompose(const OdGeMatrix3d& matrix);
  OdGeMatrix3d compose() const;
};

class MeBaseTextureEditor
{
public:
  explicit MeBaseTextureEditor(MaterialMap& map) : m_map(&map) {}
  // Ends map editing in the material editor, as endEditing does.
  virtual ~MeBaseTextureEditor();
  MeBaseTextureEditor(const MeBaseTextureEditor&) = delete;
  MeBaseTextureEditor& operator=(const MeBaseTextureEditor&) = delete;

  // Asks the material editor to write the edited map into the material.
  virtual void apply();
  virtual void endEditing();

  OdString mapText() const;
  MaterialMap& map() const { return *m_map; }

private:
  MaterialMap* m_map;
};

class MeFileTextureEditor : public MeBaseTextureEditor
{
public:
  using MeBaseTextureEditor::MeBaseTextureEditor;

  // Every setter changes the map and then applies it; getters only read.
  double brightness() const;
  void setBrightness(double brightness);
  int projection() const;
  void setProjection(int projection);
  int horizontalTiling() const;
  int verticalTiling() const;
  void setHorizontalTiling(int tiling);
  void setVerticalTiling(int tiling);
  void setFileName(const OdString& fileName);

  // Where the host's texture search finds the stored file in the current
  // drawing, or empty.
  OdString foundAtPath() const;
  // The stored path does not exist but the search finds the file.
  bool isFoundElsewhere() const;

  void offset(OdGeVector3d& offset) const;
  void scale(OdGeVector3d& scale) const;
  // (0, 0, angle in radians).
  void rotation(OdGeVector3d& rotation) const;
  // NaN or infinite components are refused with eInvalidInput before
  // anything changes. A scale of 0 is not: it is stored, and reads back as 1.
  void setOffset(const OdGeVector3d& offset);
  void setScale(const OdGeVector3d& scale);
  // z in degrees.
  void setRotation(const OdGeVector3d& degrees);

  // The lock rules of the position and scale rows, each ending in one
  // setOffset or setScale. The locks are the settings "LockPositionAxis"
  // and "LockSampleSize".
  void setPositionX(double x);
  void setPositionY(double y);
  // On: both offsets take the larger one. Off: only the setting changes.
  void setLockOffset(bool lock);
  // Widths and heights not greater than 0 (or not finite) are ignored.
  void setWidth(double width);
  void setHeight(double height);
  void setLockAspectRatio(bool lock);

private:
  void setTransform(const MapTransform& transform);
};
} // namespace me
