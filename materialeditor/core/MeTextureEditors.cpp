#include "core/MeTextureEditors.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeChecks.h"
#include "core/MeEditor.h"
#include "core/MeHost.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"

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

void sendToEditor(int event, void* argument = nullptr)
{
  if (IMeAppServices* services = appServices())
    services->sendServiceEvent(kEditorService, event, argument);
}

bool sameXY(const OdGeVector3d& a, const OdGeVector3d& b) { return a.x == b.x && a.y == b.y; }
} // namespace

MapTransform MapTransform::decompose(const OdGeMatrix3d& m)
{
  MapTransform result;
  if (!isDrawableMapTransform(m))
    return result;
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

bool MapTransform::isDrawable() const
{
  const auto inRange = [](double size) { return size >= kMinSize && size <= kMaxSize; };
  return inRange(scale.x) && inRange(scale.y) && isDrawableMapTransform(compose());
}

MeBaseTextureEditor::~MeBaseTextureEditor()
{
  // Only an existing registry has a material editor to tell; one must not be
  // built for this (an editor may outlive the registry at unload).
  if (!hasAppServices())
    return;
  try
  {
    endEditing();
  }
  catch (...)
  {
    // A destructor cannot report; ending the editing cannot fail anyway.
  }
}

void MeBaseTextureEditor::apply(int stepName) { sendToEditor(kEventCommitEditedMap, &stepName); }

void MeBaseTextureEditor::endEditing()
{
  if (m_ended)
    return;
  m_ended = true;
  sendToEditor(kEventEndMapEditing);
}

OdString MeBaseTextureEditor::mapText() const { return mapDisplayText(*m_map); }

double MeFileTextureEditor::brightness() const { return map().blendFactor(); }

void MeFileTextureEditor::setBrightness(double brightness)
{
  requireFinite(brightness);
  change(kStrStepMapBrightness, [&](MaterialMap& map) { map.setBlendFactor(brightness); });
}

int MeFileTextureEditor::projection() const { return map().mapper().projection(); }

void MeFileTextureEditor::setProjection(int projection)
{
  change(kStrStepMapProjection,
         [&](MaterialMap& map) { map.mapper().setProjection(MapMapper::Projection(projection)); });
}

int MeFileTextureEditor::horizontalTiling() const { return map().mapper().uTiling(); }
int MeFileTextureEditor::verticalTiling() const { return map().mapper().vTiling(); }

void MeFileTextureEditor::setHorizontalTiling(int tiling)
{
  change(kStrStepMapRepeat, [&](MaterialMap& map) { map.mapper().setUTiling(MapMapper::Tiling(tiling)); });
}

void MeFileTextureEditor::setVerticalTiling(int tiling)
{
  change(kStrStepMapRepeat, [&](MaterialMap& map) { map.mapper().setVTiling(MapMapper::Tiling(tiling)); });
}

void MeFileTextureEditor::setFileName(const OdString& fileName)
{
  change(kStrStepDiffuseMap, [&](MaterialMap& map) { setFileMap(map, fileName); });
}

OdString MeFileTextureEditor::foundAtPath() const
{
  return findFile(map().sourceFileName(), currentDatabase(), kHostFindTextureMap);
}

namespace
{
bool isSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool isAbsolute(const OdString& path)
{
  const int length = path.getLength();
  return (length > 0 && isSeparator(path[0])) || (length > 2 && path[1] == L':' && isSeparator(path[2]));
}

// Paths the same but for their separators and the case of their letters,
// as the file system takes them.
bool samePlace(OdString a, OdString b)
{
  a.replace(L"\\", L"/");
  b.replace(L"\\", L"/");
  return a.iCompare(b) == 0;
}
} // namespace

bool MeFileTextureEditor::isFoundElsewhere() const
{
  const OdString& stored = map().sourceFileName();
  if (fileExists(stored))
    return false;
  const OdString found = foundAtPath();
  if (found.isEmpty() || isAbsolute(stored))
    return !found.isEmpty();
  // A relative name is the drawing's own ("textures/bricks.png" beside it):
  // found there, the file is where it was saved.
  OdDbDatabase* database = currentDatabase();
  const OdString drawing = database ? database->getFilename() : OdString();
  int cut = drawing.getLength() - 1;
  while (cut >= 0 && !isSeparator(drawing[cut]))
    --cut;
  return cut < 0 || !samePlace(found, drawing.left(cut + 1) + stored);
}

MapTransform MeFileTextureEditor::transform() const { return MapTransform::decompose(map().mapper().transform()); }

void MeFileTextureEditor::offset(OdGeVector3d& offset) const { offset = transform().offset; }

void MeFileTextureEditor::scale(OdGeVector3d& scale) const { scale = transform().scale; }

void MeFileTextureEditor::rotation(OdGeVector3d& rotation) const { rotation.set(0.0, 0.0, transform().rotation); }

void MeFileTextureEditor::setTransform(const MapTransform& transform, int stepName)
{
  change(stepName, [&](MaterialMap& map) { map.mapper().setTransform(transform.compose()); });
}

void MeFileTextureEditor::setOffset(const OdGeVector3d& offset)
{
  // z is never written, so it is not checked either.
  requireFinite(offset.x);
  requireFinite(offset.y);
  MapTransform t = transform();
  // Composed again, an equal offset could come back a bit off: nothing to write.
  if (sameXY(t.offset, offset))
    return;
  t.offset = offset;
  setTransform(t, kStrStepMapPosition);
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
  MapTransform t = transform();
  if (t.scale == scale)
    return;
  t.scale = scale;
  setTransform(t, kStrStepMapScale);
}

void MeFileTextureEditor::setRotation(const OdGeVector3d& degrees)
{
  requireFinite(degrees.z);
  MapTransform t = transform();
  const double radians = degrees.z * kRadiansPerDegree;
  if (t.rotation == radians)
    return;
  t.rotation = radians;
  setTransform(t, kStrStepMapRotation);
}

MapTransform MeFileTextureEditor::withPositionX(double x) const
{
  MapTransform t = transform();
  if (lockOffset())
    t.offset.y = x;
  t.offset.x = x;
  return t;
}

MapTransform MeFileTextureEditor::withPositionY(double y) const
{
  MapTransform t = transform();
  if (lockOffset())
    t.offset.x = y;
  t.offset.y = y;
  return t;
}

MapTransform MeFileTextureEditor::withWidth(double width) const
{
  MapTransform t = transform();
  // The height follows by the same ratio, new width / old width.
  if (lockAspectRatio())
    t.scale.y = t.scale.y / t.scale.x * width;
  t.scale.x = width;
  return t;
}

MapTransform MeFileTextureEditor::withHeight(double height) const
{
  MapTransform t = transform();
  if (lockAspectRatio())
    t.scale.x = t.scale.x / t.scale.y * height;
  t.scale.y = height;
  return t;
}

void MeFileTextureEditor::setIfDrawable(const MapTransform& t, int stepName)
{
  const MapTransform held = transform();
  if (!t.isDrawable() || (sameXY(t.offset, held.offset) && t.scale == held.scale))
    return;
  setTransform(t, stepName);
}

void MeFileTextureEditor::setPositionX(double x) { setIfDrawable(withPositionX(x), kStrStepMapPosition); }

void MeFileTextureEditor::setPositionY(double y) { setIfDrawable(withPositionY(y), kStrStepMapPosition); }

void MeFileTextureEditor::setLockOffset(bool lock)
{
  if (IMeSettingsStorage* settings = settingsService())
    settings->setLockPositionAxis(lock);
  if (!lock)
    return;
  MapTransform t = transform();
  if (t.offset.x > t.offset.y)
    t.offset.y = t.offset.x;
  else
    t.offset.x = t.offset.y;
  setIfDrawable(t, kStrStepMapPosition);
}

void MeFileTextureEditor::setWidth(double width) { setIfDrawable(withWidth(width), kStrStepMapScale); }

void MeFileTextureEditor::setHeight(double height) { setIfDrawable(withHeight(height), kStrStepMapScale); }

void MeFileTextureEditor::setLockAspectRatio(bool lock)
{
  if (IMeSettingsStorage* settings = settingsService())
    settings->setLockSampleSize(lock);
}
} // namespace me
