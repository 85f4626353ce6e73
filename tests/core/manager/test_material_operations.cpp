#include "ManagerTestSupport.h"

#include "core/MeMaterialOperations.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"

#include <gtest/gtest.h>

using namespace mt;
using me::NewNameOutcome;
using me::RemoveOutcome;

namespace
{
class Operations : public ::testing::Test
{
protected:
  TestHost host;
  OdDbDatabase* db = host.newDocument(L"A")->database();
  OdDbObjectId model = db->getModelSpaceId();
  OdDbObjectId steel = addMaterial(db, L"Steel");

  void SetUp() override { me::managerService()->setDatabase(db); }
  OdString nameOf(const OdDbObjectId& id) { return OdDbMaterialPtr(id.safeOpenObject(OdDb::kForRead, true))->name(); }
};

// Stands in for the Material editor palette.
struct PaletteService : me::IMeServiceItem
{
  std::vector<int>* events;
  explicit PaletteService(std::vector<int>* log) : events(log) {}
  void onServiceEvent(int event, void*) override { events->push_back(event); }
};

struct ModificationCounter : OdDbDatabaseReactor
{
  OdDbObjectIdArray modified;
  void objectModified(const OdDbDatabase*, const OdDbObject* object) override { modified.append(object->objectId()); }
};
} // namespace

TEST(NameRules, InvalidCharactersAndReservedNames)
{
  TestHost host;
  EXPECT_EQ(OdString(me::kInvalidNameCharacters).getLength(), 14);
  for (const wchar_t* c = me::kInvalidNameCharacters; *c; ++c)
    EXPECT_TRUE(me::hasInvalidCharacters(OdString(L"Steel") + OdString(*c, 1))) << int(*c);
  EXPECT_FALSE(me::hasInvalidCharacters(L"Steel (brushed) - 2.5% #1"));

  host.setTranslation(L"Global", L"Allgemein");
  host.setTranslation(L"ByLayer", L"VonLayer");
  for (const wchar_t* name : {L"GLOBAL", L"By Layer", L"bylayer", L"ByBlock", L"by block", L"allgemein", L"VONLAYER"})
    EXPECT_TRUE(me::isReservedMaterialName(name)) << OdString(name).toUtf8();
  for (const wchar_t* name : {L"Global material", L"ByLayers", L"", L"By  Layer"})
    EXPECT_FALSE(me::isReservedMaterialName(name)) << OdString(name).toUtf8();
  EXPECT_TRUE(me::isByBlockOrByLayerName(L"vonlayer"));
  EXPECT_FALSE(me::isByBlockOrByLayerName(L"Global"));

  // Lists and titles show a standard material in the host's language, any
  // other name as it is, even one that only begins like a standard one.
  EXPECT_EQ(me::displayMaterialName(L"Global"), OdString(L"Allgemein"));
  EXPECT_EQ(me::displayMaterialName(L"Global material"), OdString(L"Global material"));
  EXPECT_EQ(me::displayMaterialName(L"Allgemein"), OdString(L"Allgemein"));
}

TEST_F(Operations, NewNameIsCheckedBeforeItIsGiven)
{
  const OdDbObjectId copper = addMaterial(db, L"Copper");
  EXPECT_EQ(me::applyNewMaterialName(copper, nullptr), NewNameOutcome::Cancelled);
  EXPECT_EQ(me::applyNewMaterialName(copper, L""), NewNameOutcome::RefusedSilently);
  EXPECT_TRUE(host.messages.empty());

  EXPECT_EQ(me::applyNewMaterialName(copper, L"Bronze`"), NewNameOutcome::RefusedInvalidCharacters);
  EXPECT_EQ(me::applyNewMaterialName(copper, L"steel"), NewNameOutcome::RefusedNameExists);
  EXPECT_EQ(me::applyNewMaterialName(copper, L"GLOBAL"), NewNameOutcome::RefusedNameExists);
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[0].text, me::loadString(me::kStrInvalidCharacters));
  EXPECT_NE(host.messages[1].text.find(L"\"steel\""), -1);
  for (const auto& message : host.messages)
    EXPECT_EQ(message.icon, kHostIconExclamation);

  // Names are data, never formats, however long or strange.
  const OdString format = me::loadString(me::kStrMaterialExists);
  const int at = format.find(L"%s");
  for (const OdString& hostile : {OdString(L"%s%s%n%d"), OdString(L'x', 10000) + L"%n"})
  {
    addMaterial(db, hostile);
    EXPECT_EQ(me::applyNewMaterialName(copper, hostile), NewNameOutcome::RefusedNameExists);
    const OdString& text = host.messages.back().text;
    EXPECT_EQ(text.getLength(), format.getLength() - 2 + hostile.getLength());
    EXPECT_EQ(text.mid(at, hostile.getLength()), hostile);
  }
  EXPECT_EQ(nameOf(copper), OdString(L"Copper"));
}

TEST_F(Operations, AcceptedNameRenamesAndTellsTheEditorPalette)
{
  std::vector<int> events;
  me::appServices()->registerService(me::kMaterialEditorPaletteService, new PaletteService(&events));
  EXPECT_EQ(me::applyNewMaterialName(steel, L"Brushed steel"), NewNameOutcome::Accepted);
  EXPECT_TRUE(me::materialNameExists(db, L"BRUSHED STEEL"));
  EXPECT_FALSE(me::materialNameExists(db, L"Steel"));
  EXPECT_EQ(events, std::vector<int>{me::kEventMaterialRenamed});
  // A standard material keeps its name even when asked directly.
  EXPECT_EQ(me::applyNewMaterialName(db->globalMaterialId(), L"Other"), NewNameOutcome::RefusedSilently);
  EXPECT_EQ(events.size(), 1u);

  // Its own name is no other material's: as it stands it is left alone,
  // with another case it is a rename.
  OdSmartPtr<ModificationCounter> counter(new ModificationCounter);
  db->addReactor(counter);
  EXPECT_EQ(me::applyNewMaterialName(steel, L"Brushed steel"), NewNameOutcome::Unchanged);
  EXPECT_TRUE(counter->modified.isEmpty());
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(me::applyNewMaterialName(steel, L"brushed Steel"), NewNameOutcome::Accepted);
  EXPECT_EQ(nameOf(steel), OdString(L"brushed Steel"));
  EXPECT_EQ(counter->modified.size(), 1u);
  EXPECT_EQ(events.size(), 2u);
  db->removeReactor(counter);
  addMaterial(db, L"Copper");
  EXPECT_EQ(me::applyNewMaterialName(steel, L"COPPER"), NewNameOutcome::RefusedNameExists);
  EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(Operations, FindsUsersThroughNestedAndRepeatedInsertsAndResetsThemOnce)
{
  // Outer inserts Inner twice, model space inserts Outer; the bolt is also in a group.
  const OdDbObjectId inner = addBlock(db, L"Inner"), outer = addBlock(db, L"Outer");
  const OdDbObjectId bolt = addMesh(inner, steel);
  addMesh(inner);
  addInsert(outer, inner);
  addInsert(outer, inner);
  addInsert(model, outer);
  const OdDbObjectId plate = addMesh(model, steel);
  addGroup(db, L"Fasteners", {bolt});
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);

  OdDbObjectIdArray users;
  me::findMaterialUsers(db, L"STEEL", users);
  // Inner's own walk, two inserts in Outer's walk, two more through model space, the group.
  EXPECT_EQ(countOf(users, bolt), 1 + 2 + 2 + 1);
  EXPECT_EQ(countOf(users, plate), 1);
  EXPECT_EQ(countOf(users, walls), 1);
  EXPECT_EQ(users.size(), 8u);

  OdSmartPtr<ModificationCounter> counter(new ModificationCounter);
  db->addReactor(counter);
  host.queueAnswer(kHostAnswerYes);
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, RemoveOutcome::Removed);
  db->removeReactor(counter);
  EXPECT_EQ(countOf(counter->modified, bolt), 1);
  EXPECT_EQ(materialOfEntity(bolt), db->byLayerMaterialId());
  EXPECT_EQ(materialOfEntity(plate), db->byLayerMaterialId());
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
  // Walks from model space, A and B each enter A once and stop where it would recur.
  EXPECT_EQ(countOf(users, inA), 3);
}

TEST_F(Operations, GroupsNestedAsDeepAsTheDrawingGoesAreSearchedWithoutRecursion)
{
  // One group in the group dictionary holding a chain of 100,000 groups
  // (kept in a dictionary of their own, so that the search walks the chain
  // once), the last holding a mesh; the chain ends where it began.
  const OdDbObjectId mesh = addMesh(model, steel);
  OdDbDictionaryPtr named = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbDictionaryPtr chain = OdDbDictionary::createObject();
  named->setAt(L"CHAIN", chain);
  addGroup(db, L"Outer", {});
  OdDbObjectId previous = OdDbDictionaryPtr(db->getGroupDictionaryId().safeOpenObject())->getAt(L"Outer");
  const OdDbObjectId outer = previous;
  for (int i = 0; i < 100000; ++i)
  {
    OdDbGroupPtr group = OdDbGroup::createObject();
    const OdDbObjectId id = chain->setAt(OdString::format(L"G%d", i), group);
    OdDbGroupPtr(previous.safeOpenObject(OdDb::kForWrite))->append(id);
    previous = id;
  }
  OdDbGroupPtr last = previous.safeOpenObject(OdDb::kForWrite);
  last->append(mesh);
  last->append(outer);
  last = nullptr;
  chain = nullptr;
  named = nullptr;

  OdDbObjectIdArray users;
  me::findMaterialUsers(db, L"Steel", users);
  EXPECT_EQ(countOf(users, mesh), 1 + 1) << "model space, and once through the chain";
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

TEST_F(Operations, RemovalAsksOnlyWhenTheMaterialIsUsedOrCurrent)
{
  const OdDbObjectId walls = addLayer(db, L"Walls", steel);
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, RemoveOutcome::Declined);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, me::loadString(me::kStrMaterialInUse));
  EXPECT_EQ(host.messages[0].icon, kHostIconQuestion);
  EXPECT_EQ(host.messages[0].buttons, kHostButtonsYesNo);
  EXPECT_EQ(materialOfLayer(walls), steel);
  EXPECT_FALSE(steel.isErased());

  host.queueAnswer(kHostAnswerYes);
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, RemoveOutcome::Removed);
  EXPECT_EQ(materialOfLayer(walls), db->byLayerMaterialId());
  EXPECT_TRUE(steel.isErased());

  const OdDbObjectId wood = addMaterial(db, L"Wood"), glass = addMaterial(db, L"Glass");
  EXPECT_EQ(me::removeMaterialWithUsers(glass).outcome, RemoveOutcome::Removed);
  EXPECT_EQ(host.messages.size(), 2u); // no question for an unused one
  db->setCMATERIAL(wood);
  EXPECT_TRUE(me::isCurrentMaterial(db, L"WOOD"));
  host.queueAnswer(kHostAnswerYes);
  EXPECT_EQ(me::removeMaterialWithUsers(wood).outcome, RemoveOutcome::Removed);
  EXPECT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(db->getCMATERIAL(), db->byLayerMaterialId());
}

TEST_F(Operations, RemovalThatCannotFinishChangesNothing)
{
  const OdDbObjectId walls = addLayer(db, L"Walls", steel), plate = addMesh(model, steel);
  {
    OdDbObjectPtr busy = plate.safeOpenObject(OdDb::kForWrite);
    host.queueAnswer(kHostAnswerYes);
    EXPECT_EQ(me::removeMaterialWithUsers(steel).code, eWasOpenedForWrite);
  }
  EXPECT_EQ(materialOfLayer(walls), steel);
  EXPECT_EQ(materialOfEntity(plate), steel);

  // Standard materials, and materials of a drawing the manager is not on, unasked.
  host.messages.clear();
  EXPECT_EQ(me::removeMaterialWithUsers(db->globalMaterialId()).code, eCannotBeErasedByCaller);
  me::managerService()->detachDatabase();
  EXPECT_EQ(me::removeMaterialWithUsers(steel).outcome, RemoveOutcome::Refused);
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
  // An id that is no material of this drawing changes nothing.
  OdDbDatabasePtr other = odCreateDatabase();
  EXPECT_EQ(me::applyMaterialToSelection(db->getLayerZeroId()), 0u);
  EXPECT_EQ(me::applyMaterialToSelection(addMaterial(other, L"Foreign")), 0u);
  EXPECT_EQ(materialOfEntity(plate), steel);
}
