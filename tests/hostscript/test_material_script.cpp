// The material options of MATERIAL and MATEDIT, read back through what DUMP
// writes of each material; ERASE and DROPSTANDARD.
#include "DrawingScript.h"
#include "DrawingSummary.h"
#include "MaterialScript.h"

#include "JsonValue.h"
#include "od_print.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace host;

namespace
{
class Observer final : public OdDbDatabaseReactor
{
public:
  void objectModified(const OdDbDatabase*, const OdDbObject*) override { ++modified; }
  void objectErased(const OdDbDatabase*, const OdDbObject*, bool erased) override { erasedCount += erased ? 1 : 0; }
  int modified = 0;
  int erasedCount = 0;
};

class MaterialScriptTest : public ::testing::Test
{
protected:
  MaterialScriptTest() : m_script([this] { return m_db.get(); }) { m_script.addCommands(m_interpreter); }

  void run(const wchar_t* line)
  {
    OdString error;
    ASSERT_TRUE(m_interpreter.tryRun(line, error)) << OdString(line).toUtf8() << ": " << error.toUtf8();
  }
  std::string refused(const wchar_t* line)
  {
    OdString error;
    EXPECT_FALSE(m_interpreter.tryRun(line, error)) << OdString(line).toUtf8();
    return error.toUtf8();
  }
  // What DUMP shows of the material.
  JsonValue dump(const wchar_t* name)
  {
    JsonWriter json;
    json.beginObject();
    writeMaterialChannels(json, *OdDbMaterialPtr(materialByName(m_db, name).safeOpenObject()), nullptr);
    json.endObject();
    return JsonValue::parse(json.text());
  }

  OdDbDatabasePtr m_db = odCreateDatabase();
  DrawingScript m_script;
  ScriptInterpreter m_interpreter;
};

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }
} // namespace

TEST_F(MaterialScriptTest, EveryColourMethodReadsBackAsItWasWritten)
{
  run(L"MATERIAL Paint DIFFUSE 10,20,30 AMBIENT INDEX 5 SPECULAR BYLAYER");
  JsonValue m = dump(L"Paint");
  EXPECT_EQ(m["diffuse"]["method"].asString(), "byColor");
  EXPECT_EQ(m["diffuse"]["color"].asString(), "10,20,30");
  EXPECT_EQ(m["diffuse"]["factor"].asNumber(), 1.0);
  EXPECT_EQ(m["ambient"]["color"].asString(), "INDEX 5");
  EXPECT_EQ(m["specular"]["color"].asString(), "BYLAYER");

  // By object changes the method only: the value stays for a switch back.
  run(L"MATEDIT Paint DIFFUSE BYOBJECT AMBIENT BYBLOCK");
  m = dump(L"Paint");
  EXPECT_EQ(m["diffuse"]["method"].asString(), "byObject");
  EXPECT_EQ(m["diffuse"]["color"].asString(), "10,20,30");
  EXPECT_EQ(m["ambient"]["method"].asString(), "byColor");
  EXPECT_EQ(m["ambient"]["color"].asString(), "BYBLOCK");
  EXPECT_EQ(m["specular"]["color"].asString(), "BYLAYER") << "not named, so unchanged";

  EXPECT_TRUE(has(refused(L"MATEDIT Paint DIFFUSE INDEX 0"), "1 to 255")) << "0 is by block, not an index";
  EXPECT_TRUE(has(refused(L"MATEDIT Paint DIFFUSE INDEX 256"), "1 to 255"));
  EXPECT_TRUE(has(refused(L"MATEDIT Paint AMBIENT RED"), "AMBIENT"));
  EXPECT_TRUE(has(refused(L"MATEDIT Paint SPECULAR"), "missing"));
  EXPECT_EQ(colorOptionText(OdCmEntityColor(0xC5000000)), L"0xC5000000") << "other methods show their value";
}

TEST_F(MaterialScriptTest, OpacityGlossChannelsAndBumpMap)
{
  run(L"MATERIAL Glass OPACITY 0.25 GLOSS 0.75 CHANNELS 9 BUMPMAP FILE 'C:\\maps\\bump.png'");
  JsonValue m = dump(L"Glass");
  EXPECT_EQ(m["opacity"].asNumber(), 0.25);
  EXPECT_EQ(m["gloss"].asNumber(), 0.75);
  EXPECT_EQ(m["channels"].asNumber(), 9);
  EXPECT_EQ(m["bumpMap"]["file"].asString(), "C:\\maps\\bump.png");
  EXPECT_EQ(m["bumpMap"]["texture"].asString(), "image");
  EXPECT_TRUE(m["diffuseMap"]["texture"].isNull()) << "the bump map is no diffuse map";
  EXPECT_TRUE(m["bumpMap"]["found"].isNull()) << "no such file";

  run(L"MATEDIT Glass BUMPMAP NONE OPACITY 1");
  m = dump(L"Glass");
  EXPECT_EQ(m["bumpMap"]["file"].asString(), "");
  EXPECT_EQ(m["opacity"].asNumber(), 1.0);
  EXPECT_EQ(m["gloss"].asNumber(), 0.75);
  for (const wchar_t* line : {L"MATEDIT Glass OPACITY 1.5", L"MATEDIT Glass OPACITY -0.1",
                              L"MATEDIT Glass CHANNELS 128", L"MATEDIT Glass BUMPMAP MARBLE"})
    EXPECT_FALSE(refused(line).empty());
}

TEST_F(MaterialScriptTest, MapPlacementComposesAndReadsBack)
{
  run(L"MATERIAL Bricks MAP FILE bricks.png BLEND 0.5 PROJECTION SPHERE TILING MIRROR,CLAMP OFFSET 2,-3 "
      L"SCALE 10,20 ROTATION 270");
  JsonValue map = dump(L"Bricks")["diffuseMap"];
  EXPECT_EQ(map["source"].asNumber(), 1);
  EXPECT_EQ(map["blend"].asNumber(), 0.5);
  EXPECT_EQ(map["projection"].asNumber(), 4);
  EXPECT_EQ(map["tiling"][0].asNumber(), 4);
  EXPECT_EQ(map["tiling"][1].asNumber(), 3);
  EXPECT_NEAR(map["offset"][0].asNumber(), 2, 1e-9);
  EXPECT_NEAR(map["offset"][1].asNumber(), -3, 1e-9);
  EXPECT_NEAR(map["scale"][0].asNumber(), 10, 1e-9);
  EXPECT_NEAR(map["scale"][1].asNumber(), 20, 1e-9);
  EXPECT_NEAR(map["rotation"].asNumber(), 270, 1e-9) << "past half a turn the sign of the sine decides";

  // The transform itself: a point is rotated, moved by minus the offset, divided by the scale.
  MaterialColor color;
  MaterialMap stored;
  OdDbMaterialPtr(materialByName(m_db, L"Bricks").safeOpenObject())->diffuse(color, stored);
  const OdGePoint3d p = stored.mapper().transform() * OdGePoint3d(1, 0, 0);
  EXPECT_NEAR(p.x, (0 - 2) / 10.0, 1e-12);
  EXPECT_NEAR(p.y, (-1 + 3) / 20.0, 1e-12);

  // One part changed, the others kept; a single tiling word sets both.
  run(L"MATEDIT Bricks ROTATION 90 TILING none PROJECTION 0");
  map = dump(L"Bricks")["diffuseMap"];
  EXPECT_NEAR(map["rotation"].asNumber(), 90, 1e-9);
  EXPECT_NEAR(map["scale"][1].asNumber(), 20, 1e-9);
  EXPECT_NEAR(map["offset"][0].asNumber(), 2, 1e-9);
  EXPECT_EQ(map["tiling"][0].asNumber(), 2);
  EXPECT_EQ(map["tiling"][1].asNumber(), 2);
  EXPECT_EQ(map["projection"].asNumber(), 0);
  EXPECT_EQ(map["file"].asString(), "bricks.png") << "placing a map keeps its image";

  // Codes other programs may have written are kept as numbers.
  run(L"MATEDIT Bricks PROJECTION 9 TILING 1,7");
  map = dump(L"Bricks")["diffuseMap"];
  EXPECT_EQ(map["projection"].asNumber(), 9);
  EXPECT_EQ(map["tiling"][1].asNumber(), 7);

  EXPECT_TRUE(has(refused(L"MATEDIT Bricks SCALE 0,1"), "above 0"));
  EXPECT_TRUE(has(refused(L"MATEDIT Bricks SCALE 1"), "two numbers"));
  EXPECT_TRUE(has(refused(L"MATEDIT Bricks PROJECTION CONE"), "PLANAR"));
  EXPECT_TRUE(has(refused(L"MATEDIT Bricks TILING TILE,TILE,TILE"), "TILING"));
}

TEST_F(MaterialScriptTest, MarbleAndWoodParametersGoToTheirOwnKindOnly)
{
  run(L"MATERIAL Stone MAP MARBLE STONE 200,200,190 VEIN INDEX 1 VEINSPACING 2.5 VEINWIDTH 0.75");
  JsonValue map = dump(L"Stone")["diffuseMap"];
  EXPECT_EQ(map["texture"].asString(), "marble");
  EXPECT_EQ(map["source"].asNumber(), 2);
  EXPECT_EQ(map["marble"]["stone"]["color"].asString(), "200,200,190");
  EXPECT_EQ(map["marble"]["vein"]["color"].asString(), "INDEX 1");
  EXPECT_EQ(map["marble"]["veinSpacing"].asNumber(), 2.5);
  EXPECT_EQ(map["marble"]["veinWidth"].asNumber(), 0.75);
  EXPECT_FALSE(map.has("wood"));

  run(L"MATERIAL Oak MAP WOOD COLOR1 120,80,40 COLOR2 BYOBJECT RADIALNOISE 0.5 AXIALNOISE 0.25 GRAIN 0.05");
  map = dump(L"Oak")["diffuseMap"];
  EXPECT_EQ(map["wood"]["color1"]["color"].asString(), "120,80,40");
  EXPECT_EQ(map["wood"]["color2"]["method"].asString(), "byObject");
  EXPECT_EQ(map["wood"]["radialNoise"].asNumber(), 0.5);
  EXPECT_EQ(map["wood"]["axialNoise"].asNumber(), 0.25);
  EXPECT_EQ(map["wood"]["grainThickness"].asNumber(), 0.05);

  // A parameter of the other kind is refused and the material is not even opened for write.
  OdSmartPtr<Observer> observer(new Observer);
  m_db->addReactor(observer.get());
  EXPECT_TRUE(has(refused(L"MATEDIT Oak VEINWIDTH 2 DIFFUSE 1,2,3"), "marble map"));
  EXPECT_TRUE(has(refused(L"MATEDIT Stone GRAIN 2"), "wood map"));
  EXPECT_TRUE(has(refused(L"MATERIAL Plain GRAIN 2"), "wood map"));
  EXPECT_EQ(observer->modified, 0);
  EXPECT_NE(dump(L"Oak")["diffuse"]["color"].asString(), "1,2,3");

  // A new map in the same line takes the parameters; the old one's are gone with it.
  run(L"MATEDIT Stone MAP WOOD GRAIN 0.2");
  map = dump(L"Stone")["diffuseMap"];
  EXPECT_EQ(map["texture"].asString(), "wood");
  EXPECT_EQ(map["wood"]["grainThickness"].asNumber(), 0.2);
  EXPECT_EQ(observer->modified, 1);
  m_db->removeReactor(observer.get());
}

TEST_F(MaterialScriptTest, EraseIsHeardAndStandardMaterialsOnlyGoByDropping)
{
  run(L"MATERIAL Teak");
  run(L"LAYER Walls MATERIAL Teak");
  OdSmartPtr<Observer> observer(new Observer);
  m_db->addReactor(observer.get());
  run(L"ERASE teak");
  EXPECT_EQ(observer->erasedCount, 1) << "observers hear of it as of any erase";
  EXPECT_THROW(materialByName(m_db, L"Teak"), ScriptError);
  EXPECT_TRUE(has(refused(L"ERASE Teak"), "no material"));
  EXPECT_TRUE(has(refused(L"ERASE Global"), "standard"));
  EXPECT_TRUE(has(refused(L"DROPSTANDARD Oak"), "no material"));
  run(L"MATERIAL Oak");
  EXPECT_TRUE(has(refused(L"DROPSTANDARD Oak"), "no standard material"));
  EXPECT_EQ(observer->erasedCount, 1);

  // Layer 0 uses Global: without it the layer's material is gone.
  run(L"DROPSTANDARD Global");
  EXPECT_EQ(observer->erasedCount, 2);
  EXPECT_TRUE(m_db->globalMaterialId().isNull());
  EXPECT_THROW(materialByName(m_db, L"Global"), ScriptError);
  run(L"MATERIAL Global");
  EXPECT_FALSE(m_db->globalMaterialId().isNull()) << "a drawing may make it again";
  m_db->removeReactor(observer.get());

  JsonWriter json;
  json.beginObject();
  writeDrawingObjects(json, m_db);
  json.endObject();
  const JsonValue objects = JsonValue::parse(json.text());
  bool walls = false;
  for (const JsonValue& layer : objects["layers"].items())
  {
    if (layer["name"].asString() != "Walls")
      continue;
    walls = true;
    EXPECT_TRUE(layer["material"].isNull()) << "an erased material is no material";
  }
  EXPECT_TRUE(walls);
}
