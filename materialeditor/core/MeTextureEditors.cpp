#include "core/MeTextureEditors.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeChecks.h"
#include "core/MeEditor.h"
#include "core/MeHost.h"
#include "core/MeServices.h"

#include <cmath>

namespace me
{
namespace
{
const double kTwoPi = 6.283185307179586;
const double kRadiansPerDegree = 0.017453292519943295;

// 1 / |row|; a row of length 0 gives infinity and is kept, while an
// infinite or undefined row (0 or NaN here) has no scale and reads as 1.
// The plain square root on purpose: std::hypot of three values may give NaN
// for an infinite entry, where the length is infinite.
double inverseRowLength(const OdGeMatrix3d& m, int row)
{
  const double x = m(row, 0), y = m(row, 1), z = m(row, 2);
  const double s = 1.0 / std::sqrt(x * x + y * y + z * z);
  return (s == 0.0 || std::isnan(s)) ? 1.0 : s;
}

// The defaults of the settings when there is no settings service.
bool lockOffset()
{
  IMeSettingsStorage* settings = settingsService();
  return settings ? settings->lockPositionAxis() : false;
}

bool lockAspectRatio()
{
  IMeSettingsStorage* settings = settingsService();
  return settings ? settings->lockSampleSize() : true;
}

void sendToEditor(int event)
{
  if (IMeAppServices* services = appServices())
    services->sendServiceEvent(kEditorService, event, nullptr);
}
} // namespace

MapTransform MapTransform::decompose(const OdGeMatrix3d& m)
{
  MapTransform result;
  OdGeVector3d& s = result.scale;
  s.x = inverseRowLength(m, 0);
  s.y = inverseRowLength(m, 1);
  s.z = inverseRowLength(m, 2);

  // The translation column holds minus the offset divided by the scale.
  // Adding 0.0 turns the -0.0 of a zero offset into 0.0, so it never shows
  // as "-0".
  const OdGeVector3d t = m.translation();
  OdGeVector3d& o = result.offset;
  o.x = -(s.x * t.x) + 0.0;
  o.y = -(t.y * s.y) + 0.0;
  o.z = t.z * s.z;

  // The first row is (cos a, -sin a, 0) / s.x: undo the scale to get cos a,
  // and take the sign of sin a from M[0][1] to tell a from 2 pi - a.
  double c = m(0, 0) / (1.0 / s.x);
  if (std::isnan(c))
    c = 1.0; // a row of length 0 has no angle: call it 0
  c = c < -1.0 ? -1.0 : (c > 1.0 ? 1.0 : c);
  double a = std::acos(c);
  if (m(0, 1) > 0.0)
    a = kTwoPi - a;
  result.rotation = a;
  return result;
}

OdGeMatrix3d MapTransform::compose() const
{
  // A point is rotated, moved by minus the offset, then divided by the scale.
  const OdGeMatrix3d s = OdGeMatrix3d::scaling(OdGeVector3d(1.0 / scale.x, 1.0 / scale.y, 1.0 / scale.z));
  const OdGeMatrix3d t = OdGeMatrix3d::translation(OdGeVector3d(-offset.x, -offset.y, 0.0));
  const OdGeMatrix3d r = OdGeMatrix3d::rotation(rotation, OdGeVector3d::kZAxis);
  return (s * t) * r;
}

MeBaseTextureEditor::~MeBaseTextureEditor()
{
  // Only an existing registry has a material editor to tell; one must not be
  // built for this (an editor may outlive the registry at unload).
  if (!hasAppServices())
    return;
  try
  {
    sendToEditor(kEventEndMapEditing);
  }
  catch (...)
  {
    // A destructor cannot report; ending the editing cannot fail anyway.
  }
}

void MeBaseTextureEditor::apply() { sendToEditor(kEventCommitEditedMap); }

void MeBaseTextureEditor::endEditing() { sendToEditor(kEventEndMapEditing); }

OdString MeBaseTextureEditor::mapText() const { return mapDisplayText(*m_map); }

double MeFileTextureEditor::brightness() const { return map().blendFactor(); }

void MeFileTextureEditor::setBrightness(double brightness)
{
  requireFinite(brightness);
  map().setBlendFactor(brightness);
  apply();
}

int MeFileTextureEditor::projection() const { return map().mapper().projection(); }

void MeFileTextureEditor::setProjection(int projection)
{
  map().mapper().setProjection(MapMapper::Projection(projection));
  apply();
}

int MeFileTextureEditor::horizontalTiling() const { return map().mapper().uTiling(); }
int MeFileTextureEditor::verticalTiling() const { return map().mapper().vTiling(); }

void MeFileTextureEditor::setHorizontalTiling(int tiling)
{
  map().mapper().setUTiling(MapMapper::Tiling(tiling));
  apply();
}

void MeFileTextureEditor::setVerticalTiling(int tiling)
{
  map().mapper().setVTiling(MapMapper::Tiling(tiling));
  apply();
}

void MeFileTextureEditor::setFileName(const OdString& fileName)
{
  map().setSource(kFile);
  map().setSourceFileName(fileName);
  apply();
}

OdString MeFileTextureEditor::foundAtPath() const
{
  return findFile(map().sourceFileName(), currentDatabase(), kHostFindTextureMap);
}

bool MeFileTextureEditor::isFoundElsewhere() const
{
  if (fileExists(map().sourceFileName()))
    return false;
  return !foundAtPath().isEmpty();
}

void MeFileTextureEditor::offset(OdGeVector3d& offset) const
{
  offset = MapTransform::decompose(map().mapper().transform()).offset;
}

void MeFileTextureEditor::scale(OdGeVector3d& scale) const
{
  scale = MapTransform::decompose(map().mapper().transform()).scale;
}

void MeFileTextureEditor::rotation(OdGeVector3d& rotation) const
{
  rotation.set(0.0, 0.0, MapTransform::decompose(map().mapper().transform()).rotation);
}

void MeFileTextureEditor::setTransform(const MapTransform& transform)
{
  map().mapper().setTransform(transform.compose());
  apply();
}

void MeFileTextureEditor::setOffset(const OdGeVector3d& offset)
{
  // z is never written, so it is not checked either.
  requireFinite(offset.x);
  requireFinite(offset.y);
  MapTransform transform = MapTransform::decompose(map().mapper().transform());
  transform.offset = offset;
  setTransform(transform);
}

void MeFileTextureEditor::setScale(const OdGeVector3d& scale)
{
  // A zero component would divide by zero and fill the matrix with NaN.
  for (double component : {scale.x, scale.y, scale.z})
  {
    requireFinite(component);
    if (component == 0.0)
      throw OdError(eInvalidInput, L"A texture scale of 0");
  }
  MapTransform transform = MapTransform::decompose(map().mapper().transform());
  transform.scale = scale;
  setTransform(transform);
}

void MeFileTextureEditor::setRotation(const OdGeVector3d& degrees)
{
  requireFinite(degrees.z);
  MapTransform transform = MapTransform::decompose(map().mapper().transform());
  transform.rotation = degrees.z * kRadiansPerDegree;
  setTransform(transform);
}

void MeFileTextureEditor::setPositionX(double x)
{
  OdGeVector3d o;
  offset(o);
  if (lockOffset())
    o.y = x;
  o.x = x;
  setOffset(o);
}

void MeFileTextureEditor::setPositionY(double y)
{
  OdGeVector3d o;
  offset(o);
  if (lockOffset())
    o.x = y;
  o.y = y;
  setOffset(o);
}

void MeFileTextureEditor::setLockOffset(bool lock)
{
  if (IMeSettingsStorage* settings = settingsService())
    settings->setLockPositionAxis(lock);
  if (!lock)
    return;
  OdGeVector3d o;
  offset(o);
  if (o.x > o.y)
    o.y = o.x;
  else
    o.x = o.y;
  setOffset(o);
}

void MeFileTextureEditor::setWidth(double width)
{
  if (!(width > 0.0) || !std::isfinite(width))
    return;
  OdGeVector3d s;
  scale(s);
  // The height follows by the same ratio, new width / old width.
  if (lockAspectRatio())
    s.y = s.y / s.x * width;
  s.x = width;
  setScale(s);
}

void MeFileTextureEditor::setHeight(double height)
{
  if (!(height > 0.0) || !std::isfinite(height))
    return;
  OdGeVector3d s;
  scale(s);
  if (lockAspectRatio())
    s.x = s.x / s.y * height;
  s.y = height;
  setScale(s);
}

void MeFileTextureEditor::setLockAspectRatio(bool lock)
{
  if (IMeSettingsStorage* settings = settingsService())
    settings->setLockSampleSize(lock);
}
} // namespace me
