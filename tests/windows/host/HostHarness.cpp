#include "HostHarness.h"

#include <cstdlib>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace
{
constexpr DWORD kTimeoutMs = 120000;

std::string forwardSlashes(const std::wstring& path)
{
  std::string out = fs::path(path).u8string();
  for (char& ch : out)
    if (ch == '\\')
      ch = '/';
  return out;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
    text.replace(pos, from.size(), to);
}

std::string slurp(const fs::path& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// An inheritable handle, for the child's standard handles.
HANDLE openInheritable(const std::wstring& path, bool write)
{
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
} // namespace

JsonValue HostRun::dump() const
{
  if (dumpText.empty())
    throw std::runtime_error("the host wrote no dump; its errors: " + errors);
  return JsonValue::parse(dumpText);
}

HostHarness::HostHarness() : m_hostFolder(hostFolder()) {}

std::wstring HostHarness::hostFolder()
{
  const wchar_t* other = _wgetenv(L"ME_HOST_FOLDER");
  return other && *other ? std::wstring(other) : buildFolder();
}

std::wstring HostHarness::buildFolder()
{
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(std::wstring(path, length)).parent_path().wstring();
}

void HostHarness::useVariant(const std::wstring& library, const std::wstring& variant)
{
  const fs::path copy = m_dir.path() / "host";
  fs::create_directories(copy);
  for (const auto& entry : fs::directory_iterator(m_hostFolder))
  {
    const std::wstring ext = entry.path().extension().wstring();
    if (entry.is_regular_file() && (ext == L".exe" || ext == L".dll"))
      fs::copy_file(entry.path(), copy / entry.path().filename(), fs::copy_options::overwrite_existing);
  }
  fs::copy_file(fs::path(m_hostFolder) / "variants" / variant / library, copy / library,
                fs::copy_options::overwrite_existing);
  m_hostFolder = copy.wstring();
}

std::vector<std::wstring> HostHarness::withTestModule() const
{
  return {L"/module", (fs::path(buildFolder()) / "hosttestmodule.dll").wstring()};
}

std::wstring HostHarness::file(const std::wstring& name) const { return (m_dir.path() / name).wstring(); }

std::string HostHarness::readFile(const std::wstring& name) const { return slurp(m_dir.path() / name); }

void HostHarness::writeFile(const std::wstring& name, const std::string& bytes) const
{
  std::ofstream out(m_dir.path() / name, std::ios::binary);
  out << bytes;
}

std::string HostHarness::expand(const std::string& line) const
{
  std::string text = line;
  replaceAll(text, "{dump}", forwardSlashes(file(L"dump.json")));
  replaceAll(text, "{dir}", forwardSlashes(m_dir.path().wstring()));
  return text;
}

HostRun HostHarness::run(const std::vector<std::string>& script, const std::vector<std::wstring>& arguments)
{
  std::string text;
  for (const std::string& line : script)
    text += expand(line) + "\n";
  writeFile(L"script.mescript", text);
  std::error_code ignored;
  fs::remove(m_dir.path() / "dump.json", ignored);

  const std::wstring exe = (fs::path(m_hostFolder) / "host.exe").wstring();
  std::wstring commandLine = L"\"" + exe + L"\"";
  std::vector<std::wstring> all = arguments;
  all.insert(all.end(), {L"/profile", file(L"profile.txt"), L"/script", file(L"script.mescript")});
  for (const std::wstring& argument : all)
    commandLine += L" \"" + argument + L"\"";

  HANDLE input = openInheritable(L"NUL", false);
  HANDLE errors = openInheritable(file(L"stderr.txt"), true);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = errors;
  startup.hStdError = errors;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      m_dir.path().wstring().c_str(), &startup, &process);
  CloseHandle(input);
  CloseHandle(errors);
  if (!started)
    throw std::runtime_error("cannot start host.exe: error " + std::to_string(GetLastError()));

  HostRun result;
  if (WaitForSingleObject(process.hProcess, kTimeoutMs) != WAIT_OBJECT_0)
  {
    result.timedOut = true;
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 10000);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.exitCode = int(code);
  result.errors = readFile(L"stderr.txt");
  result.dumpText = readFile(L"dump.json");
  return result;
}
