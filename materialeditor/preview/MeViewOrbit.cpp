#include "MeViewOrbit.h"

#include <algorithm>
#include <cmath>

namespace meui
{
namespace
{
// A device pixel taken back to the world on the target plane (device z 0),
// then into eye coordinates: x right, y up, in drawing units.
OdGePoint3d eyePoint(const OdGsView& view, const OdGeMatrix3d& deviceToWorld, const OdGsDCPoint& p)
{
  return view.viewingMatrix() * (deviceToWorld * OdGePoint3d(double(p.x), double(p.y), 0.0));
}
} // namespace

bool MeViewOrbit::step(OdGsView& view, const OdGsDCPoint& from, const OdGsDCPoint& to)
{
  OdGeMatrix3d deviceToWorld, eyeToWorld;
  try
  {
    deviceToWorld = view.worldToDeviceMatrix().inverse();
    eyeToWorld = view.viewingMatrix().inverse();
  }
  catch (const OdError&)
  {
    return false;
  }

  const OdGePoint3d start = eyePoint(view, deviceToWorld, from);
  m_startEye = OdGePoint2d(start.x, start.y);
  m_position = view.position();
  m_target = view.target();
  m_up = view.upVector();
  const OdGePoint3d current = eyePoint(view, deviceToWorld, to);

  // The axis lies in the screen plane at right angles to the drag, (-dy, dx):
  // turning about it by a negative angle carries the camera against the
  // drag, so the object's near side follows the cursor.
  const double dx = current.x - m_startEye.x, dy = current.y - m_startEye.y;
  OdGeVector3d axis(-dy, dx, 0.0);
  if (!(axis.length() > 1e-300))
    return false;
  axis = eyeToWorld * axis.normal(OdGeTol(1e-300));

  // The drag's length in eye units over the scale, in half turns.
  const double angle = -OdPi * current.distanceTo(start) / m_scale;
  const OdGeMatrix3d turn = OdGeMatrix3d::rotation(angle, axis, m_centre);
  const OdGePoint3d target = turn * m_target;
  const OdGePoint3d turned = turn * m_position;
  const OdGeVector3d up = turn * m_up;
  // A turn keeps lengths, but rounding may not: the camera keeps its
  // distance from the target exactly.
  const double distance = m_position.distanceTo(m_target);
  const OdGePoint3d position = target + (turned - target).normal() * distance;
  try
  {
    view.setView(position, target, up, view.fieldWidth(), view.fieldHeight(),
                 view.isPerspective() ? OdGsView::kPerspective : OdGsView::kParallel);
  }
  catch (const OdError&)
  {
    return false;
  }
  return true;
}
double MeViewOrbit::zoomed(const OdGsView& view) const
{
  const double width = view.fieldWidth();
  return m_fittedWidth > 0 && width > 0 ? m_fittedWidth / width : 1.0;
}

bool MeViewOrbit::zoom(OdGsView& view, double factor)
{
  const double now = zoomed(view);
  if (!(factor > 0) || m_fittedWidth <= 0)
  {
    view.zoom(factor);
    return factor > 0 && factor != 1.0;
  }
  // The factor that lands on the limit when a whole step would pass it.
  const double wanted = std::clamp(now * factor, 1.0 / kMaxZoom, kMaxZoom);
  if (std::abs(wanted - now) <= 1e-9 * now)
    return false;
  view.zoom(wanted / now);
  return true;
}
} // namespace meui
