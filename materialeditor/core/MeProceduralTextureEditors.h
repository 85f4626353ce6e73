// Editors of the procedural textures a map can hold.
//
//   MeProceduralTextureEditor         common base (a texture map editor)
//   MeMarbleProceduralTextureEditor   stone and vein colours, vein spacing and width
//   MeWoodProceduralTextureEditor     two colours, radial and axial noise, grain
//
// Each holds the very texture object of the map (not a copy), so editors over
// one map see each other's changes at once. The material keeps its own copy
// of the texture, so every setter applies the map to reach it.
#pragma once

#include "core/MeTextureEditors.h"

namespace me
{
// A by-colour record from a screen colour: red in bits 0-7, green 8-15,
// blue 16-23; the rest is ignored.
MaterialColor colorFromScreen(unsigned long screenColor);

class MeProceduralTextureEditor : public MeBaseTextureEditor
{
public:
  using MeBaseTextureEditor::MeBaseTextureEditor;
};

class MeMarbleProceduralTextureEditor : public MeProceduralTextureEditor
{
public:
  // A map without a texture leaves the reference empty (the operations then
  // raise eNullPtr); a texture of another kind raises the wrong-class error
  // before anything is changed.
  explicit MeMarbleProceduralTextureEditor(MaterialMap& map);

  MaterialColor stoneColor() const;
  void setStoneColor(const MaterialColor& color);
  void setStoneColor(unsigned long screenColor);
  MaterialColor veinColor() const;
  void setVeinColor(const MaterialColor& color);
  void setVeinColor(unsigned long screenColor);
  double veinSpacing() const;
  void setVeinSpacing(double spacing);
  double veinWidth() const;
  void setVeinWidth(double width);

  const OdGiMarbleTexturePtr& texture() const { return m_texture; }

private:
  OdGiMarbleTexturePtr m_texture;
};

class MeWoodProceduralTextureEditor : public MeProceduralTextureEditor
{
public:
  // As for marble.
  explicit MeWoodProceduralTextureEditor(MaterialMap& map);

  MaterialColor color1() const;
  void setColor1(const MaterialColor& color);
  void setColor1(unsigned long screenColor);
  MaterialColor color2() const;
  void setColor2(const MaterialColor& color);
  void setColor2(unsigned long screenColor);
  double radialNoise() const;
  void setRadialNoise(double noise);
  double axialNoise() const;
  void setAxialNoise(double noise);
  double grainThickness() const;
  void setGrainThickness(double thickness);

  const OdGiWoodTexturePtr& texture() const { return m_texture; }

private:
  OdGiWoodTexturePtr m_texture;
};
} // namespace me
