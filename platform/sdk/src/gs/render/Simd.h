// Four floats at once (GCC vector extensions: SSE on x86-64, whatever the
// target has elsewhere), for shading four pixels side by side. Each helper
// does per lane exactly what its scalar namesake in RenderMath.h does, so a
// four-wide path gives the scalar path's values.
#pragma once

#include <cstdint>
#include <cstring>

namespace OdGsRender
{
typedef float f4 __attribute__((vector_size(16)));
typedef std::int32_t i4 __attribute__((vector_size(16)));

inline f4 splat(float v) { return f4{v, v, v, v}; }
inline i4 splatInt(std::int32_t v) { return i4{v, v, v, v}; }
inline f4 load4(const float* p)
{
  f4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store4(float* p, f4 v) { std::memcpy(p, &v, sizeof v); }
inline f4 max4(f4 a, f4 b) { return a > b ? a : b; }
inline f4 min4(f4 a, f4 b) { return a < b ? a : b; }
inline f4 select4(i4 mask, f4 a, f4 b) { return mask ? a : b; }
// std::max(a, b): a unless a < b (so a NaN in a stays).
inline f4 maxOf(f4 a, f4 b) { return select4(a < b, b, a); }
inline f4 abs4(f4 v) { return (f4)((i4)v & 0x7FFFFFFF); }
// As clamp01, NaN included.
inline f4 clamp01x4(f4 v)
{
  v = select4(v < 0.f, splat(0.f), v);
  return select4(v > 1.f, splat(1.f), v);
}
inline bool allTrue(i4 mask) { return (mask[0] & mask[1] & mask[2] & mask[3]) != 0; }

// fastFloor: from 2^23 on every float is whole, so it stays as it is.
inline f4 floor4(f4 x)
{
  const f4 t = __builtin_convertvector(__builtin_convertvector(x, i4), f4);
  const f4 down = select4(t > x, t - 1.f, t);
  return select4(abs4(x) < 8388608.f, down, x);
}

// 1 / sqrt(x): the bit-level first guess refined by two Newton steps
// (relative error about 5e-6); x = 0 gives a large finite value, not NaN.
inline f4 rsqrt4(f4 x)
{
  const f4 half = x * 0.5f;
  f4 y = (f4)(splatInt(0x5f375a86) - ((i4)x >> 1));
  y = y * (1.5f - half * y * y);
  y = y * (1.5f - half * y * y);
  return y;
}

// fastLog2, for normal positive x: the exponent plus a polynomial in the
// mantissa.
inline f4 log2x4(f4 x)
{
  const i4 bits = (i4)x;
  const i4 exponent = ((bits >> 23) & 255) - 127;
  const f4 t = (f4)((bits & 0x007FFFFF) | 0x3F800000) - 1.f;
  return __builtin_convertvector(exponent, f4) +
         t * (1.4425449f + t * (-0.7181452f + t * (0.4575485f + t * (-0.2779042f + t * (0.1217970f - t * 0.0258411f)))));
}

// fastExp2; below -126 it gives 0.
inline f4 exp2x4(f4 y)
{
  const i4 tiny = y < -126.f;
  y = max4(y, splat(-126.f));
  i4 whole = __builtin_convertvector(y, i4);
  whole += (i4)(y < __builtin_convertvector(whole, f4)); // truncation to floor: minus one where it rounded up
  const f4 f = y - __builtin_convertvector(whole, f4);
  const f4 p = 1.f + f * (0.6951786f + f * (0.2261590f + f * 0.0786762f));
  const f4 r = p * (f4)((whole + 127) << 23);
  return select4(tiny, splat(0.f), r);
}

// fastPow: x^e for x in (0, 1] through log2 and exp2 polynomials.
inline f4 pow4(f4 x, f4 e) { return select4(x <= 1e-30f, splat(0.f), exp2x4(e * log2x4(x))); }

// smoothstep with the same division as the scalar one.
inline f4 smoothstep4(float e0, float e1, f4 x)
{
  const f4 t = clamp01x4((x - e0) / (e1 - e0));
  return t * t * (3.f - 2.f * t);
}

// Three channels of four pixels.
struct Rgb4
{
  f4 r, g, b;
};
} // namespace OdGsRender
