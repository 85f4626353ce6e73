// Encoding: the pieces of each pixel of a band blended per sample, then
// through the tone curve to the picture's sRGB bytes.
#include "Pipeline.h"

namespace OdGsRender::OD_RENDER_ISA
{
namespace
{
// Whether kLanes pixels' flags from here on are all kWhole.
inline bool wholeRun(const OdUInt16* flags)
{
  typedef OdUInt16 Flags __attribute__((vector_size(2 * kLanes)));
  Flags f;
  std::memcpy(&f, flags, sizeof f);
  typedef std::int16_t Mask __attribute__((vector_size(2 * kLanes)));
  const Mask same = f == OdUInt16(kWhole);
  std::uint64_t bits[sizeof same / 8];
  std::memcpy(bits, &same, sizeof same);
  for (std::uint64_t b : bits)
    if (b != ~std::uint64_t(0))
      return false;
  return true;
}

// kLanes linear colours to the picture's bytes (as encodeIndex and the table give them).
inline void encodeRun(const rgba* colors, const OdUInt8* encode, OdUInt8* out)
{
  vfloat channel[4];
  const void* rows[kLanes];
  for (int k = 0; k < kLanes; ++k)
    rows[k] = colors + k;
  transpose(rows, channel);
  vint index[3];
  for (int c = 0; c < 3; ++c)
  {
    const vfloat light = channel[c] > 0.f ? (channel[c] < kWhite ? channel[c] : kWhite) : 0.f;
    index[c] = toInt(sqrt(light) * ((kEncodeSteps - 1) / std::sqrt(kWhite)) + 0.5f);
  }
  for (int k = 0; k < kLanes; ++k)
  {
    const std::uint32_t bytes = std::uint32_t(encode[index[0][k]]) | std::uint32_t(encode[index[1][k]]) << 8 |
                                std::uint32_t(encode[index[2][k]]) << 16 | 0xFF000000u;
    std::memcpy(out + 4 * k, &bytes, 4); // little-endian: red first
  }
}
} // namespace

void Pipeline::encodeBand(int y0, int y1, const Scene& scene, const RenderOptions& options,
                          OdGiRasterImageRGBA& target) const
{
  const Pieces& p = m_pieces;
  const int width = m_width;
  const OdUInt32* const pixelEnd = p.pixelEnd.data();
  const OdUInt16* const pixelFlags = p.flags.data();
  // Each sample takes its opaque surface's colour (or the background), then
  // each transparent one's over it; the pixel is their mean, through the
  // tone curve to sRGB. A pixel of background alone keeps its exact colour.
  const rgba background{m_background.x, m_background.y, m_background.z, 0.f};
  const OdUInt8 exact[4] = {OdUInt8(ODGETRED(options.background)), OdUInt8(ODGETGREEN(options.background)),
                            OdUInt8(ODGETBLUE(options.background)), 255};
  const OdUInt8* encode = encodeTable();
  // (The arrays' pointers held in locals: the picture's bytes may alias anything.)
  const rgba* colors = p.color.data();
  std::size_t pixel = 0, begin = 0;
  for (int row = y0; row < y1; ++row)
  {
    OdUInt8* out = target.data() + (std::size_t(m_viewTop + row) * target.pixelWidth() + std::size_t(m_viewLeft)) * 4;
    for (int column = 0; column < width; ++column, out += 4, begin = pixelEnd[pixel++])
    {
      if (column + kLanes <= width && wholeRun(pixelFlags + pixel))
      {
        // kLanes pixels side by side, each one piece: their colours follow
        // one another and are encoded together.
        encodeRun(colors + begin, encode, out);
        column += kLanes - 1, out += 4 * (kLanes - 1), pixel += kLanes - 1, begin += kLanes - 1;
        continue;
      }
      rgba color = colors[begin];
      if (pixelFlags[pixel] == kAllSamples && begin == pixelEnd[pixel])
      {
        std::memcpy(out, exact, 4);
        continue;
      }
      if (pixelFlags[pixel] != kWhole)
      {
        rgba sample[kSamples];
        for (int s = 0; s < kSamples; ++s)
          sample[s] = background;
        for (std::size_t i = begin; i < pixelEnd[pixel]; ++i)
        {
          const bool transparent = p.triangle[i] >= m_opaqueCount;
          const float opacity =
            transparent ? scene.materials[scene.meshes[m_surfaces[p.triangle[i]].mesh].material].opacity : 1.f;
          for (int s = 0; s < kSamples; ++s)
            if (p.mask[i] >> s & 1)
              sample[s] += (colors[i] - sample[s]) * opacity;
        }
        color = (sample[0] + sample[1] + sample[2] + sample[3]) * (1.f / kSamples);
      }
      const auto index = encodeIndex(color);
      out[0] = encode[index[0]], out[1] = encode[index[1]], out[2] = encode[index[2]], out[3] = 255;
    }
  }
}
} // namespace OdGsRender::OD_RENDER_ISA
