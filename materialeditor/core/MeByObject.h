// The one rule for a "by object" colour, kept by the editor and the colour
// list alike: a colour is by object when it carries the by-object name, and
// that name is never empty, so an unnamed colour never reads as by object.
// The callers hand in the host's translation of "by object", each through
// its own path to the same host function.
#pragma once

#include "od/CmColor.h"

namespace me
{
// The translation, or the text itself when the host translates it to nothing.
inline OdString byObjectName(const OdString& translation)
{
  return translation.isEmpty() ? OdString(L"by object") : translation;
}

inline bool isByObjectColor(const OdCmColor& color, const OdString& translation)
{
  return !color.colorName().isEmpty() && color.colorName().iCompare(byObjectName(translation)) == 0;
}

// White by RGB, carrying the by-object name as colour name and book name.
inline OdCmColor byObjectColor(const OdString& translation)
{
  OdCmColor color;
  color.setRGB(255, 255, 255);
  const OdString name = byObjectName(translation);
  color.setNames(name, name);
  return color;
}
} // namespace me
