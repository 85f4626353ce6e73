// Several floats at once, for shading pixels side by side: GCC's vector
// extensions, as wide as the vector path being compiled (four lanes with
// SSE2, eight with AVX2). Code written with these types never assumes a
// width; a lane loop (`for k < kLanes`) is the way to reach single lanes.
//
// The pixel work (Pipeline, Shading, Procedural) is compiled twice from one
// source: for SSE2, which every x86-64 processor has, and with
// OD_RENDER_AVX2 for AVX2 with FMA; Renderer.cpp picks one when it starts.
// Each lives in a namespace of its own. The target is switched after every
// header those files use, so what headers define (the standard library's
// templates, our shared inline functions) is compiled for the baseline in
// both and the copy the linker keeps runs anywhere. Include this file last.
#pragma once

#include "Renderer.h"
#include "Scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <limits>
#include <type_traits>

#ifdef OD_RENDER_AVX2
#pragma GCC target("avx2,fma")
#define OD_RENDER_ISA avx2
#else
#define OD_RENDER_ISA sse2
#endif

namespace OdGsRender::OD_RENDER_ISA
{
#ifdef OD_RENDER_AVX2
constexpr int kLanes = 8;
#else
constexpr int kLanes = 4;
#endif
typedef float vfloat __attribute__((vector_size(4 * kLanes)));
typedef std::int32_t vint __attribute__((vector_size(4 * kLanes))); // also masks: -1 true, 0 false
typedef std::uint32_t vuint __attribute__((vector_size(4 * kLanes)));
// Four channels of one colour or texel.
typedef float rgba __attribute__((vector_size(16)));

inline vfloat splat(float v) { return vfloat{} + v; }
inline vint splat(std::int32_t v) { return vint{} + v; }
inline vfloat load(const float* p)
{
  vfloat v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store(float* p, vfloat v) { std::memcpy(p, &v, sizeof v); }
inline vfloat select(vint mask, vfloat a, vfloat b) { return mask ? a : b; }
inline vfloat min(vfloat a, vfloat b) { return a < b ? a : b; }
inline vfloat max(vfloat a, vfloat b) { return a > b ? a : b; }
inline vfloat abs(vfloat v) { return (vfloat)((vint)v & 0x7FFFFFFF); }
inline vfloat clamp01(vfloat v) { return min(max(v, splat(0.f)), splat(1.f)); } // NaN becomes 0
inline vint toInt(vfloat v) { return __builtin_convertvector(v, vint); }        // toward zero, for |v| < 2^31
inline vfloat toFloat(vint v) { return __builtin_convertvector(v, vfloat); }
#ifdef OD_RENDER_AVX2
// Entry i of a table of pairs: its first and second floats, each lane read
// as one 8-byte element (half the elements of two gathers of floats).
inline void gatherPairs(const float (*pairs)[2], vint i, vfloat& first, vfloat& second)
{
  // (The masked form, from zeros: the plain one starts from an undefined
  // register, which GCC warns of.)
  const double* table = reinterpret_cast<const double*>(pairs);
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  auto read = [&](__m128i at) {
    return _mm256_castpd_ps(_mm256_mask_i32gather_pd(_mm256_setzero_pd(), table, at, all, 8));
  };
  const __m256 low = read(_mm256_castsi256_si128((__m256i)i)), high = read(_mm256_extracti128_si256((__m256i)i, 1));
  // Lanes come out as 0 1 4 5 | 2 3 6 7: the middle quarters swap back.
  first = (vfloat)_mm256_permute4x64_pd(_mm256_castps_pd(_mm256_shuffle_ps(low, high, 0x88)), 0xD8);
  second = (vfloat)_mm256_permute4x64_pd(_mm256_castps_pd(_mm256_shuffle_ps(low, high, 0xDD)), 0xD8);
}
inline bool any(vint mask) { return _mm256_movemask_ps((__m256)mask) != 0; }
#else
inline void gatherPairs(const float (*pairs)[2], vint i, vfloat& first, vfloat& second)
{
  first = vfloat{pairs[i[0]][0], pairs[i[1]][0], pairs[i[2]][0], pairs[i[3]][0]};
  second = vfloat{pairs[i[0]][1], pairs[i[1]][1], pairs[i[2]][1], pairs[i[3]][1]};
}
inline bool any(vint mask) { return _mm_movemask_ps((__m128)mask) != 0; }
#endif
inline vfloat floor(vfloat x) // for |x| < 2^31
{
  const vfloat t = toFloat(toInt(x));
  return select(t > x, t - 1.f, t);
}
inline vfloat sqrt(vfloat v)
{
#ifdef OD_RENDER_AVX2
  return (vfloat)_mm256_sqrt_ps((__m256)v);
#else
  return (vfloat)_mm_sqrt_ps((__m128)v);
#endif
}
// 1 / sqrt(v) for v > 0: the processor's estimate (12 bits) and a Newton
// step (22), far quicker than a square root and a division.
inline vfloat rsqrt(vfloat v)
{
#ifdef OD_RENDER_AVX2
  const vfloat r = (vfloat)_mm256_rsqrt_ps((__m256)v);
#else
  const vfloat r = (vfloat)_mm_rsqrt_ps((__m128)v);
#endif
  return r * (1.5f - 0.5f * v * r * r);
}

// 2^x: 2^floor(x) built in the exponent bits times a polynomial for 2^f on
// [0, 1) (Chebyshev fit, relative error below 4e-6). Below -126 it gives 0.
inline vfloat exp2(vfloat x)
{
  const vint tiny = x < -126.f;
  x = min(max(x, splat(-126.f)), splat(127.f));
  const vfloat whole = floor(x), f = x - whole;
  const vfloat p = 1.0000036f + f * (0.692969551f + f * (0.241621323f + f * (0.0517177355f + f * 0.0136839829f)));
  const vfloat scale = (vfloat)((toInt(whole) + 127) << 23);
  return select(tiny, splat(0.f), p * scale);
}

// log2 of a positive normal x: its exponent plus a polynomial for
// log2(1 + t) of its mantissa 1 + t (Chebyshev fit, error below 3e-6).
inline vfloat log2(vfloat x)
{
  const vint bits = (vint)x;
  const vfloat t = (vfloat)((bits & 0x007FFFFF) | 0x3F800000) - 1.f;
  const vfloat p =
    2.12374089e-06f +
    t * (1.44247531f +
         t * (-0.717557872f + t * (0.455527088f + t * (-0.274623258f + t * (0.119298238f - t * 0.0251232033f)))));
  return toFloat(((bits >> 23) & 255) - 127) + p;
}

// x^e for x > 0; 0 where x is not above 0.
inline vfloat pow(vfloat x, vfloat e) { return select(x > 0.f, exp2(e * log2(max(x, splat(1e-30f)))), splat(0.f)); }

// atan2(y, x) in (-pi, pi]: an odd polynomial for atan on [0, 1] (Chebyshev
// fit in a^2, error below 4e-6), then folded into the right octant.
inline vfloat atan2(vfloat y, vfloat x)
{
  const vfloat ax = abs(x), ay = abs(y);
  const vfloat big = max(ax, ay);
  const vfloat a = min(ax, ay) / select(big > 0.f, big, splat(1.f)), s = a * a;
  vfloat r =
    a * (0.999995507f +
         s * (-0.332988631f + s * (0.195589051f + s * (-0.121109461f + s * (0.0573305516f - s * 0.0134221804f)))));
  r = select(ay > ax, 1.57079633f - r, r);
  r = select(x < 0.f, 3.14159265f - r, r);
  return select(y < 0.f, -r, r);
}

// A 4 x 4 transpose: out[c] holds component c of a, b, c, d.
inline void transpose4(rgba a, rgba b, rgba c, rgba d, rgba out[4])
{
  const rgba ab01 = __builtin_shufflevector(a, b, 0, 4, 1, 5), ab23 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
  const rgba cd01 = __builtin_shufflevector(c, d, 0, 4, 1, 5), cd23 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
  out[0] = __builtin_shufflevector(ab01, cd01, 0, 1, 4, 5), out[1] = __builtin_shufflevector(ab01, cd01, 2, 3, 6, 7);
  out[2] = __builtin_shufflevector(ab23, cd23, 0, 1, 4, 5), out[3] = __builtin_shufflevector(ab23, cd23, 2, 3, 6, 7);
}

// Four-vectors (16 bytes, wherever they are) of kLanes things to four
// vectors of their components: lane k of column c is row k's component c.
inline void transpose(const void* const rows[kLanes], vfloat columns[4])
{
#ifdef OD_RENDER_AVX2
  // Rows k and k + 4 share a register, one in each half; the halves are
  // then transposed side by side.
  __m256 r[4];
  for (int k = 0; k < 4; ++k)
    r[k] = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(static_cast<const float*>(rows[k]))),
                                _mm_loadu_ps(static_cast<const float*>(rows[k + 4])), 1);
  const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
  const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
  columns[0] = (vfloat)_mm256_shuffle_ps(t0, t2, 0x44), columns[1] = (vfloat)_mm256_shuffle_ps(t0, t2, 0xEE);
  columns[2] = (vfloat)_mm256_shuffle_ps(t1, t3, 0x44), columns[3] = (vfloat)_mm256_shuffle_ps(t1, t3, 0xEE);
#else
  rgba r[kLanes];
  for (int k = 0; k < kLanes; ++k)
    std::memcpy(&r[k], rows[k], sizeof(rgba));
  transpose4(r[0], r[1], r[2], r[3], columns);
#endif
}

// And back: row k receives lane k of each column.
inline void transpose(const vfloat columns[4], void* const rows[kLanes])
{
#ifdef OD_RENDER_AVX2
  // The same shuffles: rows k and k + 4 come out in one register's halves.
  const __m256 c0 = (__m256)columns[0], c1 = (__m256)columns[1], c2 = (__m256)columns[2], c3 = (__m256)columns[3];
  const __m256 t0 = _mm256_unpacklo_ps(c0, c1), t1 = _mm256_unpackhi_ps(c0, c1);
  const __m256 t2 = _mm256_unpacklo_ps(c2, c3), t3 = _mm256_unpackhi_ps(c2, c3);
  const __m256 r[4] = {_mm256_shuffle_ps(t0, t2, 0x44), _mm256_shuffle_ps(t0, t2, 0xEE),
                       _mm256_shuffle_ps(t1, t3, 0x44), _mm256_shuffle_ps(t1, t3, 0xEE)};
  for (int k = 0; k < 4; ++k)
  {
    _mm_storeu_ps(static_cast<float*>(rows[k]), _mm256_castps256_ps128(r[k]));
    _mm_storeu_ps(static_cast<float*>(rows[k + 4]), _mm256_extractf128_ps(r[k], 1));
  }
#else
  rgba r[kLanes];
  transpose4(columns[0], columns[1], columns[2], columns[3], r);
  for (int k = 0; k < kLanes; ++k)
    std::memcpy(rows[k], &r[k], sizeof(rgba));
#endif
}

// Three channels or coordinates of kLanes points.
struct vec3
{
  vfloat x, y, z;
  vec3 operator+(const vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  vec3 operator-(const vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  vec3 operator*(vfloat s) const { return {x * s, y * s, z * s}; }
  vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
  vec3 operator*(const vec3& o) const { return {x * o.x, y * o.y, z * o.z}; }
};
inline vfloat dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline vec3 normalize(const vec3& v) { return v * rsqrt(max(dot(v, v), splat(1e-30f))); }
inline vec3 select(vint mask, const vec3& a, const vec3& b)
{
  return {select(mask, a.x, b.x), select(mask, a.y, b.y), select(mask, a.z, b.z)};
}
inline vec3 splat(const Vec3& v) { return {splat(v.x), splat(v.y), splat(v.z)}; }
inline vec3 linear(const Affine& a, const vec3& v) // the map without its translation
{
  const float(*m)[4] = a.m;
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}
inline vec3 apply(const Affine& a, const vec3& p)
{
  return linear(a, p) + vec3{splat(a.m[0][3]), splat(a.m[1][3]), splat(a.m[2][3])};
}

// Where each channel's code is in encodeTable() (NaN and below 0 as 0).
inline auto encodeIndex(rgba light)
{
  typedef std::int32_t Index __attribute__((vector_size(16)));
  light = light > 0.f ? (light < kWhite ? light : kWhite) : 0.f;
  return __builtin_convertvector((rgba)_mm_sqrt_ps(__m128(light)) * ((kEncodeSteps - 1) / std::sqrt(kWhite)) + 0.5f,
                                 Index);
}
} // namespace OdGsRender::OD_RENDER_ISA
