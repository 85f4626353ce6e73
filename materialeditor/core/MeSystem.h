// What the module takes from the operating system beneath the host: where
// the host's exports are found, the module's own string table and file name,
// and the system's message box and open-file dialog for when the host offers
// none. The Windows module installs the real ones as it is loaded (win/);
// natively and in test programs nothing is installed and the portable answers
// stand: no export, the built-in strings, no file name, a refusal.
#pragma once

#include "core/MeHost.h"

namespace me
{
struct MeSystem
{
  // The export of a host binary, or null.
  void* (*hostExport)(HostLibrary library, const char* name) = nullptr;
  // The text of a string id from the resources of the library, or empty.
  OdString (*loadString)(void* instance, int id) = nullptr;
  // Full path of the library file, or empty.
  OdString (*moduleFileName)(void* instance) = nullptr;
  HostMessageAnswer (*messageBox)(void* owner, const OdString& text, const OdString& caption, HostMessageIcon icon,
                                  HostMessageButtons buttons) = nullptr;
  // The standard open-file dialog; false on cancel.
  bool (*selectFileToOpen)(void* owner, const OdString& initialName, const OdString& filter, unsigned flags,
                           OdString& path) = nullptr;
};

void setSystem(const MeSystem& system);
const MeSystem& system();
} // namespace me
