// The sample objects: counts, first and last points, orientation, and the
// polyface builder's refusal of a broken face list.
#include "MeSampleGeometry.h"

#include "od/DbDatabase.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
OdGeVector3d newell(const OdGePoint3dArray& pts, const OdInt32Array& faces, OdUInt32 at, int n)
{
  OdGeVector3d s;
  for (int i = 0; i < n; ++i)
  {
    const OdGePoint3d& a = pts[OdUInt32(faces[at + 1 + OdUInt32(i)])];
    const OdGePoint3d& b = pts[OdUInt32(faces[at + 1 + OdUInt32((i + 1) % n)])];
    s += OdGeVector3d((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y));
  }
  return s;
}

OdGePoint3d centroid(const OdGePoint3dArray& pts, const OdInt32Array& faces, OdUInt32 at, int n)
{
  OdGeVector3d s;
  for (int i = 0; i < n; ++i)
    s += pts[OdUInt32(faces[at + 1 + OdUInt32(i)])].asVector();
  return OdGePoint3d::kOrigin + s / n;
}

class SampleGeometry : public ::testing::Test
{
protected:
  OdDbDatabasePtr m_db = odCreateDatabase();
};

TEST_F(SampleGeometry, SphereHasThePreviewCountsPolesAndOutwardFaces)
{
  OdDbEntityPtr entity;
  ASSERT_TRUE(meui::buildSampleSphere(m_db, OdGePoint3d(0, 0, 0), 50.0, 50, 50, entity));
  OdDbSubDMeshPtr mesh = OdDbSubDMesh::cast(entity);
  ASSERT_FALSE(mesh.isNull());
  EXPECT_EQ(mesh->subDLevel(), 0);
  const OdGePoint3dArray& pts = mesh->vertices();
  ASSERT_EQ(pts.size(), 2452u);
  EXPECT_EQ(mesh->numOfFaces(), 2500);
  EXPECT_TRUE(pts.first().isEqualTo(OdGePoint3d(0, 0, -50), OdGeTol(1e-9)));
  EXPECT_TRUE(pts.last().isEqualTo(OdGePoint3d(0, 0, 50), OdGeTol(1e-9)));
  for (const OdGePoint3d& p : pts)
    EXPECT_NEAR(p.distanceTo(OdGePoint3d::kOrigin), 50.0, 1e-9);

  // Every face turns its front outward, so back-face culling keeps it.
  const OdInt32Array& faces = mesh->faceArray();
  int inward = 0;
  for (OdUInt32 i = 0; i < faces.size(); i += OdUInt32(faces[i]) + 1)
    if (newell(pts, faces, i, faces[i]).dotProduct(centroid(pts, faces, i, faces[i]).asVector()) <= 0)
      ++inward;
  EXPECT_EQ(inward, 0);
  EXPECT_EQ(entity->layerId(), m_db->getCLAYER());
  EXPECT_EQ(entity->materialId(), m_db->getCMATERIAL());
}

TEST_F(SampleGeometry, SphereAndTorusFollowTheUcs)
{
  // A user coordinate system whose Z is the world's X: the poles lie on X.
  OdGeMatrix3d ucs;
  ucs.setCoordSystem(OdGePoint3d::kOrigin, OdGeVector3d::kYAxis, OdGeVector3d::kZAxis, OdGeVector3d::kXAxis);
  OdDbEntityPtr sphere, torus;
  ASSERT_TRUE(meui::buildSampleSphere(m_db, ucs, OdGePoint3d(10, 0, 0), 50.0, 50, 50, sphere));
  const OdGePoint3dArray& sp = OdDbSubDMesh::cast(sphere)->vertices();
  EXPECT_TRUE(sp.first().isEqualTo(OdGePoint3d(-40, 0, 0), OdGeTol(1e-9)));
  EXPECT_TRUE(sp.last().isEqualTo(OdGePoint3d(60, 0, 0), OdGeTol(1e-9)));

  ASSERT_TRUE(meui::buildSampleTorus(m_db, ucs, OdGePoint3d(0, 0, 0), 50.0, 10.0, 50, 50, torus));
  // The ring lies in the UCS's XY plane: the world's YZ plane.
  for (const OdGePoint3d& p : OdDbSubDMesh::cast(torus)->vertices())
    EXPECT_LE(std::fabs(p.x), 10.0 + 1e-9);
  EXPECT_TRUE(OdDbSubDMesh::cast(torus)->vertices().first().isEqualTo(OdGePoint3d(0, 60, 0), OdGeTol(1e-9)));
}

TEST_F(SampleGeometry, TorusHasThePreviewCountsAndLiesOnItsTube)
{
  OdDbEntityPtr entity;
  ASSERT_TRUE(meui::buildSampleTorus(m_db, OdGePoint3d(0, 0, 0), 50.0, 10.0, 50, 50, entity));
  OdDbSubDMeshPtr mesh = OdDbSubDMesh::cast(entity);
  ASSERT_FALSE(mesh.isNull());
  const OdGePoint3dArray& pts = mesh->vertices();
  ASSERT_EQ(pts.size(), 2500u);
  EXPECT_EQ(mesh->numOfFaces(), 2500);
  EXPECT_TRUE(pts.first().isEqualTo(OdGePoint3d(60, 0, 0), OdGeTol(1e-9)));
  for (const OdGePoint3d& p : pts)
  {
    const double ring = std::hypot(p.x, p.y) - 50.0;
    EXPECT_NEAR(ring * ring + p.z * p.z, 100.0, 1e-7);
  }
  // All faces quads, all turned the same way relative to the tube.
  const OdInt32Array& faces = mesh->faceArray();
  int outward = 0, inward = 0;
  for (OdUInt32 i = 0; i < faces.size(); i += OdUInt32(faces[i]) + 1)
  {
    ASSERT_EQ(faces[i], 4);
    const OdGePoint3d c = centroid(pts, faces, i, 4);
    const double len = std::hypot(c.x, c.y);
    const OdGePoint3d tubeCentre(c.x * 50.0 / len, c.y * 50.0 / len, 0.0);
    (newell(pts, faces, i, 4).dotProduct(c - tubeCentre) > 0 ? outward : inward)++;
  }
  EXPECT_TRUE(outward == 2500 || inward == 2500) << outward << " outward, " << inward << " inward";
}

TEST_F(SampleGeometry, CubeStandsOnTheGroundWithEdgeTwiceTheSize)
{
  OdDbEntityPtr entity;
  ASSERT_TRUE(meui::buildSampleCube(m_db, OdGePoint3d(0, 0, 30), 50.0, entity));
  OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::cast(entity);
  ASSERT_FALSE(mesh.isNull());
  EXPECT_EQ(mesh->numVertices(), 8);
  EXPECT_EQ(mesh->numFaces(), 6);
  OdGeExtents3d ext;
  ASSERT_EQ(entity->getGeomExtents(ext), eOk);
  EXPECT_TRUE(ext.minPoint().isEqualTo(OdGePoint3d(-50, -50, 0)));
  EXPECT_TRUE(ext.maxPoint().isEqualTo(OdGePoint3d(50, 50, 100)));
  for (OdInt32 f = 0; f < 6; ++f)
    for (OdUInt16 k = 0; k < 4; ++k)
    {
      EXPECT_TRUE(mesh->faceAt(f)->isEdgeVisibleAt(k));
      EXPECT_GE(mesh->faceAt(f)->getVertexAt(k), 1);
      EXPECT_LE(mesh->faceAt(f)->getVertexAt(k), 8);
    }
}

TEST_F(SampleGeometry, PolyFaceMeshNeedsWholeFacesAndHidesTheNamedEdges)
{
  const OdGePoint3dArray pts = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}};
  OdArray<OdInt16> faces = {1, 2, 3, 4, 1, 2, 6, 5, 2, 3, 4, 1, 5, 6, 2, 1, 3, 4, 2, 1, 4, 3, 2};
  ASSERT_EQ(faces.size(), 23u);
  OdDbEntityPtr entity;
  meui::buildPolyFaceMesh(m_db, pts, faces, nullptr, entity);
  EXPECT_TRUE(entity.isNull());

  faces.append(1);
  const OdArray<OdInt16> hidden = {2, -1, 0, 3, -5, 1};
  meui::buildPolyFaceMesh(m_db, pts, faces, &hidden, entity);
  OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::cast(entity);
  ASSERT_FALSE(mesh.isNull());
  EXPECT_EQ(mesh->numVertices(), 6);
  ASSERT_EQ(mesh->numFaces(), 6);
  EXPECT_TRUE(mesh->vertexAt(5)->position().isEqualTo(OdGePoint3d(1, 0, 1)));
  EXPECT_EQ(mesh->faceAt(1)->getVertexAt(2), 6);
  EXPECT_FALSE(mesh->faceAt(0)->isEdgeVisibleAt(2));
  EXPECT_TRUE(mesh->faceAt(0)->isEdgeVisibleAt(0));
  for (OdUInt16 k = 0; k < 4; ++k)
  {
    EXPECT_TRUE(mesh->faceAt(1)->isEdgeVisibleAt(k)) << "a negative entry hides nothing";
    EXPECT_TRUE(mesh->faceAt(4)->isEdgeVisibleAt(k));
  }
  EXPECT_FALSE(mesh->faceAt(3)->isEdgeVisibleAt(3));
}

TEST_F(SampleGeometry, BadCountsOrRadiiMakeNothing)
{
  OdDbEntityPtr entity;
  EXPECT_FALSE(meui::buildSampleSphere(m_db, OdGePoint3d(), 50.0, 2, 50, entity));
  EXPECT_FALSE(meui::buildSampleSphere(m_db, OdGePoint3d(), 0.0, 50, 50, entity));
  EXPECT_FALSE(meui::buildSampleSphere(m_db, OdGePoint3d(), std::nan(""), 50, 50, entity));
  EXPECT_FALSE(meui::buildSampleTorus(m_db, OdGePoint3d(), 50.0, -1.0, 50, 50, entity));
  EXPECT_FALSE(meui::buildSampleTorus(m_db, OdGePoint3d(), 50.0, 10.0, 50, 1 << 30, entity));
  EXPECT_TRUE(entity.isNull());
}
} // namespace
