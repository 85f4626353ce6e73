#include "Renderer.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace OdGsRender
{
namespace
{
constexpr OdUInt32 kEmpty = 0xFFFFFFFFu;

// A corner on an edge belongs to the triangle whose inward gradient of that
// edge's barycentric points right (or straight down): of two triangles
// sharing the edge exactly one takes the sample.
inline bool ownsTie(float a, float b) { return a > 0.f || (a == 0.f && b > 0.f); }
inline bool inside(float l, bool tie) { return tie ? l >= 0.f : l > 0.f; }
// The lowest value that counts as inside: 0 where the edge owns its ties,
// else the smallest positive float (so exactly 0 is outside).
// floor and ceil without the library call (no SSE4.1 assumed); exact for
// the magnitudes of pixel coordinates.
inline int floorInt(float x)
{
  const int i = int(x);
  return i - (x < float(i) ? 1 : 0);
}
inline int ceilInt(float x)
{
  const int i = int(x);
  return i + (x > float(i) ? 1 : 0);
}
inline float clampCoord(float x) { return std::max(-1e8f, std::min(x, 1e8f)); }

inline bool any(i4 mask) { return (mask[0] | mask[1] | mask[2] | mask[3]) != 0; }

// Where nh^e is sure to stay below the highlight's cut-off: if nh is less
// than 2^(-10 / e - 1e-5), e times the log2 polynomial (never more than
// 2.4e-6 above log2) is below -10 even after rounding, and 2^y for y < -10
// is below 1/512 (see the lighting). 0 (no cut) for an exponent that is not
// positive.
inline float highlightCut(float exponent)
{
  if (!(exponent > 0.f))
    return 0.f;
  const double cut = std::exp2(-10.0 / double(exponent) - 1e-5);
  float f = float(cut);
  if (double(f) > cut)
    f = std::nextafter(f, 0.f);
  return f;
}

inline float insideBound(bool tie) { return tie ? 0.f : std::numeric_limits<float>::denorm_min(); }
} // namespace

void Renderer::pixelRange(const Triangle& tri, int& x0, int& x1, int& y0, int& y1) const
{
  // Only pixels with a sample inside the triangle's box: samples sit between
  // lo and hi within their pixel.
  const Vertex& v0 = m_vertices[tri.v[0]];
  const Vertex& v1 = m_vertices[tri.v[1]];
  const Vertex& v2 = m_vertices[tri.v[2]];
  const float minX = std::min(v0.sx, std::min(v1.sx, v2.sx)), maxX = std::max(v0.sx, std::max(v1.sx, v2.sx));
  const float minY = std::min(v0.sy, std::min(v1.sy, v2.sy)), maxY = std::max(v0.sy, std::max(v1.sy, v2.sy));
  x0 = std::max(m_viewLeft, ceilInt(clampCoord(minX - m_sampleHi)));
  x1 = std::min(m_viewLeft + m_width - 1, floorInt(clampCoord(maxX - m_sampleLo)));
  y0 = std::max(m_viewTop, ceilInt(clampCoord(minY - m_sampleHi)));
  y1 = std::min(m_viewTop + m_height - 1, floorInt(clampCoord(maxY - m_sampleLo)));
}

void Renderer::project(Vertex& v, const ViewSetup& view) const
{
  const float scale = float(view.scale);
  if (view.perspective)
  {
    const float f = float(view.distance) / v.t;
    v.sx = float(view.centerX) + scale * v.eye.x * f;
    v.sy = float(view.centerY) - scale * v.eye.y * f;
    v.invT = 1.f / v.t;
    // 1/t is linear in screen space, so this depth is too.
    v.depth = (1.f / m_near - v.invT) / (1.f / m_near - 1.f / m_far);
  }
  else
  {
    v.sx = float(view.centerX) + scale * v.eye.x;
    v.sy = float(view.centerY) - scale * v.eye.y;
    v.invT = 1.f;
    v.depth = (v.t - m_near) / (m_far - m_near);
  }
}

void Renderer::transform(const Scene& scene, const ViewSetup& view)
{
  m_vertices.clear();
  m_meshBase.clear();
  float tMin = std::numeric_limits<float>::max(), tMax = -std::numeric_limits<float>::max();
  const double D = view.distance;
  // A viewing matrix is rigid: its last row leaves w at 1, so the point
  // transform reduces to the three rows written out here.
  const double(*m)[4] = view.viewing.entry;
  const bool affine = m[3][0] == 0.0 && m[3][1] == 0.0 && m[3][2] == 0.0 && m[3][3] == 1.0;
  for (const SceneMesh& mesh : scene.meshes)
  {
    m_meshBase.push_back(OdUInt32(m_vertices.size()));
    const MeshGeometry& geometry = *mesh.geometry;
    for (std::size_t i = 0; i < geometry.positions.size(); ++i)
    {
      Vertex v;
      v.world = geometry.positions[i];
      v.normal = geometry.normals[i];
      // In double: drawings may sit far from the origin.
      const double x = v.world.x, y = v.world.y, z = v.world.z;
      const OdGePoint3d e = affine ? OdGePoint3d(m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3],
                                                 m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3],
                                                 m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3])
                                   : view.viewing * OdGePoint3d(x, y, z);
      v.eye = Vec3(e);
      v.t = float(view.perspective ? D - e.z : -e.z);
      tMin = std::min(tMin, v.t);
      tMax = std::max(tMax, v.t);
      m_vertices.push_back(v);
    }
  }
  if (m_vertices.empty())
    return;
  if (view.perspective)
  {
    // Whatever is nearer than this is clipped away.
    const float nearLimit = std::max(float(D) * 1e-3f, tMax * 1e-5f);
    m_near = std::max(tMin, nearLimit) * 0.999f;
    m_far = std::max(tMax * 1.001f, m_near * 1.01f);
  }
  else
  {
    const float margin = std::max((tMax - tMin) * 1e-3f, 1e-6f * std::max(std::fabs(tMax), 1.f));
    m_near = tMin - margin;
    m_far = tMax + margin;
  }
  for (Vertex& v : m_vertices)
    if (v.t >= m_near)
      project(v, view);
}

OdUInt32 Renderer::clipVertex(OdUInt32 in, OdUInt32 out)
{
  // The point on the edge where t reaches the near plane.
  const Vertex a = m_vertices[in], b = m_vertices[out];
  const float s = (a.t - m_near) / (a.t - b.t);
  Vertex v;
  v.world = lerp(a.world, b.world, s);
  v.normal = normalize(lerp(a.normal, b.normal, s));
  v.eye = lerp(a.eye, b.eye, s);
  v.t = m_near;
  m_vertices.push_back(v);
  return OdUInt32(m_vertices.size() - 1);
}

void Renderer::setupTriangles(const Scene& scene, const ViewSetup& view, const RenderOptions& options)
{
  m_opaque.clear();
  m_transparent.clear();
  for (OdUInt32 m = 0; m < scene.meshes.size(); ++m)
  {
    const std::vector<OdUInt32>& indices = scene.meshes[m].geometry->indices;
    const OdUInt32 base = m_meshBase[m];
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
    {
      const OdUInt32 idx[3] = {base + indices[i], base + indices[i + 1], base + indices[i + 2]};
      int behind = 0;
      for (OdUInt32 k : idx)
        behind += m_vertices[k].t < m_near ? 1 : 0;
      if (behind == 0)
      {
        addTriangle(scene, m, idx[0], idx[1], idx[2], options);
        continue;
      }
      if (behind == 3)
        continue;
      // Sutherland-Hodgman against the near plane; the polygon keeps the
      // corners' order, so the winding survives.
      OdUInt32 poly[4];
      int n = 0;
      for (int k = 0; k < 3; ++k)
      {
        const OdUInt32 cur = idx[k], next = idx[(k + 1) % 3];
        const bool curIn = m_vertices[cur].t >= m_near, nextIn = m_vertices[next].t >= m_near;
        if (curIn)
          poly[n++] = cur;
        if (curIn != nextIn)
        {
          const OdUInt32 made = curIn ? clipVertex(cur, next) : clipVertex(next, cur);
          project(m_vertices[made], view);
          poly[n++] = made;
        }
      }
      for (int k = 1; k + 1 < n; ++k)
        addTriangle(scene, m, poly[0], poly[k], poly[k + 1], options);
    }
  }
}

void Renderer::addTriangle(const Scene& scene, OdUInt32 mesh, OdUInt32 i0, OdUInt32 i1, OdUInt32 i2, const RenderOptions& options)
{
  const Vertex& v0 = m_vertices[i0];
  const Vertex& v1 = m_vertices[i1];
  const Vertex& v2 = m_vertices[i2];
  // Wholly beside the viewport: nothing to do.
  const float left = float(m_viewLeft), top = float(m_viewTop);
  const float right = left + float(m_width), bottom = top + float(m_height);
  if ((v0.sx < left && v1.sx < left && v2.sx < left) || (v0.sx > right && v1.sx > right && v2.sx > right) ||
      (v0.sy < top && v1.sy < top && v2.sy < top) || (v0.sy > bottom && v1.sy > bottom && v2.sy > bottom))
    return;
  // Twice the signed area, y down: a face seen counter-clockwise (its front)
  // comes out negative.
  const float area = (v1.sx - v0.sx) * (v2.sy - v0.sy) - (v2.sx - v0.sx) * (v1.sy - v0.sy);
  if (!(std::fabs(area) > 1e-12f))
    return;
  const bool back = area > 0.f;
  if (back && options.discardBackFaces)
    return;
  Triangle t;
  t.x0 = v0.sx;
  t.y0 = v0.sy;
  const float inv = 1.f / area;
  t.a1 = (v2.sy - v0.sy) * inv;
  t.b1 = -(v2.sx - v0.sx) * inv;
  t.a2 = -(v1.sy - v0.sy) * inv;
  t.b2 = (v1.sx - v0.sx) * inv;
  const float d1 = v1.depth - v0.depth, d2 = v2.depth - v0.depth;
  t.z0 = v0.depth;
  t.dzdx = t.a1 * d1 + t.a2 * d2;
  t.dzdy = t.b1 * d1 + t.b2 * d2;
  t.v[0] = i0;
  t.v[1] = i1;
  t.v[2] = i2;
  t.mesh = mesh;
  t.back = back;
  t.farT = std::max(v0.t, std::max(v1.t, v2.t));
  if (scene.materials[scene.meshes[mesh].material].opacity < 1.f)
    m_transparent.push_back(t);
  else
    m_opaque.push_back(t);
}

void Renderer::rasterize(const Triangle& tri, OdUInt32 id)
{
  int x0, x1, y0, y1;
  pixelRange(tri, x0, x1, y0, y1);
  if (x0 > x1 || y0 > y1)
    return;
  // Everything the loops read, in locals: the depth and id stores below
  // could otherwise alias them, and each would be loaded again per pixel.
  const float tx0 = tri.x0, ty0 = tri.y0, a1 = tri.a1, b1 = tri.b1, a2 = tri.a2, b2 = tri.b2;
  const float z0 = tri.z0, dzdx = tri.dzdx, dzdy = tri.dzdy;
  const float a0 = -(a1 + a2), b0 = -(b1 + b2);
  const float lo0 = insideBound(ownsTie(a0, b0)), lo1 = insideBound(ownsTie(a1, b1)), lo2 = insideBound(ownsTie(a2, b2));
  const int S = m_samples;
  const std::size_t width = std::size_t(m_width);
  const int viewLeft = m_viewLeft, viewTop = m_viewTop;
  float* const depthBuffer = m_depth.data();
  OdUInt32* const idBuffer = m_ids.data();
  float off1[4] = {}, off2[4] = {}, offz[4] = {};
  for (int s = 0; s < S; ++s)
  {
    off1[s] = a1 * m_sampleX[s] + b1 * m_sampleY[s];
    off2[s] = a2 * m_sampleX[s] + b2 * m_sampleY[s];
    offz[s] = dzdx * m_sampleX[s] + dzdy * m_sampleY[s];
  }
  // The most any sample adds to each barycentric within its pixel: a pixel
  // whose corner value is below minus this has no sample inside.
  float reach1 = off1[0], reach2 = off2[0], reach0 = -(off1[0] + off2[0]);
  for (int s = 1; s < S; ++s)
  {
    reach1 = std::max(reach1, off1[s]);
    reach2 = std::max(reach2, off2[s]);
    reach0 = std::max(reach0, -(off1[s] + off2[s]));
  }
  const f4 o1 = load4(off1), o2 = load4(off2), oz = load4(offz);
  const f4 bound0 = splat(lo0), bound1 = splat(lo1), bound2 = splat(lo2);
  const i4 idv = splatInt(std::int32_t(id));
  // Rows are narrowed only for triangles more than three pixels wide.
  const bool narrowRows = x1 - x0 > 2;
  // Reciprocals, slightly shrunk toward zero so rounding never narrows a
  // row past a covered pixel.
  float inv1 = 0.f, inv2 = 0.f, inv0 = 0.f;
  if (narrowRows)
  {
    inv1 = a1 != 0.f ? 0.99999f / a1 : 0.f;
    inv2 = a2 != 0.f ? 0.99999f / a2 : 0.f;
    inv0 = a0 != 0.f ? 0.99999f / a0 : 0.f;
  }
  for (int y = y0; y <= y1; ++y)
  {
    const float dy = float(y) - ty0;
    float lo = float(x0), hi = float(x1);
    if (narrowRows)
    {
      // Narrow the row to the pixels each edge lets through: l(x) = a x + c.
      const float c1 = b1 * dy - a1 * tx0, c2 = b2 * dy - a2 * tx0;
      const float c0 = 1.f - c1 - c2;
      auto narrow = [&](float a, float inv, float c, float reach) {
        // a x + c + reach >= 0
        if (a > 0.f)
          lo = std::max(lo, float(floorInt(clampCoord((-reach - c) * inv))));
        else if (a < 0.f)
          hi = std::min(hi, float(ceilInt(clampCoord((-reach - c) * inv))));
        else if (c + reach < 0.f)
          hi = lo - 1.f;
      };
      narrow(a1, inv1, c1, reach1);
      narrow(a2, inv2, c2, reach2);
      narrow(a0, inv0, c0, reach0);
      if (lo > hi)
        continue;
    }
    const int xs = int(lo), xe = int(hi);
    const float dx = float(xs) - tx0;
    float l1 = a1 * dx + b1 * dy;
    float l2 = a2 * dx + b2 * dy;
    float z = z0 + dzdx * dx + dzdy * dy;
    std::size_t cell = (std::size_t(y - viewTop) * width + std::size_t(xs - viewLeft)) * std::size_t(S);
    // Small triangles leave most pixels of their box untouched.
    auto untouched = [&](float l1, float l2) {
      return (l1 + reach1 < 0.f) | (l2 + reach2 < 0.f) | (1.f - l1 - l2 + reach0 < 0.f);
    };
    if (S == 4)
    {
      for (int x = xs; x <= xe; ++x, l1 += a1, l2 += a2, z += dzdx, cell += 4)
      {
        // The four samples side by side; a pixel with none inside is left as
        // it was without a branch (it would mostly go one way).
        const f4 s1 = l1 + o1, s2 = l2 + o2, s0 = 1.f - s1 - s2, sz = z + oz;
        float* depthAt = depthBuffer + cell;
        OdUInt32* idAt = idBuffer + cell;
        const f4 depth = load4(depthAt);
        const i4 hit = (s1 >= bound1) & (s2 >= bound2) & (s0 >= bound0) & (sz < depth) & splatInt(untouched(l1, l2) ? 0 : -1);
        store4(depthAt, select4(hit, sz, depth));
        i4 ids;
        std::memcpy(&ids, idAt, sizeof ids);
        ids = hit ? idv : ids;
        std::memcpy(idAt, &ids, sizeof ids);
      }
      continue;
    }
    for (int x = xs; x <= xe; ++x, l1 += a1, l2 += a2, z += dzdx, cell += std::size_t(S))
    {
      if (untouched(l1, l2))
        continue;
      for (int s = 0; s < S; ++s)
      {
        const float s1 = l1 + off1[s], s2 = l2 + off2[s], s0 = 1.f - s1 - s2;
        const float sz = z + offz[s];
        float& depth = depthBuffer[cell + std::size_t(s)];
        if ((s1 >= lo1) & (s2 >= lo2) & (s0 >= lo0) & (sz < depth))
        {
          depth = sz;
          idBuffer[cell + std::size_t(s)] = id;
        }
      }
    }
  }
}

Vec3 Renderer::shadeAt(const Scene& scene, const ViewSetup& view, const Triangle& tri, float px, float py) const
{
  // Barycentrics at the pixel centre, pulled onto the triangle when the
  // centre lies outside the covered samples, then corrected for perspective.
  const float dx = px - tri.x0, dy = py - tri.y0;
  float l1 = std::max(tri.a1 * dx + tri.b1 * dy, 0.f);
  float l2 = std::max(tri.a2 * dx + tri.b2 * dy, 0.f);
  float l0 = std::max(1.f - (tri.a1 * dx + tri.b1 * dy) - (tri.a2 * dx + tri.b2 * dy), 0.f);
  const Vertex& v0 = m_vertices[tri.v[0]];
  const Vertex& v1 = m_vertices[tri.v[1]];
  const Vertex& v2 = m_vertices[tri.v[2]];
  l0 *= v0.invT;
  l1 *= v1.invT;
  l2 *= v2.invT;
  const float sum = l0 + l1 + l2;
  if (!(sum > 0.f))
    l0 = 1.f, l1 = l2 = 0.f;
  else
    l0 /= sum, l1 /= sum, l2 /= sum;

  ShadePoint point;
  point.position = v0.world * l0 + v1.world * l1 + v2.world * l2;
  Vec3 n = m_flat ? faceNormal(tri) : normalize(v0.normal * l0 + v1.normal * l1 + v2.normal * l2);
  point.normal = tri.back ? -n : n; // a back face seen is lit from its own side
  if (view.perspective)
  {
    point.toEye = normalize(m_cameraWorld - point.position);
    const float t = v0.t * l0 + v1.t * l1 + v2.t * l2;
    point.pixelSize = t / float(view.scale * view.distance);
  }
  else
  {
    point.toEye = -m_viewDirWorld;
    point.pixelSize = 1.f / float(view.scale);
  }
  const SceneMesh& mesh = scene.meshes[tri.mesh];
  return shade(scene.materials[mesh.material], mesh.geometry->frame, m_lighting, point);
}

namespace
{
// The 32 floats of an opaque triangle's shading record.
enum ShadeRecord
{
  kX0, kY0, kA1, kB1,    // screen position of corner 0, barycentric gradients
  kA2, kB2, kFlip, kMesh, // -1 for a back face; the mesh number's bits
  kW0, kW1, kW2, kT0,    // 1 / t at the corners; t at corner 0
  kT1, kT2, kP0 = 14,    // then the corners' positions (3 x 3) and normals (3 x 3)
  kN0 = kP0 + 9,
  kShadeRecord = kN0 + 9
};
static_assert(kShadeRecord == 32, "eight groups of four");

// Four vectors, each one lane from each of a, b, c, d: out[m] = {a[m], b[m], c[m], d[m]}.
inline void transpose(f4 a, f4 b, f4 c, f4 d, f4* out)
{
  const f4 ab01 = __builtin_shuffle(a, b, i4{0, 4, 1, 5}), ab23 = __builtin_shuffle(a, b, i4{2, 6, 3, 7});
  const f4 cd01 = __builtin_shuffle(c, d, i4{0, 4, 1, 5}), cd23 = __builtin_shuffle(c, d, i4{2, 6, 3, 7});
  out[0] = __builtin_shuffle(ab01, cd01, i4{0, 1, 4, 5});
  out[1] = __builtin_shuffle(ab01, cd01, i4{2, 3, 6, 7});
  out[2] = __builtin_shuffle(ab23, cd23, i4{0, 1, 4, 5});
  out[3] = __builtin_shuffle(ab23, cd23, i4{2, 3, 6, 7});
}
} // namespace

Vec3 Renderer::faceNormal(const Triangle& tri) const
{
  const Vertex& v0 = m_vertices[tri.v[0]];
  const Vertex& v1 = m_vertices[tri.v[1]];
  const Vertex& v2 = m_vertices[tri.v[2]];
  const Vec3 n = cross(v1.world - v0.world, v2.world - v0.world);
  const Vec3 smooth = v0.normal + v1.normal + v2.normal;
  // A face too small to give a direction in float keeps the smooth normal.
  if (!(dot(n, n) > 0.f))
    return normalize(smooth);
  return normalize(dot(n, smooth) < 0.f ? -n : n);
}

void Renderer::prepareShading()
{
  m_shadeRecords.resize(m_opaque.size() * kShadeRecord);
  m_surfaces.resize(m_opaque.size());
  for (std::size_t i = 0; i < m_opaque.size(); ++i)
  {
    const Triangle& tri = m_opaque[i];
    // Flat shading: every corner carries the face's normal, so the shading
    // code that interpolates normals gives the face one.
    const Vec3 flat = m_flat ? faceNormal(tri) : Vec3();
    m_surfaces[i].normal = m_flat ? flat : m_vertices[tri.v[0]].normal;
    m_surfaces[i].side = tri.mesh * 2 + (tri.back ? 1 : 0);
    float* r = &m_shadeRecords[i * kShadeRecord];
    r[kX0] = tri.x0, r[kY0] = tri.y0, r[kA1] = tri.a1, r[kB1] = tri.b1, r[kA2] = tri.a2, r[kB2] = tri.b2;
    r[kFlip] = tri.back ? -1.f : 1.f; // a back face seen is lit from its own side
    std::memcpy(&r[kMesh], &tri.mesh, sizeof tri.mesh);
    for (int k = 0; k < 3; ++k)
    {
      const Vertex& v = m_vertices[tri.v[k]];
      const Vec3& normal = m_flat ? flat : v.normal;
      r[kW0 + k] = v.invT;
      r[kT0 + k] = v.t;
      for (int c = 0; c < 3; ++c)
      {
        r[kP0 + 3 * k + c] = (&v.world.x)[c];
        r[kN0 + 3 * k + c] = (&normal.x)[c];
      }
    }
  }
}

bool Renderer::sameSurface(OdUInt32 a, OdUInt32 b) const
{
  if (a == b)
    return true;
  if (a == kEmpty || b == kEmpty)
    return false;
  const Surface& sa = m_surfaces[a];
  const Surface& sb = m_surfaces[b];
  return sa.side == sb.side && dot(sa.normal, sb.normal) > 0.9f;
}

void Renderer::queueShade(OdUInt32 tri, float px, OdUInt32 pixel, float weight)
{
  ShadeQueue& q = m_queue;
  const std::size_t i = q.count++;
  q.tri[i] = tri;
  q.px[i] = px;
  q.pixel[i] = pixel;
  q.weight[i] = weight;
}

void Renderer::shadeRow(const Scene& scene, const ViewSetup& view, float py)
{
  ShadeQueue& q = m_queue;
  const std::size_t n = q.count;
  if (n == 0)
    return;
  // The padding: groups of four may reach three entries past the last.
  for (std::size_t i = n; i < n + 3; ++i)
    q.px[i] = q.px[n - 1], q.tri[i] = q.tri[n - 1];

  // The point under each pixel centre, four pixels at a time from their
  // triangles' records: barycentrics pulled onto the triangle (where the
  // centre of an edge pixel lies outside it), corrected for perspective,
  // then the attributes interpolated.
  const float* records = m_shadeRecords.data();
  const float pixelScale = float(view.perspective ? 1.0 / (view.scale * view.distance) : 1.0 / view.scale);
  const bool perspective = view.perspective;
  for (std::size_t i = 0; i < n; i += 4)
  {
    const float* rec[4] = {records + std::size_t(q.tri[i]) * kShadeRecord, records + std::size_t(q.tri[i + 1]) * kShadeRecord,
                           records + std::size_t(q.tri[i + 2]) * kShadeRecord,
                           records + std::size_t(q.tri[i + 3]) * kShadeRecord};
    // Each quarter of the four records, lane k from pixel k's, is used up
    // before the next is read (the terms summed in the scalar order). Four
    // pixels of one triangle (most, in a large picture) need no transpose.
    const bool oneTriangle = q.tri[i + 1] == q.tri[i] && q.tri[i + 2] == q.tri[i] && q.tri[i + 3] == q.tri[i];
    f4 f[4];
    auto quarter = [&](int g) {
      if (oneTriangle)
        f[0] = splat(rec[0][g]), f[1] = splat(rec[0][g + 1]), f[2] = splat(rec[0][g + 2]), f[3] = splat(rec[0][g + 3]);
      else
        transpose(load4(rec[0] + g), load4(rec[1] + g), load4(rec[2] + g), load4(rec[3] + g), f);
    };
    quarter(kX0);
    const f4 dx = load4(&q.px[i]) - f[0], dy = py - f[1];
    const f4 r1 = f[2] * dx + f[3] * dy;
    quarter(kA2);
    const f4 r2 = f[0] * dx + f[1] * dy;
    const f4 flip = f[2];
    const i4 mesh = (i4)f[3];
    quarter(kW0);
    f4 l0 = maxOf(1.f - r1 - r2, splat(0.f)) * f[0], l1 = maxOf(r1, splat(0.f)) * f[1], l2 = maxOf(r2, splat(0.f)) * f[2];
    const f4 sum = l0 + l1 + l2;
    const i4 none = !(sum > 0.f);
    const f4 inv = 1.f / select4(none, splat(1.f), sum);
    l0 = select4(none, splat(1.f), l0 * inv);
    l1 = select4(none, splat(0.f), l1 * inv);
    l2 = select4(none, splat(0.f), l2 * inv);
    f4 t = f[3] * l0;
    quarter(kT1); // t1 t2 p0x p0y
    // The world size of a pixel there: in perspective it grows with t.
    store4(&q.pixelSize[i], perspective ? (t + f[0] * l1 + f[1] * l2) * pixelScale : splat(pixelScale));
    f4 px = f[2] * l0, py0 = f[3] * l0;
    quarter(kP0 + 2); // p0z p1x p1y p1z
    f4 pz = f[0] * l0;
    px = px + f[1] * l1, py0 = py0 + f[2] * l1, pz = pz + f[3] * l1;
    quarter(kP0 + 6); // p2x p2y p2z n0x
    store4(&q.P[0][i], px + f[0] * l2);
    store4(&q.P[1][i], py0 + f[1] * l2);
    store4(&q.P[2][i], pz + f[2] * l2);
    f4 nx = f[3] * l0;
    quarter(kN0 + 1); // n0y n0z n1x n1y
    f4 ny = f[0] * l0, nz = f[1] * l0;
    nx = nx + f[2] * l1, ny = ny + f[3] * l1;
    quarter(kN0 + 5); // n1z n2x n2y n2z
    nz = nz + f[0] * l1;
    store4(&q.N[0][i], (nx + f[1] * l2) * flip);
    store4(&q.N[1][i], (ny + f[2] * l2) * flip);
    store4(&q.N[2][i], (nz + f[3] * l2) * flip);
    std::memcpy(&q.mesh[i], &mesh, sizeof mesh);
  }

  // Per run of one mesh: the lighting, the base colour (with its map), and
  // the colour (ambient, diffuse, highlight), four pixels at a time. Groups
  // that reach past a run write only scratch entries the next run rewrites.
  const Lighting& L = m_lighting;
  const f4 l0x = splat(L.direction[0].x), l0y = splat(L.direction[0].y), l0z = splat(L.direction[0].z);
  const f4 l1x = splat(L.direction[1].x), l1y = splat(L.direction[1].y), l1z = splat(L.direction[1].z);
  const f4 i0 = splat(L.intensity[0]), i1 = splat(L.intensity[1]);
  const f4 zero = splat(0.f), ambient = splat(L.ambient);
  struct Light
  {
    f4 nx, ny, nz, vx, vy, vz, diffuse, specular;
  };
  auto light = [&](std::size_t i, f4 exponent, f4 cut) {
    Light o;
    f4 nx = load4(&q.N[0][i]), ny = load4(&q.N[1][i]), nz = load4(&q.N[2][i]);
    const f4 ni = rsqrt4(max4(nx * nx + ny * ny + nz * nz, splat(1e-30f)));
    o.nx = nx * ni, o.ny = ny * ni, o.nz = nz * ni;
    if (perspective)
    {
      const f4 vx = m_cameraWorld.x - load4(&q.P[0][i]), vy = m_cameraWorld.y - load4(&q.P[1][i]),
               vz = m_cameraWorld.z - load4(&q.P[2][i]);
      const f4 vi = rsqrt4(max4(vx * vx + vy * vy + vz * vz, splat(1e-30f)));
      o.vx = vx * vi, o.vy = vy * vi, o.vz = vz * vi;
    }
    else
      o.vx = splat(-m_viewDirWorld.x), o.vy = splat(-m_viewDirWorld.y), o.vz = splat(-m_viewDirWorld.z);
    const f4 nl0 = o.nx * l0x + o.ny * l0y + o.nz * l0z, nl1 = o.nx * l1x + o.ny * l1y + o.nz * l1z;
    o.diffuse = i0 * max4(nl0, zero) + i1 * max4(nl1, zero);
    // Blinn-Phong from the key light only; below 1/512 it cannot show.
    const f4 hx = l0x + o.vx, hy = l0y + o.vy, hz = l0z + o.vz;
    const f4 hi = rsqrt4(max4(hx * hx + hy * hy + hz * hz, splat(1e-30f)));
    const f4 nh = (o.nx * hx + o.ny * hy + o.nz * hz) * hi;
    // nh^exponent as 2^(exponent log2 nh). Below 2^-10 the power stays under
    // 1/512 (the polynomial for 2^f is below 2.00002), and below the cut nh
    // is sure to give that: most pixels of a glossy surface need neither
    // logarithm nor exponential.
    const i4 lit = (nl0 > 0.f) & (nh > 0.f);
    if (!any(lit & (nh >= cut)))
      o.specular = zero;
    else
    {
      const f4 x = max4(nh, splat(1e-30f)), y = exponent * log2x4(x);
      if (!any(lit & (y >= -10.f)))
        o.specular = zero;
      else
      {
        const f4 power = select4(x <= 1e-30f, zero, exp2x4(y));
        o.specular = select4(lit & (power > 1.f / 512.f), i0 * power, zero);
      }
    }
    return o;
  };
  // Adds four pixels' (red, green, blue, 0), each by its weight.
  auto add = [&](std::size_t i, std::size_t end, f4 r, f4 g, f4 b) {
    const f4 rg01 = __builtin_shuffle(r, g, i4{0, 4, 1, 5}), b01 = __builtin_shuffle(b, zero, i4{0, 4, 1, 5});
    const f4 rg23 = __builtin_shuffle(r, g, i4{2, 6, 3, 7}), b23 = __builtin_shuffle(b, zero, i4{2, 6, 3, 7});
    const f4 colour[4] = {__builtin_shuffle(rg01, b01, i4{0, 1, 4, 5}), __builtin_shuffle(rg01, b01, i4{2, 3, 6, 7}),
                          __builtin_shuffle(rg23, b23, i4{0, 1, 4, 5}), __builtin_shuffle(rg23, b23, i4{2, 3, 6, 7})};
    const std::size_t count = std::min<std::size_t>(4, end - i);
    for (std::size_t k = 0; k < count; ++k)
    {
      float* out = &m_color[std::size_t(q.pixel[i + k]) * 4];
      store4(out, load4(out) + colour[k] * q.weight[i + k]);
    }
  };
  const ShadeArrays points = {{q.P[0].data(), q.P[1].data(), q.P[2].data()},
                              {q.Nn[0].data(), q.Nn[1].data(), q.Nn[2].data()},
                              {q.V[0].data(), q.V[1].data(), q.V[2].data()},
                              q.pixelSize.data()};
  float* const base[3] = {q.base[0].data(), q.base[1].data(), q.base[2].data()};
  for (std::size_t begin = 0, end; begin < n; begin = end)
  {
    const OdUInt32 meshIndex = q.mesh[begin];
    for (end = begin + 1; end < n && q.mesh[end] == meshIndex;)
      ++end;
    const SceneMesh& mesh = scene.meshes[meshIndex];
    const SurfaceMaterial& material = scene.materials[mesh.material];
    const f4 exponent = splat(material.exponent), cut = splat(highlightCut(material.exponent));
    const Vec3& s = material.specular;
    if (material.map.kind == MapKind::None)
    {
      // The ambient colour takes the ambient light.
      const Vec3& a = material.ambient;
      const Vec3& d = material.diffuse;
      for (std::size_t i = begin; i < end; i += 4)
      {
        const Light o = light(i, exponent, cut);
        const f4 highlight = o.specular * material.specularScale;
        add(i, end, a.x * ambient + d.x * o.diffuse + s.x * highlight, a.y * ambient + d.y * o.diffuse + s.y * highlight,
            a.z * ambient + d.z * o.diffuse + s.z * highlight);
      }
      continue;
    }
    for (std::size_t i = begin; i < end; i += 4)
    {
      const Light o = light(i, exponent, cut);
      store4(&q.Nn[0][i], o.nx), store4(&q.Nn[1][i], o.ny), store4(&q.Nn[2][i], o.nz);
      store4(&q.V[0][i], o.vx), store4(&q.V[1][i], o.vy), store4(&q.V[2][i], o.vz);
      store4(&q.diffuse[i], o.diffuse);
      store4(&q.specular[i], o.specular);
    }
    baseColors(material, mesh.geometry->frame, points, begin, end, m_noise, base);
    for (std::size_t i = begin; i < end; i += 4)
    {
      // A map shows in the shade too: it stands in for the ambient colour.
      const f4 br = load4(&base[0][i]), bg = load4(&base[1][i]), bb = load4(&base[2][i]);
      const f4 diffuse = load4(&q.diffuse[i]), highlight = load4(&q.specular[i]) * material.specularScale;
      add(i, end, br * ambient + br * diffuse + s.x * highlight, bg * ambient + bg * diffuse + s.y * highlight,
          bb * ambient + bb * diffuse + s.z * highlight);
    }
  }
  q.count = 0;
}

void Renderer::resolve(const Scene& scene, const ViewSetup& view, const RenderOptions& options)
{
  const int S = m_samples;
  const float weight = 1.f / float(S);
  ShadeQueue& q = m_queue;
  // A row queues at most one pixel per sample.
  const std::size_t room = std::size_t(m_width) * std::size_t(S) + 4;
  if (q.tri.size() < room)
  {
    for (auto* v : {&q.tri, &q.pixel, &q.mesh})
      v->resize(room);
    for (auto* v : {&q.px, &q.weight, &q.P[0], &q.P[1], &q.P[2], &q.N[0], &q.N[1], &q.N[2], &q.Nn[0], &q.Nn[1], &q.Nn[2],
                    &q.V[0], &q.V[1], &q.V[2], &q.pixelSize, &q.diffuse, &q.specular, &q.base[0], &q.base[1], &q.base[2]})
      v->resize(room);
  }
  q.count = 0;
  m_noise = SolidNoise();
  const f4 background = {options.background.x, options.background.y, options.background.z, 0.f};
  for (int y = 0; y < m_height; ++y)
  {
    for (int x = 0; x < m_width; ++x)
    {
      const std::size_t cell = (std::size_t(y) * std::size_t(m_width) + std::size_t(x)) * std::size_t(S);
      const OdUInt32* ids = &m_ids[cell];
      const OdUInt32 pixel = OdUInt32(std::size_t(y) * std::size_t(m_width) + std::size_t(x));
      float* out = &m_color[std::size_t(pixel) * 4];
      const float px = float(m_viewLeft + x) + 0.5f;
      bool same = true;
      if (S == 4)
      {
        // All four alike: the two halves agree and so do the first two.
        std::uint64_t half[2];
        std::memcpy(half, ids, sizeof half);
        same = half[0] == half[1] && ids[0] == ids[1];
      }
      if (same)
      {
        store4(out, ids[0] == kEmpty ? background : splat(0.f));
        if (ids[0] != kEmpty)
          queueShade(ids[0], px, pixel, 1.f);
        continue;
      }
      // Edge pixel: each surface once, weighted by its samples. Triangles
      // of one mesh whose normals agree are one smooth surface: shading it
      // once, with the first of its triangles, looks the same.
      if (S == 4 && ids[0] != kEmpty)
      {
        // Mostly all four samples are of the first one's surface (inside a
        // mesh every pixel on a triangle edge is an edge pixel).
        bool one = true;
        OdUInt32 tested = ids[0];
        for (int r = 1; r < 4 && one; ++r)
          if (ids[r] != ids[0] && ids[r] != tested)
          {
            tested = ids[r];
            one = sameSurface(ids[0], tested);
          }
        if (one)
        {
          store4(out, splat(0.f));
          queueShade(ids[0], px, pixel, 1.f);
          continue;
        }
      }
      f4 sum = splat(0.f);
      bool done[4] = {false, false, false, false};
      for (int s = 0; s < S; ++s)
      {
        if (done[s])
          continue;
        const OdUInt32 id = ids[s];
        int count = 0;
        for (int r = s; r < S; ++r)
          if (!done[r] && sameSurface(id, ids[r]))
          {
            done[r] = true;
            ++count;
          }
        if (id == kEmpty)
          sum += background * (float(count) * weight);
        else
          queueShade(id, px, pixel, float(count) * weight);
      }
      store4(out, sum);
    }
    shadeRow(scene, view, float(m_viewTop + y) + 0.5f); // a row at a time keeps the queue in cache
  }
}

void Renderer::blendTransparent(const Scene& scene, const ViewSetup& view)
{
  if (m_transparent.empty())
    return;
  // Far to near, each over what lies behind it; they do not hide each other.
  std::stable_sort(m_transparent.begin(), m_transparent.end(),
                   [](const Triangle& a, const Triangle& b) { return a.farT > b.farT; });
  const int S = m_samples;
  for (const Triangle& tri : m_transparent)
  {
    int x0, x1, y0, y1;
    pixelRange(tri, x0, x1, y0, y1);
    const float a0 = -(tri.a1 + tri.a2), b0 = -(tri.b1 + tri.b2);
    const bool tie0 = ownsTie(a0, b0), tie1 = ownsTie(tri.a1, tri.b1), tie2 = ownsTie(tri.a2, tri.b2);
    const float opacity = scene.materials[scene.meshes[tri.mesh].material].opacity;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
      {
        const std::size_t cell = (std::size_t(y - m_viewTop) * std::size_t(m_width) + std::size_t(x - m_viewLeft)) * std::size_t(S);
        int covered = 0;
        for (int s = 0; s < S; ++s)
        {
          const float dx = float(x) + m_sampleX[s] - tri.x0, dy = float(y) + m_sampleY[s] - tri.y0;
          const float s1 = tri.a1 * dx + tri.b1 * dy, s2 = tri.a2 * dx + tri.b2 * dy, s0 = 1.f - s1 - s2;
          if (inside(s1, tie1) && inside(s2, tie2) && inside(s0, tie0) &&
              tri.z0 + tri.dzdx * dx + tri.dzdy * dy < m_depth[cell + std::size_t(s)])
            ++covered;
        }
        if (covered == 0)
          continue;
        const float a = opacity * float(covered) / float(S);
        float* out = &m_color[(std::size_t(y - m_viewTop) * std::size_t(m_width) + std::size_t(x - m_viewLeft)) * 4];
        const Vec3 c = shadeAt(scene, view, tri, float(x) + 0.5f, float(y) + 0.5f);
        store4(out, load4(out) * (1.f - a) + f4{c.x, c.y, c.z, 0.f} * a);
      }
  }
}

void Renderer::write(const ViewSetup& view, OdGiRasterImageRGBA& target) const
{
  const std::size_t stride = std::size_t(target.pixelWidth()) * 4;
  const f4 zero = splat(0.f), one = splat(1.f);
  for (int y = 0; y < m_height; ++y)
  {
    OdUInt8* row = target.data() + std::size_t(view.top + y) * stride + std::size_t(view.left) * 4;
    const float* src = &m_color[std::size_t(y) * std::size_t(m_width) * 4];
    int x = 0;
#ifdef __SSE2__
    // Four pixels at a time: the same clamping and rounding, the sixteen
    // bytes packed with saturation (a NaN, as INT_MIN, becomes 0 as below).
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    for (; x + 4 <= m_width; x += 4, row += 16)
    {
      i4 v[4];
      for (int k = 0; k < 4; ++k)
      {
        f4 c = load4(src + std::size_t(x + k) * 4);
        c = c < zero ? zero : c;
        c = c > one ? one : c;
        v[k] = __builtin_convertvector(c * 255.f + 0.5f, i4);
      }
      const __m128i lo = _mm_packs_epi32((__m128i)v[0], (__m128i)v[1]), hi = _mm_packs_epi32((__m128i)v[2], (__m128i)v[3]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm_or_si128(_mm_packus_epi16(lo, hi), alpha));
    }
#endif
    for (; x < m_width; ++x, row += 4)
    {
      // Clamp to 0..1, round to 8 bits; alpha opaque.
      f4 c = load4(src + std::size_t(x) * 4);
      c = c < zero ? zero : c;
      c = c > one ? one : c;
      const i4 v = __builtin_convertvector(c * 255.f + 0.5f, i4);
      row[0] = OdUInt8(v[0]);
      row[1] = OdUInt8(v[1]);
      row[2] = OdUInt8(v[2]);
      row[3] = 255;
    }
  }
}

bool Renderer::FrameKey::operator==(const FrameKey& o) const
{
  return std::equal(viewing, viewing + 16, o.viewing) && std::equal(numbers, numbers + 5, o.numbers) &&
         std::equal(rect, rect + 4, o.rect) && std::equal(flags, flags + 3, o.flags) && meshes == o.meshes;
}

OdUInt32 Renderer::render(const Scene& scene, const ViewSetup& view, const RenderOptions& options, OdGiRasterImageRGBA& target)
{
  m_viewLeft = std::max(view.left, 0);
  m_viewTop = std::max(view.top, 0);
  m_width = std::min(view.right, int(target.pixelWidth())) - m_viewLeft;
  m_height = std::min(view.bottom, int(target.pixelHeight())) - m_viewTop;
  if (m_width <= 0 || m_height <= 0)
    return 0;
  ViewSetup clipped = view;
  clipped.left = m_viewLeft;
  clipped.top = m_viewTop;

  if (options.antialias)
  {
    // Rotated grid: four distinct rows and columns.
    const float sx[4] = {0.375f, 0.875f, 0.125f, 0.625f}, sy[4] = {0.125f, 0.375f, 0.625f, 0.875f};
    m_samples = 4;
    std::copy(sx, sx + 4, m_sampleX);
    std::copy(sy, sy + 4, m_sampleY);
    m_sampleLo = 0.125f;
    m_sampleHi = 0.875f;
  }
  else
  {
    m_samples = 1;
    m_sampleX[0] = m_sampleY[0] = 0.5f;
    m_sampleLo = m_sampleHi = 0.5f;
  }

  // Lights fixed to the camera: a key light from the upper left in front
  // and a dim fill from the lower right.
  const OdGeMatrix3d eyeToWorld = view.viewing.inverse();
  const OdGeVector3d keyLight = OdGeVector3d(-0.45, 0.55, 0.70).normal(), fill = OdGeVector3d(0.6, -0.35, 0.45).normal();
  m_lighting.direction[0] = normalize(Vec3(eyeToWorld * keyLight));
  m_lighting.direction[1] = normalize(Vec3(eyeToWorld * fill));
  m_lighting.intensity[0] = 0.85f;
  m_lighting.intensity[1] = 0.25f;
  m_lighting.ambient = 0.15f;
  m_cameraWorld = Vec3(eyeToWorld * OdGePoint3d(0.0, 0.0, view.distance));
  m_viewDirWorld = normalize(Vec3(eyeToWorld * OdGeVector3d(0.0, 0.0, -1.0)));

  FrameKey key;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      key.viewing[r * 4 + c] = view.viewing.entry[r][c];
  const double numbers[5] = {view.distance, view.scale, view.centerX, view.centerY, view.perspective ? 1.0 : 0.0};
  std::copy(numbers, numbers + 5, key.numbers);
  const int rect[4] = {m_viewLeft, m_viewTop, m_width, m_height};
  std::copy(rect, rect + 4, key.rect);
  key.flags[0] = options.discardBackFaces;
  key.flags[1] = options.antialias;
  key.flags[2] = options.flatShading;
  m_flat = options.flatShading;
  bool known = true;
  for (const SceneMesh& mesh : scene.meshes)
  {
    key.meshes.emplace_back(mesh.geometryId, !(scene.materials[mesh.material].opacity < 1.f));
    known = known && mesh.geometryId != 0;
  }
  const std::size_t cells = std::size_t(m_width) * std::size_t(m_height);
  if (!(known && m_haveKey && key == m_lastKey))
  {
    transform(scene, clipped);
    setupTriangles(scene, clipped, options);
    m_depth.assign(cells * std::size_t(m_samples), std::numeric_limits<float>::max());
    m_ids.assign(cells * std::size_t(m_samples), kEmpty);
    for (OdUInt32 i = 0; i < m_opaque.size(); ++i)
      rasterize(m_opaque[i], i);
    prepareShading();
    m_lastKey = std::move(key);
    m_haveKey = known;
  }
  m_color.resize(cells * 4);
  resolve(scene, clipped, options);
  blendTransparent(scene, clipped);
  write(clipped, target);
  return OdUInt32(m_opaque.size() + m_transparent.size());
}
} // namespace OdGsRender
