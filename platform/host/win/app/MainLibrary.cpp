#include "MainLibrary.h"

#include <string>

namespace
{
HMODULE g_mainLibrary = nullptr;
std::wstring g_mainLibraryPath;
} // namespace

void host::setMainLibrary(HMODULE library)
{
  g_mainLibrary = library;
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = library ? GetModuleFileNameW(library, path, MAX_PATH) : 0;
  g_mainLibraryPath.assign(path, length);
}

extern "C" {
__declspec(dllexport) void* GetMainDllInstance() { return g_mainLibrary; }

// The full path, so that GetModuleHandleW finds the very library loaded.
__declspec(dllexport) const wchar_t* GetMainDllNameW()
{
  return g_mainLibraryPath.empty() ? nullptr : g_mainLibraryPath.c_str();
}
}
