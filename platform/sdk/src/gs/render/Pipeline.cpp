#include "Shading.h"

namespace OdGsRender::OD_RENDER_ISA
{
class Pipeline final : public RenderPath
{
public:
  OdUInt32 render(const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                  OdGiRasterImageRGBA& target) override;

  static constexpr int kSamples = 4; // per pixel in the buffers; without antialiasing all four sit at the centre

private:
  struct Vertex
  {
    Vec3 world, normal;
    float x = 0.f, y = 0.f, t = 0.f; // eye x and y; distance along the view direction
    std::int32_t sx = 0, sy = 0;     // pixel position in 1/256 pixel (far outside the viewport: clamped)
    float w = 1.f;                   // 1 / t in perspective, else 1
    float depth = 0.f;
  };
  // What the rasterizer reads of a triangle: edge functions a x + b y + c
  // of positions in 1/256 pixel, not negative inside (see setupTriangle),
  // its pixels and depth plane.
  struct Coverage
  {
    std::int64_t a[3], b[3], c[3];
    int x0, x1, y0, y1;
    bool small;              // at most 96 pixels across: 32 bits hold its edge functions
    float ox, oy, z, zx, zy; // depth at (ox, oy) and its change per pixel
  };
  // What shading reads of a triangle: attributes divided by t are linear
  // across the screen, so each is a plane: its value at (ox, oy) and its
  // change per pixel right and down. Two groups of four: the position and
  // 1 / t, then the normal and the depth.
  struct Surface
  {
    // Attribute k in element k % 4 of group k / 4 (the depth is not
    // shaded): at (ox, oy), along x, along y; then (ox, oy, 0, 0).
    static constexpr int kPosition = 0, kW = 3, kNormal = 4, kDepth = 7, kAttributes = 7;
    static constexpr int kAt = 0, kAlongX = 2, kAlongY = 4, kOrigin = 6, kGroups = 7;
    rgba plane[kGroups];
    OdUInt32 mesh;
  };
  // What tells a triangle's smooth surface (resolving reads it for many
  // pixels, so it is kept small).
  struct Side
  {
    Vec3 normal;   // of the face, unit
    OdUInt32 side; // 2 mesh, + 1 where seen from behind
    float reach;   // the most its depth changes over a pixel
  };
  // A transparent triangle's part of one pixel.
  struct Fragment
  {
    OdUInt32 pixel, triangle;
    float depth;
    unsigned mask; // its samples in front of the opaque ones
  };
  // The surfaces the pixels of a band of rows show: opaque ones from the
  // samples, then transparent ones far to near. Arrays, so that shading
  // reads and writes kLanes pieces at once.
  struct Pieces
  {
    std::vector<OdUInt32> triangle;
    std::vector<OdUInt8> mask;      // its samples
    std::vector<float> x, y;        // where it is shaded: the centre of its samples, in device pixels
    std::vector<rgba> color;        // linear, once shaded
    std::vector<OdUInt32> pixelEnd; // per pixel of the band: the end of its pieces
    std::vector<OdUInt8> flags;     // per pixel: its samples of no opaque surface, or that one opaque piece covers it
  };

  void transform(const Scene& scene, const ViewSetup& view);
  void project(Vertex& v, const ViewSetup& view) const;
  // Transforms, clips and rasterizes: the visibility buffer and the
  // transparent fragments.
  void findVisible(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void setupTriangles(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void setupTriangle(OdUInt32 mesh, const Vertex* const v[3], const RenderOptions& options);
  template <class Write>
  void rasterize(const Coverage& tri, Write write) const;
  template <class Int, class Write>
  void rasterizeIn(const Coverage& tri, Write write) const;
  bool sameSurface(OdUInt32 a, OdUInt32 b) const;
  void resolveBand(int y0, int y1, const Scene& scene, const ViewSetup& view);
  void shadePieces(std::size_t count, const Scene& scene, const ViewSetup& view);

  // Frame state, kept between frames to reuse the memory.
  std::vector<Vertex> m_vertices;
  std::vector<OdUInt32> m_meshBase;
  std::vector<Coverage> m_coverage; // opaque triangles, then transparent ones
  std::vector<Surface> m_surfaces;  // the same triangles
  std::vector<Side> m_sides;        // and again
  std::size_t m_opaqueCount = 0;
  std::vector<float> m_depth;            // per sample
  std::vector<OdUInt32> m_ids;           // per sample: opaque triangle or kNone
  std::vector<Fragment> m_sorting;       // transparent, as rasterized
  std::vector<Fragment> m_fragments;     // the same by pixel, each pixel's far to near
  std::vector<OdUInt32> m_fragmentStart; // per pixel and one more: where its fragments start
  Pieces m_pieces;
  std::vector<float> m_band; // the band's pixels, linear red, green, blue, unused
  int m_viewLeft = 0, m_viewTop = 0, m_width = 0, m_height = 0;
  float m_sampleX[kSamples] = {}, m_sampleY[kSamples] = {};
  std::int64_t m_sampleGrid[2][kSamples] = {};                            // the same in 1/256 pixel
  float m_centroidX[1 << kSamples] = {}, m_centroidY[1 << kSamples] = {}; // of the samples in a mask
  Vec3 m_background;                                                      // linear
  float m_near = 1.f, m_far = 2.f;
  std::vector<double> m_lastFrame; // what decided the visibility buffer, when it can be told again
  Lighting m_lighting;
  Vec3 m_cameraWorld;  // perspective: camera position
  Vec3 m_viewDirWorld; // toward the scene
};

namespace
{
static_assert(Pipeline::kSamples == 4, "the rasterizer's sample masks are four wide");
constexpr OdUInt32 kNone = 0xFFFFFFFFu;
// One value per sample of a pixel.
typedef float SampleFloats __attribute__((vector_size(4 * Pipeline::kSamples)));
typedef std::int32_t SampleMask __attribute__((vector_size(4 * Pipeline::kSamples)));
constexpr unsigned kAllSamples = (1u << Pipeline::kSamples) - 1;
constexpr unsigned kWhole = 1u << Pipeline::kSamples; // a pixel of one opaque piece over all samples
// Edge functions at the samples: 32 bits hold them for small triangles, 64
// for any.
template <class Int>
struct SampleEdges
{
  typedef Int type __attribute__((vector_size(sizeof(Int) * Pipeline::kSamples)));
};

// Triangles are clipped this far outside the viewport: every pixel position
// then stays within 2^15 of the origin (a device is at most 16384 wide),
// which the exact edge functions rely on.
constexpr double kGuard = 8192.0;

// The lanes of the samples whose value is not negative.
inline SampleMask notNegative(const SampleEdges<std::int32_t>::type& v) { return ~(v >> 31); }
inline SampleMask notNegative(const SampleEdges<std::int64_t>::type& v)
{
  return __builtin_convertvector(v >= 0, SampleMask);
}
inline bool anySample(SampleMask mask)
{
#ifdef __SSE__
  return _mm_movemask_ps((__m128)mask) != 0;
#else
  return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
#endif
}

// floor and ceil without the library call (no SSE4.1 assumed), for
// values kept within int's range.
inline int floorInt(double v)
{
  const int i = int(v);
  return i - (v < double(i) ? 1 : 0);
}
inline int ceilInt(double v) { return -floorInt(-v); }

} // namespace

void Pipeline::project(Vertex& v, const ViewSetup& view) const
{
  // Positions are snapped to 1/256 pixel: see setupTriangle.
  auto snap = [](double p) { return std::int32_t(floorInt(std::min(std::max(p * 256.0, -1e9), 1e9) + 0.5)); };
  const double f = view.perspective ? view.distance / v.t : 1.0;
  v.sx = snap(view.centerX + view.scale * v.x * f);
  v.sy = snap(view.centerY - view.scale * v.y * f);
  // In perspective 1/t is linear across the screen, so this depth is too.
  v.w = view.perspective ? 1.f / v.t : 1.f;
  v.depth = view.perspective ? (1.f / m_near - v.w) / (1.f / m_near - 1.f / m_far) : (v.t - m_near) / (m_far - m_near);
}

void Pipeline::transform(const Scene& scene, const ViewSetup& view)
{
  m_vertices.clear();
  m_meshBase.clear();
  float tMin = std::numeric_limits<float>::max(), tMax = -std::numeric_limits<float>::max();
  const double(*m)[4] = view.viewing.entry; // rigid: the last row leaves w at 1
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
      v.x = float(m[0][0] * x + m[0][1] * y + m[0][2] * z + m[0][3]);
      v.y = float(m[1][0] * x + m[1][1] * y + m[1][2] * z + m[1][3]);
      const double ez = m[2][0] * x + m[2][1] * y + m[2][2] * z + m[2][3];
      v.t = float(view.perspective ? view.distance - ez : -ez);
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
    const float nearLimit = std::max(float(view.distance) * 1e-3f, tMax * 1e-5f);
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

void Pipeline::setupTriangles(const Scene& scene, const ViewSetup& view, const RenderOptions& options)
{
  // Clip planes as a x + b y + c t + d >= 0 in eye coordinates: the near
  // plane, then the guard band's four sides (in perspective a pixel column
  // is a plane through the camera).
  const double s = view.perspective ? view.scale * view.distance : view.scale;
  const double left = m_viewLeft - kGuard, right = m_viewLeft + m_width + kGuard;
  const double top = m_viewTop - kGuard, bottom = m_viewTop + m_height + kGuard;
  const double p = view.perspective ? 1.0 : 0.0;
  const double planes[5][4] = {{0, 0, 1, -m_near},
                               {s, 0, p * (view.centerX - left), (1 - p) * (view.centerX - left)},
                               {-s, 0, p * (right - view.centerX), (1 - p) * (right - view.centerX)},
                               {0, -s, p * (view.centerY - top), (1 - p) * (view.centerY - top)},
                               {0, s, p * (bottom - view.centerY), (1 - p) * (bottom - view.centerY)}};
  auto distance = [&](const Vertex& v, int k) {
    return planes[k][0] * v.x + planes[k][1] * v.y + planes[k][2] * v.t + planes[k][3];
  };
  auto outside = [&](const Vertex& v) {
    unsigned code = 0;
    for (int k = 0; k < 5; ++k)
      code |= distance(v, k) < 0.0 ? 1u << k : 0u;
    return code;
  };
  std::vector<unsigned> codes(m_vertices.size());
  for (std::size_t i = 0; i < m_vertices.size(); ++i)
    codes[i] = outside(m_vertices[i]);

  // Opaque meshes first, then transparent ones.
  m_coverage.clear();
  m_surfaces.clear();
  m_sides.clear();
  m_opaqueCount = 0;
  for (OdUInt32 k = 0, count = OdUInt32(scene.meshes.size()); k < 2 * count; ++k)
  {
    const OdUInt32 mesh = k % count;
    const bool transparent = scene.materials[scene.meshes[mesh].material].opacity < 1.f;
    if (k == count)
      m_opaqueCount = m_coverage.size();
    if (transparent != (k >= count))
      continue;
    const std::vector<OdUInt32>& indices = scene.meshes[mesh].geometry->indices;
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
    {
      const OdUInt32 idx[3] = {m_meshBase[mesh] + indices[i], m_meshBase[mesh] + indices[i + 1],
                               m_meshBase[mesh] + indices[i + 2]};
      const unsigned any = codes[idx[0]] | codes[idx[1]] | codes[idx[2]];
      if (codes[idx[0]] & codes[idx[1]] & codes[idx[2]])
        continue; // wholly outside one plane
      const Vertex* corners[3] = {&m_vertices[idx[0]], &m_vertices[idx[1]], &m_vertices[idx[2]]};
      if (!any)
      {
        setupTriangle(mesh, corners, options);
        continue;
      }
      // Sutherland-Hodgman against the planes crossed; the polygon keeps
      // the corners' order, so the winding survives. A point on an edge is
      // found from the edge's inside end, so both triangles sharing the
      // edge find the same point.
      Vertex polygon[8] = {*corners[0], *corners[1], *corners[2]}, clipped[8];
      int n = 3;
      for (int k = 0; k < 5 && n > 0; ++k)
      {
        if (!(any & (1u << k)))
          continue;
        int m = 0;
        for (int j = 0; j < n; ++j)
        {
          const Vertex &a = polygon[j], &b = polygon[(j + 1) % n];
          const double da = distance(a, k), db = distance(b, k);
          if (da >= 0.0)
            clipped[m++] = a;
          if ((da >= 0.0) != (db >= 0.0) && m < 8)
          {
            const Vertex &in = da >= 0.0 ? a : b, &out = da >= 0.0 ? b : a;
            const float f = float(distance(in, k) / (distance(in, k) - distance(out, k)));
            Vertex v;
            v.world = in.world + (out.world - in.world) * f;
            v.normal = normalize(in.normal + (out.normal - in.normal) * f);
            v.x = in.x + (out.x - in.x) * f;
            v.y = in.y + (out.y - in.y) * f;
            v.t = std::max(in.t + (out.t - in.t) * f, m_near);
            project(v, view);
            clipped[m++] = v;
          }
        }
        std::copy(clipped, clipped + m, polygon);
        n = m;
      }
      for (int k = 1; k + 1 < n; ++k)
      {
        const Vertex* fan[3] = {&polygon[0], &polygon[k], &polygon[k + 1]};
        setupTriangle(mesh, fan, options);
      }
    }
  }
}

void Pipeline::setupTriangle(OdUInt32 mesh, const Vertex* const v[3], const RenderOptions& options)
{
  // Exact coverage: positions are whole 1/256 pixels below 2^23 of them
  // (the guard band), so the edge functions are integers below 2^50. Two
  // triangles sharing an edge get edge functions that are exactly each
  // other's negation, and a sample on the edge goes to exactly one of them
  // (the tie rule): no gaps, and no sample blended twice. Within a pixel of
  // a triangle at most 96 pixels across, (p - a) x (b - a) stays below
  // 2 (98 * 256)^2 < 2^31: 32 bits hold it.
  const std::int64_t x[3] = {v[0]->sx, v[1]->sx, v[2]->sx}, y[3] = {v[0]->sy, v[1]->sy, v[2]->sy};
  // Twice the signed area, y down: a face seen counter-clockwise (its
  // front) comes out negative.
  const std::int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (area == 0 || (area > 0 && options.discardBackFaces))
    return;
  Coverage c;
  // Pixels whose samples (within 1/8 and 7/8 of the pixel) may be inside;
  // >> 8 divides by 256 rounding down.
  const std::int32_t minX = std::min({v[0]->sx, v[1]->sx, v[2]->sx}), maxX = std::max({v[0]->sx, v[1]->sx, v[2]->sx});
  const std::int32_t minY = std::min({v[0]->sy, v[1]->sy, v[2]->sy}), maxY = std::max({v[0]->sy, v[1]->sy, v[2]->sy});
  c.x0 = std::max(m_viewLeft, -((224 - minX) >> 8));
  c.x1 = std::min(m_viewLeft + m_width - 1, (maxX - 32) >> 8);
  c.y0 = std::max(m_viewTop, -((224 - minY) >> 8));
  c.y1 = std::min(m_viewTop + m_height - 1, (maxY - 32) >> 8);
  if (c.x0 > c.x1 || c.y0 > c.y1)
    return;
  c.small = maxX - minX <= 96 * 256 && maxY - minY <= 96 * 256;
  const std::int64_t inward = area < 0 ? 1 : -1;
  for (int k = 0; k < 3; ++k)
  {
    // Edge k, from corner k + 1 to k + 2: (p - a) x (b - a), positive inside.
    const int a = (k + 1) % 3, b = (k + 2) % 3;
    c.a[k] = inward * (y[b] - y[a]);
    c.b[k] = -inward * (x[b] - x[a]);
    c.c[k] = inward * (y[a] * (x[b] - x[a]) - x[a] * (y[b] - y[a]));
    // Tie rule: a sample exactly on the edge belongs to the triangle whose
    // inside lies to the right of it (or below, for a level edge).
    if (!(c.a[k] > 0 || (c.a[k] == 0 && c.b[k] > 0)))
      c.c[k] -= 1;
  }
  // The planes: each value's change per pixel right and down, from its
  // differences along two edges (Cramer's rule). Attributes divided by t at
  // the corners: the position and 1 / t, the normal (a back face seen is
  // lit from its own side) and the depth.
  const float e1x = float(x[1] - x[0]) / 256.f, e1y = float(y[1] - y[0]) / 256.f;
  const float e2x = float(x[2] - x[0]) / 256.f, e2y = float(y[2] - y[0]) / 256.f;
  const float inverse = float(65536.0 / double(area));
  const float xFrom1 = e2y * inverse, xFrom2 = -e1y * inverse, yFrom1 = -e2x * inverse, yFrom2 = e1x * inverse;
  const bool back = area > 0;
  // Flat shading gives every corner the face's normal, turned to the side
  // its corners' normals face (a face too small for a direction in float
  // keeps them).
  const Vec3 face = normalize(cross(v[1]->world - v[0]->world, v[2]->world - v[0]->world));
  const bool flat = options.flatShading && dot(face, face) > 0.f;
  const Vec3 flatNormal = dot(face, v[0]->normal + v[1]->normal + v[2]->normal) < 0.f ? -face : face;
  Surface s;
  rgba corner[3][2];
  for (int k = 0; k < 3; ++k)
  {
    const Vertex& u = *v[k];
    const Vec3& n = flat ? flatNormal : u.normal;
    const float side = back ? -u.w : u.w;
    corner[k][0] = rgba{u.world.x, u.world.y, u.world.z, 1.f} * u.w;
    corner[k][1] = rgba{n.x * side, n.y * side, n.z * side, u.depth};
  }
  for (int g = 0; g < 2; ++g)
  {
    const rgba d1 = corner[1][g] - corner[0][g], d2 = corner[2][g] - corner[0][g];
    s.plane[Surface::kAt + g] = corner[0][g];
    s.plane[Surface::kAlongX + g] = d1 * xFrom1 + d2 * xFrom2;
    s.plane[Surface::kAlongY + g] = d1 * yFrom1 + d2 * yFrom2;
  }
  c.ox = float(x[0]) / 256.f;
  c.oy = float(y[0]) / 256.f;
  s.plane[Surface::kOrigin] = rgba{c.ox, c.oy, 0.f, 0.f};
  c.z = s.plane[Surface::kAt + 1][3], c.zx = s.plane[Surface::kAlongX + 1][3], c.zy = s.plane[Surface::kAlongY + 1][3];
  s.mesh = mesh;
  m_coverage.push_back(c);
  m_surfaces.push_back(s);
  m_sides.push_back({face, mesh * 2 + (back ? 1 : 0), std::fabs(c.zx) + std::fabs(c.zy)});
}

template <class Write>
void Pipeline::rasterize(const Coverage& triangle, Write write) const
{
  if (triangle.small)
    rasterizeIn<std::int32_t>(triangle, write);
  else
    rasterizeIn<std::int64_t>(triangle, write);
}

template <class Int, class Write>
void Pipeline::rasterizeIn(const Coverage& triangle, Write write) const
{
  typedef typename SampleEdges<Int>::type Edges;
  const Coverage t = triangle; // a copy: the writes cannot change it, so it stays in registers
  // Each edge function at the samples differs from its value at the pixel
  // corner by fixed offsets; along a row it grows by a per 1/256 pixel.
  const Edges gridX = {Int(m_sampleGrid[0][0]), Int(m_sampleGrid[0][1]), Int(m_sampleGrid[0][2]),
                       Int(m_sampleGrid[0][3])};
  const Edges gridY = {Int(m_sampleGrid[1][0]), Int(m_sampleGrid[1][1]), Int(m_sampleGrid[1][2]),
                       Int(m_sampleGrid[1][3])};
  Edges offset[3];
  SampleFloats zOffset;
  Int step[3], reach[3]; // the most any sample adds
  double inverse[3];     // 1 / (256 a), to find where a row enters and leaves
  std::int64_t row[3];   // at the first pixel of the row
  for (int k = 0; k < 3; ++k)
  {
    offset[k] = Int(t.a[k]) * gridX + Int(t.b[k]) * gridY;
    step[k] = Int(256 * t.a[k]);
    row[k] = t.a[k] * (256 * t.x0) + t.b[k] * (256 * t.y0) + t.c[k];
  }
  for (int s = 0; s < kSamples; ++s)
    zOffset[s] = t.zx * m_sampleX[s] + t.zy * m_sampleY[s];
  // Rows are narrowed only where there is much to skip.
  const bool narrow = t.x1 - t.x0 > 4;
  if (narrow)
    for (int k = 0; k < 3; ++k)
    {
      reach[k] = std::max({offset[k][0], offset[k][1], offset[k][2], offset[k][3]});
      inverse[k] = t.a[k] ? 1.0 / (256.0 * double(t.a[k])) : 0.0;
    }
  for (int y = t.y0; y <= t.y1; ++y, row[0] += 256 * t.b[0], row[1] += 256 * t.b[1], row[2] += 256 * t.b[2])
  {
    // The row's pixels that may have a sample inside every edge: where
    // e + reach + 256 a (x - x0) >= 0, a pixel wider for rounding.
    int x0 = t.x0, x1 = t.x1;
    for (int k = 0; k < 3 && narrow; ++k)
    {
      const double start = double(row[k] + reach[k]);
      const double cross = std::min(std::max(-start * inverse[k], -1e6), 1e6);
      if (t.a[k] > 0)
        x0 = std::max(x0, t.x0 + ceilInt(cross) - 1);
      else if (t.a[k] < 0)
        x1 = std::min(x1, t.x0 + floorInt(cross) + 1);
      else if (start < 0)
        x1 = x0 - 1;
    }
    Edges e[3];
    for (int k = 0; k < 3; ++k)
      e[k] = Int(row[k] + (x0 - t.x0) * std::int64_t(step[k])) + offset[k];
    const float z = t.z + t.zx * (float(x0) - t.ox) + t.zy * (float(y) - t.oy);
    std::size_t pixel = std::size_t(y - m_viewTop) * std::size_t(m_width) + std::size_t(x0 - m_viewLeft);
    for (int x = x0; x <= x1; ++x, ++pixel)
    {
      // Inside where no edge function is negative: the sign bits of the
      // three, or-ed.
      const SampleMask inside = notNegative(e[0] | e[1] | e[2]);
      e[0] += step[0], e[1] += step[1], e[2] += step[2];
      if (anySample(inside))
        write(pixel, inside, z + t.zx * float(x - x0) + zOffset);
    }
  }
}

bool Pipeline::sameSurface(OdUInt32 a, OdUInt32 b) const
{
  if (a == b)
    return true;
  if (a == kNone || b == kNone)
    return false;
  const Side &sa = m_sides[a], &sb = m_sides[b];
  return sa.side == sb.side && dot(sa.normal, sb.normal) > 0.9f;
}

void Pipeline::resolveBand(int y0, int y1, const Scene& scene, const ViewSetup& view)
{
  // The pieces of each pixel: the opaque surfaces of its samples (the
  // triangles of one smooth surface together, since they shade alike), then
  // the transparent fragments, far to near. Samples of no surface show the
  // background.
  Pieces& p = m_pieces;
  const std::size_t pixels = std::size_t(y1 - y0) * std::size_t(m_width);
  const std::size_t room =
    pixels * kSamples + (m_fragments.empty() ? 0
                                             : m_fragmentStart[std::size_t(y1) * std::size_t(m_width)] -
                                                 m_fragmentStart[std::size_t(y0) * std::size_t(m_width)]);
  // The arrays only grow: no band pays for filling them again.
  auto atLeast = [](auto& v, std::size_t size) {
    if (v.size() < size)
      v.resize(size);
  };
  for (auto* v : {&p.x, &p.y})
    atLeast(*v, room + kLanes);
  atLeast(p.color, room + kLanes);
  atLeast(p.triangle, room + kLanes);
  atLeast(p.mask, room + kLanes);
  atLeast(p.pixelEnd, pixels);
  atLeast(p.flags, pixels);
  atLeast(m_band, pixels * 4 + kLanes);
  std::size_t count = 0;
  auto add = [&](OdUInt32 triangle, unsigned mask, float x, float y) {
    p.triangle[count] = triangle;
    p.mask[count] = OdUInt8(mask);
    p.x[count] = x + m_centroidX[mask];
    p.y[count] = y + m_centroidY[mask];
    ++count;
  };
  auto reach = [this](OdUInt32 triangle) { return m_sides[triangle].reach; };
  const bool clear = !m_fragments.empty();
  const std::size_t first = std::size_t(y0) * std::size_t(m_width);
  const OdUInt32* ids = &m_ids[first * kSamples];
  const float* depth = &m_depth[first * kSamples];
  const float rowEnd = float(m_viewLeft + m_width);
  float x = float(m_viewLeft), y = float(m_viewTop + y0);
  for (std::size_t at = 0; at < pixels;
       ++at, ids += kSamples, depth += kSamples, x = x + 1.f < rowEnd ? x + 1.f : (++y, float(m_viewLeft)))
  {
    unsigned flags = 0; // the samples of no opaque surface, or kWhole
    if (ids[0] == ids[1] && ids[0] == ids[2] && ids[0] == ids[3])
    {
      if (ids[0] == kNone)
        flags = kAllSamples;
      else
        add(ids[0], kAllSamples, x, y), flags = kWhole;
    }
    else
      for (unsigned left = kAllSamples; left;)
      {
        // Samples of the same surface lie within a pixel's step in depth.
        const int lead = __builtin_ctz(left);
        const OdUInt32 id = ids[lead];
        unsigned mask = 1u << lead;
        OdUInt32 other = id;
        bool same = true;
        for (int s = lead + 1; s < kSamples; ++s)
        {
          if (!(left >> s & 1))
            continue;
          if (ids[s] != other)
            other = ids[s], same = sameSurface(id, other);
          if (ids[s] == id || (same && std::fabs(depth[s] - depth[lead]) <= reach(id)))
            mask |= 1u << s;
        }
        left &= ~mask;
        if (id == kNone)
          flags = mask;
        else
          add(id, mask, x, y);
      }
    const std::size_t opaque = count;
    float lastDepth = 0.f;
    for (OdUInt32 f = clear ? m_fragmentStart[first + at] : 0, end = clear ? m_fragmentStart[first + at + 1] : 0;
         f < end; ++f)
    {
      const Fragment& fragment = m_fragments[f];
      const std::size_t last = count - 1;
      flags &= ~kWhole;
      if (count > opaque && !(p.mask[last] & fragment.mask) && sameSurface(p.triangle[last], fragment.triangle) &&
          std::fabs(lastDepth - fragment.depth) <= reach(p.triangle[last]))
        --count, add(p.triangle[last], p.mask[last] | fragment.mask, x, y);
      else
        add(fragment.triangle, fragment.mask, x, y), lastDepth = fragment.depth;
    }
    p.pixelEnd[at] = OdUInt32(count);
    p.flags[at] = OdUInt8(flags);
  }
  shadePieces(count, scene, view);

  // Each sample takes its opaque surface's colour (or the background), then
  // each transparent one's over it; the pixel is their mean.
  const rgba background{m_background.x, m_background.y, m_background.z, 0.f};
  auto color = [&p](std::size_t i) { return p.color[i]; };
  for (std::size_t pixel = 0, begin = 0; pixel < pixels; begin = p.pixelEnd[pixel], ++pixel)
  {
    rgba out;
    if (p.flags[pixel] == kWhole)
      out = color(begin);
    else
    {
      rgba sample[kSamples];
      for (int s = 0; s < kSamples; ++s)
        sample[s] = background;
      for (std::size_t i = begin; i < p.pixelEnd[pixel]; ++i)
      {
        const bool transparent = p.triangle[i] >= m_opaqueCount;
        const float opacity =
          transparent ? scene.materials[scene.meshes[m_surfaces[p.triangle[i]].mesh].material].opacity : 1.f;
        for (int s = 0; s < kSamples; ++s)
          if (p.mask[i] >> s & 1)
            sample[s] += (color(i) - sample[s]) * opacity;
      }
      out = (sample[0] + sample[1] + sample[2] + sample[3]) * (1.f / kSamples);
    }
    std::memcpy(&m_band[pixel * 4], &out, sizeof out);
  }
}

void Pipeline::shadePieces(std::size_t count, const Scene& scene, const ViewSetup& view)
{
  // kLanes pieces at a time, all of one mesh (one material's shader).
  const Pieces& p = m_pieces;
  const bool oneMesh = scene.meshes.size() == 1;
  for (std::size_t begin = 0, end; begin < count; begin = end)
  {
    const OdUInt32 mesh = m_surfaces[p.triangle[begin]].mesh;
    for (end = begin + 1;
         end < count && end - begin < std::size_t(kLanes) &&
         (oneMesh || p.triangle[end] == p.triangle[end - 1] || m_surfaces[p.triangle[end]].mesh == mesh);)
      ++end;
    // The planes at each piece's point (the centre of its samples, which
    // lies on its triangle): each lane's triangle's, side by side. Lanes
    // past the end repeat the last piece.
    vfloat plane[Surface::kGroups][4];
    for (int g = 0; g < Surface::kGroups; ++g)
    {
      const rgba* rows[kLanes];
      for (int k = 0; k < kLanes; ++k)
        rows[k] = &m_surfaces[p.triangle[std::min(begin + std::size_t(k), end - 1)]].plane[g];
      transpose(rows, plane[g]);
    }
    const vfloat dx = load(&p.x[begin]) - plane[Surface::kOrigin][0],
                 dy = load(&p.y[begin]) - plane[Surface::kOrigin][1];
    auto attribute = [&plane](int group, int k) -> vfloat& { return plane[group + k / 4][k % 4]; };
    vfloat value[Surface::kAttributes];
    for (int j = 0; j < Surface::kAttributes; ++j)
      value[j] = attribute(Surface::kAt, j) + attribute(Surface::kAlongX, j) * dx + attribute(Surface::kAlongY, j) * dy;
    // Back to the attributes: divided by 1/t. A pixel step moves the point
    // by d(P w) / w - P dw / w.
    const vfloat inverse = 1.f / max(value[Surface::kW], splat(1e-30f));
    SurfacePoints points;
    points.position = vec3{value[0], value[1], value[2]} * inverse;
    points.normal = normalize(vec3{value[4], value[5], value[6]});
    const vfloat* alongX = plane[Surface::kAlongX];
    const vfloat* alongY = plane[Surface::kAlongY];
    points.dx = (vec3{alongX[0], alongX[1], alongX[2]} - points.position * alongX[Surface::kW]) * inverse;
    points.dy = (vec3{alongY[0], alongY[1], alongY[2]} - points.position * alongY[Surface::kW]) * inverse;
    points.toEye = view.perspective ? normalize(splat(m_cameraWorld) - points.position) : splat(-m_viewDirWorld);
    const SceneMesh& sceneMesh = scene.meshes[mesh];
    const vec3 color = Shader(scene.materials[sceneMesh.material], sceneMesh.geometry->frame, m_lighting).shade(points);
    // Lanes past the end land on pieces shaded later (or the spare room).
    const vfloat channels[4] = {color.x, color.y, color.z, splat(0.f)};
    transpose(channels, &m_pieces.color[begin]);
  }
}

void Pipeline::findVisible(const Scene& scene, const ViewSetup& view, const RenderOptions& options)
{
  transform(scene, view);
  setupTriangles(scene, view, options);
  const std::size_t pixels = std::size_t(m_width) * std::size_t(m_height);
  m_depth.assign(pixels * kSamples, std::numeric_limits<float>::max());
  m_ids.assign(pixels * kSamples, kNone);
  float* const depthBuffer = m_depth.data();
  OdUInt32* const idBuffer = m_ids.data();
  for (OdUInt32 i = 0; i < m_opaqueCount; ++i)
    rasterize(m_coverage[i], [depthBuffer, idBuffer, i](std::size_t pixel, SampleMask inside, SampleFloats z) {
      float* depthAt = depthBuffer + pixel * kSamples;
      OdUInt32* idAt = idBuffer + pixel * kSamples;
      SampleFloats depth;
      SampleMask ids;
      std::memcpy(&depth, depthAt, sizeof depth);
      std::memcpy(&ids, idAt, sizeof ids);
      const SampleMask hit = inside & (z < depth);
      depth = hit ? z : depth;
      ids = hit ? SampleMask{} + std::int32_t(i) : ids;
      std::memcpy(depthAt, &depth, sizeof depth);
      std::memcpy(idAt, &ids, sizeof ids);
    });
  // Transparent triangles: their samples in front of the opaque ones, by
  // pixel, each pixel's far to near (by depth at the pixel centre).
  std::vector<Fragment>& found = m_sorting;
  found.clear();
  for (OdUInt32 i = OdUInt32(m_opaqueCount); i < m_coverage.size(); ++i)
    rasterize(m_coverage[i], [depthBuffer, i, &found](std::size_t pixel, SampleMask inside, SampleFloats z) {
      SampleFloats depth;
      std::memcpy(&depth, depthBuffer + pixel * kSamples, sizeof depth);
      const SampleMask hit = inside & (z < depth);
      unsigned mask = 0;
      for (int s = 0; s < kSamples; ++s)
        mask |= hit[s] ? 1u << s : 0u;
      if (mask)
        found.push_back({OdUInt32(pixel), i, (z[0] + z[1] + z[2] + z[3]) * (1.f / kSamples), mask});
    });
  m_fragments.clear();
  m_fragmentStart.clear();
  if (!found.empty())
  {
    m_fragmentStart.assign(pixels + 1, 0);
    for (const Fragment& f : found)
      ++m_fragmentStart[f.pixel + 1];
    for (std::size_t p = 0; p < pixels; ++p)
      m_fragmentStart[p + 1] += m_fragmentStart[p];
    m_fragments.resize(found.size());
    std::vector<OdUInt32> fill(m_fragmentStart.begin(), m_fragmentStart.end() - 1);
    for (const Fragment& f : found)
      m_fragments[fill[f.pixel]++] = f;
    for (std::size_t p = 0; p < pixels; ++p)
      if (m_fragmentStart[p + 1] - m_fragmentStart[p] > 1)
        std::sort(m_fragments.begin() + m_fragmentStart[p], m_fragments.begin() + m_fragmentStart[p + 1],
                  [](const Fragment& a, const Fragment& b) { return a.depth > b.depth; });
  }
}

OdUInt32 Pipeline::render(const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                          OdGiRasterImageRGBA& target)
{
  m_viewLeft = std::max(view.left, 0);
  m_viewTop = std::max(view.top, 0);
  m_width = std::min(view.right, int(target.pixelWidth())) - m_viewLeft;
  m_height = std::min(view.bottom, int(target.pixelHeight())) - m_viewTop;
  if (m_width <= 0 || m_height <= 0)
    return 0;

  // Rotated grid: four distinct rows and columns, each on an eighth of a
  // pixel; without antialiasing all four at the centre.
  const float gridX[kSamples] = {0.375f, 0.875f, 0.125f, 0.625f}, gridY[kSamples] = {0.125f, 0.375f, 0.625f, 0.875f};
  for (int s = 0; s < kSamples; ++s)
  {
    m_sampleX[s] = options.antialias ? gridX[s] : 0.5f;
    m_sampleY[s] = options.antialias ? gridY[s] : 0.5f;
    m_sampleGrid[0][s] = std::int64_t(m_sampleX[s] * 256.f);
    m_sampleGrid[1][s] = std::int64_t(m_sampleY[s] * 256.f);
  }
  for (unsigned mask = 1; mask <= kAllSamples; ++mask)
  {
    float x = 0.f, y = 0.f;
    for (int s = 0; s < kSamples; ++s)
      if (mask >> s & 1)
        x += m_sampleX[s], y += m_sampleY[s];
    m_centroidX[mask] = x / float(__builtin_popcount(mask));
    m_centroidY[mask] = y / float(__builtin_popcount(mask));
  }

  const OdGeMatrix3d eyeToWorld = view.viewing.inverse();
  m_lighting = Lighting::forCamera(eyeToWorld);
  m_cameraWorld = Vec3(eyeToWorld * OdGePoint3d(0.0, 0.0, view.distance));
  m_viewDirWorld = normalize(Vec3(eyeToWorld * OdGeVector3d(0.0, 0.0, -1.0)));
  m_background = linearColor(options.background);

  ViewSetup clipped = view;
  clipped.left = m_viewLeft;
  clipped.top = m_viewTop;
  // The same geometry, view and options as the last frame (a browser showing
  // one material after another on its sample): only shading is done again.
  std::vector<double> key(view.viewing.entry[0], view.viewing.entry[0] + 16);
  key.insert(key.end(), {view.distance, view.scale, view.centerX, view.centerY, double(view.perspective),
                         double(m_viewLeft), double(m_viewTop), double(m_width), double(m_height),
                         double(options.discardBackFaces), double(options.antialias), double(options.flatShading)});
  bool known = true;
  for (const SceneMesh& mesh : scene.meshes)
  {
    key.insert(key.end(), {double(mesh.geometryId), double(scene.materials[mesh.material].opacity < 1.f)});
    known = known && mesh.geometryId != 0;
  }
  if (!(known && key == m_lastFrame))
    findVisible(scene, clipped, options);
  m_lastFrame = known ? std::move(key) : std::vector<double>();

  // A band of rows at a time (its pieces stay in the cache): resolve and
  // shade, then the tone curve and sRGB into the picture. A pixel of
  // background alone keeps its exact colour.
  const OdUInt8 background[4] = {OdUInt8(ODGETRED(options.background)), OdUInt8(ODGETGREEN(options.background)),
                                 OdUInt8(ODGETBLUE(options.background)), 255};
  const OdUInt8* encode = encodeTable();
  const int rows = std::max(1, 8192 / m_width);
  for (int y0 = 0; y0 < m_height; y0 += rows)
  {
    const int y1 = std::min(y0 + rows, m_height);
    resolveBand(y0, y1, scene, clipped);
    for (int y = y0; y < y1; ++y)
    {
      OdUInt8* out = target.data() + (std::size_t(m_viewTop + y) * target.pixelWidth() + std::size_t(m_viewLeft)) * 4;
      const float* row = &m_band[std::size_t(y - y0) * std::size_t(m_width) * 4];
      const std::size_t count = std::size_t(m_width) * 4;
      for (std::size_t i = 0; i < count; i += kLanes)
      {
        const vint index = encodeIndex(load(row + i));
        for (std::size_t k = 0; k < std::size_t(kLanes) && i + k < count; ++k)
          out[i + k] = encode[index[k]];
      }
      for (int x = 0; x < m_width; ++x)
      {
        const std::size_t pixel = std::size_t(y - y0) * std::size_t(m_width) + std::size_t(x);
        if (m_pieces.flags[pixel] == kAllSamples &&
            (pixel ? m_pieces.pixelEnd[pixel - 1] : 0) == m_pieces.pixelEnd[pixel])
          std::memcpy(out + std::size_t(x) * 4, background, 4);
        out[std::size_t(x) * 4 + 3] = 255;
      }
    }
  }
  return OdUInt32(m_coverage.size());
}

std::unique_ptr<RenderPath> makeRenderPath() { return std::make_unique<Pipeline>(); }
} // namespace OdGsRender::OD_RENDER_ISA
