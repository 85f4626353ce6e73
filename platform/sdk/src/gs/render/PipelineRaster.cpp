// Rasterizing: the visibility buffer and the transparent fragments of a
// band of rows, from exact edge functions.
#include "Pipeline.h"

namespace OdGsRender::OD_RENDER_ISA
{
namespace
{
// The lanes of the samples whose value is not negative.
template <class Int>
inline auto notNegative(const Int& v)
{
  typedef std::int32_t Mask __attribute__((vector_size(sizeof(v) / sizeof(v[0]) * 4)));
  return __builtin_convertvector(v >= 0, Mask);
}
} // namespace

template <class Write>
void Pipeline::rasterize(const Coverage& triangle, int top, int bottom, Write write) const
{
  // Its rows in the band of device rows [top, bottom).
  top = std::max(top, triangle.y0), bottom = std::min(bottom, triangle.y1 + 1);
  if (top >= bottom)
    return;
  Coverage t = triangle; // a copy: the writes cannot change it, so it stays in registers
  t.z += t.zy * float(top - t.y0);
  if (t.large == kNone)
  {
    for (int k = 0; k < 3; ++k)
      t.edge[k] += (top - t.y0) * t.edgeY[k];
    return walk<std::int32_t>(t, top, bottom, t.edge, t.edgeX, t.edgeY, write);
  }
  // The 64-bit edge functions at the samples of the first pixel.
  const Edges& e = m_large[t.large];
  typename SampleVector<std::int64_t>::type edge[3];
  std::int64_t edgeX[3], edgeY[3];
  for (int k = 0; k < 3; ++k)
  {
    const std::int64_t x = 256 * std::int64_t(t.x0), y = 256 * std::int64_t(top);
    for (int s = 0; s < kSamples; ++s)
      edge[k][s] = e.a[k] * (x + m_sampleGrid[0][s]) + e.b[k] * (y + m_sampleGrid[1][s]) + e.c[k];
    edgeX[k] = 256 * e.a[k], edgeY[k] = 256 * e.b[k];
  }
  walk<std::int64_t>(t, top, bottom, edge, edgeX, edgeY, write);
}

template <class Int, class Write>
void Pipeline::walk(const Coverage& t, int top, int bottom, typename SampleVector<Int>::type edge[3],
                    const Int edgeX[3], const Int edgeY[3], Write write) const
{
  // Rows are narrowed only where there is much to skip (narrowing a row
  // costs about as much as walking a dozen pixels): to the pixels where
  // each edge function may be positive at some sample, a pixel wider for
  // rounding.
  const bool narrow = t.x1 - t.x0 > 32;
  double inverse[3] = {};
  for (int k = 0; k < 3 && narrow; ++k)
    inverse[k] = edgeX[k] ? 1.0 / double(edgeX[k]) : 0.0;
  SampleFloats zRow = t.z;
  std::size_t row = std::size_t(top - m_viewTop) * std::size_t(m_width) - std::size_t(m_viewLeft);
  for (int y = top; y < bottom; ++y, zRow += t.zy, row += std::size_t(m_width))
  {
    int x0 = t.x0, x1 = t.x1;
    for (int k = 0; k < 3 && narrow; ++k)
    {
      const double start = double(std::max({edge[k][0], edge[k][1], edge[k][2], edge[k][3]}));
      const double cross = std::min(std::max(-start * inverse[k], -1e6), 1e6);
      if (edgeX[k] > 0)
        x0 = std::max(x0, t.x0 + ceilInt(cross) - 1);
      else if (edgeX[k] < 0)
        x1 = std::min(x1, t.x0 + floorInt(cross) + 1);
      else if (start < 0)
        x1 = x0 - 1;
    }
    // With AVX2 and 32-bit edge functions, two pixels a step side by side
    // (the buffers have room for one past the last).
    constexpr int kStep = sizeof(Int) == 4 ? kLanes / kSamples : 1;
    std::conditional_t<kStep == 1, typename SampleVector<Int>::type, vint> e[3];
    std::conditional_t<kStep == 1, SampleFloats, vfloat> z;
    const SampleFloats zAt = zRow + t.zx * float(x0 - t.x0);
    for (int k = 0; k < 3; ++k)
    {
      const auto at = edge[k] + Int(x0 - t.x0) * edgeX[k];
      edge[k] += edgeY[k];
      if constexpr (kStep == 1)
        e[k] = at, z = zAt;
      else
        e[k] = __builtin_shufflevector(at, at + edgeX[k], 0, 1, 2, 3, 4, 5, 6, 7),
        z = __builtin_shufflevector(zAt, zAt + t.zx, 0, 1, 2, 3, 4, 5, 6, 7);
    }
    for (int x = x0; x <= x1; x += kStep, z += kStep * t.zx)
    {
      // Inside where no edge function is negative, in the row. Written
      // without asking whether any is: which pixels of a small triangle's
      // box it covers is too hard to predict.
      auto inside = notNegative(e[0] | e[1] | e[2]);
      if constexpr (kStep > 1)
        inside &= x < x1 ? splat(-1) : vint{-1, -1, -1, -1};
      e[0] += kStep * edgeX[0], e[1] += kStep * edgeX[1], e[2] += kStep * edgeX[2];
      write(row + std::size_t(x), inside, z);
    }
  }
}

void Pipeline::findVisible(int y0, int y1, bool opaque)
{
  const std::size_t first = std::size_t(y0) * std::size_t(m_width),
                    pixels = std::size_t(y1 - y0) * std::size_t(m_width);
  // Pixels are numbered in the frame; the buffers start at the band's
  // unless they are kept.
  const std::size_t offset = m_keptVisibility ? 0 : first;
  float* const depthBuffer = m_depth.data();
  OdUInt32* const idBuffer = m_ids.data();
  const int top = m_viewTop + y0, bottom = m_viewTop + y1;
  // The band's triangles, opaque ones first.
  const std::size_t band = std::size_t(y0 / m_bandRows);
  const OdUInt32 *banded = m_banded.data() + m_bandStart[band], *bandEnd = m_banded.data() + m_bandStart[band + 1];
  const OdUInt32* firstTransparent = std::lower_bound(banded, bandEnd, OdUInt32(m_opaqueCount));
  if (opaque)
  {
    // Stored a vector at a time: copying what is filled after itself reads
    // as much as it writes.
    const std::size_t n = pixels * kSamples;
    float* depthAt = depthBuffer + (first - offset) * kSamples;
    OdUInt32* idAt = idBuffer + (first - offset) * kSamples;
    const vfloat far = splat(std::numeric_limits<float>::max());
    const vint none = splat(std::int32_t(kNone));
    std::size_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
    {
      store(depthAt + i, far);
      std::memcpy(idAt + i, &none, sizeof none);
    }
    for (; i < n; ++i)
      depthAt[i] = std::numeric_limits<float>::max(), idAt[i] = kNone;
    for (const OdUInt32* at = banded; at != firstTransparent; ++at)
      rasterize(m_coverage[*at], top, bottom,
                [depthBuffer, idBuffer, offset, i = *at](std::size_t pixel, auto inside, auto z) {
                  float* depthAt = depthBuffer + (pixel - offset) * kSamples;
                  OdUInt32* idAt = idBuffer + (pixel - offset) * kSamples;
                  decltype(z) depth;
                  decltype(inside) ids;
                  std::memcpy(&depth, depthAt, sizeof depth);
                  std::memcpy(&ids, idAt, sizeof ids);
                  const auto hit = inside & (z < depth);
                  depth = hit ? z : depth;
                  ids = hit ? decltype(ids){} + std::int32_t(i) : ids;
                  std::memcpy(depthAt, &depth, sizeof depth);
                  std::memcpy(idAt, &ids, sizeof ids);
                });
  }
  // Transparent triangles: their samples in front of the opaque ones, by
  // pixel of the band, each pixel's far to near (by depth at the pixel
  // centre).
  std::vector<Fragment>& found = m_sorting;
  found.clear();
  for (const OdUInt32* at = firstTransparent; at != bandEnd; ++at)
  {
    const OdUInt32 i = *at;
    rasterize(
      m_coverage[i], top, bottom, [depthBuffer, i, first, offset, &found](std::size_t pixel, auto inside, auto z) {
        decltype(z) depth;
        std::memcpy(&depth, depthBuffer + (pixel - offset) * kSamples, sizeof depth);
        const auto hit = inside & (z < depth);
        for (int q = 0; q < int(sizeof z / sizeof z[0]); q += kSamples, ++pixel)
        {
          unsigned mask = 0;
          for (int s = 0; s < kSamples; ++s)
            mask |= hit[q + s] ? 1u << s : 0u;
          if (mask)
            found.push_back({OdUInt32(pixel - first), i, (z[q] + z[q + 1] + z[q + 2] + z[q + 3]) / kSamples, mask});
        }
      });
  }
  m_fragments.clear();
  m_fragmentStart.clear();
  if (!found.empty())
  {
    m_fragmentStart.assign(pixels + 1, 0);
    for (const Fragment& f : found)
      ++m_fragmentStart[f.pixel + 1];
    for (std::size_t p = 0; p < pixels; ++p)
      m_fragmentStart[p + 1] += m_fragmentStart[p];
    m_fragments.resize(found.size());
    std::vector<OdUInt32> fill(m_fragmentStart.begin(), m_fragmentStart.end() - 1);
    for (const Fragment& f : found)
      m_fragments[fill[f.pixel]++] = f;
    for (std::size_t p = 0; p < pixels; ++p)
      if (m_fragmentStart[p + 1] - m_fragmentStart[p] > 1)
        std::sort(m_fragments.begin() + m_fragmentStart[p], m_fragments.begin() + m_fragmentStart[p + 1],
                  [](const Fragment& a, const Fragment& b) { return a.depth > b.depth; });
  }
}
} // namespace OdGsRender::OD_RENDER_ISA
