// The material editor (service 4) and the two map helpers the rows share.
//
//   MeEditor          IMeEditor over one material: a cache of its colours,
//                     maps and values, written back one channel at a time
//   mapDisplayText    what a map slot shows: "Scene", the file, the texture kind
//   setFileMap        a map made a plain image file map
//   isMapAvailable    whether a map can be drawn: its file is found, or it
//                     holds a texture
#pragma once

#include "core/IMeEditor.h"
#include "od/DbMaterial.h"

#include <limits>
#include <vector>

class OdDbDatabase;

namespace me
{
OdString mapDisplayText(const MaterialMap& map);
// The database is the one whose search paths find the map's file.
bool isMapAvailable(const MaterialMap& map, OdDbDatabase* database);
// A plain image file map of the file, its placement kept: source 1, the
// file, and an image texture of it (none for an empty name), so that a
// procedural texture and its parameters go.
void setFileMap(MaterialMap& map, const OdString& fileName);

class MeEditor : public IMeEditor
{
public:
  MeEditor() = default;
  ~MeEditor() override;
  MeEditor(const MeEditor&) = delete;
  MeEditor& operator=(const MeEditor&) = delete;

  void onServiceEvent(int event, void* argument) override;
  void addReactor(MeEditorReactor* reactor) override;
  void removeReactor(MeEditorReactor* reactor) override;
  void open(const OdDbObjectId& materialId) override;
  void setDiffuseColor(const OdCmColor& color) override;
  void setAmbientColor(const OdCmColor& color) override;
  void setSpecularColor(const OdCmColor& color) override;
  void setGlossiness(double glossiness) override;
  void setDiffuseMapFile(const OdString& fileName) override;
  void setBumpMapFile(const OdString& fileName) override;
  void setOpacity(double opacity) override;
  void setNormalMapStrength(double strength) override;
  void setNormalMapMethod(int method) override;
  void setReflectivity(double reflectivity) override;
  void setRefractionIndex(double index) override;
  void setMaterialValueB(double value) override;
  void setIlluminationModel(int model) override;
  void setMaterialValueA(double value) override;
  void diffuseColor(OdCmColor& color) override;
  void ambientColor(OdCmColor& color) override;
  void specularColor(OdCmColor& color) override;
  double glossiness() override;
  double opacity() override;
  double normalMapStrength() override;
  double reflectivity() override;
  double refractionIndex() override;
  double materialValueB() override;
  double materialValueA() override;
  int normalMapMethod() override;
  int illuminationModel() override;
  OdString materialName() override;
  OdString diffuseMapText() override;
  OdString bumpMapText() override;
  OdString opacityMapText() override;
  OdString specularMapText() override;
  MaterialMap& editDiffuseMap() override;
  MaterialMap& editBumpMap() override;
  MaterialMap* editedMap() override;
  MaterialMap& specularMap() override;
  MaterialMap& opacityMap() override;
  bool isDiffuseMapFile() override;
  bool isDiffuseMapAvailable() override;
  bool isBumpMapAvailable() override;
  bool isSpecularMapAvailable() override;
  bool isOpacityMapAvailable() override;
  bool hasChannelFlag(unsigned mask) override;
  bool isSpecularColorByColor() override;
  void setChannelFlag(unsigned mask, bool on) override;
  OdDbObjectId materialId() override;
  void commitEditedMap() override;
  void endMapEditing() override;
  const MaterialMap& diffuseMap() override { return m_diffuseMap; }
  // The undo step it makes takes the name of that string id (0: unnamed).
  void commitEditedMap(int stepName);

private:
  OdDbMaterialPtr openMaterial(OdDb::OpenMode mode) const;
  // Unless the material already holds what the change would write (differs
  // answers false on the material open for read): opens for write, runs the
  // change, tells the reactors, closes, and names the undo step after the
  // string id (0: unnamed). A write that changes nothing makes no step and
  // leaves the drawing unmodified. True when it wrote.
  template <class Differs, class Change>
  bool write(int stepName, Differs differs, Change change);
  void notify(OdDbMaterial* material);
  // After a refused commit: the edited map as the drawing holds it.
  void restoreEditedMap();

  OdDbObjectId m_materialId;
  MaterialMap m_diffuseMap;
  MaterialMap m_bumpMap;
  MaterialMap m_opacityMap;
  MaterialMap m_normalMap;
  MaterialMap m_refractionMap;
  MaterialMap m_specularMap;
  MaterialColor m_diffuseColor;
  MaterialColor m_ambientColor;
  MaterialColor m_specularColor;
  // Unset until the first open; NaN says so.
  double m_glossiness = std::numeric_limits<double>::quiet_NaN();
  double m_opacity = std::numeric_limits<double>::quiet_NaN();
  double m_normalMapStrength = std::numeric_limits<double>::quiet_NaN();
  double m_refractionIndex = std::numeric_limits<double>::quiet_NaN();
  EditedMapKind m_editedMap = kEditedMapNone;
  std::vector<MeEditorReactor*> m_reactors;
};
} // namespace me
