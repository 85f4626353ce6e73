// The built module as a file: its exports, its version answer and its
// resources, loaded the way a host loads it.
#include "core/MeStrings.h"
#include "od/RxModule.h"
#include "resources/MeResources.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

namespace
{
// The names in the DLL's export directory, read from the mapped image.
std::set<std::string> exportNames(HMODULE module)
{
  std::set<std::string> names;
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (!dir.VirtualAddress)
    return names;
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
  return names;
}

class ModuleDll : public ::testing::Test
{
protected:
  // As data: nothing of the module runs, so no host is needed.
  void SetUp() override
  {
    m_module = LoadLibraryExW(L"materialeditor.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(m_module, nullptr) << "materialeditor.dll not found beside the test";
  }
  void TearDown() override
  {
    if (m_module)
      FreeLibrary(m_module);
  }
  HMODULE m_module = nullptr;
};
} // namespace

TEST_F(ModuleDll, ExportsExactlyTheTwoModuleEntries)
{
  EXPECT_EQ(exportNames(m_module), (std::set<std::string>{"odrxCreateModuleObject", "odrxGetAPIVersion"}));
}

TEST_F(ModuleDll, ResourceStringsEqualTheBuiltInTable)
{
  int count = 0;
  const int* ids = me::builtInStringIds(count);
  ASSERT_GT(count, 50);
  for (int i = 0; i < count; ++i)
  {
    wchar_t* text = nullptr;
    const int length = LoadStringW(m_module, UINT(ids[i]), reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_GT(length, 0) << "string " << ids[i] << " is missing from the resources";
    EXPECT_EQ(std::wstring(text, std::size_t(length)), std::wstring(me::builtInString(ids[i]).c_str())) << "string " << ids[i];
  }
  // The quotes and the backslash that the resource compiler treats specially.
  EXPECT_NE(me::builtInString(107).find(L"\"%s\""), -1);
  EXPECT_NE(me::builtInString(105).find(L" <>/\\\"':;?*|,=`"), -1);
}

TEST_F(ModuleDll, DialogTemplatesAndCursorArePresent)
{
  EXPECT_NE(FindResourceW(m_module, MAKEINTRESOURCEW(IDD_MATERIAL_PROPERTIES), reinterpret_cast<LPCWSTR>(RT_DIALOG)), nullptr);
  EXPECT_NE(FindResourceW(m_module, MAKEINTRESOURCEW(IDD_TEXTURE_PROPERTIES), reinterpret_cast<LPCWSTR>(RT_DIALOG)), nullptr);
  EXPECT_NE(FindResourceW(m_module, MAKEINTRESOURCEW(IDC_ORBIT), reinterpret_cast<LPCWSTR>(RT_GROUP_CURSOR)), nullptr);
  for (int icon : {IDI_NEW_MATERIAL, IDI_SAMPLE, IDI_NEW_MATERIAL_ALT, IDI_HELP, IDI_HELP_ALT, IDI_VIEW_STYLE,
                   IDI_VIEW_STYLE_ALT, IDI_SAMPLE_ALT, IDI_EXTENDED, IDI_EXTENDED_ALT})
    EXPECT_NE(FindResourceW(m_module, MAKEINTRESOURCEW(icon), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON)), nullptr) << icon;
}

TEST_F(ModuleDll, AnswersInterfaceVersion4310)
{
  // Loaded for real this time: the version entry needs no host.
  HMODULE live = LoadLibraryW(L"materialeditor.dll");
  ASSERT_NE(live, nullptr);
  auto version = reinterpret_cast<OdrxGetAPIVersionFn>(reinterpret_cast<void*>(GetProcAddress(live, ODRX_EXPORT_GET_API_VERSION)));
  ASSERT_NE(version, nullptr);
  int v[4] = {-1, -1, -1, -1};
  version(v[0], v[1], v[2], v[3]);
  EXPECT_EQ(v[0], 4);
  EXPECT_EQ(v[1], 3);
  EXPECT_EQ(v[2], 1);
  EXPECT_EQ(v[3], 0);
  FreeLibrary(live);
}
