// host.exe: the stand-in CAD host that loads the material editor module.
#include "HostSession.h"

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<OdString> arguments;
  for (int i = 1; i < count; ++i)
    arguments.emplace_back(argv[i]);
  LocalFree(argv);

  host::HostOptions options;
  OdString error;
  if (!host::parseHostOptions(arguments, options, error))
  {
    host::writeError(L"host: " + error);
    host::writeError(host::kHostUsage);
    return 2;
  }
  if (options.help)
  {
    host::writeError(host::kHostUsage);
    return 0;
  }
  host::HostSession session(options);
  return session.run(instance);
}
