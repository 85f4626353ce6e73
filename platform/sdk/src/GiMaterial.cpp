#include "od/GiMaterial.h"

#include <cmath>
#include <limits>

ODRX_DEFINE_MEMBERS(OdGiMaterialTexture, OdRxObject, nullptr)
ODRX_DEFINE_MEMBERS(OdGiImageFileTexture, OdGiMaterialTexture, ODRX_CONSTRUCTOR(OdGiImageFileTexture))
ODRX_DEFINE_MEMBERS(OdGiProceduralTexture, OdGiMaterialTexture, nullptr)
ODRX_DEFINE_MEMBERS(OdGiWoodTexture, OdGiProceduralTexture, ODRX_CONSTRUCTOR(OdGiWoodTexture))
ODRX_DEFINE_MEMBERS(OdGiMarbleTexture, OdGiProceduralTexture, ODRX_CONSTRUCTOR(OdGiMarbleTexture))
ODRX_DEFINE_MEMBERS(OdGiGenericTexture, OdGiMaterialTexture, ODRX_CONSTRUCTOR(OdGiGenericTexture))

namespace
{
MaterialColor byColor(OdUInt8 r, OdUInt8 g, OdUInt8 b)
{
  MaterialColor color;
  color.setMethod(MaterialColor::kOverride);
  color.setColor(OdCmEntityColor(r, g, b));
  return color;
}
} // namespace

bool OdGiMaterialTexture::isEqualTo(const OdGiMaterialTexture* other) const { return other && other->isA() == isA(); }

void OdGiImageFileTexture::copyFrom(const OdRxObject* source)
{
  OdGiMaterialTexture::copyFrom(source);
  m_fileName = static_cast<const OdGiImageFileTexture*>(source)->m_fileName;
}

bool OdGiImageFileTexture::isEqualTo(const OdGiMaterialTexture* other) const
{
  return OdGiMaterialTexture::isEqualTo(other) &&
         static_cast<const OdGiImageFileTexture*>(other)->m_fileName == m_fileName;
}

// Light and dark brown: a pale board with darker rings.
OdGiWoodTexture::OdGiWoodTexture() : m_color1(byColor(224, 178, 112)), m_color2(byColor(150, 92, 44)) {}

void OdGiWoodTexture::copyFrom(const OdRxObject* source)
{
  OdGiMaterialTexture::copyFrom(source);
  const auto* other = static_cast<const OdGiWoodTexture*>(source);
  m_color1 = other->m_color1;
  m_color2 = other->m_color2;
  m_radialNoise = other->m_radialNoise;
  m_axialNoise = other->m_axialNoise;
  m_grainThickness = other->m_grainThickness;
}

bool OdGiWoodTexture::isEqualTo(const OdGiMaterialTexture* other) const
{
  if (!OdGiMaterialTexture::isEqualTo(other))
    return false;
  const auto* o = static_cast<const OdGiWoodTexture*>(other);
  return m_color1 == o->m_color1 && m_color2 == o->m_color2 && m_radialNoise == o->m_radialNoise &&
         m_axialNoise == o->m_axialNoise && m_grainThickness == o->m_grainThickness;
}

// Off-white stone with dark grey veins.
OdGiMarbleTexture::OdGiMarbleTexture() : m_stoneColor(byColor(235, 232, 222)), m_veinColor(byColor(70, 70, 78)) {}

void OdGiMarbleTexture::copyFrom(const OdRxObject* source)
{
  OdGiMaterialTexture::copyFrom(source);
  const auto* other = static_cast<const OdGiMarbleTexture*>(source);
  m_stoneColor = other->m_stoneColor;
  m_veinColor = other->m_veinColor;
  m_veinSpacing = other->m_veinSpacing;
  m_veinWidth = other->m_veinWidth;
}

bool OdGiMarbleTexture::isEqualTo(const OdGiMaterialTexture* other) const
{
  if (!OdGiMaterialTexture::isEqualTo(other))
    return false;
  const auto* o = static_cast<const OdGiMarbleTexture*>(other);
  return m_stoneColor == o->m_stoneColor && m_veinColor == o->m_veinColor && m_veinSpacing == o->m_veinSpacing &&
         m_veinWidth == o->m_veinWidth;
}

void OdGiGenericTexture::copyFrom(const OdRxObject* source)
{
  OdGiMaterialTexture::copyFrom(source);
  m_definition = static_cast<const OdGiGenericTexture*>(source)->m_definition;
}

bool OdGiGenericTexture::isEqualTo(const OdGiMaterialTexture* other) const
{
  return OdGiMaterialTexture::isEqualTo(other) &&
         static_cast<const OdGiGenericTexture*>(other)->m_definition == m_definition;
}

bool isDrawableMapTransform(const OdGeMatrix3d& m)
{
  for (const auto& row : m.entry)
    for (double value : row)
      if (!(std::fabs(value) <= double(std::numeric_limits<float>::max())))
        return false; // NaN fails the comparison too
  return std::isnormal(m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0));
}

bool MaterialMap::operator==(const MaterialMap& other) const
{
  if (m_source != other.m_source || m_fileName != other.m_fileName || m_blendFactor != other.m_blendFactor ||
      m_mapper != other.m_mapper)
    return false;
  if (m_texture.isNull() || other.m_texture.isNull())
    return m_texture.isNull() && other.m_texture.isNull();
  return m_texture->isEqualTo(other.m_texture.get());
}

MaterialMap MaterialMap::deepCopy() const
{
  MaterialMap copy(*this);
  if (!m_texture.isNull())
    copy.m_texture = OdGiMaterialTexturePtr(m_texture->clone());
  return copy;
}
