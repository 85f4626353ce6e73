// What the test modules (hosttestmodule.dll, gridtestmodule.dll) need of
// the host, found by exported name as a module finds it.
#pragma once

#include "host/HostApi.h"

#include <windows.h>

namespace testmodule
{
// An export of a host library by file name; null for the main library.
template <class Fn>
Fn lookUp(const wchar_t* library, const char* name)
{
  HMODULE module = library ? GetModuleHandleW(library) : nullptr;
  if (!library)
  {
    HMODULE exe = GetModuleHandleW(nullptr);
    auto instance = reinterpret_cast<GetMainDllInstanceFn>(
      reinterpret_cast<void*>(GetProcAddress(exe, HOST_EXPORT_GET_MAIN_DLL_INSTANCE)));
    module = instance ? static_cast<HMODULE>(instance()) : nullptr;
  }
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

inline HostDocManager* docManager()
{
  auto get = lookUp<GetHostFuncPtrFn>(nullptr, HOST_EXPORT_GET_HOST_FUNCPTR);
  HostObjectFn object = get ? get(kHostDocManagerIndex) : nullptr;
  return object ? static_cast<HostDocManager*>(object()) : nullptr;
}

// A section of the host profile, made when missing.
inline IProfileSection* profileSection(const char* name)
{
  auto getApp = lookUp<GetAppFn>(nullptr, HOST_EXPORT_GET_APP);
  IHostApp* app = getApp ? getApp() : nullptr;
  auto* profile = app ? static_cast<IProfile*>(app->queryInterface("IProfile")) : nullptr;
  return profile ? profile->openSection(name, true) : nullptr;
}
} // namespace testmodule
