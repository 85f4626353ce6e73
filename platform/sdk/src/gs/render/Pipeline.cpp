#include "Culling.h"
#include "Shading.h"

namespace OdGsRender::OD_RENDER_ISA
{
// One value per sample of a pixel: edge functions of small triangles in
// 32 bits, of any in 64.
template <class Int>
struct SampleVector
{
  typedef Int type __attribute__((vector_size(4 * sizeof(Int))));
};

class Pipeline final : public RenderPath
{
public:
  OdUInt32 render(const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                  OdGiRasterImageRGBA& target) override;

  static constexpr int kSamples = 4; // per pixel in the buffers; without antialiasing all four sit at the centre

private:
  // In three groups of four, which setup reads for kLanes triangles at once.
  struct Vertex
  {
    std::int32_t sx = 0, sy = 0; // pixel position in 1/256 pixel (far outside the viewport: clamped)
    float w = 1.f;               // 1 / t in perspective, else 1
    float depth = 0.f;
    Vec3 world;
    float t = 0.f; // distance along the view direction
    Vec3 normal;
    float x = 0.f, y = 0.f; // eye coordinates
  };
  // A triangle that shows, as setup finds it before working it out.
  struct Found
  {
    OdUInt32 mesh, surface, corner[3];
    int x0, x1, y0, y1; // its pixels
    float area;         // twice its area on the screen
    bool large;         // over 96 pixels across
  };
  typedef std::int32_t SampleInts __attribute__((vector_size(4 * kSamples)));
  typedef float SampleFloats __attribute__((vector_size(4 * kSamples)));
  // What the rasterizer reads of a triangle: its pixels, and at the samples
  // of the first one its edge functions (not negative inside, see
  // setupFound) and depth, each with its change per pixel right and
  // down. Triangles over 96 pixels across need 64 bits for their edge
  // functions: theirs are kept apart (Edges) and these are not used.
  struct Coverage
  {
    Coverage() {} // setup fills it: nothing to clear when the array grows
    int x0, x1, y0, y1;
    SampleInts edge[3];
    std::int32_t edgeX[3];
    float zx;
    std::int32_t edgeY[3];
    float zy;
    SampleFloats z;
    OdUInt32 large; // where its Edges are, or kNone
  };
  struct Edges // a x + b y + c of positions in 1/256 pixel
  {
    std::int64_t a[3], b[3], c[3];
  };
  // What shading reads of a triangle: attributes divided by t are linear
  // across the screen, so each is a plane: its value at (ox, oy) and its
  // change per pixel right and down. Two groups of four: the position and
  // 1 / t, then the normal and the depth.
  struct Surface
  {
    // Attribute k in element k % 4 of group k / 4 (the depth is not
    // shaded): at (ox, oy), along x, along y; then (ox, oy, 0, 0).
    static constexpr int kAt = 0, kAlongX = 2, kAlongY = 4, kOrigin = 6, kGroups = 7;
    Surface() {} // as Coverage
    rgba plane[kGroups];
    OdUInt32 mesh;
  };
  // What tells a triangle's smooth surface (resolving reads it for many
  // pixels, so it is kept small).
  struct Side
  {
    OdUInt32 surface; // 2 (the mesh's first triangle + its surface's), + 1 where seen from behind
    float reach;      // the most its depth changes over a pixel
    // The triangles numbered next to it that share its surface: [runStart, runEnd).
    OdUInt32 runStart = 0, runEnd = 0;
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
    std::vector<OdUInt16> mask;     // its samples (not a char type: a store of one would reload every pointer)
    std::vector<float> x, y;        // where it is shaded: the centre of its samples, in device pixels
    std::vector<rgba> color;        // linear, once shaded
    std::vector<OdUInt32> pixelEnd; // per pixel of the band: the end of its pieces
    std::vector<OdUInt16> flags;    // per pixel: its samples of no opaque surface, or that one opaque piece covers it
  };

  // A mesh smaller than a pixel, as transform finds it.
  struct Dot
  {
    int x, y;       // its pixel
    unsigned mask;  // its samples there
    float t, depth; // along the view direction, and as the depth buffer holds it
    Vec3 world;     // its box's centre
  };

  void transform(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void addDot(OdUInt32 mesh, OdUInt32 surface, const ViewSetup& view);
  // Lists each triangle under the bands of rows it reaches.
  void binTriangles();
  void project(Vertex& v, const ViewSetup& view) const;
  // Rasterizes the triangles over a band of rows: the visibility buffer
  // (unless it is kept from the last frame) and the transparent fragments.
  void findVisible(int y0, int y1, bool opaque);
  void setupTriangles(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void findTriangle(OdUInt32 mesh, OdUInt32 surface, const OdUInt32 corner[3], const RenderOptions& options);
  void setupFound(const RenderOptions& options);
  template <class Write>
  void rasterize(const Coverage& triangle, int top, int bottom, Write write) const;
  template <class Int, class Write>
  void walk(const Coverage& t, int top, int bottom, typename SampleVector<Int>::type edge[3], const Int edgeX[3],
            const Int edgeY[3], Write write) const;
  void resolveBand(int y0, int y1, const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                   OdGiRasterImageRGBA& target);
  void shadePieces(std::size_t count, const Scene& scene, const ViewSetup& view);

  // Frame state, kept between frames to reuse the memory.
  std::vector<Vertex> m_vertices;
  std::vector<unsigned> m_outside;  // per vertex: the clip planes it is outside of
  std::vector<OdUInt32> m_meshBase; // per mesh: its first vertex, or for a dot its place in m_dots
  std::vector<Coverage> m_coverage; // opaque triangles, then transparent ones
  std::vector<Edges> m_large;
  Found m_found[kLanes]; // waiting for setupFound
  std::size_t m_foundCount = 0;
  std::vector<Surface> m_surfaces; // the same triangles
  std::vector<Side> m_sides;       // and again
  std::size_t m_opaqueCount = 0;
  std::vector<float> m_depth;            // per sample of a band, or of the frame when kept
  std::vector<OdUInt32> m_ids;           // the same: opaque triangle or kNone
  bool m_keptVisibility = false;         // the buffers hold the whole frame's, for drawing it again
  std::vector<Fragment> m_sorting;       // transparent, as rasterized
  std::vector<Fragment> m_fragments;     // the same by pixel, each pixel's far to near
  std::vector<OdUInt32> m_fragmentStart; // per pixel and one more: where its fragments start
  Pieces m_pieces;
  int m_viewLeft = 0, m_viewTop = 0, m_width = 0, m_height = 0;
  float m_sampleX[kSamples] = {}, m_sampleY[kSamples] = {};
  SampleInts m_sampleGrid[2] = {};                                        // the same in 1/256 pixel
  float m_centroidX[1 << kSamples] = {}, m_centroidY[1 << kSamples] = {}; // of the samples in a mask
  Vec3 m_background;                                                      // linear
  float m_near = 1.f, m_far = 2.f;
  std::vector<double> m_lastFrame; // what decided the visibility buffer, when it can be told again
  Lighting m_lighting;
  Vec3 m_cameraWorld;  // perspective: camera position
  Vec3 m_viewDirWorld; // toward the scene

  // What each mesh is drawn as (see Culling.h), and the triangles by band.
  std::vector<Reach> m_reach;    // per mesh
  std::vector<float> m_meshNear; // per mesh drawn as triangles: its nearest vertex along the view direction
  std::vector<Dot> m_dots;
  int m_bandRows = 1;                // rows rasterized, resolved and shaded together
  std::vector<OdUInt32> m_bandStart; // per band and one more: where its triangles start in m_banded
  std::vector<OdUInt32> m_banded;    // the triangles of each band, in order
};

namespace
{
static_assert(Pipeline::kSamples == 4, "the rasterizer's sample masks are four wide");
constexpr OdUInt32 kNone = 0xFFFFFFFFu;
typedef std::int32_t SampleMask __attribute__((vector_size(4 * Pipeline::kSamples)));
constexpr unsigned kAllSamples = (1u << Pipeline::kSamples) - 1;
constexpr unsigned kWhole = 1u << Pipeline::kSamples; // a pixel of one opaque piece over all samples

// Triangles are clipped this far outside the viewport: every pixel position
// then stays within 2^15 of the origin (a device is at most 16384 wide),
// which the exact edge functions rely on.
constexpr double kGuard = 8192.0;

// The lanes of the samples whose value is not negative.
template <class Int>
inline auto notNegative(const Int& v)
{
  typedef std::int32_t Mask __attribute__((vector_size(sizeof(v) / sizeof(v[0]) * 4)));
  return __builtin_convertvector(v >= 0, Mask);
}

// floor and ceil without the library call (no SSE4.1 assumed), for
// values kept within int's range.
inline int floorInt(double v)
{
  const int i = int(v);
  return i - (v < double(i) ? 1 : 0);
}
inline int ceilInt(double v) { return -floorInt(-v); }

// Whether kLanes pixels' flags from here on are all kWhole.
inline bool wholeRun(const OdUInt16* flags)
{
  typedef OdUInt16 Flags __attribute__((vector_size(2 * kLanes)));
  Flags f;
  std::memcpy(&f, flags, sizeof f);
  typedef std::int16_t Mask __attribute__((vector_size(2 * kLanes)));
  const Mask same = f == OdUInt16(kWhole);
  std::uint64_t bits[sizeof same / 8];
  std::memcpy(bits, &same, sizeof same);
  for (std::uint64_t b : bits)
    if (b != ~std::uint64_t(0))
      return false;
  return true;
}

// kLanes linear colours to the picture's bytes (as encodeIndex and the table give them).
inline void encodeRun(const rgba* colors, const OdUInt8* encode, OdUInt8* out)
{
  vfloat channel[4];
  const void* rows[kLanes];
  for (int k = 0; k < kLanes; ++k)
    rows[k] = colors + k;
  transpose(rows, channel);
  vint index[3];
  for (int c = 0; c < 3; ++c)
  {
    const vfloat light = channel[c] > 0.f ? (channel[c] < kWhite ? channel[c] : kWhite) : 0.f;
    index[c] = toInt(sqrt(light) * ((kEncodeSteps - 1) / std::sqrt(kWhite)) + 0.5f);
  }
  for (int k = 0; k < kLanes; ++k)
  {
    const std::uint32_t bytes = std::uint32_t(encode[index[0][k]]) | std::uint32_t(encode[index[1][k]]) << 8 |
                                std::uint32_t(encode[index[2][k]]) << 16 | 0xFF000000u;
    std::memcpy(out + 4 * k, &bytes, 4); // little-endian: red first
  }
}
} // namespace

void Pipeline::project(Vertex& v, const ViewSetup& view) const
{
  // Positions are snapped to 1/256 pixel: see setupFound.
  auto snap = [](double p) { return std::int32_t(floorInt(std::min(std::max(p * 256.0, -1e9), 1e9) + 0.5)); };
  const double f = view.perspective ? view.distance / v.t : 1.0;
  v.sx = snap(view.centerX + view.scale * v.x * f);
  v.sy = snap(view.centerY - view.scale * v.y * f);
  // In perspective 1/t is linear across the screen, so this depth is too.
  v.w = view.perspective ? 1.f / v.t : 1.f;
  v.depth = view.perspective ? (1.f / m_near - v.w) / (1.f / m_near - 1.f / m_far) : (v.t - m_near) / (m_far - m_near);
}

void Pipeline::transform(const Scene& scene, const ViewSetup& view, const RenderOptions& options)
{
  m_vertices.clear();
  m_meshBase.clear();
  m_reach.clear();
  m_meshNear.clear();
  m_dots.clear();
  float tMin = std::numeric_limits<float>::max(), tMax = -std::numeric_limits<float>::max();
  const double(*m)[4] = view.viewing.entry; // rigid: the last row leaves w at 1
  for (const SceneMesh& mesh : scene.meshes)
  {
    const MeshGeometry& geometry = *mesh.geometry;
    // Only meshes that may show and are larger than a pixel give vertices.
    const MeshReach reach =
      meshReach(geometry.frame, view, m_viewLeft, m_viewTop, m_viewLeft + m_width, m_viewTop + m_height);
    m_reach.push_back(reach.reach);
    m_meshNear.push_back(0.f);
    float nearest = std::numeric_limits<float>::max();
    if (reach.reach == Reach::Dot)
    {
      m_meshBase.push_back(OdUInt32(m_dots.size()));
      Dot dot;
      dot.x = floorInt(reach.x), dot.y = floorInt(reach.y);
      // Without antialiasing the samples are one, at the centre.
      dot.mask = options.antialias ? dotSamples(reach.x, reach.y, reach.area, m_sampleX, m_sampleY) : kAllSamples;
      dot.t = float(reach.t);
      dot.world = geometry.frame.centre;
      tMin = std::min(tMin, dot.t);
      tMax = std::max(tMax, dot.t);
      m_dots.push_back(dot);
      continue;
    }
    m_meshBase.push_back(OdUInt32(m_vertices.size()));
    if (reach.reach == Reach::Hidden)
      continue;
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
      nearest = std::min(nearest, v.t);
      m_vertices.push_back(v);
    }
    m_meshNear.back() = nearest;
  }
  if (m_vertices.empty() && m_dots.empty())
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
  for (Dot& dot : m_dots)
    dot.depth = view.perspective ? (1.f / m_near - 1.f / dot.t) / (1.f / m_near - 1.f / m_far)
                                 : (dot.t - m_near) / (m_far - m_near);
}

void Pipeline::addDot(OdUInt32 mesh, OdUInt32 surface, const ViewSetup& view)
{
  // One pixel's chosen samples, all at one depth: edge functions that are
  // 0 (inside) at those samples and -1 elsewhere, changing nowhere.
  const Dot& dot = m_dots[m_meshBase[mesh]];
  const std::size_t i = m_coverage.size();
  m_coverage.emplace_back();
  m_surfaces.emplace_back();
  Coverage& c = m_coverage[i];
  c.x0 = c.x1 = dot.x, c.y0 = c.y1 = dot.y;
  for (int k = 0; k < 3; ++k)
  {
    c.edge[k] = SampleInts{};
    c.edgeX[k] = c.edgeY[k] = 0;
  }
  for (int s = 0; s < kSamples; ++s)
    c.edge[0][s] = dot.mask >> s & 1 ? 0 : -1;
  c.zx = c.zy = 0.f;
  c.z = SampleFloats{} + dot.depth;
  c.large = kNone;
  // Shaded as a point of its box's centre that faces the camera: how a
  // small solid looks on the whole.
  const Vec3 normal = view.perspective ? normalize(m_cameraWorld - dot.world) : -m_viewDirWorld;
  const float w = view.perspective ? 1.f / dot.t : 1.f;
  Surface& f = m_surfaces[i];
  for (rgba& plane : f.plane)
    plane = rgba{};
  f.plane[Surface::kAt] = rgba{dot.world.x * w, dot.world.y * w, dot.world.z * w, w};
  f.plane[Surface::kAt + 1] = rgba{normal.x * w, normal.y * w, normal.z * w, dot.depth};
  f.plane[Surface::kOrigin] = rgba{float(dot.x) + 0.5f, float(dot.y) + 0.5f, 0.f, 0.f};
  f.mesh = mesh;
  m_sides.push_back({2 * surface, 0.f});
}

void Pipeline::binTriangles()
{
  m_bandRows = std::max(1, 8192 / m_width);
  const std::size_t bands = std::size_t((m_height + m_bandRows - 1) / m_bandRows);
  m_bandStart.assign(bands + 1, 0);
  auto bandsOf = [this](const Coverage& c, int& first, int& last) {
    first = (c.y0 - m_viewTop) / m_bandRows, last = (c.y1 - m_viewTop) / m_bandRows;
  };
  int first, last;
  for (const Coverage& c : m_coverage)
  {
    bandsOf(c, first, last);
    for (int b = first; b <= last; ++b)
      ++m_bandStart[std::size_t(b) + 1];
  }
  for (std::size_t b = 0; b < bands; ++b)
    m_bandStart[b + 1] += m_bandStart[b];
  m_banded.resize(m_bandStart.back());
  std::vector<OdUInt32> fill(m_bandStart.begin(), m_bandStart.end() - 1);
  for (OdUInt32 i = 0; i < OdUInt32(m_coverage.size()); ++i)
  {
    bandsOf(m_coverage[i], first, last);
    for (int b = first; b <= last; ++b)
      m_banded[fill[std::size_t(b)]++] = i;
  }
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
  // Inside the near plane a vertex's own pixel position tells the sides of
  // the guard band it is beyond.
  const std::int32_t band[4] = {std::int32_t(left * 256.0), std::int32_t(right * 256.0), std::int32_t(top * 256.0),
                                std::int32_t(bottom * 256.0)};
  m_outside.resize(m_vertices.size());
  for (std::size_t i = 0; i < m_vertices.size(); ++i)
  {
    const Vertex& v = m_vertices[i];
    unsigned code = 0;
    if (v.t < m_near)
      for (int k = 0; k < 5; ++k)
        code |= distance(v, k) < 0.0 ? 1u << k : 0u;
    else
      code = (v.sx < band[0] ? 2u : 0u) | (v.sx > band[1] ? 4u : 0u) | (v.sy < band[2] ? 8u : 0u) |
             (v.sy > band[3] ? 16u : 0u);
    m_outside[i] = code;
  }

  // Opaque meshes first, then transparent ones. A smooth surface is named
  // by the mesh's first triangle's number plus its own: one number per
  // surface over the scene (in flat shading each polygon is one).
  m_coverage.clear();
  m_large.clear();
  m_surfaces.clear();
  m_sides.clear();
  m_opaqueCount = 0;
  RenderOptions frontOnly = options;
  frontOnly.discardBackFaces = true;
  std::vector<OdUInt32> firstTriangle(1, 0);
  for (const SceneMesh& mesh : scene.meshes)
    firstTriangle.push_back(firstTriangle.back() + OdUInt32(mesh.geometry->face.size()));
  const unsigned* codes = m_outside.data();
  for (OdUInt32 k = 0, count = OdUInt32(scene.meshes.size()); k < 2 * count; ++k)
  {
    const OdUInt32 mesh = k % count;
    const bool transparent = scene.materials[scene.meshes[mesh].material].opacity < 1.f;
    if (k == count)
      setupFound(options), m_opaqueCount = m_coverage.size();
    if (transparent != (k >= count))
      continue;
    if (m_reach[mesh] != Reach::Triangles)
    {
      // A dot stands for the whole mesh: its surface is the mesh's first.
      if (m_reach[mesh] == Reach::Dot)
        addDot(mesh, firstTriangle[mesh], view);
      continue;
    }
    const MeshGeometry& geometry = *scene.meshes[mesh].geometry;
    // A closed opaque mesh wholly before the near plane shows only its front.
    const RenderOptions& meshOptions =
      geometry.closed && !transparent && m_meshNear[mesh] >= m_near ? frontOnly : options;
    const OdUInt32* index = geometry.indices.data();
    const OdUInt32* surfaces = (options.flatShading ? geometry.face : geometry.smooth).data();
    const OdUInt32 base = m_meshBase[mesh], firstSurface = firstTriangle[mesh];
    for (std::size_t t = 0, count = geometry.face.size(); t < count; ++t, index += 3)
    {
      const OdUInt32 idx[3] = {base + index[0], base + index[1], base + index[2]};
      const OdUInt32 surface = firstSurface + surfaces[t];
      const unsigned any = codes[idx[0]] | codes[idx[1]] | codes[idx[2]];
      if (codes[idx[0]] & codes[idx[1]] & codes[idx[2]])
        continue; // wholly outside one plane
      if (!any)
      {
        findTriangle(mesh, surface, idx, meshOptions);
        continue;
      }
      // Sutherland-Hodgman against the planes crossed; the polygon keeps
      // the corners' order, so the winding survives. A point on an edge is
      // found from the edge's inside end, so both triangles sharing the
      // edge find the same point.
      Vertex polygon[8] = {m_vertices[idx[0]], m_vertices[idx[1]], m_vertices[idx[2]]}, clipped[8];
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
      // The polygon's corners join the vertices, and a fan of it the triangles.
      const OdUInt32 start = OdUInt32(m_vertices.size());
      m_vertices.insert(m_vertices.end(), polygon, polygon + n);
      for (OdUInt32 k = 1; k + 1 < OdUInt32(n); ++k)
      {
        const OdUInt32 fan[3] = {start, start + k, start + k + 1};
        findTriangle(mesh, surface, fan, meshOptions);
      }
    }
  }
  setupFound(options);
  // Triangles found one after another on one surface (most of a mesh's)
  // make a run: a pixel whose samples all lie in one run is one piece.
  for (std::size_t i = 0, end; i < m_sides.size(); i = end)
  {
    for (end = i + 1; end < m_sides.size() && m_sides[end].surface == m_sides[i].surface;)
      ++end;
    for (std::size_t k = i; k < end; ++k)
      m_sides[k].runStart = OdUInt32(i), m_sides[k].runEnd = OdUInt32(end);
  }
  // And one past the last for samples of nothing, which no run holds.
  m_sides.push_back({kNone, 0.f, 0, 0});
  binTriangles();
}

inline void Pipeline::findTriangle(OdUInt32 mesh, OdUInt32 surface, const OdUInt32 corner[3],
                                   const RenderOptions& options)
{
  // Twice the signed area, y down: a face seen counter-clockwise (its
  // front) comes out negative. Exact, in whole 1/256 pixels.
  const Vertex* vertices = m_vertices.data();
  const Vertex &u = vertices[corner[0]], &v = vertices[corner[1]], &w = vertices[corner[2]];
  const std::int64_t area = std::int64_t(v.sx - u.sx) * (w.sy - u.sy) - std::int64_t(w.sx - u.sx) * (v.sy - u.sy);
  if (area == 0 || (area > 0 && options.discardBackFaces))
    return;
  // Pixels whose samples (within 1/8 and 7/8 of the pixel) may be inside;
  // >> 8 divides by 256 rounding down.
  const std::int32_t minX = std::min({u.sx, v.sx, w.sx}), maxX = std::max({u.sx, v.sx, w.sx});
  const std::int32_t minY = std::min({u.sy, v.sy, w.sy}), maxY = std::max({u.sy, v.sy, w.sy});
  const int x0 = std::max(m_viewLeft, -((224 - minX) >> 8)), x1 = std::min(m_viewLeft + m_width - 1, (maxX - 32) >> 8);
  const int y0 = std::max(m_viewTop, -((224 - minY) >> 8)), y1 = std::min(m_viewTop + m_height - 1, (maxY - 32) >> 8);
  if (x0 > x1 || y0 > y1)
    return;
  m_found[m_foundCount++] = {mesh, surface,     {corner[0], corner[1], corner[2]},
                             x0,   x1,          y0,
                             y1,   float(area), maxX - minX > 96 * 256 || maxY - minY > 96 * 256};
  if (m_foundCount == std::size_t(kLanes))
    setupFound(options);
}

void Pipeline::setupFound(const RenderOptions& options)
{
  // kLanes triangles at once, one a lane (lanes past the found ones repeat
  // the last).
  const std::size_t n = m_foundCount, first = m_coverage.size();
  if (n == 0)
    return;
  m_coverage.resize(first + n);
  m_surfaces.resize(first + n);
  m_sides.resize(first + n);
  auto lane = [&](int k) -> const Found& { return m_found[std::min(std::size_t(k), n - 1)]; };
  vint X[3], Y[3], x0, y0;
  vfloat W[3], D[3], area;
  vec3 P[3], N[3];
  for (int c = 0; c < 3; ++c)
  {
    const void *screen[kLanes], *world[kLanes], *normal[kLanes];
    for (int k = 0; k < kLanes; ++k)
    {
      const Vertex& v = m_vertices[lane(k).corner[c]];
      screen[k] = &v.sx, world[k] = &v.world, normal[k] = &v.normal;
    }
    vfloat columns[4];
    transpose(screen, columns);
    X[c] = (vint)columns[0], Y[c] = (vint)columns[1], W[c] = columns[2], D[c] = columns[3];
    transpose(world, columns);
    P[c] = {columns[0], columns[1], columns[2]};
    transpose(normal, columns);
    N[c] = {columns[0], columns[1], columns[2]};
  }
  for (int k = 0; k < kLanes; ++k)
    x0[k] = lane(k).x0, y0[k] = lane(k).y0, area[k] = lane(k).area;
  const vint back = area > 0.f;
  auto rows = [&](auto field) {
    std::array<void*, kLanes> at;
    for (int k = 0; k < kLanes; ++k)
      at[std::size_t(k)] = field(first + std::min(std::size_t(k), n - 1));
    return at;
  };

  // Exact coverage: positions are whole 1/256 pixels below 2^23 of them
  // (the guard band), so the edge functions are integers below 2^50. Two
  // triangles sharing an edge get edge functions that are exactly each
  // other's negation, and a sample on the edge goes to exactly one of them
  // (the tie rule): no gaps, and no sample blended twice.
  const vint inward = back ? splat(-1) : splat(1);
  bool large = false;
  for (std::size_t i = 0; i < n; ++i)
    if ((m_coverage[first + i].large = m_found[i].large ? OdUInt32(m_large.size()) : kNone) != kNone)
      m_large.emplace_back(), large = true;
  vint edgeX[3], edgeY[3];
  for (int k = 0; k < 3; ++k)
  {
    // Edge k, from corner k + 1 to k + 2: (p - a) x (b - a), positive inside.
    const int a = (k + 1) % 3, b = (k + 2) % 3;
    const vint ea = inward * (Y[b] - Y[a]), eb = inward * (X[a] - X[b]);
    // Tie rule: a sample exactly on the edge belongs to the triangle whose
    // inside lies to the right of it (or below, for a level edge).
    const vint tie = ~((ea > 0) | ((ea == 0) & (eb > 0)));
    edgeX[k] = 256 * ea, edgeY[k] = 256 * eb;
    // At the first pixel's samples, measured from corner a: in a triangle
    // at most 96 pixels across every term fits in 32 bits (the others wrap,
    // unused, and get 64-bit edge functions below).
    const vuint fromX = (vuint)(256 * x0 - X[a]), fromY = (vuint)(256 * y0 - Y[a]);
    vfloat at[4];
    for (int s = 0; s < kSamples; ++s)
      at[s] = (vfloat)((vuint)ea * (fromX + std::uint32_t(m_sampleGrid[0][s])) +
                       (vuint)eb * (fromY + std::uint32_t(m_sampleGrid[1][s])) + (vuint)tie);
    transpose(at, rows([this, k](std::size_t i) { return &m_coverage[i].edge[k]; }).data());
    for (std::size_t i = 0; i < n && large; ++i)
      if (m_found[i].large)
      {
        Edges& e = m_large[m_coverage[first + i].large];
        e.a[k] = ea[i], e.b[k] = eb[i];
        e.c[k] = tie[i] - e.a[k] * X[a][i] - e.b[k] * Y[a][i];
      }
  }

  // Flat shading gives every corner the face's normal, turned to the side
  // its corners' normals face (a face too small for a direction in float
  // keeps them).
  if (options.flatShading)
  {
    const vec3 c = {(P[1].y - P[0].y) * (P[2].z - P[0].z) - (P[1].z - P[0].z) * (P[2].y - P[0].y),
                    (P[1].z - P[0].z) * (P[2].x - P[0].x) - (P[1].x - P[0].x) * (P[2].z - P[0].z),
                    (P[1].x - P[0].x) * (P[2].y - P[0].y) - (P[1].y - P[0].y) * (P[2].x - P[0].x)};
    const vint some = dot(c, c) > 1e-30f;
    vec3 face = normalize(c);
    face = select(dot(face, N[0] + N[1] + N[2]) < 0.f, face * -1.f, face);
    for (int k = 0; k < 3; ++k)
      N[k] = select(some, face, N[k]);
  }
  // The planes: each value's change per pixel right and down, from its
  // differences along two edges (Cramer's rule). Attributes divided by t at
  // the corners: the position and 1 / t, the normal (a back face seen is
  // lit from its own side) and the depth.
  const vfloat e1x = toFloat(X[1] - X[0]) * (1.f / 256.f), e1y = toFloat(Y[1] - Y[0]) * (1.f / 256.f);
  const vfloat e2x = toFloat(X[2] - X[0]) * (1.f / 256.f), e2y = toFloat(Y[2] - Y[0]) * (1.f / 256.f);
  const vfloat inverse = 65536.f / area;
  const vfloat xFrom1 = e2y * inverse, xFrom2 = -e1y * inverse, yFrom1 = -e2x * inverse, yFrom2 = e1x * inverse;
  vfloat value[3][8];
  for (int c = 0; c < 3; ++c)
  {
    const vfloat side = select(back, -W[c], W[c]);
    const vfloat v[8] = {P[c].x * W[c], P[c].y * W[c], P[c].z * W[c], W[c],
                         N[c].x * side, N[c].y * side, N[c].z * side, D[c]};
    std::copy(v, v + 8, value[c]);
  }
  vfloat plane[Surface::kGroups][4];
  for (int j = 0; j < 8; ++j)
  {
    const vfloat d1 = value[1][j] - value[0][j], d2 = value[2][j] - value[0][j];
    plane[Surface::kAt + j / 4][j % 4] = value[0][j];
    plane[Surface::kAlongX + j / 4][j % 4] = d1 * xFrom1 + d2 * xFrom2;
    plane[Surface::kAlongY + j / 4][j % 4] = d1 * yFrom1 + d2 * yFrom2;
  }
  const vfloat ox = toFloat(X[0]) * (1.f / 256.f), oy = toFloat(Y[0]) * (1.f / 256.f), zero = splat(0.f);
  const vfloat origin[4] = {ox, oy, zero, zero};
  std::copy(origin, origin + 4, plane[Surface::kOrigin]);
  for (int g = 0; g < Surface::kGroups; ++g)
    transpose(plane[g], rows([this, g](std::size_t i) { return &m_surfaces[i].plane[g]; }).data());
  // The depth at the first pixel's samples.
  const vfloat zx = plane[Surface::kAlongX + 1][3], zy = plane[Surface::kAlongY + 1][3];
  vfloat z[4];
  for (int s = 0; s < kSamples; ++s)
    z[s] = plane[Surface::kAt + 1][3] + zx * (toFloat(x0) + m_sampleX[s] - ox) + zy * (toFloat(y0) + m_sampleY[s] - oy);
  transpose(z, rows([this](std::size_t i) { return &m_coverage[i].z; }).data());
  const vfloat alongX[4] = {(vfloat)edgeX[0], (vfloat)edgeX[1], (vfloat)edgeX[2], zx};
  const vfloat alongY[4] = {(vfloat)edgeY[0], (vfloat)edgeY[1], (vfloat)edgeY[2], zy};
  transpose(alongX, rows([this](std::size_t i) { return &m_coverage[i].edgeX; }).data());
  transpose(alongY, rows([this](std::size_t i) { return &m_coverage[i].edgeY; }).data());

  for (std::size_t i = 0; i < n; ++i)
  {
    const Found& f = m_found[i];
    Coverage& c = m_coverage[first + i];
    c.x0 = f.x0, c.x1 = f.x1, c.y0 = f.y0, c.y1 = f.y1;
    m_surfaces[first + i].mesh = f.mesh;
    m_sides[first + i] = {2 * f.surface + (f.area > 0.f ? 1 : 0), std::fabs(zx[i]) + std::fabs(zy[i])};
  }
  m_foundCount = 0;
}

template <class Write>
void Pipeline::rasterize(const Coverage& triangle, int top, int bottom, Write write) const
{
  // Its rows in the band of device rows [top, bottom).
  top = std::max(top, triangle.y0), bottom = std::min(bottom, triangle.y1 + 1);
  if (top >= bottom)
    return;
  Coverage t = triangle; // a copy: the writes cannot change it, so it stays in registers
  t.z += t.zy * float(top - t.y0);
  if (t.large == kNone)
  {
    for (int k = 0; k < 3; ++k)
      t.edge[k] += (top - t.y0) * t.edgeY[k];
    return walk<std::int32_t>(t, top, bottom, t.edge, t.edgeX, t.edgeY, write);
  }
  // The 64-bit edge functions at the samples of the first pixel.
  const Edges& e = m_large[t.large];
  typename SampleVector<std::int64_t>::type edge[3];
  std::int64_t edgeX[3], edgeY[3];
  for (int k = 0; k < 3; ++k)
  {
    const std::int64_t x = 256 * std::int64_t(t.x0), y = 256 * std::int64_t(top);
    for (int s = 0; s < kSamples; ++s)
      edge[k][s] = e.a[k] * (x + m_sampleGrid[0][s]) + e.b[k] * (y + m_sampleGrid[1][s]) + e.c[k];
    edgeX[k] = 256 * e.a[k], edgeY[k] = 256 * e.b[k];
  }
  walk<std::int64_t>(t, top, bottom, edge, edgeX, edgeY, write);
}

template <class Int, class Write>
void Pipeline::walk(const Coverage& t, int top, int bottom, typename SampleVector<Int>::type edge[3],
                    const Int edgeX[3], const Int edgeY[3], Write write) const
{
  // Rows are narrowed only where there is much to skip (narrowing a row
  // costs about as much as walking a dozen pixels): to the pixels where
  // each edge function may be positive at some sample, a pixel wider for
  // rounding.
  const bool narrow = t.x1 - t.x0 > 32;
  double inverse[3] = {};
  for (int k = 0; k < 3 && narrow; ++k)
    inverse[k] = edgeX[k] ? 1.0 / double(edgeX[k]) : 0.0;
  SampleFloats zRow = t.z;
  std::size_t row = std::size_t(top - m_viewTop) * std::size_t(m_width) - std::size_t(m_viewLeft);
  for (int y = top; y < bottom; ++y, zRow += t.zy, row += std::size_t(m_width))
  {
    int x0 = t.x0, x1 = t.x1;
    for (int k = 0; k < 3 && narrow; ++k)
    {
      const double start = double(std::max({edge[k][0], edge[k][1], edge[k][2], edge[k][3]}));
      const double cross = std::min(std::max(-start * inverse[k], -1e6), 1e6);
      if (edgeX[k] > 0)
        x0 = std::max(x0, t.x0 + ceilInt(cross) - 1);
      else if (edgeX[k] < 0)
        x1 = std::min(x1, t.x0 + floorInt(cross) + 1);
      else if (start < 0)
        x1 = x0 - 1;
    }
    // With AVX2 and 32-bit edge functions, two pixels a step side by side
    // (the buffers have room for one past the last).
    constexpr int kStep = sizeof(Int) == 4 ? kLanes / kSamples : 1;
    std::conditional_t<kStep == 1, typename SampleVector<Int>::type, vint> e[3];
    std::conditional_t<kStep == 1, SampleFloats, vfloat> z;
    const SampleFloats zAt = zRow + t.zx * float(x0 - t.x0);
    for (int k = 0; k < 3; ++k)
    {
      const auto at = edge[k] + Int(x0 - t.x0) * edgeX[k];
      edge[k] += edgeY[k];
      if constexpr (kStep == 1)
        e[k] = at, z = zAt;
      else
        e[k] = __builtin_shufflevector(at, at + edgeX[k], 0, 1, 2, 3, 4, 5, 6, 7),
        z = __builtin_shufflevector(zAt, zAt + t.zx, 0, 1, 2, 3, 4, 5, 6, 7);
    }
    for (int x = x0; x <= x1; x += kStep, z += kStep * t.zx)
    {
      // Inside where no edge function is negative, in the row. Written
      // without asking whether any is: which pixels of a small triangle's
      // box it covers is too hard to predict.
      auto inside = notNegative(e[0] | e[1] | e[2]);
      if constexpr (kStep > 1)
        inside &= x < x1 ? splat(-1) : vint{-1, -1, -1, -1};
      e[0] += kStep * edgeX[0], e[1] += kStep * edgeX[1], e[2] += kStep * edgeX[2];
      write(row + std::size_t(x), inside, z);
    }
  }
}

void Pipeline::resolveBand(int y0, int y1, const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                           OdGiRasterImageRGBA& target)
{
  // The pieces of each pixel: the opaque surfaces of its samples (the
  // triangles of one smooth surface together, since they shade alike), then
  // the transparent fragments, far to near. Samples of no surface show the
  // background.
  Pieces& p = m_pieces;
  const std::size_t pixels = std::size_t(y1 - y0) * std::size_t(m_width);
  const std::size_t room = pixels * kSamples + m_fragments.size();
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
  std::size_t count = 0;
  auto add = [&](OdUInt32 triangle, unsigned mask, float x, float y) {
    p.triangle[count] = triangle;
    p.mask[count] = OdUInt16(mask);
    p.x[count] = x + m_centroidX[mask];
    p.y[count] = y + m_centroidY[mask];
    ++count;
  };
  const bool clear = !m_fragments.empty();
  const std::size_t first = m_keptVisibility ? std::size_t(y0) * std::size_t(m_width) : 0;
  const OdUInt32* ids = &m_ids[first * kSamples];
  const float* depth = &m_depth[first * kSamples];
  const int width = m_width; // (a local: the stores below might change an int member)
  OdUInt32* const pixelEnd = p.pixelEnd.data();
  OdUInt16* const pixelFlags = p.flags.data();
  for (std::size_t row = std::size_t(y0), at = 0; row < std::size_t(y1); ++row)
  {
    const float y = float(m_viewTop) + float(row);
    float x = float(m_viewLeft);
    for (int column = 0; column < width; ++column, ++at, x += 1.f, ids += kSamples, depth += kSamples)
    {
      // Samples of one smooth surface lie within a pixel's step in depth:
      // they make one piece (in a surface's inside, where its triangles
      // meet, that is the whole pixel). Samples of no surface show the
      // background.
      unsigned flags = 0; // the samples of no opaque surface, or kWhole
      // Most pixels show one surface: one triangle's, or where triangles of
      // one meet. Told without a branch a sample (which samples those are
      // is hard to predict), nor one for the case: every sample the first's
      // triangle, or in its run and within a pixel's step of it in depth.
      SampleMask samples;
      std::memcpy(&samples, ids, sizeof samples);
      const OdUInt32 lead = ids[0];
      if (!clear)
      {
        const Side& run = m_sides[lead == kNone ? m_sides.size() - 1 : lead];
        SampleFloats step;
        std::memcpy(&step, depth, sizeof step);
        step = (SampleFloats)((SampleMask)(step - depth[0]) & 0x7FFFFFFF);
        typedef OdUInt32 SampleUints __attribute__((vector_size(4 * kSamples)));
        const SampleMask joins =
          (samples == std::int32_t(lead)) |
          (((SampleUints)samples - run.runStart < run.runEnd - run.runStart) & (step <= run.reach));
        if (lead != kNone && unsigned(_mm_movemask_ps(__m128(joins))) == kAllSamples)
        {
          // One surface over the whole pixel, nothing transparent in front:
          // the common case, told at once.
          add(lead, kAllSamples, x, y);
          pixelEnd[at] = OdUInt32(count);
          pixelFlags[at] = OdUInt16(kWhole);
          continue;
        }
        if (unsigned(_mm_movemask_ps(__m128(samples == std::int32_t(kNone)))) == kAllSamples)
        {
          pixelEnd[at] = OdUInt32(count);
          pixelFlags[at] = OdUInt16(kAllSamples);
          continue;
        }
      }
      const bool same = unsigned(_mm_movemask_ps(__m128(samples == std::int32_t(lead)))) == kAllSamples;
      bool one = lead != kNone;
      if (!same && one)
      {
        // Each sample the first's triangle, or of its surface and within a
        // pixel's step of it in depth: the four side by side.
        const Side side = m_sides[ids[0]];
        SampleMask surface;
        for (int s = 0; s < kSamples; ++s)
          surface[s] = std::int32_t(m_sides[ids[s] == kNone ? ids[0] : ids[s]].surface);
        SampleFloats step;
        std::memcpy(&step, depth, sizeof step);
        step = (SampleFloats)((SampleMask)(step - depth[0]) & 0x7FFFFFFF);
        const SampleMask joins =
          (samples == std::int32_t(ids[0])) |
          ((samples != std::int32_t(kNone)) & (surface == std::int32_t(side.surface)) & (step <= side.reach));
        one = unsigned(_mm_movemask_ps(__m128(joins))) == kAllSamples;
      }
      if (!one && unsigned(_mm_movemask_ps(__m128(samples == std::int32_t(kNone)))) == kAllSamples)
        flags = kAllSamples;
      if (one)
        add(ids[0], kAllSamples, x, y), flags = kWhole;
      for (unsigned left = flags ? 0 : kAllSamples; left;)
      {
        const int lead = __builtin_ctz(left);
        const OdUInt32 id = ids[lead];
        const Side side = id == kNone ? Side{kNone, 0.f} : m_sides[id];
        unsigned mask = 0;
        for (int s = lead; s < kSamples; ++s)
          if (ids[s] == id || (ids[s] != kNone && m_sides[ids[s]].surface == side.surface &&
                               std::fabs(depth[s] - depth[lead]) <= side.reach))
            mask |= 1u << s;
        mask &= left;
        left &= ~mask;
        if (id == kNone)
          flags = mask;
        else
          add(id, mask, x, y), flags |= mask == kAllSamples ? kWhole : 0u;
      }
      const std::size_t opaque = count;
      float lastDepth = 0.f;
      for (OdUInt32 f = clear ? m_fragmentStart[at] : 0, end = clear ? m_fragmentStart[at + 1] : 0; f < end; ++f)
      {
        const Fragment& fragment = m_fragments[f];
        const std::size_t last = count - 1;
        flags &= ~kWhole;
        if (count > opaque && !(p.mask[last] & fragment.mask) &&
            m_sides[p.triangle[last]].surface == m_sides[fragment.triangle].surface &&
            std::fabs(lastDepth - fragment.depth) <= m_sides[p.triangle[last]].reach)
          --count, add(p.triangle[last], p.mask[last] | fragment.mask, x, y);
        else
          add(fragment.triangle, fragment.mask, x, y), lastDepth = fragment.depth;
      }
      pixelEnd[at] = OdUInt32(count);
      pixelFlags[at] = OdUInt16(flags);
    }
  }
  shadePieces(count, scene, view);

  // Each sample takes its opaque surface's colour (or the background), then
  // each transparent one's over it; the pixel is their mean, through the
  // tone curve to sRGB. A pixel of background alone keeps its exact colour.
  const rgba background{m_background.x, m_background.y, m_background.z, 0.f};
  const OdUInt8 exact[4] = {OdUInt8(ODGETRED(options.background)), OdUInt8(ODGETGREEN(options.background)),
                            OdUInt8(ODGETBLUE(options.background)), 255};
  const OdUInt8* encode = encodeTable();
  // (The arrays' pointers held in locals: the picture's bytes may alias anything.)
  const rgba* colors = p.color.data();
  std::size_t pixel = 0, begin = 0;
  for (int row = y0; row < y1; ++row)
  {
    OdUInt8* out = target.data() + (std::size_t(m_viewTop + row) * target.pixelWidth() + std::size_t(m_viewLeft)) * 4;
    for (int column = 0; column < width; ++column, out += 4, begin = pixelEnd[pixel++])
    {
      if (column + kLanes <= width && wholeRun(pixelFlags + pixel))
      {
        // kLanes pixels side by side, each one piece: their colours follow
        // one another and are encoded together.
        encodeRun(colors + begin, encode, out);
        column += kLanes - 1, out += 4 * (kLanes - 1), pixel += kLanes - 1, begin += kLanes - 1;
        continue;
      }
      rgba color = colors[begin];
      if (pixelFlags[pixel] == kAllSamples && begin == pixelEnd[pixel])
      {
        std::memcpy(out, exact, 4);
        continue;
      }
      if (pixelFlags[pixel] != kWhole)
      {
        rgba sample[kSamples];
        for (int s = 0; s < kSamples; ++s)
          sample[s] = background;
        for (std::size_t i = begin; i < pixelEnd[pixel]; ++i)
        {
          const bool transparent = p.triangle[i] >= m_opaqueCount;
          const float opacity =
            transparent ? scene.materials[scene.meshes[m_surfaces[p.triangle[i]].mesh].material].opacity : 1.f;
          for (int s = 0; s < kSamples; ++s)
            if (p.mask[i] >> s & 1)
              sample[s] += (colors[i] - sample[s]) * opacity;
        }
        color = (sample[0] + sample[1] + sample[2] + sample[3]) * (1.f / kSamples);
      }
      const auto index = encodeIndex(color);
      out[0] = encode[index[0]], out[1] = encode[index[1]], out[2] = encode[index[2]], out[3] = 255;
    }
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
    if (oneMesh)
      end = std::min(count, begin + std::size_t(kLanes));
    else
      for (end = begin + 1; end < count && end - begin < std::size_t(kLanes) &&
                            (p.triangle[end] == p.triangle[end - 1] || m_surfaces[p.triangle[end]].mesh == mesh);)
        ++end;
    // The planes at each piece's point (the centre of its samples, which
    // lies on its triangle), side by side: the position and 1 / t, and the
    // normal; for a map also their change per pixel. Lanes past the end
    // repeat the last piece.
    const SceneMesh& sceneMesh = scene.meshes[mesh];
    const bool steps = scene.materials[sceneMesh.material].map.kind != MapKind::None;
    const rgba* planes[kLanes];
    for (int k = 0; k < kLanes; ++k)
      planes[k] = m_surfaces[p.triangle[std::min(begin + std::size_t(k), end - 1)]].plane;
    auto group = [&planes](int g, vfloat out[4]) {
      const void* rows[kLanes];
      for (int k = 0; k < kLanes; ++k)
        rows[k] = planes[k] + g;
      transpose(rows, out);
    };
    vint lane;
    for (int k = 0; k < kLanes; ++k)
      lane[k] = k;
    const vint past = lane >= std::int32_t(end - begin);
    vfloat origin[4], value[2][4], along[2][2][4]; // along[g][0]: right, along[g][1]: down
    group(Surface::kOrigin, origin);
    const vfloat dx = select(past, splat(p.x[end - 1]), load(&p.x[begin])) - origin[0];
    const vfloat dy = select(past, splat(p.y[end - 1]), load(&p.y[begin])) - origin[1];
    for (int g = 0; g < 2; ++g)
    {
      group(Surface::kAt + g, value[g]);
      group(Surface::kAlongX + g, along[g][0]);
      group(Surface::kAlongY + g, along[g][1]);
      for (int c = 0; c < 4; ++c)
        value[g][c] += along[g][0][c] * dx + along[g][1][c] * dy;
    }
    // Back to the attributes: divided by 1/t. A pixel step moves the point
    // by d(P w) / w - P dw / w.
    const vfloat inverse = 1.f / max(value[0][3], splat(1e-30f));
    SurfacePoints points;
    points.position = vec3{value[0][0], value[0][1], value[0][2]} * inverse;
    points.normal = normalize(vec3{value[1][0], value[1][1], value[1][2]});
    for (int d = 0; d < 2; ++d)
    {
      const vfloat* a = along[0][d];
      (d == 0 ? points.dx : points.dy) = steps ? (vec3{a[0], a[1], a[2]} - points.position * a[3]) * inverse : vec3{};
    }
    points.toEye = view.perspective ? normalize(splat(m_cameraWorld) - points.position) : splat(-m_viewDirWorld);
    const vec3 color = Shader(scene.materials[sceneMesh.material], sceneMesh.geometry->frame, m_lighting).shade(points);
    // Lanes past the end land on pieces shaded later (or the spare room).
    const vfloat channels[4] = {color.x, color.y, color.z, splat(0.f)};
    void* rows[kLanes];
    for (int k = 0; k < kLanes; ++k)
      rows[k] = &m_pieces.color[begin + std::size_t(k)];
    transpose(channels, rows);
  }
}

void Pipeline::findVisible(int y0, int y1, bool opaque)
{
  const std::size_t first = std::size_t(y0) * std::size_t(m_width),
                    pixels = std::size_t(y1 - y0) * std::size_t(m_width);
  // Pixels are numbered in the frame; the buffers start at the band's
  // unless they are kept.
  const std::size_t offset = m_keptVisibility ? 0 : first;
  float* const depthBuffer = m_depth.data();
  OdUInt32* const idBuffer = m_ids.data();
  const int top = m_viewTop + y0, bottom = m_viewTop + y1;
  // The band's triangles, opaque ones first.
  const std::size_t band = std::size_t(y0 / m_bandRows);
  const OdUInt32 *banded = m_banded.data() + m_bandStart[band], *bandEnd = m_banded.data() + m_bandStart[band + 1];
  const OdUInt32* firstTransparent = std::lower_bound(banded, bandEnd, OdUInt32(m_opaqueCount));
  if (opaque)
  {
    // Stored a vector at a time: copying what is filled after itself reads
    // as much as it writes.
    const std::size_t n = pixels * kSamples;
    float* depthAt = depthBuffer + (first - offset) * kSamples;
    OdUInt32* idAt = idBuffer + (first - offset) * kSamples;
    const vfloat far = splat(std::numeric_limits<float>::max());
    const vint none = splat(std::int32_t(kNone));
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
    {
      store(depthAt + i, far);
      std::memcpy(idAt + i, &none, sizeof none);
    }
    for (; i < n; ++i)
      depthAt[i] = std::numeric_limits<float>::max(), idAt[i] = kNone;
    for (const OdUInt32* at = banded; at != firstTransparent; ++at)
      rasterize(m_coverage[*at], top, bottom,
                [depthBuffer, idBuffer, offset, i = *at](std::size_t pixel, auto inside, auto z) {
                  float* depthAt = depthBuffer + (pixel - offset) * kSamples;
                  OdUInt32* idAt = idBuffer + (pixel - offset) * kSamples;
                  decltype(z) depth;
                  decltype(inside) ids;
                  std::memcpy(&depth, depthAt, sizeof depth);
                  std::memcpy(&ids, idAt, sizeof ids);
                  const auto hit = inside & (z < depth);
                  depth = hit ? z : depth;
                  ids = hit ? decltype(ids){} + std::int32_t(i) : ids;
                  std::memcpy(depthAt, &depth, sizeof depth);
                  std::memcpy(idAt, &ids, sizeof ids);
                });
  }
  // Transparent triangles: their samples in front of the opaque ones, by
  // pixel of the band, each pixel's far to near (by depth at the pixel
  // centre).
  std::vector<Fragment>& found = m_sorting;
  found.clear();
  for (const OdUInt32* at = firstTransparent; at != bandEnd; ++at)
  {
    const OdUInt32 i = *at;
    rasterize(
      m_coverage[i], top, bottom, [depthBuffer, i, first, offset, &found](std::size_t pixel, auto inside, auto z) {
        decltype(z) depth;
        std::memcpy(&depth, depthBuffer + (pixel - offset) * kSamples, sizeof depth);
        const auto hit = inside & (z < depth);
        for (int q = 0; q < int(sizeof z / sizeof z[0]); q += kSamples, ++pixel)
        {
          unsigned mask = 0;
          for (int s = 0; s < kSamples; ++s)
            mask |= hit[q + s] ? 1u << s : 0u;
          if (mask)
            found.push_back({OdUInt32(pixel - first), i, (z[q] + z[q + 1] + z[q + 2] + z[q + 3]) / kSamples, mask});
        }
      });
  }
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
    m_sampleGrid[0][s] = std::int32_t(m_sampleX[s] * 256.f);
    m_sampleGrid[1][s] = std::int32_t(m_sampleY[s] * 256.f);
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
  const bool repeated = known && key == m_lastFrame, again = repeated && m_keptVisibility;
  m_lastFrame = known ? std::move(key) : std::vector<double>();
  if (!again)
  {
    transform(scene, clipped, options);
    setupTriangles(scene, clipped, options);
    // A frame drawn a second time as it was (the browser's materials one
    // after another on its sample) is likely drawn so again: its buffers
    // hold the whole frame, kept. Others need a band's, which stays in the
    // cache while the band is rasterized and resolved.
    m_keptVisibility = repeated;
    const int rows = repeated ? m_height : std::min(m_bandRows, m_height);
    m_depth.resize((std::size_t(m_width) * std::size_t(rows) + 1) * kSamples);
    m_ids.resize(m_depth.size());
  }

  // A band of rows at a time, rasterized, resolved and shaded while its
  // samples and pieces are in the cache.
  for (int y0 = 0, rows = m_bandRows; y0 < m_height; y0 += rows)
  {
    findVisible(y0, std::min(y0 + rows, m_height), !again);
    resolveBand(y0, std::min(y0 + rows, m_height), scene, clipped, options, target);
  }
  return OdUInt32(m_coverage.size());
}

std::unique_ptr<RenderPath> makeRenderPath() { return std::make_unique<Pipeline>(); }
} // namespace OdGsRender::OD_RENDER_ISA
