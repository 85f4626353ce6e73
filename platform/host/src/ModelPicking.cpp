#include "host/ModelPicking.h"

#include "od/DbProxy.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace host
{
namespace
{
// What references may add over the whole model (points and polygon
// indices): a tree of references that doubles at each level would
// otherwise take the host's memory.
constexpr std::size_t kBudget = std::size_t(1) << 24;

bool layerOff(const OdDbEntity& entity)
{
  OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::cast(entity.layerId().openObject(OdDb::kForRead));
  return !layer.isNull() && layer->isOff();
}

// The faces of one entity that is no reference, appended to the pick
// entity through the transform.
void addFaces(const OdDbEntity& entity, const OdGeMatrix3d& xform, PickEntity& out)
{
  const OdUInt32 base = OdUInt32(out.points.size());
  if (const auto* sub = OdDbSubDMesh::cast(&entity).get())
  {
    for (const OdGePoint3d& p : sub->vertices())
      out.points.push_back(xform * p);
    const OdInt32Array& faces = sub->faceArray();
    for (std::size_t i = 0; i < faces.size();)
    {
      const OdInt32 n = faces[OdUInt32(i)];
      if (n < 3 || i + std::size_t(n) >= faces.size())
        break;
      out.polygons.push_back(OdUInt32(n));
      for (OdInt32 k = 1; k <= n; ++k)
        out.polygons.push_back(base + OdUInt32(std::max(0, faces[OdUInt32(i + std::size_t(k))])));
      i += std::size_t(n) + 1;
    }
  }
  else if (const auto* pface = OdDbPolyFaceMesh::cast(&entity).get())
  {
    for (OdInt32 i = 0; i < pface->numVertices(); ++i)
      out.points.push_back(xform * pface->vertexAt(i)->position());
    for (OdInt32 i = 0; i < pface->numFaces(); ++i)
    {
      const OdDbFaceRecord* face = pface->faceAt(i);
      OdUInt32 corners[4];
      OdUInt32 n = 0;
      for (OdUInt16 k = 0; k < 4; ++k)
      {
        // Numbers count from 1; 0 is no vertex; a negative one hides an edge.
        const OdInt32 number = std::abs(OdInt32(face->getVertexAt(k)));
        if (number != 0 && number <= pface->numVertices())
          corners[n++] = base + OdUInt32(number - 1);
      }
      if (n < 3)
        continue;
      out.polygons.push_back(n);
      out.polygons.insert(out.polygons.end(), corners, corners + n);
    }
  }
  else if (const auto* face = OdDbFace::cast(&entity).get())
  {
    OdGePoint3d corners[4];
    for (OdUInt16 k = 0; k < 4; ++k)
      face->getVertexAt(k, corners[k]);
    const OdUInt32 n = corners[3] == corners[2] ? 3 : 4;
    out.polygons.push_back(n);
    for (OdUInt32 k = 0; k < n; ++k)
    {
      out.points.push_back(xform * corners[k]);
      out.polygons.push_back(base + k);
    }
  }
}

// One top-level entity, references followed with an explicit stack (the
// nesting comes from the drawing), a block not entered again on its own way down.
void collectEntity(const OdDbEntity& top, PickEntity& out, std::size_t& spent)
{
  struct Open
  {
    std::vector<OdDbObjectId> ids;
    std::size_t next;
    OdGeMatrix3d xform;
    const OdDbStub* block;
  };
  std::vector<Open> open;
  std::unordered_set<const OdDbStub*> onPath;
  const auto visit = [&](const OdDbEntity& entity, const OdGeMatrix3d& xform) {
    if (layerOff(entity))
      return;
    if (const auto* ref = OdDbBlockReference::cast(&entity).get())
    {
      const OdDbObjectId blockId = ref->blockTableRecord();
      OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::cast(blockId.openObject(OdDb::kForRead));
      if (record.isNull() || !onPath.insert(blockId.stub()).second)
        return;
      open.push_back(Open{record->entityIds(), 0, xform * ref->blockTransform(), blockId.stub()});
      return;
    }
    const std::size_t before = out.points.size() + out.polygons.size();
    addFaces(entity, xform, out);
    spent += out.points.size() + out.polygons.size() - before;
  };
  visit(top, OdGeMatrix3d::kIdentity);
  while (!open.empty() && spent < kBudget)
  {
    Open& at = open.back();
    if (at.next >= at.ids.size())
    {
      onPath.erase(at.block);
      open.pop_back();
      continue;
    }
    const OdDbObjectId id = at.ids[at.next++];
    const OdGeMatrix3d xform = at.xform; // visit may grow open and move at
    OdDbEntityPtr entity = OdDbEntity::cast(id.openObject(OdDb::kForRead));
    if (!entity.isNull())
      visit(*entity, xform);
  }
}

struct Projected
{
  double x, y, z;
};

std::vector<Projected> project(const PickEntity& entity, const OdGeMatrix3d& m)
{
  std::vector<Projected> out;
  out.reserve(entity.points.size());
  for (const OdGePoint3d& p : entity.points)
  {
    const OdGePoint3d d = m * p;
    out.push_back({d.x, d.y, d.z});
  }
  return out;
}

// Twice the signed area of the triangle (a, b, p) in the screen plane.
double edge(const Projected& a, const Projected& b, double px, double py)
{
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// The depth of the triangle at the point when it covers it.
bool depthAt(const Projected& a, const Projected& b, const Projected& c, double px, double py, double& z)
{
  const double area = edge(a, b, c.x, c.y);
  if (std::abs(area) < 1e-12)
    return false;
  // Barycentric weights; either winding counts (a back face still hides
  // what lies behind it in a closed solid's outline).
  const double wa = edge(b, c, px, py) / area, wb = edge(c, a, px, py) / area, wc = edge(a, b, px, py) / area;
  if (wa < 0 || wb < 0 || wc < 0)
    return false;
  z = wa * a.z + wb * b.z + wc * c.z;
  return true;
}
} // namespace

void ModelPicker::collect(OdDbDatabase* database)
{
  m_entities.clear();
  if (!database)
    return;
  OdDbBlockTableRecordPtr model = OdDbBlockTableRecord::cast(database->getModelSpaceId().openObject(OdDb::kForRead));
  if (model.isNull())
    return;
  std::size_t spent = 0;
  for (const OdDbObjectId& id : model->entityIds())
  {
    OdDbEntityPtr entity = OdDbEntity::cast(id.openObject(OdDb::kForRead));
    // A kept entity of a type the model does not know is neither shown nor picked.
    if (entity.isNull() || entity->isKindOf(OdDbProxyEntity::desc()))
      continue;
    PickEntity picked;
    picked.id = id;
    collectEntity(*entity, picked, spent);
    m_entities.push_back(std::move(picked));
  }
}

OdGeExtents3d ModelPicker::extents(const OdGeMatrix3d& transform) const
{
  OdGeExtents3d box;
  for (const PickEntity& entity : m_entities)
    for (const OdGePoint3d& p : entity.points)
      box.addPoint(transform * p);
  return box;
}

std::vector<ScreenBox> ModelPicker::screenBoxes(const OdGeMatrix3d& worldToDevice) const
{
  std::vector<ScreenBox> boxes;
  boxes.reserve(m_entities.size());
  for (const PickEntity& entity : m_entities)
  {
    ScreenBox box;
    if (!entity.polygons.empty())
    {
      double x0 = std::numeric_limits<double>::max(), y0 = x0, x1 = -x0, y1 = -x0;
      for (const Projected& p : project(entity, worldToDevice))
      {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
      }
      // Pixel centres sit at half steps: a pixel is inside when its centre is.
      box.left = long(std::floor(x0));
      box.top = long(std::floor(y0));
      box.right = long(std::ceil(x1));
      box.bottom = long(std::ceil(y1));
      box.valid = std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1);
    }
    boxes.push_back(box);
  }
  return boxes;
}

OdDbObjectId ModelPicker::pick(const OdGeMatrix3d& worldToDevice, double x, double y) const
{
  OdDbObjectId best;
  double bestZ = -std::numeric_limits<double>::infinity();
  for (const PickEntity& entity : m_entities)
  {
    if (entity.polygons.empty())
      continue;
    const std::vector<Projected> points = project(entity, worldToDevice);
    for (std::size_t i = 0; i < entity.polygons.size();)
    {
      const OdUInt32 n = entity.polygons[i];
      const OdUInt32* corner = &entity.polygons[i + 1];
      // A fan from the first corner, as the renderer cuts a convex polygon.
      for (OdUInt32 k = 1; k + 1 < n; ++k)
      {
        double z = 0;
        // Device z grows toward the camera: the largest is in front.
        if (depthAt(points[corner[0]], points[corner[k]], points[corner[k + 1]], x, y, z) && z > bestZ)
        {
          bestZ = z;
          best = entity.id;
        }
      }
      i += std::size_t(n) + 1;
    }
  }
  return best;
}

OdDbObjectIdArray ModelPicker::inside(const OdGeMatrix3d& worldToDevice, const ScreenBox& window) const
{
  OdDbObjectIdArray ids;
  const std::vector<ScreenBox> boxes = screenBoxes(worldToDevice);
  for (std::size_t i = 0; i < boxes.size(); ++i)
    if (window.contains(boxes[i]))
      ids.append(m_entities[i].id);
  return ids;
}

std::vector<std::vector<OdGePoint2d>> ModelPicker::outlines(const OdGeMatrix3d& worldToDevice,
                                                            const OdDbObjectId& id) const
{
  std::vector<std::vector<OdGePoint2d>> front, all;
  for (const PickEntity& entity : m_entities)
  {
    if (entity.id != id)
      continue;
    const std::vector<Projected> points = project(entity, worldToDevice);
    for (std::size_t i = 0; i < entity.polygons.size(); i += std::size_t(entity.polygons[i]) + 1)
    {
      const OdUInt32 n = entity.polygons[i];
      std::vector<OdGePoint2d> line;
      double area = 0;                  // twice the signed area on the screen (y down)
      for (OdUInt32 k = 0; k <= n; ++k) // closed: the first corner again
      {
        const Projected& p = points[entity.polygons[i + 1 + (k % n)]];
        if (k < n)
        {
          const Projected& next = points[entity.polygons[i + 1 + ((k + 1) % n)]];
          area += p.x * next.y - next.x * p.y;
        }
        line.emplace_back(p.x, p.y);
      }
      // Faces wind counter-clockwise seen from their front; with y down
      // that turns clockwise, a negative area.
      if (area < 0)
        front.push_back(line);
      all.push_back(std::move(line));
    }
  }
  return front.empty() ? all : front;
}

namespace
{
// The device matrix's inverse, or false for a view of no size.
bool deviceToWorld(const OdGsView& view, OdGeMatrix3d& inverse)
{
  try
  {
    inverse = view.worldToDeviceMatrix().inverse();
    return true;
  }
  catch (const OdError&)
  {
    return false;
  }
}

OdGePoint3d onTargetPlane(const OdGeMatrix3d& deviceToWorld, const OdGsDCPoint& at)
{
  return deviceToWorld * OdGePoint3d(double(at.x), double(at.y), 0.0);
}

void moveCamera(OdGsView& view, const OdGeVector3d& by)
{
  view.setView(view.position() + by, view.target() + by, view.upVector(), view.fieldWidth(), view.fieldHeight(),
               view.isPerspective() ? OdGsView::kPerspective : OdGsView::kParallel);
}
} // namespace

bool zoomAbout(OdGsView& view, const OdGsDCPoint& at, double factor)
{
  OdGeMatrix3d before, after;
  if (!(factor > 0) || !deviceToWorld(view, before))
    return false;
  const OdGePoint3d under = onTargetPlane(before, at);
  view.zoom(factor);
  if (!deviceToWorld(view, after))
  {
    view.zoom(1.0 / factor);
    return false;
  }
  moveCamera(view, under - onTargetPlane(after, at));
  return true;
}

bool panView(OdGsView& view, const OdGsDCPoint& from, const OdGsDCPoint& to)
{
  OdGeMatrix3d inverse;
  if (!deviceToWorld(view, inverse))
    return false;
  moveCamera(view, onTargetPlane(inverse, from) - onTargetPlane(inverse, to));
  return true;
}

bool orbitView(OdGsView& view, const OdGsDCPoint& from, const OdGsDCPoint& to)
{
  OdGeMatrix3d inverse;
  if (!deviceToWorld(view, inverse))
    return false;
  const double dx = double(to.x - from.x), dy = double(to.y - from.y);
  const double pixels = std::sqrt(dx * dx + dy * dy);
  if (pixels == 0)
    return true;
  // Screen axes in the world: device y runs down.
  const OdGeVector3d eyeZ = (view.position() - view.target()).normal();
  const OdGeVector3d eyeY = view.upVector();
  const OdGeVector3d eyeX = eyeY.crossProduct(eyeZ);
  // The axis at right angles to the drag in the screen plane; turning the
  // camera against the drag makes the model follow the cursor.
  const OdGeVector3d axis = (eyeX * dy + eyeY * dx).normal();
  const double angle = -pixels * OdPi / 360.0;
  const OdGeMatrix3d turn = OdGeMatrix3d::rotation(angle, axis, view.target());
  const OdGePoint3d position = turn * view.position();
  const OdGeVector3d up = (OdGeMatrix3d::rotation(angle, axis) * eyeY).normal();
  view.setView(position, view.target(), up, view.fieldWidth(), view.fieldHeight(),
               view.isPerspective() ? OdGsView::kPerspective : OdGsView::kParallel);
  return true;
}

bool lookAtExtents(OdGsView& view, const OdGeExtents3d& box, const OdGeVector3d& direction, const OdGeVector3d& up,
                   double margin)
{
  if (!box.isValidExtents() || direction.isZeroLength() || up.crossProduct(direction).isZeroLength())
    return false;
  const OdGePoint3d centre = box.center();
  const double depth = std::max(1.0, box.minPoint().distanceTo(box.maxPoint()));
  const OdGeVector3d d = direction.normal();
  const OdGeVector3d upOnScreen = (up - d * (up.x * d.x + up.y * d.y + up.z * d.z)).normal();
  view.setView(centre - d * depth, centre, upOnScreen, 1.0, 1.0, OdGsView::kParallel);
  view.zoomExtentsWorld(box, margin);
  return true;
}

bool lookAtModel(OdGsView& view, const ModelPicker& model, const OdGeVector3d& direction, const OdGeVector3d& up,
                 double margin)
{
  if (!lookAtExtents(view, model.extents(), direction, up, margin))
    return false;
  const OdGeExtents3d eye = model.extents(view.viewingMatrix());
  view.zoomExtents(eye.minPoint(), eye.maxPoint(), margin);
  return true;
}
} // namespace host
