// The texture property providers: given the map being edited, the provider
// makes the matching texture map editor and the rows over it, and owns
// them: every row's getter and setter is a member function here.
//
//   MeUiTexturePropertiesProvider             base: the map editor (rows: MeUiRowProvider)
//   MeUiFileTexturePropertiesProvider         an image file: 12 rows, 13 when the
//                                             file was found elsewhere
//   MeUiSceneTexturePropertiesProvider        the scene: no rows
//   MeUiProceduralTexturePropertiesProvider   base of marble (4 rows) and wood (5)
//   createTexturePropertiesProvider           the factory
#pragma once

#include "core/MeEditTarget.h"
#include "core/MeProceduralTextureEditors.h"
#include "core/MeTextureEditors.h"
#include "ui/properties/MeUiRowProvider.h"

#include <memory>
#include <vector>

namespace meui
{
class MeUiTexturePropertiesProvider : public MeUiRowProvider
{
public:
  // The texture map editor over the map; none for the scene.
  virtual me::MeBaseTextureEditor* mapEditor() { return nullptr; }
  // Ends the map editor's editing: the material editor's edited map is free
  // for a newer dialog.
  void endEditing() override;
  // What a row that opens a dialog writes to: checked again when it returns.
  me::MeEditTarget editTarget();
};

class MeUiFileTexturePropertiesProvider : public MeUiTexturePropertiesProvider
{
public:
  explicit MeUiFileTexturePropertiesProvider(MaterialMap& map);
  void buildRows() override;
  me::MeFileTextureEditor& editor() const { return *m_editor; }
  me::MeBaseTextureEditor* mapEditor() override { return m_editor.get(); }

  // The rows' members, in row order.
  bool mapText(CXStringW& text);
  bool browseImage();
  bool foundAtPath(CXStringW& text);
  bool brightness(int& percent);
  bool brightnessFraction(double& fraction);
  bool setBrightness(int percent);
  bool percentText(int value, CXStringW& text);
  bool lockOffset(int& value);
  bool setLockOffset(int value);
  bool positionX(double& x);
  bool setPositionX(double x);
  bool canSetPositionX(double x, CXStringW& message);
  bool positionY(double& y);
  bool setPositionY(double y);
  bool canSetPositionY(double y, CXStringW& message);
  bool noAction() { return true; }
  bool rotation(int& degrees);
  bool setRotation(int degrees);
  bool degreeText(int value, CXStringW& text);
  bool lockAspectRatio(int& value);
  bool setLockAspectRatio(int value);
  bool width(double& width);
  bool setWidth(double width);
  bool canSetWidth(double width, CXStringW& message);
  bool height(double& height);
  bool setHeight(double height);
  bool canSetHeight(double height, CXStringW& message);
  bool horizontalTiling(CXStringW& name);
  bool setHorizontalTiling(CXStringW name);
  bool verticalTiling(CXStringW& name);
  bool setVerticalTiling(CXStringW name);
  bool tilingChoices(std::vector<CXStringW>& names);
  bool projection(CXStringW& name);
  bool setProjection(CXStringW name);
  bool projectionChoices(std::vector<CXStringW>& names);

private:
  std::shared_ptr<me::MeFileTextureEditor> m_editor;
  // Filled from the settings' tables each time a row asks, in code order;
  // both repeat rows share the tiling list.
  std::vector<CXStringW> m_tilingChoices;
  std::vector<CXStringW> m_projectionChoices;
};

class MeUiSceneTexturePropertiesProvider : public MeUiTexturePropertiesProvider
{
};

class MeUiProceduralTexturePropertiesProvider : public MeUiTexturePropertiesProvider
{
};

class MeUiMarbleTexturePropertiesProvider : public MeUiProceduralTexturePropertiesProvider
{
public:
  explicit MeUiMarbleTexturePropertiesProvider(MaterialMap& map) : m_editor(map) {}
  void buildRows() override;
  me::MeMarbleProceduralTextureEditor& editor() { return m_editor; }
  me::MeBaseTextureEditor* mapEditor() override { return &m_editor; }

  bool stoneColor(OdUInt32& rgb);
  bool setStoneColor(OdUInt32 rgb);
  bool veinColor(OdUInt32& rgb);
  bool setVeinColor(OdUInt32 rgb);
  bool veinSpacing(double& value);
  bool setVeinSpacing(double value);
  bool veinWidth(double& value);
  bool setVeinWidth(double value);

private:
  me::MeMarbleProceduralTextureEditor m_editor;
};

class MeUiWoodTexturePropertiesProvider : public MeUiProceduralTexturePropertiesProvider
{
public:
  explicit MeUiWoodTexturePropertiesProvider(MaterialMap& map) : m_editor(map) {}
  void buildRows() override;
  me::MeWoodProceduralTextureEditor& editor() { return m_editor; }
  me::MeBaseTextureEditor* mapEditor() override { return &m_editor; }

  bool color1(OdUInt32& rgb);
  bool setColor1(OdUInt32 rgb);
  bool color2(OdUInt32& rgb);
  bool setColor2(OdUInt32 rgb);
  bool radialNoise(double& value);
  bool setRadialNoise(double value);
  bool axialNoise(double& value);
  bool setAxialNoise(double value);
  bool grainThickness(double& value);
  bool setGrainThickness(double value);

private:
  me::MeWoodProceduralTextureEditor m_editor;
};

// A screen colour, red in the lowest byte, of a material colour's value.
OdUInt32 rgbOf(const MaterialColor& color);

// The provider that suits the map, with its count at 1 (the caller's), or
// null: a file provider for an image file, marble or wood for those
// procedural textures, the scene provider for the scene, none otherwise.
MeUiTexturePropertiesProvider* createTexturePropertiesProvider(MaterialMap& map);
} // namespace meui
