// ModuleManager: loads run-time modules (libraries exporting
// odrxGetAPIVersion and odrxCreateModuleObject) and unloads them.
//
// Load: LoadLibraryW (the library's static objects register its commands),
// the interface version check, the module object, initApp.
// Unload: uninitApp, deleteModule, FreeLibrary (the library's static objects
// are destroyed), then the commands and windows the library left behind
// are taken away, so nothing calls into freed code.
#pragma once

#include "win32/Handles.h"

#include "od/OdString.h"
#include "od/RxModule.h"

#include <vector>

namespace host
{
class ModuleManager
{
public:
  struct Module
  {
    OdString path;
    OdString name; // what the module object calls itself
    HMODULE library;
    OdRxModule* object;
  };

  ModuleManager() = default;
  ~ModuleManager() { unloadAll(); }
  ModuleManager(const ModuleManager&) = delete;
  ModuleManager& operator=(const ModuleManager&) = delete;

  // False with a message for the user when the module was not loaded.
  bool load(const OdString& path, OdString& error);
  // In reverse order of loading. Messages about what modules left behind
  // go to warnings.
  void unloadAll(std::vector<OdString>* warnings = nullptr);
  const std::vector<Module>& modules() const { return m_modules; }

  // The interface version this host speaks; a module of another major
  // version is refused.
  static constexpr int kApiMajor = 4;

private:
  void unload(Module& module, std::vector<OdString>* warnings);
  std::vector<Module> m_modules;
};
} // namespace host
