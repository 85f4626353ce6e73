// Resolving: the samples of each pixel of a band to its pieces, the opaque
// surfaces they show and the transparent ones in front, far to near.
#include "Pipeline.h"

namespace OdGsRender::OD_RENDER_ISA
{
void Pipeline::resolveBand(int y0, int y1, const Scene& scene, const ViewSetup& view, const RenderOptions& options,
                           OdGiRasterImageRGBA& target)
{
  // The pieces of each pixel: the opaque surfaces of its samples (the
  // triangles of one smooth surface together, since they shade alike), then
  // the transparent fragments, far to near. Samples of no surface show the
  // background.
  Pieces& p = m_pieces;
  const std::size_t pixels = std::size_t(y1 - y0) * std::size_t(m_width);
  const std::size_t room = pixels * kSamples + m_fragments.size();
  // The arrays only grow: no band pays for filling them again.
  auto atLeast = [](auto& v, std::size_t size) {
    if (v.size() < size)
      v.resize(size);
  };
  for (auto* v : {&p.x, &p.y})
    atLeast(*v, room + kLanes);
  atLeast(p.color, room + kLanes);
  atLeast(p.triangle, room + kLanes);
  atLeast(p.mask, room + kLanes);
  atLeast(p.pixelEnd, pixels);
  atLeast(p.flags, pixels);
  std::size_t count = 0;
  auto add = [&](OdUInt32 triangle, unsigned mask, float x, float y) {
    p.triangle[count] = triangle;
    p.mask[count] = OdUInt16(mask);
    p.x[count] = x + m_centroidX[mask];
    p.y[count] = y + m_centroidY[mask];
    ++count;
  };
  const bool clear = !m_fragments.empty();
  const std::size_t first = m_keptVisibility ? std::size_t(y0) * std::size_t(m_width) : 0;
  const OdUInt32* ids = &m_ids[first * kSamples];
  const float* depth = &m_depth[first * kSamples];
  const int width = m_width; // (a local: the stores below might change an int member)
  OdUInt32* const pixelEnd = p.pixelEnd.data();
  OdUInt16* const pixelFlags = p.flags.data();
  for (std::size_t row = std::size_t(y0), at = 0; row < std::size_t(y1); ++row)
  {
    const float y = float(m_viewTop) + float(row);
    float x = float(m_viewLeft);
    for (int column = 0; column < width; ++column, ++at, x += 1.f, ids += kSamples, depth += kSamples)
    {
      // Samples of one smooth surface lie within a pixel's step in depth:
      // they make one piece (in a surface's inside, where its triangles
      // meet, that is the whole pixel). Samples of no surface show the
      // background.
      unsigned flags = 0; // the samples of no opaque surface, or kWhole
      // Most pixels show one surface: one triangle's, or where triangles of
      // one meet. Told without a branch a sample (which samples those are
      // is hard to predict), nor one for the case: every sample the first's
      // triangle, or in its run and within a pixel's step of it in depth.
      SampleMask samples;
      std::memcpy(&samples, ids, sizeof samples);
      const OdUInt32 lead = ids[0];
      if (!clear)
      {
        const Side& run = m_sides[lead == kNone ? m_sides.size() - 1 : lead];
        SampleFloats step;
        std::memcpy(&step, depth, sizeof step);
        step = (SampleFloats)((SampleMask)(step - depth[0]) & 0x7FFFFFFF);
        typedef OdUInt32 SampleUints __attribute__((vector_size(4 * kSamples)));
        const SampleMask joins =
          (samples == std::int32_t(lead)) |
          (((SampleUints)samples - run.runStart < run.runEnd - run.runStart) & (step <= run.reach));
        if (lead != kNone && unsigned(_mm_movemask_ps(__m128(joins))) == kAllSamples)
        {
          // One surface over the whole pixel, nothing transparent in front:
          // the common case, told at once.
          add(lead, kAllSamples, x, y);
          pixelEnd[at] = OdUInt32(count);
          pixelFlags[at] = OdUInt16(kWhole);
          continue;
        }
        if (unsigned(_mm_movemask_ps(__m128(samples == std::int32_t(kNone)))) == kAllSamples)
        {
          pixelEnd[at] = OdUInt32(count);
          pixelFlags[at] = OdUInt16(kAllSamples);
          continue;
        }
      }
      const bool same = unsigned(_mm_movemask_ps(__m128(samples == std::int32_t(lead)))) == kAllSamples;
      bool one = lead != kNone;
      if (!same && one)
      {
        // Each sample the first's triangle, or of its surface and within a
        // pixel's step of it in depth: the four side by side.
        const Side side = m_sides[ids[0]];
        SampleMask surface;
        for (int s = 0; s < kSamples; ++s)
          surface[s] = std::int32_t(m_sides[ids[s] == kNone ? ids[0] : ids[s]].surface);
        SampleFloats step;
        std::memcpy(&step, depth, sizeof step);
        step = (SampleFloats)((SampleMask)(step - depth[0]) & 0x7FFFFFFF);
        const SampleMask joins =
          (samples == std::int32_t(ids[0])) |
          ((samples != std::int32_t(kNone)) & (surface == std::int32_t(side.surface)) & (step <= side.reach));
        one = unsigned(_mm_movemask_ps(__m128(joins))) == kAllSamples;
      }
      if (!one && unsigned(_mm_movemask_ps(__m128(samples == std::int32_t(kNone)))) == kAllSamples)
        flags = kAllSamples;
      if (one)
        add(ids[0], kAllSamples, x, y), flags = kWhole;
      for (unsigned left = flags ? 0 : kAllSamples; left;)
      {
        const int lead = __builtin_ctz(left);
        const OdUInt32 id = ids[lead];
        const Side side = id == kNone ? Side{kNone, 0.f} : m_sides[id];
        unsigned mask = 0;
        for (int s = lead; s < kSamples; ++s)
          if (ids[s] == id || (ids[s] != kNone && m_sides[ids[s]].surface == side.surface &&
                               std::fabs(depth[s] - depth[lead]) <= side.reach))
            mask |= 1u << s;
        mask &= left;
        left &= ~mask;
        if (id == kNone)
          flags = mask;
        else
          add(id, mask, x, y), flags |= mask == kAllSamples ? kWhole : 0u;
      }
      const std::size_t opaque = count;
      float lastDepth = 0.f;
      for (OdUInt32 f = clear ? m_fragmentStart[at] : 0, end = clear ? m_fragmentStart[at + 1] : 0; f < end; ++f)
      {
        const Fragment& fragment = m_fragments[f];
        const std::size_t last = count - 1;
        flags &= ~kWhole;
        if (count > opaque && !(p.mask[last] & fragment.mask) &&
            m_sides[p.triangle[last]].surface == m_sides[fragment.triangle].surface &&
            std::fabs(lastDepth - fragment.depth) <= m_sides[p.triangle[last]].reach)
          --count, add(p.triangle[last], p.mask[last] | fragment.mask, x, y);
        else
          add(fragment.triangle, fragment.mask, x, y), lastDepth = fragment.depth;
      }
      pixelEnd[at] = OdUInt32(count);
      pixelFlags[at] = OdUInt16(flags);
    }
  }
  shadePieces(count, scene, view);
  encodeBand(y0, y1, scene, options, target);
}
} // namespace OdGsRender::OD_RENDER_ISA
