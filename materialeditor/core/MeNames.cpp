#include "core/MeNames.h"

#include "core/MeHost.h"

#include <iterator>

namespace me
{
namespace
{
// Global last in both lists, so that the by-block and by-layer rule is the
// lists without their last entry.
const wchar_t* const kFixedSpellings[] = {L"byblock", L"bylayer", L"by block", L"by layer", L"global"};
const wchar_t* const kTranslatedNames[] = {L"ByBlock", L"ByLayer", L"Global"};
} // namespace

const wchar_t* const kInvalidNameCharacters = L"<>/\\\"':;?*|,=`";

bool hasInvalidCharacters(const OdString& name) { return name.findOneOf(kInvalidNameCharacters) >= 0; }

StandardMaterialNames::StandardMaterialNames(Global global)
{
  const std::size_t skip = global == Global::Included ? 0 : 1;
  for (std::size_t i = 0; i < std::size(kFixedSpellings) - skip; ++i)
    m_names[m_count++] = kFixedSpellings[i];
  for (std::size_t i = 0; i < std::size(kTranslatedNames) - skip; ++i)
    m_names[m_count++] = translate(kTranslatedNames[i]);
}

bool StandardMaterialNames::matches(const OdString& name) const
{
  for (int i = 0; i < m_count; ++i)
    if (name.iCompare(m_names[i]) == 0)
      return true;
  return false;
}

bool isByBlockOrByLayerName(const OdString& name)
{
  return StandardMaterialNames(StandardMaterialNames::Global::Excluded).matches(name);
}

bool isReservedMaterialName(const OdString& name)
{
  return StandardMaterialNames(StandardMaterialNames::Global::Included).matches(name);
}

OdString displayMaterialName(const OdString& name) { return isReservedMaterialName(name) ? translate(name) : name; }
} // namespace me
