#include "ui/properties/MeUiGlossinessProperty.h"

#include "core/IMeEditor.h"
#include "ui/properties/MeUiTextureRowFamilies.h"

#include <cmath>

namespace meui
{
void MeUiGlossinessProperty::createEditableProperty(IKtEditableProperty*& out)
{
  auto* row = new MePercentRow<MeUiGlossinessProperty>(m_label, this, &MeUiGlossinessProperty::fraction);
  row->SetGetter(&MeUiGlossinessProperty::getValue);
  row->SetSetter(&MeUiGlossinessProperty::setValue);
  row->SetFormat(&MeUiGlossinessProperty::format);
  out = row;
}

bool MeUiGlossinessProperty::fraction(double& glossiness)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  glossiness = editor->glossiness();
  // Unset before the first material: no percent to show.
  return std::isfinite(glossiness);
}

bool MeUiGlossinessProperty::getValue(int& percent)
{
  double glossiness = 0.0;
  if (!fraction(glossiness))
    return false;
  percent = wholePercent(glossiness);
  return true;
}

bool MeUiGlossinessProperty::setValue(int percent)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->setGlossiness(std::fabs(percentFraction(percent)));
  return true;
}

bool MeUiGlossinessProperty::format(int percent, CXStringW& text)
{
  text = CXStringW::format(L"%d%%", percent);
  return true;
}
} // namespace meui
