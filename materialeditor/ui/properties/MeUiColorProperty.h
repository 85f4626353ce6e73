// The material colour rows: their values go straight to the material editor
// (service 4) and each draw reads them again, so the rows hold nothing of
// the material.
//
//   MeUiColorProperty          base: no value; makes the colour list row
//   MeUiDiffuseColorProperty   the diffuse colour; outside extended mode it
//                              sets the ambient and specular colours too
//   MeUiAmbientColorProperty   shown in extended mode only
//   MeUiSpecularColorProperty  shown in extended mode only; a change tells
//                              the Material editor palette (its title)
#pragma once

#include "core/MeEditTarget.h"
#include "od/CmColor.h"
#include "ui/properties/MeUiProperty.h"

namespace meui
{
class MeUiColorProperty : public MeUiProperty
{
public:
  using MeUiProperty::MeUiProperty;

  // A colour list row over this source (MeUiColorPropertyEx); null in a
  // build without windows.
  void createEditableProperty(IKtEditableProperty*& out) override;
  virtual bool getValue(OdCmColor& color);
  virtual bool setValue(OdCmColor color);

  // The by-layer page of the colour dialog shows the current layer's colour;
  // none without a drawing or a current layer.
  OdCmColor byLayerSample();
  // What a colour chosen in the dialog is for: the material the editor has
  // open now, checked again when the dialog returns.
  me::MeEditTarget editTarget() const { return me::MeEditTarget::ofEditor(); }
};

class MeUiDiffuseColorProperty : public MeUiColorProperty
{
public:
  using MeUiColorProperty::MeUiColorProperty;
  bool getValue(OdCmColor& color) override;
  bool setValue(OdCmColor color) override;
};

class MeUiAmbientColorProperty : public MeUiColorProperty
{
public:
  using MeUiColorProperty::MeUiColorProperty;
  bool getValue(OdCmColor& color) override;
  bool setValue(OdCmColor color) override;
  bool isShown() override;
};

class MeUiSpecularColorProperty : public MeUiColorProperty
{
public:
  using MeUiColorProperty::MeUiColorProperty;
  bool getValue(OdCmColor& color) override;
  bool setValue(OdCmColor color) override;
  bool isShown() override;
};

// Whether the settings ask for extended mode (false without them).
bool extendedMode();
} // namespace meui
