#include "od/Ge.h"

#include "od/OdError.h"

#include <algorithm>
#include <cmath>
#include <limits>

const OdGeVector3d OdGeVector3d::kXAxis(1, 0, 0);
const OdGeVector3d OdGeVector3d::kYAxis(0, 1, 0);
const OdGeVector3d OdGeVector3d::kZAxis(0, 0, 1);
const OdGeVector3d OdGeVector3d::kIdentity(0, 0, 0);
const OdGePoint3d OdGePoint3d::kOrigin(0, 0, 0);
const OdGeMatrix3d OdGeMatrix3d::kIdentity;

double OdGeVector3d::length() const { return std::sqrt(x * x + y * y + z * z); }

OdGeVector3d OdGeVector3d::normal(const OdGeTol& tol) const
{
  const double len = length();
  if (len <= tol.equalVector())
    return *this;
  return *this / len;
}

OdGeVector3d& OdGeVector3d::normalize(const OdGeTol& tol) { return *this = normal(tol); }

double OdGeVector3d::angleTo(const OdGeVector3d& v) const
{
  const double len = length() * v.length();
  if (len == 0.0)
    return 0.0;
  return std::acos(std::clamp(dotProduct(v) / len, -1.0, 1.0));
}

OdGeVector3d& OdGeVector3d::transformBy(const OdGeMatrix3d& m)
{
  const double nx = m.entry[0][0] * x + m.entry[0][1] * y + m.entry[0][2] * z;
  const double ny = m.entry[1][0] * x + m.entry[1][1] * y + m.entry[1][2] * z;
  const double nz = m.entry[2][0] * x + m.entry[2][1] * y + m.entry[2][2] * z;
  return set(nx, ny, nz);
}

OdGeVector3d& OdGeVector3d::rotateBy(double angle, const OdGeVector3d& axis)
{
  return transformBy(OdGeMatrix3d::rotation(angle, axis));
}

OdGePoint3d& OdGePoint3d::transformBy(const OdGeMatrix3d& m)
{
  const double nx = m.entry[0][0] * x + m.entry[0][1] * y + m.entry[0][2] * z + m.entry[0][3];
  const double ny = m.entry[1][0] * x + m.entry[1][1] * y + m.entry[1][2] * z + m.entry[1][3];
  const double nz = m.entry[2][0] * x + m.entry[2][1] * y + m.entry[2][2] * z + m.entry[2][3];
  const double w = m.entry[3][0] * x + m.entry[3][1] * y + m.entry[3][2] * z + m.entry[3][3];
  // Perspective matrices leave a w other than 1.
  if (w != 1.0 && w != 0.0)
    return set(nx / w, ny / w, nz / w);
  return set(nx, ny, nz);
}

OdGeMatrix3d::OdGeMatrix3d() { setToIdentity(); }

OdGeMatrix3d& OdGeMatrix3d::setToIdentity()
{
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      entry[r][c] = r == c ? 1.0 : 0.0;
  return *this;
}

bool OdGeMatrix3d::isIdentity() const { return *this == kIdentity; }

OdGeMatrix3d OdGeMatrix3d::translation(const OdGeVector3d& v)
{
  OdGeMatrix3d m;
  m.entry[0][3] = v.x;
  m.entry[1][3] = v.y;
  m.entry[2][3] = v.z;
  return m;
}

OdGeMatrix3d OdGeMatrix3d::scaling(double s, const OdGePoint3d& center) { return scaling(OdGeVector3d(s, s, s), center); }

OdGeMatrix3d OdGeMatrix3d::scaling(const OdGeVector3d& s, const OdGePoint3d& center)
{
  OdGeMatrix3d m;
  m.entry[0][0] = s.x;
  m.entry[1][1] = s.y;
  m.entry[2][2] = s.z;
  // Keep the centre fixed: p' = c + S(p - c).
  m.entry[0][3] = center.x * (1.0 - s.x);
  m.entry[1][3] = center.y * (1.0 - s.y);
  m.entry[2][3] = center.z * (1.0 - s.z);
  return m;
}

OdGeMatrix3d OdGeMatrix3d::rotation(double angle, const OdGeVector3d& axis, const OdGePoint3d& center)
{
  const OdGeVector3d u = axis.normal();
  const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  OdGeMatrix3d m;
  // Rodrigues' formula for the rotation part.
  m.entry[0][0] = t * u.x * u.x + c;
  m.entry[0][1] = t * u.x * u.y - s * u.z;
  m.entry[0][2] = t * u.x * u.z + s * u.y;
  m.entry[1][0] = t * u.x * u.y + s * u.z;
  m.entry[1][1] = t * u.y * u.y + c;
  m.entry[1][2] = t * u.y * u.z - s * u.x;
  m.entry[2][0] = t * u.x * u.z - s * u.y;
  m.entry[2][1] = t * u.y * u.z + s * u.x;
  m.entry[2][2] = t * u.z * u.z + c;
  // Translation that keeps the centre fixed: c - R c.
  for (int r = 0; r < 3; ++r)
    m.entry[r][3] = (r == 0 ? center.x : r == 1 ? center.y : center.z) -
                    (m.entry[r][0] * center.x + m.entry[r][1] * center.y + m.entry[r][2] * center.z);
  return m;
}

OdGeMatrix3d& OdGeMatrix3d::setCoordSystem(const OdGePoint3d& origin, const OdGeVector3d& xAxis, const OdGeVector3d& yAxis, const OdGeVector3d& zAxis)
{
  setToIdentity();
  const OdGeVector3d* axes[3] = {&xAxis, &yAxis, &zAxis};
  for (int c = 0; c < 3; ++c)
  {
    entry[0][c] = axes[c]->x;
    entry[1][c] = axes[c]->y;
    entry[2][c] = axes[c]->z;
  }
  entry[0][3] = origin.x;
  entry[1][3] = origin.y;
  entry[2][3] = origin.z;
  return *this;
}

void OdGeMatrix3d::getCoordSystem(OdGePoint3d& origin, OdGeVector3d& xAxis, OdGeVector3d& yAxis, OdGeVector3d& zAxis) const
{
  origin.set(entry[0][3], entry[1][3], entry[2][3]);
  xAxis.set(entry[0][0], entry[1][0], entry[2][0]);
  yAxis.set(entry[0][1], entry[1][1], entry[2][1]);
  zAxis.set(entry[0][2], entry[1][2], entry[2][2]);
}

OdGeMatrix3d OdGeMatrix3d::worldToPlane(const OdGePoint3d& origin, const OdGeVector3d& xAxis, const OdGeVector3d& yAxis, const OdGeVector3d& zAxis)
{
  return OdGeMatrix3d().setCoordSystem(origin, xAxis, yAxis, zAxis).inverse();
}

OdGeMatrix3d OdGeMatrix3d::operator*(const OdGeMatrix3d& m) const
{
  OdGeMatrix3d out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
    {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k)
        sum += entry[r][k] * m.entry[k][c];
      out.entry[r][c] = sum;
    }
  return out;
}

bool OdGeMatrix3d::operator==(const OdGeMatrix3d& m) const
{
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (entry[r][c] != m.entry[r][c])
        return false;
  return true;
}

bool OdGeMatrix3d::isEqualTo(const OdGeMatrix3d& m, const OdGeTol& tol) const
{
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(entry[r][c] - m.entry[r][c]) > tol.equalPoint())
        return false;
  return true;
}

namespace
{
// Gauss-Jordan elimination with partial pivoting; false when singular.
bool invert4(const double in[4][4], double out[4][4], double* determinant)
{
  double a[4][8];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 8; ++c)
      a[r][c] = c < 4 ? in[r][c] : (c - 4 == r ? 1.0 : 0.0);
  double det = 1.0;
  for (int col = 0; col < 4; ++col)
  {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
        pivot = r;
    if (a[pivot][col] == 0.0 || !std::isfinite(a[pivot][col]))
    {
      if (determinant)
        *determinant = 0.0;
      return false;
    }
    if (pivot != col)
    {
      for (int c = 0; c < 8; ++c)
        std::swap(a[pivot][c], a[col][c]);
      det = -det;
    }
    const double p = a[col][col];
    det *= p;
    for (int c = 0; c < 8; ++c)
      a[col][c] /= p;
    for (int r = 0; r < 4; ++r)
    {
      if (r == col)
        continue;
      const double f = a[r][col];
      if (f != 0.0)
        for (int c = 0; c < 8; ++c)
          a[r][c] -= f * a[col][c];
    }
  }
  if (determinant)
    *determinant = det;
  if (out)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        out[r][c] = a[r][c + 4];
  return true;
}
} // namespace

double OdGeMatrix3d::det() const
{
  double d = 0.0;
  invert4(entry, nullptr, &d);
  return d;
}

bool OdGeMatrix3d::isSingular(const OdGeTol& tol) const { return std::fabs(det()) <= tol.equalPoint(); }

OdGeMatrix3d OdGeMatrix3d::inverse() const
{
  OdGeMatrix3d out;
  if (!invert4(entry, out.entry, nullptr))
    throw OdError(eInvalidInput, L"The matrix is singular and has no inverse");
  return out;
}

OdGeMatrix3d OdGeMatrix3d::transpose() const
{
  OdGeMatrix3d out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out.entry[r][c] = entry[c][r];
  return out;
}

OdGeExtents3d::OdGeExtents3d()
  : m_min(std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), std::numeric_limits<double>::max()),
    m_max(-std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(), -std::numeric_limits<double>::max())
{
}

OdGeExtents3d& OdGeExtents3d::addPoint(const OdGePoint3d& p)
{
  m_min.set(std::min(m_min.x, p.x), std::min(m_min.y, p.y), std::min(m_min.z, p.z));
  m_max.set(std::max(m_max.x, p.x), std::max(m_max.y, p.y), std::max(m_max.z, p.z));
  return *this;
}

OdGeExtents3d& OdGeExtents3d::addExt(const OdGeExtents3d& e)
{
  if (e.isValidExtents())
  {
    addPoint(e.m_min);
    addPoint(e.m_max);
  }
  return *this;
}

OdGeExtents3d& OdGeExtents3d::transformBy(const OdGeMatrix3d& m)
{
  if (!isValidExtents())
    return *this;
  OdGeExtents3d out;
  for (int i = 0; i < 8; ++i)
  {
    OdGePoint3d corner((i & 1) ? m_max.x : m_min.x, (i & 2) ? m_max.y : m_min.y, (i & 4) ? m_max.z : m_min.z);
    out.addPoint(corner.transformBy(m));
  }
  return *this = out;
}

bool OdGeExtents3d::contains(const OdGePoint3d& p) const
{
  return p.x >= m_min.x && p.x <= m_max.x && p.y >= m_min.y && p.y <= m_max.y && p.z >= m_min.z && p.z <= m_max.z;
}
