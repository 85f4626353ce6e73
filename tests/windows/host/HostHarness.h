// HostHarness: runs host.exe as its own process with a script and reads
// back what it did: the exit code, standard error and the JSON of DUMP.
//
// Each harness has a fresh folder with the profile file (so runs of one
// harness share a profile and runs of different harnesses never do), the
// script, and the dump. In script lines "{dir}" stands for that folder and
// "{dump}" for the dump file, both with forward slashes so they can be
// written as plain words.
#pragma once

#include "JsonValue.h"
#include "TempDir.h"

#include <string>
#include <vector>

struct HostRun
{
  int exitCode = -1;
  bool timedOut = false;
  std::string errors;      // standard error, UTF-8
  std::string dumpText;    // empty when the script wrote no {dump}
  JsonValue dump() const;  // throws when there is none
};

class HostHarness
{
public:
  HostHarness();

  // Runs host.exe from a copy of the host's folder in which the library is
  // replaced by the one of the variant folder ("no-cmd-factory").
  void useVariant(const std::wstring& library, const std::wstring& variant);

  // host.exe [arguments...] /profile {dir}/profile.txt /script {dir}/script.mescript
  // Without module arguments the host loads materialeditor.dll beside it.
  HostRun run(const std::vector<std::string>& script, const std::vector<std::wstring>& arguments = {});

  // Arguments for the test module, and for no module at all.
  std::vector<std::wstring> withTestModule() const;
  static std::vector<std::wstring> withoutModule() { return {L"/nomodule"}; }

  // Files of the harness folder.
  std::wstring file(const std::wstring& name) const;
  std::string readFile(const std::wstring& name) const;
  void writeFile(const std::wstring& name, const std::string& bytes) const;

  // Where the test programs and the test modules are.
  static std::wstring buildFolder();
  // Where host.exe, its libraries and materialeditor.dll are: the build
  // folder, or the folder ME_HOST_FOLDER names (the optimised build's).
  static std::wstring hostFolder();

private:
  std::string expand(const std::string& line) const;

  TempDir m_dir;
  std::wstring m_hostFolder;
};
