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

// The same 16 gradients as vectors: grad(h, x, y, z) = g . (x, y, z). The
// components are 0 and +-1, so the products are exact and the sum rounds as
// grad's does.
constexpr float kGradient[16][3] = {{1, 1, 0},  {-1, 1, 0},  {1, -1, 0}, {-1, -1, 0}, {1, 0, 1},  {-1, 0, 1},
                                    {1, 0, -1}, {-1, 0, -1}, {0, 1, 1},  {0, -1, 1},  {0, 1, -1}, {0, -1, -1},
                                    {1, 1, 0},  {0, -1, 1},  {-1, 1, 0}, {0, -1, -1}};

inline f4 fade4(f4 t) { return t * t * t * (t * (t * 6.f - 15.f) + 10.f); }

// The corner gradients of a cell (key x + 256 (y + 256 z)), from the cache
// or worked out into it.
const f4 (*cellGradients(NoiseCells& cells, std::int32_t key))[3]
{
  const int slot = (key ^ (key >> 7) ^ (key >> 13)) & (NoiseCells::kCells - 1);
  if (cells.key[slot] == key)
    return cells.gradient[slot];
  cells.key[slot] = key;
  const int X = key & 255, Y = (key >> 8) & 255, Z = key >> 16;
  auto P = [](int i) { return int(kPerm[std::size_t(i)]); };
  const int A = P(X) + Y, AA = P(A) + Z, AB = P(A + 1) + Z;
  const int B = P(X + 1) + Y, BA = P(B) + Z, BB = P(B + 1) + Z;
  // Corners in the order (x, y, z) = 000, 100, 010, 110, 001, 101, 011, 111.
  const int hash[8] = {P(AA), P(BA), P(AB), P(BB), P(AA + 1), P(BA + 1), P(AB + 1), P(BB + 1)};
  for (int c = 0; c < 8; ++c)
    for (int k = 0; k < 3; ++k)
      cells.gradient[slot][c][k] = splat(kGradient[hash[c] & 15][k]);
  return cells.gradient[slot];
}

// Trilinear blend of the corners' ramps, in gradientNoise's order, from the
// offsets within the cell (x, y, z and less one) and the fade curves.
inline f4 blendCorners(const f4 (*g)[3], f4 x, f4 y, f4 z, f4 x1, f4 y1, f4 z1, f4 u, f4 v, f4 w)
{
  auto ramp = [](const f4* gc, f4 px, f4 py, f4 pz) { return gc[0] * px + gc[1] * py + gc[2] * pz; };
  const f4 g000 = ramp(g[0], x, y, z), g100 = ramp(g[1], x1, y, z), g010 = ramp(g[2], x, y1, z), g110 = ramp(g[3], x1, y1, z);
  const f4 g001 = ramp(g[4], x, y, z1), g101 = ramp(g[5], x1, y, z1), g011 = ramp(g[6], x, y1, z1),
           g111 = ramp(g[7], x1, y1, z1);
  const f4 a = g000 + u * (g100 - g000);
  const f4 b = g010 + u * (g110 - g010);
  const f4 c = g001 + u * (g101 - g001);
  const f4 d = g011 + u * (g111 - g011);
  const f4 e = a + v * (b - a);
  const f4 f = c + v * (d - c);
  return e + w * (f - e);
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

f4 gradientNoise4(f4 x, f4 y, f4 z, NoiseCells& cells)
{
  const f4 fx = floor4(x), fy = floor4(y), fz = floor4(z);
  const i4 key = (__builtin_convertvector(fx, i4) & 255) | (__builtin_convertvector(fy, i4) & 255) << 8 |
                 (__builtin_convertvector(fz, i4) & 255) << 16;
  x -= fx;
  y -= fy;
  z -= fz;
  const f4 u = fade4(x), v = fade4(y), w = fade4(z);
  const f4 x1 = x - 1.f, y1 = y - 1.f, z1 = z - 1.f;
  if (allTrue(key == key[0]))
    return blendCorners(cellGradients(cells, key[0]), x, y, z, x1, y1, z1, u, v, w);
  // The points straddle a cell wall: once per cell among them.
  f4 result = splat(0.f);
  for (i4 left = splatInt(-1); left[0] | left[1] | left[2] | left[3];)
  {
    const std::int32_t cell = left[0] ? key[0] : left[1] ? key[1] : left[2] ? key[2] : key[3];
    const i4 lanes = left & (key == cell);
    result = select4(lanes, blendCorners(cellGradients(cells, cell), x, y, z, x1, y1, z1, u, v, w), result);
    left &= ~lanes;
  }
  return result;
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

Rgb4 marbleColor4(const MarbleParams& params, f4 x, f4 y, f4 z, SolidNoise& noise)
{
  // marbleColor, four at a time; turbulence's two octaves written out.
  const float bands = 3.f / std::max(params.spacing, 0.05f);
  const f4 qx = x * 2.5f + 17.3f, qy = y * 2.5f + 5.1f, qz = z * 2.5f + 9.7f;
  const f4 turb = abs4(gradientNoise4(qx, qy, qz, noise.cells[0])) +
                  0.5f * abs4(gradientNoise4(qx * 2.f, qy * 2.f, qz * 2.f, noise.cells[1]));
  const f4 f = (x + 0.35f * y + 0.6f * z) * bands + 1.8f * turb;
  const f4 phase = f - floor4(f);
  const i4 rising = phase < 0.5f;
  const f4 half = select4(rising, phase * 2.f, phase * 2.f - 1.f);
  const f4 bump = 4.f * half * (1.f - half);
  const f4 crest = select4(rising, 0.5f + 0.5f * bump, 0.5f - 0.5f * bump);
  const f4 vein = pow4(crest, splat(8.f / std::max(params.width, 0.05f)));
  const f4 cloud = 0.9f + 0.12f * min4(turb, splat(1.f));
  const f4 sr = params.stone.x * cloud, sg = params.stone.y * cloud, sb = params.stone.z * cloud;
  return {sr + (params.vein.x - sr) * vein, sg + (params.vein.y - sg) * vein, sb + (params.vein.z - sb) * vein};
}

namespace
{
f4 sqrt4(f4 v) { return f4{std::sqrt(v[0]), std::sqrt(v[1]), std::sqrt(v[2]), std::sqrt(v[3])}; }
} // namespace

Rgb4 woodColor4(const WoodParams& params, f4 x, f4 y, f4 z, SolidNoise& noise)
{
  // woodColor, four at a time.
  const f4 qx = x * 4.f + 3.7f, qy = y * 4.f + 11.2f, qz = z * 4.f + 7.9f;
  f4 r = sqrt4(x * x + y * y);
  r += 0.06f * params.radialNoise * gradientNoise4(qx, qy, qz * 0.5f, noise.cells[0]);
  r += 0.04f * params.axialNoise * gradientNoise4(qx * 0.3f, qy * 0.3f, qz * 2.f, noise.cells[1]);
  const float period = std::max(params.grain, 0.005f) * 0.6f;
  const f4 ring = r / period - floor4(r / period);
  const f4 late = smoothstep4(0.45f, 0.85f, ring) * (1.f - smoothstep4(0.93f, 1.f, ring));
  const f4 streak = 0.95f + 0.05f * gradientNoise4(qx * 6.f, qy * 6.f, qz * 0.4f, noise.cells[2]);
  const Vec3& a = params.color1;
  const Vec3& b = params.color2;
  return {(a.x + (b.x - a.x) * late) * streak, (a.y + (b.y - a.y) * late) * streak, (a.z + (b.z - a.z) * late) * streak};
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
