#include "Shading.h"

namespace OdGsRender::OD_RENDER_ISA
{
namespace
{
constexpr float kPi = 3.14159265f;

inline vfloat safeDivide(vfloat a, vfloat b) { return select(abs(b) > 1e-20f, a / b, splat(0.f)); }

// Far points (a scale near 0) stay finite and in the noise's integer range;
// NaN becomes 0.
inline vfloat tame(vfloat v) { return select(v == v, min(max(v, splat(-1e6f)), splat(1e6f)), splat(0.f)); }
} // namespace

Shader::MapPoint Shader::project(const SurfacePoints& s) const
{
  // Each projection gives its own coordinates, then scales them to drawing
  // units or, for a map fitted to the object, to fractions of it.
  const vec3 p = s.position - splat(m_frame.min); // drawing units from the box corner
  const Vec3 e = m_frame.max - m_frame.min;
  const bool fit = m_map.fitToObject;
  auto fraction = [](vfloat extent) { return safeDivide(splat(1.f), extent); };
  MapPoint m{};
  vfloat su = fit ? fraction(splat(e.x)) : splat(1.f), sv = fit ? fraction(splat(e.y)) : splat(1.f);
  switch (m_map.projection)
  {
  case Projection::Planar: m = {p.x, p.y, s.dx.x, s.dy.x, s.dx.y, s.dy.y}; break;
  case Projection::Box:
  {
    // The side the surface faces; on each side the picture reads upright
    // (z up on the walls) and unmirrored when looked at from outside.
    const vec3& n = s.normal;
    const vfloat ax = abs(n.x), ay = abs(n.y), az = abs(n.z);
    const vint zSide = (az >= ax) & (az >= ay), xSide = ~zSide & (ax >= ay);
    auto across = [&](const vec3& a) { return select(xSide, a.y, a.x); }; // u's axis
    auto up = [&](const vec3& a) { return select(zSide, a.y, a.z); };     // v's axis
    const vint mirrored = select(zSide, n.z, select(xSide, n.x, -n.y)) < 0.f;
    const vfloat sign = select(mirrored, splat(-1.f), splat(1.f)), width = across(splat(e));
    m = {select(mirrored, width - across(p), across(p)),
         up(p),
         sign * across(s.dx),
         sign * across(s.dy),
         up(s.dx),
         up(s.dy)};
    if (fit)
      su = fraction(width), sv = fraction(up(splat(e)));
    break;
  }
  case Projection::Cylinder:
  case Projection::Sphere:
  {
    // Longitude as the fraction of a turn about z from -X, counter-clockwise
    // seen from +Z; a step turns it by (x dy - y dx) / r^2. In drawing units
    // it is the arc length on the object's bounding radius, so one scale
    // serves every projection.
    const vec3 d = s.position - splat(m_frame.centre);
    const vfloat r2 = max(d.x * d.x + d.y * d.y, splat(1e-30f)), turn = 1.f / (2.f * kPi * r2);
    const vfloat u = (atan2(d.y, d.x) + kPi) * (1.f / (2.f * kPi));
    const vfloat ux = (d.x * s.dx.y - d.y * s.dx.x) * turn, uy = (d.x * s.dy.y - d.y * s.dy.x) * turn;
    if (m_map.projection == Projection::Cylinder)
    {
      m = {u, p.z, ux, uy, s.dx.z, s.dy.z};
      su = splat(fit ? 1.f : kPi * std::max(e.x, e.y));
      sv = fit ? fraction(splat(e.z)) : splat(1.f);
      break;
    }
    // Latitude: 0 at the bottom pole, 1 at the top; a step moves it by its
    // part along the meridian.
    const vfloat r = sqrt(max(dot(d, d), splat(1e-30f))), c = min(max(d.z / r, splat(-1.f)), splat(1.f));
    const vfloat meridian = 1.f / (kPi * sqrt(r2));
    const vec3 radial = d * (1.f / r);
    m = {u,  1.f - atan2(sqrt(1.f - c * c), c) * (1.f / kPi), ux,
         uy, (s.dx.z - c * dot(radial, s.dx)) * meridian,     (s.dy.z - c * dot(radial, s.dy)) * meridian};
    const float round = kPi * std::max(e.x, std::max(e.y, e.z));
    su = splat(fit ? 1.f : round);
    sv = splat(fit ? 1.f : 0.5f * round);
    break;
  }
  }
  return {m.u * su, m.v * sv, m.ux * su, m.uy * su, m.vx * sv, m.vy * sv};
}

vec3 Shader::imageColor(const SurfacePoints& s) const
{
  const MapPoint m = project(s);
  // The map's transform of (u, v, 0) and of the steps.
  const float(*t)[4] = m_map.transform.m;
  vfloat tu = t[0][0] * m.u + t[0][1] * m.v + t[0][3], tv = t[1][0] * m.u + t[1][1] * m.v + t[1][3];
  const TextureImage& image = *m_map.image;
  const float w = float(image.width()), h = float(image.height());
  const vfloat tux = (t[0][0] * m.ux + t[0][1] * m.vx) * w, tuy = (t[0][0] * m.uy + t[0][1] * m.vy) * w;
  const vfloat tvx = (t[1][0] * m.ux + t[1][1] * m.vx) * h, tvy = (t[1][0] * m.uy + t[1][1] * m.vy) * h;
  // Mip level: log2 of the texels the longer pixel step crosses.
  const vfloat lod = 0.5f * log2(max(max(tux * tux + tvx * tvx, tuy * tuy + tvy * tvy), splat(1e-30f)));
  // Coordinates beyond float's whole numbers (a scale near 0) show no map.
  vint valid = (abs(tu) < 8e6f) & (abs(tv) < 8e6f);
  tu = select(valid, tu, splat(0.f)), tv = select(valid, tv, splat(0.f));
  valid &= applyTiling(tu, m_map.uTiling) & applyTiling(tv, m_map.vTiling);
  vfloat texel[4] = {};
  sampleTexture(image, tu, tv, lod, m_map.uTiling, m_map.vTiling, valid, texel);
  // Premultiplied texels over the diffuse colour, as much as the map shows.
  const vfloat mix = select(valid, splat(std::min(m_map.blend, 1.f)), splat(0.f));
  const vec3 over{texel[0] * mix, texel[1] * mix, texel[2] * mix};
  return over + splat(m_material.diffuse) * (1.f - mix * texel[3]);
}

vec3 Shader::baseColor(const SurfacePoints& s) const
{
  vec3 color;
  switch (m_map.kind)
  {
  case MapKind::None: return splat(m_material.diffuse);
  case MapKind::Image: color = imageColor(s); break;
  case MapKind::Marble:
  case MapKind::Wood:
  {
    // Solid textures: the point in the object's own proportions.
    const Affine& t = m_map.transform;
    const float scale = 1.f / m_frame.size;
    const vec3 local = (s.position - splat(m_frame.centre)) * scale;
    // Most maps keep the texture where the object is: no transform to apply.
    static const Affine identity;
    const bool moved = std::memcmp(&t, &identity, sizeof t) != 0;
    const vec3 q = moved ? apply(t, local) : local;
    const SolidPoint point{{tame(q.x), tame(q.y), tame(q.z)},
                           moved ? linear(t, s.dx * scale) : s.dx * scale,
                           moved ? linear(t, s.dy * scale) : s.dy * scale};
    const vec3 texel = m_map.kind == MapKind::Marble ? marbleColor(m_map.marble, point) : woodColor(m_map.wood, point);
    const vec3 diffuse = splat(m_material.diffuse);
    color = diffuse + (texel - diffuse) * std::min(m_map.blend, 1.f);
    break;
  }
  }
  return m_map.blend > 1.f ? color * m_map.blend : color;
}

vec3 Shader::shade(const SurfacePoints& s) const
{
  const vec3 base = baseColor(s);
  const Lighting& L = m_lighting;
  const vfloat nl0 = dot(s.normal, splat(L.direction[0])), nl1 = dot(s.normal, splat(L.direction[1]));
  const vfloat diffuse = L.intensity[0] * max(nl0, splat(0.f)) + L.intensity[1] * max(nl1, splat(0.f));
  // Blinn-Phong from the key light only (a fill light gives no glint).
  const vfloat nh = dot(s.normal, normalize(splat(L.direction[0]) + s.toEye));
  // Most of an object is far from its highlight: the power is worked out
  // only where some lane may show one.
  const vint lit = (nl0 > 0.f) & (nh > m_material.glintFloor);
  const vfloat highlight = any(lit) ? select(lit, pow(nh, splat(m_material.exponent)), splat(0.f)) *
                                        (L.intensity[0] * m_material.specularScale)
                                    : splat(0.f);
  // The ambient colour takes the ambient light; a map shows in the shade
  // too, so it stands in for the ambient colour.
  const vec3 ambient = m_map.kind == MapKind::None ? splat(m_material.ambient) : base;
  return ambient * L.ambient + base * diffuse + splat(m_material.specular) * highlight;
}

vint applyTiling(vfloat& t, Tiling tiling)
{
  switch (tiling)
  {
  case Tiling::Tile: t -= floor(t); break;
  case Tiling::None: return (t >= 0.f) & (t <= 1.f);
  case Tiling::Clamp: t = clamp01(t); break;
  case Tiling::Mirror:
  {
    // Period 2: 0..1 forward, 1..2 backward.
    const vfloat p = t - 2.f * floor(t * 0.5f);
    t = select(p > 1.f, 2.f - p, p);
    break;
  }
  }
  return splat(-1);
}

void sampleTexture(const TextureImage& image, vfloat u, vfloat v, vfloat lod, Tiling tu, Tiling tv, vint active,
                   vfloat out[4])
{
  // Trilinear: each lane blends the two levels around its lod, each read
  // bilinearly. The texels and weights of every lane are worked out side by
  // side; then each lane reads its texels.
  const std::vector<TextureImage::Level>& levels = image.levels();
  const int top = int(levels.size()) - 1;
  lod = min(max(lod, splat(0.f)), splat(float(top)));
  const vint below = toInt(lod);
  const vfloat t = lod - toFloat(below);
  // Per level: the rows (texel offsets) and columns to read, and the four
  // texels' weights.
  vint row[2][2], column[2][2], level[2];
  vfloat weight[2][4];
  for (int step = 0; step < 2; ++step)
  {
    level[step] = below + step;
    level[step] = level[step] > top ? splat(top) : level[step];
    // Each level halves the one before, down to one texel.
    vint w = splat(levels[0].w) >> level[step], h = splat(levels[0].h) >> level[step];
    w = w < 1 ? splat(1) : w, h = h < 1 ? splat(1) : h;
    // Texel centres sit at half-integers; row 0 is the top, v = 0 the
    // bottom. u and v are in [0, 1], so the texels to either side lie from
    // one before the first to one past the last: the tiling says which.
    const vfloat fx = u * toFloat(w) - 0.5f, fy = (1.f - v) * toFloat(h) - 0.5f;
    const vfloat left = floor(fx), above = floor(fy), ax = fx - left, ay = fy - above;
    auto inside = [](vint i, vint n, Tiling tiling) {
      const vint low = tiling == Tiling::Tile ? n - 1 : splat(0), high = tiling == Tiling::Tile ? splat(0) : n - 1;
      return i < 0 ? low : (i >= n ? high : i);
    };
    column[step][0] = inside(toInt(left), w, tu), column[step][1] = inside(toInt(left) + 1, w, tu);
    row[step][0] = inside(toInt(above), h, tv) * w, row[step][1] = inside(toInt(above) + 1, h, tv) * w;
    const vfloat share = step ? t : 1.f - t;
    weight[step][0] = (1.f - ax) * (1.f - ay) * share, weight[step][1] = ax * (1.f - ay) * share;
    weight[step][2] = (1.f - ax) * ay * share, weight[step][3] = ax * ay * share;
  }
  // A texel and the one right of it, read at once where they sit side by
  // side in memory, as eight floats; weighted, then the halves added.
  typedef OdUInt16 Texel __attribute__((vector_size(8)));
  typedef float Pair __attribute__((vector_size(32)));
  rgba sum[kLanes];
  for (int k = 0; k < kLanes; ++k)
  {
    Pair both = {};
    for (int step = 0; step < (t[k] > 0.f ? 2 : 1) && active[k]; ++step) // the finer level alone weighs all
      for (int r = 0; r < 2; ++r)
      {
        const OdUInt16* texels = levels[std::size_t(level[step][k])].texels.data() + std::size_t(row[step][r][k]) * 4;
        Texel a, b;
        std::memcpy(&a, texels + std::size_t(column[step][0][k]) * 4, sizeof a);
        std::memcpy(&b, texels + std::size_t(column[step][1][k]) * 4, sizeof b);
        const float w0 = weight[step][2 * r][k], w1 = weight[step][2 * r + 1][k];
        both += __builtin_convertvector(__builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7), Pair) *
                Pair{w0, w0, w0, w0, w1, w1, w1, w1};
      }
    sum[k] = (__builtin_shufflevector(both, both, 0, 1, 2, 3) + __builtin_shufflevector(both, both, 4, 5, 6, 7)) *
             (1.f / 65535.f);
  }
  const void* rows[kLanes];
  for (int k = 0; k < kLanes; ++k)
    rows[k] = &sum[k];
  vfloat texel[4];
  transpose(rows, texel);
  for (int c = 0; c < 4; ++c)
    out[c] = select(active, texel[c], out[c]);
}
} // namespace OdGsRender::OD_RENDER_ISA
