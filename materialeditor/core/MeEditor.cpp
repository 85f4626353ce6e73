#include "core/MeEditor.h"

#include "core/MeByObject.h"
#include "core/MeChecks.h"
#include "core/MeHost.h"
#include "core/MeObservers.h"
#include "core/MeStrings.h"

#include <algorithm>

namespace me
{
OdString mapDisplayText(const MaterialMap& map)
{
  switch (map.source())
  {
  case kScene: return loadString(kStrScene);
  case kFile: return map.sourceFileName();
  case kProcedural:
  {
    // A generic texture is no procedural one, and a map may hold none:
    // both show as "Generic", like any kind without an editor.
    OdGiProceduralTexturePtr procedural = OdGiProceduralTexture::cast(map.texture().get());
    const int type = procedural.isNull() ? OdGiProceduralTexture::kGeneric : procedural->type();
    if (type == OdGiProceduralTexture::kWood)
      return loadString(kStrWood);
    if (type == OdGiProceduralTexture::kMarble)
      return loadString(kStrMarble);
    return loadString(kStrGeneric);
  }
  }
  return loadString(kStrUnsupportedProcedural);
}

bool isMapAvailable(const MaterialMap& map, OdDbDatabase* database)
{
  switch (map.source())
  {
  case kFile: return !findFile(map.sourceFileName(), database, kHostFindTextureMap).isEmpty();
  case kProcedural: return !map.texture().isNull();
  case kScene: break;
  }
  return false;
}

void setFileMap(MaterialMap& map, const OdString& fileName)
{
  map.setSource(kFile);
  map.setSourceFileName(fileName);
  OdGiImageFileTexturePtr image;
  if (!fileName.isEmpty())
  {
    image = OdGiImageFileTexture::createObject();
    image->setSourceFileName(fileName);
  }
  map.setTexture(image);
}

namespace
{
OdString byObjectTranslation() { return translate(L"by object"); }

void toRecord(const OdCmColor& color, MaterialColor& record)
{
  record.setMethod(isByObjectColor(color, byObjectTranslation()) ? MaterialColor::kInherit : MaterialColor::kOverride);
  record.setColor(color.entityColor());
}

// By object shows as white carrying the by-object name, which is what the
// colour selector lists for that entry; feeding it back keeps the method.
void fromRecord(const MaterialColor& record, OdCmColor& color)
{
  if (record.method() == MaterialColor::kInherit)
  {
    color = byObjectColor(byObjectTranslation());
    return;
  }
  color = OdCmColor(record.color());
}
} // namespace

void MeEditor::onServiceEvent(int event, void* argument)
{
  // A texture editor names the step of its change: the string id it passes.
  if (event == kEventCommitEditedMap)
    commitEditedMap(argument ? *static_cast<const int*>(argument) : 0);
  else if (event == kEventEndMapEditing)
    endMapEditing();
}

MeEditor::~MeEditor()
{
  tellObservers(m_reactors, [](MeEditorReactor* reactor) { reactor->editorGoing(); });
}

void MeEditor::addReactor(MeEditorReactor* reactor) { addObserver(m_reactors, reactor); }

void MeEditor::removeReactor(MeEditorReactor* reactor) { removeObserver(m_reactors, reactor); }

void MeEditor::notify(OdDbMaterial* material)
{
  tellObservers(m_reactors, [&](MeEditorReactor* reactor) { reactor->materialModified(material); });
}

OdDbMaterialPtr MeEditor::openMaterial(OdDb::OpenMode mode) const
{
  // Throws the SDK's errors: no id, no database, erased, not a material.
  return OdDbMaterialPtr(m_materialId.safeOpenObject(mode));
}

template <class Differs, class Change>
bool MeEditor::write(int stepName, Differs differs, Change change)
{
  if (!differs(static_cast<const OdDbMaterial&>(*openMaterial(OdDb::kForRead))))
    return false;
  OdDbMaterialPtr material = openMaterial(OdDb::kForWrite);
  change(*material);
  notify(material.get());
  material = nullptr; // closed after the reactors: the change is in the step now
  if (stepName != 0)
    nameUndoStep(m_materialId.database(), loadString(stepName));
  return true;
}

void MeEditor::open(const OdDbObjectId& materialId)
{
  if (!materialId.isValid())
    throw OdError(eInvalidObjectId);
  m_materialId = materialId;
  OdDbMaterialPtr material = openMaterial(OdDb::kForRead);

  material->bump(m_bumpMap);
  material->diffuse(m_diffuseColor, m_diffuseMap);
  material->ambient(m_ambientColor);
  material->specular(m_specularColor, m_specularMap, m_glossiness);
  material->opacity(m_opacity, m_opacityMap);
  OdInt32 normalMethod = 0;
  material->normalMap(m_normalMap, normalMethod, m_normalMapStrength);
  material->refraction(m_refractionIndex, m_refractionMap);

  notify(material.get());
}

// Each setter changes its cached value only once the material has taken it
// (or holds it already), and before the reactors look: a refused write leaves
// the cache as the drawing holds it, so that no later write of the channel
// stores it after all.
void MeEditor::setDiffuseColor(const OdCmColor& color)
{
  MaterialColor record = m_diffuseColor;
  toRecord(color, record);
  write(
    kStrStepDiffuseColor,
    [&](const OdDbMaterial& m) {
      MaterialColor held;
      MaterialMap map;
      m.diffuse(held, map);
      return held != record || map != m_diffuseMap;
    },
    [&](OdDbMaterial& m) {
      m.setDiffuse(record, m_diffuseMap);
      m_diffuseColor = record;
    });
  m_diffuseColor = record;
}

void MeEditor::setAmbientColor(const OdCmColor& color)
{
  MaterialColor record = m_ambientColor;
  toRecord(color, record);
  write(
    kStrStepAmbientColor,
    [&](const OdDbMaterial& m) {
      MaterialColor held;
      m.ambient(held);
      return held != record;
    },
    [&](OdDbMaterial& m) {
      m.setAmbient(record);
      m_ambientColor = record;
    });
  m_ambientColor = record;
}

namespace
{
bool specularDiffers(const OdDbMaterial& m, const MaterialColor& color, const MaterialMap& map, double glossiness)
{
  MaterialColor heldColor;
  MaterialMap heldMap;
  double heldGlossiness = 0.0;
  m.specular(heldColor, heldMap, heldGlossiness);
  return heldColor != color || heldMap != map || heldGlossiness != glossiness;
}
} // namespace

void MeEditor::setSpecularColor(const OdCmColor& color)
{
  MaterialColor record = m_specularColor;
  toRecord(color, record);
  write(
    kStrStepSpecularColor,
    [&](const OdDbMaterial& m) { return specularDiffers(m, record, m_specularMap, m_glossiness); },
    [&](OdDbMaterial& m) {
      m.setSpecular(record, m_specularMap, m_glossiness);
      m_specularColor = record;
    });
  m_specularColor = record;
}

void MeEditor::setGlossiness(double glossiness)
{
  requireFinite(glossiness);
  write(
    kStrStepGlossiness,
    [&](const OdDbMaterial& m) { return specularDiffers(m, m_specularColor, m_specularMap, glossiness); },
    [&](OdDbMaterial& m) {
      m.setSpecular(m_specularColor, m_specularMap, glossiness);
      m_glossiness = glossiness;
    });
  m_glossiness = glossiness;
}

namespace
{
// Any channel bit set means all seven go, so an image for the diffuse channel
// leaves that channel alone switched on; no image switches it off.
OdUInt32 flagsForDiffuseFile(OdUInt32 flags, const OdString& fileName)
{
  if (flags & kUseAll)
    flags &= ~OdUInt32(kUseAll);
  if (fileName.isEmpty())
    flags &= ~OdUInt32(kUseDiffuse);
  else
    flags |= kUseDiffuse;
  return flags;
}
} // namespace

void MeEditor::setDiffuseMapFile(const OdString& fileName)
{
  MaterialMap map = m_diffuseMap;
  setFileMap(map, fileName);
  // The flags change on the object already open: a second open for write
  // would be refused.
  write(
    kStrStepDiffuseMap,
    [&](const OdDbMaterial& m) {
      MaterialColor color;
      MaterialMap held;
      m.diffuse(color, held);
      return color != m_diffuseColor || held != map ||
             m.channelFlags() != flagsForDiffuseFile(m.channelFlags(), fileName);
    },
    [&](OdDbMaterial& m) {
      m.setDiffuse(m_diffuseColor, map);
      m_diffuseMap = map;
      m.setChannelFlags(flagsForDiffuseFile(m.channelFlags(), fileName));
    });
  m_diffuseMap = map;
}

void MeEditor::setBumpMapFile(const OdString& fileName)
{
  MaterialMap map = m_bumpMap;
  setFileMap(map, fileName);
  write(
    0,
    [&](const OdDbMaterial& m) {
      MaterialMap held;
      m.bump(held);
      return held != map;
    },
    [&](OdDbMaterial& m) {
      m.setBump(map);
      m_bumpMap = map;
    });
  m_bumpMap = map;
}

void MeEditor::setOpacity(double opacity)
{
  requireFinite(opacity);
  write(
    0,
    [&](const OdDbMaterial& m) {
      double held = 0.0;
      MaterialMap map;
      m.opacity(held, map);
      return held != opacity || map != m_opacityMap;
    },
    [&](OdDbMaterial& m) { m.setOpacity(opacity, m_opacityMap); });
  m_opacity = opacity;
}

void MeEditor::setNormalMapStrength(double strength)
{
  requireFinite(strength);
  write(
    0,
    [&](const OdDbMaterial& m) {
      OdInt32 method = 0;
      double held = 0.0;
      m.normalMap(m_normalMap, method, held);
      return held != strength;
    },
    [&](OdDbMaterial& m) {
      OdInt32 method = 0;
      double oldStrength = 0.0;
      m.normalMap(m_normalMap, method, oldStrength);
      m.setNormalMap(m_normalMap, method, strength);
    });
  m_normalMapStrength = strength;
}

void MeEditor::setNormalMapMethod(int method)
{
  write(
    0,
    [&](const OdDbMaterial& m) {
      OdInt32 held = 0;
      m.normalMap(m_normalMap, held, m_normalMapStrength);
      return held != method;
    },
    [&](OdDbMaterial& m) {
      OdInt32 oldMethod = 0;
      m.normalMap(m_normalMap, oldMethod, m_normalMapStrength);
      m.setNormalMap(m_normalMap, method, m_normalMapStrength);
    });
}

void MeEditor::setReflectivity(double reflectivity)
{
  requireFinite(reflectivity);
  write(
    0, [&](const OdDbMaterial& m) { return m.reflectivity() != reflectivity; },
    [&](OdDbMaterial& m) { m.setReflectivity(reflectivity); });
}

void MeEditor::setRefractionIndex(double index)
{
  requireFinite(index);
  write(
    0,
    [&](const OdDbMaterial& m) {
      double held = 0.0;
      MaterialMap map;
      m.refraction(held, map);
      return held != index || map != m_refractionMap;
    },
    [&](OdDbMaterial& m) { m.setRefraction(index, m_refractionMap); });
  m_refractionIndex = index;
}

// Value A and value B are the material's two further doubles, in the order
// it declares them: self-illumination, then translucence.
void MeEditor::setMaterialValueB(double value)
{
  requireFinite(value);
  write(
    0, [&](const OdDbMaterial& m) { return m.translucence() != value; },
    [&](OdDbMaterial& m) { m.setTranslucence(value); });
}

void MeEditor::setIlluminationModel(int model)
{
  write(
    0, [&](const OdDbMaterial& m) { return m.illuminationModel() != model; },
    [&](OdDbMaterial& m) { m.setIlluminationModel(model); });
}

void MeEditor::setMaterialValueA(double value)
{
  requireFinite(value);
  write(
    0, [&](const OdDbMaterial& m) { return m.selfIllumination() != value; },
    [&](OdDbMaterial& m) { m.setSelfIllumination(value); });
}

void MeEditor::diffuseColor(OdCmColor& color) { fromRecord(m_diffuseColor, color); }
void MeEditor::ambientColor(OdCmColor& color) { fromRecord(m_ambientColor, color); }
void MeEditor::specularColor(OdCmColor& color) { fromRecord(m_specularColor, color); }

double MeEditor::glossiness() { return m_glossiness; }

double MeEditor::opacity()
{
  openMaterial(OdDb::kForRead)->opacity(m_opacity, m_opacityMap);
  return m_opacity;
}

double MeEditor::normalMapStrength()
{
  OdInt32 method = 0;
  openMaterial(OdDb::kForRead)->normalMap(m_normalMap, method, m_normalMapStrength);
  return m_normalMapStrength;
}

double MeEditor::reflectivity() { return openMaterial(OdDb::kForRead)->reflectivity(); }

double MeEditor::refractionIndex()
{
  openMaterial(OdDb::kForRead)->refraction(m_refractionIndex, m_refractionMap);
  return m_refractionIndex;
}

double MeEditor::materialValueB() { return openMaterial(OdDb::kForRead)->translucence(); }
double MeEditor::materialValueA() { return openMaterial(OdDb::kForRead)->selfIllumination(); }

int MeEditor::normalMapMethod()
{
  OdInt32 method = 0;
  openMaterial(OdDb::kForRead)->normalMap(m_normalMap, method, m_normalMapStrength);
  return method;
}

int MeEditor::illuminationModel() { return openMaterial(OdDb::kForRead)->illuminationModel(); }
OdString MeEditor::materialName() { return openMaterial(OdDb::kForRead)->name(); }

OdString MeEditor::diffuseMapText() { return mapDisplayText(m_diffuseMap); }
OdString MeEditor::bumpMapText() { return mapDisplayText(m_bumpMap); }
OdString MeEditor::opacityMapText() { return mapDisplayText(m_opacityMap); }
OdString MeEditor::specularMapText() { return mapDisplayText(m_specularMap); }

MaterialMap& MeEditor::editDiffuseMap()
{
  m_editedMap = kEditedMapDiffuse;
  return m_diffuseMap;
}

MaterialMap& MeEditor::editBumpMap()
{
  m_editedMap = kEditedMapBump;
  return m_bumpMap;
}

MaterialMap* MeEditor::editedMap()
{
  return m_editedMap == kEditedMapDiffuse ? &m_diffuseMap : m_editedMap == kEditedMapBump ? &m_bumpMap : nullptr;
}

MaterialMap& MeEditor::specularMap() { return m_specularMap; }
MaterialMap& MeEditor::opacityMap() { return m_opacityMap; }

bool MeEditor::isDiffuseMapFile() { return m_diffuseMap.source() == kFile; }
bool MeEditor::isDiffuseMapAvailable() { return isMapAvailable(m_diffuseMap, m_materialId.database()); }
bool MeEditor::isBumpMapAvailable() { return isMapAvailable(m_bumpMap, m_materialId.database()); }
bool MeEditor::isSpecularMapAvailable() { return isMapAvailable(m_specularMap, m_materialId.database()); }
bool MeEditor::isOpacityMapAvailable() { return isMapAvailable(m_opacityMap, m_materialId.database()); }

bool MeEditor::hasChannelFlag(unsigned mask) { return (openMaterial(OdDb::kForRead)->channelFlags() & mask) != 0; }

bool MeEditor::isSpecularColorByColor() { return m_specularColor.method() == MaterialColor::kOverride; }

void MeEditor::setChannelFlag(unsigned mask, bool on)
{
  // The reactors are not told: the caller changes flags as one step of a
  // larger change that tells them itself.
  OdDbMaterialPtr material = openMaterial(OdDb::kForWrite);
  const OdUInt32 flags = material->channelFlags();
  material->setChannelFlags(on ? (flags | mask) : (flags & ~OdUInt32(mask)));
}

OdDbObjectId MeEditor::materialId() { return m_materialId; }

void MeEditor::commitEditedMap() { commitEditedMap(0); }

void MeEditor::commitEditedMap(int stepName)
{
  // Read first whatever the kind, so that a material erased or held
  // elsewhere is reported without an edited map too.
  try
  {
    write(
      stepName,
      [&](const OdDbMaterial& m) {
        MaterialColor color;
        MaterialMap held;
        if (m_editedMap == kEditedMapDiffuse)
        {
          m.diffuse(color, held);
          return held != m_diffuseMap || color != m_diffuseColor;
        }
        if (m_editedMap == kEditedMapBump)
        {
          m.bump(held);
          return held != m_bumpMap;
        }
        return false;
      },
      [&](OdDbMaterial& m) {
        if (m_editedMap == kEditedMapDiffuse)
          m.setDiffuse(m_diffuseColor, m_diffuseMap);
        else
          m.setBump(m_bumpMap);
      });
  }
  catch (const OdError&)
  {
    restoreEditedMap();
    throw;
  }
}

void MeEditor::restoreEditedMap()
{
  MaterialMap* cached = editedMap();
  if (!cached)
    return;
  // Read as the drawing holds it, erased or not; without a drawing there is
  // nothing to go back to.
  OdDbObjectPtr object = m_materialId.openObject(OdDb::kForRead, true);
  OdDbMaterial* material = OdDbMaterial::cast(object.get()).get();
  if (!material)
    return;
  MaterialMap held;
  if (cached == &m_diffuseMap)
  {
    MaterialColor color;
    material->diffuse(color, held);
  }
  else
    material->bump(held);
  object = nullptr;

  // The texture editors hold the record and the very texture object in it:
  // the texture takes the held values in place, so they stay on it.
  const OdGiMaterialTexturePtr texture = cached->texture();
  const OdGiMaterialTexture* heldTexture = held.texture().get();
  const bool keepObject = texture && heldTexture && texture->isA() == heldTexture->isA();
  if (keepObject)
    texture->copyFrom(heldTexture);
  *cached = held;
  if (keepObject)
    cached->setTexture(texture);
}

void MeEditor::endMapEditing() { m_editedMap = kEditedMapNone; }

IMeServiceItem* createEditor() { return new MeEditor; }
} // namespace me
