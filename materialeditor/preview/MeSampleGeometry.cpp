#include "MeSampleGeometry.h"

#include <cmath>

namespace meui
{
namespace
{
// A preview never needs more; larger counts are refused, not allocated.
constexpr long long kMaxPoints = 4'000'000;

void giveDefaults(OdDbEntity* entity, OdDbDatabase* database)
{
  if (database)
    entity->setDatabaseDefaults(database);
}

bool finishSubD(OdDbDatabase* database, const OdGePoint3dArray& points, const OdInt32Array& faces, OdDbEntityPtr& entity)
{
  OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
  giveDefaults(mesh, database);
  if (mesh->setSubDMesh(points, faces, 0) != eOk)
    return false;
  entity = OdDbEntityPtr(mesh.get());
  return true;
}

// The user coordinate system's unit axes.
OdGeVector3d axis(const OdGeMatrix3d& ucs, const OdGeVector3d& unit) { return (ucs * unit).normal(); }
} // namespace

void buildPolyFaceMesh(OdDbDatabase* database, const OdGePoint3dArray& points, const OdArray<OdInt16>& faces,
                       const OdArray<OdInt16>* hiddenEdges, OdDbEntityPtr& entity)
{
  if (faces.size() % 4 != 0)
    return;
  OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::createObject();
  giveDefaults(mesh, database);
  for (const OdGePoint3d& point : points)
  {
    OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
    giveDefaults(vertex, database);
    mesh->appendVertex(vertex);
    vertex->setPosition(point);
  }
  for (OdUInt32 f = 0; f * 4 < faces.size(); ++f)
  {
    OdDbFaceRecordPtr face = OdDbFaceRecord::createObject();
    giveDefaults(face, database);
    mesh->appendFaceRecord(face);
    for (OdUInt16 k = 0; k < 4; ++k)
      face->setVertexAt(k, faces[f * 4 + k]);
    if (hiddenEdges && f < hiddenEdges->size())
    {
      const OdInt16 edge = (*hiddenEdges)[f];
      if (edge >= 0 && edge <= 3)
        face->makeEdgeInvisibleAt(OdUInt16(edge));
    }
  }
  entity = OdDbEntityPtr(mesh.get());
}

bool buildSampleCube(OdDbDatabase* database, const OdGePoint3d& c, double h, OdDbEntityPtr& entity)
{
  const double x0 = c.x - h, x1 = c.x + h, y0 = c.y - h, y1 = c.y + h, top = 2.0 * h;
  const OdGePoint3dArray points = {{x0, y0, 0.0}, {x1, y0, 0.0}, {x1, y1, 0.0}, {x0, y1, 0.0},
                                   {x0, y0, top}, {x1, y0, top}, {x1, y1, top}, {x0, y1, top}};
  const OdArray<OdInt16> faces = {1, 2, 3, 4, 1, 2, 6, 5, 2, 3, 7, 6, 3, 4, 8, 7, 4, 1, 5, 8, 5, 6, 7, 8};
  OdDbEntityPtr made;
  buildPolyFaceMesh(database, points, faces, nullptr, made);
  if (made.isNull())
    return false;
  entity = made;
  return true;
}

bool buildSampleSphere(OdDbDatabase* database, const OdGePoint3d& centre, double radius, int nu, int nv,
                       OdDbEntityPtr& entity)
{
  OdGeMatrix3d ucs;
  currentUcs(database, ucs);
  return buildSampleSphere(database, ucs, centre, radius, nu, nv, entity);
}

bool buildSampleSphere(OdDbDatabase* database, const OdGeMatrix3d& ucs, const OdGePoint3d& c, double r, int nu, int nv,
                       OdDbEntityPtr& entity)
{
  if (nu < 3 || nv < 2 || !(r > 0.0) || !std::isfinite(r) || (long long)nu * nv > kMaxPoints)
    return false;
  const OdGeVector3d Y = axis(ucs, OdGeVector3d::kYAxis), Z = axis(ucs, OdGeVector3d::kZAxis);
  const OdGeMatrix3d longitude = OdGeMatrix3d::rotation(Od2Pi / nu, Z, c);
  const OdGeMatrix3d latitude = OdGeMatrix3d::rotation(OdPi / nv, Y, c);

  OdGePoint3dArray points;
  points.reserve(OdUInt32(nu * (nv - 1) + 2));
  OdGePoint3d p = c - Z * r;
  points.append(p);
  p.transformBy(latitude);
  for (int j = 0; j < nv - 1; ++j)
  {
    for (int k = 0; k < nu; ++k)
    {
      points.append(p);
      p.transformBy(longitude);
    }
    p.transformBy(latitude);
  }
  points.append(p);
  const OdInt32 P = 1 + (nv - 1) * nu;

  OdInt32Array faces;
  auto tri = [&](OdInt32 a, OdInt32 b, OdInt32 d) { faces.append(3); faces.append(a); faces.append(b); faces.append(d); };
  auto quad = [&](OdInt32 a, OdInt32 b, OdInt32 d, OdInt32 e) {
    faces.append(4); faces.append(a); faces.append(b); faces.append(d); faces.append(e);
  };
  for (OdInt32 k = 1; k <= nu - 1; ++k)
    tri(0, k + 1, k);
  tri(0, 1, nu);
  for (OdInt32 j = 1; j <= nv - 2; ++j)
  {
    const OdInt32 a = 1 + (j - 1) * nu;
    for (OdInt32 k = 0; k <= nu - 2; ++k)
      quad(a + k, a + k + 1, a + k + 1 + nu, a + k + nu);
    quad(a + nu - 1, a, a + nu, a + 2 * nu - 1);
  }
  const OdInt32 b = 1 + (nv - 2) * nu;
  for (OdInt32 k = 0; k <= nu - 2; ++k)
    tri(b + k, b + k + 1, P);
  tri(b + nu - 1, b, P);
  return finishSubD(database, points, faces, entity);
}

bool buildSampleTorus(OdDbDatabase* database, const OdGePoint3d& centre, double ringRadius, double tubeRadius, int nu,
                      int nv, OdDbEntityPtr& entity)
{
  OdGeMatrix3d ucs;
  currentUcs(database, ucs);
  return buildSampleTorus(database, ucs, centre, ringRadius, tubeRadius, nu, nv, entity);
}

bool buildSampleTorus(OdDbDatabase* database, const OdGeMatrix3d& ucs, const OdGePoint3d& c, double R, double r, int nu,
                      int nv, OdDbEntityPtr& entity)
{
  if (nu < 3 || nv < 3 || !(R > 0.0) || !(r > 0.0) || !std::isfinite(R) || !std::isfinite(r) ||
      (long long)nu * nv > kMaxPoints)
    return false;
  const OdGeVector3d X = axis(ucs, OdGeVector3d::kXAxis), Y = axis(ucs, OdGeVector3d::kYAxis),
                     Z = axis(ucs, OdGeVector3d::kZAxis);
  const OdGeMatrix3d ring = OdGeMatrix3d::rotation(Od2Pi / nu, Z, c);

  OdGePoint3d t = c + X * R; // centre of the tube's circle
  OdGeVector3d a = Y;        // axis of the tube's circle
  OdGePoint3d p = c + X * (R + r);
  OdGePoint3dArray points;
  points.reserve(OdUInt32(nu * nv));
  for (int i = 0; i < nu; ++i)
  {
    const OdGeMatrix3d tube = OdGeMatrix3d::rotation(Od2Pi / nv, a, t);
    for (int k = 0; k < nv; ++k)
    {
      points.append(p);
      p.transformBy(tube);
    }
    a.transformBy(ring);
    t.transformBy(ring);
    p.transformBy(ring);
  }

  OdInt32Array faces;
  auto quad = [&](OdInt32 q0, OdInt32 q1, OdInt32 q2, OdInt32 q3) {
    faces.append(4); faces.append(q0); faces.append(q1); faces.append(q2); faces.append(q3);
  };
  for (OdInt32 i = 1; i <= nu - 1; ++i)
  {
    const OdInt32 V = i * nv;
    for (OdInt32 k = 0; k <= nv - 2; ++k)
      quad(V + k - nv, V + k, V + k + 1, V + k + 1 - nv);
    quad(V - 1, V + nv - 1, V, V - nv);
  }
  const OdInt32 L = (nu - 1) * nv;
  for (OdInt32 k = 1; k <= nv - 1; ++k)
    quad(L + k - 1, k - 1, k, L + k);
  quad(L + nv - 1, nv - 1, 0, L);
  return finishSubD(database, points, faces, entity);
}

OdGePoint3dArray samplePoints(const OdDbEntity* entity)
{
  OdGePoint3dArray points;
  if (const OdDbSubDMesh* mesh = OdDbSubDMesh::cast(entity).get())
    points = mesh->vertices();
  else if (const OdDbPolyFaceMesh* pface = OdDbPolyFaceMesh::cast(entity).get())
    for (OdInt32 i = 0; i < pface->numVertices(); ++i)
      points.append(pface->vertexAt(i)->position());
  return points;
}
} // namespace meui
