#include "Scene.h"

#include "od/DbDatabase.h"
#include "od/DbEntity.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <limits>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace OdGsRender
{
namespace
{
// Newell's normal: twice the polygon's area along its normal, robust for
// slightly non-planar quads.
Vec3 newell(const std::vector<Vec3>& points, const OdInt32* idx, int n)
{
  Vec3 sum;
  for (int i = 0; i < n; ++i)
  {
    const Vec3& a = points[std::size_t(idx[i])];
    const Vec3& b = points[std::size_t(idx[(i + 1) % n])];
    sum.x += (a.y - b.y) * (a.z + b.z);
    sum.y += (a.z - b.z) * (a.x + b.x);
    sum.z += (a.x - b.x) * (a.y + b.y);
  }
  return sum;
}

// Turns polygons so that neighbours agree across every edge two of them
// share, then each closed piece so that its faces point outward (its signed
// volume positive); an open piece keeps the winding most of its faces were
// given. start[f] .. start[f + 1] are polygon f's corners in idx; normals
// are turned with them. True when every piece is closed and could be turned
// to agree everywhere (a one-sided surface cannot).
bool orientFaces(const std::vector<Vec3>& points, const std::vector<OdUInt32>& start, std::vector<OdInt32>& idx,
                 std::vector<Vec3>& normals)
{
  bool allClosed = true;
  const std::size_t numFaces = normals.size();
  struct Side // a polygon's edge, by its lower and higher point
  {
    OdInt32 lo, hi;
    OdUInt32 face;
    bool forward; // the polygon runs from lo to hi
    bool operator<(const Side& o) const { return lo != o.lo ? lo < o.lo : hi < o.hi; }
  };
  std::vector<Side> sides;
  sides.reserve(idx.size());
  for (OdUInt32 f = 0; f < numFaces; ++f)
    for (OdUInt32 c = start[f]; c < start[f + 1]; ++c)
    {
      const OdInt32 a = idx[c], b = idx[c + 1 < start[f + 1] ? c + 1 : start[f]];
      sides.push_back({std::min(a, b), std::max(a, b), f, a < b});
    }
  std::sort(sides.begin(), sides.end());
  // Neighbours across edges of exactly two polygons; an edge of one (or of
  // more than two) makes its polygons' piece open.
  std::vector<std::vector<std::pair<OdUInt32, bool>>> next(numFaces); // face, same direction there
  std::vector<bool> open(numFaces, false);
  for (std::size_t i = 0, j; i < sides.size(); i = j)
  {
    for (j = i + 1; j < sides.size() && sides[j].lo == sides[i].lo && sides[j].hi == sides[i].hi;)
      ++j;
    if (j - i == 2)
    {
      const Side &a = sides[i], &b = sides[i + 1];
      next[a.face].emplace_back(b.face, a.forward == b.forward);
      next[b.face].emplace_back(a.face, a.forward == b.forward);
    }
    else
      for (std::size_t k = i; k < j; ++k)
        open[sides[k].face] = true;
  }
  // Each piece by a walk with an explicit queue: a neighbour that runs the
  // shared edge the same way must be turned relative to its polygon.
  std::vector<signed char> turn(numFaces, -1);
  std::vector<OdUInt32> piece;
  for (OdUInt32 seed = 0; seed < numFaces; ++seed)
  {
    if (turn[seed] >= 0)
      continue;
    piece.assign(1, seed);
    turn[seed] = 0;
    bool closed = true;
    for (std::size_t k = 0; k < piece.size(); ++k)
    {
      const OdUInt32 f = piece[k];
      closed = closed && !open[f];
      for (const auto& [g, same] : next[f])
        if (turn[g] < 0)
        {
          turn[g] = static_cast<signed char>(turn[f] ^ (same ? 1 : 0));
          piece.push_back(g);
        }
        else if (turn[g] != (turn[f] ^ (same ? 1 : 0)))
          allClosed = false;
    }
    allClosed = allClosed && closed;
    std::size_t turned = 0;
    double volume = 0.0; // six times the signed volume, about the piece's first point
    const Vec3 origin = points[std::size_t(idx[start[seed]])];
    for (OdUInt32 f : piece)
    {
      turned += std::size_t(turn[f]);
      const double v = dot(points[std::size_t(idx[start[f]])] - origin, normals[f]);
      volume += turn[f] ? -v : v;
    }
    const bool flipAll = closed ? volume < 0.0 : turned * 2 > piece.size();
    for (OdUInt32 f : piece)
      if ((turn[f] != 0) != flipAll)
      {
        std::reverse(idx.begin() + start[f], idx.begin() + start[f + 1]);
        normals[f] = -normals[f];
      }
  }
  return allClosed;
}
} // namespace

bool buildMesh(const std::vector<Vec3>& points, const std::vector<OdInt32>& faces, MeshGeometry& mesh)
{
  mesh = MeshGeometry();
  const OdInt32 numPoints = OdInt32(points.size());

  // Clean polygons, flat: distinct consecutive corners, all in range.
  std::vector<OdUInt32> polyStart; // polygon i is polyIdx[polyStart[i] .. polyStart[i + 1])
  std::vector<OdInt32> polyIdx;
  std::vector<Vec3> faceNormals; // area-weighted
  polyIdx.reserve(faces.size());
  for (std::size_t i = 0; i < faces.size();)
  {
    const OdInt32 n = faces[i];
    if (n <= 0 || std::size_t(n) > faces.size() - i - 1)
      break;
    const std::size_t first = polyIdx.size();
    bool valid = true;
    for (OdInt32 k = 1; k <= n; ++k)
    {
      const OdInt32 v = faces[i + std::size_t(k)];
      if (v < 0 || v >= numPoints)
        valid = false;
      else if (polyIdx.size() == first || polyIdx.back() != v)
        polyIdx.push_back(v);
    }
    i += std::size_t(n) + 1;
    while (polyIdx.size() > first + 1 && polyIdx[first] == polyIdx.back())
      polyIdx.pop_back();
    const int count = int(polyIdx.size() - first);
    Vec3 normal;
    if (valid && count >= 3)
      normal = newell(points, &polyIdx[first], count);
    if (!valid || count < 3 || dot(normal, normal) <= 1e-24f)
    {
      polyIdx.resize(first);
      continue;
    }
    polyStart.push_back(OdUInt32(first));
    faceNormals.push_back(normal);
  }
  if (faceNormals.empty())
    return false;
  const std::size_t numFaces = faceNormals.size();
  polyStart.push_back(OdUInt32(polyIdx.size()));
  mesh.closed = orientFaces(points, polyStart, polyIdx, faceNormals);
  std::vector<Vec3> faceUnits;
  for (const Vec3& n : faceNormals)
    faceUnits.push_back(normalize(n));

  // Faces around each point (compressed rows).
  std::vector<OdUInt32> start(std::size_t(numPoints) + 1, 0);
  for (OdInt32 v : polyIdx)
    ++start[std::size_t(v) + 1];
  for (std::size_t p = 0; p < std::size_t(numPoints); ++p)
    start[p + 1] += start[p];
  std::vector<OdUInt32> around(start.back());
  std::vector<OdUInt32> fill(start.begin(), start.end() - 1);
  for (std::size_t f = 0; f < numFaces; ++f)
    for (OdUInt32 c = polyStart[f]; c < polyStart[f + 1]; ++c)
      around[fill[std::size_t(polyIdx[c])]++] = OdUInt32(f);

  // A corner's normal sums the neighbouring faces within the crease angle;
  // corners of one point with the same normal share one output vertex
  // (chained from the point's first).
  const float creaseCos = 0.766f; // cos 40 degrees
  std::vector<OdInt32> firstOut(std::size_t(numPoints), -1);
  std::vector<OdInt32> nextOut;
  mesh.positions.reserve(std::size_t(numPoints));
  mesh.normals.reserve(std::size_t(numPoints));
  nextOut.reserve(std::size_t(numPoints));
  auto vertexFor = [&](OdInt32 point, std::size_t face) -> OdUInt32 {
    Vec3 sum;
    for (OdUInt32 j = start[std::size_t(point)]; j < start[std::size_t(point) + 1]; ++j)
      if (dot(faceUnits[around[j]], faceUnits[face]) >= creaseCos)
        sum += faceNormals[around[j]];
    const Vec3 n = normalize(sum);
    for (OdInt32 o = firstOut[std::size_t(point)]; o >= 0; o = nextOut[std::size_t(o)])
      if (dot(mesh.normals[std::size_t(o)], n) > 0.99999f)
        return OdUInt32(o);
    const OdUInt32 index = OdUInt32(mesh.positions.size());
    mesh.positions.push_back(points[std::size_t(point)]);
    mesh.normals.push_back(n);
    nextOut.push_back(firstOut[std::size_t(point)]);
    firstOut[std::size_t(point)] = OdInt32(index);
    return index;
  };

  std::vector<OdUInt32> corner;
  mesh.indices.reserve(polyIdx.size() * 3);
  for (std::size_t f = 0; f < numFaces; ++f)
  {
    corner.clear();
    for (OdUInt32 c = polyStart[f]; c < polyStart[f + 1]; ++c)
      corner.push_back(vertexFor(polyIdx[c], f));
    // A fan; skip slivers of no area (a quad with three points in a line).
    for (std::size_t k = 1; k + 1 < corner.size(); ++k)
    {
      const Vec3& a = mesh.positions[corner[0]];
      const Vec3 c = cross(mesh.positions[corner[k]] - a, mesh.positions[corner[k + 1]] - a);
      if (dot(c, c) <= 1e-24f)
        continue;
      mesh.indices.insert(mesh.indices.end(), {corner[0], corner[k], corner[k + 1]});
      mesh.face.push_back(OdUInt32(f));
    }
  }

  // Triangles that share both ends of an edge share its normals: they are
  // one smooth surface, whose pixels the renderer may shade once where its
  // triangles meet. Joined by a union-find over the shared edges; each
  // surface is named by one of its triangles.
  std::vector<OdUInt32>& smooth = mesh.smooth;
  smooth.resize(mesh.face.size());
  std::vector<std::array<OdUInt32, 3>> edges; // lower and higher vertex, triangle
  for (OdUInt32 t = 0; t < smooth.size(); ++t)
  {
    smooth[t] = t;
    for (int k = 0; k < 3; ++k)
    {
      const OdUInt32 a = mesh.indices[3 * t + k], b = mesh.indices[3 * t + (k + 1) % 3];
      edges.push_back({std::min(a, b), std::max(a, b), t});
    }
  }
  auto root = [&smooth](OdUInt32 t) {
    for (; smooth[t] != t; t = smooth[t])
      smooth[t] = smooth[smooth[t]];
    return t;
  };
  std::sort(edges.begin(), edges.end());
  for (std::size_t i = 1; i < edges.size(); ++i)
    if (edges[i][0] == edges[i - 1][0] && edges[i][1] == edges[i - 1][1])
      smooth[root(edges[i][2])] = root(edges[i - 1][2]);
  for (OdUInt32 t = 0; t < smooth.size(); ++t)
    smooth[t] = root(t);

  ObjectFrame& frame = mesh.frame;
  frame.min = frame.max = mesh.positions.empty() ? Vec3() : mesh.positions[0];
  for (const Vec3& p : mesh.positions)
  {
    frame.min = Vec3(std::min(frame.min.x, p.x), std::min(frame.min.y, p.y), std::min(frame.min.z, p.z));
    frame.max = Vec3(std::max(frame.max.x, p.x), std::max(frame.max.y, p.y), std::max(frame.max.z, p.z));
  }
  frame.centre = (frame.min + frame.max) * 0.5f;
  const Vec3 e = frame.max - frame.min;
  frame.size = std::max(std::max(e.x, e.y), std::max(e.z, 1e-6f));
  return !mesh.indices.empty();
}

const SceneMesh* MeshCache::find(const void* key, const std::vector<Vec3>& points, const std::vector<OdInt32>& faces)
{
  auto found = m_entries.find(key);
  if (found == m_entries.end() || found->second.faces != faces || found->second.points.size() != points.size())
    return nullptr;
  const std::vector<Vec3>& mine = found->second.points;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (mine[i].x != points[i].x || mine[i].y != points[i].y || mine[i].z != points[i].z)
      return nullptr;
  found->second.seen = m_generation;
  return &found->second.mesh;
}

void MeshCache::store(const void* key, std::vector<Vec3> points, std::vector<OdInt32> faces, SceneMesh& mesh)
{
  static std::atomic<OdUInt64> nextId{1}; // unique across caches, so renderers can compare
  mesh.geometryId = nextId.fetch_add(1, std::memory_order_relaxed);
  Entry& entry = m_entries[key];
  entry.points = std::move(points);
  entry.faces = std::move(faces);
  entry.mesh = mesh;
  entry.seen = m_generation;
}

void MeshCache::endCollection()
{
  for (auto it = m_entries.begin(); it != m_entries.end();)
    it = it->second.seen == m_generation ? std::next(it) : m_entries.erase(it);
}

namespace
{
struct Inherited
{
  Vec3 color{1.f, 1.f, 1.f}; // by-block colour, linear
  OdDbObjectId material;     // by-block material
};

class Collector
{
public:
  Collector(const SceneSource& source, Scene& scene, MeshCache* cache)
    : m_source(source), m_scene(scene), m_cache(cache)
  {
  }

  // A block record's entities, or one entity (of the drawables or of a
  // block record among them) with what it references.
  void drawable(const OdDbObjectId& id)
  {
    OdDbObjectPtr object = id.openObject(OdDb::kForRead);
    if (object.isNull())
      return;
    m_from = id.stub();
    if (object->isKindOf(OdDbBlockTableRecord::desc()))
      enter(id, OdGeMatrix3d(), Inherited(), true);
    else if (OdDbEntityPtr ent = OdDbEntity::cast(object))
      entity(ent, OdGeMatrix3d(), Inherited(), true);
    // The blocks entered, depth first, on a stack of our own: references
    // nest as deep as a drawing likes.
    while (!m_open.empty())
    {
      Open& top = m_open.back();
      if (top.next == top.ids.size())
      {
        m_onPath.erase(top.block.stub());
        m_open.pop_back();
        continue;
      }
      const OdGeMatrix3d xform = top.xform; // (entity() may push onto m_open)
      const Inherited inherited = top.inherited;
      const bool drawn = top.drawn;
      const OdDbObjectId id = top.ids[top.next++];
      m_from = drawn ? id.stub() : top.from;
      if (OdDbEntityPtr ent = OdDbEntity::cast(id.openObject(OdDb::kForRead)))
        entity(ent, xform, inherited, drawn);
    }
  }

  // The materials resolved again (a material the drawing no longer has
  // becomes the default one, as when collected). The scene keeps the
  // entries of every material it ever showed (a preview shows thousands in
  // a row): each changed one's entries are looked up, not the index walked.
  void resolveAgain(const std::unordered_set<OdDbStub*>& materials)
  {
    constexpr float kLeast = std::numeric_limits<float>::lowest();
    for (OdDbStub* stub : materials)
    {
      auto it = m_scene.materialIndex.lower_bound({stub, kLeast, kLeast, kLeast});
      if (it == m_scene.materialIndex.end() || std::get<0>(it->first) != stub)
        continue;
      OdDbMaterialPtr material = OdDbMaterial::cast(OdDbObjectId(stub).openObject(OdDb::kForRead));
      for (; it != m_scene.materialIndex.end() && std::get<0>(it->first) == stub; ++it)
      {
        const Vec3 colour(std::get<1>(it->first), std::get<2>(it->first), std::get<3>(it->first));
        m_scene.materials[it->second] = resolve(material.isNull() ? defaultMaterial() : *material, colour);
      }
    }
  }

private:
  // A block open on the way down, and where its walk is.
  struct Open
  {
    OdDbObjectId block;
    std::vector<OdDbObjectId> ids;
    std::size_t next = 0;
    OdGeMatrix3d xform;
    Inherited inherited;
    bool drawn;     // one of the drawables, not a block reached by a reference
    OdDbStub* from; // not drawn: the entity of the drawables that references it
  };

  // Spends from the budget of what blocks may add: false once it is spent.
  bool spend(std::size_t units)
  {
    m_spent += units;
    if (m_spent <= m_source.blockBudget)
      return true;
    if (m_spent - units <= m_source.blockBudget) // the first time over
      m_scene.messages.append(L"the drawing inserts its blocks too many times: only part of it is shown");
    m_open.clear();
    m_onPath.clear();
    return false;
  }

  void enter(const OdDbObjectId& blockId, const OdGeMatrix3d& xform, const Inherited& inherited, bool drawn)
  {
    OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::cast(blockId.openObject(OdDb::kForRead));
    // A block that contains itself (through others) is not entered again.
    if (record.isNull() || !m_onPath.insert(blockId.stub()).second)
      return;
    m_open.push_back({blockId, record->entityIds(), 0, xform, inherited, drawn, m_from});
  }

  // top: an entity of the drawables themselves (not reached by a reference).
  void entity(const OdDbEntity* ent, const OdGeMatrix3d& xform, const Inherited& inherited, bool top)
  {
    if (!top && !spend(1))
      return;
    OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::cast(ent->layerId().openObject(OdDb::kForRead));
    if (layer && layer->isOff())
      return;
    if (const auto* ref = OdDbBlockReference::cast(ent).get())
    {
      Inherited next;
      next.color = entityColor(ent, layer, inherited);
      next.material = entityMaterial(ent, layer, inherited);
      enter(ref->blockTableRecord(), xform * ref->blockTransform(), next, false);
      return;
    }

    std::vector<Vec3> points;
    std::vector<OdInt32> faces;
    // Most entities sit directly in the drawing: no transform to apply.
    const bool moved = !xform.isIdentity();
    if (const auto* sub = OdDbSubDMesh::cast(ent).get())
    {
      points.reserve(sub->vertices().size());
      for (const OdGePoint3d& p : sub->vertices())
        points.emplace_back(moved ? xform * p : p);
      faces.assign(sub->faceArray().begin(), sub->faceArray().end());
    }
    else if (const auto* pface = OdDbPolyFaceMesh::cast(ent).get())
    {
      for (OdInt32 i = 0; i < pface->numVertices(); ++i)
        points.emplace_back(moved ? xform * pface->vertexAt(i)->position() : pface->vertexAt(i)->position());
      for (OdInt32 i = 0; i < pface->numFaces(); ++i)
      {
        const OdDbFaceRecord* face = pface->faceAt(i);
        faces.push_back(0);
        const std::size_t countAt = faces.size() - 1;
        for (OdUInt16 k = 0; k < 4; ++k)
        {
          // Numbers count from 1; 0 is no vertex; a negative one hides an edge.
          const OdInt32 number = std::abs(OdInt32(face->getVertexAt(k)));
          if (number != 0)
          {
            faces.push_back(number - 1);
            ++faces[countAt];
          }
        }
      }
    }
    else if (const auto* face = OdDbFace::cast(ent).get())
    {
      // Three corners when the last repeats the third.
      OdGePoint3d corners[4];
      for (OdUInt16 k = 0; k < 4; ++k)
        face->getVertexAt(k, corners[k]);
      const int count = corners[3] == corners[2] ? 3 : 4;
      faces.push_back(count);
      for (int k = 0; k < count; ++k)
      {
        points.emplace_back(moved ? xform * corners[k] : corners[k]);
        faces.push_back(k);
      }
    }
    else
      return;
    if (!top && !spend(faces.size()))
      return;

    if (xform.det() < 0.0)
      reverseFaces(faces); // a mirroring transform turns the faces inside out

    SceneMesh mesh;
    // The key is the entity and where it sits: one block inserted twice
    // gives two meshes.
    const void* key = top ? static_cast<const void*>(ent) : nullptr;
    if (const SceneMesh* known = key && m_cache ? m_cache->find(key, points, faces) : nullptr)
      mesh = *known;
    else
    {
      auto geometry = std::make_shared<MeshGeometry>();
      if (!buildMesh(points, faces, *geometry))
        return;
      mesh.geometry = std::move(geometry);
      if (key && m_cache)
        m_cache->store(key, points, faces, mesh);
    }
    mesh.material = material(entityMaterial(ent, layer, inherited), entityColor(ent, layer, inherited));
    for (const Vec3& p : {mesh.geometry->frame.min, mesh.geometry->frame.max})
      m_scene.extents.addPoint(OdGePoint3d(p.x, p.y, p.z));
    m_scene.meshes.push_back(std::move(mesh));
    m_scene.sources.push_back(m_from);
  }

  static void reverseFaces(std::vector<OdInt32>& faces)
  {
    for (std::size_t i = 0; i < faces.size(); i += std::size_t(std::max(faces[i], 0)) + 1)
    {
      const std::size_t n = std::size_t(std::max(faces[i], 0));
      if (i + n >= faces.size())
        break;
      std::reverse(faces.begin() + std::ptrdiff_t(i) + 1, faces.begin() + std::ptrdiff_t(i + n) + 1);
    }
  }

  // In linear light.
  Vec3 colorValue(const OdCmEntityColor& color, const Vec3& byBlock) const
  {
    switch (color.colorMethod())
    {
    case OdCmEntityColor::kByColor: return linearColor(color.red(), color.green(), color.blue());
    case OdCmEntityColor::kByACI:
    {
      const int index = color.colorIndex();
      return linearColor(m_source.palette[index >= 0 && index < 256 ? index : 7]);
    }
    case OdCmEntityColor::kByBlock: return byBlock;
    default: return linearColor(m_source.palette[7]);
    }
  }

  Vec3 entityColor(const OdDbEntity* ent, const OdDbLayerTableRecord* layer, const Inherited& inherited) const
  {
    const OdCmColor color = ent->color();
    if (color.isByLayer())
      return layer ? colorValue(layer->color().entityColor(), inherited.color) : linearColor(m_source.palette[7]);
    return colorValue(color.entityColor(), inherited.color);
  }

  static OdDbObjectId entityMaterial(const OdDbEntity* ent, const OdDbLayerTableRecord* layer,
                                     const Inherited& inherited)
  {
    OdDbObjectId id = ent->materialId();
    OdDbDatabase* db = ent->database();
    if (db && id == db->byLayerMaterialId())
      id = layer ? layer->materialId() : OdDbObjectId();
    else if (db && id == db->byBlockMaterialId())
      id = inherited.material;
    return id;
  }

  OdUInt32 material(const OdDbObjectId& id, const Vec3& entityColour)
  {
    const auto key = std::make_tuple(id.stub(), entityColour.x, entityColour.y, entityColour.z);
    auto found = m_scene.materialIndex.find(key);
    if (found != m_scene.materialIndex.end())
      return found->second;
    OdDbMaterialPtr material = OdDbMaterial::cast(id.openObject(OdDb::kForRead));
    const OdUInt32 index = OdUInt32(m_scene.materials.size());
    m_scene.materials.push_back(resolve(material.isNull() ? defaultMaterial() : *material, entityColour));
    m_scene.materialIndex.emplace(key, index);
    return index;
  }

  const OdDbMaterial& defaultMaterial()
  {
    if (m_default.isNull())
      m_default = OdDbMaterial::createObject();
    return *m_default;
  }

  Vec3 channelColor(const MaterialColor& color, const Vec3& entityColour) const
  {
    const Vec3 base =
      color.method() == MaterialColor::kOverride ? colorValue(color.color(), entityColour) : entityColour;
    return base * float(std::max(color.factor(), 0.0));
  }

  static Tiling tiling(MapMapper::Tiling t)
  {
    switch (t)
    {
    case MapMapper::kCrop: return Tiling::None;
    case MapMapper::kClamp: return Tiling::Clamp;
    case MapMapper::kMirror: return Tiling::Mirror;
    default: return Tiling::Tile;
    }
  }

  static Projection projection(MapMapper::Projection p)
  {
    switch (p)
    {
    case MapMapper::kBox: return Projection::Box;
    case MapMapper::kCylinder: return Projection::Cylinder;
    case MapMapper::kSphere: return Projection::Sphere;
    default: return Projection::Planar;
    }
  }

  // A relative path is looked for beside the drawing first.
  static OdString resolvePath(const OdString& name, const OdDbDatabase* db)
  {
    namespace fs = std::filesystem;
    const fs::path path = fsPath(name);
    std::error_code ec;
    if (path.is_relative() && db && !db->getFilename().isEmpty())
    {
      const fs::path beside = fsPath(db->getFilename()).parent_path() / path;
      if (fs::is_regular_file(beside, ec))
#ifdef _WIN32
        return OdString(beside.wstring());
#else
        return OdString(beside.u8string().c_str());
#endif
    }
    return name;
  }

  void resolveMap(const OdDbMaterial& material, const MaterialMap& source, const Vec3& entityColour, DiffuseMap& map)
  {
    const OdGiMaterialTexture* texture = source.texture().get();
    OdString file;
    if (source.source() == kFile)
    {
      file = source.sourceFileName();
      if (file.isEmpty())
        if (const auto* image = OdGiImageFileTexture::cast(texture).get())
          file = image->sourceFileName();
      if (file.isEmpty())
        return;
      map.kind = MapKind::Image;
    }
    else if (source.source() == kProcedural)
    {
      if (const auto* marble = OdGiMarbleTexture::cast(texture).get())
      {
        map.kind = MapKind::Marble;
        map.marble.stone = channelColor(marble->stoneColor(), entityColour);
        map.marble.vein = channelColor(marble->veinColor(), entityColour);
        map.marble.spacing = float(marble->veinSpacing());
        map.marble.width = float(marble->veinWidth());
        setMarbleProfile(map.marble);
      }
      else if (const auto* wood = OdGiWoodTexture::cast(texture).get())
      {
        map.kind = MapKind::Wood;
        map.wood.color1 = channelColor(wood->color1(), entityColour);
        map.wood.color2 = channelColor(wood->color2(), entityColour);
        map.wood.radialNoise = float(wood->radialNoise());
        map.wood.axialNoise = float(wood->axialNoise());
        map.wood.grain = float(wood->grainThickness());
      }
      else if (const auto* image = OdGiImageFileTexture::cast(texture).get())
      {
        file = image->sourceFileName();
        map.kind = file.isEmpty() ? MapKind::None : MapKind::Image;
      }
      if (map.kind == MapKind::None)
        return;
    }
    else
      return;

    const MapMapper& mapper = source.mapper();
    map.projection = projection(mapper.projection());
    map.uTiling = tiling(mapper.uTiling());
    map.vTiling = tiling(mapper.vTiling());
    // A transform read from a drawing may be singular or not finite: the map
    // is then laid on as it comes, never as NaN.
    if (isDrawableMapTransform(mapper.transform()))
      map.transform = Affine(mapper.transform());
    map.fitToObject = (mapper.autoTransform() & MapMapper::kObject) != 0;
    map.blend = float(std::max(source.blendFactor(), 0.0));

    if (map.kind == MapKind::Image)
    {
      const OdString path = resolvePath(file, material.database());
      TextureLookup found =
        m_source.textures ? m_source.textures->lookup(path) : TextureLookup{nullptr, L"no texture cache"};
      if (!found.image)
      {
        map.kind = MapKind::None;
        ++m_scene.textureFailures;
        m_scene.messages.append(found.error);
        return;
      }
      map.image = found.image;
    }
  }

  SurfaceMaterial resolve(const OdDbMaterial& material, const Vec3& entityColour)
  {
    SurfaceMaterial out;
    MaterialColor ambient, diffuse, specular;
    MaterialMap diffuseMap, specularMap, opacityMap;
    double gloss = 0.5, opacity = 1.0;
    material.ambient(ambient);
    material.diffuse(diffuse, diffuseMap);
    material.specular(specular, specularMap, gloss);
    material.opacity(opacity, opacityMap);
    const OdUInt32 flags = material.channelFlags();
    out.ambient = channelColor(ambient, entityColour);
    out.diffuse = channelColor(diffuse, entityColour);
    out.specular = channelColor(specular, entityColour);
    glossToSpecular(gloss, out.exponent, out.specularScale);
    out.glintFloor = glintFloor(out.exponent);
    out.opacity = (flags & kUseOpacity) ? std::min(std::max(float(opacity), 0.f), 1.f) : 1.f;
    if (flags & kUseDiffuse)
      resolveMap(material, diffuseMap, entityColour, out.map);
    return out;
  }

  const SceneSource& m_source;
  Scene& m_scene;
  MeshCache* m_cache;
  OdDbMaterialPtr m_default;
  OdDbStub* m_from = nullptr; // the entity of the drawables being taken
  std::vector<Open> m_open;
  std::unordered_set<OdDbStub*> m_onPath; // the blocks in m_open
  std::size_t m_spent = 0;
};
} // namespace

void collectScene(const OdDbObjectIdArray& drawables, const SceneSource& source, Scene& scene, MeshCache* cache)
{
  scene = Scene();
  if (cache)
    cache->beginCollection();
  Collector collector(source, scene, cache);
  for (const OdDbObjectId& id : drawables)
    collector.drawable(id);
  if (cache)
    cache->endCollection();
}

void updateScene(const OdDbObjectIdArray& drawables, const SceneSource& source, Scene& scene, MeshCache& cache,
                 const SceneChanges& changes)
{
  if (changes.everything)
    return collectScene(drawables, source, scene, &cache);
  // Without a collection of its own the cache forgets nothing: entities not
  // taken again keep their meshes there.
  Collector collector(source, scene, &cache);
  collector.resolveAgain(changes.materials);
  if (changes.entities.empty() && !changes.order)
    return;

  // Each entity's meshes lie together, in the order of the walk.
  std::vector<SceneMesh> meshes;
  std::vector<OdDbStub*> sources;
  meshes.swap(scene.meshes);
  sources.swap(scene.sources);
  scene.meshes.reserve(meshes.size());
  scene.sources.reserve(sources.size());
  auto take = [&](std::size_t begin, std::size_t end) {
    scene.meshes.insert(scene.meshes.end(), meshes.begin() + std::ptrdiff_t(begin),
                        meshes.begin() + std::ptrdiff_t(end));
    scene.sources.insert(scene.sources.end(), sources.begin() + std::ptrdiff_t(begin),
                         sources.begin() + std::ptrdiff_t(end));
  };
  // When every changed entity had meshes and none came or went, each is
  // taken again in its place.
  std::size_t met = 0;
  for (std::size_t begin = 0, end; begin < sources.size() && !changes.order; begin = end)
  {
    for (end = begin + 1; end < sources.size() && sources[end] == sources[begin];)
      ++end;
    if (changes.entities.count(sources[begin]))
      ++met, collector.drawable(OdDbObjectId(sources[begin]));
    else
      take(begin, end);
  }
  if (changes.order || met != changes.entities.size())
  {
    // Else the drawables are walked again, an entity's old meshes taken
    // unless it changed.
    scene.meshes.clear();
    scene.sources.clear();
    std::unordered_map<OdDbStub*, std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t begin = 0, end; begin < sources.size(); begin = end)
    {
      for (end = begin + 1; end < sources.size() && sources[end] == sources[begin];)
        ++end;
      ranges.emplace(sources[begin], std::make_pair(begin, end));
    }
    auto entity = [&](const OdDbObjectId& id) {
      if (changes.entities.count(id.stub()))
        collector.drawable(id);
      else if (auto found = ranges.find(id.stub()); found != ranges.end())
        take(found->second.first, found->second.second);
    };
    for (const OdDbObjectId& id : drawables)
      if (OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::cast(id.openObject(OdDb::kForRead)))
        for (const OdDbObjectId& member : record->entityIds())
          entity(member);
      else
        entity(id);
  }
  scene.extents = OdGeExtents3d();
  for (const SceneMesh& mesh : scene.meshes)
    for (const Vec3& p : {mesh.geometry->frame.min, mesh.geometry->frame.max})
      scene.extents.addPoint(OdGePoint3d(p.x, p.y, p.z));
}
} // namespace OdGsRender
