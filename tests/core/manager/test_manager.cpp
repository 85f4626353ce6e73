#include "ManagerTestSupport.h"

#include "core/MeManager.h"
#include "core/MeServices.h"

#include <gtest/gtest.h>

using namespace mt;

namespace
{
class Manager : public ::testing::Test
{
protected:
  TestHost host;
  OdDbDatabase* db = host.newDocument(L"A")->database();
  me::MeManager* manager = dynamic_cast<me::MeManager*>(me::managerService());
  Recorder browser{"browser"};

  void SetUp() override
  {
    ASSERT_NE(manager, nullptr);
    manager->addReactor(&browser);
    manager->setDatabase(db);
    browser.events.clear();
  }
  OdDbDictionaryPtr dictionary() { return db->getMaterialDictionaryId().safeOpenObject(); }
};
} // namespace

TEST_F(Manager, BindsOnceAndWatchesOnlyTheBoundDatabase)
{
  manager->setDatabase(db);
  EXPECT_TRUE(browser.events.empty());

  OdDbDatabase* other = host.newDocument(L"B")->database();
  manager->setDatabase(other);
  addMaterial(db, L"Unseen");
  addMaterial(other, L"Seen");
  EXPECT_EQ(browser.events, (Lines{"database", "added Seen"}));
}

TEST_F(Manager, ForwardsMaterialChangesOnly)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);
  addMesh(db->getModelSpaceId(), steel);
  OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForWrite))->setDescription(L"brushed");
  steel.safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_EQ(browser.events, (Lines{"added Steel", "changed Steel", "erased Steel"}));

  // Other objects erased and brought back are no news to the palettes.
  browser.events.clear();
  walls.safeOpenObject(OdDb::kForWrite)->erase();
  walls.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  EXPECT_TRUE(browser.events.empty());
}

TEST_F(Manager, AnErasureUndoneIsReportedAsAddedAndErasedAgainAsErased)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  browser.events.clear();
  // As undo and redo do it: the flag goes back and forth.
  steel.safeOpenObject(OdDb::kForWrite)->erase(true);
  EXPECT_EQ(browser.events, Lines{"erased Steel"});

  browser.events.clear();
  steel.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  ASSERT_FALSE(browser.events.empty());
  EXPECT_EQ(browser.events.front(), "added Steel");
  EXPECT_EQ(std::count(browser.events.begin(), browser.events.end(), "erased Steel"), 0);

  browser.events.clear();
  steel.safeOpenObject(OdDb::kForWrite)->erase(true);
  EXPECT_EQ(browser.events, Lines{"erased Steel"});

  // A flag that does not change fires nothing, and a drawing the manager
  // does not watch is not heard.
  browser.events.clear();
  EXPECT_NE(steel.safeOpenObject(OdDb::kForWrite, true)->erase(true), eOk);
  OdDbDatabase* other = host.newDocument(L"B")->database();
  const OdDbObjectId elsewhere = addMaterial(other, L"Elsewhere");
  elsewhere.safeOpenObject(OdDb::kForWrite)->erase(true);
  elsewhere.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  EXPECT_TRUE(browser.events.empty());
}

TEST_F(Manager, EveryObserverHearsAMaterialBroughtBackInRegistrationOrder)
{
  Lines journal;
  Recorder editor{"editor"};
  browser.journal = &journal;
  editor.journal = &journal;
  manager->addReactor(&editor);
  const OdDbObjectId oak = addMaterial(db, L"Oak");
  oak.safeOpenObject(OdDb::kForWrite)->erase(true);
  journal.clear();
  oak.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(journal[0], "browser added Oak");
  EXPECT_EQ(journal[1], "editor added Oak");
  // The object is written while it comes back: its change follows.
  EXPECT_NE(std::find(journal.begin(), journal.end(), "browser changed Oak"), journal.end());
  manager->removeReactor(&editor);
}

TEST_F(Manager, ListsMaterialsWithoutByBlockAndByLayer)
{
  host.setTranslation(L"ByLayer", L"VonLayer");
  for (const wchar_t* name : {L"VonLayer", L"BYBLOCK", L"Global material", L"brick"})
    addMaterial(db, name);
  OdDbObjectIdArray ids;
  EXPECT_TRUE(manager->collectMaterials(ids));
  std::vector<OdString> names;
  for (const auto& id : ids)
    names.push_back(OdDbMaterialPtr(id.safeOpenObject())->name());
  EXPECT_EQ(names, (std::vector<OdString>{L"brick", L"Global", L"Global material"}));

  std::list<OdDbObjectId> asList{OdDbObjectId()};
  EXPECT_TRUE(manager->collectMaterials(asList));
  EXPECT_EQ(asList, (std::list<OdDbObjectId>{OdDbObjectId(), ids[0], ids[1], ids[2]})); // appended
  EXPECT_EQ(ids[1], manager->globalMaterialId());
  EXPECT_EQ(manager->byLayerMaterialId(), db->byLayerMaterialId());
  EXPECT_EQ(manager->byBlockMaterialId(), db->byBlockMaterialId());

  // Unbound, or bound to a drawing without a material dictionary: nothing.
  OdDbDatabasePtr bare = odCreateDatabase(false);
  manager->setDatabase(bare);
  EXPECT_FALSE(manager->collectMaterials(ids));
  EXPECT_TRUE(manager->byLayerMaterialId().isNull());
  manager->detachDatabase();
  EXPECT_FALSE(manager->collectMaterials(asList));
  EXPECT_TRUE(manager->globalMaterialId().isNull());
}

TEST_F(Manager, AddMaterialRefusesTakenNamesAndBadMaterials)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  const OdUInt32 before = dictionary()->numEntries();
  OdDbMaterialPtr copy = OdDbMaterial::createObject();
  copy->setName(L"STEEL");
  browser.events.clear();
  EXPECT_EQ(manager->addMaterial(copy), eDuplicateKey);
  EXPECT_FALSE(copy->isDBRO());
  EXPECT_EQ(dictionary()->numEntries(), before);
  EXPECT_EQ(dictionary()->getAt(L"steel"), steel);

  copy->setName(L"Copper");
  EXPECT_EQ(manager->addMaterial(copy), eOk);
  EXPECT_EQ(browser.events, Lines{"added Copper"});
  EXPECT_EQ(manager->addMaterial(copy), eAlreadyInDb);
  EXPECT_EQ(manager->addMaterial(nullptr), eNullPtr);
  EXPECT_EQ(manager->addMaterial(OdDbMaterial::createObject()), eInvalidInput); // no name
  manager->detachDatabase();
  EXPECT_EQ(manager->addMaterial(OdDbMaterial::createObject()), eInvalidOpenState);
}

TEST_F(Manager, RemoveMaterialCodes)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  EXPECT_EQ(manager->removeMaterial(L"Nothing"), eInvalidObjectId);
  EXPECT_EQ(manager->removeMaterial(L"steel"), eOk);
  EXPECT_TRUE(steel.isErased());
  EXPECT_FALSE(dictionary()->has(L"Steel"));

  // A standard material refuses to go and keeps its entry.
  const OdDbObjectId global = db->globalMaterialId();
  EXPECT_EQ(manager->removeMaterial(L"Global"), eCannotBeErasedByCaller);
  EXPECT_FALSE(global.isErased());
  EXPECT_EQ(db->globalMaterialId(), global);

  OdDbDictionaryPtr(db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite))->setAt(L"Odd", OdDbDictionary::createObject());
  EXPECT_THROW(manager->removeMaterial(L"Odd"), OdError_NotThatKindOfClass);
  {
    OdDbObjectPtr busy = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(manager->removeMaterial(L"Odd"), eInvalidOpenState);
  }
  manager->detachDatabase();
  EXPECT_EQ(manager->removeMaterial(L"Odd"), eNoDatabase);
}

TEST_F(Manager, ReleaseOnlyTheBoundDatabase)
{
  Recorder editor{"editor"};
  manager->addReactor(&editor);
  manager->addReactor(&editor);
  manager->addReactor(&browser);
  EXPECT_EQ(manager->reactors(), (std::vector<me::IMeManagerReactor*>{&browser, &editor}));

  OdDbDatabasePtr other = odCreateDatabase();
  manager->releaseDatabase(other);
  manager->releaseDatabase(nullptr);
  EXPECT_EQ(manager->database(), db);
  EXPECT_EQ(manager->reactors().size(), 2u);

  manager->releaseDatabase(db);
  EXPECT_EQ(manager->database(), nullptr);
  EXPECT_TRUE(manager->reactors().empty());
  addMaterial(db, L"Late");
  EXPECT_TRUE(browser.events.empty() && editor.events.empty());
}

TEST_F(Manager, ClosingKeepsObserversThatRefuse)
{
  Lines journal;
  Recorder shown{"shown", false}, editor{"editor"};
  manager->removeReactor(&browser);
  for (Recorder* r : {&editor, &shown, &browser})
  {
    manager->addReactor(r);
    r->journal = &journal;
  }
  manager->closing();
  EXPECT_EQ(journal, (Lines{"editor closing", "editor detached", "shown closing", "browser closing", "browser detached"}));
  EXPECT_EQ(manager->reactors(), std::vector<me::IMeManagerReactor*>{&shown});
}

TEST_F(Manager, DatabaseGoingAwayUnbinds)
{
  OdDbDatabasePtr temporary = odCreateDatabase();
  manager->setDatabase(temporary);
  temporary = nullptr;
  EXPECT_EQ(manager->database(), nullptr);
  manager->setDatabase(db); // would touch the dead database if still bound
  EXPECT_EQ(manager->database(), db);
}

TEST_F(Manager, RunTimeClassAndReferenceCount)
{
  EXPECT_EQ(manager->isA(), OdDbDatabaseReactor::desc());
  me::registerManagerClass();
  me::registerManagerClass();
  ASSERT_NE(me::managerClass(), nullptr);
  EXPECT_EQ(manager->isA()->name(), OdString(L"MeManager"));
  EXPECT_TRUE(manager->isKindOf(OdDbDatabaseReactor::desc()));
  me::unregisterManagerClass();
  EXPECT_EQ(odrxFindClass(L"MeManager"), nullptr);
  EXPECT_EQ(manager->isA(), OdDbDatabaseReactor::desc());

  // Databases hold and drop the observer part; it never deletes itself.
  EXPECT_EQ(manager->numRefs(), 2); // ours and db's
  {
    OdDbDatabasePtr other = odCreateDatabase();
    manager->setDatabase(other);
    EXPECT_EQ(manager->numRefs(), 2);
  }
  EXPECT_EQ(manager->numRefs(), 1);
}
