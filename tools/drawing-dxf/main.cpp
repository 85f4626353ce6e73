// drawing-dxf: a drawing script (.mescript) written as a DXF file, as the
// host would save it; used to keep samples/sample.dxf in step with
// samples/sample.mescript.
//
//   drawing-dxf samples/sample.mescript samples/sample.dxf
#include "DrawingScript.h"
#include "host/FileSystem.h"

#include "od/DbDxf.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
  if (argc != 3)
  {
    std::fprintf(stderr, "usage: drawing-dxf drawing.mescript drawing.dxf\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in)
  {
    std::fprintf(stderr, "drawing-dxf: cannot read %s\n", argv[1]);
    return 1;
  }
  std::stringstream bytes;
  bytes << in.rdbuf();
  OdDbDatabasePtr db = odCreateDatabase();
  host::DrawingScript drawing([&] { return db.get(); });
  host::ScriptInterpreter interpreter;
  drawing.addCommands(interpreter);
  int failures = 0;
  for (const host::ScriptLine& line : host::scriptLines(bytes.str()))
  {
    OdString error;
    if (!interpreter.tryRun(line.text, error))
    {
      std::fprintf(stderr, "%s:%d: %s\n", argv[1], line.number, error.toUtf8().c_str());
      ++failures;
    }
  }
  if (failures)
    return 1;
  // Written as the host saves: the file is replaced whole or not at all.
  OdString error;
  if (!host::writeFileAtomically(OdString(argv[2]), odDxfWrite(db), &error))
  {
    std::fprintf(stderr, "drawing-dxf: %s\n", error.toUtf8().c_str());
    return 1;
  }
  return 0;
}
