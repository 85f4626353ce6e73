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
  HostDocument* document = host.newDocument(L"A");
  OdDbDatabase* db = document->database();
  me::IMeManager* manager = me::managerService();
  Recorder browser{"browser"};

  void SetUp() override
  {
    ASSERT_NE(manager, nullptr);
    manager->addReactor(&browser);
    manager->setDatabase(db);
    browser.events.clear();
  }

  std::vector<OdString> listedNames()
  {
    OdDbObjectIdArray ids;
    EXPECT_TRUE(manager->collectMaterials(ids));
    std::vector<OdString> names;
    for (const auto& id : ids)
      names.push_back(OdDbMaterialPtr(id.safeOpenObject())->name());
    return names;
  }
};
} // namespace

TEST_F(Manager, BindsOnceAndWatchesOnlyTheBoundDatabase)
{
  manager->setDatabase(db);
  EXPECT_TRUE(browser.events.empty());

  HostDocument* other = host.newDocument(L"B");
  manager->setDatabase(other->database());
  EXPECT_EQ(browser.events, std::vector<std::string>{"database"});
  EXPECT_FALSE(db->hasReactor(static_cast<me::MeManager*>(manager)));

  browser.events.clear();
  addMaterial(db, L"Unseen");
  addMaterial(other->database(), L"Seen");
  EXPECT_EQ(browser.events, std::vector<std::string>{"added Seen"});
}

TEST_F(Manager, ForwardsMaterialChangesOnly)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  addLayer(db, L"Walls", steel);
  addMesh(db->getModelSpaceId(), steel);
  OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForWrite))->setDescription(L"brushed");
  steel.safeOpenObject(OdDb::kForWrite)->erase();
  EXPECT_EQ(browser.events, (std::vector<std::string>{"added Steel", "changed Steel", "erased Steel"}));

  // Undoing the erasure is reported as an erasure, never as an addition.
  browser.events.clear();
  steel.safeOpenObject(OdDb::kForWrite, true)->erase(false);
  ASSERT_FALSE(browser.events.empty());
  EXPECT_EQ(browser.events.front(), "erased Steel");
  EXPECT_EQ(std::count(browser.events.begin(), browser.events.end(), "added Steel"), 0);
}

TEST_F(Manager, ListsMaterialsWithoutByBlockAndByLayer)
{
  host.setTranslation(L"ByLayer", L"VonLayer");
  addMaterial(db, L"VonLayer");
  addMaterial(db, L"BYBLOCK");
  addMaterial(db, L"Global material");
  addMaterial(db, L"brick");
  EXPECT_EQ(listedNames(), (std::vector<OdString>{L"brick", L"Global", L"Global material"}));

  std::list<OdDbObjectId> asList{OdDbObjectId()};
  EXPECT_TRUE(manager->collectMaterials(asList));
  ASSERT_EQ(asList.size(), 4u); // appended after what was there
  EXPECT_TRUE(asList.front().isNull());
  EXPECT_EQ(*std::next(asList.begin(), 2), manager->globalMaterialId());
}

TEST_F(Manager, StandardMaterialsAndUnboundLookups)
{
  EXPECT_EQ(manager->byLayerMaterialId(), db->byLayerMaterialId());
  EXPECT_EQ(manager->byBlockMaterialId(), db->byBlockMaterialId());
  EXPECT_EQ(manager->globalMaterialId(), db->globalMaterialId());
  EXPECT_NE(manager->byLayerMaterialId(), manager->globalMaterialId());

  // A drawing without the standard contents has no material dictionary.
  OdDbDatabasePtr bare = odCreateDatabase(false);
  manager->setDatabase(bare);
  EXPECT_TRUE(manager->byLayerMaterialId().isNull());
  OdDbObjectIdArray ids;
  EXPECT_FALSE(manager->collectMaterials(ids));
  manager->detachDatabase();
  EXPECT_FALSE(manager->collectMaterials(ids));
  EXPECT_TRUE(manager->globalMaterialId().isNull());
}

TEST_F(Manager, AddMaterialRefusesTakenNamesAndBadMaterials)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  const auto entries = [&] { return OdDbDictionaryPtr(db->getMaterialDictionaryId().safeOpenObject())->numEntries(); };
  const OdUInt32 before = entries();
  OdDbMaterialPtr copy = OdDbMaterial::createObject();
  copy->setName(L"STEEL");
  browser.events.clear();
  EXPECT_EQ(manager->addMaterial(copy), eDuplicateKey);
  EXPECT_FALSE(copy->isDBRO());
  EXPECT_EQ(entries(), before);
  EXPECT_EQ(OdDbDictionaryPtr(db->getMaterialDictionaryId().safeOpenObject())->getAt(L"steel"), steel);

  copy->setName(L"Copper");
  EXPECT_EQ(manager->addMaterial(copy), eOk);
  EXPECT_EQ(browser.events, std::vector<std::string>{"added Copper"});
  EXPECT_EQ(manager->addMaterial(copy), eAlreadyInDb);
  EXPECT_EQ(manager->addMaterial(nullptr), eNullPtr);
  EXPECT_EQ(manager->addMaterial(OdDbMaterial::createObject()), eInvalidInput);

  manager->detachDatabase();
  OdDbMaterialPtr loose = OdDbMaterial::createObject();
  loose->setName(L"Loose");
  EXPECT_EQ(manager->addMaterial(loose), eInvalidOpenState);
}

TEST_F(Manager, RemoveMaterialCodes)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  EXPECT_EQ(manager->removeMaterial(L"Nothing"), eInvalidObjectId);
  EXPECT_EQ(manager->removeMaterial(L"steel"), eOk);
  EXPECT_TRUE(steel.isErased());
  EXPECT_FALSE(OdDbDictionaryPtr(db->getMaterialDictionaryId().safeOpenObject())->has(L"Steel"));

  // The standard materials refuse to go and keep their entries.
  const OdDbObjectId global = db->globalMaterialId();
  EXPECT_EQ(manager->removeMaterial(L"Global"), eCannotBeErasedByCaller);
  EXPECT_FALSE(global.isErased());
  EXPECT_EQ(db->globalMaterialId(), global);

  // Something else stored under a material key is an error of its class.
  {
    OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
    dictionary->setAt(L"Odd", OdDbDictionary::createObject());
  }
  EXPECT_THROW(manager->removeMaterial(L"Odd"), OdError_NotThatKindOfClass);

  {
    OdDbObjectPtr busy = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(manager->removeMaterial(L"Odd"), eInvalidOpenState);
  }
  manager->detachDatabase();
  EXPECT_EQ(manager->removeMaterial(L"Odd"), eNoDatabase);
}

TEST_F(Manager, ReleaseAndDetach)
{
  Recorder editor{"editor"};
  manager->addReactor(&editor);
  manager->addReactor(&editor);
  manager->addReactor(&browser);
  EXPECT_EQ(static_cast<me::MeManager*>(manager)->reactors().size(), 2u);

  OdDbDatabasePtr other = odCreateDatabase();
  manager->releaseDatabase(other);
  manager->releaseDatabase(nullptr);
  EXPECT_EQ(manager->database(), db);
  EXPECT_EQ(static_cast<me::MeManager*>(manager)->reactors().size(), 2u);

  manager->releaseDatabase(db);
  EXPECT_EQ(manager->database(), nullptr);
  EXPECT_TRUE(static_cast<me::MeManager*>(manager)->reactors().empty());
  EXPECT_TRUE(browser.events.empty());
  EXPECT_TRUE(editor.events.empty());

  // Detaching keeps the observers but stops watching.
  manager->addReactor(&browser);
  manager->setDatabase(db);
  manager->detachDatabase();
  addMaterial(db, L"Late");
  EXPECT_EQ(browser.events, std::vector<std::string>{"database"});
  EXPECT_EQ(static_cast<me::MeManager*>(manager)->reactors().size(), 1u);
}

TEST_F(Manager, ClosingKeepsObserversThatRefuse)
{
  std::vector<std::string> journal;
  Recorder shown{"shown", false}, editor{"editor"};
  manager->removeReactor(&browser);
  manager->addReactor(&editor);
  manager->addReactor(&shown);
  manager->addReactor(&browser);
  editor.journal = shown.journal = browser.journal = &journal;

  manager->closing();
  EXPECT_EQ(journal, (std::vector<std::string>{"editor closing", "editor detached", "shown closing", "browser closing",
                                               "browser detached"}));
  EXPECT_EQ(static_cast<me::MeManager*>(manager)->reactors(), std::vector<me::IMeManagerReactor*>{&shown});
  manager->removeReactor(&shown);
  manager->removeReactor(&shown);
  EXPECT_TRUE(static_cast<me::MeManager*>(manager)->reactors().empty());
}

TEST_F(Manager, DatabaseGoingAwayUnbinds)
{
  OdDbDatabasePtr temporary = odCreateDatabase();
  manager->setDatabase(temporary);
  temporary = nullptr;
  EXPECT_EQ(manager->database(), nullptr);
  manager->setDatabase(db); // would touch the dead database if it were still bound
  EXPECT_EQ(manager->database(), db);
}

TEST(ManagerClass, RunTimeClassAndReferenceCount)
{
  TestHost host;
  auto* manager = static_cast<me::MeManager*>(me::managerService());
  EXPECT_EQ(manager->isA(), OdDbDatabaseReactor::desc());

  me::registerManagerClass();
  me::registerManagerClass();
  ASSERT_NE(me::managerClass(), nullptr);
  EXPECT_EQ(manager->isA()->name(), OdString(L"MeManager"));
  EXPECT_TRUE(manager->isKindOf(OdDbDatabaseReactor::desc()));
  EXPECT_EQ(odrxFindClass(L"MeManager"), me::managerClass());
  me::unregisterManagerClass();
  EXPECT_EQ(odrxFindClass(L"MeManager"), nullptr);
  EXPECT_EQ(manager->isA(), OdDbDatabaseReactor::desc());

  // Databases hold and drop the observer part; it never deletes itself.
  EXPECT_EQ(manager->numRefs(), 1);
  {
    OdDbDatabasePtr a = odCreateDatabase();
    manager->setDatabase(a);
    EXPECT_EQ(manager->numRefs(), 2);
  }
  EXPECT_EQ(manager->numRefs(), 1);
  OdDbDatabaseReactorPtr held(manager);
  held = nullptr;
  EXPECT_EQ(manager->numRefs(), 1);
}
