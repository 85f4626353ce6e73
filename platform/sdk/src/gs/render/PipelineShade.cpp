// Shading: the pieces of a band, kLanes at a time, through their material's
// shader.
#include "Pipeline.h"

namespace OdGsRender::OD_RENDER_ISA
{
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
} // namespace OdGsRender::OD_RENDER_ISA
