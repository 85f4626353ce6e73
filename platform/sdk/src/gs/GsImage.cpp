#include "od/Gs.h"

#include <algorithm>
#include <cstring>

ODRX_DEFINE_MEMBERS(OdGiRasterImage, OdRxObject, nullptr)
ODRX_DEFINE_MEMBERS(OdGiRasterImageRGBA, OdGiRasterImage, ODRX_CONSTRUCTOR(OdGiRasterImageRGBA))

void OdGiRasterImageRGBA::resize(OdUInt32 width, OdUInt32 height, ODCOLORREF fill)
{
  if (width == 0 || height == 0)
    width = height = 0;
  m_width = width;
  m_height = height;
  m_pixels.resize(std::size_t(width) * height * 4);
  // One pixel, then what is filled copied after itself (a frame is filled
  // afresh every update: byte by byte it was a noticeable part of one).
  const OdUInt8 pixel[4] = {OdUInt8(ODGETRED(fill)), OdUInt8(ODGETGREEN(fill)), OdUInt8(ODGETBLUE(fill)), 255};
  const std::size_t size = m_pixels.size();
  if (size)
    std::memcpy(m_pixels.data(), pixel, 4);
  for (std::size_t done = 4; done < size; done *= 2)
    std::memcpy(m_pixels.data() + done, m_pixels.data(), std::min(done, size - done));
}

ODCOLORREF OdGiRasterImageRGBA::pixelAt(OdUInt32 x, OdUInt32 y) const
{
  if (x >= m_width || y >= m_height)
    throw OdError_InvalidIndex();
  const OdUInt8* p = &m_pixels[(std::size_t(y) * m_width + x) * 4];
  return ODRGB(p[0], p[1], p[2]);
}

void OdGiRasterImageRGBA::setPixelAt(OdUInt32 x, OdUInt32 y, ODCOLORREF color)
{
  if (x >= m_width || y >= m_height)
    throw OdError_InvalidIndex();
  OdUInt8* p = &m_pixels[(std::size_t(y) * m_width + x) * 4];
  p[0] = OdUInt8(ODGETRED(color));
  p[1] = OdUInt8(ODGETGREEN(color));
  p[2] = OdUInt8(ODGETBLUE(color));
  p[3] = 255;
}

void OdGiRasterImageRGBA::copyFrom(const OdRxObject* source)
{
  OdRxObject::copyFrom(source);
  const auto* other = static_cast<const OdGiRasterImageRGBA*>(source);
  m_width = other->m_width;
  m_height = other->m_height;
  m_pixels = other->m_pixels;
}
