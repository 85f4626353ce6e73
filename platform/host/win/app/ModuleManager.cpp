#include "ModuleManager.h"

#include "../core/HostRuntime.h"

#include <psapi.h>

namespace host
{
namespace
{
OdString systemMessage(DWORD code)
{
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  OdString message = text ? OdString(text) : OdString::format(L"system error %u", unsigned(code));
  LocalFree(text);
  message.trimRight();
  return message;
}

// An export as the function type it is known to have.
template <class Fn>
Fn exported(HMODULE library, const char* name)
{
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Windows of this thread whose window procedure lies in [begin, end).
struct StrayWindows
{
  const char* begin;
  const char* end;
  std::vector<HWND> found;

  void check(HWND window)
  {
    const auto* proc = reinterpret_cast<const char*>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (proc >= begin && proc < end)
      found.push_back(window);
  }
  // EnumChildWindows walks all descendants, not only the direct children.
  static BOOL CALLBACK visitChild(HWND window, LPARAM self)
  {
    reinterpret_cast<StrayWindows*>(self)->check(window);
    return TRUE;
  }
  static BOOL CALLBACK visitTopLevel(HWND window, LPARAM self)
  {
    reinterpret_cast<StrayWindows*>(self)->check(window);
    EnumChildWindows(window, visitChild, self);
    return TRUE;
  }
};
} // namespace

bool ModuleManager::load(const OdString& path, OdString& error)
{
  // Without the flag a missing file would bring up a system message box.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  win::Library library(LoadLibraryW(path.c_str()));
  const DWORD loadError = GetLastError();
  SetErrorMode(oldMode);
  if (!library)
  {
    error = OdString::format(L"cannot load the module \"%s\": %s", path, systemMessage(loadError));
    return false;
  }
  auto version = exported<OdrxGetAPIVersionFn>(library.get(), ODRX_EXPORT_GET_API_VERSION);
  auto create = exported<OdrxCreateModuleObjectFn>(library.get(), ODRX_EXPORT_CREATE_MODULE_OBJECT);
  OdRxModule* object = nullptr;
  if (!version || !create)
    error = OdString::format(L"\"%s\" is no run-time module: it lacks odrxGetAPIVersion or odrxCreateModuleObject", path);
  else
  {
    int major = 0, minor = 0, majorBuild = 0, minorBuild = 0;
    try
    {
      version(major, minor, majorBuild, minorBuild);
      if (major != kApiMajor)
        error = OdString::format(L"the module \"%s\" was built for interface %d.%d.%d.%d; this host speaks %d", path,
                                 major, minor, majorBuild, minorBuild, kApiMajor);
      else if (!(object = create()))
        error = OdString::format(L"the module \"%s\" made no module object", path);
    }
    catch (...)
    {
      object = nullptr;
      error = OdString::format(L"the module \"%s\" failed to make its module object", path);
    }
  }
  if (object)
  {
    try
    {
      object->initApp();
      m_modules.push_back({path, object->moduleName(), library.detach(), object});
      return true;
    }
    catch (...)
    {
      error = OdString::format(L"the module \"%s\" failed to start", path);
      object->deleteModule();
    }
  }
  // Its commands were registered when the library was loaded.
  MODULEINFO info{};
  if (GetModuleInformation(GetCurrentProcess(), library.get(), &info, sizeof info))
    hostRuntime().commands().removeInRange(info.lpBaseOfDll, static_cast<char*>(info.lpBaseOfDll) + info.SizeOfImage);
  return false;
}

void ModuleManager::unload(Module& module, std::vector<OdString>* warnings)
{
  try
  {
    module.object->uninitApp();
  }
  catch (...)
  {
    if (warnings)
      warnings->push_back(OdString::format(L"the module \"%s\" failed to shut down", module.path));
  }
  module.object->deleteModule();
  module.object = nullptr;

  MODULEINFO info{};
  const bool known = GetModuleInformation(GetCurrentProcess(), module.library, &info, sizeof info) != 0;
  const char* begin = static_cast<const char*>(info.lpBaseOfDll);
  const char* end = begin + info.SizeOfImage;
  FreeLibrary(module.library);
  module.library = nullptr;
  if (!known)
    return;

  hostRuntime().commands().removeInRange(begin, end);
  // A window whose procedure was in the library would crash the host at
  // its next message: it gets the default procedure and goes.
  StrayWindows stray{begin, end, {}};
  EnumThreadWindows(GetCurrentThreadId(), StrayWindows::visitTopLevel, reinterpret_cast<LPARAM>(&stray));
  for (HWND window : stray.found)
  {
    if (!IsWindow(window))
      continue;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    DestroyWindow(window);
  }
  if (!stray.found.empty() && warnings)
    warnings->push_back(OdString::format(L"the module \"%s\" left %d window(s) behind; the host destroyed them",
                                         module.path, int(stray.found.size())));
}

void ModuleManager::unloadAll(std::vector<OdString>* warnings)
{
  while (!m_modules.empty())
  {
    unload(m_modules.back(), warnings);
    m_modules.pop_back();
  }
}
} // namespace host
