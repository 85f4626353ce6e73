#include "ManagerTestSupport.h"

#include "core/MeMaterialOperations.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"

#include <gtest/gtest.h>

using namespace mt;

namespace
{
class Operations : public ::testing::Test
{
protected:
  TestHost host;
  OdDbDatabase* db = host.newDocument(L"A")->database();
  me::IMeManager* manager = me::managerService();
  OdDbObjectId model = db->getModelSpaceId();
  OdDbObjectId steel = addMaterial(db, L"Steel");

  void SetUp() override
  {
    ASSERT_NE(manager, nullptr);
    manager->setDatabase(db);
  }
  OdString nameOf(const OdDbObjectId& id) { return OdDbMaterialPtr(id.safeOpenObject(OdDb::kForRead, true))->name(); }
};

// Stands in for the Material editor palette: counts the events it gets.
struct PaletteService : me::IMeServiceItem
{
  std::vector<int>* events;
  explicit PaletteService(std::vector<int>* log) : events(log) {}
  void onServiceEvent(int event, void*) override { events->push_back(event); }
};

// Counts modifications per object.
struct ModificationCounter : OdDbDatabaseReactor
{
  OdDbObjectIdArray modified;
  void objectModified(const OdDbDatabase*, const OdDbObject* object) override { modified.push_back(object->objectId()); }
};
} // namespace

TEST(NameRules, InvalidCharactersAndReservedNames)
{
  TestHost host;
  for (const wchar_t* c = me::kInvalidNameCharacters; *c; ++c)
    EXPECT_TRUE(me::hasInvalidCharacters(OdString(L"Steel") + OdString(*c, 1))) << int(*c);
  EXPECT_EQ(OdString(me::kInvalidNameCharacters).getLength(), 14);
  EXPECT_FALSE(me::hasInvalidCharacters(L"Steel (brushed) - 2.5% #1"));

  host.setTranslation(L"Global", L"Allgemein");
  host.setTranslation(L"ByLayer", L"VonLayer");
  for (const wchar_t* name : {L"GLOBAL", L"By Layer", L"bylayer", L"ByBlock", L"by block", L"allgemein", L"VONLAYER"})
    EXPECT_TRUE(me::isReservedMaterialName(name)) << OdString(name).toUtf8();
  for (const wchar_t* name : {L"Global material", L"ByLayers", L"", L"By  Layer"})
    EXPECT_FALSE(me::isReservedMaterialName(name)) << OdString(name).toUtf8();
  EXPECT_TRUE(me::isByBlockOrByLayerName(L"vonlayer"));
  EXPECT_FALSE(me::isByBlockOrByLayerName(L"Global"));
}

TEST_F(Operations, NewNameIsCheckedBeforeItIsGiven)
{
  const OdDbObjectId copper = addMaterial(db, L"Copper");
  EXPECT_EQ(me::applyNewMaterialName(copper, nullptr), me::NewNameOutcome::Cancelled);
  EXPECT_EQ(me::applyNewMaterialName(copper, L""), me::NewNameOutcome::RefusedSilently);
  EXPECT_TRUE(host.messages.empty());

  EXPECT_EQ(me::applyNewMaterialName(copper, L"Bronze`"), me::NewNameOutcome::RefusedInvalidCharacters);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, me::loadString(me::kStrInvalidCharacters));
  EXPECT_EQ(host.messages[0].icon, kHostIconExclamation);

  host.messages.clear();
  EXPECT_EQ(me::applyNewMaterialName(copper, L"steel"), me::NewNameOutcome::RefusedNameExists);
  EXPECT_EQ(me::applyNewMaterialName(copper, L"GLOBAL"), me::NewNameOutcome::RefusedNameExists);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_NE(host.messages[0].text.find(L"\"steel\""), -1);
  EXPECT_EQ(host.messages[1].icon, kHostIconExclamation);
  EXPECT_EQ(nameOf(copper), OdString(L"Copper"));
}

TEST_F(Operations, HostileNamesGoIntoTheMessageAsPlainText)
{
  const OdDbObjectId copper = addMaterial(db, L"Copper");
  const OdString hostile[] = {L"%s%s%s%n%d", OdString(L'x', 10000) + L"%n"};
  for (const OdString& name : hostile)
  {
    addMaterial(db, name);
    host.messages.clear();
    EXPECT_EQ(me::applyNewMaterialName(copper, name), me::NewNameOutcome::RefusedNameExists);
    ASSERT_EQ(host.messages.size(), 1u);
    const OdString& text = host.messages[0].text;
    const OdString format = me::loadString(me::kStrMaterialExists);
    EXPECT_EQ(text.getLength(), format.getLength() - 2 + name.getLength());
    EXPECT_EQ(text.left(format.find(L"%s")) + name, text.left(format.find(L"%s") + name.getLength()));
  }
  EXPECT_EQ(nameOf(copper), OdString(L"Copper"));
}

TEST_F(Operations, AcceptedNameRenamesAndTellsTheEditorPalette)
{
  std::vector<int> events;
  me::appServices()->registerService(me::kMaterialEditorPaletteService, new PaletteService(&events));
  EXPECT_EQ(me::applyNewMaterialName(steel, L"Brushed steel"), me::NewNameOutcome::Accepted);
  EXPECT_EQ(nameOf(steel), OdString(L"Brushed steel"));
  EXPECT_TRUE(me::materialNameExists(db, L"BRUSHED STEEL"));
  EXPECT_FALSE(me::materialNameExists(db, L"Steel"));
  EXPECT_EQ(events, std::vector<int>{me::kEventMaterialRenamed});
  // A standard material keeps its name even if asked directly.
  EXPECT_EQ(me::applyNewMaterialName(db->globalMaterialId(), L"Other"), me::NewNameOutcome::RefusedSilently);
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(Operations, FindsUsersThroughNestedAndRepeatedInserts)
{
  // Inner is inserted twice by Outer, Outer once by model space; the entity
  // is also in a group.
  const OdDbObjectId inner = addBlock(db, L"Inner"), outer = addBlock(db, L"Outer");
  const OdDbObjectId bolt = addMesh(inner, steel);
  addMesh(inner); // uses another material
  addInsert(outer, inner);
  addInsert(outer, inner);
  addInsert(model, outer);
  const OdDbObjectId plate = addMesh(model, steel);
  addGroup(db, L"Fasteners", {bolt});
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);

  OdDbObjectIdArray users;
  me::findMaterialUsers(db, L"STEEL", users);
  // Inner's own walk, twice through Outer's walk, twice more through model
  // space, and the group.
  EXPECT_EQ(countOf(users, bolt), 1 + 2 + 2 + 1);
  EXPECT_EQ(countOf(users, plate), 1);
  EXPECT_EQ(countOf(users, walls), 1);
  EXPECT_EQ(int(users.size()), 6 + 1 + 1);

  // Yes: every user is reset once to the by-layer material.
  OdSmartPtr<ModificationCounter> counter(new ModificationCounter);
  db->addReactor(counter);
  host.queueAnswer(kHostAnswerYes);
  const me::RemoveResult result = me::removeMaterialWithUsers(steel);
  db->removeReactor(counter);
  EXPECT_EQ(result.outcome, me::RemoveOutcome::Removed);
  EXPECT_EQ(countOf(counter->modified, bolt), 1);
  for (const auto& id : {bolt, plate})
    EXPECT_EQ(materialOfEntity(id), db->byLayerMaterialId());
  EXPECT_EQ(materialOfLayer(walls), db->byLayerMaterialId());
  EXPECT_TRUE(steel.isErased());
  EXPECT_FALSE(me::materialNameExists(db, L"Steel"));
}

TEST_F(Operations, SelfInsertingBlocksCannotHangTheSearch)
{
  const OdDbObjectId a = addBlock(db, L"A"), b = addBlock(db, L"B");
  const OdDbObjectId inA = addMesh(a, steel);
  addInsert(a, a);
  addInsert(a, b);
  addInsert(b, a);
  addInsert(model, a);
  OdDbObjectIdArray users;
  me::findMaterialUsers(db, L"Steel", users);
  // Walks of A start at A (table), at B (table) and in model space; each
  // walk enters A once and stops where A would insert itself again.
  EXPECT_EQ(countOf(users, inA), 3);
}

TEST_F(Operations, WithoutTheDictionaryEntryOnlyLayersAndGroupsAreSearched)
{
  const OdDbObjectId loose = addMesh(model, steel), grouped = addMesh(model, steel);
  addGroup(db, L"G", {grouped});
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);
  OdDbDictionaryPtr(db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite))->remove(L"Steel");

  OdDbObjectIdArray users;
  me::findMaterialUsers(db, L"Steel", users);
  EXPECT_EQ(users, (OdDbObjectIdArray{walls, grouped}));
  EXPECT_EQ(countOf(users, loose), 0);
}

TEST_F(Operations, RemovingAMaterialUsedOnlyByALayer)
{
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, me::RemoveOutcome::Declined);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, me::loadString(me::kStrMaterialInUse));
  EXPECT_EQ(host.messages[0].icon, kHostIconQuestion);
  EXPECT_EQ(host.messages[0].buttons, kHostButtonsYesNo);
  EXPECT_EQ(materialOfLayer(walls), steel);
  EXPECT_FALSE(steel.isErased());

  host.queueAnswer(kHostAnswerYes);
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, me::RemoveOutcome::Removed);
  EXPECT_EQ(materialOfLayer(walls), db->byLayerMaterialId());
  EXPECT_TRUE(steel.isErased());
}

TEST_F(Operations, UnusedMaterialGoesWithoutAQuestionAndCurrentOneIsReset)
{
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, me::RemoveOutcome::Removed);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(steel.isErased());

  const OdDbObjectId wood = addMaterial(db, L"Wood");
  db->setCMATERIAL(wood);
  EXPECT_TRUE(me::isCurrentMaterial(db, L"WOOD"));
  host.queueAnswer(kHostAnswerYes);
  EXPECT_EQ(me::removeMaterialWithUsers(wood).outcome, me::RemoveOutcome::Removed);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(db->getCMATERIAL(), db->byLayerMaterialId());
}

TEST_F(Operations, RemovalThatCannotFinishChangesNothing)
{
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);
  const OdDbObjectId plate = addMesh(model, steel);
  {
    OdDbObjectPtr busy = plate.safeOpenObject(OdDb::kForWrite);
    host.queueAnswer(kHostAnswerYes);
    const me::RemoveResult result = me::removeMaterialWithUsers(steel);
    EXPECT_EQ(result.outcome, me::RemoveOutcome::Refused);
    EXPECT_EQ(result.code, eWasOpenedForWrite);
  }
  EXPECT_EQ(materialOfLayer(walls), steel);
  EXPECT_EQ(materialOfEntity(plate), steel);
  EXPECT_FALSE(steel.isErased());

  // Standard materials and materials of an unbound drawing are refused unasked.
  host.messages.clear();
  EXPECT_EQ(me::removeMaterialWithUsers(db->globalMaterialId()).code, eCannotBeErasedByCaller);
  manager->detachDatabase();
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, me::RemoveOutcome::Refused);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(steel.isErased());
}

TEST_F(Operations, ApplyToSelection)
{
  const OdDbObjectId plate = addMesh(model), erased = addMesh(model);
  const OdDbObjectId before = materialOfEntity(plate);
  EXPECT_EQ(me::applyMaterialToSelection(steel), 0u);
  EXPECT_EQ(materialOfEntity(plate), before);

  erased.safeOpenObject(OdDb::kForWrite)->erase();
  host.select({db->getLayerZeroId(), erased, plate});
  EXPECT_EQ(me::applyMaterialToSelection(steel), 1u);
  EXPECT_EQ(materialOfEntity(plate), steel);
  // An id that is no live material changes nothing.
  EXPECT_EQ(me::applyMaterialToSelection(db->getLayerZeroId()), 0u);
  OdDbDatabasePtr other = odCreateDatabase();
  EXPECT_EQ(me::applyMaterialToSelection(addMaterial(other, L"Foreign")), 0u);
  EXPECT_EQ(materialOfEntity(plate), steel);
}
