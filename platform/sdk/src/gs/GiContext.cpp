#include "od/GiContext.h"

#include "od/DbDatabase.h"

ODRX_DEFINE_MEMBERS(OdGiContext, OdRxObject, nullptr)
ODRX_DEFINE_MEMBERS(OdGiContextForDbDatabase, OdGiContext, ODRX_CONSTRUCTOR(OdGiContextForDbDatabase))

// Counts the changes of the bound database; forgets it when it goes away.
class OdGiContextDatabaseWatch : public OdDbDatabaseReactor
{
public:
  OdDbDatabase* m_database = nullptr;
  OdUInt64 m_changes = 1;

  void objectAppended(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectUnAppended(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectReAppended(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectModified(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectErased(const OdDbDatabase*, const OdDbObject*, bool) override { ++m_changes; }
  void headerSysVarChanged(const OdDbDatabase*, const OdString&) override { ++m_changes; }
  void goodbye(const OdDbDatabase*) override
  {
    m_database = nullptr;
    ++m_changes;
  }
};

OdGiContextForDbDatabase::OdGiContextForDbDatabase() : m_watch(new OdGiContextDatabaseWatch) {}

OdGiContextForDbDatabase::~OdGiContextForDbDatabase() { setDatabase(nullptr); }

void OdGiContextForDbDatabase::setDatabase(OdDbDatabase* database)
{
  if (m_watch->m_database == database)
    return;
  if (m_watch->m_database)
    m_watch->m_database->removeReactor(m_watch.get());
  m_watch->m_database = database;
  ++m_watch->m_changes;
  if (database)
    database->addReactor(m_watch.get());
}

OdDbDatabase* OdGiContextForDbDatabase::database() const { return m_watch->m_database; }

OdUInt64 OdGiContextForDbDatabase::changeCount() const { return m_watch->m_changes; }
