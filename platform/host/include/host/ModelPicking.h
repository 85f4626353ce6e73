// What the host's model view needs beside the picture the renderer draws:
// where each entity of model space lies on the screen, which one a click
// hits, which ones a window encloses, and the camera moves of the mouse.
//
//   PickEntity    one entity of model space as the polygons it shows, in
//                 world coordinates (blocks followed through its references)
//   ScreenBox     a rectangle of device pixels, y down
//   ModelPicker   the entities of a database's model space, asked through a
//                 world-to-device matrix
//   zoomAbout, panView, orbitView   camera moves that keep what is under the
//                 cursor where the user expects it
//
// Portable: the Windows view asks it with the active view's matrix.
// FIXME: parallel projection only; a perspective camera's points behind the
// eye would project wrongly, and the host's view never makes one.
#pragma once

#include "od/Gs.h"
#include "od/OdSdk.h"

#include <vector>

namespace host
{
struct PickEntity
{
  OdDbObjectId id;
  std::vector<OdGePoint3d> points; // world
  // Polygons as a count followed by that many indices into points.
  std::vector<OdUInt32> polygons;
};

struct ScreenBox
{
  long left = 0, top = 0, right = 0, bottom = 0;
  bool valid = false; // false: the entity shows nothing (no faces, layer off)

  bool contains(const ScreenBox& other) const
  {
    return valid && other.valid && other.left >= left && other.top >= top && other.right <= right &&
           other.bottom <= bottom;
  }
  bool intersects(const ScreenBox& other) const
  {
    return valid && other.valid && other.left < right && left < other.right && other.top < bottom && top < other.bottom;
  }
};

class ModelPicker
{
public:
  // Reads the model space of the database again (nothing for null). An
  // entity on a layer that is off shows nothing, as in the picture.
  void collect(OdDbDatabase* database);
  const std::vector<PickEntity>& entities() const { return m_entities; }
  // The box around every point, through the transform (world when none);
  // invalid when nothing shows.
  OdGeExtents3d extents(const OdGeMatrix3d& transform = OdGeMatrix3d::kIdentity) const;

  // Each entity's box in device pixels, in the order of entities(): the
  // smallest whole-pixel rectangle around its projected points.
  std::vector<ScreenBox> screenBoxes(const OdGeMatrix3d& worldToDevice) const;
  // The entity whose surface is nearest the camera at the device point, or
  // a null id when no face covers it.
  OdDbObjectId pick(const OdGeMatrix3d& worldToDevice, double x, double y) const;
  // The entities whose boxes lie wholly inside the rectangle.
  OdDbObjectIdArray inside(const OdGeMatrix3d& worldToDevice, const ScreenBox& window) const;
  // The outlines of the entity's faces that turn to the camera, in device
  // coordinates, for highlighting (every face when none turns to it, as of a
  // single face seen from behind); none for an entity not in the model.
  std::vector<std::vector<OdGePoint2d>> outlines(const OdGeMatrix3d& worldToDevice, const OdDbObjectId& id) const;

private:
  std::vector<PickEntity> m_entities;
};

// The camera moves; each returns false, leaving the view as it was, when
// the view's transforms cannot be inverted (a device of no size).
// Zooms by the factor (above 1: in) keeping the model point under the
// device point where it is.
bool zoomAbout(OdGsView& view, const OdGsDCPoint& at, double factor);
// Moves the camera so that what was under from comes under to.
bool panView(OdGsView& view, const OdGsDCPoint& from, const OdGsDCPoint& to);
// Turns the camera about its target, half a degree per pixel of the step,
// about the screen axis at right angles to it.
bool orbitView(OdGsView& view, const OdGsDCPoint& from, const OdGsDCPoint& to);
// Looks at the box along the direction (from the camera to the target)
// with the up vector, the box filling the view with the margin around it.
// False for an invalid box or a direction of no length or along up.
bool lookAtExtents(OdGsView& view, const OdGeExtents3d& box, const OdGeVector3d& direction, const OdGeVector3d& up,
                   double margin);
// The same for the model's own points, so that it fills the view as
// closely as the margin lets it (the corners of its world box would not).
bool lookAtModel(OdGsView& view, const ModelPicker& model, const OdGeVector3d& direction, const OdGeVector3d& up,
                 double margin);
} // namespace host
