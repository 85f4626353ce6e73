#include "win/MeWin32System.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

namespace me
{
namespace
{
HMODULE mainLibraryByName()
{
  HMODULE exe = GetModuleHandleW(nullptr);
  if (auto name = reinterpret_cast<GetMainDllNameWFn>(
        reinterpret_cast<void*>(GetProcAddress(exe, HOST_EXPORT_GET_MAIN_DLL_NAME))))
    if (const wchar_t* text = name())
      return GetModuleHandleW(text);
  return nullptr;
}

HMODULE mainLibrary()
{
  HMODULE exe = GetModuleHandleW(nullptr);
  if (auto get = reinterpret_cast<GetMainDllInstanceFn>(
        reinterpret_cast<void*>(GetProcAddress(exe, HOST_EXPORT_GET_MAIN_DLL_INSTANCE))))
    if (void* instance = get())
      return static_cast<HMODULE>(instance);
  return mainLibraryByName();
}

void* lookupExport(HostLibrary library, const char* name)
{
  HMODULE module = nullptr;
  switch (library)
  {
  case HostLibrary::Executable: module = GetModuleHandleW(nullptr); break;
  case HostLibrary::Main: module = mainLibrary(); break;
  case HostLibrary::MainByName: module = mainLibraryByName(); break;
  case HostLibrary::Core: module = GetModuleHandleW(L"kticore.dll"); break;
  case HostLibrary::Events: module = GetModuleHandleW(L"events5.dll"); break;
  case HostLibrary::Utils: module = GetModuleHandleW(L"hostutils.dll"); break;
  case HostLibrary::Docbar: module = GetModuleHandleW(L"docbar.dll"); break;
  case HostLibrary::VectorizerUtils: module = GetModuleHandleW(L"hostvectorizerutils.dll"); break;
  }
  return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

OdString loadResourceString(void* instance, int id)
{
  // A zero length asks for a read-only pointer to the resource itself.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(static_cast<HINSTANCE>(instance), UINT(id), reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? OdString(text, std::size_t(length)) : OdString();
}

OdString moduleFileName(void* instance)
{
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(instance), path, MAX_PATH);
  return OdString(path, length);
}

HostMessageAnswer systemMessageBox(void* owner, const OdString& text, const OdString& caption, HostMessageIcon icon,
                                   HostMessageButtons buttons)
{
  return HostMessageAnswer(
    MessageBoxW(static_cast<HWND>(owner), text.c_str(), caption.c_str(), UINT(icon) | UINT(buttons)));
}

bool systemSelectFileToOpen(void* owner, const OdString& initialName, const OdString& filter, unsigned flags,
                            OdString& path)
{
  // The dialog wants the filter's pairs separated by NULs, not bars.
  std::wstring filterText = filter.c_str();
  for (auto& ch : filterText)
    if (ch == L'|')
      ch = L'\0';
  filterText.push_back(L'\0');
  std::vector<wchar_t> buffer(32768, L'\0');
  const std::wstring initial = initialName.c_str();
  initial.copy(buffer.data(), std::min(initial.size(), buffer.size() - 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(owner);
  ofn.lpstrFilter = filterText.c_str();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = DWORD(buffer.size());
  ofn.Flags = flags | OFN_EXPLORER;
  if (!GetOpenFileNameW(&ofn))
    return false;
  path = OdString(buffer.data());
  return true;
}
} // namespace

const MeSystem& win32System()
{
  static const MeSystem system{&lookupExport, &loadResourceString, &moduleFileName, &systemMessageBox,
                               &systemSelectFileToOpen};
  return system;
}
} // namespace me
