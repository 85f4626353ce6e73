// The pipeline's frame: the sample grid, the camera, whether the last
// frame's visibility can be kept, then a band of rows at a time through the
// stages (Pipeline.h).
#include "Pipeline.h"

namespace OdGsRender::OD_RENDER_ISA
{
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
