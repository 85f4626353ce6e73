// Solid (3-D) procedural textures: gradient noise, marble and wood.
//
// Coordinates are the texture space of the map: the object's point relative
// to its centre, divided by its largest size (so the object spans about
// -0.5..0.5), then through the map's transform.
#pragma once

#include "RenderMath.h"
#include "Simd.h"

namespace OdGsRender
{
// Gradient (Perlin) noise, about -1..1, smooth, period 256.
float gradientNoise(float x, float y, float z);
// Sum of octaves of |noise|, each twice the frequency and half the weight.
float turbulence(const Vec3& p, int octaves);

struct MarbleParams
{
  Vec3 stone;
  Vec3 vein;
  float spacing = 1.f; // larger: fewer veins
  float width = 1.f;   // larger: wider veins
};
Vec3 marbleColor(const MarbleParams& params, const Vec3& p);

struct WoodParams
{
  Vec3 color1; // early wood, between the rings
  Vec3 color2; // the rings
  float radialNoise = 0.3f; // wobble of the rings across the grain
  float axialNoise = 0.3f;  // wobble along the trunk axis (z)
  float grain = 0.1f;       // ring spacing
};
Vec3 woodColor(const WoodParams& params, const Vec3& p);

// Lattice cells met by a four-wide noise with their eight corner gradients
// (each component in all four lanes), by a hash of the cell. Neighbouring
// pixels nearly always share a cell, so the permutation lookups are done
// once per cell rather than per pixel.
struct NoiseCells
{
  static constexpr int kCells = 16;
  std::int32_t key[kCells] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}; // -1: unused
  f4 gradient[kCells][8][3];
};
// The cells of each noise a texture evaluates, kept across the pixels of a
// frame.
struct SolidNoise
{
  NoiseCells cells[3];
};

// Four points at once; per lane the value of the scalar function.
f4 gradientNoise4(f4 x, f4 y, f4 z, NoiseCells& cells);
Rgb4 marbleColor4(const MarbleParams& params, f4 x, f4 y, f4 z, SolidNoise& noise);
Rgb4 woodColor4(const WoodParams& params, f4 x, f4 y, f4 z, SolidNoise& noise);
} // namespace OdGsRender
