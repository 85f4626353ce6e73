#include "core/MeProceduralTextureEditors.h"

#include "core/MeChecks.h"
#include "core/MeStrings.h"

namespace me
{
namespace
{
// Runs before the base part exists, so a refused texture never reaches the
// base destructor, which would end the map editing of someone else.
template <class Texture>
MaterialMap& requireTexture(MaterialMap& map)
{
  const OdGiMaterialTexture* texture = map.texture().get();
  if (texture && !texture->isKindOf(Texture::desc()))
    throw OdError_NotThatKindOfClass(texture->isA(), Texture::desc());
  return map;
}
} // namespace

MaterialColor colorFromScreen(unsigned long screenColor)
{
  MaterialColor color;
  color.setMethod(MaterialColor::kOverride);
  color.setFactor(1.0);
  color.setColor(OdCmEntityColor(OdUInt8(screenColor & 0xFF), OdUInt8((screenColor >> 8) & 0xFF),
                                 OdUInt8((screenColor >> 16) & 0xFF)));
  return color;
}

MeMarbleProceduralTextureEditor::MeMarbleProceduralTextureEditor(MaterialMap& map)
  : MeProceduralTextureEditor(requireTexture<OdGiMarbleTexture>(map)), m_texture(map.texture())
{
}

MaterialColor MeMarbleProceduralTextureEditor::stoneColor() const { return m_texture->stoneColor(); }

void MeMarbleProceduralTextureEditor::setStoneColor(const MaterialColor& color)
{
  change(kStrStepTextureColor, [&](MaterialMap&) { m_texture->setStoneColor(color); });
}

void MeMarbleProceduralTextureEditor::setStoneColor(unsigned long screenColor)
{
  setStoneColor(colorFromScreen(screenColor));
}

MaterialColor MeMarbleProceduralTextureEditor::veinColor() const { return m_texture->veinColor(); }

void MeMarbleProceduralTextureEditor::setVeinColor(const MaterialColor& color)
{
  change(kStrStepTextureColor, [&](MaterialMap&) { m_texture->setVeinColor(color); });
}

void MeMarbleProceduralTextureEditor::setVeinColor(unsigned long screenColor)
{
  setVeinColor(colorFromScreen(screenColor));
}

double MeMarbleProceduralTextureEditor::veinSpacing() const { return m_texture->veinSpacing(); }

void MeMarbleProceduralTextureEditor::setVeinSpacing(double spacing)
{
  requireFinite(spacing);
  change(kStrStepTexturePattern, [&](MaterialMap&) { m_texture->setVeinSpacing(spacing); });
}

double MeMarbleProceduralTextureEditor::veinWidth() const { return m_texture->veinWidth(); }

void MeMarbleProceduralTextureEditor::setVeinWidth(double width)
{
  requireFinite(width);
  change(kStrStepTexturePattern, [&](MaterialMap&) { m_texture->setVeinWidth(width); });
}

MeWoodProceduralTextureEditor::MeWoodProceduralTextureEditor(MaterialMap& map)
  : MeProceduralTextureEditor(requireTexture<OdGiWoodTexture>(map)), m_texture(map.texture())
{
}

MaterialColor MeWoodProceduralTextureEditor::color1() const { return m_texture->color1(); }

void MeWoodProceduralTextureEditor::setColor1(const MaterialColor& color)
{
  change(kStrStepTextureColor, [&](MaterialMap&) { m_texture->setColor1(color); });
}

void MeWoodProceduralTextureEditor::setColor1(unsigned long screenColor) { setColor1(colorFromScreen(screenColor)); }

MaterialColor MeWoodProceduralTextureEditor::color2() const { return m_texture->color2(); }

void MeWoodProceduralTextureEditor::setColor2(const MaterialColor& color)
{
  change(kStrStepTextureColor, [&](MaterialMap&) { m_texture->setColor2(color); });
}

void MeWoodProceduralTextureEditor::setColor2(unsigned long screenColor) { setColor2(colorFromScreen(screenColor)); }

double MeWoodProceduralTextureEditor::radialNoise() const { return m_texture->radialNoise(); }

void MeWoodProceduralTextureEditor::setRadialNoise(double noise)
{
  requireFinite(noise);
  change(kStrStepTexturePattern, [&](MaterialMap&) { m_texture->setRadialNoise(noise); });
}

double MeWoodProceduralTextureEditor::axialNoise() const { return m_texture->axialNoise(); }

void MeWoodProceduralTextureEditor::setAxialNoise(double noise)
{
  requireFinite(noise);
  change(kStrStepTexturePattern, [&](MaterialMap&) { m_texture->setAxialNoise(noise); });
}

double MeWoodProceduralTextureEditor::grainThickness() const { return m_texture->grainThickness(); }

void MeWoodProceduralTextureEditor::setGrainThickness(double thickness)
{
  requireFinite(thickness);
  change(kStrStepTexturePattern, [&](MaterialMap&) { m_texture->setGrainThickness(thickness); });
}
} // namespace me
