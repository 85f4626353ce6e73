#include "ui/properties/MeUiGlossinessProperty.h"

#include "core/IMeEditor.h"

#include <cmath>

namespace meui
{
int glossinessPercent(double glossiness)
{
  const double percent = glossiness * 100.0;
  // Towards zero, after nudging the product away from it by the tolerance:
  // 0.29 * 100 is 28.999999999999996, which is 29 as written.
  return int(std::trunc(percent + std::copysign(1e-9, percent)));
}

bool MeUiGlossinessProperty::getValue(int& percent)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  const double glossiness = editor->glossiness();
  // Unset before the first material: no percent to show.
  if (!std::isfinite(glossiness))
    return false;
  percent = glossinessPercent(glossiness);
  return true;
}

bool MeUiGlossinessProperty::setValue(int percent)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->setGlossiness(std::fabs(percent * 0.01));
  return true;
}

bool MeUiGlossinessProperty::holdsExactly(int percent)
{
  me::IMeEditor* editor = me::editorService();
  return editor && std::fabs(editor->glossiness() - std::fabs(percent * 0.01)) <= 1e-12;
}

bool MeUiGlossinessProperty::format(int percent, CXStringW& text)
{
  text = CXStringW::format(L"%d%%", percent);
  return true;
}
} // namespace meui
