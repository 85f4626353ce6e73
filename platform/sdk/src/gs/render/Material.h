// Surface materials and lights as the renderer uses them (the shader that
// lights points with them is in Shading.h).
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
  float glintFloor = 0.f;     // below this N.H the highlight is under 2^-16: not worked out
  float opacity = 1.f;
  DiffuseMap map;
};

// Glossiness 0..1 to the exponent and strength of the highlight: higher
// glossiness gives a smaller, brighter highlight.
void glossToSpecular(double gloss, float& exponent, float& scale);
// Where exponent's highlight falls under 2^-16 (a sixteenth of the least
// code step, even on black): N.H at or below it shows none.
inline float glintFloor(float exponent) { return exponent > 0.f ? std::exp2(-16.f / exponent) : 0.f; }

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

} // namespace OdGsRender
