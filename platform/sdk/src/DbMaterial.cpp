#include "DbInternal.h"

#include "od/DbMaterial.h"

ODRX_DEFINE_MEMBERS(OdDbMaterial, OdDbObject, ODRX_CONSTRUCTOR(OdDbMaterial))

OdDbMaterial::SharedMap OdDbMaterial::share(const MaterialMap& map)
{
  static const SharedMap kDefault = std::make_shared<const MaterialMap>();
  if (map == *kDefault)
    return kDefault;
  return std::make_shared<const MaterialMap>(map.deepCopy());
}

OdDbMaterial::OdDbMaterial()
  : m_diffuseMap(share(MaterialMap())), m_specularMap(m_diffuseMap), m_opacityMap(m_diffuseMap),
    m_bumpMap(m_diffuseMap), m_refractionMap(m_diffuseMap), m_normalMap(m_diffuseMap), m_reflectionMap(m_diffuseMap)
{
  // A plain grey-white surface with a modest highlight.
  m_specularColor.setMethod(MaterialColor::kOverride);
  m_specularColor.setColor(OdCmEntityColor(255, 255, 255));
}

const OdString& OdDbMaterial::name() const { return m_name; }

void OdDbMaterial::setName(const OdString& name)
{
  assertWriteEnabled();
  if (name.isEmpty())
    throw OdError(eInvalidInput, L"A material needs a name");
  if (name == m_name)
    return;
  OdDbInternal::renameEntry(this, m_name, name); // throws eDuplicateKey before anything changes
  m_name = name;
}

const OdString& OdDbMaterial::description() const { return m_description; }

void OdDbMaterial::setDescription(const OdString& text)
{
  assertWriteEnabled();
  m_description = text;
}

void OdDbMaterial::ambient(MaterialColor& color) const { color = m_ambient; }

void OdDbMaterial::setAmbient(const MaterialColor& color)
{
  assertWriteEnabled();
  m_ambient = color;
}

void OdDbMaterial::diffuse(MaterialColor& color, MaterialMap& map) const
{
  color = m_diffuseColor;
  map = m_diffuseMap->deepCopy();
}

void OdDbMaterial::setDiffuse(const MaterialColor& color, const MaterialMap& map)
{
  assertWriteEnabled();
  m_diffuseColor = color;
  m_diffuseMap = share(map);
}

void OdDbMaterial::specular(MaterialColor& color, MaterialMap& map, double& glossFactor) const
{
  color = m_specularColor;
  map = m_specularMap->deepCopy();
  glossFactor = m_glossFactor;
}

void OdDbMaterial::setSpecular(const MaterialColor& color, const MaterialMap& map, double glossFactor)
{
  assertWriteEnabled();
  m_specularColor = color;
  m_specularMap = share(map);
  m_glossFactor = glossFactor;
}

void OdDbMaterial::opacity(double& percentage, MaterialMap& map) const
{
  percentage = m_opacity;
  map = m_opacityMap->deepCopy();
}

void OdDbMaterial::setOpacity(double percentage, const MaterialMap& map)
{
  assertWriteEnabled();
  m_opacity = percentage;
  m_opacityMap = share(map);
}

void OdDbMaterial::bump(MaterialMap& map) const { map = m_bumpMap->deepCopy(); }

void OdDbMaterial::setBump(const MaterialMap& map)
{
  assertWriteEnabled();
  m_bumpMap = share(map);
}

void OdDbMaterial::refraction(double& index, MaterialMap& map) const
{
  index = m_refractionIndex;
  map = m_refractionMap->deepCopy();
}

void OdDbMaterial::setRefraction(double index, const MaterialMap& map)
{
  assertWriteEnabled();
  m_refractionIndex = index;
  m_refractionMap = share(map);
}

void OdDbMaterial::normalMap(MaterialMap& map, OdInt32& method, double& strength) const
{
  map = m_normalMap->deepCopy();
  method = m_normalMethod;
  strength = m_normalStrength;
}

void OdDbMaterial::setNormalMap(const MaterialMap& map, OdInt32 method, double strength)
{
  assertWriteEnabled();
  m_normalMap = share(map);
  m_normalMethod = method;
  m_normalStrength = strength;
}

void OdDbMaterial::reflection(MaterialMap& map) const { map = m_reflectionMap->deepCopy(); }

void OdDbMaterial::setReflection(const MaterialMap& map)
{
  assertWriteEnabled();
  m_reflectionMap = share(map);
}

double OdDbMaterial::reflectivity() const { return m_reflectivity; }

void OdDbMaterial::setReflectivity(double value)
{
  assertWriteEnabled();
  m_reflectivity = value;
}

OdInt32 OdDbMaterial::illuminationModel() const { return m_illuminationModel; }

void OdDbMaterial::setIlluminationModel(OdInt32 model)
{
  assertWriteEnabled();
  m_illuminationModel = model;
}

OdUInt32 OdDbMaterial::channelFlags() const { return m_channelFlags; }

void OdDbMaterial::setChannelFlags(OdUInt32 flags)
{
  assertWriteEnabled();
  m_channelFlags = flags;
}

double OdDbMaterial::selfIllumination() const { return m_selfIllumination; }

void OdDbMaterial::setSelfIllumination(double value)
{
  assertWriteEnabled();
  m_selfIllumination = value;
}

double OdDbMaterial::translucence() const { return m_translucence; }

void OdDbMaterial::setTranslucence(double value)
{
  assertWriteEnabled();
  m_translucence = value;
}

void OdDbMaterial::copyFrom(const OdRxObject* source)
{
  OdDbObject::copyFrom(source);
  const auto* o = static_cast<const OdDbMaterial*>(source);
  m_name = o->m_name;
  m_description = o->m_description;
  m_ambient = o->m_ambient;
  m_diffuseColor = o->m_diffuseColor;
  m_diffuseMap = o->m_diffuseMap;
  m_specularColor = o->m_specularColor;
  m_specularMap = o->m_specularMap;
  m_glossFactor = o->m_glossFactor;
  m_opacity = o->m_opacity;
  m_opacityMap = o->m_opacityMap;
  m_bumpMap = o->m_bumpMap;
  m_refractionIndex = o->m_refractionIndex;
  m_refractionMap = o->m_refractionMap;
  m_normalMap = o->m_normalMap;
  m_normalMethod = o->m_normalMethod;
  m_normalStrength = o->m_normalStrength;
  m_reflectionMap = o->m_reflectionMap;
  m_reflectivity = o->m_reflectivity;
  m_illuminationModel = o->m_illuminationModel;
  m_channelFlags = o->m_channelFlags;
  m_selfIllumination = o->m_selfIllumination;
  m_translucence = o->m_translucence;
}

OdResult OdDbMaterial::subErase(bool erasing)
{
  OdDbDatabase* db = database();
  if (erasing && db)
  {
    const OdDbObjectId id = objectId();
    if (id == db->byLayerMaterialId() || id == db->byBlockMaterialId() || id == db->globalMaterialId())
      return eCannotBeErasedByCaller;
  }
  return eOk;
}
