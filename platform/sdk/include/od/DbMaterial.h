// OdDbMaterial: the material object with the channels the material editor
// reads and writes. Each channel is read and written as one call. Texture
// objects are copied on the way in and out, so a material never shares a
// texture with a map record held elsewhere.
#pragma once

#include "od/DbObject.h"
#include "od/GiMaterial.h"

#include <memory>

class OdDbMaterial : public OdDbObject
{
  ODRX_DECLARE_MEMBERS(OdDbMaterial);
  OdDbMaterial();

  const OdString& name() const;
  // A material in a dictionary keeps its key equal to its name: a name that
  // another entry has throws eDuplicateKey, an empty name eInvalidInput.
  void setName(const OdString& name);
  const OdString& description() const;
  void setDescription(const OdString& text);

  void ambient(MaterialColor& color) const;
  void setAmbient(const MaterialColor& color);
  void diffuse(MaterialColor& color, MaterialMap& map) const;
  void setDiffuse(const MaterialColor& color, const MaterialMap& map);
  void specular(MaterialColor& color, MaterialMap& map, double& glossFactor) const;
  void setSpecular(const MaterialColor& color, const MaterialMap& map, double glossFactor);
  void opacity(double& percentage, MaterialMap& map) const;
  void setOpacity(double percentage, const MaterialMap& map);
  void bump(MaterialMap& map) const;
  void setBump(const MaterialMap& map);
  void refraction(double& index, MaterialMap& map) const;
  void setRefraction(double index, const MaterialMap& map);
  void normalMap(MaterialMap& map, OdInt32& method, double& strength) const;
  void setNormalMap(const MaterialMap& map, OdInt32 method, double strength);
  void reflection(MaterialMap& map) const;
  void setReflection(const MaterialMap& map);
  double reflectivity() const;
  void setReflectivity(double value);
  // 0 non-metallic, 1 metallic.
  OdInt32 illuminationModel() const;
  void setIlluminationModel(OdInt32 model);
  // ChannelFlags bits.
  OdUInt32 channelFlags() const;
  void setChannelFlags(OdUInt32 flags);
  double selfIllumination() const;
  void setSelfIllumination(double value);
  double translucence() const;
  void setTranslucence(double value);

  void copyFrom(const OdRxObject* source) override;

protected:
  // The drawing's standard materials refuse to be erased.
  OdResult subErase(bool erasing) override;

private:
  // A map as stored: never changed once stored (a set stores a new one), so
  // copies of the material share it, and a material left as made shares the
  // one default map. A drawing of many materials thus keeps seven pointers
  // a material rather than seven maps.
  using SharedMap = std::shared_ptr<const MaterialMap>;
  static SharedMap share(const MaterialMap& map);

  OdString m_name;
  OdString m_description;
  MaterialColor m_ambient;
  MaterialColor m_diffuseColor;
  SharedMap m_diffuseMap;
  MaterialColor m_specularColor;
  SharedMap m_specularMap;
  double m_glossFactor = 0.5;
  double m_opacity = 1.0;
  SharedMap m_opacityMap;
  SharedMap m_bumpMap;
  double m_refractionIndex = 1.0;
  SharedMap m_refractionMap;
  SharedMap m_normalMap;
  OdInt32 m_normalMethod = 0;
  double m_normalStrength = 1.0;
  SharedMap m_reflectionMap;
  double m_reflectivity = 0.0;
  OdInt32 m_illuminationModel = 0;
  OdUInt32 m_channelFlags = kUseDiffuse | kUseSpecular | kUseReflection | kUseOpacity | kUseBump | kUseRefraction;
  double m_selfIllumination = 0.0;
  double m_translucence = 0.0;
};
using OdDbMaterialPtr = OdSmartPtr<OdDbMaterial>;
