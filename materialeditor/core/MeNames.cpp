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

bool isBlankName(const OdString& name)
{
  // Not iswspace: it depends on the locale, and a label made of these shows
  // as nothing whatever the locale.
  const auto blank = [](wchar_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200D) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x2060 ||
           c == 0x3000 || c == 0xFEFF;
  };
  for (int i = 0; i < name.getLength(); ++i)
    if (!blank(name.getAt(i)))
      return false;
  return true;
}

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

bool containsIgnoringCase(const OdString& text, const OdString& part)
{
  // The same folding as every case-insensitive comparison of names.
  OdString folded = text, wanted = part;
  return folded.makeLower().find(wanted.makeLower()) >= 0;
}
} // namespace me
