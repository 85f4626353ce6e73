// The material editor (service 4): the one facade through which every
// channel of the open material is read and written.
#pragma once

#include "core/MeServices.h"
#include "od/CmColor.h"
#include "od/DbObjectId.h"
#include "od/GiMaterial.h"

class OdDbMaterial;

namespace me
{
// Told once per write and once per open, while the material is still open;
// a reactor may read the material but must not keep the pointer.
class MeEditorReactor
{
public:
  virtual ~MeEditorReactor() = default;
  virtual void materialModified(OdDbMaterial* material) { (void)material; }
  // The editor goes (at unload, before the palettes do): a reactor keeps
  // nothing that points into it after this.
  virtual void editorGoing() {}
};

enum EditedMapKind
{
  kEditedMapNone = 0,
  kEditedMapDiffuse = 1,
  kEditedMapBump = 2,
};

class IMeEditor : public IMeServiceItem
{
public:
  virtual void addReactor(MeEditorReactor* reactor) = 0;
  virtual void removeReactor(MeEditorReactor* reactor) = 0;
  virtual void open(const OdDbObjectId& materialId) = 0;
  virtual void setDiffuseColor(const OdCmColor& color) = 0;
  virtual void setAmbientColor(const OdCmColor& color) = 0;
  virtual void setSpecularColor(const OdCmColor& color) = 0;
  virtual void setGlossiness(double glossiness) = 0;
  virtual void setDiffuseMapFile(const OdString& fileName) = 0;
  virtual void setBumpMapFile(const OdString& fileName) = 0;
  virtual void setOpacity(double opacity) = 0;
  virtual void setNormalMapStrength(double strength) = 0;
  virtual void setNormalMapMethod(int method) = 0;
  virtual void setReflectivity(double reflectivity) = 0;
  virtual void setRefractionIndex(double index) = 0;
  virtual void setMaterialValueB(double value) = 0;
  virtual void setIlluminationModel(int model) = 0;
  virtual void setMaterialValueA(double value) = 0;
  virtual void diffuseColor(OdCmColor& color) = 0;
  virtual void ambientColor(OdCmColor& color) = 0;
  virtual void specularColor(OdCmColor& color) = 0;
  virtual double glossiness() = 0;
  virtual double opacity() = 0;
  virtual double normalMapStrength() = 0;
  virtual double reflectivity() = 0;
  virtual double refractionIndex() = 0;
  virtual double materialValueB() = 0;
  virtual double materialValueA() = 0;
  virtual int normalMapMethod() = 0;
  virtual int illuminationModel() = 0;
  virtual OdString materialName() = 0;
  virtual OdString diffuseMapText() = 0;
  virtual OdString bumpMapText() = 0;
  virtual OdString opacityMapText() = 0;
  virtual OdString specularMapText() = 0;
  virtual MaterialMap& editDiffuseMap() = 0;
  virtual MaterialMap& editBumpMap() = 0;
  // The record map editing works on (the last editDiffuseMap or
  // editBumpMap gave), null once editing ended.
  virtual MaterialMap* editedMap() = 0;
  virtual MaterialMap& specularMap() = 0;
  virtual MaterialMap& opacityMap() = 0;
  virtual bool isDiffuseMapFile() = 0;
  virtual bool isDiffuseMapAvailable() = 0;
  virtual bool isBumpMapAvailable() = 0;
  virtual bool isSpecularMapAvailable() = 0;
  virtual bool isOpacityMapAvailable() = 0;
  virtual bool hasChannelFlag(unsigned mask) = 0;
  virtual bool isSpecularColorByColor() = 0;
  virtual void setChannelFlag(unsigned mask, bool on) = 0;
  virtual OdDbObjectId materialId() = 0;
  virtual void commitEditedMap() = 0;
  virtual void endMapEditing() = 0;
  // The cached diffuse map, to look at: unlike editDiffuseMap it marks
  // nothing as edited.
  virtual const MaterialMap& diffuseMap() = 0;
};
} // namespace me
