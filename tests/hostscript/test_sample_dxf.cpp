// The sample drawing ships as a drawing script and as DXF; both must give
// the same drawing (tools/drawing-dxf makes the DXF from the script).
#include "DrawingScript.h"
#include "DrawingState.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifndef ME_SAMPLES_DIR
#error "ME_SAMPLES_DIR names the folder of the sample drawings"
#endif

using namespace host;

TEST(SampleDrawing, TheDxfFileIsInStepWithTheScript)
{
  std::ifstream in(ME_SAMPLES_DIR "/sample.mescript", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  OdDbDatabasePtr scripted = odCreateDatabase();
  DrawingScript drawing([&] { return scripted.get(); });
  ScriptInterpreter interpreter;
  drawing.addCommands(interpreter);
  for (const ScriptLine& line : scriptLines(bytes.str()))
  {
    OdString error;
    ASSERT_TRUE(interpreter.tryRun(line.text, error)) << error.toUtf8();
  }
  std::vector<OdString> warnings;
  OdDbDatabasePtr read = odDxfReadFile(ME_SAMPLES_DIR "/sample.dxf", &warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(drawingState(read), drawingState(scripted)) << "samples/sample.dxf is out of step: build drawing-dxf and run "
                                                 "drawing-dxf samples/sample.mescript samples/sample.dxf";
}
