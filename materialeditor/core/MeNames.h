// The rules for material names, in one place.
//
//   kInvalidNameCharacters   the 14 characters a material name must not contain
//   hasInvalidCharacters     the name contains one of them
//   isBlankName              no visible character: empty, or only spaces,
//                            tabs and the other blanks of any script
//   StandardMaterialNames    the spellings of the standard materials' names,
//                            the host's translations taken once, for walks
//                            over many names
//   isByBlockOrByLayerName   "byblock", "bylayer", "by block", "by layer" and
//                            the host's translations of "ByBlock", "ByLayer"
//   isReservedMaterialName   the same and "global" with the translation of
//                            "Global": no material may be given these names
//   displayMaterialName      the name as lists and titles show it: a reserved
//                            name in the host's translation
//   containsIgnoringCase     a shown name holds a filter's text, compared by
//                            case folding ("ωMEG" finds "Ωmega")
//
// Names compare without regard to case; a longer name that only begins with
// a standard one is free.
#pragma once

#include "od/OdString.h"

namespace me
{
extern const wchar_t* const kInvalidNameCharacters;
bool hasInvalidCharacters(const OdString& name);
bool isBlankName(const OdString& name);

class StandardMaterialNames
{
public:
  enum class Global
  {
    Excluded, // by block and by layer only: the materials the browser hides
    Included, // all three standard materials: the reserved names
  };
  explicit StandardMaterialNames(Global global);
  bool matches(const OdString& name) const;

private:
  OdString m_names[8];
  int m_count = 0;
};

bool isByBlockOrByLayerName(const OdString& name);
bool isReservedMaterialName(const OdString& name);
OdString displayMaterialName(const OdString& name);
bool containsIgnoringCase(const OdString& text, const OdString& part);
} // namespace me
