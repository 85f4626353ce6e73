#include "Material.h"

namespace OdGsRender
{
void glossToSpecular(double gloss, float& exponent, float& scale)
{
  const float g = std::min(std::max(float(gloss), 0.f), 1.f);
  exponent = std::exp2(1.f + 9.f * g); // 2 (matte) .. 1024 (mirror-like)
  scale = 0.15f + 0.85f * g;
}

Lighting Lighting::forCamera(const OdGeMatrix3d& eyeToWorld)
{
  Lighting l;
  l.direction[0] = normalize(Vec3(eyeToWorld * OdGeVector3d(-0.45, 0.55, 0.70)));
  l.direction[1] = normalize(Vec3(eyeToWorld * OdGeVector3d(0.6, -0.35, 0.45)));
  // Together at most 1.25 (the two lights are 98 degrees apart), where the
  // tone curve reaches white: a white surface facing the key light shows
  // white.
  l.intensity[0] = 1.2f;
  l.intensity[1] = 0.15f;
  l.ambient = 0.05f;
  return l;
}

PeriodicProfile::PeriodicProfile(const std::function<float(float)>& profile)
{
  integral[0] = 0.f;
  for (int i = 0; i <= kSteps; ++i)
  {
    value[i] = profile(float(i) / kSteps);
    if (i > 0) // trapezoids
      integral[i] = integral[i - 1] + 0.5f * (value[i - 1] + value[i]) / kSteps;
  }
  for (int i = 0; i < kSteps; ++i)
  {
    valuePairs[i][0] = value[i], valuePairs[i][1] = value[i + 1];
    integralPairs[i][0] = integral[i], integralPairs[i][1] = integral[i + 1];
  }
}

void setMarbleProfile(MarbleParams& params)
{
  // A vein is the crest of a sine raised to a power: wider veins, lower power.
  const float sharpness = 8.f / std::max(params.width, 0.05f);
  params.veins = std::make_shared<PeriodicProfile>(
    [sharpness](float f) { return std::pow(0.5f + 0.5f * std::sin(6.2831853f * f), sharpness); });
}
} // namespace OdGsRender
