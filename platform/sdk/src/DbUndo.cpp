#include "DbUndo.h"

void OdDbInternal::noteChange(OdDbObject* object)
{
  OdDbDatabase* db = object ? object->database() : nullptr;
  if (db && db->m_undo)
    db->m_undo->noteChange(object);
}

void OdDbInternal::noteAppended(OdDbObject* object)
{
  OdDbDatabase* db = object ? object->database() : nullptr;
  if (db && db->m_undo)
    db->m_undo->noteAppended(object);
}

void OdDbInternal::noteHeaderChange(OdDbDatabase* database)
{
  if (database && database->m_undo)
    database->m_undo->noteHeaderChange(database->m_cmaterial, database->m_clayer);
}

namespace
{
OdDbObjectPtr snapshot(const OdDbObject* object)
{
  OdDbObjectPtr copy = OdDbObject::cast(object->isA()->create().get());
  if (copy.isNull())
    throw OdError_NotThatKindOfClass(object->isA(), OdDbObject::desc());
  OdDbInternal::copyUndoState(copy.get(), object);
  return copy;
}

OdDbObject* residentObject(const OdDbObjectId& id)
{
  OdDbStub* stub = id.stub();
  return stub && stub->database ? stub->object : nullptr;
}
} // namespace

void OdDbUndoHistory::start(const OdString& name)
{
  if (m_open && m_depth == 0)
    close(); // an unnamed step ends where a bracketed one begins
  if (m_open)
  {
    ++m_depth;
    return;
  }
  m_open = true;
  m_depth = 1;
  m_step = Step{name, {}};
}

void OdDbUndoHistory::end()
{
  if (!m_open)
    return;
  if (m_depth > 1)
  {
    --m_depth;
    return;
  }
  close();
}

void OdDbUndoHistory::close()
{
  if (!m_step.records.empty())
    m_done.push_back(std::move(m_step));
  m_step = Step{};
  m_open = false;
  m_depth = 0;
  m_noted.clear();
  m_headerNoted = false;
}

void OdDbUndoHistory::name(const OdString& name)
{
  if (m_open && m_step.name.isEmpty())
    m_step.name = name;
}

void OdDbUndoHistory::clear()
{
  m_done.clear();
  m_undone.clear();
  m_step = Step{};
  m_open = false;
  m_depth = 0;
  m_noted.clear();
  m_headerNoted = false;
}

OdDbUndoHistory::Step& OdDbUndoHistory::openStep()
{
  if (!m_open)
  {
    m_open = true;
    m_depth = 0;
    m_step = Step{};
  }
  if (m_step.records.empty())
    m_undone.clear(); // a new change makes the undone steps unreachable
  return m_step;
}

void OdDbUndoHistory::noteChange(OdDbObject* object)
{
  if (m_replaying || !m_noted.insert(object->objectId().stub()).second)
    return;
  Record record;
  record.id = object->objectId();
  record.state = snapshot(object);
  record.owner = object->ownerId();
  record.erased = object->isErased();
  openStep().records.push_back(std::move(record));
}

void OdDbUndoHistory::noteAppended(OdDbObject* object)
{
  // What the object is made of before it is resident is no state of the
  // drawing: an append is undone by erasing, and later changes in the same
  // step need no record of their own.
  if (m_replaying || !m_noted.insert(object->objectId().stub()).second)
    return;
  Record record;
  record.id = object->objectId();
  record.owner = object->ownerId();
  record.erased = true;
  openStep().records.push_back(std::move(record));
}

void OdDbUndoHistory::noteHeaderChange(const OdDbObjectId& cmaterial, const OdDbObjectId& clayer)
{
  if (m_replaying || m_headerNoted)
    return;
  m_headerNoted = true;
  Record record;
  record.cmaterial = cmaterial;
  record.clayer = clayer;
  openStep().records.push_back(std::move(record));
}

OdString OdDbUndoHistory::undoName(OdUInt32 index) const
{
  return index < m_done.size() ? m_done[m_done.size() - 1 - index].name : OdString();
}

OdString OdDbUndoHistory::redoName(OdUInt32 index) const
{
  return index < m_undone.size() ? m_undone[m_undone.size() - 1 - index].name : OdString();
}

OdResult OdDbUndoHistory::undo() { return move(m_done, m_undone, true); }

OdResult OdDbUndoHistory::redo() { return move(m_undone, m_done, false); }

OdResult OdDbUndoHistory::move(std::vector<Step>& from, std::vector<Step>& to, bool backwards)
{
  if (m_replaying)
    return eNotApplicable;
  if (m_open)
    close();
  if (from.empty())
    return eNotApplicable;
  const OdResult result = replay(from.back(), backwards);
  if (result == eOk)
  {
    to.push_back(std::move(from.back()));
    from.pop_back();
    tell();
  }
  return result;
}

OdResult OdDbUndoHistory::replay(Step& step, bool backwards)
{
  for (const Record& record : step.records)
    if (OdDbObject* object = residentObject(record.id))
      if (object->openMode() == OdDb::kForWrite)
        return eWasOpenedForWrite;
  m_events.clear();
  const std::size_t count = step.records.size();
  for (std::size_t i = 0; i < count; ++i)
    swap(step.records[backwards ? count - 1 - i : i]);
  return eOk;
}

void OdDbUndoHistory::swap(Record& record)
{
  if (record.id.isNull())
  {
    // The header is set when the reactors are told, so that they hear
    // "will change" before it does.
    Event event{Event::Kind::Header, OdDbObjectId(), record.cmaterial, record.clayer};
    record.cmaterial = m_db->getCMATERIAL();
    record.clayer = m_db->getCLAYER();
    m_events.push_back(event);
    return;
  }
  OdDbObject* object = residentObject(record.id);
  if (!object)
    return;
  const bool wasErased = object->isErased();
  const OdDbObjectId owner = object->ownerId();
  if (record.state)
  {
    OdDbObjectPtr current = snapshot(object);
    const OdDb::OpenMode mode = object->m_openMode;
    object->m_openMode = OdDb::kForWrite;
    OdDbInternal::copyUndoState(object, record.state.get());
    object->m_openMode = mode;
    record.state = current;
  }
  object->m_ownerId = record.owner;
  object->m_erased = record.erased;
  record.owner = owner;
  record.erased = wasErased;
  if (object->m_erased != wasErased)
    m_events.push_back(Event{object->m_erased ? Event::Kind::Erased : Event::Kind::Unerased, record.id, {}, {}});
  else if (!object->m_erased)
    m_events.push_back(Event{Event::Kind::Modified, record.id, {}, {}});
}

void OdDbUndoHistory::tell()
{
  // Reactors may undo again or write while they are told; what they change
  // is no part of the step being replayed.
  const std::vector<Event> events = std::move(m_events);
  m_events.clear();
  m_replaying = true;
  try
  {
    for (const Event& event : events)
    {
      if (event.kind == Event::Kind::Header)
      {
        m_db->setHeaderIds(event.cmaterial, event.clayer);
        continue;
      }
      OdDbObject* object = residentObject(event.id);
      if (!object)
        continue;
      // Readable while the reactors look at it, as on a close.
      const OdDb::OpenMode mode = object->m_openMode;
      if (mode == OdDb::kNotOpen)
        object->m_openMode = OdDb::kForRead;
      if (event.kind == Event::Kind::Modified)
        m_db->fireModified(object);
      else
        m_db->fireErased(object, event.kind == Event::Kind::Erased);
      object->m_openMode = mode;
    }
  }
  catch (...)
  {
    m_replaying = false;
    throw;
  }
  m_replaying = false;
}
