#include "Renderer.h"

namespace OdGsRender
{
namespace sse2
{
std::unique_ptr<RenderPath> makeRenderPath();
}
#ifndef OD_RENDER_SSE2_ONLY
namespace avx2
{
std::unique_ptr<RenderPath> makeRenderPath();
}
#endif

const char* vectorPathName(VectorPath path) { return path == VectorPath::Avx2 ? "AVX2" : "SSE2"; }

bool canRun(VectorPath path)
{
  // The processor's own answer (libgcc asks it once, and also checks that
  // the system saves the wide registers).
#ifdef OD_RENDER_SSE2_ONLY
  return path == VectorPath::Sse2;
#else
  __builtin_cpu_init();
  return path == VectorPath::Sse2 || (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"));
#endif
}

VectorPath fastestVectorPath() { return canRun(VectorPath::Avx2) ? VectorPath::Avx2 : VectorPath::Sse2; }

Renderer::Renderer(VectorPath path) : m_path(canRun(path) ? path : VectorPath::Sse2)
{
#ifdef OD_RENDER_SSE2_ONLY
  m_pipeline = sse2::makeRenderPath();
#else
  m_pipeline = m_path == VectorPath::Avx2 ? avx2::makeRenderPath() : sse2::makeRenderPath();
#endif
}
} // namespace OdGsRender
