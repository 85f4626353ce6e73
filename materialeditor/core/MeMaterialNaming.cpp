#include "core/MeMaterialNaming.h"

namespace me
{
namespace
{
bool isTaken(const OdString& candidate, const std::vector<OdString>& taken)
{
  for (const OdString& name : taken)
    if (candidate.iCompare(name) == 0)
      return true;
  return false;
}

// Counts up from the first number until the candidate is free. Each round
// looks at the whole list again, as a collision may be with any name.
template <class Format>
OdString firstFree(OdString candidate, int counter, const std::vector<OdString>& taken, Format format)
{
  while (isTaken(candidate, taken))
    candidate = format(counter++);
  return candidate;
}
} // namespace

OdString newMaterialName(const OdString& base, const std::vector<OdString>& taken)
{
  return firstFree(base, 1, taken, [&](int n) { return OdString::format(L"%s (%d)", base, n); });
}

OdString cloneMaterialName(const OdString& source, const std::vector<OdString>& taken)
{
  OdString base = source;
  int counter = 1;
  const int open = source.reverseFind(L'(');
  if (open >= 0 && source.find(L')') >= 0)
  {
    base = source.left(open);
    const wchar_t digit = source.getAt(open + 1);
    counter = digit >= L'0' && digit <= L'9' ? int(digit - L'0') : 0;
  }
  const auto format = [&](int n) { return OdString::format(L"%s(%d)", base, n); };
  return firstFree(format(counter), counter + 1, taken, format);
}
} // namespace me
