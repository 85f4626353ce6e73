// Geometry: points, vectors, 4 x 4 matrices and extents.
//
// Matrices are row-major with the translation in the fourth column and act on
// column vectors, so (A * B) applied to p is A(B(p)).
#pragma once

#include "od/OdPlatform.h"

class OdGeMatrix3d;

class OdGeTol
{
public:
  explicit OdGeTol(double eq = 1e-10) : m_eq(eq) {}
  double equalPoint() const { return m_eq; }
  double equalVector() const { return m_eq; }

private:
  double m_eq;
};

class OdGeVector3d
{
public:
  double x = 0.0, y = 0.0, z = 0.0;

  OdGeVector3d() = default;
  OdGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

  static const OdGeVector3d kXAxis, kYAxis, kZAxis, kIdentity;

  OdGeVector3d operator+(const OdGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  OdGeVector3d operator-(const OdGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  OdGeVector3d operator-() const { return {-x, -y, -z}; }
  OdGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
  OdGeVector3d operator/(double s) const { return {x / s, y / s, z / s}; }
  OdGeVector3d& operator+=(const OdGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
  OdGeVector3d& operator-=(const OdGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  OdGeVector3d& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
  bool operator==(const OdGeVector3d& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const OdGeVector3d& v) const { return !(*this == v); }

  double dotProduct(const OdGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
  OdGeVector3d crossProduct(const OdGeVector3d& v) const { return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x}; }
  double length() const;
  double lengthSqrd() const { return dotProduct(*this); }
  // The unit vector; a vector shorter than the tolerance is returned unchanged.
  OdGeVector3d normal(const OdGeTol& tol = OdGeTol()) const;
  OdGeVector3d& normalize(const OdGeTol& tol = OdGeTol());
  bool isZeroLength(const OdGeTol& tol = OdGeTol()) const { return length() <= tol.equalVector(); }
  bool isEqualTo(const OdGeVector3d& v, const OdGeTol& tol = OdGeTol()) const { return (*this - v).length() <= tol.equalVector(); }
  double angleTo(const OdGeVector3d& v) const;
  // Directions ignore the matrix's translation.
  OdGeVector3d& transformBy(const OdGeMatrix3d& m);
  OdGeVector3d& rotateBy(double angle, const OdGeVector3d& axis);
  OdGeVector3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }
};

inline OdGeVector3d operator*(double s, const OdGeVector3d& v) { return v * s; }

class OdGePoint3d
{
public:
  double x = 0.0, y = 0.0, z = 0.0;

  OdGePoint3d() = default;
  OdGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

  static const OdGePoint3d kOrigin;

  OdGePoint3d operator+(const OdGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  OdGePoint3d operator-(const OdGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  OdGeVector3d operator-(const OdGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
  OdGePoint3d& operator+=(const OdGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
  OdGePoint3d& operator-=(const OdGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  bool operator==(const OdGePoint3d& p) const { return x == p.x && y == p.y && z == p.z; }
  bool operator!=(const OdGePoint3d& p) const { return !(*this == p); }

  OdGeVector3d asVector() const { return {x, y, z}; }
  double distanceTo(const OdGePoint3d& p) const { return (*this - p).length(); }
  bool isEqualTo(const OdGePoint3d& p, const OdGeTol& tol = OdGeTol()) const { return distanceTo(p) <= tol.equalPoint(); }
  OdGePoint3d& transformBy(const OdGeMatrix3d& m);
  OdGePoint3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }
};

class OdGePoint2d
{
public:
  double x = 0.0, y = 0.0;
  OdGePoint2d() = default;
  OdGePoint2d(double xx, double yy) : x(xx), y(yy) {}
  bool operator==(const OdGePoint2d& p) const { return x == p.x && y == p.y; }
};

class OdGeMatrix3d
{
public:
  double entry[4][4];

  OdGeMatrix3d(); // identity
  static const OdGeMatrix3d kIdentity;

  OdGeMatrix3d& setToIdentity();
  bool isIdentity() const;

  static OdGeMatrix3d translation(const OdGeVector3d& v);
  static OdGeMatrix3d scaling(double s, const OdGePoint3d& center = OdGePoint3d::kOrigin);
  static OdGeMatrix3d scaling(const OdGeVector3d& s, const OdGePoint3d& center = OdGePoint3d::kOrigin);
  // Right-handed rotation by angle (radians) about the axis through center.
  static OdGeMatrix3d rotation(double angle, const OdGeVector3d& axis, const OdGePoint3d& center = OdGePoint3d::kOrigin);
  // Maps world points into the frame (origin, x, y, z): the inverse of the
  // frame's coordinate system matrix.
  static OdGeMatrix3d worldToPlane(const OdGePoint3d& origin, const OdGeVector3d& xAxis, const OdGeVector3d& yAxis, const OdGeVector3d& zAxis);

  OdGeMatrix3d& setToTranslation(const OdGeVector3d& v) { return *this = translation(v); }
  OdGeMatrix3d& setToScaling(double s, const OdGePoint3d& c = OdGePoint3d::kOrigin) { return *this = scaling(s, c); }
  OdGeMatrix3d& setToScaling(const OdGeVector3d& s, const OdGePoint3d& c = OdGePoint3d::kOrigin) { return *this = scaling(s, c); }
  OdGeMatrix3d& setToRotation(double a, const OdGeVector3d& axis, const OdGePoint3d& c = OdGePoint3d::kOrigin) { return *this = rotation(a, axis, c); }
  // Columns are the axes and the origin.
  OdGeMatrix3d& setCoordSystem(const OdGePoint3d& origin, const OdGeVector3d& xAxis, const OdGeVector3d& yAxis, const OdGeVector3d& zAxis);
  void getCoordSystem(OdGePoint3d& origin, OdGeVector3d& xAxis, OdGeVector3d& yAxis, OdGeVector3d& zAxis) const;

  OdGeMatrix3d operator*(const OdGeMatrix3d& m) const;
  OdGeMatrix3d& operator*=(const OdGeMatrix3d& m) { return *this = *this * m; }
  OdGeMatrix3d& preMultBy(const OdGeMatrix3d& left) { return *this = left * *this; }
  OdGeMatrix3d& postMultBy(const OdGeMatrix3d& right) { return *this = *this * right; }
  bool operator==(const OdGeMatrix3d& m) const;
  bool operator!=(const OdGeMatrix3d& m) const { return !(*this == m); }
  bool isEqualTo(const OdGeMatrix3d& m, const OdGeTol& tol = OdGeTol()) const;

  double det() const;
  bool isSingular(const OdGeTol& tol = OdGeTol()) const;
  // The inverse; a singular matrix throws OdError(eInvalidInput).
  OdGeMatrix3d inverse() const;
  OdGeMatrix3d& invert() { return *this = inverse(); }
  OdGeMatrix3d transpose() const;
  OdGeMatrix3d& transposeIt() { return *this = transpose(); }

  OdGeVector3d translation() const { return {entry[0][3], entry[1][3], entry[2][3]}; }
  double operator()(int row, int column) const { return entry[row][column]; }
  double& operator()(int row, int column) { return entry[row][column]; }
};

inline OdGePoint3d operator*(const OdGeMatrix3d& m, const OdGePoint3d& p) { return OdGePoint3d(p).transformBy(m); }
inline OdGeVector3d operator*(const OdGeMatrix3d& m, const OdGeVector3d& v) { return OdGeVector3d(v).transformBy(m); }

class OdGeExtents3d
{
public:
  // An empty box: its minimum above its maximum, so it is not valid.
  OdGeExtents3d();
  OdGeExtents3d(const OdGePoint3d& minPoint, const OdGePoint3d& maxPoint) : m_min(minPoint), m_max(maxPoint) {}

  const OdGePoint3d& minPoint() const { return m_min; }
  const OdGePoint3d& maxPoint() const { return m_max; }
  void set(const OdGePoint3d& minPoint, const OdGePoint3d& maxPoint) { m_min = minPoint; m_max = maxPoint; }
  OdGeExtents3d& addPoint(const OdGePoint3d& p);
  OdGeExtents3d& addExt(const OdGeExtents3d& e);
  bool isValidExtents() const { return m_min.x <= m_max.x && m_min.y <= m_max.y && m_min.z <= m_max.z; }
  OdGePoint3d center() const { return {(m_min.x + m_max.x) / 2, (m_min.y + m_max.y) / 2, (m_min.z + m_max.z) / 2}; }
  // The box around the eight transformed corners.
  OdGeExtents3d& transformBy(const OdGeMatrix3d& m);
  bool contains(const OdGePoint3d& p) const;

private:
  OdGePoint3d m_min;
  OdGePoint3d m_max;
};
