// Run-time modules: libraries that a host loads and starts.
//
// A module library exports odrxCreateModuleObject (the one module object)
// and odrxGetAPIVersion. The host calls initApp after loading and uninitApp
// before unloading, then deleteModule, then frees the library.
#pragma once

#include "od/RxObject.h"

class OdRxModule : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdRxModule);
  // The library's instance handle.
  virtual void* sysData() = 0;
  virtual void deleteModule() = 0;
  virtual void initApp() = 0;
  virtual void uninitApp() = 0;
  // Full path of the library file.
  virtual OdString moduleName() const = 0;
};

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
