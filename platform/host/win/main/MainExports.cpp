// The exports of the host's main library (hostmain.dll), the library that
// host.exe names through GetMainDllInstance and GetMainDllNameW.
#include "../core/HostRuntime.h"

using host::hostRuntime;

namespace
{
void* appServices() { return static_cast<HostAppServices*>(&hostRuntime().appServices()); }
void* documentManager() { return static_cast<HostDocManager*>(&hostRuntime().documents()); }
void* previewNotifier() { return &hostRuntime().previewNotifier(); }
void* theme() { return &hostRuntime().theme(); }
} // namespace

extern "C" {
// The host objects by index; null for an index this host has nothing behind.
__declspec(dllexport) HostObjectFn get_host_funcptr(int index)
{
  switch (index)
  {
  case kHostAppServicesIndex: return appServices;
  case kHostDocManagerIndex: return documentManager;
  case kHostPreviewNotifierIndex: return previewNotifier;
  case kHostThemeIndex: return theme;
  default: return nullptr;
  }
}

__declspec(dllexport) IHostApp* GetApp() { return &hostRuntime().application(); }

#ifndef HOST_WITHOUT_CMD_FACTORY
__declspec(dllexport) ICmdFactory* new_ICmdFactory() { return &hostRuntime().commands(); }
#endif
}
