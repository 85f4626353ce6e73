#include "HostFiles.h"

#include <windows.h>

#include <string>

namespace host
{
bool isDxf(const OdString& path)
{
  const OdString name = fileNamePart(path);
  return name.getLength() > 4 && name.right(4).iCompare(L".dxf") == 0;
}

OdString readProblem(ReadResult result, const OdString& what, const OdString& path)
{
  switch (result)
  {
  case ReadResult::Missing: return OdString::format(L"no %s file \"%s\"", what, path);
  case ReadResult::TooLarge: return OdString::format(L"the %s file \"%s\" is too large", what, path);
  case ReadResult::NotAFile: return OdString::format(L"the %s file \"%s\" is no file", what, path);
  default: return OdString::format(L"cannot read the %s file \"%s\"", what, path);
  }
}

void writeError(const OdString& line)
{
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (!handle || handle == INVALID_HANDLE_VALUE)
    return;
  const std::string text = line.toUtf8() + "\n";
  DWORD written = 0;
  WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
}
} // namespace host
