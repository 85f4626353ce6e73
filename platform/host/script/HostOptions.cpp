#include "HostOptions.h"

namespace host
{
const wchar_t* const kHostUsage =
  L"usage: host.exe [drawing.mescript | drawing.dxf] [/script FILE] [/profile FILE] [/module PATH | /nomodule]"
  L" [/texturepath FOLDER;FOLDER...]";

bool parseHostOptions(const std::vector<OdString>& arguments, HostOptions& options, OdString& error)
{
  for (std::size_t i = 0; i < arguments.size(); ++i)
  {
    const OdString& word = arguments[i];
    const bool isOption = word.getLength() > 1 && (word.getAt(0) == L'/' || word.getAt(0) == L'-');
    if (!isOption)
    {
      if (!options.drawing.isEmpty())
      {
        error = OdString::format(L"one drawing only: \"%s\" and \"%s\"", options.drawing, word);
        return false;
      }
      options.drawing = word;
      continue;
    }
    const OdString name = word.mid(1);
    OdString* value = nullptr;
    OdString texturePath;
    if (name.iCompare(L"texturepath") == 0)
      value = &texturePath;
    else if (name.iCompare(L"script") == 0)
      value = &options.script;
    else if (name.iCompare(L"profile") == 0)
      value = &options.profile;
    else if (name.iCompare(L"module") == 0)
      value = &options.module;
    else if (name.iCompare(L"nomodule") == 0)
      options.noModule = true;
    else if (name == L"?" || name.iCompare(L"help") == 0)
      options.help = true;
    else
    {
      error = OdString::format(L"unknown option \"%s\"", word);
      return false;
    }
    if (value)
    {
      if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
      {
        error = OdString::format(L"%s needs a value", word);
        return false;
      }
      *value = arguments[++i];
    }
    // Given more than once, the lists add up.
    if (!texturePath.isEmpty())
      options.texturePath += (options.texturePath.isEmpty() ? L"" : L";") + texturePath;
  }
  if (options.noModule && !options.module.isEmpty())
  {
    error = L"/module and /nomodule exclude each other";
    return false;
  }
  return true;
}
} // namespace host
