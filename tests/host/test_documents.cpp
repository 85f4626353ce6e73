#include "host/DocumentManager.h"
#include "TestDrawing.h"
#include "od_print.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using host::DocumentManager;

namespace
{
// Writes every event as "event:title" (or the file name) into a shared log.
class Recorder : public HostApDocManagerReactor
{
public:
  Recorder(std::vector<std::string>& log, std::string name = "") : m_log(log), m_name(std::move(name)) {}

  void documentCreateStarted(HostDocument* d) override { note("createStarted", d); }
  void documentCreated(HostDocument* d) override { note("created", d); }
  void documentToBeDestroyed(HostDocument* d) override { note("toBeDestroyed", d); }
  void documentDestroyed(const OdString& fileName) override { add("destroyed:" + fileName.toUtf8()); }
  void documentToBeActivated(HostDocument* d) override { note("toBeActivated", d); }
  void documentBecameCurrent(HostDocument* d) override { note("becameCurrent", d); }
  void documentToBeDeactivated(HostDocument* d) override { note("toBeDeactivated", d); }
  void documentActivated(HostDocument* d) override { note("activated", d); }

  std::function<void(const std::string&)> onEvent;

private:
  void note(const char* event, HostDocument* d) { add(std::string(event) + ":" + d->title().toUtf8()); }
  void add(const std::string& entry)
  {
    m_log.push_back(m_name + entry);
    if (onEvent)
      onEvent(entry);
  }
  std::vector<std::string>& m_log;
  std::string m_name;
};

using Log = std::vector<std::string>;
} // namespace

TEST(DocumentManager, TellsObserversOfNewSwitchedAndClosedDocumentsInOrder)
{
  DocumentManager manager;
  Log log;
  Recorder recorder(log);
  manager.addReactor(&recorder);
  manager.addReactor(&recorder); // once only

  HostDocument* a = manager.openDocument(L"A", L"/drawings/a.dwg");
  EXPECT_EQ(log, (Log{"createStarted:A", "created:A", "toBeActivated:A", "becameCurrent:A", "activated:A"}));
  HostDocument* b = manager.openDocument(L"B");
  HostDocument* c = manager.openDocument(L"C");
  EXPECT_EQ(manager.documentCount(), 3);
  EXPECT_EQ(manager.documentAt(1), b);
  EXPECT_EQ(manager.documentAt(3), nullptr);
  EXPECT_EQ(manager.documentAt(-1), nullptr);

  log.clear();
  EXPECT_TRUE(manager.setCurDocument(a));
  EXPECT_EQ(log, (Log{"toBeDeactivated:C", "toBeActivated:A", "becameCurrent:A", "activated:A"}));
  log.clear();
  EXPECT_TRUE(manager.setCurDocument(a)); // already current: nothing to tell
  EXPECT_TRUE(log.empty());

  // Closing the current one makes the most recently current of the rest
  // current (C, not B which was opened earlier), after destroyed.
  EXPECT_TRUE(manager.closeDocument(a));
  EXPECT_EQ(log, (Log{"toBeDestroyed:A", "destroyed:/drawings/a.dwg", "toBeActivated:C", "becameCurrent:C",
                      "activated:C"}));
  EXPECT_EQ(manager.curDocument(), c);

  // Closing one that is not current changes nothing else.
  log.clear();
  EXPECT_TRUE(manager.closeDocument(b));
  EXPECT_EQ(log, (Log{"toBeDestroyed:B", "destroyed:B"}));
  EXPECT_EQ(manager.curDocument(), c);
  EXPECT_EQ(manager.documentCount(), 1);
  manager.removeReactor(&recorder);
}

TEST(DocumentManager, AfterTheLastDocumentClosesNothingIsCurrentOrCounted)
{
  DocumentManager manager;
  Log log;
  Recorder recorder(log);
  HostDocument* only = manager.openDocument(L"Only");
  manager.addReactor(&recorder);
  int countWhenDestroyed = -1;
  HostDocument* currentWhenDestroyed = only;
  recorder.onEvent = [&](const std::string& event) {
    if (event.rfind("destroyed:", 0) == 0)
    {
      countWhenDestroyed = manager.documentCount();
      currentWhenDestroyed = manager.curDocument();
    }
  };
  EXPECT_TRUE(manager.closeDocument(only));
  EXPECT_EQ(countWhenDestroyed, 0);
  EXPECT_EQ(currentWhenDestroyed, nullptr);
  EXPECT_EQ(log, (Log{"toBeDestroyed:Only", "destroyed:Only"}));
  EXPECT_EQ(manager.curDocument(), nullptr);

  // The closed pointer is refused, not followed.
  EXPECT_FALSE(manager.closeDocument(only));
  EXPECT_FALSE(manager.setCurDocument(only));
  EXPECT_FALSE(manager.setCurDocument(nullptr));
  DocumentManager other;
  EXPECT_FALSE(manager.closeDocument(other.openDocument(L"Elsewhere")));
  manager.removeReactor(&recorder);
}

TEST(DocumentManager, ObserversMayDetachWhileBeingTold)
{
  DocumentManager manager;
  Log log;
  Recorder first(log, "1."), second(log, "2."), third(log, "3.");
  manager.addReactor(&first);
  manager.addReactor(&second);
  manager.addReactor(&third);
  // The first detaches itself and the third on its first event; the third
  // is then not told, the second still is.
  first.onEvent = [&](const std::string&) {
    manager.removeReactor(&first);
    manager.removeReactor(&third);
  };
  manager.openDocument(L"A");
  EXPECT_EQ(log.front(), "1.createStarted:A");
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& e) { return e[0] == '1'; }), 1);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& e) { return e[0] == '3'; }), 0);
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& e) { return e[0] == '2'; }), 5);

  // One attached while an event is told hears the next event, not this one.
  log.clear();
  second.onEvent = [&](const std::string& event) {
    if (event == "toBeDestroyed:A")
      manager.addReactor(&third);
  };
  manager.closeDocument(manager.curDocument());
  EXPECT_EQ(log, (Log{"2.toBeDestroyed:A", "2.destroyed:A", "3.destroyed:A"}));
  manager.removeReactor(&second);
  manager.removeReactor(&third);
}

TEST(DocumentManager, RefusesToOpenSwitchOrCloseFromInsideANotification)
{
  DocumentManager manager;
  Log log;
  Recorder recorder(log);
  HostDocument* a = manager.openDocument(L"A");
  manager.addReactor(&recorder);
  bool opened = true, switched = true, closed = true;
  recorder.onEvent = [&](const std::string& event) {
    if (event != "createStarted:B")
      return;
    opened = manager.openDocument(L"Nested") != nullptr;
    switched = manager.setCurDocument(a);
    closed = manager.closeDocument(a);
  };
  HostDocument* b = manager.openDocument(L"B");
  EXPECT_FALSE(opened);
  EXPECT_FALSE(switched);
  EXPECT_FALSE(closed);
  EXPECT_EQ(manager.documentCount(), 2);
  EXPECT_EQ(manager.curDocument(), b);
  manager.removeReactor(&recorder);
}

TEST(DocumentManager, EachDocumentHasItsOwnDatabaseAndSelection)
{
  DocumentManager manager;
  host::Document* a = manager.openDocument(L"A", L"/drawings/a.dwg");
  host::Document* b = manager.openDocument(L"B");
  ASSERT_NE(a->database(), nullptr);
  EXPECT_NE(a->database(), b->database());
  EXPECT_FALSE(a->database()->getModelSpaceId().isNull()); // default contents
  EXPECT_EQ(a->database()->getFilename(), L"/drawings/a.dwg");
  EXPECT_EQ(a->fileName(), L"/drawings/a.dwg");
  EXPECT_EQ(b->fileName(), L"B");

  const OdDbObjectIdArray ids{a->database()->getModelSpaceId(), a->database()->getLayerZeroId()};
  a->setSelection(ids);
  HostSelectionSet* selection = a->commandContext()->selectionSet();
  EXPECT_EQ(selection->objectIdArray(), ids);
  EXPECT_EQ(b->commandContext()->selectionSet()->numEntities(), 0u);
}

TEST(DocumentManager, CountsTheWritesOfEachObjectOfADocument)
{
  DocumentManager manager;
  host::Document* document = manager.openDocument(L"A");
  OdDbDatabase* db = document->database();
  const OdDbObjectId steel = addMaterial(db, L"Steel"), oak = addMaterial(db, L"Oak");
  const int added = document->writesOf(steel);
  for (int i = 0; i < 2; ++i)
    OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForWrite))->setDescription(L"brushed");
  EXPECT_EQ(document->writesOf(steel), added + 2);
  const int oakWrites = document->writesOf(oak);
  OdDbMaterialPtr(oak.safeOpenObject(OdDb::kForRead))->name();
  EXPECT_EQ(document->writesOf(oak), oakWrites) << "reading is no write";
  EXPECT_EQ(document->writesOf(OdDbObjectId()), 0);
  // The database may outlive its document: the count stops with it.
  OdDbDatabasePtr kept(db);
  ASSERT_TRUE(manager.closeDocument(document));
  OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForWrite))->setDescription(L"again");
}

// The close question rests on this: any write since opening or saving counts,
// reading does not, and saving makes the drawing clean again.
TEST(DocumentManager, ADocumentIsModifiedByAnyWriteSinceItWasOpenedOrSaved)
{
  DocumentManager manager;
  host::Document* document = manager.openDocument(L"A");
  OdDbDatabase* db = document->database();
  EXPECT_FALSE(document->isModified()) << "a new document";

  const OdDbObjectId steel = addMaterial(db, L"Steel");
  EXPECT_TRUE(document->isModified()) << "an appended material";
  document->markSaved();
  EXPECT_FALSE(document->isModified());

  OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForRead))->name();
  EXPECT_FALSE(document->isModified()) << "reading is no write";

  OdDbMaterialPtr(steel.safeOpenObject(OdDb::kForWrite))->setDescription(L"brushed");
  EXPECT_TRUE(document->isModified()) << "a changed material";
  document->markSaved();

  db->setCMATERIAL(steel);
  EXPECT_TRUE(document->isModified()) << "a header variable";
  document->markSaved();

  OdDbObjectPtr(steel.safeOpenObject(OdDb::kForWrite))->erase();
  EXPECT_TRUE(document->isModified()) << "an erased material";

  // Each document keeps its own state.
  host::Document* other = manager.openDocument(L"B");
  EXPECT_FALSE(other->isModified());
  EXPECT_TRUE(document->isModified());
}

TEST(DocumentManager, ADocumentsDrawingKeepsUndoStepsUntilItCloses)
{
  DocumentManager manager;
  OdDbDatabasePtr held = odCreateDatabase();
  host::Document* document = manager.openDocument(L"A", OdString(), held);
  ASSERT_TRUE(document);
  held->startUndoRecord(L"MATERIAL");
  const OdDbObjectId steel = addMaterial(held, L"Steel");
  held->endUndoRecord();
  ASSERT_EQ(held->numUndoSteps(), 1u);
  ASSERT_EQ(held->undo(), eOk);
  EXPECT_TRUE(steel.isErased());
  ASSERT_EQ(held->redo(), eOk);

  // Someone who still holds the drawing of a closed document holds no history.
  ASSERT_TRUE(manager.closeDocument(document));
  EXPECT_EQ(held->numRedoSteps() + held->numUndoSteps(), 0u);
  addMaterial(held, L"Iron");
  EXPECT_EQ(held->undo(), eNotApplicable);
  EXPECT_FALSE(steel.isErased());
}
