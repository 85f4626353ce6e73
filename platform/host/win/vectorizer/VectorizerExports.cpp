// The exports of hostvectorizerutils.dll: which graphics module the host
// draws with. It is the SDK's renderer for windows, which the SDK registers
// under that name; modules load it by name (odrxDynamicLinker). Every
// question is counted for DUMP.
#include "../core/HostRuntime.h"

#include "od/GsWin32.h"

extern "C" {
// The same module for the screen, for printing and for rendering.
__declspec(dllexport) const wchar_t* getCurrentVectorizerModuleName(bool, bool)
{
  ++host::hostRuntime().vectorizerQueries;
  return OdGsWin32ModuleName;
}
}
