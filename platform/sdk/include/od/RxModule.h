// Run-time modules.
//
//   OdRxModule          a loadable unit: a module library that a host loads
//                       and starts (it exports odrxCreateModuleObject and
//                       odrxGetAPIVersion), or a module of the SDK itself
//                       such as a graphics module
//   OdRxWin32Module<T>  the module object of a Windows library
//   OdRxDynamicLinker   the registry of modules: factories by name, loaded
//                       instances shared by everyone who loads the same name
//
// A host calls initApp after loading a library and uninitApp before
// unloading it, then deleteModule, then frees the library.
#pragma once

#include "od/RxObject.h"

#include <functional>
#include <map>
#include <mutex>

class OdRxModule : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdRxModule);
  // The library's instance handle; null for modules of the SDK itself.
  virtual void* sysData() { return nullptr; }
  // Frees a library's module object; SDK modules go with their last reference.
  virtual void deleteModule() {}
  virtual void initApp() {}
  virtual void uninitApp() {}
  // Full path of the library file, or the name it was loaded under.
  virtual OdString moduleName() const { return m_name; }

protected:
  OdRxModule() = default;

private:
  friend class OdRxDynamicLinker;
  OdString m_name;
};
using OdRxModulePtr = OdSmartPtr<OdRxModule>;

// The module object of a Windows library: keeps the library's instance.
template <class T>
class OdRxWin32Module : public T
{
public:
  explicit OdRxWin32Module(void* instance) : m_instance(instance) {}
  void* sysData() override { return m_instance; }

private:
  void* m_instance;
};

extern "C" {
typedef OdRxModule* (*OdrxCreateModuleObjectFn)();
typedef void (*OdrxGetAPIVersionFn)(int& major, int& minor, int& majorBuild, int& minorBuild);
}

#define ODRX_EXPORT_CREATE_MODULE_OBJECT "odrxCreateModuleObject"
#define ODRX_EXPORT_GET_API_VERSION "odrxGetAPIVersion"

class OdRxDynamicLinker
{
public:
  using Factory = std::function<OdRxModulePtr()>;

  // Makes a module loadable under the name (names compare without case);
  // an already registered name is replaced for later loads.
  void registerModule(const OdString& name, Factory factory);
  // The loaded module, created and initialised on the first load. An unknown
  // name gives null, or throws eFileNotFound when not silent.
  OdRxModulePtr loadModule(const OdString& name, bool silent = true);
  // The module when it is loaded, else null.
  OdRxModulePtr getModule(const OdString& name) const;
  // Uninitialises and drops the loaded instance; false when it was not loaded.
  bool unloadModule(const OdString& name);

private:
  friend OdRxDynamicLinker* odrxDynamicLinker();
  OdRxDynamicLinker();
  mutable std::mutex m_mutex;
  std::map<OdString, Factory, OdStringLessNoCase> m_factories;
  std::map<OdString, OdRxModulePtr, OdStringLessNoCase> m_loaded;
};

// The process's linker. The software renderer is registered in it from the
// start, under OdGsSoftwareModuleName (od/GsSoftware.h).
OdRxDynamicLinker* odrxDynamicLinker();
