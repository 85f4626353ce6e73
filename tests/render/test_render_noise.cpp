// The solid textures' noise: the cheap value-only form must agree with the
// full one, and the full one's gradient with its values.
#include "Shading.h"

#include <gtest/gtest.h>

#include <random>

using namespace OdGsRender::OD_RENDER_ISA;

namespace
{
vec3 lanes(std::mt19937& random, float range)
{
  std::uniform_real_distribution<float> at(-range, range);
  vec3 p;
  for (int k = 0; k < kLanes; ++k)
    p.x[k] = at(random), p.y[k] = at(random), p.z[k] = at(random);
  return p;
}
} // namespace

TEST(RenderNoise, ValueAloneMatchesTheNoiseWithItsGradient)
{
  // Negative cells and far ones too: the hash must see the same lattice.
  std::mt19937 random(7);
  float lowest = 0.f, highest = 0.f;
  for (float range : {1.f, 40.f, 5000.f})
    for (int i = 0; i < 500; ++i)
    {
      const vec3 p = lanes(random, range);
      const vfloat cheap = noiseValue(p), full = gradientNoise(p).value;
      for (int k = 0; k < kLanes; ++k)
      {
        ASSERT_NEAR(cheap[k], full[k], 1e-5f) << p.x[k] << ", " << p.y[k] << ", " << p.z[k];
        lowest = std::min(lowest, full[k]), highest = std::max(highest, full[k]);
      }
    }
  // Not flat: both signs, well away from zero.
  EXPECT_LT(lowest, -0.4f);
  EXPECT_GT(highest, 0.4f);
}

TEST(RenderNoise, GradientMatchesTheValuesChangeAndLatticePointsAreZero)
{
  std::mt19937 random(11);
  const float h = 1e-3f;
  for (int i = 0; i < 200; ++i)
  {
    const vec3 p = lanes(random, 20.f);
    const Noise n = gradientNoise(p);
    const vfloat dx = (noiseValue(p + vec3{splat(h), splat(0.f), splat(0.f)}) -
                       noiseValue(p - vec3{splat(h), splat(0.f), splat(0.f)})) /
                      (2.f * h);
    const vfloat dz = (noiseValue(p + vec3{splat(0.f), splat(0.f), splat(h)}) -
                       noiseValue(p - vec3{splat(0.f), splat(0.f), splat(h)})) /
                      (2.f * h);
    for (int k = 0; k < kLanes; ++k)
    {
      EXPECT_NEAR(n.gradient.x[k], dx[k], 0.05f);
      EXPECT_NEAR(n.gradient.z[k], dz[k], 0.05f);
    }
  }
  // Gradient noise is zero on its lattice, whatever the corner's hash.
  const vec3 corner{splat(-3.f), splat(7.f), splat(12.f)};
  const vfloat zero = noiseValue(corner);
  EXPECT_FLOAT_EQ(zero[0], 0.f);
}
