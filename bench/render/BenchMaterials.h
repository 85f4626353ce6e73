// The materials the renderer benchmarks draw: plain, marble and an image
// map of a smooth photo-like picture, varied by a seed.
#pragma once

#include "RenderHarness.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace renderbench
{
using namespace rendertest;

inline const std::string& photoLikeImage()
{
  static const std::string path = [] {
    const std::string p = tempPath("bench_photo.bmp");
    writeBmp(p, 256, 256, [](int x, int y) {
      const double v = 0.5 + 0.25 * std::sin(x * 0.11) + 0.25 * std::cos(y * 0.07 + x * 0.03);
      return ODRGB(unsigned(200 * v), unsigned(150 * v + 40), unsigned(90 + 60 * v));
    });
    return p;
  }();
  return path;
}

// The renderer's vector instructions: by default the widest the processor
// has; --vector-path=SSE2 or AVX2 (taken off the command line before Google
// Benchmark reads it) picks one. Every run's context names the one used.
inline std::string& vectorPath()
{
  static std::string path;
  return path;
}
inline void takeVectorPathFlag(int& argc, char** argv)
{
  const char* const flag = "--vector-path=";
  int kept = 1;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
      vectorPath() = argv[i] + std::strlen(flag);
    else
      argv[kept++] = argv[i];
  argc = kept;
  Harness probe;
  if (!vectorPath().empty() && !probe.software()->setVectorPath(vectorPath().c_str()))
    throw std::runtime_error("this processor cannot run the vector path " + vectorPath());
  if (vectorPath().empty())
    vectorPath() = probe.software()->vectorPath();
  benchmark::AddCustomContext("renderer vector path", vectorPath());
}
inline void useVectorPath(Harness& h) { h.software()->setVectorPath(vectorPath().c_str()); }

enum class Map
{
  Plain,
  Marble,
  Image
};

inline void setMaterial(OdDbMaterial& m, Map kind, int seed)
{
  MaterialMap map;
  map.setSource(kScene);
  if (kind == Map::Marble)
  {
    OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
    marble->setStoneColor(rgb(230, 225, 210 - seed % 40));
    marble->setVeinColor(rgb(60, 70, 90 + seed % 60));
    map.setSource(kProcedural);
    map.setTexture(OdGiMaterialTexturePtr(marble.get()));
  }
  else if (kind == Map::Image)
  {
    map.setSource(kFile);
    map.setSourceFileName(OdString(photoLikeImage().c_str()));
    map.mapper().setAutoTransform(MapMapper::kObject);
  }
  m.setDiffuse(rgb(40 + seed % 200, 120, 200 - seed % 150), map);
  m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.2 + (seed % 7) * 0.1);
}
} // namespace renderbench
