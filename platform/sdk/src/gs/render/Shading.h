// The shading half of the renderer, compiled once per vector path (see
// Simd.h): a material's shader, filtered image maps and the solid textures.
#pragma once

#include "Simd.h"

namespace OdGsRender::OD_RENDER_ISA
{
// kLanes points of one surface, as the pipeline hands them to a shader.
struct SurfacePoints
{
  vec3 position; // world
  vec3 normal;   // world, unit, toward the viewer's side of the surface
  vec3 toEye;    // world, unit
  vec3 dx, dy;   // how far the point moves for one pixel step right and one down
};

// Lights the points of one object with one material: the base colour (the
// diffuse colour, or the map filtered over each pixel's footprint), then
// ambient, diffuse and Blinn-Phong light, in linear light.
class Shader
{
public:
  Shader(const SurfaceMaterial& material, const ObjectFrame& frame, const Lighting& lighting)
    : m_material(material), m_map(material.map), m_frame(frame), m_lighting(lighting)
  {
  }
  vec3 shade(const SurfacePoints& points) const;

private:
  // Map coordinates and how far they move for a pixel step right and down.
  struct MapPoint
  {
    vfloat u, v, ux, uy, vx, vy;
  };
  vec3 baseColor(const SurfacePoints& points) const;
  MapPoint project(const SurfacePoints& points) const;
  vec3 imageColor(const SurfacePoints& points) const;

  const SurfaceMaterial& m_material;
  const DiffuseMap& m_map;
  const ObjectFrame& m_frame;
  const Lighting& m_lighting;
};

// Folds texture coordinates into [0, 1] by the tiling; the lanes it leaves
// valid (None is invalid outside the tile).
vint applyTiling(vfloat& t, Tiling tiling);

// Trilinear samples at (u, v) in [0, 1] (v = 0 the bottom edge) from mip
// level lod (0 the full picture): colour premultiplied by alpha, in linear
// light, and alpha. The tilings decide which texels neighbour the edges.
// Lanes not in active are left alone.
void sampleTexture(const TextureImage& image, vfloat u, vfloat v, vfloat lod, Tiling tu, Tiling tv, vint active,
                   vfloat out[4]);

// Solid (3-D) procedural textures: gradient noise, marble and wood, each
// averaged over the footprint of the pixel it colours, so fine veins and
// grain turn into their mean colour instead of shimmering.
//
// Coordinates are the texture space of the map: the object's point relative
// to its centre, divided by its largest size (so the object spans about
// -0.5..0.5), then through the map's transform.

// A point of a solid texture and how far it moves for one pixel step right
// and one step down.
struct SolidPoint
{
  vec3 p, dx, dy;
};

// Gradient noise (about -1..1, smooth) with its gradient.
struct Noise
{
  vfloat value;
  vec3 gradient;
};
Noise gradientNoise(const vec3& p);
// Its value alone, for less.
vfloat noiseValue(const vec3& p);

// The profile's mean over [x - width / 2, x + width / 2].
vfloat filtered(const PeriodicProfile& profile, vfloat x, vfloat width);

vec3 marbleColor(const MarbleParams& params, const SolidPoint& point);
vec3 woodColor(const WoodParams& params, const SolidPoint& point);
} // namespace OdGsRender::OD_RENDER_ISA
