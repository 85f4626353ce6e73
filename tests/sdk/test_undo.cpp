#include "od/OdSdk.h"

#include "common/TestDrawing.h"
#include "common/od_print.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// What the reactors hear, with what the drawing looks like at that moment:
// undo tells only once the whole step is back.
class UndoRecorder : public OdDbDatabaseReactor
{
public:
  std::vector<std::string> events;

  void objectModified(const OdDbDatabase*, const OdDbObject* object) override { log("modified", object); }
  void objectErased(const OdDbDatabase* db, const OdDbObject* object, bool erased) override
  {
    log(erased ? "erased" : "unerased", object);
    if (!erased && OdDbMaterial::cast(object).get())
    {
      // A material that comes back must already be in the dictionary.
      auto dictionary = const_cast<OdDbDatabase*>(db)->getMaterialDictionaryId(false).safeOpenObject();
      inDictionary.push_back(OdDbDictionary::cast(dictionary.get())->has(object->objectId()));
    }
  }
  void headerSysVarChanged(const OdDbDatabase*, const OdString& name) override
  {
    events.push_back("header " + name.toUtf8());
  }
  std::vector<bool> inDictionary;

private:
  void log(const char* what, const OdDbObject* object)
  {
    if (const auto* material = OdDbMaterial::cast(object).get())
      events.push_back(std::string(what) + " " + material->name().toUtf8());
    else if (OdDbEntity::cast(object).get())
      events.push_back(std::string(what) + " entity");
  }
};

using Events = std::vector<std::string>;

struct UndoDrawing : ::testing::Test
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdSmartPtr<UndoRecorder> heard{new UndoRecorder()};

  void SetUp() override
  {
    db->enableUndoRecording(true);
    db->addReactor(heard);
  }

  OdDbObjectId materialDictionary() { return db->getMaterialDictionaryId(false); }
  OdDbObjectId entry(const wchar_t* key)
  {
    OdDbDictionaryPtr dictionary = materialDictionary().safeOpenObject();
    return dictionary->getAt(key);
  }
  std::vector<std::wstring> keys()
  {
    std::vector<std::wstring> out;
    OdDbDictionaryPtr dictionary = materialDictionary().safeOpenObject();
    for (auto it = dictionary->newIterator(); !it->done(); it->next())
      out.push_back(it->name().c_str());
    return out;
  }
  OdUInt32 diffuseColor(const OdDbObjectId& id)
  {
    OdDbMaterialPtr material = id.safeOpenObject();
    MaterialColor color;
    MaterialMap map;
    material->diffuse(color, map);
    return color.color().color();
  }
  void setDiffuseColor(const OdDbObjectId& id, OdUInt32 rgb)
  {
    OdDbMaterialPtr material = id.safeOpenObject(OdDb::kForWrite);
    MaterialColor color;
    MaterialMap map;
    material->diffuse(color, map);
    OdCmEntityColor value;
    value.setColor(rgb);
    color.setColor(value);
    material->setDiffuse(color, map);
  }
  // One bracketed step around the change, as the host makes per command.
  template <class Fn>
  void step(const wchar_t* name, Fn&& change)
  {
    db->startUndoRecord(name);
    change();
    db->endUndoRecord();
  }
};
} // namespace

TEST_F(UndoDrawing, ModifiedMaterialComesBackAndGoesAgain)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  const OdUInt32 before = diffuseColor(steel);
  step(L"MATEDIT", [&] { setDiffuseColor(steel, 0xC2112233); });
  const OdUInt32 after = diffuseColor(steel);
  ASSERT_NE(before, after);
  heard->events.clear();

  EXPECT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), before);
  EXPECT_EQ(heard->events, (Events{"modified Steel"}));
  EXPECT_EQ(db->redo(), eOk);
  EXPECT_EQ(diffuseColor(steel), after);
  EXPECT_EQ(heard->events, (Events{"modified Steel", "modified Steel"}));
  // Ids stay: whoever holds the material's id sees the restored object.
  EXPECT_EQ(entry(L"Steel"), steel);
}

TEST_F(UndoDrawing, UndoneAppendIsAnErasureAndItsRedoAnUnerasure)
{
  OdDbObjectId steel;
  step(L"NEW", [&] { steel = addMaterial(db, L"Steel", [](OdDbMaterial& m) { m.setDescription(L"shiny"); }); });
  ASSERT_EQ(db->numUndoSteps(), 1u);
  heard->events.clear();

  ASSERT_EQ(db->undo(), eOk);
  EXPECT_TRUE(steel.isErased());
  EXPECT_TRUE(entry(L"Steel").isNull());
  EXPECT_EQ(keys(), (std::vector<std::wstring>{L"By Block", L"By Layer", L"Global"}));
  EXPECT_EQ(heard->events, (Events{"erased Steel"}));

  ASSERT_EQ(db->redo(), eOk);
  EXPECT_EQ(entry(L"Steel"), steel);
  EXPECT_EQ(heard->events, (Events{"erased Steel", "unerased Steel"}));
  EXPECT_EQ(heard->inDictionary, std::vector<bool>{true});
  OdDbMaterialPtr material = steel.safeOpenObject();
  EXPECT_EQ(material->description(), OdString(L"shiny"));
}

TEST_F(UndoDrawing, RemovalWithErasureComesBackUnderItsKey)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  step(L"REMOVE", [&] {
    OdDbDictionaryPtr dictionary = materialDictionary().safeOpenObject(OdDb::kForWrite);
    dictionary->remove(L"Steel");
    OdDbObjectPtr material = steel.safeOpenObject(OdDb::kForWrite);
    ASSERT_EQ(material->erase(), eOk);
  });
  ASSERT_TRUE(entry(L"Steel").isNull());
  heard->events.clear();

  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(entry(L"Steel"), steel);
  EXPECT_FALSE(steel.isErased());
  // The material comes back with its entry already there.
  ASSERT_EQ(heard->inDictionary, std::vector<bool>{true});
  EXPECT_EQ(heard->events, (Events{"unerased Steel"}));

  ASSERT_EQ(db->redo(), eOk);
  EXPECT_TRUE(entry(L"Steel").isNull());
  EXPECT_TRUE(steel.isErased());
  EXPECT_EQ(heard->events, (Events{"unerased Steel", "erased Steel"}));
}

TEST_F(UndoDrawing, RenameRestoresTheKeyAndTheName)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  step(L"RENAME", [&] {
    OdDbMaterialPtr material = steel.safeOpenObject(OdDb::kForWrite);
    material->setName(L"Iron");
  });
  ASSERT_EQ(entry(L"Iron"), steel);

  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(entry(L"Steel"), steel);
  EXPECT_TRUE(entry(L"Iron").isNull());
  OdDbMaterialPtr material = steel.safeOpenObject();
  EXPECT_EQ(material->name(), OdString(L"Steel"));
  material = nullptr;
  // The freed key can be taken; undo of that step hands it back.
  step(L"NEW", [&] { addMaterial(db, L"Iron"); });
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_TRUE(entry(L"Iron").isNull());
  EXPECT_EQ(db->redo(), eOk);
  EXPECT_FALSE(entry(L"Iron").isNull());
  EXPECT_NE(entry(L"Iron"), steel);
}

TEST_F(UndoDrawing, EntityAndLayerAssignmentsAndTheHeaderComeBack)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  OdDbObjectId face;
  {
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    face = model->appendOdDbEntity(OdDbFace::createObject());
  }
  db->clearUndoHistory();
  const OdDbObjectId global = db->globalMaterialId();
  const OdDbObjectId entityBefore = OdDbEntityPtr(face.safeOpenObject())->materialId();
  ASSERT_NE(entityBefore, steel);
  step(L"ASSIGN", [&] {
    OdDbEntityPtr entity = face.safeOpenObject(OdDb::kForWrite);
    entity->setMaterial(steel);
    OdDbLayerTableRecordPtr zero = db->getLayerZeroId().safeOpenObject(OdDb::kForWrite);
    zero->setMaterialId(steel);
    db->setCMATERIAL(steel);
  });
  heard->events.clear();

  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(OdDbEntityPtr(face.safeOpenObject())->materialId(), entityBefore);
  EXPECT_EQ(OdDbLayerTableRecordPtr(db->getLayerZeroId().safeOpenObject())->materialId(), global);
  EXPECT_EQ(db->getCMATERIAL(), db->byLayerMaterialId());
  EXPECT_EQ(heard->events, (Events{"header CMATERIAL", "modified entity"}));

  ASSERT_EQ(db->redo(), eOk);
  EXPECT_EQ(OdDbEntityPtr(face.safeOpenObject())->materialId(), steel);
  EXPECT_EQ(db->getCMATERIAL(), steel);
}

TEST_F(UndoDrawing, UndoneEntityLeavesModelSpace)
{
  OdDbObjectId face;
  step(L"DRAW", [&] {
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    face = model->appendOdDbEntity(OdDbFace::createObject());
  });
  auto count = [&] {
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
    int n = 0;
    for (auto it = model->newIterator(); !it->done(); it->step())
      ++n;
    return n;
  };
  ASSERT_EQ(count(), 1);
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(count(), 0);
  EXPECT_EQ(face.safeOpenObject(OdDb::kForRead, true)->isErased(), true);
  ASSERT_EQ(db->redo(), eOk);
  EXPECT_EQ(count(), 1);
}

TEST_F(UndoDrawing, StepsGroupNestAndEmptyOnesAreDropped)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  const OdUInt32 original = diffuseColor(steel);
  db->startUndoRecord(L"DRAG");
  setDiffuseColor(steel, 0xC2000001);
  db->startUndoRecord(L"inner"); // a command run by a command
  setDiffuseColor(steel, 0xC2000002);
  db->endUndoRecord();
  setDiffuseColor(steel, 0xC2000003);
  db->endUndoRecord();
  step(L"LOOK", [&] { diffuseColor(steel); }); // reading writes nothing
  ASSERT_EQ(db->numUndoSteps(), 1u);
  EXPECT_EQ(db->undoStepName(0), OdString(L"DRAG"));
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), original);
  EXPECT_EQ(db->numUndoSteps(), 0u);
  EXPECT_EQ(db->redoStepName(0), OdString(L"DRAG"));
}

TEST_F(UndoDrawing, UnbracketedChangesMakeOneUnnamedStepUntilClosed)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  const OdUInt32 original = diffuseColor(steel);
  // A drag in a window: many writes, no command around them.
  for (OdUInt32 i = 1; i <= 5; ++i)
    setDiffuseColor(steel, 0xC2000000 + i);
  EXPECT_TRUE(db->hasOpenUndoRecord());
  db->endUndoRecord();
  EXPECT_FALSE(db->hasOpenUndoRecord());
  // The next unbracketed write opens another; a command closes it first.
  setDiffuseColor(steel, 0xC2000010);
  step(L"MATEDIT", [&] { setDiffuseColor(steel, 0xC2000020); });
  ASSERT_EQ(db->numUndoSteps(), 3u);
  EXPECT_EQ(db->undoStepName(0), OdString(L"MATEDIT"));
  EXPECT_EQ(db->undoStepName(1), OdString());

  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), 0xC2000010u);
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), 0xC2000005u);
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), original);
}

TEST_F(UndoDrawing, AStepKeepsTheFirstNameItIsGivenAndANameNeedsAnOpenStep)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  // Nothing open: the name goes nowhere, and the next write's step is unnamed.
  db->nameUndoRecord(L"Lost");
  setDiffuseColor(steel, 0xC2000001);
  db->endUndoRecord();
  // A palette's write names the step it opened; an empty name claims nothing.
  setDiffuseColor(steel, 0xC2000002);
  db->nameUndoRecord(OdString());
  db->nameUndoRecord(L"Glossiness");
  setDiffuseColor(steel, 0xC2000003);
  db->nameUndoRecord(L"Diffuse");
  db->endUndoRecord();
  // A command's step keeps the command's name, even nested.
  step(L"MATEDIT", [&] {
    setDiffuseColor(steel, 0xC2000004);
    db->nameUndoRecord(L"Glossiness");
    step(L"", [&] { db->nameUndoRecord(L"inner"); });
  });
  ASSERT_EQ(db->numUndoSteps(), 3u);
  EXPECT_EQ(db->undoStepName(0), OdString(L"MATEDIT"));
  EXPECT_EQ(db->undoStepName(1), OdString(L"Glossiness"));
  EXPECT_EQ(db->undoStepName(2), OdString());
  // The name goes with the step to the redo list and back.
  ASSERT_EQ(db->undo(), eOk);
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), 0xC2000001u);
  EXPECT_EQ(db->redoStepName(0), OdString(L"Glossiness"));
  ASSERT_EQ(db->redo(), eOk);
  EXPECT_EQ(db->undoStepName(0), OdString(L"Glossiness"));
}

TEST_F(UndoDrawing, UndoClosesAnOpenStepFirst)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  const OdUInt32 original = diffuseColor(steel);
  setDiffuseColor(steel, 0xC2ABCDEF); // the unnamed step is still open
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), original);
  EXPECT_EQ(db->numRedoSteps(), 1u);
}

TEST_F(UndoDrawing, ANewChangeDropsTheRedoTail)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  step(L"A", [&] { setDiffuseColor(steel, 0xC2000001); });
  step(L"B", [&] { setDiffuseColor(steel, 0xC2000002); });
  ASSERT_EQ(db->undo(), eOk);
  ASSERT_EQ(db->numRedoSteps(), 1u);
  // An empty step keeps the tail: nothing was changed.
  step(L"LOOK", [] {});
  EXPECT_EQ(db->numRedoSteps(), 1u);
  step(L"C", [&] { setDiffuseColor(steel, 0xC2000003); });
  EXPECT_EQ(db->numRedoSteps(), 0u);
  EXPECT_EQ(db->redo(), eNotApplicable);
  EXPECT_EQ(diffuseColor(steel), 0xC2000003u);
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(diffuseColor(steel), 0xC2000001u);
}

TEST_F(UndoDrawing, UndoPastTheStartChangesNothing)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  step(L"A", [&] { setDiffuseColor(steel, 0xC2000001); });
  ASSERT_EQ(db->undo(), eOk);
  heard->events.clear();
  EXPECT_EQ(db->undo(), eNotApplicable);
  EXPECT_EQ(db->undo(), eNotApplicable);
  EXPECT_TRUE(heard->events.empty());
  EXPECT_EQ(db->numRedoSteps(), 1u);
  ASSERT_EQ(db->redo(), eOk);
  EXPECT_EQ(diffuseColor(steel), 0xC2000001u);
  EXPECT_EQ(db->redo(), eNotApplicable);
}

TEST_F(UndoDrawing, AnObjectOpenForWriteStopsUndo)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  step(L"A", [&] { setDiffuseColor(steel, 0xC2000001); });
  {
    OdDbObjectPtr open = steel.safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(db->undo(), eWasOpenedForWrite);
    EXPECT_EQ(diffuseColor(steel), 0xC2000001u);
    // The opening made a step of its own: the refusal left it to close.
  }
  db->endUndoRecord();
  ASSERT_EQ(db->numUndoSteps(), 2u);
  ASSERT_EQ(db->undo(), eOk);
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_NE(diffuseColor(steel), 0xC2000001u);
}

TEST_F(UndoDrawing, ModifiedThenErasedInOneStepComesBackWhole)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  const OdUInt32 original = diffuseColor(steel);
  step(L"X", [&] {
    setDiffuseColor(steel, 0xC2000001);
    OdDbObjectPtr material = steel.safeOpenObject(OdDb::kForWrite);
    material->erase();
  });
  heard->events.clear();
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_EQ(heard->events, (Events{"unerased Steel"}));
  EXPECT_EQ(diffuseColor(steel), original);
  ASSERT_EQ(db->redo(), eOk);
  EXPECT_TRUE(steel.isErased());
}

TEST_F(UndoDrawing, ErasedDictionaryTakesItsEntriesAndBringsThemBack)
{
  const OdDbObjectId steel = addMaterial(db, L"Steel");
  db->clearUndoHistory();
  step(L"PURGE", [&] {
    OdDbObjectPtr dictionary = materialDictionary().safeOpenObject(OdDb::kForWrite);
    dictionary->erase();
  });
  ASSERT_TRUE(steel.isErased());
  ASSERT_EQ(db->undo(), eOk);
  EXPECT_FALSE(steel.isErased());
  EXPECT_EQ(entry(L"Steel"), steel);
}

TEST(Undo, RecordsNothingUntilEnabledAndForgetsWhenTurnedOff)
{
  OdDbDatabasePtr db = odCreateDatabase();
  EXPECT_FALSE(db->isUndoRecordingEnabled());
  db->startUndoRecord(L"A");
  addMaterial(db, L"Steel");
  db->endUndoRecord();
  EXPECT_EQ(db->numUndoSteps(), 0u);
  EXPECT_EQ(db->undo(), eNotApplicable);

  db->enableUndoRecording(true);
  addMaterial(db, L"Iron");
  db->endUndoRecord();
  EXPECT_EQ(db->numUndoSteps(), 1u);
  db->enableUndoRecording(false);
  db->enableUndoRecording(true);
  EXPECT_EQ(db->numUndoSteps(), 0u);
  EXPECT_EQ(db->undo(), eNotApplicable);
}
