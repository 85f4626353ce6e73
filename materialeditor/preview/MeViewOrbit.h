// Turning a view's camera about a fixed centre with the mouse: each mouse
// step turns it by an angle proportional to the length of the step, about
// an axis in the screen plane perpendicular to the step. And its zoom,
// counted against the field the sample was fitted to and kept within
// kMaxZoom times it either way.
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

  // Zoomed in or out at most this many times the fitted view.
  static constexpr double kMaxZoom = 20.0;
  // The view was just fitted to the sample: its field is the zoom's 1.
  void fitted(const OdGsView& view) { m_fittedWidth = view.fieldWidth(); }
  // The view's field divided by the factor (above 1 zooms in), kept within
  // the limits; false when it did not change (at a limit already).
  bool zoom(OdGsView& view, double factor);
  // The zoom against the fitted view: 1 fitted, above 1 zoomed in; 1 when
  // no fit is known.
  double zoomed(const OdGsView& view) const;

private:
  // Captured at the start of each step.
  OdGePoint2d m_startEye;
  OdGePoint3d m_position;
  OdGePoint3d m_target;
  OdGeVector3d m_up;
  // Fixed: the samples sit on the origin.
  OdGePoint3d m_centre = OdGePoint3d::kOrigin;
  double m_scale = kScale;
  double m_fittedWidth = 0; // 0: no fit known
};
} // namespace meui
