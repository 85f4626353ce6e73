// Setup and binning: vertices to the screen, triangles clipped to the guard
// band and worked out for the rasterizer kLanes at a time, then listed under
// the bands of rows they reach.
#include "Pipeline.h"

namespace OdGsRender::OD_RENDER_ISA
{
namespace
{
// Triangles are clipped this far outside the viewport: every pixel position
// then stays within 2^15 of the origin (a device is at most 16384 wide),
// which the exact edge functions rely on.
constexpr double kGuard = 8192.0;
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
} // namespace OdGsRender::OD_RENDER_ISA
