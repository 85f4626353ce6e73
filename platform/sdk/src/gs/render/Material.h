// Surface materials as the renderer uses them, and the shader that lights
// points of a surface with one.
#pragma once

#include "Procedural.h"
#include "Texture.h"

namespace OdGsRender
{
enum class Projection
{
  Planar,   // onto the object's XY plane
  Box,      // onto the side of the object's box the surface faces
  Cylinder, // around the object's Z axis
  Sphere,   // longitude and latitude about the object's centre
};

enum class MapKind
{
  None,
  Image,
  Marble,
  Wood,
};

struct DiffuseMap
{
  MapKind kind = MapKind::None;
  TextureImagePtr image;
  MarbleParams marble;
  WoodParams wood;
  Projection projection = Projection::Planar;
  Tiling uTiling = Tiling::Tile;
  Tiling vTiling = Tiling::Tile;
  Affine transform;         // map coordinates to texture coordinates
  bool fitToObject = false; // map coordinates are fractions of the object
  float blend = 1.f;        // 0: the base colour, 1: the map, above: brighter
};

// Colours in linear light.
struct SurfaceMaterial
{
  Vec3 ambient;
  Vec3 diffuse;
  Vec3 specular;
  float exponent = 32.f;      // Blinn-Phong exponent from the glossiness
  float specularScale = 0.5f; // peak strength of the highlight
  float opacity = 1.f;
  DiffuseMap map;
};

// Glossiness 0..1 to the exponent and strength of the highlight: higher
// glossiness gives a smaller, brighter highlight.
void glossToSpecular(double gloss, float& exponent, float& scale);

// The box of the object a surface belongs to: maps are laid on relative to it.
struct ObjectFrame
{
  Vec3 min;
  Vec3 max;
  Vec3 centre;
  float size = 1.f; // the largest side, never 0
};

// Two distant lights fixed to the camera and an ambient level.
struct Lighting
{
  Vec3 direction[2]; // world, unit, toward the light
  float intensity[2] = {0.f, 0.f};
  float ambient = 0.f;

  // The preview's: a key light from the upper left in front of the camera
  // and a dim fill from the lower right.
  static Lighting forCamera(const OdGeMatrix3d& eyeToWorld);
};

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
} // namespace OdGsRender
