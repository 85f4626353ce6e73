// The pipeline: transform and clip the triangles, rasterize them into a
// visibility buffer (depth and triangle per sample) and into per-pixel lists
// of transparent fragments, then a row at a time resolve each pixel into the
// surfaces it shows, have each material's shader colour them (Shading.h),
// and blend the samples in linear light. The rasterizer knows nothing of
// materials. All state lives in the renderer object, one per device; the
// pipeline itself (Pipeline.h, a file a stage) is compiled once per vector
// path.
#pragma once

#include "Scene.h"

#include "od/Gs.h"

#include <memory>

namespace OdGsRender
{
// Where the camera is and how eye coordinates become pixels.
struct ViewSetup
{
  OdGeMatrix3d viewing; // world to eye (rigid)
  bool perspective = false;
  double distance = 1.0; // camera to target
  double scale = 1.0;    // pixels per drawing unit on the target plane
  double centerX = 0.0;  // device pixel of the target
  double centerY = 0.0;
  int left = 0, top = 0, right = 0, bottom = 0; // viewport pixels [left, right) x [top, bottom)
};

struct RenderOptions
{
  bool discardBackFaces = false;
  bool antialias = true;    // four samples a pixel; else one at its centre
  bool flatShading = false; // one normal per face, the face's own, instead of the mesh's smooth ones
  ODCOLORREF background = 0;
};

// The vector instructions the pixel work runs on: SSE2, which every x86-64
// processor has, or AVX2 with FMA (twice as many lanes).
enum class VectorPath
{
  Sse2,
  Avx2,
};
const char* vectorPathName(VectorPath path);
bool canRun(VectorPath path);
VectorPath fastestVectorPath(); // of those the processor can run

// One vector path's pipeline (Pipeline.h, compiled for each).
class RenderPath
{
public:
  virtual ~RenderPath() = default;
  virtual OdUInt32 render(const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                          OdGiRasterImageRGBA& target) = 0;
};

class Renderer
{
public:
  Renderer() : Renderer(fastestVectorPath()) {}
  explicit Renderer(VectorPath path);

  // Draws the scene into the viewport part of the picture (the rest is
  // left alone); returns the number of triangles drawn.
  OdUInt32 render(const Scene& scene, const ViewSetup& view, const RenderOptions& options, OdGiRasterImageRGBA& target)
  {
    return m_pipeline->render(scene, view, options, target);
  }
  VectorPath path() const { return m_path; }

private:
  VectorPath m_path;
  std::unique_ptr<RenderPath> m_pipeline;
};
} // namespace OdGsRender
