// meui::MeUiGlossinessProperty: the glossiness as a whole percent on a
// slider, written when the user lets the slider go.
#pragma once

#include "host/HostVariant.h"
#include "ui/properties/MeUiProperty.h"

namespace meui
{
// The percent a glossiness fraction shows: truncated, after a tolerance of
// 1e-9 so that a value written as 29% reads back as 29% (0.29 x 100 is
// 28.999... in doubles).
int glossinessPercent(double glossiness);

class MeUiGlossinessProperty : public MeUiProperty
{
public:
  using MeUiProperty::MeUiProperty;

  // A slider row 0 to 100 showing "%d%%"; null in a build without windows.
  void createEditableProperty(IKtEditableProperty*& out) override;
  virtual bool getValue(int& percent);
  virtual bool setValue(int percent);
  // Whether the material's glossiness is that percent as written (0.35, not
  // 0.355, for 35).
  bool holdsExactly(int percent);
  // The slider's text: "35%".
  bool format(int percent, CXStringW& text);
};
} // namespace meui
