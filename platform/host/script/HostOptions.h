// The command line of host.exe:
//
//   host.exe [drawing] [/script FILE] [/profile FILE] [/module PATH | /nomodule]
//            [/texturepath FOLDER;FOLDER...]
//
// Options start with '/' or '-' and are matched without regard to case.
#pragma once

#include "od/OdString.h"

#include <vector>

namespace host
{
struct HostOptions
{
  OdString drawing; // a drawing script (.mescript); empty: none
  OdString script;
  OdString profile; // empty: the user's own profile file
  OdString module;  // empty: materialeditor.dll beside host.exe
  OdString texturePath; // folders for texture maps, ';' between them, before the profile's
  bool noModule = false;
  bool help = false;
};

// False with a message when the arguments (without the program name) make
// no sense.
bool parseHostOptions(const std::vector<OdString>& arguments, HostOptions& options, OdString& error);

extern const wchar_t* const kHostUsage;
} // namespace host
