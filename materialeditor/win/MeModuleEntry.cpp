// The library's entry: the Win32 system services, attach, the command
// registration at load, and the two exports. It wires the core's command to
// the palettes' owner, which makes the palettes.
#include "core/MeHost.h"
#include "core/MeModule.h"
#include "core/MeModuleInstance.h"
#include "framework/ModuleState.h"
#include "ui/MeUiPalettes.h"
#include "win/MeWin32System.h"

#include <windows.h>

namespace
{
// Static initialisation, which runs before DllMain, registers MATBROWSEROPEN
// with the host; the command factory is found through the system services,
// so they come first.
bool registerAtLoad()
{
  me::setSystem(me::win32System());
  return me::registerBrowserCommand();
}
[[maybe_unused]] const bool g_commandRegistered = registerAtLoad();
} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
  if (reason == DLL_PROCESS_ATTACH)
  {
    me::setModuleInstance(instance);
    fw::setModuleInstance(instance);
    DisableThreadLibraryCalls(instance);
    if (auto translate =
          me::hostFunction<InitResTranslationFn>(me::HostLibrary::Core, HOST_EXPORT_INIT_RES_TRANSLATION))
      translate(instance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) OdRxModule* odrxCreateModuleObject()
{
  me::MeMaterialEditorModule* module = me::moduleObject(me::moduleInstance());
  module->setBrowserToggle(&meui::toggleMaterialsBrowser);
  return module;
}

extern "C" __declspec(dllexport) void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild)
{
  major = 4;
  minor = 3;
  majorBuild = 1;
  minorBuild = 0;
}
