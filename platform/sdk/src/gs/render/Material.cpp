#include "Material.h"

namespace OdGsRender
{
namespace
{
constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

// Fraction of a turn about the z axis, 0 at -X (the seam), growing
// counter-clockwise seen from +Z.
inline float turnFraction(float dx, float dy) { return (std::atan2(dy, dx) + kPi) * (1.f / kTwoPi); }

inline float safeDiv(float a, float b) { return std::fabs(b) > 1e-20f ? a / b : 0.f; }
} // namespace

void glossToSpecular(double gloss, float& exponent, float& scale)
{
  const float g = clamp01(float(gloss));
  exponent = std::exp2(1.f + 9.f * g); // 2 (matte) .. 1024 (mirror-like)
  scale = 0.15f + 0.85f * g;
}

namespace
{
inline void project(const DiffuseMap& map, const ObjectFrame& frame, const Vec3& position, const Vec3& normal, float& u,
                    float& v)
{
  const Vec3 p = position - frame.min; // drawing units from the box corner
  const Vec3 e = frame.max - frame.min;
  const bool fit = map.fitToObject;
  switch (map.projection)
  {
  case Projection::Planar:
    u = fit ? safeDiv(p.x, e.x) : p.x;
    v = fit ? safeDiv(p.y, e.y) : p.y;
    return;
  case Projection::Box:
  {
    // The side the surface faces; on each side the picture reads upright
    // (z up on the walls) and unmirrored when looked at from outside.
    const float ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
    float su, sv, eu, ev;
    if (az >= ax && az >= ay)
    {
      su = normal.z >= 0 ? p.x : e.x - p.x;
      sv = p.y;
      eu = e.x;
      ev = e.y;
    }
    else if (ax >= ay)
    {
      su = normal.x >= 0 ? p.y : e.y - p.y;
      sv = p.z;
      eu = e.y;
      ev = e.z;
    }
    else
    {
      su = normal.y >= 0 ? e.x - p.x : p.x;
      sv = p.z;
      eu = e.x;
      ev = e.z;
    }
    u = fit ? safeDiv(su, eu) : su;
    v = fit ? safeDiv(sv, ev) : sv;
    return;
  }
  case Projection::Cylinder:
  {
    // Around the axis; in drawing units u is the arc length on the
    // object's bounding radius, so one scale serves every projection.
    const float turn = turnFraction(position.x - frame.centre.x, position.y - frame.centre.y);
    const float radius = 0.5f * std::max(e.x, e.y);
    u = fit ? turn : turn * kTwoPi * radius;
    v = fit ? safeDiv(p.z, e.z) : p.z;
    return;
  }
  case Projection::Sphere:
  {
    const Vec3 d = position - frame.centre;
    const float r = length(d);
    const float turn = turnFraction(d.x, d.y);
    // Latitude fraction: 0 at the bottom pole, 1 at the top.
    const float lat = r > 0.f ? 1.f - std::acos(std::max(-1.f, std::min(1.f, d.z / r))) * (1.f / kPi) : 0.5f;
    const float radius = 0.5f * std::max(e.x, std::max(e.y, e.z));
    u = fit ? turn : turn * kTwoPi * radius;
    v = fit ? lat : lat * kPi * radius;
    return;
  }
  }
  u = v = 0.f;
}

// The image map's colour at points of one object (the base colour where the
// map does not reach), with what all points share worked out once.
class ImageLookup
{
public:
  ImageLookup(const SurfaceMaterial& material, const ObjectFrame& frame)
    : m_material(material), m_map(material.map), m_frame(frame),
      m_perUnit(m_map.uvPerUnit * (m_map.fitToObject ? 1.f / frame.size : 1.f)),
      m_size(float(std::max(m_map.image->width(), m_map.image->height()))), m_mix(clamp01(m_map.blend))
  {
  }

  Vec3 color(const Vec3& position, const Vec3& normal, const Vec3& toEye, float pixelSize) const
  {
    float u, v;
    project(m_map, m_frame, position, normal, u, v);
    const Vec3 uv = m_map.transform.point(Vec3(u, v, 0.f));
    float tu = uv.x, tv = uv.y;
    // Coordinates beyond float's whole numbers (a scale near 0) show no map.
    if (!(std::fabs(tu) < 8e6f) || !(std::fabs(tv) < 8e6f) || !applyTiling(tu, m_map.uTiling) ||
        !applyTiling(tv, m_map.vTiling))
      return m_material.diffuse;
    // Mip level from the texels one pixel covers; grazing angles stretch it.
    const float facing = std::max(std::fabs(dot(normal, toEye)), 0.25f);
    const float texels = pixelSize * m_perUnit * m_size / facing;
    const float lod = texels > 1.f ? fastLog2(texels) : 0.f;
    const f4 rgba = m_map.image->sample4(tu, tv, lod, m_map.uTiling, m_map.vTiling);
    Vec3 color = lerp(m_material.diffuse, Vec3(rgba[0], rgba[1], rgba[2]), m_mix * rgba[3]);
    if (m_map.blend > 1.f)
      color *= m_map.blend;
    return color;
  }

  // color for four points; lanes from count on are left at the base colour.
  Rgb4 color4(const ShadeArrays& points, std::size_t i, std::size_t count) const
  {
    const f4 px = load4(points.position[0] + i), py = load4(points.position[1] + i), pz = load4(points.position[2] + i);
    const f4 nx = load4(points.normal[0] + i), ny = load4(points.normal[1] + i), nz = load4(points.normal[2] + i);
    f4 u, v;
    project4(px, py, pz, nx, ny, nz, points, i, count, u, v);
    // The map's transform of (u, v, 0), as Affine::point does it.
    const float(*m)[4] = m_map.transform.m;
    const f4 zero = splat(0.f);
    f4 tu = m[0][0] * u + m[0][1] * v + m[0][2] * zero + m[0][3];
    f4 tv = m[1][0] * u + m[1][1] * v + m[1][2] * zero + m[1][3];
    // Coordinates beyond float's whole numbers (a scale near 0) show no map.
    i4 valid = (abs4(tu) < 8e6f) & (abs4(tv) < 8e6f);
    valid &= tile4(tu, m_map.uTiling) & tile4(tv, m_map.vTiling);
    // Mip level from the texels one pixel covers; grazing angles stretch it.
    const f4 facing = maxOf(abs4(nx * load4(points.toEye[0] + i) + ny * load4(points.toEye[1] + i) +
                                 nz * load4(points.toEye[2] + i)),
                            splat(0.25f));
    const f4 texels = load4(points.pixelSize + i) * m_perUnit * m_size / facing;
    const f4 lod = select4(texels > 1.f, log2x4(texels), zero);
    for (std::size_t k = count; k < 4; ++k)
      valid[k] = 0;
    f4 texel[4] = {zero, zero, zero, zero};
    m_map.image->sample4x4(tu, tv, lod, m_map.uTiling, m_map.vTiling, valid, texel);
    // Texels to channels: lane k of each is point k.
    const f4 rg01 = __builtin_shuffle(texel[0], texel[1], i4{0, 4, 1, 5}), ba01 = __builtin_shuffle(texel[0], texel[1], i4{2, 6, 3, 7});
    const f4 rg23 = __builtin_shuffle(texel[2], texel[3], i4{0, 4, 1, 5}), ba23 = __builtin_shuffle(texel[2], texel[3], i4{2, 6, 3, 7});
    const f4 r = __builtin_shuffle(rg01, rg23, i4{0, 1, 4, 5}), g = __builtin_shuffle(rg01, rg23, i4{2, 3, 6, 7});
    const f4 b = __builtin_shuffle(ba01, ba23, i4{0, 1, 4, 5}), a = __builtin_shuffle(ba01, ba23, i4{2, 3, 6, 7});
    const Vec3& d = m_material.diffuse;
    const f4 mix = m_mix * a;
    f4 cr = d.x + (r - d.x) * mix, cg = d.y + (g - d.y) * mix, cb = d.z + (b - d.z) * mix;
    if (m_map.blend > 1.f)
      cr *= m_map.blend, cg *= m_map.blend, cb *= m_map.blend;
    return {select4(valid, cr, splat(d.x)), select4(valid, cg, splat(d.y)), select4(valid, cb, splat(d.z))};
  }

private:
  // applyTiling, four at a time: the lanes it leaves valid.
  static i4 tile4(f4& t, Tiling tiling)
  {
    switch (tiling)
    {
    case Tiling::Tile:
      t -= floor4(t);
      break;
    case Tiling::None:
      return (t >= 0.f) & (t <= 1.f);
    case Tiling::Clamp:
      t = clamp01x4(t);
      break;
    case Tiling::Mirror:
    {
      const f4 p = t - 2.f * floor4(t * 0.5f);
      t = select4(p > 1.f, 2.f - p, p);
      break;
    }
    }
    return splatInt(-1);
  }

  static f4 safeDiv4(f4 a, f4 b) { return select4(abs4(b) > 1e-20f, a / b, splat(0.f)); }

  // project, four at a time; the round projections a point at a time.
  void project4(f4 px, f4 py, f4 pz, f4 nx, f4 ny, f4 nz, const ShadeArrays& points, std::size_t i, std::size_t count, f4& u,
                f4& v) const
  {
    const Vec3& lo = m_frame.min;
    const Vec3 e = m_frame.max - m_frame.min;
    const bool fit = m_map.fitToObject;
    px -= lo.x, py -= lo.y, pz -= lo.z; // drawing units from the box corner
    switch (m_map.projection)
    {
    case Projection::Planar:
      u = fit ? safeDiv4(px, splat(e.x)) : px;
      v = fit ? safeDiv4(py, splat(e.y)) : py;
      return;
    case Projection::Box:
    {
      const f4 ax = abs4(nx), ay = abs4(ny), az = abs4(nz);
      const i4 zSide = (az >= ax) & (az >= ay), xSide = ~zSide & (ax >= ay);
      const f4 su = select4(zSide, select4(nz >= 0.f, px, e.x - px),
                            select4(xSide, select4(nx >= 0.f, py, e.y - py), select4(ny >= 0.f, e.x - px, px)));
      const f4 sv = select4(zSide, py, pz);
      const f4 eu = select4(xSide, splat(e.y), splat(e.x)), ev = select4(zSide, splat(e.y), splat(e.z));
      u = fit ? safeDiv4(su, eu) : su;
      v = fit ? safeDiv4(sv, ev) : sv;
      return;
    }
    default:
      u = v = splat(0.f);
      for (std::size_t k = 0; k < count; ++k)
      {
        const std::size_t j = i + k;
        float uk, vk;
        project(m_map, m_frame, Vec3(points.position[0][j], points.position[1][j], points.position[2][j]),
                Vec3(points.normal[0][j], points.normal[1][j], points.normal[2][j]), uk, vk);
        u[k] = uk;
        v[k] = vk;
      }
      return;
    }
  }

  const SurfaceMaterial& m_material;
  const DiffuseMap& m_map;
  const ObjectFrame& m_frame;
  const float m_perUnit; // map units per drawing unit
  const float m_size;    // texels across the picture's longer side
  const float m_mix;     // how much of the map shows
};
} // namespace

void projectPoint(const DiffuseMap& map, const ObjectFrame& frame, const Vec3& position, const Vec3& normal, float& u,
                  float& v)
{
  project(map, frame, position, normal, u, v);
}

Vec3 baseColor(const SurfaceMaterial& material, const ObjectFrame& frame, const ShadePoint& point)
{
  const DiffuseMap& map = material.map;
  if (map.kind == MapKind::None)
    return material.diffuse;

  if (map.kind == MapKind::Image)
    return ImageLookup(material, frame).color(point.position, point.normal, point.toEye, point.pixelSize);

  // Solid textures: the point in the object's own proportions.
  const Vec3 local = (point.position - frame.centre) * (1.f / frame.size);
  Vec3 q = map.transform.point(local);
  // The noise lattice wraps every 256 units; keep far points finite and in
  // integer range (NaN becomes 0).
  auto tame = [](float v) { return v > -1e6f && v < 1e6f ? v : (v >= 1e6f ? 1e6f : (v <= -1e6f ? -1e6f : 0.f)); };
  q = Vec3(tame(q.x), tame(q.y), tame(q.z));
  const Vec3 texel = map.kind == MapKind::Marble ? marbleColor(map.marble, q) : woodColor(map.wood, q);
  Vec3 color = lerp(material.diffuse, texel, clamp01(map.blend));
  if (map.blend > 1.f)
    color *= map.blend;
  return color;
}

namespace
{
// baseColor's taming of solid texture coordinates, four at a time.
inline f4 tame4(f4 v)
{
  const f4 limited = select4(v >= 1e6f, splat(1e6f), select4(v <= -1e6f, splat(-1e6f), splat(0.f)));
  return select4((v > -1e6f) & (v < 1e6f), v, limited);
}
} // namespace

void baseColors(const SurfaceMaterial& material, const ObjectFrame& frame, const ShadeArrays& points, std::size_t begin,
                std::size_t end, SolidNoise& noise, float* const out[3])
{
  const DiffuseMap& map = material.map;
  if (map.kind == MapKind::None)
  {
    for (std::size_t i = begin; i < end; ++i)
      out[0][i] = material.diffuse.x, out[1][i] = material.diffuse.y, out[2][i] = material.diffuse.z;
    return;
  }
  if (map.kind == MapKind::Image)
  {
    const ImageLookup lookup(material, frame);
    for (std::size_t i = begin; i < end; i += 4)
    {
      const Rgb4 color = lookup.color4(points, i, std::min<std::size_t>(4, end - i));
      store4(out[0] + i, color.r);
      store4(out[1] + i, color.g);
      store4(out[2] + i, color.b);
    }
    return;
  }
  // Solid textures as baseColor lays them on, four points at a time.
  const float inverseSize = 1.f / frame.size;
  const Affine& m = map.transform;
  const float mix = clamp01(map.blend);
  const Vec3& d = material.diffuse;
  for (std::size_t i = begin; i < end; i += 4)
  {
    const f4 lx = (load4(points.position[0] + i) - frame.centre.x) * inverseSize;
    const f4 ly = (load4(points.position[1] + i) - frame.centre.y) * inverseSize;
    const f4 lz = (load4(points.position[2] + i) - frame.centre.z) * inverseSize;
    const f4 qx = tame4(m.m[0][0] * lx + m.m[0][1] * ly + m.m[0][2] * lz + m.m[0][3]);
    const f4 qy = tame4(m.m[1][0] * lx + m.m[1][1] * ly + m.m[1][2] * lz + m.m[1][3]);
    const f4 qz = tame4(m.m[2][0] * lx + m.m[2][1] * ly + m.m[2][2] * lz + m.m[2][3]);
    const Rgb4 texel = map.kind == MapKind::Marble ? marbleColor4(map.marble, qx, qy, qz, noise)
                                                   : woodColor4(map.wood, qx, qy, qz, noise);
    f4 r = d.x + (texel.r - d.x) * mix, g = d.y + (texel.g - d.y) * mix, b = d.z + (texel.b - d.z) * mix;
    if (map.blend > 1.f)
      r *= map.blend, g *= map.blend, b *= map.blend;
    store4(out[0] + i, r);
    store4(out[1] + i, g);
    store4(out[2] + i, b);
  }
}

Vec3 shade(const SurfaceMaterial& material, const ObjectFrame& frame, const Lighting& lighting, const ShadePoint& point)
{
  const Vec3 base = baseColor(material, frame, point);
  Vec3 diffuseLight(lighting.ambient, lighting.ambient, lighting.ambient);
  float highlight = 0.f;
  for (int i = 0; i < 2; ++i)
  {
    const float nl = dot(point.normal, lighting.direction[i]);
    if (nl <= 0.f)
      continue;
    const float d = nl * lighting.intensity[i];
    diffuseLight += Vec3(d, d, d);
    // Blinn-Phong from the key light only (a fill light gives no glint);
    // skip the power where it cannot show (below 1/512).
    if (i != 0)
      continue;
    const Vec3 h = normalize(lighting.direction[i] + point.toEye);
    const float nh = dot(point.normal, h);
    if (nh > 0.f)
    {
      const float s = fastPow(nh, material.exponent);
      if (s > 1.f / 512.f)
        highlight += s * lighting.intensity[i];
    }
  }
  // The ambient colour takes the ambient light, the base colour the rest;
  // a map shows in the shade too, so it stands in for the ambient colour.
  const Vec3 ambientPart = (material.map.kind == MapKind::None ? material.ambient : base) * lighting.ambient;
  const Vec3 diffusePart = base * (diffuseLight - Vec3(lighting.ambient, lighting.ambient, lighting.ambient));
  return ambientPart + diffusePart + material.specular * (highlight * material.specularScale);
}
} // namespace OdGsRender
