// Area averaging: each source texel covers 1 / scale output texels' worth
// of area (scale <= 1), so it lends its colour to at most two output texels
// a direction, in proportion to the overlap.
#include "ImageReducer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace OdGiImageIo
{
ImageReducer::ImageReducer(OdUInt32 width, OdUInt32 height, OdGsDecodedImage& out, OdUInt32 outWidth,
                           OdUInt32 outHeight, Order order)
  : m_width(width), m_height(height), m_outWidth(outWidth), m_outHeight(outHeight), m_order(order), m_out(out)
{
  m_out.width = outWidth;
  m_out.height = outHeight;
  m_out.rgba.assign(std::size_t(outWidth) * outHeight * 4, 0);
  if (outWidth == width && outHeight == height)
    return;
  m_scaleX = float(double(outWidth) / width);
  m_scaleY = float(double(outHeight) / height);
  m_column.resize(width);
  m_columnShare.resize(width);
  for (OdUInt32 x = 0; x < width; ++x)
  {
    const double start = double(x) * outWidth / width, end = double(x + 1) * outWidth / width;
    const OdUInt32 column = std::min(OdUInt32(start), outWidth - 1);
    m_column[x] = column;
    m_columnShare[x] = float(std::min(end, double(column + 1)) - start);
  }
  m_line.resize(std::size_t(outWidth + 1) * 4);
  m_sums[0].assign(std::size_t(outWidth) * 4, 0.f);
  m_sums[1].assign(std::size_t(outWidth) * 4, 0.f);
}

void ImageReducer::addRow(const OdUInt8* rgba)
{
  if (m_rows >= m_height)
    return;
  const OdUInt32 y = m_rows++;
  if (m_column.empty())
  {
    const OdUInt32 target = m_order == Order::TopFirst ? y : m_height - 1 - y;
    std::memcpy(&m_out.rgba[std::size_t(target) * m_width * 4], rgba, std::size_t(m_width) * 4);
    return;
  }
  // Across: the row's texels summed into output columns.
  std::fill(m_line.begin(), m_line.end(), 0.f);
  for (OdUInt32 x = 0; x < m_width; ++x)
  {
    const OdUInt8* p = rgba + std::size_t(x) * 4;
    const float a = p[3], share = m_columnShare[x], rest = m_scaleX - share;
    const float premultiplied[4] = {p[0] * a, p[1] * a, p[2] * a, a};
    float* to = &m_line[std::size_t(m_column[x]) * 4];
    for (int c = 0; c < 4; ++c)
    {
      to[c] += premultiplied[c] * share;
      to[c + 4] += premultiplied[c] * rest; // the spare column past the end takes a zero share
    }
  }
  // Down: the same split between the output row this one starts in and the
  // next. Rows above the first one it touches are complete.
  const double start = double(y) * m_outHeight / m_height, end = double(y + 1) * m_outHeight / m_height;
  const OdUInt32 row = std::min(OdUInt32(start), m_outHeight - 1);
  while (m_firstSumRow < row)
  {
    emitRow(0);
    std::swap(m_sums[0], m_sums[1]);
    std::fill(m_sums[1].begin(), m_sums[1].end(), 0.f);
    ++m_firstSumRow;
  }
  const float share = float(std::min(end, double(row + 1)) - start), rest = m_scaleY - share;
  for (std::size_t i = 0; i < m_sums[0].size(); ++i)
  {
    m_sums[0][i] += m_line[i] * share;
    m_sums[1][i] += m_line[i] * rest;
  }
}

void ImageReducer::emitRow(std::size_t index)
{
  const OdUInt32 row = m_order == Order::TopFirst ? m_firstSumRow : m_outHeight - 1 - m_firstSumRow;
  OdUInt8* out = &m_out.rgba[std::size_t(row) * m_outWidth * 4];
  const float* sums = m_sums[index].data();
  // The shares are overlaps in output texels: an output texel's add up to 1.
  for (OdUInt32 x = 0; x < m_outWidth; ++x, out += 4, sums += 4)
  {
    const float alpha = sums[3];
    out[3] = OdUInt8(std::min(255.f, alpha + 0.5f));
    if (alpha <= 0.f)
      continue;
    for (int c = 0; c < 3; ++c)
      out[c] = OdUInt8(std::min(255.f, sums[c] / alpha + 0.5f));
  }
}

bool ImageReducer::finish()
{
  if (m_rows < m_height)
    return false;
  if (!m_column.empty() && m_firstSumRow < m_outHeight)
  {
    emitRow(0);
    m_firstSumRow = m_outHeight;
  }
  return true;
}
} // namespace OdGiImageIo

void odgiSetDecodedSize(OdGiImageFileInfo& info)
{
  // The largest eighths that bring the longer side within the limit.
  const OdUInt32 longer = std::max(info.width, info.height);
  OdUInt32 eighths = 8;
  while (eighths > 1 && (OdUInt64(longer) * eighths + 7) / 8 > kOdGiMaxDecodedSide)
    --eighths;
  info.decodedEighths = eighths;
  info.decodedWidth = OdUInt32((OdUInt64(info.width) * eighths + 7) / 8);
  info.decodedHeight = OdUInt32((OdUInt64(info.height) * eighths + 7) / 8);
}
