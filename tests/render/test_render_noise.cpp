// The solid textures' noise: the cheap value-only form must agree with the
// full one, and the full one's gradient with its values. And the shader's
// shortcut for the highlight.
#include "Shading.h"

#include <gtest/gtest.h>

#include <random>

using namespace OdGsRender;
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

TEST(RenderHighlight, WhatIsLeftOutOfTheHighlightIsBelowWhatAPixelShows)
{
  // Where N.H is at most the floor the highlight's power is not worked out.
  // Swept across the floor on a black material (where the least light
  // shows), every pixel must come out as with the whole highlight.
  Lighting light;
  light.direction[0] = {0.f, 0.f, 1.f};
  light.intensity[0] = 1.25f; // the most a light gives
  const ObjectFrame frame;
  const OdUInt8* encode = OdGsRender::encodeTable();
  auto code = [encode](float value) { return encode[encodeIndex(rgba{value, 0.f, 0.f, 0.f})[0]]; };
  for (int step = 0; step <= 10; ++step)
  {
    SurfaceMaterial whole;
    whole.specular = {1.f, 1.f, 1.f};
    glossToSpecular(step / 10.0, whole.exponent, whole.specularScale);
    whole.specularScale = 1.f; // at its strongest
    SurfaceMaterial cut = whole;
    cut.glintFloor = glintFloor(whole.exponent);
    ASSERT_GT(cut.glintFloor, 0.f);
    ASSERT_LT(cut.glintFloor, 1.f);
    int lit = 0;
    // N.H from a little below the floor to well above it, lanes side by side.
    for (int i = 0; i < 64; ++i)
    {
      SurfacePoints points{};
      for (int k = 0; k < kLanes; ++k)
      {
        const float nh = std::min(cut.glintFloor * (0.8f + 0.01f * float(i * kLanes + k)), 1.f);
        points.normal.x[k] = std::sqrt(1.f - nh * nh), points.normal.z[k] = nh;
        points.toEye.z[k] = 1.f;
      }
      const vec3 a = Shader(whole, frame, light).shade(points), b = Shader(cut, frame, light).shade(points);
      for (int k = 0; k < kLanes; ++k)
      {
        EXPECT_EQ(code(a.x[k]), code(b.x[k])) << "gloss " << step / 10.0 << ", N.H " << points.normal.z[k];
        lit += code(b.x[k]) > 0 ? 1 : 0;
      }
    }
    EXPECT_GT(lit, 0) << "gloss " << step / 10.0 << ": a highlight shows above the floor";
  }
}
