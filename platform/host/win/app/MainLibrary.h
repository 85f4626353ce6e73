// The host executable's exports, GetMainDllInstance and GetMainDllNameW,
// through which modules find the host's main library (hostmain.dll).
#pragma once

#include <windows.h>

namespace host
{
// Called once the main library is loaded.
void setMainLibrary(HMODULE library);
} // namespace host
