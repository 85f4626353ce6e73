#include "Procedural.h"

#include <array>
#include <cstdint>

namespace OdGsRender
{
namespace
{
// A fixed permutation of 0..255 (Fisher-Yates driven by a small LCG), doubled
// so that lookups of i + 1 need no wrap.
constexpr std::array<std::uint8_t, 512> makePermutation()
{
  std::array<std::uint8_t, 512> p{};
  std::uint8_t base[256] = {};
  for (int i = 0; i < 256; ++i)
    base[i] = std::uint8_t(i);
  std::uint32_t state = 0x2545F491u;
  for (int i = 255; i > 0; --i)
  {
    state = state * 1664525u + 1013904223u;
    const int j = int((state >> 8) % std::uint32_t(i + 1));
    const std::uint8_t t = base[i];
    base[i] = base[j];
    base[j] = t;
  }
  for (int i = 0; i < 512; ++i)
    p[std::size_t(i)] = base[i & 255];
  return p;
}
constexpr std::array<std::uint8_t, 512> kPerm = makePermutation();

inline float fade(float t) { return t * t * t * (t * (t * 6.f - 15.f) + 10.f); }

// Dot product of the offset with one of the 12 cube-edge gradients.
inline float grad(int hash, float x, float y, float z)
{
  const int h = hash & 15;
  const float u = h < 8 ? x : y;
  const float v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
  return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}
} // namespace

float gradientNoise(float x, float y, float z)
{
  const float fx = fastFloor(x), fy = fastFloor(y), fz = fastFloor(z);
  const int X = int(fx) & 255, Y = int(fy) & 255, Z = int(fz) & 255;
  x -= fx;
  y -= fy;
  z -= fz;
  const float u = fade(x), v = fade(y), w = fade(z);
  const int A = kPerm[std::size_t(X)] + Y, AA = kPerm[std::size_t(A)] + Z, AB = kPerm[std::size_t(A + 1)] + Z;
  const int B = kPerm[std::size_t(X + 1)] + Y, BA = kPerm[std::size_t(B)] + Z, BB = kPerm[std::size_t(B + 1)] + Z;
  auto P = [](int i) { return int(kPerm[std::size_t(i)]); };
  const float x1 = grad(P(AA), x, y, z) + u * (grad(P(BA), x - 1, y, z) - grad(P(AA), x, y, z));
  const float x2 = grad(P(AB), x, y - 1, z) + u * (grad(P(BB), x - 1, y - 1, z) - grad(P(AB), x, y - 1, z));
  const float x3 = grad(P(AA + 1), x, y, z - 1) + u * (grad(P(BA + 1), x - 1, y, z - 1) - grad(P(AA + 1), x, y, z - 1));
  const float x4 =
    grad(P(AB + 1), x, y - 1, z - 1) + u * (grad(P(BB + 1), x - 1, y - 1, z - 1) - grad(P(AB + 1), x, y - 1, z - 1));
  const float y1 = x1 + v * (x2 - x1);
  const float y2 = x3 + v * (x4 - x3);
  return y1 + w * (y2 - y1);
}

float turbulence(const Vec3& p, int octaves)
{
  float sum = 0.f, weight = 1.f, freq = 1.f;
  for (int i = 0; i < octaves; ++i)
  {
    sum += weight * std::fabs(gradientNoise(p.x * freq, p.y * freq, p.z * freq));
    weight *= 0.5f;
    freq *= 2.f;
  }
  return sum;
}

Vec3 marbleColor(const MarbleParams& params, const Vec3& p)
{
  // Veins are the crests of a sine across a slanted coordinate that
  // turbulence pushes about; about 3 / spacing veins cross the object. The
  // crest is raised to a power: wider veins, lower power.
  const float bands = 3.f / std::max(params.spacing, 0.05f);
  const Vec3 q = p * 2.5f + Vec3(17.3f, 5.1f, 9.7f); // away from the lattice origin
  const float turb = turbulence(q, 2);
  const float f = (p.x + 0.35f * p.y + 0.6f * p.z) * bands + 1.8f * turb;
  // sin(2 pi f) by a parabola per half period (within 0.06), cheaper than
  // std::sin and smooth enough for a vein profile.
  const float phase = f - fastFloor(f); // 0..1
  const float half = phase < 0.5f ? phase * 2.f : phase * 2.f - 1.f;
  const float bump = 4.f * half * (1.f - half);
  const float crest = phase < 0.5f ? 0.5f + 0.5f * bump : 0.5f - 0.5f * bump;
  const float sharpness = 8.f / std::max(params.width, 0.05f);
  const float vein = fastPow(crest, sharpness);
  // The stone itself is clouded a little by the same turbulence.
  const float cloud = 0.9f + 0.12f * std::min(turb, 1.f);
  return lerp(params.stone * cloud, params.vein, vein);
}

Vec3 woodColor(const WoodParams& params, const Vec3& p)
{
  // Rings around the z axis; the noises bend them across and along the grain.
  const Vec3 q = p * 4.f + Vec3(3.7f, 11.2f, 7.9f);
  float r = std::sqrt(p.x * p.x + p.y * p.y);
  r += 0.06f * params.radialNoise * gradientNoise(q.x, q.y, q.z * 0.5f);
  r += 0.04f * params.axialNoise * gradientNoise(q.x * 0.3f, q.y * 0.3f, q.z * 2.f);
  const float period = std::max(params.grain, 0.005f) * 0.6f;
  const float ring = r / period - fastFloor(r / period);
  // Light early wood grows into a dark late-wood band that ends sharply.
  const float late = smoothstep(0.45f, 0.85f, ring) * (1.f - smoothstep(0.93f, 1.f, ring));
  const float streak = 0.95f + 0.05f * gradientNoise(q.x * 6.f, q.y * 6.f, q.z * 0.4f);
  return lerp(params.color1, params.color2, late) * streak;
}
} // namespace OdGsRender
