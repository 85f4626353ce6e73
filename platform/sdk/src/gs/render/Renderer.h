// The pipeline: transform and clip the triangles, rasterize them into a
// visibility buffer (depth and triangle per sample) and into per-pixel lists
// of transparent fragments, then a row at a time resolve each pixel into the
// surfaces it shows, have each material's shader colour them (Material.h),
// and blend the samples in linear light. The rasterizer knows nothing of
// materials. All state lives in the renderer object, one per device.
#pragma once

#include "Scene.h"

#include "od/Gs.h"

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

class Renderer
{
public:
  // Draws the scene into the viewport part of the picture (the rest is
  // left alone); returns the number of triangles drawn.
  OdUInt32 render(const Scene& scene, const ViewSetup& view, const RenderOptions& options, OdGiRasterImageRGBA& target);

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
} // namespace OdGsRender
