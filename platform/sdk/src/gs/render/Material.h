// Surface materials as the renderer uses them, and the shader that lights a
// point of a surface with one.
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
  float uvPerUnit = 1.f;    // texture units per map unit (for mip levels)
  bool fitToObject = false; // map coordinates are fractions of the object
  float blend = 1.f;        // 0: the base colour, 1: the map, above: brighter
};

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
};

struct ShadePoint
{
  Vec3 position; // world
  Vec3 normal;   // world, unit, facing the viewer's side of the surface
  Vec3 toEye;    // world, unit
  float pixelSize = 1.f; // world size of one pixel at the point
};

// Glossiness 0..1 to the exponent and strength of the highlight: higher
// glossiness gives a smaller, brighter highlight.
void glossToSpecular(double gloss, float& exponent, float& scale);

// Texture coordinates of a point by the map's projection, before the map's
// transform; false when the projection has no value there.
void projectPoint(const DiffuseMap& map, const ObjectFrame& frame, const Vec3& position, const Vec3& normal, float& u,
                  float& v);

// The base (diffuse) colour of the point: the diffuse colour, with the map
// laid on when there is one and it reaches the point.
Vec3 baseColor(const SurfaceMaterial& material, const ObjectFrame& frame, const ShadePoint& point);

// Points to shade as arrays, one entry per point.
struct ShadeArrays
{
  const float* position[3];
  const float* normal[3];
  const float* toEye[3];
  const float* pixelSize;
};

// baseColor of the entries [begin, end), four at a time from begin: the
// arrays (in and out) need room for three entries past end, which may be
// read and overwritten. noise carries lattice cells from one call to the
// next.
void baseColors(const SurfaceMaterial& material, const ObjectFrame& frame, const ShadeArrays& points, std::size_t begin,
                std::size_t end, SolidNoise& noise, float* const out[3]);

// Lit colour (0..1 per channel, not clamped).
Vec3 shade(const SurfaceMaterial& material, const ObjectFrame& frame, const Lighting& lighting, const ShadePoint& point);
} // namespace OdGsRender
