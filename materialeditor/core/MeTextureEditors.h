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
  // Widths and heights a map is drawn at, in drawing units per repeat.
  static constexpr double kMinSize = 1e-6;
  static constexpr double kMaxSize = 1e9;

  OdGeVector3d offset{0.0, 0.0, 0.0};
  OdGeVector3d scale{1.0, 1.0, 1.0};
  double rotation = 0.0; // radians about Z, [0, 2 pi) when decomposed

  // A matrix that cannot be drawn (singular, not finite: read from a
  // drawing) gives the identity's parameters, as the renderer draws it.
  static MapTransform decompose(const OdGeMatrix3d& matrix);
  OdGeMatrix3d compose() const;
  // The width and height within [kMinSize, kMaxSize] and the composed
  // matrix one the renderer can draw.
  bool isDrawable() const;
};

class MeBaseTextureEditor
{
public:
  explicit MeBaseTextureEditor(MaterialMap& map) : m_map(&map) {}
  // Ends map editing in the material editor, as endEditing does, unless
  // that was done already.
  virtual ~MeBaseTextureEditor();
  MeBaseTextureEditor(const MeBaseTextureEditor&) = delete;
  MeBaseTextureEditor& operator=(const MeBaseTextureEditor&) = delete;

  // Asks the material editor to write the edited map into the material,
  // as one undo step of that name (a string id; 0: unnamed).
  virtual void apply(int stepName = 0);
  // Ends map editing in the material editor once; from then on the setters
  // change nothing. The Texture editor ends its map editor when its dialog
  // goes, so that a row still on the stack (a dialog of its own returning
  // late) never writes into a map edited by a newer dialog.
  virtual void endEditing();
  bool isEditing() const { return !m_ended; }

  OdString mapText() const;
  MaterialMap& map() const { return *m_map; }

protected:
  // The setters' one way to change the map: nothing once editing has ended,
  // else the change, then apply.
  template <class Change>
  void change(int stepName, Change&& change)
  {
    if (m_ended)
      return;
    change(*m_map);
    apply(stepName);
  }

private:
  MaterialMap* m_map;
  bool m_ended = false;
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
  // anything changes, and so is a scale component of 0. A value equal to
  // the one held writes nothing.
  void setOffset(const OdGeVector3d& offset);
  void setScale(const OdGeVector3d& scale);
  // z in degrees.
  void setRotation(const OdGeVector3d& degrees);

  // The lock rules of the position and scale rows, each ending in one
  // setOffset or setScale. The locks are the settings "LockPositionAxis"
  // and "LockSampleSize". A value whose transform would not be drawable
  // (MapTransform::isDrawable) changes nothing.
  void setPositionX(double x);
  void setPositionY(double y);
  // On: both offsets take the larger one. Off: only the setting changes.
  void setLockOffset(bool lock);
  void setWidth(double width);
  void setHeight(double height);
  void setLockAspectRatio(bool lock);
  // The transform each of those setters would write, locks applied; the
  // rows check it before they write (MapTransform::isDrawable).
  MapTransform withPositionX(double x) const;
  MapTransform withPositionY(double y) const;
  MapTransform withWidth(double width) const;
  MapTransform withHeight(double height) const;

private:
  MapTransform transform() const;
  void setTransform(const MapTransform& transform, int stepName);
  // Writes the transform when it is drawable.
  void setIfDrawable(const MapTransform& transform, int stepName);
};
} // namespace me
