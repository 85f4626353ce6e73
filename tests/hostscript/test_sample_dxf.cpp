// The sample drawing ships as a drawing script and as DXF; both must give
// the same drawing (tools/drawing-dxf makes the DXF from the script).
#include "DrawingScript.h"
#include "DrawingSummary.h"
#include "MaterialScript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifndef ME_SAMPLES_DIR
#error "ME_SAMPLES_DIR names the folder of the sample drawings"
#endif

using namespace host;

namespace
{
// Materials with every channel, layers, entities with handles, groups.
std::string summary(OdDbDatabase* db)
{
  JsonWriter json;
  json.beginObject();
  json.key(L"materials").beginArray();
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId(false).safeOpenObject();
  for (auto it = materials->newIterator(); !it->done(); it->next())
  {
    json.beginObject();
    json.key(L"name").value(it->name());
    json.key(L"handle").value(it->objectId().getHandle().ascii());
    writeMaterialChannels(json, *OdDbMaterialPtr(it->getObject()), nullptr);
    json.endObject();
  }
  json.endArray();
  json.key(L"cmaterial").value(db->getCMATERIAL().getHandle().ascii());
  writeDrawingObjects(json, db);
  json.endObject();
  return json.text();
}
} // namespace

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
  EXPECT_EQ(summary(read), summary(scripted)) << "samples/sample.dxf is out of step: build drawing-dxf and run "
                                                 "drawing-dxf samples/sample.mescript samples/sample.dxf";
}
