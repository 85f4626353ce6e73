// The pipeline: transform, clip, rasterize into a visibility buffer (depth
// and triangle per sample), then shade each pixel once per visible triangle
// and average the samples; transparent surfaces are blended on top, far to
// near. All state lives in the renderer object, one per device.
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
  bool antialias = true;
  // One normal per face, the face's own, instead of the mesh's smooth ones.
  bool flatShading = false;
  Vec3 background;
};

class Renderer
{
public:
  // Draws the scene into the viewport part of the picture (the rest is
  // left alone); returns the number of triangles drawn.
  OdUInt32 render(const Scene& scene, const ViewSetup& view, const RenderOptions& options, OdGiRasterImageRGBA& target);

private:
  struct Vertex
  {
    Vec3 world;
    Vec3 normal;
    Vec3 eye;
    float t = 0.f;    // distance along the view direction
    float sx = 0.f, sy = 0.f, depth = 0.f, invT = 1.f;
  };
  struct Triangle
  {
    float x0, y0;          // screen position of corner 0
    float a1, b1, a2, b2;  // barycentrics 1 and 2: a * (x - x0) + b * (y - y0)
    float z0, dzdx, dzdy;  // depth plane
    OdUInt32 v[3];
    OdUInt32 mesh;
    bool back;
    float farT;            // for sorting transparent triangles
  };

  void transform(const Scene& scene, const ViewSetup& view);
  void setupTriangles(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  void addTriangle(const Scene& scene, OdUInt32 mesh, OdUInt32 i0, OdUInt32 i1, OdUInt32 i2, const RenderOptions& options);
  OdUInt32 clipVertex(OdUInt32 inside, OdUInt32 outside);
  void project(Vertex& v, const ViewSetup& view) const;
  void pixelRange(const Triangle& tri, int& x0, int& x1, int& y0, int& y1) const;
  void rasterize(const Triangle& tri, OdUInt32 id);
  void prepareShading();
  bool sameSurface(OdUInt32 a, OdUInt32 b) const;
  void resolve(const Scene& scene, const ViewSetup& view, const RenderOptions& options);
  // Shading a row's queued pixels, four at a time: the point under each,
  // the lighting, the base colour per run of one mesh.
  void queueShade(OdUInt32 tri, float px, OdUInt32 pixel, float weight);
  void shadeRow(const Scene& scene, const ViewSetup& view, float py);
  void blendTransparent(const Scene& scene, const ViewSetup& view);
  Vec3 shadeAt(const Scene& scene, const ViewSetup& view, const Triangle& tri, float px, float py) const;
  // The triangle's own normal, turned to the side its corners' normals face.
  Vec3 faceNormal(const Triangle& tri) const;
  void write(const ViewSetup& view, OdGiRasterImageRGBA& target) const;

  // What decides the visibility buffer: when the next frame has the same
  // geometry, view and options, only shading is done again (a browser
  // showing one material after another on the same sample).
  struct FrameKey
  {
    double viewing[16] = {};
    double numbers[5] = {};
    int rect[4] = {};
    bool flags[3] = {};
    std::vector<std::pair<OdUInt64, bool>> meshes; // geometry, opaque
    bool operator==(const FrameKey& o) const;
  };
  // A row's pixels to shade, as arrays (four-wide code reads them in
  // groups, so each keeps room for three entries past the last).
  struct ShadeQueue
  {
    std::size_t count = 0;
    std::vector<OdUInt32> tri, pixel, mesh;
    std::vector<float> px, weight;
    // Filled while shading: the point, its normal (as interpolated, then
    // of unit length), toward the eye, the world size of a pixel there, the
    // light, the base colour.
    std::vector<float> P[3], N[3], Nn[3], V[3], pixelSize, diffuse, specular, base[3];
  };
  ShadeQueue m_queue;
  SolidNoise m_noise;
  FrameKey m_lastKey;
  bool m_haveKey = false;

  // Frame state, kept between frames to reuse the memory.
  std::vector<Vertex> m_vertices;
  std::vector<OdUInt32> m_meshBase;
  std::vector<Triangle> m_opaque;
  // Per opaque triangle, what shading reads of it, in the order of
  // Renderer.cpp's ShadeRecord: 32 floats, four groups of which four
  // pixels' records turn into four-lane vectors.
  std::vector<float> m_shadeRecords;
  // Per opaque triangle, what tells its smooth surface: the normal at its
  // first corner, its mesh and which side of it is seen (2 mesh + back).
  struct Surface
  {
    Vec3 normal;
    OdUInt32 side;
  };
  std::vector<Surface> m_surfaces;
  std::vector<Triangle> m_transparent;
  std::vector<float> m_depth;        // per sample
  std::vector<OdUInt32> m_ids;       // per sample: opaque triangle or kEmpty
  std::vector<float> m_color;        // per pixel of the viewport: red, green, blue, unused
  int m_viewLeft = 0, m_viewTop = 0, m_width = 0, m_height = 0, m_samples = 4;
  float m_sampleX[4] = {}, m_sampleY[4] = {};
  float m_sampleLo = 0.f, m_sampleHi = 1.f; // sample offsets' range within a pixel
  float m_near = 1.f, m_far = 2.f;
  Lighting m_lighting;
  Vec3 m_cameraWorld; // perspective: camera position
  Vec3 m_viewDirWorld; // toward the scene
  bool m_flat = false;  // RenderOptions::flatShading of this frame
};
} // namespace OdGsRender
