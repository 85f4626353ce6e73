// Turning a view's camera about a fixed centre with the mouse: each mouse
// step turns it by an angle proportional to the length of the step, about
// an axis in the screen plane perpendicular to the step.
#pragma once

#include "od/Gs.h"

namespace meui
{
class MeViewOrbit
{
public:
  // Eye units of drag for half a turn.
  static constexpr double kScale = 200.0;

  // One step from one device point (client pixels) to another. False, with
  // the view untouched, for a step of no length or a view whose transforms
  // cannot be inverted (a device of no size).
  bool step(OdGsView& view, const OdGsDCPoint& from, const OdGsDCPoint& to);

  const OdGePoint3d& centre() const { return m_centre; }
  double scale() const { return m_scale; }

private:
  // Captured at the start of each step.
  OdGePoint2d m_startEye;
  OdGePoint3d m_position;
  OdGePoint3d m_target;
  OdGeVector3d m_up;
  // Fixed: the samples sit on the origin.
  OdGePoint3d m_centre = OdGePoint3d::kOrigin;
  double m_scale = kScale;
};
} // namespace meui
