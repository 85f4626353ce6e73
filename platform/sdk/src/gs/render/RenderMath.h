// Small float vector math for the software renderer.
#pragma once

#include "od/Ge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace OdGsRender
{
struct Vec3
{
  float x = 0.f, y = 0.f, z = 0.f;
  Vec3() = default;
  constexpr Vec3(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
  explicit Vec3(const OdGePoint3d& p) : x(float(p.x)), y(float(p.y)), z(float(p.z)) {}
  explicit Vec3(const OdGeVector3d& v) : x(float(v.x)), y(float(v.y)), z(float(v.z)) {}

  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
  Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Vec3 operator*(const Vec3& o) const { return {x * o.x, y * o.y, z * o.z}; }
  Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
  Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
};

inline float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float length(const Vec3& a) { return std::sqrt(dot(a, a)); }
// A zero vector stays zero rather than becoming NaN.
inline Vec3 normalize(const Vec3& a)
{
  const float l2 = dot(a, a);
  return l2 > 1e-30f ? a * (1.f / std::sqrt(l2)) : Vec3();
}
inline Vec3 lerp(const Vec3& a, const Vec3& b, float t) { return a + (b - a) * t; }
inline float clamp01(float v) { return v < 0.f ? 0.f : (v > 1.f ? 1.f : v); }
inline float smoothstep(float e0, float e1, float x)
{
  const float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3.f - 2.f * t);
}

// floor without the library call (no SSE4.1 assumed). From 2^23 on every
// float is whole; NaN comes back as NaN.
inline float fastFloor(float x)
{
  if (!(std::fabs(x) < 8388608.f))
    return x;
  const float t = float(std::int32_t(x));
  return t > x ? t - 1.f : t;
}

// 2^x and log2(x) to about 1e-4 relative, for highlights and vein profiles
// where std::pow costs more than the rest of the shading.
inline float fastExp2(float x)
{
  if (x < -126.f)
    return 0.f;
  const int whole = int(x) - (x < float(int(x)) ? 1 : 0); // floor
  const float f = x - float(whole);
  // Minimax cubic for 2^f on [0, 1).
  const float p = 1.f + f * (0.6951786f + f * (0.2261590f + f * 0.0786762f));
  // Scale by 2^whole through the exponent bits.
  const std::int32_t bits = (std::int32_t(whole) + 127) << 23;
  float scale;
  std::memcpy(&scale, &bits, sizeof scale);
  return p * scale;
}
// For normal positive x.
inline float fastLog2(float x)
{
  std::int32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int e = ((bits >> 23) & 255) - 127;
  bits = (bits & 0x007FFFFF) | 0x3F800000; // mantissa as 1.m
  float m;
  std::memcpy(&m, &bits, sizeof m);
  const float t = m - 1.f; // [0, 1)
  // Polynomial for log2(1 + t).
  const float p = t * (1.4425449f + t * (-0.7181452f + t * (0.4575485f + t * (-0.2779042f + t * (0.1217970f - t * 0.0258411f)))));
  return float(e) + p;
}
// x^e for x in (0, 1].
inline float fastPow(float x, float e) { return x > 1e-30f ? fastExp2(e * fastLog2(x)) : 0.f; }

// An affine map (3 x 4, row-major, translation in column 3).
struct Affine
{
  float m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

  Affine() = default;
  explicit Affine(const OdGeMatrix3d& g)
  {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c)
        m[r][c] = float(g.entry[r][c]);
  }
  Vec3 point(const Vec3& p) const
  {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3], m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
  }
  Vec3 vector(const Vec3& v) const
  {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
};

// Colour of a screen colour value (0x00BBGGRR) in 0..1.
inline Vec3 colorOf(ODCOLORREF c) { return {ODGETRED(c) / 255.f, ODGETGREEN(c) / 255.f, ODGETBLUE(c) / 255.f}; }
} // namespace OdGsRender
