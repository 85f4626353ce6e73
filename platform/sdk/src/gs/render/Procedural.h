// The parameters of the solid (3-D) procedural textures, marble and wood
// (evaluated by Shading.h), and the tabulated profile their veins and
// rings are filtered with.
#pragma once

#include "RenderMath.h"

#include <functional>
#include <memory>

namespace OdGsRender
{
// A profile of period 1 tabulated with its running integral, so that its
// mean over any interval (a pixel's footprint) is a difference of two
// lookups (filtered() in Shading.h).
struct PeriodicProfile
{
  explicit PeriodicProfile(const std::function<float(float)>& profile);

  static constexpr int kSteps = 256;
  float value[kSteps + 1];
  float integral[kSteps + 1]; // from 0 to i / kSteps
  // Each entry with the next beside it: an interpolated lookup is one read.
  float valuePairs[kSteps][2];
  float integralPairs[kSteps][2];
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

struct WoodParams
{
  Vec3 color1;              // early wood, between the rings (linear)
  Vec3 color2;              // the rings
  float radialNoise = 0.3f; // wobble of the rings across the grain
  float axialNoise = 0.3f;  // wobble along the trunk axis (z)
  float grain = 0.1f;       // ring spacing
};
} // namespace OdGsRender
