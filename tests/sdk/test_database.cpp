#include "od/OdSdk.h"

#include "common/TestDrawing.h"
#include "common/od_print.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Records what the database tells, as readable lines.
class Recorder : public OdDbDatabaseReactor
{
public:
  std::vector<std::string> events;

  void objectAppended(const OdDbDatabase*, const OdDbObject* object) override { log("appended", object); }
  void objectModified(const OdDbDatabase*, const OdDbObject* object) override { log("modified", object); }
  void objectErased(const OdDbDatabase*, const OdDbObject* object, bool erased) override
  {
    log(erased ? "erased" : "unerased", object);
  }

private:
  // Only materials: containers are modified along with them.
  void log(const char* what, const OdDbObject* object)
  {
    if (const auto* material = OdDbMaterial::cast(object).get())
      events.push_back(std::string(what) + " " + material->name().toUtf8());
  }
};
} // namespace

TEST(Database, DefaultContents)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject();
  EXPECT_EQ(blocks->getAt(L"*model_space"), db->getModelSpaceId());
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
  EXPECT_EQ(layers->getAt(L"0"), db->getLayerZeroId());
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId(false).safeOpenObject();
  std::vector<std::wstring> keys;
  for (auto it = materials->newIterator(); !it->done(); it->next())
    keys.push_back(it->name().c_str());
  EXPECT_EQ(keys, (std::vector<std::wstring>{L"By Block", L"By Layer", L"Global"}));
  EXPECT_EQ(db->getCMATERIAL(), db->byLayerMaterialId());
  OdDbLayerTableRecordPtr zero = db->getLayerZeroId().safeOpenObject();
  EXPECT_EQ(zero->materialId(), db->globalMaterialId());
  EXPECT_FALSE(db->getGroupDictionaryId(false).isNull());
}

TEST(Database, NotificationsFollowAppendCloseEraseAndUnerase)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdSmartPtr<Recorder> recorder(new Recorder());
  db->addReactor(recorder);

  const OdDbObjectId id = addMaterial(db, L"Steel");
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"appended Steel"}));
  recorder->events.clear();

  {
    OdDbMaterialPtr material = id.safeOpenObject(OdDb::kForWrite);
    material->setReflectivity(0.25);
    EXPECT_TRUE(recorder->events.empty()) << "modified must wait for the close";
  }
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"modified Steel"}));
  recorder->events.clear();

  // Read opens tell nothing.
  id.safeOpenObject(OdDb::kForRead);
  EXPECT_TRUE(recorder->events.empty());

  id.safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_TRUE(id.isErased());
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"erased Steel"})) << "an erased object is not also modified";
  recorder->events.clear();
  id.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  EXPECT_FALSE(id.isErased());
  EXPECT_EQ(recorder->events, (std::vector<std::string>{"unerased Steel", "modified Steel"}));

  db->removeReactor(recorder);
  recorder->events.clear();
  OdDbMaterialPtr(id.safeOpenObject(OdDb::kForWrite))->setReflectivity(0.5);
  EXPECT_TRUE(recorder->events.empty());
}

TEST(Database, ReactorMayRemoveItselfWhileTold)
{
  struct OneShot : OdDbDatabaseReactor
  {
    int calls = 0;
    void objectAppended(const OdDbDatabase* db, const OdDbObject*) override
    {
      ++calls;
      const_cast<OdDbDatabase*>(db)->removeReactor(this);
    }
  };
  OdDbDatabasePtr db = odCreateDatabase();
  OdSmartPtr<OneShot> reactor(new OneShot());
  db->addReactor(reactor);
  db->addReactor(reactor); // no duplicates
  addMaterial(db, L"A");
  addMaterial(db, L"B");
  EXPECT_EQ(reactor->calls, 1);
}

TEST(Database, BadIdsGiveDefinedErrors)
{
  OdDbDatabasePtr db = odCreateDatabase();
  EXPECT_EQ(errorCode([] { OdDbObjectId().safeOpenObject(); }), eNullObjectId);
  EXPECT_TRUE(OdDbObjectId().openObject().isNull());

  const OdDbObjectId id = addMaterial(db, L"Gone");
  id.safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_EQ(errorCode([&] { id.safeOpenObject(); }), eWasErased);
  EXPECT_TRUE(id.openObject().isNull());
  EXPECT_FALSE(id.openObject(OdDb::kForRead, true).isNull());

  // Ids outlive their database and then open nothing.
  const OdDbObjectId model = db->getModelSpaceId();
  db = nullptr;
  EXPECT_FALSE(model.isValid());
  EXPECT_EQ(model.database(), nullptr);
  EXPECT_EQ(errorCode([&] { model.safeOpenObject(); }), eNoDatabase);
}

TEST(Database, SecondOpenForWriteIsRefusedUntilTheFirstCloses)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId id = addMaterial(db, L"Busy");
  {
    OdDbObjectPtr writer = id.safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(errorCode([&] { id.safeOpenObject(OdDb::kForWrite); }), eWasOpenedForWrite);
    // Reading while it is open for write is fine.
    EXPECT_FALSE(id.openObject(OdDb::kForRead).isNull());
    EXPECT_EQ(errorCode([&] { id.safeOpenObject(OdDb::kForWrite); }), eWasOpenedForWrite);
  }
  EXPECT_FALSE(id.openObject(OdDb::kForWrite).isNull());
}

TEST(Database, WritesNeedAnOpenForWrite)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId id = addMaterial(db, L"ReadOnly");
  OdDbMaterialPtr material = id.safeOpenObject(OdDb::kForRead);
  EXPECT_EQ(errorCode([&] { material->setReflectivity(1.0); }), eNotOpenForWrite);
  EXPECT_EQ(errorCode([&] { material->erase(); }), eNotOpenForWrite);
  material->upgradeOpen();
  material->setReflectivity(1.0);
  material->downgradeOpen();
  EXPECT_EQ(errorCode([&] { material->setReflectivity(2.0); }), eNotOpenForWrite);
  EXPECT_EQ(material->reflectivity(), 1.0);
}

TEST(Database, WrongClassErrorNamesBothClasses)
{
  OdDbDatabasePtr db = odCreateDatabase();
  try
  {
    OdDbMaterialPtr material = db->getModelSpaceId().safeOpenObject();
    FAIL() << "a block record was taken for a material";
  }
  catch (const OdError_NotThatKindOfClass& e)
  {
    EXPECT_EQ(e.code(), eNotThatKindOfClass);
    EXPECT_EQ(e.objectClassName(), OdString(L"OdDbBlockTableRecord"));
    EXPECT_EQ(e.expectedClassName(), OdString(L"OdDbMaterial"));
    EXPECT_NE(e.description().find(L"OdDbBlockTableRecord"), -1);
    EXPECT_NE(e.description().find(L"OdDbMaterial"), -1);
  }
  // The failed conversion must not leave the record open.
  EXPECT_FALSE(db->getModelSpaceId().openObject(OdDb::kForWrite).isNull());
  // cast() answers null instead of throwing.
  EXPECT_TRUE(OdDbMaterial::cast(db->getModelSpaceId().openObject().get()).isNull());
}

TEST(Dictionary, SortedCaseInsensitiveKeysAndRefusedDuplicates)
{
  OdDbDatabasePtr db = odCreateDatabase();
  for (const wchar_t* name : {L"zinc", L"Brass", L"aluminium", L"Copper"})
    addMaterial(db, name);
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
  std::vector<std::wstring> keys;
  for (auto it = dictionary->newIterator(OdRx::kDictSorted); !it->done(); it->next())
    keys.push_back(it->name().c_str());
  EXPECT_EQ(
    keys, (std::vector<std::wstring>{L"aluminium", L"Brass", L"By Block", L"By Layer", L"Copper", L"Global", L"zinc"}));
  EXPECT_FALSE(dictionary->getAt(L"BRASS").isNull());
  EXPECT_TRUE(dictionary->has(L"global"));

  OdDbMaterialPtr duplicate = OdDbMaterial::createObject();
  duplicate->setName(L"BRASS");
  EXPECT_EQ(errorCode([&] { dictionary->setAt(L"BRASS", duplicate); }), eDuplicateKey);
  EXPECT_FALSE(duplicate->isDBRO()) << "a refused object must stay out of the database";
  EXPECT_EQ(dictionary->numEntries(), 7u);
  EXPECT_EQ(errorCode([&] { dictionary->setAt(L"", duplicate); }), eInvalidInput);
}

TEST(Dictionary, ErasedEntriesAreSkippedAndTheirKeysFreed)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId old = addMaterial(db, L"Old");
  old.safeOpenObject(OdDb::kForWrite)->erase();
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
  EXPECT_FALSE(dictionary->has(L"old"));
  for (auto it = dictionary->newIterator(); !it->done(); it->next())
    EXPECT_NE(it->name(), OdString(L"Old"));
  OdDbMaterialPtr replacement = OdDbMaterial::createObject();
  replacement->setName(L"Old");
  EXPECT_NE(dictionary->setAt(L"Old", replacement), old);
}

// Palettes walk the materials while their reactors change them: a walk keeps
// the entries it began with, skips the ones erased meanwhile and names each by
// its name when it is reached.
TEST(Dictionary, AWalkSurvivesChangesMadeWhileItRuns)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId brass = addMaterial(db, L"Brass");
  const OdDbObjectId copper = addMaterial(db, L"Copper");
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  auto it = OdDbDictionaryPtr(db->getMaterialDictionaryId().safeOpenObject())->newIterator();
  std::vector<std::wstring> names;
  for (; !it->done(); it->next())
  {
    names.push_back(it->name().c_str());
    if (it->objectId() == brass)
    {
      OdDbMaterialPtr(copper.safeOpenObject(OdDb::kForWrite))->setName(L"Zinc");
      OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForWrite))->erase();
      addMaterial(db, L"Aluminium");
    }
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Brass", L"By Block", L"By Layer", L"Zinc", L"Global"}));
}

TEST(Dictionary, RenamingAMaterialRenamesItsKey)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  addMaterial(db, L"Iron");
  OdDbMaterialPtr material = steel.safeOpenObject(OdDb::kForWrite);
  material->setName(L"Stainless");
  EXPECT_EQ(errorCode([&] { material->setName(L"IRON"); }), eDuplicateKey);
  EXPECT_EQ(material->name(), OdString(L"Stainless"));
  material = nullptr;
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId().safeOpenObject();
  EXPECT_EQ(dictionary->getAt(L"stainless"), steel);
  EXPECT_FALSE(dictionary->has(L"Steel"));
}

TEST(Database, StandardMaterialsRefuseErasureUnlessTheirDictionaryGoes)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId global = db->globalMaterialId();
  EXPECT_EQ(global.safeOpenObject(OdDb::kForWrite)->erase(), eCannotBeErasedByCaller);
  EXPECT_FALSE(global.isErased());

  const OdDbObjectId dictionaryId = db->getMaterialDictionaryId();
  EXPECT_EQ(dictionaryId.safeOpenObject(OdDb::kForWrite)->erase(), eOk);
  EXPECT_TRUE(global.isErased());
  EXPECT_TRUE(db->byLayerMaterialId().isNull());
  // Asking again makes a new, empty one.
  const OdDbObjectId fresh = db->getMaterialDictionaryId(true);
  EXPECT_NE(fresh, dictionaryId);
  EXPECT_EQ(OdDbDictionaryPtr(fresh.safeOpenObject())->numEntries(), 0u);
}

TEST(SymbolTables, NamesAreUniqueWithoutCaseAndIteratorsSkipErased)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  OdDbLayerTableRecordPtr walls = OdDbLayerTableRecord::createObject();
  walls->setName(L"Walls");
  const OdDbObjectId wallsId = layers->add(walls);
  walls = nullptr;
  OdDbLayerTableRecordPtr again = OdDbLayerTableRecord::createObject();
  again->setName(L"WALLS");
  EXPECT_EQ(errorCode([&] { layers->add(again); }), eDuplicateKey);
  EXPECT_EQ(errorCode([&] { layers->add(OdDbLayerTableRecord::createObject()); }), eInvalidInput);
  EXPECT_EQ(errorCode([&] { layers->add(OdDbBlockTableRecord::createObject()); }), eNotThatKindOfClass);

  wallsId.safeOpenObject(OdDb::kForWrite)->erase();
  int live = 0, all = 0;
  for (auto it = layers->newIterator(); !it->done(); it->step())
    ++live;
  for (auto it = layers->newIterator(true, false); !it->done(); it->step())
    ++all;
  EXPECT_EQ(live, 1);
  EXPECT_EQ(all, 2);
}

TEST(SymbolTables, RenamedAndErasedRecordsAreFoundUnderTheirNamesOnly)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  auto add = [&](const wchar_t* name) {
    OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
    layer->setName(name);
    return layers->add(layer);
  };
  const OdDbObjectId walls = add(L"Walls"), doors = add(L"Doors");
  OdDbLayerTableRecordPtr(walls.safeOpenObject(OdDb::kForWrite))->setName(L"Outer walls");
  EXPECT_TRUE(layers->getAt(L"walls").isNull());
  EXPECT_EQ(layers->getAt(L"OUTER WALLS"), walls);
  EXPECT_EQ(errorCode([&] { OdDbLayerTableRecordPtr(doors.safeOpenObject(OdDb::kForWrite))->setName(L"outer Walls"); }),
            eDuplicateKey);
  OdDbLayerTableRecordPtr(doors.safeOpenObject(OdDb::kForWrite))->setName(L"DOORS"); // its own name in other case
  EXPECT_EQ(layers->getAt(L"doors"), doors);

  // An erased record gives its name to a new one, and is still found when asked for.
  doors.safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_TRUE(layers->getAt(L"Doors").isNull());
  EXPECT_FALSE(layers->has(doors));
  const OdDbObjectId newDoors = add(L"Doors");
  EXPECT_EQ(layers->getAt(L"Doors"), newDoors);
  EXPECT_EQ(layers->getAt(L"Doors", true), doors) << "the first of that name, erased or not";
  EXPECT_TRUE(layers->has(newDoors));
  EXPECT_FALSE(layers->has(db->getModelSpaceId())) << "a record of another table";
}

TEST(Dictionary, KeysOfIdsFollowRenamesAndRemovals)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
  EXPECT_EQ(materials->nameAt(steel), OdString(L"Steel"));
  ASSERT_TRUE(materials->setName(L"STEEL", L"Iron"));
  EXPECT_EQ(materials->nameAt(steel), OdString(L"Iron"));
  EXPECT_TRUE(materials->getAt(L"Steel").isNull());
  EXPECT_EQ(materials->remove(L"iron"), steel);
  EXPECT_TRUE(materials->nameAt(steel).isEmpty());
  EXPECT_FALSE(materials->has(steel));
  // Back under another key: the object was never erased.
  OdDbObjectPtr object = steel.safeOpenObject();
  EXPECT_EQ(materials->setAt(L"Kept", object), steel);
  EXPECT_EQ(materials->nameAt(steel), OdString(L"Kept"));
}

TEST(Groups, ManyMembersEachOnce)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbGroupPtr group = OdDbGroup::createObject();
  groups->setAt(L"All", group);
  OdDbObjectIdArray ids;
  for (int i = 0; i < 1000; ++i)
  {
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    mesh->setDatabaseDefaults(db);
    ids.append(model->appendOdDbEntity(mesh));
  }
  for (const OdDbObjectId& id : ids)
    group->append(id);
  for (const OdDbObjectId& id : ids)
    group->append(id);
  EXPECT_EQ(group->numEntities(), 1000u);
  group->remove(ids[10]);
  EXPECT_FALSE(group->has(ids[10]));
  EXPECT_TRUE(group->has(ids[11]));
  group->append(ids[10]);
  OdDbObjectIdArray members;
  group->allEntityIds(members);
  EXPECT_EQ(members.last(), ids[10]) << "added again at the end";
  EXPECT_FALSE(group->has(OdDbObjectId()));

  // Removing all but every tenth member, past the point where the group
  // compacts its holes: the rest stay in order and are each counted once.
  OdDbObjectIdArray kept;
  for (int i = 0; i < 1000; ++i)
    if (i % 10 == 3)
      kept.append(ids[i]);
    else
      group->remove(ids[i]);
  members.clear();
  EXPECT_EQ(group->allEntityIds(members), kept.size());
  EXPECT_EQ(members, kept);
  EXPECT_FALSE(group->has(ids[10]));
  EXPECT_TRUE(group->has(ids[13]));
  group->append(ids[0]);
  group->remove(ids[13]);
  members.clear();
  group->allEntityIds(members);
  EXPECT_EQ(members[0], ids[3]);
  EXPECT_EQ(members[1], ids[23]);
  EXPECT_EQ(members.last(), ids[0]);
  EXPECT_EQ(group->numEntities(), kept.size());
}

TEST(Entities, BlockRecordsKnowTheReferencesToThem)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  auto addBlock = [&](const wchar_t* name) {
    OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::createObject();
    block->setName(name);
    return blocks->add(block);
  };
  const OdDbObjectId bolt = addBlock(L"Bolt"), nut = addBlock(L"Nut");
  auto insert = [&](const OdDbObjectId& into, const OdDbObjectId& block) {
    OdDbBlockTableRecordPtr owner = into.safeOpenObject(OdDb::kForWrite);
    OdDbBlockReferencePtr reference = OdDbBlockReference::createObject();
    reference->setDatabaseDefaults(db);
    reference->setBlockTableRecord(block);
    return owner->appendOdDbEntity(reference);
  };
  auto referencesTo = [](const OdDbObjectId& block) {
    OdDbObjectIdArray ids;
    OdDbBlockTableRecordPtr(block.safeOpenObject())->getBlockReferenceIds(ids);
    return ids;
  };
  const OdDbObjectId first = insert(db->getModelSpaceId(), bolt), second = insert(nut, bolt);
  EXPECT_EQ(referencesTo(bolt), (OdDbObjectIdArray{first, second}));
  EXPECT_TRUE(referencesTo(nut).isEmpty());

  OdDbBlockReferencePtr(second.safeOpenObject(OdDb::kForWrite))->setBlockTableRecord(nut);
  OdDbBlockReferencePtr(second.safeOpenObject(OdDb::kForWrite))->setBlockTableRecord(nut); // twice: listed once
  EXPECT_EQ(referencesTo(bolt), OdDbObjectIdArray{first});
  EXPECT_EQ(referencesTo(nut), OdDbObjectIdArray{second});
  first.safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_TRUE(referencesTo(bolt).isEmpty());
  first.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  EXPECT_EQ(referencesTo(bolt), OdDbObjectIdArray{first}) << "an unerased reference counts again";
}

TEST(Entities, ExtentsReachThroughDeepNestingAndStopAtCycles)
{
  // 20,000 blocks, each inserting the next one unit along; the last holds
  // a unit triangle and inserts the first again.
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  constexpr int kDepth = 20000;
  std::vector<OdDbObjectId> chain;
  for (int i = 0; i < kDepth; ++i)
  {
    OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::createObject();
    block->setName(OdString::format(L"B%d", i));
    chain.push_back(blocks->add(block));
  }
  auto insert = [&](const OdDbObjectId& into, const OdDbObjectId& block) {
    OdDbBlockTableRecordPtr owner = into.safeOpenObject(OdDb::kForWrite);
    OdDbBlockReferencePtr reference = OdDbBlockReference::createObject();
    reference->setDatabaseDefaults(db);
    reference->setBlockTableRecord(block);
    reference->setPosition(OdGePoint3d(1, 0, 0));
    return owner->appendOdDbEntity(reference);
  };
  for (int i = 0; i + 1 < kDepth; ++i)
    insert(chain[std::size_t(i)], chain[std::size_t(i) + 1]);
  {
    OdDbBlockTableRecordPtr last = chain.back().safeOpenObject(OdDb::kForWrite);
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    mesh->setDatabaseDefaults(db);
    ASSERT_EQ(mesh->setSubDMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {3, 0, 1, 2}, 0), eOk);
    last->appendOdDbEntity(mesh);
  }
  insert(chain.back(), chain.front());
  const OdDbObjectId top = insert(db->getModelSpaceId(), chain.front());

  OdGeExtents3d extents;
  ASSERT_EQ(OdDbEntityPtr(top.safeOpenObject())->getGeomExtents(extents), eOk);
  EXPECT_EQ(extents.minPoint(), OdGePoint3d(kDepth, 0, 0));
  EXPECT_EQ(extents.maxPoint(), OdGePoint3d(kDepth + 1, 1, 0));
}

TEST(Entities, DefaultsBlockReferencesAndExtents)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addMaterial(db, L"Steel");

  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::createObject();
  block->setName(L"Bolt");
  const OdDbObjectId blockId = blocks->add(block);

  OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
  mesh->setDatabaseDefaults(db);
  EXPECT_EQ(mesh->materialId(), db->byLayerMaterialId());
  EXPECT_EQ(mesh->layer(), OdString(L"0"));
  ASSERT_EQ(mesh->setSubDMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {3, 0, 1, 2}, 0), eOk);
  // Names are looked up in the entity's own database.
  EXPECT_EQ(mesh->setMaterial(L"steel"), eKeyNotFound);
  block->appendOdDbEntity(mesh);
  EXPECT_EQ(mesh->setMaterial(L"steel"), eOk);
  EXPECT_EQ(mesh->setMaterial(L"nothing"), eKeyNotFound);
  EXPECT_EQ(mesh->material(), OdString(L"Steel"));

  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbBlockReferencePtr insert = OdDbBlockReference::createObject();
  insert->setDatabaseDefaults(db);
  insert->setBlockTableRecord(blockId);
  insert->setPosition(OdGePoint3d(10, 0, 0));
  model->appendOdDbEntity(insert);
  OdGeExtents3d extents;
  ASSERT_EQ(insert->getGeomExtents(extents), eOk);
  EXPECT_EQ(extents.minPoint(), OdGePoint3d(10, 0, 0));
  EXPECT_EQ(extents.maxPoint(), OdGePoint3d(11, 1, 0));
  EXPECT_EQ(steel, mesh->materialId());
}

TEST(Entities, SubDMeshRefusesMalformedFaces)
{
  OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
  const OdGePoint3dArray points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  EXPECT_EQ(mesh->setSubDMesh(points, {3, 0, 1, 3}, 0), eInvalidInput); // vertex out of range
  EXPECT_EQ(mesh->setSubDMesh(points, {4, 0, 1, 2}, 0), eInvalidInput); // runs past the end
  EXPECT_EQ(mesh->setSubDMesh(points, {2, 0, 1}, 0), eInvalidInput);    // not a face
  EXPECT_EQ(mesh->setSubDMesh(points, {3, 0, 1, -1}, 0), eInvalidInput);
  EXPECT_EQ(mesh->setSubDMesh(points, {3, 0, 1, 2}, -1), eInvalidInput);
  EXPECT_EQ(mesh->numOfVertices(), 0);
  EXPECT_EQ(mesh->setSubDMesh(points, {3, 0, 1, 2, 3, 2, 1, 0}, 0), eOk);
  EXPECT_EQ(mesh->numOfFaces(), 2);
}

TEST(Entities, PolyFaceMaterialReachesSubEntities)
{
  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::createObject();
  mesh->setDatabaseDefaults(db);
  OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
  vertex->setDatabaseDefaults(db);
  mesh->appendVertex(vertex);
  OdDbFaceRecordPtr face = OdDbFaceRecord::createObject();
  face->setDatabaseDefaults(db);
  face->setVertexAt(0, 1);
  face->makeEdgeInvisibleAt(2);
  EXPECT_THROW(face->setVertexAt(4, 1), OdError);
  mesh->appendFaceRecord(face);
  mesh->setMaterial(steel, true);
  EXPECT_EQ(mesh->vertexAt(0)->materialId(), steel);
  EXPECT_EQ(mesh->faceAt(0)->materialId(), steel);
  EXPECT_FALSE(mesh->faceAt(0)->isEdgeVisibleAt(2));
  EXPECT_THROW(mesh->faceAt(1), OdError);
  mesh->setMaterial(db->byLayerMaterialId(), false);
  EXPECT_EQ(mesh->vertexAt(0)->materialId(), steel);
}

TEST(Groups, MembersInOrderWithoutErasedOnes)
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectId ids[3];
  for (auto& id : ids)
  {
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    mesh->setDatabaseDefaults(db);
    id = model->appendOdDbEntity(mesh);
  }
  OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbGroupPtr group = OdDbGroup::createObject();
  groups->setAt(L"Fasteners", group);
  group->append(ids[2]);
  group->append(ids[0]);
  group->append(ids[2]);
  group->append(ids[1]);
  ids[0].safeOpenObject(OdDb::kForWrite)->erase();
  OdDbObjectIdArray members;
  EXPECT_EQ(group->allEntityIds(members), 2u);
  EXPECT_EQ(members, (OdDbObjectIdArray{ids[2], ids[1]}));
  EXPECT_EQ(group->name(), OdString(L"Fasteners"));
}

TEST(RunTimeClasses, RegistrationByNameAndRemoval)
{
  OdRxClass* cls = newOdRxClass(L"TestReactorClass", OdDbDatabaseReactor::desc());
  EXPECT_EQ(odrxFindClass(L"TestReactorClass"), cls);
  EXPECT_TRUE(cls->isDerivedFrom(OdRxObject::desc()));
  EXPECT_FALSE(cls->isDerivedFrom(OdDbObject::desc()));
  EXPECT_EQ(errorCode([] { newOdRxClass(L"TestReactorClass", nullptr); }), eDuplicateKey);
  EXPECT_EQ(errorCode([&] { cls->create(); }), eNotApplicable);
  deleteOdRxClass(cls);
  EXPECT_EQ(odrxFindClass(L"TestReactorClass"), nullptr);
  EXPECT_EQ(odrxFindClass(L"OdDbMaterial"), OdDbMaterial::desc());
}
