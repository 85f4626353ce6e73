#include "Shading.h"

namespace OdGsRender::OD_RENDER_ISA
{
namespace
{
// How fast 1.8 x the turbulence changes along a unit step of the marble's
// point, taken as half its mean: the noise's slope along a direction
// averages 0.70 (in its own units, at 2.5 times the point's scale), and the
// finer octave, half as strong at twice the frequency, lengthens it by about
// sqrt 2. Veins that show broad lie where it changes slowly, and blurring
// them by the mean would wash them out.
constexpr float kTurbulenceSlope = 0.5f * 1.8f * 2.5f * 0.70f * 1.41f;
constexpr std::uint32_t kHash[3] = {0x8da6b343u, 0xd8163841u, 0xcb1ab31fu}; // odd: spread lattice steps over the bits

inline vec3 lerp(const vec3& a, const vec3& b, vfloat t) { return a + (b - a) * t; }

// a + t (b - a) with t the fade curve along axis (slope its derivative
// there): the gradient blends the same way and gains slope (b - a) there.
inline Noise blend(const Noise& a, const Noise& b, vfloat t, int axis, vfloat slope)
{
  const vfloat d = b.value - a.value;
  Noise n{a.value + t * d, a.gradient + (b.gradient - a.gradient) * t};
  (axis == 0 ? n.gradient.x : axis == 1 ? n.gradient.y : n.gradient.z) += slope * d;
  return n;
}

// The lattice corners' hashes and the fraction within the cell, shared by
// the noise with and without its gradient.
struct Lattice
{
  vec3 f;
  vuint base[3];

  explicit Lattice(const vec3& p)
  {
    const vec3 cell{floor(p.x), floor(p.y), floor(p.z)};
    f = p - cell;
    base[0] = (vuint)toInt(cell.x) * kHash[0];
    base[1] = (vuint)toInt(cell.y) * kHash[1];
    base[2] = (vuint)toInt(cell.z) * kHash[2];
  }
  vuint hash(std::uint32_t c) const
  {
    const std::uint32_t ox = c & 1, oy = (c >> 1) & 1, oz = c >> 2;
    return ((base[0] + ox * kHash[0]) ^ (base[1] + oy * kHash[1]) ^ (base[2] + oz * kHash[2])) * 0x2c1b3c6du;
  }
};

inline vfloat fade(vfloat t) { return t * t * t * (t * (t * 6.f - 15.f) + 10.f); }
inline vfloat fadeSlope(vfloat t) { return 30.f * t * t * (t - 1.f) * (t - 1.f); }
} // namespace

Noise gradientNoise(const vec3& p)
{
  // Each lattice corner gets one of the eight gradients (+-1, +-1, +-1) from
  // the top three bits of a hash of its position; the noise is the corners'
  // ramps g . (p - corner), blended by 6t^5 - 15t^4 + 10t^3 along x, y, z.
  const Lattice lattice(p);
  const vec3& f = lattice.f;
  auto corner = [&](std::uint32_t c) {
    const vuint h = lattice.hash(c);
    auto sign = [&h](int bit) { return (vfloat)((vuint)splat(1.f) | ((h << bit) & 0x80000000u)); };
    const vec3 g{sign(0), sign(1), sign(2)};
    return Noise{dot(g, f - vec3{splat(float(c & 1)), splat(float((c >> 1) & 1)), splat(float(c >> 2))}), g};
  };
  // Blended as soon as made, along x, then y, then z (fewer values held).
  const vfloat u = fade(f.x), v = fade(f.y), sx = fadeSlope(f.x), sy = fadeSlope(f.y);
  auto edge = [&](std::uint32_t c) { return blend(corner(c), corner(c + 1), u, 0, sx); };
  auto face = [&](std::uint32_t c) { return blend(edge(c), edge(c + 2), v, 1, sy); };
  return blend(face(0), face(4), fade(f.z), 2, fadeSlope(f.z));
}

vfloat noiseValue(const vec3& p)
{
  // gradientNoise's value alone: each ramp's signs flip the offsets' sign bits.
  const Lattice lattice(p);
  const vec3& f = lattice.f;
  const vec3 g{f.x - 1.f, f.y - 1.f, f.z - 1.f};
#ifdef OD_RENDER_AVX2
  // The offsets negated once; each corner picks by its hash's bits (a blend
  // reads only a lane's top bit, so no mask is needed).
  const vec3 nf{-f.x, -f.y, -f.z}, ng{-g.x, -g.y, -g.z};
  auto corner = [&](std::uint32_t c) {
    const vuint h = lattice.hash(c);
    auto term = [](vfloat d, vfloat negated, vuint bits) {
      return (vfloat)_mm256_blendv_ps((__m256)d, (__m256)negated, (__m256)bits);
    };
    return term(c & 1 ? g.x : f.x, c & 1 ? ng.x : nf.x, h) + term(c & 2 ? g.y : f.y, c & 2 ? ng.y : nf.y, h << 1) +
           term(c & 4 ? g.z : f.z, c & 4 ? ng.z : nf.z, h << 2);
  };
#else
  auto corner = [&](std::uint32_t c) {
    const vuint h = lattice.hash(c);
    auto term = [&h](vfloat d, int bit) { return (vfloat)((vuint)d ^ ((h << bit) & 0x80000000u)); };
    return term(c & 1 ? g.x : f.x, 0) + term(c & 2 ? g.y : f.y, 1) + term(c & 4 ? g.z : f.z, 2);
  };
#endif
  auto mix = [](vfloat a, vfloat b, vfloat t) { return a + (b - a) * t; };
  const vfloat u = fade(f.x), v = fade(f.y);
  auto edge = [&](std::uint32_t c) { return mix(corner(c), corner(c + 1), u); };
  auto face = [&](std::uint32_t c) { return mix(edge(c), edge(c + 2), v); };
  return mix(face(0), face(4), fade(f.z));
}

vfloat filtered(const PeriodicProfile& profile, vfloat x, vfloat width)
{
  constexpr int kSteps = PeriodicProfile::kSteps;
  // A table at t in [0, 1), interpolated (each lane reads its own entries).
  auto interpolate = [](const float(*pairs)[2], vfloat t) {
    const vfloat at = t * float(kSteps);
    vint i = toInt(at);
    i = i < 0 ? splat(0) : (i > kSteps - 1 ? splat(kSteps - 1) : i);
    vfloat low, high;
    gatherPairs(pairs, i, low, high);
    return low + (high - low) * (at - toFloat(i));
  };
  x = select(x - x == 0.f, min(max(x, splat(-1e8f)), splat(1e8f)), splat(0.f)); // NaN and infinities as 0
  const vfloat w = min(width, splat(1e4f)), a = x - 0.5f * w, b = x + 0.5f * w, start = floor(a);
  // The integral from start (whole periods, then the table).
  auto integral = [&](vfloat t) {
    const vfloat whole = floor(t);
    return (whole - start) * profile.integral[kSteps] + interpolate(profile.integralPairs, t - whole);
  };
  // A footprint finer than the table takes the profile's own value.
  const vint fine = ~(w > 1.f / kSteps);
  const vfloat mean = (integral(b) - integral(a)) / select(fine, splat(1.f), w);
  return any(fine) ? select(fine, interpolate(profile.valuePairs, x - floor(x)), mean) : mean;
}

// (Flattened: its noises and filter inlined, their arguments stay in registers.)
__attribute__((flatten)) vec3 marbleColor(const MarbleParams& params, const SolidPoint& point)
{
  // Veins cross a slanted coordinate that turbulence (two octaves of |noise|)
  // pushes about; about 3 / spacing veins cross the object.
  const float bands = 3.f / std::max(params.spacing, 0.05f);
  const vec3 q = point.p * 2.5f + vec3{splat(17.3f), splat(5.1f), splat(9.7f)}; // away from the lattice origin
  const vfloat turbulence = abs(noiseValue(q)) + 0.5f * abs(noiseValue(q * 2.f));
  const vfloat f = (point.p.x + 0.35f * point.p.y + 0.6f * point.p.z) * bands + 1.8f * turbulence;
  // How far f moves over the pixel: the slant's part exactly, the
  // turbulence's from its typical slope, which is far cheaper than the
  // noise's own gradient and blurs the veins about as much.
  const vec3 slant{splat(bands), splat(0.35f * bands), splat(0.6f * bands)};
  auto across = [&slant](const vec3& step) { return abs(dot(slant, step)) + kTurbulenceSlope * sqrt(dot(step, step)); };
  const vfloat vein = filtered(*params.veins, f, across(point.dx) + across(point.dy));
  // The stone itself is clouded a little by the same turbulence.
  const vfloat cloud = 0.9f + 0.12f * min(turbulence, splat(1.f));
  return lerp(splat(params.stone) * cloud, splat(params.vein), vein);
}

vec3 woodColor(const WoodParams& params, const SolidPoint& point)
{
  // Rings around the z axis; the noises bend them across and along the grain.
  const vec3& p = point.p;
  const vec3 q = p * 4.f + vec3{splat(3.7f), splat(11.2f), splat(7.9f)};
  const Noise radial = gradientNoise({q.x, q.y, q.z * 0.5f});
  const Noise axial = gradientNoise({q.x * 0.3f, q.y * 0.3f, q.z * 2.f});
  const vfloat centre = sqrt(p.x * p.x + p.y * p.y), inverse = 1.f / max(centre, splat(1e-6f));
  const float a = 0.06f * params.radialNoise, b = 0.04f * params.axialNoise;
  const vfloat r = centre + a * radial.value + b * axial.value;
  // r's gradient, through q's scale per axis, gives the footprint in rings.
  const vec3 dr = vec3{p.x * inverse, p.y * inverse, splat(0.f)} +
                  radial.gradient * vec3{splat(4.f * a), splat(4.f * a), splat(2.f * a)} +
                  axial.gradient * vec3{splat(1.2f * b), splat(1.2f * b), splat(8.f * b)};
  const float period = std::max(params.grain, 0.005f) * 0.6f;
  // Light early wood grows into a dark late-wood band that ends sharply.
  static const PeriodicProfile rings([](float t) {
    auto step = [](float e0, float e1, float x) {
      const float s = std::min(std::max((x - e0) / (e1 - e0), 0.f), 1.f);
      return s * s * (3.f - 2.f * s);
    };
    return step(0.45f, 0.85f, t) * (1.f - step(0.93f, 1.f, t));
  });
  const vfloat late = filtered(rings, r / period, (abs(dot(dr, point.dx)) + abs(dot(dr, point.dy))) / period);
  // Streaks along the grain, faded out where a pixel would hold several.
  const vfloat pixel = sqrt(max(dot(point.dx, point.dx), dot(point.dy, point.dy)));
  const vfloat streak = 0.05f * clamp01(2.f - 48.f * pixel) * gradientNoise({q.x * 6.f, q.y * 6.f, q.z * 0.4f}).value;
  return lerp(splat(params.color1), splat(params.color2), late) * (0.95f + streak);
}
} // namespace OdGsRender::OD_RENDER_ISA
