// Solid (3-D) procedural textures: gradient noise, marble and wood, each
// averaged over the footprint of the pixel it colours, so fine veins and
// grain turn into their mean colour instead of shimmering.
//
// Coordinates are the texture space of the map: the object's point relative
// to its centre, divided by its largest size (so the object spans about
// -0.5..0.5), then through the map's transform.
#pragma once

#include "RenderMath.h"

#include <functional>
#include <memory>

namespace OdGsRender
{
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

// A profile of period 1 tabulated with its running integral, so that its
// mean over any interval (a pixel's footprint) is a difference of two
// lookups.
class PeriodicProfile
{
public:
  explicit PeriodicProfile(const std::function<float(float)>& profile);
  // The mean over [x - width / 2, x + width / 2].
  vfloat filtered(vfloat x, vfloat width) const;

private:
  static constexpr int kSteps = 256;
  float m_value[kSteps + 1];
  float m_integral[kSteps + 1]; // from 0 to i / kSteps
};

struct MarbleParams
{
  Vec3 stone; // linear colours
  Vec3 vein;
  float spacing = 1.f;                          // larger: fewer veins
  float width = 1.f;                            // larger: wider veins
  std::shared_ptr<const PeriodicProfile> veins; // set by setMarbleProfile
};
// The vein profile across one period for the params' width.
void setMarbleProfile(MarbleParams& params);
vec3 marbleColor(const MarbleParams& params, const SolidPoint& point);

struct WoodParams
{
  Vec3 color1;              // early wood, between the rings (linear)
  Vec3 color2;              // the rings
  float radialNoise = 0.3f; // wobble of the rings across the grain
  float axialNoise = 0.3f;  // wobble along the trunk axis (z)
  float grain = 0.1f;       // ring spacing
};
vec3 woodColor(const WoodParams& params, const SolidPoint& point);
} // namespace OdGsRender
