#include "od/OdSdk.h"

#include "common/TestDrawing.h"
#include "common/od_print.h"

#include <gtest/gtest.h>

namespace
{
MaterialColor byColor(OdUInt8 r, OdUInt8 g, OdUInt8 b)
{
  MaterialColor c;
  c.setMethod(MaterialColor::kOverride);
  c.setColor(OdCmEntityColor(r, g, b));
  return c;
}

MaterialMap marbleMap(double spacing)
{
  OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
  marble->setStoneColor(byColor(200, 190, 180));
  marble->setVeinColor(byColor(20, 30, 40));
  marble->setVeinSpacing(spacing);
  marble->setVeinWidth(0.25);
  MaterialMap map;
  map.setSource(kProcedural);
  map.setBlendFactor(0.75);
  map.mapper().setProjection(MapMapper::kSphere);
  map.mapper().setUTiling(MapMapper::kMirror);
  map.mapper().setTransform(OdGeMatrix3d::rotation(1.0, OdGeVector3d::kZAxis));
  map.setTexture(marble);
  return map;
}

OdDbObjectId addColouredMaterial(OdDbDatabase* db, const OdString& name, const MaterialMap& diffuse = MaterialMap())
{
  return addMaterial(db, name, [&](OdDbMaterial& m) { m.setDiffuse(byColor(10, 20, 30), diffuse); });
}
} // namespace

TEST(MaterialRecords, NewRecordsHoldTheDocumentedDefaults)
{
  const MaterialMap map;
  EXPECT_EQ(map.source(), kFile);
  EXPECT_TRUE(map.sourceFileName().isEmpty());
  EXPECT_EQ(map.blendFactor(), 1.0);
  EXPECT_EQ(map.mapper().projection(), MapMapper::kPlanar);
  EXPECT_EQ(map.mapper().uTiling(), MapMapper::kTile);
  EXPECT_EQ(map.mapper().vTiling(), MapMapper::kTile);
  EXPECT_EQ(map.mapper().autoTransform(), MapMapper::kNone);
  EXPECT_TRUE(map.mapper().transform().isIdentity());
  EXPECT_TRUE(map.texture().isNull());
  const MaterialColor color;
  EXPECT_EQ(color.factor(), 1.0);
  EXPECT_EQ(color.color().color(), 0xC2000000u);
}

TEST(MaterialRecords, CopiesShareTheTextureObject)
{
  MaterialMap a = marbleMap(1.0);
  MaterialMap b = a;
  OdGiMarbleTexturePtr(b.texture())->setVeinSpacing(9.0);
  EXPECT_EQ(OdGiMarbleTexturePtr(a.texture())->veinSpacing(), 9.0);
  MaterialMap c = a.deepCopy();
  OdGiMarbleTexturePtr(c.texture())->setVeinSpacing(3.0);
  EXPECT_EQ(OdGiMarbleTexturePtr(a.texture())->veinSpacing(), 9.0);
  EXPECT_NE(a, c);
  EXPECT_EQ(a, b);
}

TEST(Material, ChannelsReadBackWhatWasWritten)
{
  OdDbMaterialPtr m = OdDbMaterial::createObject();
  MaterialMap bump;
  bump.setSourceFileName(L"bumps.png");
  m->setBump(bump);
  m->setSpecular(byColor(1, 2, 3), MaterialMap(), 0.8);
  m->setOpacity(0.4, MaterialMap());
  m->setRefraction(1.33, MaterialMap());
  m->setNormalMap(MaterialMap(), 2, 0.6);
  m->setChannelFlags(kUseBump);
  m->setSelfIllumination(0.1);
  m->setTranslucence(0.2);

  MaterialColor color;
  MaterialMap map;
  double gloss = 0, value = 0;
  OdInt32 method = 0;
  m->bump(map);
  EXPECT_EQ(map.sourceFileName(), OdString(L"bumps.png"));
  m->specular(color, map, gloss);
  EXPECT_EQ(color, byColor(1, 2, 3));
  EXPECT_EQ(gloss, 0.8);
  m->opacity(value, map);
  EXPECT_EQ(value, 0.4);
  m->refraction(value, map);
  EXPECT_EQ(value, 1.33);
  m->normalMap(map, method, value);
  EXPECT_EQ(method, 2);
  EXPECT_EQ(value, 0.6);
  EXPECT_EQ(m->channelFlags(), OdUInt32(kUseBump));
  EXPECT_EQ(m->selfIllumination(), 0.1);
  EXPECT_EQ(m->translucence(), 0.2);
}

TEST(Material, KeepsItsOwnTextureCopy)
{
  OdDbMaterialPtr m = OdDbMaterial::createObject();
  MaterialMap edited = marbleMap(1.0);
  m->setDiffuse(MaterialColor(), edited);
  // Changing the caller's texture afterwards does not reach the material.
  OdGiMarbleTexturePtr(edited.texture())->setVeinSpacing(5.0);
  MaterialColor color;
  MaterialMap stored;
  m->diffuse(color, stored);
  EXPECT_EQ(OdGiMarbleTexturePtr(stored.texture())->veinSpacing(), 1.0);
  // Nor does changing what a getter handed out.
  OdGiMarbleTexturePtr(stored.texture())->setVeinSpacing(7.0);
  MaterialMap again;
  m->diffuse(color, again);
  EXPECT_EQ(OdGiMarbleTexturePtr(again.texture())->veinSpacing(), 1.0);
}

TEST(Textures, KindsAndWrongClassConversion)
{
  OdGiMaterialTexturePtr wood = OdGiWoodTexture::createObject();
  EXPECT_TRUE(wood->isKindOf(OdGiProceduralTexture::desc()));
  EXPECT_EQ(OdGiProceduralTexturePtr(wood)->type(), OdGiProceduralTexture::kWood);
  EXPECT_EQ(OdGiProceduralTexturePtr(OdGiMarbleTexture::createObject())->type(), OdGiProceduralTexture::kMarble);
  EXPECT_FALSE(OdGiGenericTexture::createObject()->isKindOf(OdGiProceduralTexture::desc()));
  try
  {
    OdGiMarbleTexturePtr marble(wood);
    FAIL();
  }
  catch (const OdError_NotThatKindOfClass& e)
  {
    EXPECT_EQ(e.objectClassName(), OdString(L"OdGiWoodTexture"));
    EXPECT_EQ(e.expectedClassName(), OdString(L"OdGiMarbleTexture"));
  }
  EXPECT_THROW(OdGiProceduralTexture::createObject(), OdError);
}

TEST(Cloning, ObjectCloneIsAnUnattachedCopy)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addColouredMaterial(db, L"Steel", marbleMap(2.0));
  OdDbMaterialPtr copy = steel.safeOpenObject()->clone();
  EXPECT_FALSE(copy->isDBRO());
  EXPECT_EQ(copy->name(), OdString(L"Steel"));
  copy->setName(L"Steel(1)"); // an unattached object renames freely
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
  const OdDbObjectId copyId = dictionary->setAt(copy->name(), copy);
  EXPECT_NE(copyId, steel);
  EXPECT_TRUE(dictionary->has(L"steel"));
}

TEST(Cloning, MarbleMaterialKeepsItsValuesInAnotherDatabase)
{
  OdDbDatabasePtr source = odCreateDatabase();
  OdDbDatabasePtr target = odCreateDatabase();
  const MaterialMap original = marbleMap(0.5);
  const OdDbObjectId id = addColouredMaterial(source, L"Carrara", original);

  OdDbIdMappingPtr mapping = OdDbIdMapping::createObject();
  target->wblockCloneObjects({id}, target->getMaterialDictionaryId(), *mapping, OdDb::kDrcReplace);
  OdDbIdPair pair(id);
  ASSERT_TRUE(mapping->compute(pair));
  EXPECT_TRUE(pair.isCloned());
  EXPECT_EQ(pair.value().database(), target.get());

  OdDbMaterialPtr clone = pair.value().safeOpenObject();
  MaterialColor color;
  MaterialMap map;
  clone->diffuse(color, map);
  EXPECT_EQ(clone->name(), OdString(L"Carrara"));
  EXPECT_EQ(color, byColor(10, 20, 30));
  EXPECT_EQ(map, original);
  OdGiMarbleTexturePtr marble = map.texture();
  EXPECT_EQ(marble->veinSpacing(), 0.5);
  EXPECT_EQ(marble->veinColor(), byColor(20, 30, 40));
  EXPECT_TRUE(map.mapper().transform().isEqualTo(OdGeMatrix3d::rotation(1.0, OdGeVector3d::kZAxis)));

  // The clone shares nothing with its source.
  source->getMaterialDictionaryId();
  OdDbMaterialPtr(id.safeOpenObject(OdDb::kForWrite))->setDiffuse(byColor(0, 0, 0), MaterialMap());
  clone->diffuse(color, map);
  EXPECT_EQ(OdGiMarbleTexturePtr(map.texture())->veinSpacing(), 0.5);
}

TEST(Cloning, ReplaceAndIgnoreOfADuplicateKey)
{
  OdDbDatabasePtr source = odCreateDatabase();
  OdDbDatabasePtr target = odCreateDatabase();
  const OdDbObjectId src = addColouredMaterial(source, L"Paint", marbleMap(3.0));
  const OdDbObjectId old = addColouredMaterial(target, L"PAINT");

  OdDbIdMappingPtr keep = OdDbIdMapping::createObject();
  target->wblockCloneObjects({src}, target->getMaterialDictionaryId(), *keep, OdDb::kDrcIgnore);
  OdDbIdPair kept(src);
  ASSERT_TRUE(keep->compute(kept));
  EXPECT_EQ(kept.value(), old);
  EXPECT_FALSE(kept.isCloned());

  OdDbIdMappingPtr replace = OdDbIdMapping::createObject();
  target->wblockCloneObjects({src}, target->getMaterialDictionaryId(), *replace, OdDb::kDrcReplace);
  OdDbIdPair replaced(src);
  ASSERT_TRUE(replace->compute(replaced));
  EXPECT_NE(replaced.value(), old);
  EXPECT_TRUE(old.isErased());
  OdDbDictionaryPtr dictionary = target->getMaterialDictionaryId().safeOpenObject();
  EXPECT_EQ(dictionary->getAt(L"paint"), replaced.value());
  EXPECT_EQ(dictionary->numEntries(), 4u);
}

TEST(Cloning, ReplacingAStandardMaterialWorks)
{
  // The standard materials refuse a plain erase, but a replacing clone of a
  // material of the same name takes their place.
  OdDbDatabasePtr source = odCreateDatabase();
  OdDbDatabasePtr target = odCreateDatabase();
  const OdDbObjectId global = source->globalMaterialId();
  OdDbIdMappingPtr mapping = OdDbIdMapping::createObject();
  target->wblockCloneObjects({global}, target->getMaterialDictionaryId(), *mapping, OdDb::kDrcReplace);
  OdDbIdPair pair(global);
  ASSERT_TRUE(mapping->compute(pair));
  EXPECT_EQ(target->globalMaterialId(), pair.value());
}

TEST(Cloning, EntitiesIntoAnotherDatabaseFindTheirMaterialByName)
{
  OdDbDatabasePtr source = odCreateDatabase();
  OdDbDatabasePtr target = odCreateDatabase();
  const OdDbObjectId srcSteel = addColouredMaterial(source, L"Steel");
  const OdDbObjectId dstSteel = addColouredMaterial(target, L"steel");
  const OdDbObjectId srcOnly = addColouredMaterial(source, L"Rare");

  OdDbBlockTableRecordPtr model = source->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectIdArray ids;
  for (const OdDbObjectId& materialId : {srcSteel, srcOnly})
  {
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    mesh->setDatabaseDefaults(source);
    mesh->setMaterial(materialId);
    ids.append(model->appendOdDbEntity(mesh));
  }
  model = nullptr;
  OdDbIdMappingPtr mapping = OdDbIdMapping::createObject();
  target->wblockCloneObjects(ids, target->getModelSpaceId(), *mapping, OdDb::kDrcIgnore);
  OdDbIdPair first(ids[0]), second(ids[1]);
  ASSERT_TRUE(mapping->compute(first));
  ASSERT_TRUE(mapping->compute(second));
  EXPECT_EQ(OdDbEntityPtr(first.value().safeOpenObject())->materialId(), dstSteel);
  EXPECT_EQ(OdDbEntityPtr(second.value().safeOpenObject())->materialId(), target->byLayerMaterialId());
  EXPECT_EQ(OdDbEntityPtr(second.value().safeOpenObject())->layerId(), target->getLayerZeroId());
}

TEST(Cloning, DeepCloneWithinTheDatabaseRefusesATakenKey)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addColouredMaterial(db, L"Steel");
  OdDbIdMappingPtr mapping = OdDbIdMapping::createObject();
  try
  {
    db->deepCloneObjects({steel}, db->getMaterialDictionaryId(), *mapping);
    FAIL();
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eDuplicateKey);
  }
  OdDbDatabasePtr other = odCreateDatabase();
  EXPECT_THROW(other->deepCloneObjects({steel}, other->getMaterialDictionaryId(), *mapping), OdError);
  EXPECT_THROW(db->wblockCloneObjects({steel}, db->getLayerTableId(), *mapping, OdDb::kDrcReplace), OdError);
}
