// The undo history of one database: the states objects had before each step
// changed them.
#pragma once

#include "DbInternal.h"

#include <unordered_set>
#include <vector>

class OdDbUndoHistory
{
public:
  explicit OdDbUndoHistory(OdDbDatabase* database) : m_db(database) {}

  void start(const OdString& name);
  void end();
  bool isOpen() const { return m_open; }
  void name(const OdString& name);
  void clear();

  void noteChange(OdDbObject* object);
  void noteAppended(OdDbObject* object);
  void noteHeaderChange(const OdDbObjectId& cmaterial, const OdDbObjectId& clayer);

  OdResult undo();
  OdResult redo();
  OdUInt32 numUndo() const { return OdUInt32(m_done.size()); }
  OdUInt32 numRedo() const { return OdUInt32(m_undone.size()); }
  OdString undoName(OdUInt32 index) const;
  OdString redoName(OdUInt32 index) const;

private:
  // One object's other state: before the step while it is done, after it
  // while it is undone. Replaying swaps it with the object's own.
  struct Record
  {
    OdDbObjectId id;     // null for the header
    OdDbObjectPtr state; // null for an append: its data never differs
    OdDbObjectId owner;
    bool erased = false;
    OdDbObjectId cmaterial, clayer; // the header's
  };
  struct Step
  {
    OdString name;
    std::vector<Record> records;
  };
  // What a replay tells the reactors once every record is swapped.
  struct Event
  {
    enum class Kind
    {
      Modified,
      Erased,
      Unerased,
      Header
    } kind;
    OdDbObjectId id;
    OdDbObjectId cmaterial, clayer; // the header's new values
  };

  Step& openStep();
  void close();
  // Replays the last step of from and moves it to the end of to.
  OdResult move(std::vector<Step>& from, std::vector<Step>& to, bool backwards);
  // Swaps every record of the step with its object; eWasOpenedForWrite,
  // and nothing changes, when one of them is open for write.
  OdResult replay(Step& step, bool backwards);
  void swap(Record& record);
  void tell();

  OdDbDatabase* m_db;
  std::vector<Step> m_done;   // the last is undone first
  std::vector<Step> m_undone; // the last is redone first
  Step m_step;
  bool m_open = false;
  int m_depth = 0; // nesting of startUndoRecord; 0 with m_open: the unnamed step
  bool m_replaying = false;
  // What the open step already keeps: one record per object.
  std::unordered_set<const OdDbStub*> m_noted;
  bool m_headerNoted = false;
  std::vector<Event> m_events;
};
