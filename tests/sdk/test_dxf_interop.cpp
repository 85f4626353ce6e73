// DXF files between our SDK and ezdxf: the drawing ezdxf wrote
// (dxf_interop.py make) read here with the values it set; ours written here
// with our values for dxf_interop.py check to compare through ezdxf.
#include "od/OdSdk.h"

#include "common/JsonValue.h"
#include "common/TestDrawing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#ifndef ME_DXF_INTEROP_DIR
#error "ME_DXF_INTEROP_DIR names the folder of the exchanged files"
#endif

namespace
{
std::string folder() { return ME_DXF_INTEROP_DIR; }

JsonValue readJson(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return JsonValue::parse(text.str());
}

OdString od(const std::string& utf8) { return OdString(utf8.c_str()); }

std::string jsonText(const OdString& text)
{
  std::string out;
  for (char ch : text.toUtf8())
    out += ch == '\\' || ch == '"' ? std::string("\\") + ch : std::string(1, ch);
  return out;
}

// The ezdxf names of a map channel's values, by our channel.
const char* const kMapNames[] = {"diffuse", "specular", "reflection", "opacity", "bump", "refraction", "normal"};

MaterialMap mapAt(const OdDbMaterial& m, int channel)
{
  MaterialMap map;
  MaterialColor color;
  double value = 0;
  OdInt32 method = 0;
  switch (channel)
  {
  case 0: m.diffuse(color, map); break;
  case 1: m.specular(color, map, value); break;
  case 2: m.reflection(map); break;
  case 3: m.opacity(value, map); break;
  case 4: m.bump(map); break;
  case 5: m.refraction(value, map); break;
  default: m.normalMap(map, method, value); break;
  }
  return map;
}

// Every value the way ezdxf names it.
std::string materialJson(const OdDbMaterial& m)
{
  std::ostringstream out;
  out.precision(17);
  const auto color = [&](const char* name, const MaterialColor& c) {
    out << "\"" << name << "_color_method\": " << c.method() << ", \"" << name << "_color_factor\": " << c.factor()
        << ", \"" << name << "_color_value\": " << OdInt32(c.color().color()) << ", ";
  };
  MaterialColor c;
  MaterialMap ignored;
  double value = 0;
  OdInt32 method = 0;
  out << "{\"handle\": \"" << m.getDbHandle().ascii().toUtf8() << "\", ";
  m.ambient(c);
  color("ambient", c);
  m.diffuse(c, ignored);
  color("diffuse", c);
  m.specular(c, ignored, value);
  color("specular", c);
  out << "\"specular_gloss_factor\": " << value << ", ";
  m.opacity(value, ignored);
  out << "\"opacity\": " << value << ", ";
  m.refraction(value, ignored);
  out << "\"refraction_index\": " << value << ", ";
  m.normalMap(ignored, method, value);
  out << "\"normal_map_method\": " << method << ", \"normal_map_strength\": " << value << ", ";
  out << "\"translucence\": " << m.translucence() << ", \"reflectivity\": " << m.reflectivity()
      << ", \"illumination_model\": " << m.illuminationModel() << ", \"channel_flags\": " << m.channelFlags();
  for (int channel = 0; channel < 7; ++channel)
  {
    const MaterialMap map = mapAt(m, channel);
    const std::string p = std::string(", \"") + kMapNames[channel] + "_map_";
    out << p << "blend_factor\": " << map.blendFactor() << p << "source\": " << map.source() << p << "file_name\": \""
        << jsonText(map.sourceFileName()) << "\"" << p << "projection_method\": " << map.mapper().projection() << p
        << "tiling_method\": " << map.mapper().uTiling() << p
        << "auto_transform_method\": " << map.mapper().autoTransform() << ", \"" << kMapNames[channel]
        << "_matrix\": [";
    for (int k = 0; k < 16; ++k)
      out << (k ? ", " : "") << map.mapper().transform().entry[k / 4][k % 4];
    out << "]";
  }
  out << "}";
  return out.str();
}

const OdDbMaterial* materialOf(OdDbDatabase* db, const OdString& name)
{
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId(false).safeOpenObject();
  return OdDbMaterial::cast(dictionary->getAt(name).openObject()).get();
}
} // namespace

TEST(DxfInterop, ReadsWhatEzdxfWroteWithTheSameValues)
{
  const JsonValue expected = readJson(folder() + "/ezdxf.json");
  std::vector<OdString> warnings;
  OdDbDatabasePtr db = odDxfReadFile(od(folder() + "/ezdxf.dxf"), &warnings);

  int compared = 0;
  for (const auto& [name, values] : expected["materials"].members())
  {
    SCOPED_TRACE(name);
    OdDbMaterialPtr m = OdDbMaterial::cast(
      db->getOdDbObjectId(OdDbHandle(std::stoull(values["handle"].asString(), nullptr, 16))).openObject());
    ASSERT_FALSE(m.isNull());
    EXPECT_EQ(m->name(), od(name));
    EXPECT_EQ(m->description(), od(values["description"].asString()));
    const JsonValue ours = JsonValue::parse(materialJson(*m));
    for (const auto& [key, value] : values.members())
    {
      if (value.isNull() || key == "description")
        continue; // not written: our default stands
      ++compared;
      if (value.kind() == JsonValue::Kind::Array)
      {
        ASSERT_EQ(ours[key].size(), value.size()) << key;
        for (std::size_t k = 0; k < value.size(); ++k)
          EXPECT_EQ(ours[key][k].asNumber(), value[k].asNumber()) << key << "[" << k << "]";
      }
      else if (value.kind() == JsonValue::Kind::String)
        EXPECT_EQ(ours[key].asString(), value.asString()) << key;
      else
        EXPECT_EQ(ours[key].asNumber(), value.asNumber()) << key;
    }
    // An image file given by name is a texture the renderer loads.
    MaterialColor color;
    MaterialMap diffuse;
    m->diffuse(color, diffuse);
    auto image = OdGiImageFileTexture::cast(diffuse.texture().get());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image->sourceFileName(), od(values["diffuse_map_file_name"].asString()));
  }
  EXPECT_GT(compared, 40);

  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
  for (const auto& [name, material] : expected["layers"].members())
  {
    OdDbLayerTableRecordPtr layer = layers->getAt(od(name), OdDb::kForRead);
    ASSERT_FALSE(layer.isNull()) << name;
    EXPECT_EQ(OdDbMaterialPtr(layer->materialId().safeOpenObject())->name(), od(material.asString())) << name;
  }

  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
  const auto& want = expected["model"].items();
  ASSERT_EQ(model->entityIds().size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i)
  {
    OdDbEntityPtr entity = model->entityIds()[i].safeOpenObject();
    EXPECT_EQ(entity->getDbHandle().ascii(), od(want[i]["handle"].asString()));
    EXPECT_EQ(OdString(entity->isA()->name()), od(want[i]["kind"].asString()));
    EXPECT_EQ(entity->layer(), od(want[i]["layer"].asString()));
    // ezdxf leaves the material out for by-layer entities.
    EXPECT_EQ(entity->material(),
              want[i]["material"].isNull() ? OdString(L"By Layer") : od(want[i]["material"].asString()));
  }
  OdDbPolyFaceMeshPtr poly =
    db->getOdDbObjectId(OdDbHandle(std::stoull(expected["polyface"]["handle"].asString(), nullptr, 16)))
      .safeOpenObject();
  EXPECT_EQ(poly->numVertices(), int(expected["polyface"]["vertices"].asNumber()));
  EXPECT_EQ(poly->numFaces(), 2);
  EXPECT_EQ(poly->faceAt(1)->getVertexAt(3), 0); // a triangle

  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject();
  for (const auto& [name, kinds] : expected["blocks"].members())
  {
    OdDbBlockTableRecordPtr block = blocks->getAt(od(name), OdDb::kForRead);
    ASSERT_FALSE(block.isNull()) << name;
    ASSERT_EQ(block->entityIds().size(), kinds.size()) << name;
    for (std::size_t i = 0; i < kinds.size(); ++i)
      EXPECT_EQ(OdString(block->entityIds()[i].safeOpenObject()->isA()->name()), od(kinds[i].asString()));
  }
  OdDbBlockReferencePtr ref =
    db->getOdDbObjectId(OdDbHandle(std::stoull(expected["insert"]["handle"].asString(), nullptr, 16))).safeOpenObject();
  EXPECT_EQ(OdDbBlockTableRecordPtr(ref->blockTableRecord().safeOpenObject())->getName(), L"Outer");
  EXPECT_EQ(ref->position(), OdGePoint3d(10, 0, 0));
  EXPECT_NEAR(ref->blockTransform().entry[1][0], 0.5, 1e-12); // 30 degrees

  OdDbDictionaryPtr groups = db->getGroupDictionaryId(false).safeOpenObject();
  for (const auto& [name, group] : expected["groups"].members())
  {
    OdDbGroupPtr g = groups->getAt(od(name), OdDb::kForRead);
    ASSERT_FALSE(g.isNull()) << name;
    EXPECT_EQ(g->description(), od(group["description"].asString()));
    OdDbObjectIdArray members;
    g->allEntityIds(members);
    ASSERT_EQ(members.size(), group["members"].size());
    for (std::size_t i = 0; i < members.size(); ++i)
      EXPECT_EQ(members[i].getHandle().ascii(), od(group["members"][i].asString()));
  }
}

// Writes ours.dxf and ours.json; dxf_interop_check reads them with ezdxf.
TEST(DxfInterop, WritesADrawingForEzdxfToCompare)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addMaterial(db, L"Steel", [](OdDbMaterial& m) {
    MaterialColor color;
    color.setMethod(MaterialColor::kOverride);
    color.setFactor(0.625);
    color.setColor(OdCmEntityColor(10, 20, 30));
    MaterialMap map;
    map.setSourceFileName(L"C:\\maps\\steel.jpg");
    map.setBlendFactor(0.375);
    map.mapper().setProjection(MapMapper::kSphere);
    map.mapper().setUTiling(MapMapper::kClamp);
    map.mapper().setAutoTransform(MapMapper::kModel);
    map.mapper().transform().entry[0][3] = 2.5;
    map.mapper().transform().entry[1][1] = 1.0 / 3.0;
    m.setDiffuse(color, map);
    color.setColor(OdCmEntityColor(OdUInt32(OdCmEntityColor::kByACI) << 24 | 5));
    m.setAmbient(color);
    color.setFactor(0.2);
    MaterialMap specularMap;
    specularMap.setSource(kScene);
    m.setSpecular(color, specularMap, 0.85);
    MaterialMap opacityMap;
    opacityMap.setSourceFileName(L"holes.png");
    m.setOpacity(0.4, opacityMap);
    MaterialMap bumpMap;
    bumpMap.setSource(kProcedural);
    bumpMap.setTexture(OdGiMarbleTexture::createObject());
    m.setBump(bumpMap);
    m.setRefraction(1.25, MaterialMap());
    MaterialMap normal;
    normal.setSourceFileName(L"normal.png");
    normal.mapper().setProjection(MapMapper::kBox);
    m.setNormalMap(normal, 1, 0.75);
    m.setReflectivity(0.3);
    m.setTranslucence(0.125);
    m.setIlluminationModel(1);
    m.setChannelFlags(kUseDiffuse | kUseNormalMap);
  });
  addMaterial(db, L"Wood \u00e9", [](OdDbMaterial& m) { m.setDescription(L"plain"); });
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  OdDbLayerTableRecordPtr walls = OdDbLayerTableRecord::createObject();
  walls->setName(L"Walls");
  walls->setMaterialId(steel);
  const OdDbObjectId wallsId = layers->add(walls);
  walls.release();
  layers.release();
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbFacePtr face = OdDbFace::createObject();
  face->setDatabaseDefaults(db);
  face->setMaterial(steel);
  face->setLayer(wallsId);
  model->appendOdDbEntity(face);
  const std::string faceHandle = face->getDbHandle().ascii().toUtf8();
  face.release();
  model.release();

  std::ofstream(folder() + "/ours.dxf", std::ios::binary) << odDxfWrite(db);
  std::ostringstream json;
  json << "{\"materials\": {";
  bool first = true;
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId(false).safeOpenObject();
  for (auto it = dictionary->newIterator(); !it->done(); it->next(), first = false)
  {
    OdDbMaterialPtr m = it->getObject();
    // The standard materials go out under the other programs' names.
    const std::string name = m->name() == L"By Layer"   ? "ByLayer"
                             : m->name() == L"By Block" ? "ByBlock"
                                                        : m->name().toUtf8();
    json << (first ? "" : ", ") << "\"" << name << "\": " << materialJson(*m);
  }
  json << "}, \"layers\": {\"0\": \"Global\", \"Walls\": \"Steel\"}, \"model\": [{\"handle\": \"" << faceHandle
       << "\", \"type\": \"3DFACE\", \"layer\": \"Walls\", \"material\": \"Steel\"}], \"groups\": {}, \"blocks\": {}}";
  std::ofstream(folder() + "/ours.json", std::ios::binary) << json.str();
  EXPECT_TRUE(materialOf(db, L"Steel"));
}
