// Names for new and cloned materials: the first candidate that no material
// of a list has, compared without regard to case.
#pragma once

#include "od/OdString.h"

#include <vector>

namespace me
{
// base, then "base (1)", "base (2)"... ("Default Generic (2)").
OdString newMaterialName(const OdString& base, const std::vector<OdString>& taken);

// For a name with a "(" and a ")": the text before the last "(", numbered
// from the digit right after it (0 when that is no digit), else the whole
// name numbered from 1; "base(n)" without a blank, counting up while taken.
// Steel -> Steel(1); Steel(1) -> Steel(2) while Steel(1) exists; Steel(12)
// -> Steel(1).
OdString cloneMaterialName(const OdString& source, const std::vector<OdString>& taken);
} // namespace me
