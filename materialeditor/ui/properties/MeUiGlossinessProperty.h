// meui::MeUiGlossinessProperty: the glossiness as a whole percent on a
// slider, written when the user lets the slider go.
#pragma once

#include "host/HostVariant.h"
#include "ui/properties/MeUiProperty.h"

namespace meui
{
class MeUiGlossinessProperty : public MeUiProperty
{
public:
  using MeUiProperty::MeUiProperty;

  // A percent slider row 0 to 100 showing "%d%%".
  void createEditableProperty(IKtEditableProperty*& out) override;
  // The whole percent (wholePercent); false before the first material.
  virtual bool getValue(int& percent);
  virtual bool setValue(int percent);
  // The glossiness as the material holds it, a fraction 0 to 1.
  bool fraction(double& glossiness);
  // The slider's text: "35%".
  bool format(int percent, CXStringW& text);
};
} // namespace meui
