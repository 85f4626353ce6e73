// Fuzz target: a drawing file's bytes read as the host opens a drawing. The
// lines are split, each is split into words and run by the drawing commands
// on a fresh drawing. Whatever the bytes, every line either runs or is
// refused with a message; nothing may crash, hang, leak or misbehave.
#include "DrawingScript.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  OdDbDatabasePtr db = odCreateDatabase();
  host::DrawingScript drawing([&] { return db.get(); });
  host::ScriptInterpreter interpreter;
  drawing.addCommands(interpreter);
  for (const host::ScriptLine& line : host::scriptLines(bytes))
  {
    OdString error;
    if (!interpreter.tryRun(line.text, error) && error.isEmpty())
      std::abort(); // a refusal always says why
  }
  return 0;
}
