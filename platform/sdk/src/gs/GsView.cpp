#include "GsInternal.h"

#include "od/DbDatabase.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"

#include <cmath>

namespace OdGsRender
{
// Notes what changes in the database whose scene a view keeps, as far as
// the scene can take it in part: entities one by one, materials, the
// drawables' lists of entities. A layer (its material, colour or being off
// reaches any number of entities) or a block that references may draw
// changes everything. Other objects do not show.
class SceneWatch : public OdDbDatabaseReactor
{
public:
  // The view detaches it before letting it go: the database holds it while attached.
  void watch(OdDbDatabase* database)
  {
    if (database == m_database)
      return;
    if (m_database)
      m_database->removeReactor(this);
    m_database = database;
    if (database)
      database->addReactor(this);
  }
  OdDbDatabase* database() const { return m_database; }

  void objectAppended(const OdDbDatabase*, const OdDbObject* object) override { note(object); }
  void objectUnAppended(const OdDbDatabase*, const OdDbObject* object) override { note(object); }
  void objectReAppended(const OdDbDatabase*, const OdDbObject* object) override { note(object); }
  void objectModified(const OdDbDatabase*, const OdDbObject* object) override { note(object); }
  void objectErased(const OdDbDatabase*, const OdDbObject* object, bool) override { note(object); }
  void goodbye(const OdDbDatabase*) override
  {
    m_database = nullptr;
    m_everything = true;
  }

  // What the notes mean for a scene of these drawables; forgets them.
  SceneChanges take(const OdDbObjectIdArray& drawables)
  {
    SceneChanges changes;
    changes.everything = m_everything;
    std::unordered_set<OdDbStub*> drawn;
    for (const OdDbObjectId& id : drawables)
      drawn.insert(id.stub());
    for (const auto& [entity, owner] : m_entities)
      if (drawn.count(entity) || drawn.count(owner))
        changes.entities.insert(entity);
      else
        changes.everything = true;
    for (OdDbStub* block : m_blocks)
      (drawn.count(block) ? changes.order : changes.everything) = true;
    changes.materials.swap(m_materials);
    m_everything = false;
    m_entities.clear();
    m_blocks.clear();
    m_materials.clear();
    return changes;
  }

private:
  void note(const OdDbObject* object)
  {
    OdDbStub* stub = object->objectId().stub();
    if (object->isKindOf(OdDbEntity::desc()))
      m_entities.emplace_back(stub, object->ownerId().stub());
    else if (object->isKindOf(OdDbMaterial::desc()))
      m_materials.insert(stub);
    else if (object->isKindOf(OdDbBlockTableRecord::desc()))
      m_blocks.insert(stub);
    else if (object->isKindOf(OdDbLayerTableRecord::desc()))
      m_everything = true;
  }

  OdDbDatabase* m_database = nullptr;
  bool m_everything = false;
  std::vector<std::pair<OdDbStub*, OdDbStub*>> m_entities; // entity, owner
  std::unordered_set<OdDbStub*> m_blocks, m_materials;
};

SoftwareView::SoftwareView(OdGsDevice* device) : m_device(device) {}

SoftwareView::~SoftwareView()
{
  if (m_watch)
    m_watch->watch(nullptr);
}

namespace
{
// Eye axes: z toward the camera, x right, y up.
void eyeAxes(const OdGePoint3d& position, const OdGePoint3d& target, const OdGeVector3d& up, OdGeVector3d& x,
             OdGeVector3d& y, OdGeVector3d& z)
{
  z = (position - target).normal();
  x = up.crossProduct(z).normal();
  y = z.crossProduct(x);
}
} // namespace

void SoftwareView::setViewport(const OdGePoint2d& lowerLeft, const OdGePoint2d& upperRight)
{
  auto clamp = [](double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); };
  m_lowerLeft = OdGePoint2d(clamp(std::min(lowerLeft.x, upperRight.x)), clamp(std::min(lowerLeft.y, upperRight.y)));
  m_upperRight = OdGePoint2d(clamp(std::max(lowerLeft.x, upperRight.x)), clamp(std::max(lowerLeft.y, upperRight.y)));
  invalidate();
}

void SoftwareView::getViewport(OdGePoint2d& lowerLeft, OdGePoint2d& upperRight) const
{
  lowerLeft = m_lowerLeft;
  upperRight = m_upperRight;
}

OdGsDCRect SoftwareView::viewportRect() const
{
  const OdGsDCRect out = m_device ? m_device->outputRect() : OdGsDCRect();
  const double w = double(out.width()), h = double(out.height());
  // Device y grows downward; the viewport's fractions grow upward.
  const long left = long(std::lround(m_lowerLeft.x * w)), right = long(std::lround(m_upperRight.x * w));
  const long top = long(std::lround((1.0 - m_upperRight.y) * h)), bottom = long(std::lround((1.0 - m_lowerLeft.y) * h));
  return OdGsDCRect(left, right, top, bottom);
}

void SoftwareView::setViewportBorderVisibility(bool visible)
{
  m_border = visible;
  invalidate();
}

void SoftwareView::setMode(RenderMode mode)
{
  if (mode < OdDb::k2DOptimized || mode > OdDb::kGouraudShadedWithWireframe)
    throw OdError(eInvalidInput, L"No such render mode");
  if (mode != m_mode)
  {
    m_mode = mode;
    invalidate();
  }
}

void SoftwareView::setView(const OdGePoint3d& position, const OdGePoint3d& target, const OdGeVector3d& upVector,
                           double fieldWidth, double fieldHeight, Projection projection)
{
  const OdGeVector3d dir = position - target;
  const double len = dir.length();
  if (!(len > 1e-12) || !std::isfinite(len))
    throw OdError(eInvalidInput, L"A view needs a camera apart from its target");
  if (!(fieldWidth > 0.0) || !(fieldHeight > 0.0) || !std::isfinite(fieldWidth) || !std::isfinite(fieldHeight))
    throw OdError(eInvalidInput, L"A view needs a field of positive size");
  // Keep only the part of the up vector across the view direction.
  const OdGeVector3d z = dir / len;
  const OdGeVector3d across = upVector - z * upVector.dotProduct(z);
  if (!(across.length() > 1e-9 * std::max(upVector.length(), 1e-300)))
    throw OdError(eInvalidInput, L"A view's up vector must not lie along its direction");
  m_position = position;
  m_target = target;
  m_up = across.normal();
  m_fieldWidth = fieldWidth;
  m_fieldHeight = fieldHeight;
  m_perspective = projection == kPerspective;
  invalidate();
}

void SoftwareView::zoom(double factor)
{
  if (!(factor > 0.0) || !std::isfinite(factor))
    return;
  m_fieldWidth /= factor;
  m_fieldHeight /= factor;
  invalidate();
}

void SoftwareView::zoomExtents(const OdGePoint3d& minEye, const OdGePoint3d& maxEye, double margin)
{
  const OdGeExtents3d box(minEye, maxEye);
  if (!box.isValidExtents() || !(margin > 0.0))
    return;
  OdGeVector3d x, y, z;
  eyeAxes(m_position, m_target, m_up, x, y, z);
  const OdGePoint3d c = box.center();
  // Slide the camera and target across the view so the box is centred.
  const OdGeVector3d shift = x * c.x + y * c.y;
  double distance = m_position.distanceTo(m_target);
  double halfW = 0.5 * (maxEye.x - minEye.x), halfH = 0.5 * (maxEye.y - minEye.y);
  if (m_perspective)
  {
    // The nearest corners must stay in front of the camera; then the field
    // on the target plane must take in every corner as the camera sees it.
    const double reach = std::max(halfW, halfH);
    if (distance - maxEye.z < reach)
      distance = maxEye.z + std::max(reach, 1e-9) * 2.0;
    double needW = 0.0, needH = 0.0;
    for (int i = 0; i < 8; ++i)
    {
      const double ex = ((i & 1) ? maxEye.x : minEye.x) - c.x, ey = ((i & 2) ? maxEye.y : minEye.y) - c.y;
      const double ez = (i & 4) ? maxEye.z : minEye.z;
      const double f = distance / (distance - ez);
      needW = std::max(needW, std::fabs(ex) * f);
      needH = std::max(needH, std::fabs(ey) * f);
    }
    halfW = needW;
    halfH = needH;
  }
  double w = 2.0 * halfW * margin, h = 2.0 * halfH * margin;
  // A flat box keeps the other side's size; a point keeps the old field.
  if (!(w > 0.0) && !(h > 0.0))
  {
    w = m_fieldWidth;
    h = m_fieldHeight;
  }
  else if (!(w > 0.0))
    w = h;
  else if (!(h > 0.0))
    h = w;
  m_target = m_target + shift;
  m_position = m_target + z * distance;
  m_fieldWidth = w;
  m_fieldHeight = h;
  invalidate();
}

void SoftwareView::zoomExtentsWorld(const OdGeExtents3d& worldBox, double margin)
{
  if (!worldBox.isValidExtents())
    return;
  OdGeExtents3d eye = worldBox;
  eye.transformBy(viewingMatrix());
  zoomExtents(eye.minPoint(), eye.maxPoint(), margin);
}

OdGeMatrix3d SoftwareView::viewingMatrix() const
{
  OdGeVector3d x, y, z;
  eyeAxes(m_position, m_target, m_up, x, y, z);
  return OdGeMatrix3d::worldToPlane(m_target, x, y, z);
}

ViewSetup SoftwareView::setup() const
{
  ViewSetup s;
  s.viewing = viewingMatrix();
  s.perspective = m_perspective;
  s.distance = m_position.distanceTo(m_target);
  const OdGsDCRect rect = viewportRect();
  s.left = rect.left();
  s.top = rect.top();
  s.right = s.left + rect.width();
  s.bottom = s.top + rect.height();
  // The field fits inside the viewport, keeping its aspect.
  s.scale = std::min(double(rect.width()) / m_fieldWidth, double(rect.height()) / m_fieldHeight);
  s.centerX = s.left + 0.5 * rect.width();
  s.centerY = s.top + 0.5 * rect.height();
  return s;
}

OdGeMatrix3d SoftwareView::worldToDeviceMatrix() const
{
  const ViewSetup s = setup();
  OdGeMatrix3d screen;
  screen.entry[0][0] = s.scale;
  screen.entry[1][1] = -s.scale;
  screen.entry[0][3] = s.centerX;
  screen.entry[1][3] = s.centerY;
  if (s.perspective)
  {
    // Homogeneous w = 1 - z/D: 1 on the target plane, 0 at the camera.
    const double D = s.distance;
    screen.entry[0][2] = -s.centerX / D;
    screen.entry[1][2] = -s.centerY / D;
    screen.entry[3][2] = -1.0 / D;
  }
  return screen * s.viewing;
}

void SoftwareView::add(const OdDbObjectId& drawable)
{
  if (drawable.isNull() || m_drawables.contains(drawable))
    return;
  m_drawables.append(drawable);
  m_sceneKept = false;
  invalidate();
}

bool SoftwareView::erase(const OdDbObjectId& drawable)
{
  const bool removed = m_drawables.remove(drawable);
  if (removed)
  {
    m_sceneKept = false;
    invalidate();
  }
  return removed;
}

void SoftwareView::eraseAll()
{
  m_drawables.clear();
  m_sceneKept = false;
  invalidate();
}

const Scene& SoftwareView::scene(const SceneSource& source, const OdGiContext* context, OdUInt64 paletteStamp)
{
  const bool keep = context && context->useGsModel();
  const OdUInt64 stamp = context ? context->changeCount() : 0;
  OdDbDatabase* database = context ? context->database() : nullptr;
  const bool kept = keep && m_sceneKept && m_sceneContext == context && m_scenePalette == paletteStamp;
  if (kept && m_sceneStamp == stamp)
    return m_scene;
  if (kept && database && m_watch && m_watch->database() == database)
    updateScene(m_drawables, source, m_scene, m_meshes, m_watch->take(m_drawables));
  else
    collectScene(m_drawables, source, m_scene, &m_meshes);
  // From now on the changes are noted, while the scene is kept.
  if (keep && !m_watch)
    m_watch = OdSmartPtr<SceneWatch>(new SceneWatch);
  if (m_watch)
  {
    m_watch->watch(keep ? database : nullptr);
    m_watch->take(m_drawables);
  }
  m_sceneKept = keep;
  m_sceneContext = context;
  m_sceneStamp = stamp;
  m_scenePalette = paletteStamp;
  return m_scene;
}
} // namespace OdGsRender
