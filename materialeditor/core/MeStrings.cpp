#include "core/MeStrings.h"

#include "core/MeModuleInstance.h"

#include <iterator>

#ifdef _WIN32
#include <windows.h>
#endif

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
#ifdef _WIN32
  if (void* instance = moduleInstance())
  {
    // A zero length asks for a read-only pointer to the resource itself.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(static_cast<HINSTANCE>(instance), UINT(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length > 0 && text)
      return OdString(text, std::size_t(length));
  }
#endif
  return builtInString(id);
}
} // namespace me
