#include "core/MeManager.h"

#include "core/MeMaterialOperations.h"
#include "core/MeNames.h"
#include "core/MeObservers.h"
#include "od/DbMaterial.h"

#include <algorithm>

namespace me
{
namespace
{
const wchar_t* const kManagerClassName = L"MeManager";
OdRxClass* g_managerClass = nullptr;
bool g_ownsManagerClass = false;

const wchar_t* const kByLayerKey = L"By Layer";
const wchar_t* const kByBlockKey = L"By Block";
const wchar_t* const kGlobalKey = L"Global";

bool isMaterial(const OdDbObject* object) { return object && object->isKindOf(OdDbMaterial::desc()); }
} // namespace

void registerManagerClass()
{
  if (g_managerClass)
    return;
  // A class of that name registered by someone else is used but never removed
  // by us; one that does not derive from the reactor class would make casts
  // lie, so it is not used at all.
  if (OdRxClass* existing = odrxFindClass(kManagerClassName))
  {
    if (existing->isDerivedFrom(OdDbDatabaseReactor::desc()))
      g_managerClass = existing;
    return;
  }
  g_managerClass = newOdRxClass(kManagerClassName, OdDbDatabaseReactor::desc());
  g_ownsManagerClass = true;
}

void unregisterManagerClass()
{
  if (g_managerClass && g_ownsManagerClass)
    deleteOdRxClass(g_managerClass);
  g_managerClass = nullptr;
  g_ownsManagerClass = false;
}

OdRxClass* managerClass() { return g_managerClass; }

IMeServiceItem* createManager() { return new MeManager(); }

MeManager::MeManager() = default;

MeManager::~MeManager() { unbind(); }

void MeManager::addRef() const { m_refs.fetch_add(1, std::memory_order_relaxed); }

void MeManager::release() const { m_refs.fetch_sub(1, std::memory_order_acq_rel); }

long MeManager::numRefs() const { return m_refs.load(std::memory_order_relaxed); }

OdRxClass* MeManager::isA() const { return g_managerClass ? g_managerClass : OdDbDatabaseReactor::desc(); }

void MeManager::unbind()
{
  if (m_database)
    m_database->removeReactor(this);
  m_database = nullptr;
}

template <class Fn>
void MeManager::notify(Fn&& fn)
{
  tellObservers(m_reactors, fn);
}

void MeManager::setDatabase(OdDbDatabase* database)
{
  if (database == m_database)
    return;
  unbind();
  // Callers pass the current document's database; null only unbinds, since
  // observers expect a database with databaseChanged.
  if (!database)
    return;
  m_database = database;
  m_database->addReactor(this);
  notify([&](IMeManagerReactor* reactor) { reactor->databaseChanged(database); });
}

void MeManager::releaseDatabase(OdDbDatabase* database)
{
  if (!database || database != m_database)
    return;
  unbind();
  m_reactors.clear();
}

void MeManager::closing()
{
  notify([&](IMeManagerReactor* reactor) {
    reactor->managerClosing();
    if (!reactor->canDetach(this))
      return;
    reactor->detached(this);
    removeObserver(m_reactors, reactor);
  });
}

void MeManager::detachDatabase() { unbind(); }

void MeManager::addReactor(IMeManagerReactor* reactor) { addObserver(m_reactors, reactor); }

void MeManager::removeReactor(IMeManagerReactor* reactor) { removeObserver(m_reactors, reactor); }

template <class Append>
bool MeManager::collect(Append&& append)
{
  OdDbDictionaryPtr dictionary = openMaterialDictionary(m_database, OdDb::kForRead);
  if (!dictionary)
    return false;
  const StandardMaterialNames hidden(StandardMaterialNames::Global::Excluded);
  for (OdDbDictionaryIteratorPtr it = dictionary->newIterator(OdRx::kDictSorted); !it->done(); it->next())
  {
    OdDbObjectPtr object = it->getObject(OdDb::kForRead);
    if (!isMaterial(object))
      continue;
    if (hidden.matches(static_cast<const OdDbMaterial*>(object.get())->name()))
      continue;
    append(it->objectId());
  }
  return true;
}

bool MeManager::collectMaterials(std::list<OdDbObjectId>& ids)
{
  return collect([&](const OdDbObjectId& id) { ids.push_back(id); });
}

bool MeManager::collectMaterials(OdDbObjectIdArray& ids)
{
  return collect([&](const OdDbObjectId& id) { ids.append(id); });
}

OdDbObjectId MeManager::standardMaterial(const wchar_t* key)
{
  OdDbDictionaryPtr dictionary = openMaterialDictionary(m_database, OdDb::kForRead);
  return dictionary ? dictionary->getAt(key) : OdDbObjectId();
}

OdDbObjectId MeManager::byLayerMaterialId() { return standardMaterial(kByLayerKey); }
OdDbObjectId MeManager::byBlockMaterialId() { return standardMaterial(kByBlockKey); }
OdDbObjectId MeManager::globalMaterialId() { return standardMaterial(kGlobalKey); }

int MeManager::addMaterial(OdDbMaterial* material)
{
  OdDbDictionaryPtr dictionary = openMaterialDictionary(m_database, OdDb::kForWrite);
  if (!dictionary)
    return eInvalidOpenState;
  // Refused rather than thrown: the callers do not look for exceptions here.
  if (!material)
    return eNullPtr;
  if (material->isDBRO())
    return eAlreadyInDb;
  const OdString name = material->name();
  if (name.isEmpty())
    return eInvalidInput;
  if (dictionary->has(name))
    return eDuplicateKey;
  return dictionary->setAt(name, material).isNull() ? eNullObjectId : eOk;
}

int MeManager::removeMaterial(const OdString& name)
{
  if (!m_database)
    return eNoDatabase;
  OdDbDictionaryPtr dictionary = openMaterialDictionary(m_database, OdDb::kForWrite);
  if (!dictionary)
    return eInvalidOpenState;
  const OdDbObjectId id = dictionary->getAt(name);
  if (id.isNull())
    return eInvalidObjectId;
  OdDbObjectPtr object = id.openObject(OdDb::kForWrite);
  if (!object)
    return eInvalidOpenState;
  OdDbMaterialPtr material = object; // not a material: the wrong-class error
  // Erased first: a material that refuses (the standard ones do) keeps its
  // entry, so the dictionary never lists a dead material nor loses a live one.
  const OdResult erased = material->erase();
  if (erased != eOk)
    return erased;
  dictionary->remove(name);
  return eOk;
}

void MeManager::objectAppended(const OdDbDatabase* database, const OdDbObject* object)
{
  if (database != m_database || !isMaterial(object))
    return;
  const OdDbObjectId id = object->objectId();
  notify([&](IMeManagerReactor* reactor) { reactor->materialAdded(id); });
}

void MeManager::objectModified(const OdDbDatabase* database, const OdDbObject* object)
{
  if (database != m_database || !isMaterial(object))
    return;
  const OdDbObjectId id = object->objectId();
  notify([&](IMeManagerReactor* reactor) { reactor->materialChanged(id); });
}

void MeManager::objectErased(const OdDbDatabase* database, const OdDbObject* object, bool erased)
{
  if (database != m_database || !isMaterial(object))
    return;
  // A material brought back (an erase undone, a New redone) is one more to
  // show, as an appended one is.
  const OdDbObjectId id = object->objectId();
  if (erased)
    notify([&](IMeManagerReactor* reactor) { reactor->materialErased(id); });
  else
    notify([&](IMeManagerReactor* reactor) { reactor->materialAdded(id); });
}

void MeManager::goodbye(const OdDbDatabase* database)
{
  // The database drops its reactors itself as it goes.
  if (database == m_database)
    m_database = nullptr;
}
} // namespace me
