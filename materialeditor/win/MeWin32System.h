// The Win32 side of the module's system services (core/MeSystem.h): export
// lookups in the host's binaries by GetProcAddress, the string table by
// LoadStringW, the module's file name, and the system's message box and
// open-file dialog.
#pragma once

#include "core/MeSystem.h"

namespace me
{
const MeSystem& win32System();
} // namespace me
