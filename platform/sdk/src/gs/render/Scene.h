// What the renderer draws: triangle meshes with smooth normals and resolved
// materials, taken from the entities of a database.
#pragma once

#include "Material.h"

#include "od/DbObjectId.h"

#include <map>
#include <memory>
#include <tuple>
#include <unordered_set>
#include <vector>

namespace OdGsRender
{
// The shape of a mesh; a kept mesh's copies share it rather than copy it.
struct MeshGeometry
{
  std::vector<Vec3> positions;   // world
  std::vector<Vec3> normals;     // unit, one per position
  std::vector<OdUInt32> indices; // three per triangle, counter-clockwise seen from the front
  std::vector<OdUInt32> face;    // per triangle: the polygon it was cut from
  std::vector<OdUInt32> smooth; // per triangle: its smooth surface (triangles joined by edges whose normals they share)
  ObjectFrame frame;
  // Every edge joins two faces turned alike, all facing out: seen from
  // outside, its back faces are hidden behind its front ones.
  bool closed = false;
};

struct SceneMesh
{
  std::shared_ptr<const MeshGeometry> geometry; // never null in a scene
  OdUInt32 material = 0;
  // Names the geometry: copies of one built mesh share it; 0 for a mesh
  // that was not kept (its geometry cannot be recognised again).
  OdUInt64 geometryId = 0;
};

struct Scene
{
  std::vector<SceneMesh> meshes;
  std::vector<SurfaceMaterial> materials;
  OdGeExtents3d extents;
  OdUInt32 textureFailures = 0;
  OdArray<OdString> messages;
  // Per mesh: the entity of the drawables it came from (for what a block
  // holds, the reference), so that a change to one entity is taken again
  // alone.
  std::vector<OdDbStub*> sources;
  // Where each material is in materials, by material and entity colour.
  std::map<std::tuple<OdDbStub*, float, float, float>, OdUInt32> materialIndex;
};

// What changed in the drawing since its scene was collected.
struct SceneChanges
{
  bool everything = false;                 // take it all again
  bool order = false;                      // entities of the drawables came or went
  std::unordered_set<OdDbStub*> entities;  // entities of the drawables to take again
  std::unordered_set<OdDbStub*> materials; // materials to resolve again
};

// Builds a mesh from polygons given as a count followed by that many indices
// into points (a subdivision mesh's face list). Normals are averaged over
// the faces around a vertex that meet at less than 40 degrees, so curved
// surfaces come out smooth and box edges stay sharp. Polygons with fewer
// than three distinct corners, indices out of range and faces of no area are
// left out. False when nothing is left.
bool buildMesh(const std::vector<Vec3>& points, const std::vector<OdInt32>& faces, MeshGeometry& mesh);

struct SceneSource
{
  const ODCOLORREF* palette = nullptr; // 256 screen colours
  TextureCache* textures = nullptr;
  // What the blocks reached through references may add: one for each entity
  // met and a mesh's face list's length. A tree of references that doubles
  // at each level multiplies what it inserts; past this the scene stops and
  // keeps what it has, with a message.
  std::size_t blockBudget = std::size_t(1) << 20; // about a second of work
};

// Meshes built before, by the entity they came from. A mesh is used again
// only when its entity's points and faces are the same as when it was built;
// entities not met in the last collection are forgotten.
class MeshCache
{
public:
  // The cached mesh for these points and faces, or null.
  const SceneMesh* find(const void* key, const std::vector<Vec3>& points, const std::vector<OdInt32>& faces);
  // Gives the mesh its geometry id and keeps a copy.
  void store(const void* key, std::vector<Vec3> points, std::vector<OdInt32> faces, SceneMesh& mesh);
  void beginCollection() { ++m_generation; }
  void endCollection();

private:
  struct Entry
  {
    std::vector<Vec3> points;
    std::vector<OdInt32> faces;
    SceneMesh mesh;
    OdUInt64 seen = 0;
  };
  std::map<const void*, Entry> m_entries;
  OdUInt64 m_generation = 0;
};

// The meshes of the drawables (block records or entities), block references
// followed into their blocks (but not into a block that the way there has
// entered already). Replaces the scene's contents.
void collectScene(const OdDbObjectIdArray& drawables, const SceneSource& source, Scene& scene,
                  MeshCache* cache = nullptr);

// Brings a scene that collectScene made from the drawables up to date with
// the changes: the scene collecting would give now, at the cost of what
// changed (and of a walk over the drawables' entities when some came or
// went).
void updateScene(const OdDbObjectIdArray& drawables, const SceneSource& source, Scene& scene, MeshCache& cache,
                 const SceneChanges& changes);
} // namespace OdGsRender
