// The renderer's pipeline, one file a stage as the work flows: setup and
// binning, rasterizing, resolving, shading, encoding (PipelineSetup.cpp and
// on); Pipeline.cpp runs them band by band. Compiled once per vector path
// (see Simd.h), as Shading.h is.
#pragma once

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

  // Setup and binning (PipelineSetup.cpp): vertices to the screen, the
  // triangles that show clipped and worked out for rasterizing, then listed
  // by band.
  void transform(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void addDot(OdUInt32 mesh, OdUInt32 surface, const ViewSetup& view);
  // Lists each triangle under the bands of rows it reaches.
  void binTriangles();
  void project(Vertex& v, const ViewSetup& view) const;
  void setupTriangles(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void findTriangle(OdUInt32 mesh, OdUInt32 surface, const OdUInt32 corner[3], const RenderOptions& options);
  void setupFound(const RenderOptions& options);
  // Rasterizing (PipelineRaster.cpp): the triangles over a band of rows
  // give the visibility buffer (unless it is kept from the last frame) and
  // the transparent fragments.
  void findVisible(int y0, int y1, bool opaque);
  template <class Write>
  void rasterize(const Coverage& triangle, int top, int bottom, Write write) const;
  template <class Int, class Write>
  void walk(const Coverage& t, int top, int bottom, typename SampleVector<Int>::type edge[3], const Int edgeX[3],
            const Int edgeY[3], Write write) const;
  // Resolving (PipelineResolve.cpp): each pixel of a band to its pieces,
  // which are shaded and then encoded into the picture.
  void resolveBand(int y0, int y1, const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                   OdGiRasterImageRGBA& target);
  // Shading (PipelineShade.cpp): the first count pieces' linear colours.
  void shadePieces(std::size_t count, const Scene& scene, const ViewSetup& view);
  // Encoding (PipelineEncode.cpp): the band's pieces blended per sample and
  // written as the picture's bytes.
  void encodeBand(int y0, int y1, const Scene& scene, const RenderOptions& options, OdGiRasterImageRGBA& target) const;

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

static_assert(Pipeline::kSamples == 4, "the rasterizer's sample masks are four wide");
constexpr OdUInt32 kNone = 0xFFFFFFFFu;
typedef std::int32_t SampleMask __attribute__((vector_size(4 * Pipeline::kSamples)));
constexpr unsigned kAllSamples = (1u << Pipeline::kSamples) - 1;
constexpr unsigned kWhole = 1u << Pipeline::kSamples; // a pixel of one opaque piece over all samples

// floor and ceil without the library call (no SSE4.1 assumed), for
// values kept within int's range.
inline int floorInt(double v)
{
  const int i = int(v);
  return i - (v < double(i) ? 1 : 0);
}
inline int ceilInt(double v) { return -floorInt(-v); }
} // namespace OdGsRender::OD_RENDER_ISA
