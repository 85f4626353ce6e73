// The exports of the host core library (kticore.dll) that modules look up
// by name.
#include "HostRuntime.h"

#include "host/FileSystem.h"

#include <windows.h>

#include <cstring>

using host::hostRuntime;

extern "C" {
#ifndef HOST_WITHOUT_RES_TRANSLATION
// The host translates a module's resources; this host records which module
// asked, and the texts pass through Supp_Translate when the module shows them.
__declspec(dllexport) void _InitResTranslation(void* moduleInstance)
{
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(moduleInstance), path, MAX_PATH);
  hostRuntime().resourceTranslations.push_back(length ? host::fileNamePart(OdString(path, length)) : OdString(L"?"));
}
#endif

__declspec(dllexport) void* CreateObjectC(const char* classId)
{
  if (classId && std::strcmp(classId, "CLSID_APP") == 0)
    return static_cast<IHostApp*>(&hostRuntime().application());
  return nullptr;
}

__declspec(dllexport) const wchar_t* Supp_Translate(const wchar_t* text)
{
  return hostRuntime().translations().translate(text);
}

__declspec(dllexport) bool Fio_IsFileExist(const wchar_t* path)
{
  return path && host::isFile(OdString(path));
}
}
