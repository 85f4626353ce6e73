#include "od/Ge.h"
#include "od/OdError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void expectNear(const OdGePoint3d& a, const OdGePoint3d& b, double tol = 1e-9)
{
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}
} // namespace

TEST(Matrix, ComposedTransformsApplyRightToLeft)
{
  const OdGeMatrix3d s = OdGeMatrix3d::scaling(OdGeVector3d(2, 3, 4));
  const OdGeMatrix3d t = OdGeMatrix3d::translation(OdGeVector3d(1, -1, 0));
  const OdGeMatrix3d r = OdGeMatrix3d::rotation(OdPi / 2, OdGeVector3d::kZAxis);
  // Rotate (1,0,0) to (0,1,0), move to (1,0,0), scale to (2,0,0).
  expectNear((s * t * r) * OdGePoint3d(1, 0, 0), OdGePoint3d(2, 0, 0));
  // The other order gives something else.
  expectNear((r * t * s) * OdGePoint3d(1, 0, 0), OdGePoint3d(1, 3, 0));
}

TEST(Matrix, RotationAboutAPointKeepsThePointAndIsRightHanded)
{
  const OdGePoint3d c(10, 5, -2);
  const OdGeMatrix3d r = OdGeMatrix3d::rotation(OdPi / 2, OdGeVector3d(0, 0, 7), c);
  expectNear(r * c, c);
  expectNear(r * OdGePoint3d(11, 5, -2), OdGePoint3d(10, 6, -2));
  // A direction turns but does not move.
  const OdGeVector3d v = r * OdGeVector3d(1, 0, 0);
  EXPECT_NEAR(v.x, 0.0, 1e-12);
  EXPECT_NEAR(v.y, 1.0, 1e-12);
}

TEST(Matrix, InverseUndoesAGeneralTransform)
{
  const OdGeMatrix3d m = OdGeMatrix3d::translation(OdGeVector3d(3, -7, 2)) *
                         OdGeMatrix3d::rotation(0.7, OdGeVector3d(1, 2, 3), OdGePoint3d(1, 1, 1)) *
                         OdGeMatrix3d::scaling(OdGeVector3d(0.5, 4, 2));
  EXPECT_TRUE((m * m.inverse()).isEqualTo(OdGeMatrix3d::kIdentity, OdGeTol(1e-12)));
  EXPECT_TRUE((m.inverse() * m).isEqualTo(OdGeMatrix3d::kIdentity, OdGeTol(1e-12)));
  const OdGePoint3d p(4, 5, 6);
  expectNear(m.inverse() * (m * p), p);
  EXPECT_NEAR(m.det(), 0.5 * 4 * 2, 1e-12);
}

TEST(Matrix, SingularMatrixHasNoInverse)
{
  const OdGeMatrix3d flat = OdGeMatrix3d::scaling(OdGeVector3d(1, 0, 1));
  EXPECT_TRUE(flat.isSingular());
  try
  {
    flat.inverse();
    FAIL() << "a singular matrix was inverted";
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eInvalidInput);
  }
}

TEST(Matrix, CoordinateSystemRoundTrip)
{
  OdGeMatrix3d m;
  m.setCoordSystem(OdGePoint3d(1, 2, 3), OdGeVector3d(0, 1, 0), OdGeVector3d(-1, 0, 0), OdGeVector3d(0, 0, 1));
  OdGePoint3d o;
  OdGeVector3d x, y, z;
  m.getCoordSystem(o, x, y, z);
  EXPECT_EQ(o, OdGePoint3d(1, 2, 3));
  EXPECT_EQ(y, OdGeVector3d(-1, 0, 0));
  const OdGeMatrix3d toPlane = OdGeMatrix3d::worldToPlane(o, x, y, z);
  expectNear(toPlane * OdGePoint3d(1, 3, 3), OdGePoint3d(1, 0, 0));
}

TEST(Extents, EmptyBoxIsInvalidAndTransformsAsCorners)
{
  OdGeExtents3d box;
  EXPECT_FALSE(box.isValidExtents());
  box.transformBy(OdGeMatrix3d::translation(OdGeVector3d(1, 1, 1)));
  EXPECT_FALSE(box.isValidExtents());
  box.addPoint(OdGePoint3d(-1, -1, 0)).addPoint(OdGePoint3d(1, 1, 2));
  ASSERT_TRUE(box.isValidExtents());
  box.transformBy(OdGeMatrix3d::rotation(OdPi / 4, OdGeVector3d::kZAxis));
  EXPECT_NEAR(box.maxPoint().x, std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(box.minPoint().y, -std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(box.maxPoint().z, 2.0, 1e-12);
}

TEST(Vector, NormalOfZeroVectorStaysZero)
{
  const OdGeVector3d zero;
  EXPECT_EQ(zero.normal(), zero);
  EXPECT_FALSE(std::isnan(OdGeVector3d(1e-320, 0, 0).normal(OdGeTol(1e-300)).x));
  EXPECT_NEAR(OdGeVector3d(3, 4, 0).normal().length(), 1.0, 1e-15);
}
