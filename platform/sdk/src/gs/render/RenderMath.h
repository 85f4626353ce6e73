// Small float vector math for the software renderer, and the sRGB curve.
#pragma once

#include "od/Ge.h"

#include <algorithm>
#include <cmath>

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
  Vec3& operator+=(const Vec3& o)
  {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
};

inline float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// A zero vector stays zero rather than becoming NaN.
inline Vec3 normalize(const Vec3& a)
{
  const float l2 = dot(a, a);
  return l2 > 1e-30f ? a * (1.f / std::sqrt(l2)) : Vec3();
}

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
};

// Colours are 8-bit sRGB outside the renderer and linear light inside it:
// lighting, blending and filtering add light, and only linear values add up.
inline float linearFromSrgb(float s)
{
  return s <= 0.04045f ? s * (1.f / 12.92f) : std::pow((s + 0.055f) * (1.f / 1.055f), 2.4f);
}
// The linear value of each 8-bit sRGB code.
inline const float* srgbTable()
{
  static const float* const table = [] {
    static float t[256];
    for (int i = 0; i < 256; ++i)
      t[i] = linearFromSrgb(float(i) / 255.f);
    return t;
  }();
  return table;
}
inline Vec3 linearColor(OdUInt8 r, OdUInt8 g, OdUInt8 b) { return {srgbTable()[r], srgbTable()[g], srgbTable()[b]}; }
// A screen colour value (0x00BBGGRR) in linear light.
inline Vec3 linearColor(ODCOLORREF c) { return linearColor(ODGETRED(c), ODGETGREEN(c), ODGETBLUE(c)); }

// Linear light to 8-bit sRGB for the picture, through a tone curve: up to
// 0.75 light stays as it is, above it a parabola bends it to reach 1 with
// zero slope at 1.25 (kWhite), so bright lit colours and highlights roll off
// instead of clipping flat.
constexpr float kWhite = 1.25f;
// The codes at 4096 points evenly spaced in sqrt(light) from 0 to kWhite:
// one step changes the code by at most 0.1, so the nearest point is at most
// one code off.
constexpr int kEncodeSteps = 4096;
inline const OdUInt8* encodeTable()
{
  static const OdUInt8* const table = [] {
    static OdUInt8 t[kEncodeSteps];
    constexpr double knee = 0.75, span = 2.0 * (1.0 - knee);
    for (int i = 0; i < kEncodeSteps; ++i)
    {
      const double s = double(i) / (kEncodeSteps - 1) * std::sqrt(double(kWhite)), x = s * s;
      const double over = std::min(std::max(x - knee, 0.0), span),
                   toned = std::min(x, knee) + over - over * over / (2.0 * span);
      const double code = toned <= 0.0031308 ? 12.92 * toned : 1.055 * std::pow(toned, 1.0 / 2.4) - 0.055;
      t[i] = OdUInt8(std::min(255.0, code * 255.0 + 0.5));
    }
    return t;
  }();
  return table;
}
} // namespace OdGsRender
