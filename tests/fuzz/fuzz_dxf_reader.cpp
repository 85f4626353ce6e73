// Fuzz target: a DXF file's bytes read as the host opens a drawing. Whatever
// the bytes, the reader gives a drawing or refuses with a message naming the
// file and a line; a drawing it gives is written out again and that file
// must read back. Nothing may crash, hang, leak or misbehave.
#include "od/DbDxf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  OdDbDatabasePtr db;
  try
  {
    db = odDxfRead(bytes, L"fuzz.dxf");
  }
  catch (const OdError& error)
  {
    if (error.code() != eInvalidDrawingFile || error.description().find(L"fuzz.dxf, line ") != 0)
      std::abort(); // a refusal names the file and the line
    return 0;
  }
  // What was read is written as a file that reads again.
  odDxfRead(odDxfWrite(db), L"again.dxf");
  return 0;
}
