#include "core/MeStrings.h"

#include "core/MeModuleInstance.h"
#include "core/MeSystem.h"

#include <iterator>

namespace me
{
namespace
{
struct Entry
{
  int id;
  const wchar_t* text;
};

const Entry kTable[] = {
#define ME_STRING(id, text) {id, text},
#include "resources/strings.inc"
#undef ME_STRING
};

const int kIds[] = {
#define ME_STRING(id, text) id,
#include "resources/strings.inc"
#undef ME_STRING
};
} // namespace

OdString builtInString(int id)
{
  for (const Entry& entry : kTable)
    if (entry.id == id)
      return entry.text;
  return OdString();
}

const int* builtInStringIds(int& count)
{
  count = int(std::size(kIds));
  return kIds;
}

OdString loadString(int id)
{
  void* instance = moduleInstance();
  if (instance && system().loadString)
  {
    const OdString text = system().loadString(instance, id);
    if (!text.isEmpty())
      return text;
  }
  return builtInString(id);
}
} // namespace me
