// DXF files: what goes out comes back, and broken files are refused with
// the file and line named.
#include "od/DbProxy.h"
#include "od/OdSdk.h"

#include "common/TempDir.h"
#include "common/TestDrawing.h"
#include "common/od_print.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
MaterialColor colorOf(MaterialColor::Method method, double factor, OdUInt32 value)
{
  MaterialColor color;
  color.setMethod(method);
  color.setFactor(factor);
  color.setColor(OdCmEntityColor(value));
  return color;
}

MaterialMap mapOf(MapSource source, const OdString& file, double blend, MapMapper::Projection projection,
                  MapMapper::Tiling u, MapMapper::Tiling v, double offset)
{
  MaterialMap map;
  map.setSource(source);
  map.setSourceFileName(file);
  map.setBlendFactor(blend);
  map.mapper().setProjection(projection);
  map.mapper().setUTiling(u);
  map.mapper().setVTiling(v);
  map.mapper().setAutoTransform(MapMapper::AutoTransform(MapMapper::kObject | MapMapper::kModel));
  OdGeMatrix3d m;
  m.entry[0][0] = 0.1 + offset;
  m.entry[0][1] = -1.0 / 3.0;
  m.entry[0][3] = 12.5;
  m.entry[1][3] = -7.25 + offset;
  m.entry[3][2] = 1e-17; // a value only a careful number format keeps
  map.mapper().setTransform(m);
  return map;
}

// A material with every channel away from its default.
void fillEverything(OdDbMaterial& m)
{
  m.setDescription(L"line one\nline two ^ caret");
  m.setAmbient(colorOf(MaterialColor::kOverride, 0.25, 0xC2102030));
  MaterialMap diffuse =
    mapOf(kFile, L"C:\\maps\\bricks.png", 0.75, MapMapper::kCylinder, MapMapper::kMirror, MapMapper::kClamp, 0.0);
  OdGiImageFileTexturePtr image = OdGiImageFileTexture::createObject();
  image->setSourceFileName(diffuse.sourceFileName());
  diffuse.setTexture(image);
  m.setDiffuse(colorOf(MaterialColor::kOverride, 0.5, 0xC3000005), diffuse);

  MaterialMap specular = mapOf(kProcedural, L"", 0.3, MapMapper::kSphere, MapMapper::kCrop, MapMapper::kCrop, 1.0);
  OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
  marble->setStoneColor(colorOf(MaterialColor::kOverride, 0.9, 0xC2FFEEDD));
  marble->setVeinColor(colorOf(MaterialColor::kInherit, 0.1, 0xC3000007));
  marble->setVeinSpacing(2.5);
  marble->setVeinWidth(0.125);
  specular.setTexture(marble);
  m.setSpecular(colorOf(MaterialColor::kOverride, 0.6, 0xC2A0B0C0), specular, 0.87);

  MaterialMap bump = mapOf(kProcedural, L"", 0.4, MapMapper::kBox, MapMapper::kTile, MapMapper::kMirror, 2.0);
  OdGiWoodTexturePtr wood = OdGiWoodTexture::createObject();
  wood->setColor1(colorOf(MaterialColor::kOverride, 1.0, 0xC2804020));
  wood->setColor2(colorOf(MaterialColor::kOverride, 0.5, 0xC2402010));
  wood->setRadialNoise(0.7);
  wood->setAxialNoise(0.2);
  wood->setGrainThickness(0.05);
  bump.setTexture(wood);
  m.setBump(bump);

  MaterialMap opacity = mapOf(kFile, L"mask.png", 0.2, MapMapper::kPlanar, MapMapper::kTile, MapMapper::kTile, 3.0);
  m.setOpacity(0.35, opacity); // a file name but no texture object

  MaterialMap reflection =
    mapOf(kScene, L"", 1.0, MapMapper::kInheritProjection, MapMapper::kInheritTiling, MapMapper::kInheritTiling, 4.0);
  OdGiGenericTexturePtr generic = OdGiGenericTexture::createObject();
  generic->setDefinition({{L"scale", 2.0}, {L"odd key\twith tab", -0.5}});
  reflection.setTexture(generic);
  m.setReflection(reflection);

  m.setRefraction(1.33, mapOf(kFile, L"refr.jpg", 0.9, MapMapper::kBox, MapMapper::kClamp, MapMapper::kClamp, 5.0));
  m.setNormalMap(mapOf(kFile, L"normal.png", 0.8, MapMapper::kSphere, MapMapper::kTile, MapMapper::kTile, 6.0), 1, 2.5);
  m.setReflectivity(0.45);
  m.setIlluminationModel(1);
  m.setChannelFlags(kUseDiffuse | kUseBump | kUseNormalMap);
  m.setSelfIllumination(0.15);
  m.setTranslucence(0.05);
}

void expectSameMaterial(const OdDbMaterial& a, const OdDbMaterial& b)
{
  SCOPED_TRACE(a.name().toUtf8());
  EXPECT_EQ(a.name(), b.name());
  EXPECT_EQ(a.description(), b.description());
  EXPECT_EQ(a.getDbHandle(), b.getDbHandle());
  MaterialColor ca, cb;
  MaterialMap ma, mb;
  a.ambient(ca);
  b.ambient(cb);
  EXPECT_TRUE(ca == cb);
  a.diffuse(ca, ma);
  b.diffuse(cb, mb);
  EXPECT_TRUE(ca == cb);
  EXPECT_TRUE(ma == mb) << "diffuse map";
  double ga = 0, gb = 0;
  a.specular(ca, ma, ga);
  b.specular(cb, mb, gb);
  EXPECT_TRUE(ca == cb);
  EXPECT_TRUE(ma == mb) << "specular map";
  EXPECT_EQ(ga, gb);
  a.opacity(ga, ma);
  b.opacity(gb, mb);
  EXPECT_EQ(ga, gb);
  EXPECT_TRUE(ma == mb) << "opacity map";
  EXPECT_EQ(ma.texture().isNull(), mb.texture().isNull());
  a.bump(ma);
  b.bump(mb);
  EXPECT_TRUE(ma == mb) << "bump map";
  a.reflection(ma);
  b.reflection(mb);
  EXPECT_TRUE(ma == mb) << "reflection map";
  a.refraction(ga, ma);
  b.refraction(gb, mb);
  EXPECT_EQ(ga, gb);
  EXPECT_TRUE(ma == mb) << "refraction map";
  OdInt32 na = 0, nb = 0;
  a.normalMap(ma, na, ga);
  b.normalMap(mb, nb, gb);
  EXPECT_TRUE(ma == mb) << "normal map";
  EXPECT_EQ(na, nb);
  EXPECT_EQ(ga, gb);
  EXPECT_EQ(a.reflectivity(), b.reflectivity());
  EXPECT_EQ(a.illuminationModel(), b.illuminationModel());
  EXPECT_EQ(a.channelFlags(), b.channelFlags());
  EXPECT_EQ(a.selfIllumination(), b.selfIllumination());
  EXPECT_EQ(a.translucence(), b.translucence());
}

OdDbDatabasePtr roundTrip(OdDbDatabase* db, std::vector<OdString>* warnings = nullptr)
{
  return odDxfRead(odDxfWrite(db), L"round.dxf", warnings);
}

OdDbObjectId appendTo(const OdDbObjectId& blockId, OdDbEntity* entity)
{
  OdDbBlockTableRecordPtr block = blockId.safeOpenObject(OdDb::kForWrite);
  entity->setDatabaseDefaults(block->database());
  return block->appendOdDbEntity(entity);
}

OdDbPolyFaceMeshPtr cube(double size)
{
  OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::createObject();
  for (int i = 0; i < 8; ++i)
  {
    OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
    vertex->setPosition(OdGePoint3d(i & 1 ? size : 0, i & 2 ? size : 0, i & 4 ? size : 0));
    mesh->appendVertex(vertex);
  }
  const int faces[6][4] = {{1, 2, 4, 3}, {5, 6, 8, 7}, {1, 2, 6, 5}, {3, 4, 8, 7}, {1, 3, 7, 5}, {2, 4, 8, 6}};
  for (const auto& face : faces)
  {
    OdDbFaceRecordPtr record = OdDbFaceRecord::createObject();
    for (int k = 0; k < 4; ++k)
      record->setVertexAt(OdUInt16(k), OdInt16(face[k]));
    record->makeEdgeInvisibleAt(2);
    mesh->appendFaceRecord(record);
  }
  return mesh;
}

OdDbObjectId makeBlock(OdDbDatabase* db, const OdString& name)
{
  OdDbBlockTablePtr table = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::createObject();
  record->setName(name);
  return table->add(record);
}

OdDbObjectId insert(OdDbDatabase* db, const OdDbObjectId& into, const OdDbObjectId& block, const OdGeMatrix3d& m)
{
  OdDbBlockReferencePtr ref = OdDbBlockReference::createObject();
  ref->setBlockTableRecord(block);
  ref->setBlockTransform(m);
  (void)db;
  return appendTo(into, ref);
}

OdDbObjectId addLayer(OdDbDatabase* db, const OdString& name, const OdDbObjectId& material, const OdCmColor& color,
                      bool off)
{
  OdDbLayerTablePtr table = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
  layer->setName(name);
  layer->setMaterialId(material);
  layer->setColor(color);
  layer->setIsOff(off);
  return table->add(layer);
}

// A drawing of everything the files carry.
struct Drawing
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbObjectId steel, wood, walls, cubeId, meshId, faceId, outer, inner, outerRef, innerRef, group;

  Drawing()
  {
    steel = addMaterial(db, L"Steel", fillEverything);
    wood = addMaterial(db, L"Wood \u00e9\u4e2d", [](OdDbMaterial& m) { m.setDescription(L"plain"); });
    OdCmColor red;
    red.setRGB(200, 10, 20);
    walls = addLayer(db, L"Walls", wood, red, true);
    addLayer(db, L"Index", steel, OdCmColor(OdCmEntityColor(OdUInt32(OdCmEntityColor::kByACI) << 24 | 3)), false);

    // Appending leaves the entity open for write until it is released.
    OdDbPolyFaceMeshPtr box = cube(2.0);
    cubeId = appendTo(db->getModelSpaceId(), box);
    box->setMaterial(steel);
    box->setLayer(walls);
    box->setColorIndex(5);
    box.release();

    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    OdGePoint3dArray points;
    points.append(OdGePoint3d(0, 0, 0));
    points.append(OdGePoint3d(1, 0, 0));
    points.append(OdGePoint3d(1, 1, 0.5));
    points.append(OdGePoint3d(0, 1, 0));
    OdInt32Array faces;
    for (OdInt32 v : {4, 0, 1, 2, 3, 3, 0, 2, 3})
      faces.append(v);
    EXPECT_EQ(mesh->setSubDMesh(points, faces, 2), eOk);
    meshId = appendTo(db->getModelSpaceId(), mesh);
    mesh.release();

    OdDbFacePtr face = OdDbFace::createObject();
    for (OdUInt16 k = 0; k < 4; ++k)
      face->setVertexAt(k, OdGePoint3d(k, k * 2.0, -k));
    face->makeEdgeInvisibleAt(1);
    faceId = appendTo(db->getModelSpaceId(), face);
    face->setMaterial(wood);
    face.release();

    // Nested blocks placed with rotation, scale, mirror and a tilted normal.
    inner = makeBlock(db, L"Inner");
    appendTo(inner, cube(1.0));
    outer = makeBlock(db, L"Outer");
    OdGeMatrix3d rotated;
    rotated.entry[0][0] = 0.0;
    rotated.entry[0][1] = -2.0;
    rotated.entry[1][0] = 2.0;
    rotated.entry[1][1] = 0.0;
    rotated.entry[2][2] = 3.0;
    rotated.entry[0][3] = 5.0;
    innerRef = insert(db, outer, inner, rotated);
    OdGeMatrix3d tilted; // normal along -x, mirrored in x
    tilted.entry[0][0] = 0.0;
    tilted.entry[0][2] = -1.0;
    tilted.entry[1][0] = -1.0;
    tilted.entry[1][1] = 0.0;
    tilted.entry[2][1] = 1.0;
    tilted.entry[2][2] = 0.0;
    tilted.entry[1][3] = 3.5;
    outerRef = insert(db, db->getModelSpaceId(), outer, tilted);

    OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
    OdDbGroupPtr grp = OdDbGroup::createObject();
    grp->setDescription(L"two things");
    group = groups->setAt(L"Pair", grp);
    grp->append(meshId);
    grp->append(cubeId);
    grp.release();
    groups.release();
    db->setCMATERIAL(wood);
    db->setCLAYER(walls);
    db->setActiveViewportRenderMode(OdDb::kGouraudShaded);
  }
};

template <class T>
OdSmartPtr<T> openByHandle(OdDbDatabase* db, const OdDbObjectId& original)
{
  const OdDbObjectId id = db->getOdDbObjectId(original.getHandle());
  return OdSmartPtr<T>(T::cast(id.openObject()).get());
}

void expectNear(const OdGeMatrix3d& a, const OdGeMatrix3d& b)
{
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(a.entry[r][c], b.entry[r][c], 1e-12) << r << "," << c;
}

OdString failure(const std::string& bytes, const OdString& name = L"broken.dxf")
{
  try
  {
    odDxfRead(bytes, name);
  }
  catch (const OdError& error)
  {
    EXPECT_EQ(error.code(), eInvalidDrawingFile);
    return error.description();
  }
  ADD_FAILURE() << "the file was read";
  return OdString();
}

bool contains(const OdString& text, const wchar_t* part) { return text.find(part) >= 0; }
} // namespace

TEST(Dxf, MaterialsComeBackWithEveryChannelAndTheirHandles)
{
  Drawing d;
  OdDbDatabasePtr back = roundTrip(d.db);
  OdDbDictionaryPtr before = d.db->getMaterialDictionaryId(false).safeOpenObject();
  OdDbDictionaryPtr after = back->getMaterialDictionaryId(false).safeOpenObject();
  ASSERT_EQ(before->numEntries(), after->numEntries());
  for (auto it = before->newIterator(); !it->done(); it->next())
  {
    OdDbMaterialPtr original = it->getObject();
    OdDbMaterialPtr read = after->getAt(it->name(), OdDb::kForRead);
    ASSERT_FALSE(read.isNull()) << it->name().toUtf8();
    expectSameMaterial(*original, *read);
  }
  EXPECT_EQ(back->getCMATERIAL().getHandle(), d.wood.getHandle());
  EXPECT_EQ(back->byLayerMaterialId().getHandle(), d.db->byLayerMaterialId().getHandle());
  EXPECT_EQ(back->activeViewportRenderMode(), OdDb::kGouraudShaded);
}

TEST(Dxf, StandardMaterialsGoOutUnderTheNamesOtherProgramsUse)
{
  Drawing d;
  const std::string text = odDxfWrite(d.db);
  EXPECT_NE(text.find("\n  3\nByLayer\n"), std::string::npos);
  EXPECT_NE(text.find("\n  1\nByBlock\n"), std::string::npos);
  EXPECT_EQ(text.find("By Layer"), std::string::npos);
  EXPECT_EQ(text.compare(0, 30, "  0\nSECTION\n  2\nHEADER\n  9\n$AC"), 0);
  EXPECT_NE(text.find("AC1021"), std::string::npos);
}

TEST(Dxf, LayersEntitiesBlocksAndGroupsComeBack)
{
  Drawing d;
  std::vector<OdString> warnings;
  OdDbDatabasePtr back = roundTrip(d.db, &warnings);
  EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings[0].toUtf8());

  OdDbLayerTableRecordPtr walls = openByHandle<OdDbLayerTableRecord>(back, d.walls);
  ASSERT_FALSE(walls.isNull());
  EXPECT_EQ(walls->getName(), L"Walls");
  EXPECT_TRUE(walls->isOff());
  EXPECT_EQ(walls->color().color(), OdCmEntityColor(200, 10, 20).color());
  EXPECT_EQ(walls->materialId().getHandle(), d.wood.getHandle());
  EXPECT_EQ(back->getCLAYER().getHandle(), d.walls.getHandle());
  OdDbLayerTablePtr layers = back->getLayerTableId().safeOpenObject();
  OdDbLayerTableRecordPtr index = layers->getAt(L"Index", OdDb::kForRead);
  EXPECT_EQ(index->color().colorIndex(), 3);
  EXPECT_FALSE(index->isOff());

  // Model space in order, with each entity's handle, layer, colour and material.
  OdDbBlockTableRecordPtr model = back->getModelSpaceId().safeOpenObject();
  OdDbBlockTableRecordPtr originalModel = d.db->getModelSpaceId().safeOpenObject();
  ASSERT_EQ(model->entityIds().size(), originalModel->entityIds().size());
  for (std::size_t i = 0; i < model->entityIds().size(); ++i)
  {
    OdDbEntityPtr a = originalModel->entityIds()[i].safeOpenObject();
    OdDbEntityPtr b = model->entityIds()[i].safeOpenObject();
    EXPECT_EQ(a->getDbHandle(), b->getDbHandle());
    EXPECT_EQ(a->isA(), b->isA());
    EXPECT_EQ(a->layer(), b->layer());
    EXPECT_EQ(a->material(), b->material());
    EXPECT_EQ(a->color(), b->color());
  }

  OdDbPolyFaceMeshPtr box = openByHandle<OdDbPolyFaceMesh>(back, d.cubeId);
  ASSERT_FALSE(box.isNull());
  ASSERT_EQ(box->numVertices(), 8);
  ASSERT_EQ(box->numFaces(), 6);
  EXPECT_EQ(box->vertexAt(7)->position(), OdGePoint3d(2, 2, 2));
  EXPECT_EQ(box->faceAt(1)->getVertexAt(3), 7);
  EXPECT_FALSE(box->faceAt(1)->isEdgeVisibleAt(2));
  EXPECT_TRUE(box->faceAt(1)->isEdgeVisibleAt(3));

  OdDbSubDMeshPtr mesh = openByHandle<OdDbSubDMesh>(back, d.meshId);
  OdDbSubDMeshPtr originalMesh = d.meshId.safeOpenObject();
  ASSERT_FALSE(mesh.isNull());
  EXPECT_EQ(mesh->subDLevel(), 2);
  EXPECT_EQ(mesh->numOfFaces(), 2);
  EXPECT_TRUE(mesh->vertices() == originalMesh->vertices());
  EXPECT_TRUE(mesh->faceArray() == originalMesh->faceArray());

  OdDbFacePtr face = openByHandle<OdDbFace>(back, d.faceId);
  ASSERT_FALSE(face.isNull());
  OdGePoint3d corner;
  face->getVertexAt(3, corner);
  EXPECT_EQ(corner, OdGePoint3d(3, 6, -3));
  EXPECT_FALSE(face->isEdgeVisibleAt(1));
  EXPECT_TRUE(face->isEdgeVisibleAt(0));

  for (const OdDbObjectId& id : {d.outerRef, d.innerRef})
  {
    OdDbBlockReferencePtr original = id.safeOpenObject();
    OdDbBlockReferencePtr read = openByHandle<OdDbBlockReference>(back, id);
    ASSERT_FALSE(read.isNull());
    expectNear(read->blockTransform(), original->blockTransform());
    EXPECT_EQ(read->blockTableRecord().getHandle(), original->blockTableRecord().getHandle());
  }
  OdDbBlockTableRecordPtr inner = openByHandle<OdDbBlockTableRecord>(back, d.inner);
  OdDbObjectIdArray refs;
  inner->getBlockReferenceIds(refs);
  ASSERT_EQ(refs.size(), 1u);
  EXPECT_EQ(refs[0].getHandle(), d.innerRef.getHandle());

  OdDbGroupPtr group = openByHandle<OdDbGroup>(back, d.group);
  ASSERT_FALSE(group.isNull());
  EXPECT_EQ(group->name(), L"Pair");
  EXPECT_EQ(group->description(), L"two things");
  OdDbObjectIdArray members;
  group->allEntityIds(members);
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[0].getHandle(), d.meshId.getHandle());
  EXPECT_EQ(members[1].getHandle(), d.cubeId.getHandle());

  // New objects of the read drawing take handles no object of it has.
  OdDbObjectId added = addMaterial(back, L"Later");
  EXPECT_GT(OdUInt64(added.getHandle()), OdUInt64(d.group.getHandle()));
  EXPECT_EQ(back->getOdDbObjectId(added.getHandle()), added);
}

TEST(Dxf, ASecondRoundTripWritesTheSameDrawing)
{
  Drawing d;
  OdDbDatabasePtr once = roundTrip(d.db);
  OdDbDatabasePtr twice = roundTrip(once);
  // Only the handles of what the model does not keep (BLOCK, SEQEND...) may move.
  const auto withoutSynthetic = [](OdDbDatabase* db) {
    std::string text = odDxfWrite(db);
    std::string out;
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < text.size();)
    {
      const std::size_t end = text.find('\n', pos);
      const std::string line = text.substr(pos, end - pos);
      pos = end + 1;
      out += (++lines % 2 == 0 && !out.empty() &&
              (out.rfind("  5\n") == out.size() - 4 || out.rfind("330\n") == out.size() - 4 ||
               out.rfind("340\n") == out.size() - 4 || out.rfind("350\n") == out.size() - 4))
               ? std::string("h")
               : line;
      out += '\n';
    }
    return out;
  };
  EXPECT_EQ(withoutSynthetic(once), withoutSynthetic(twice));
}

TEST(Dxf, OldFilesWithoutHandlesOpenWithTheStandardMaterialsAndAreSavedInTheLaterForm)
{
  const std::string r12 =
    "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n1\n"
    "  0\nLAYER\n  2\nCaf\xe9\n 70\n0\n 62\n1\n  6\nCONTINUOUS\n  0\nENDTAB\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nBLOCKS\n"
    "  0\nBLOCK\n  8\n0\n  2\n$MODEL_SPACE\n 70\n0\n 10\n0\n 20\n0\n 30\n0\n  3\n$MODEL_SPACE\n"
    "  0\nENDBLK\n  8\n0\n"
    "  0\nBLOCK\n  8\n0\n  2\n*Paper_Space0\n 70\n0\n 10\n0\n 20\n0\n 30\n0\n"
    "  0\nENDBLK\n  8\n0\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\n3DFACE\n  8\nCaf\xe9\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n0\n 31\n0\n"
    " 12\n1\n 22\n1\n 32\n0\n 13\n1\n 23\n1\n 33\n0\n"
    "  0\nTEXT\n  8\n0\n 10\n0\n 20\n0\n 30\n0\n 40\n1\n  1\nCaf\xe9\n 72\n1\n 11\n1\n 21\n1\n 31\n0\n"
    " 73\n2\n"
    "  0\nLINE\n  8\nNew\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n1\n 31\n0\n"
    "  0\nDIMENSION\n  8\n0\n  2\n*D1\n 10\n0\n 20\n0\n 30\n0\n 70\n0\n"
    "  0\nENDSEC\n  0\nEOF\n";
  std::vector<OdString> warnings;
  OdDbDatabasePtr db = odDxfRead(r12, L"old.dxf", &warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(db->byLayerMaterialId().isNull());
  EXPECT_FALSE(db->byBlockMaterialId().isNull());
  EXPECT_FALSE(db->globalMaterialId().isNull());
  EXPECT_EQ(db->getCMATERIAL(), db->byLayerMaterialId());
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
  ASSERT_EQ(model->entityIds().size(), 4u);
  OdDbFacePtr face = model->entityIds()[0].safeOpenObject();
  EXPECT_EQ(face->layer(), L"Caf\u00e9"); // single-byte code page before AC1021
  EXPECT_EQ(face->materialId(), db->byLayerMaterialId());
  OdDbLayerTableRecordPtr layer = face->layerId().safeOpenObject();
  EXPECT_EQ(layer->materialId(), db->globalMaterialId());
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
  EXPECT_FALSE(layers->has(L"New")); // a kept line's layer the table lacks is not made

  // Saved as AC1021: handles, owners and subclass markers made, TEXT's
  // second marker before its vertical alignment, texts in UTF-8, the layout
  // block once under its later name; the R12 dimension cannot be carried.
  EXPECT_EQ(odDxfLeftOut(db), (std::vector<std::pair<std::string, int>>{{"DIMENSION", 1}}));
  const std::string saved = odDxfWrite(db);
  EXPECT_NE(saved.find("100\nAcDbText\n 73\n2\n"), std::string::npos);
  EXPECT_NE(saved.find("  1\nCaf\xc3\xa9\n"), std::string::npos);
  EXPECT_NE(saved.find("100\nAcDbEntity\n  8\nNew\n100\nAcDbLine\n"), std::string::npos);
  EXPECT_EQ(saved.find("$MODEL_SPACE"), std::string::npos);
  EXPECT_NE(saved.find("100\nAcDbLayout\n  1\nLayout2\n"), std::string::npos); // *Paper_Space0's
  EXPECT_EQ(saved.find("DIMENSION"), std::string::npos);
  std::vector<OdString> again;
  OdDbDatabasePtr back = odDxfRead(saved, L"saved.dxf", &again);
  EXPECT_TRUE(again.empty());
  EXPECT_EQ(OdDbBlockTableRecordPtr(back->getModelSpaceId().safeOpenObject())->entityIds().size(), 3u);
}

TEST(Dxf, BrokenFilesAreRefusedNamingTheFileAndLine)
{
  Drawing d;
  const std::string good = odDxfWrite(d.db);
  // Cut anywhere: never read as a whole drawing.
  for (std::size_t cut = 0; cut < good.size(); cut += good.size() / 97 + 1)
  {
    const OdString message = failure(good.substr(0, cut), L"cut.dxf");
    EXPECT_TRUE(contains(message, L"cut.dxf, line ")) << message.toUtf8();
  }
  EXPECT_TRUE(contains(failure("  0\nSECTION\n  2\nHEADER\n"), L"broken.dxf, line 4: the file ends without EOF"));

  const std::string head = "  0\nSECTION\n  2\nENTITIES\n";
  EXPECT_TRUE(contains(failure(head + "abc\nLINE\n"), L"broken.dxf, line 5: a group code was expected, found \"abc\""));
  EXPECT_TRUE(contains(failure(head + "4000\nx\n"), L"line 5: there is no group code 4000"));
  EXPECT_TRUE(contains(failure(head + "  0\n3DFACE\n 10\nnan\n"), L"line 7: group 10 needs a number, found \"nan\""));
  EXPECT_TRUE(contains(failure(head + "  0\n3DFACE\n 10\n1e999\n"), L"line 7: group 10 needs a number"));
  EXPECT_TRUE(contains(failure(head + "  0\n3DFACE\n 70\n1.5\n"), L"line 7: group 70 needs a whole number"));
  EXPECT_TRUE(contains(failure(head + "  0\nMESH\n 92\n1\n 10\n0\n 20\n0\n 30\n0\n 93\n2000000000\n 90\n3\n"),
                       L"line 5: a MESH whose face list is missing or cut short"));
  EXPECT_TRUE(contains(failure(head + "  0\nMESH\n 10\n0\n 20\n0\n 30\n0\n 93\n4\n 90\n3\n 90\n0\n 90\n1\n 90\n2\n"),
                       L"a MESH whose faces name vertices it does not have"));
  EXPECT_TRUE(contains(failure(head + "  0\nPOLYLINE\n 70\n64\n  0\nVERTEX\n 70\n128\n 71\n1\n 72\n2\n 73\n3\n"),
                       L"line 9: a face names vertex 1 of a mesh of 0"));
  EXPECT_TRUE(contains(failure(head + "  0\nPOLYLINE\n 70\n64\n  0\nENDSEC\n  0\nEOF\n"),
                       L"line 9: a polyline or an insert's attributes end without SEQEND"));
  EXPECT_TRUE(contains(failure(head + "  0\nINSERT\n  2\nNowhere\n  0\nENDSEC\n  0\nEOF\n"),
                       L"line 5: an INSERT of the block \"Nowhere\", which the drawing does not have"));
  // What the file is, when it is no DXF text.
  EXPECT_TRUE(contains(failure(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest"),
                       L"broken.dxf, line 1: a binary DXF file"));
  for (const std::string& empty : {std::string(), std::string("\xEF\xBB\xBF \r\n\t\n\r")})
    EXPECT_TRUE(contains(failure(empty), L"broken.dxf, line 1: the file is empty"));
  for (const std::string& utf16 : {std::string("\xFF\xFE \0\x30\0", 6), std::string("\xFE\xFF\0 \0\x30", 6),
                                   std::string(" \0 \0\x30\0\r\0\n\0", 10), std::string("\0 \0 \0\x30\0\r\0\n", 10)})
    EXPECT_TRUE(
      contains(failure(utf16), L"broken.dxf, line 1: a UTF-16 text file: save the drawing as DXF in UTF-8 or ANSI"));
  EXPECT_TRUE(contains(failure(std::string("AC1032\0\0\0\x1f", 10)), L"line 1: a DWG drawing, not a DXF file"));
  EXPECT_TRUE(
    contains(failure("  0\nSECTION\n  2\nENTITIES\n  0\nSECTION\n"), L"line 5: a section starts inside another"));
}

TEST(Dxf, OldFilesReadNamesByTheirCodePageWhateverTheirLineEnds)
{
  // The layer "Стены" in ANSI_1251, once read byte by byte as "Ñòåíû".
  const std::string walls = "\xD1\xF2\xE5\xED\xFB";
  const std::string lf = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$DWGCODEPAGE\n  3\nANSI_1251\n"
                         "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  0\nLAYER\n  2\n" +
                         walls + "\n 70\n0\n  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\n3DFACE\n  8\n" +
                         walls +
                         "\n 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n0\n 31\n0\n 12\n1\n 22\n1\n 32\n0\n"
                         " 13\n1\n 23\n1\n 33\n0\n  0\nENDSEC\n  0\nEOF\n";
  // The same lines with CR, CR LF or all three in turn after each.
  const auto withEnds = [](const std::string& text, const std::vector<std::string>& ends) {
    std::string out;
    std::size_t count = 0;
    for (char ch : text)
      out += ch == '\n' ? ends[count++ % ends.size()] : std::string(1, ch);
    return out;
  };
  for (const std::vector<std::string>& ends :
       {std::vector<std::string>{"\r"}, {"\r\n"}, std::vector<std::string>{"\r\n", "\n", "\r"}})
  {
    OdDbDatabasePtr db = odDxfRead(withEnds(lf, ends), L"walls.dxf");
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
    ASSERT_EQ(model->entityIds().size(), 1u);
    OdDbEntityPtr face = model->entityIds()[0].safeOpenObject();
    EXPECT_EQ(face->layer(), L"\u0421\u0442\u0435\u043d\u044b");
  }
  std::string broken = lf;
  const std::size_t at = broken.find(" 21\n0");
  broken[at + 4] = 'x';
  const auto line = unsigned(std::count(lf.begin(), lf.begin() + std::ptrdiff_t(at), '\n') + 1);
  EXPECT_TRUE(contains(failure(withEnds(broken, {"\r", "\r\n", "\n"})),
                       OdString::format(L"line %u: group 21 needs a number", line)));
}

TEST(Dxf, ABlockThatContainsItselfIsRefused)
{
  const std::string text = "  0\nSECTION\n  2\nBLOCKS\n"
                           "  0\nBLOCK\n  2\nA\n  0\nINSERT\n  2\nB\n  0\nENDBLK\n"
                           "  0\nBLOCK\n  2\nB\n  0\nINSERT\n  2\nA\n  0\nENDBLK\n"
                           "  0\nENDSEC\n  0\nEOF\n";
  const OdString message = failure(text, L"loop.dxf");
  EXPECT_TRUE(contains(message, L"loop.dxf, line ")) << message.toUtf8();
  EXPECT_TRUE(contains(message, L"contains itself")) << message.toUtf8();
}

TEST(Dxf, AMaterialDictionaryEntryThatIsNoMaterialIsRefused)
{
  const std::string text = "  0\nSECTION\n  2\nOBJECTS\n"
                           "  0\nDICTIONARY\n  5\nC\n330\n0\n  3\nACAD_MATERIAL\n350\nD\n"
                           "  0\nDICTIONARY\n  5\nD\n330\nC\n  3\nSteel\n350\nE\n"
                           "  0\nGROUP\n  5\nE\n330\nD\n"
                           "  0\nENDSEC\n  0\nEOF\n";
  EXPECT_TRUE(
    contains(failure(text, L"dict.dxf"),
             L"dict.dxf, line 21: the material dictionary entry \"Steel\" is not a material but a \"GROUP\""));
}

TEST(Dxf, WhatTheModelDoesNotKnowIsKeptAndWrittenBackInPlace)
{
  Drawing d;
  std::string text = odDxfWrite(d.db);
  const auto insertAfter = [&](const std::string& mark, const std::string& what) {
    const std::size_t at = text.find(mark);
    ASSERT_NE(at, std::string::npos) << mark;
    text.insert(at + mark.size(), what);
  };
  const std::string steel = d.steel.getHandle().ascii().toUtf8();
  insertAfter("  9\n$ACADVER\n  1\nAC1021\n", "  9\n$INSUNITS\n 70\n4\n");
  insertAfter("  2\nENTITIES\n",
              "  0\nLINE\n  5\nFFF0\n330\n1F\n100\nAcDbEntity\n  8\nWalls\n  6\nDASHED\n370\n50\n347\n" + steel +
                "\n100\nAcDbLine\n 10\n0\n 20\n0\n 30\n0\n 11\n5\n 21\n5\n 31\n0\n1001\nOTHER\n1000\nkept ^J\n"
                "  0\nTEXT\n  5\nFFF1\n100\nAcDbEntity\n  8\n0\n100\nAcDbText\n  1\nRoom 101\n");
  insertAfter("  2\nOBJECTS\n", "");
  text.insert(text.rfind("  0\nENDSEC\n  0\nEOF"),
              "  0\nXRECORD\n  5\nFFF3\n330\nC\n100\nAcDbXrecord\n  1\nanything\n");
  std::vector<OdString> warnings;
  OdDbDatabasePtr back = odDxfRead(text, L"other.dxf", &warnings);
  EXPECT_TRUE(warnings.empty()) << warnings.front().toUtf8();

  // The kept entities are in model space, with their layers and material;
  // a save writes them back with their handles, pairs and extension data.
  OdDbBlockTableRecordPtr model = back->getModelSpaceId().safeOpenObject();
  std::vector<std::string> names;
  for (const OdDbObjectId& id : model->entityIds())
    if (auto proxy = OdDbProxyEntity::cast(id.openObject().get()))
      names.push_back(proxy->dxfName());
  EXPECT_EQ(names, (std::vector<std::string>{"LINE", "TEXT"}));
  OdDbObjectId line = back->getOdDbObjectId(OdDbHandle(0xFFF0));
  EXPECT_EQ(OdDbEntityPtr(line.safeOpenObject())->materialId().getHandle(), d.steel.getHandle());
  EXPECT_EQ(OdDbEntityPtr(line.safeOpenObject())->layer(), OdString(L"Walls"));

  const std::string again = odDxfWrite(back);
  for (const char* kept : {"  5\nFFF0\n", "  6\nDASHED\n370\n50\n", "1001\nOTHER\n1000\nkept ^J\n", "  1\nRoom 101\n",
                           "XRECORD\n  5\nFFF3\n", "  9\n$INSUNITS\n 70\n4\n"})
    EXPECT_NE(again.find(kept), std::string::npos) << kept;
  EXPECT_EQ(again.find("$ACADVER"), again.rfind("$ACADVER"));

  // A removed material's users take another, the kept ones too.
  OdDbEntityPtr(line.safeOpenObject(OdDb::kForWrite))->setMaterial(d.wood);
  const std::string reassigned = odDxfWrite(back);
  const std::size_t at = reassigned.find("  5\nFFF0\n");
  EXPECT_NE(reassigned.find("347\n" + d.wood.getHandle().ascii().toUtf8() + "\n", at), std::string::npos);
  EXPECT_EQ(odDxfRead(reassigned, L"again.dxf")->getOdDbObjectId(OdDbHandle(0xFFF1)).isNull(), false);
  EXPECT_GT(OdUInt64(addMaterial(back, L"New").getHandle()), 0xFFF3u);
}

TEST(Dxf, ReadsAFileWrittenThroughAStream)
{
  TempDir dir;
  Drawing d;
  const OdString path = dir.od("drawing.dxf");
  std::ofstream(dir.path() / "drawing.dxf", std::ios::binary) << odDxfWrite(d.db);
  OdDbDatabasePtr back = odDxfReadFile(path);
  EXPECT_FALSE(back->getOdDbObjectId(d.steel.getHandle()).isNull());
  EXPECT_EQ(errorCode([&] { odDxfReadFile(dir.od("missing.dxf")); }), eFileNotFound);
}
