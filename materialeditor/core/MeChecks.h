// Checks of the values handed to the editors. They run before the material
// is opened, so a refused value changes nothing.
#pragma once

#include "od/OdError.h"

#include <cmath>

namespace me
{
inline void requireFinite(double value)
{
  if (!std::isfinite(value))
    throw OdError(eInvalidInput, L"The value is not a finite number");
}
} // namespace me
