#include "DbInternal.h"

#include "od/DbDictionary.h"

ODRX_DEFINE_MEMBERS(OdDbDictionary, OdDbObject, ODRX_CONSTRUCTOR(OdDbDictionary))

void OdDbDictionaryIterator::skipErased()
{
  while (m_index < m_entries.size() && !OdDbInternal::peek(m_entries[m_index]))
    ++m_index;
}

bool OdDbDictionaryIterator::next()
{
  if (done())
    return false;
  ++m_index;
  skipErased();
  return !done();
}

const OdString& OdDbDictionaryIterator::name() const
{
  if (done())
    throw OdError(eInvalidIndex, L"The dictionary walk is past its end");
  // Its name now: empty once it is no entry of the dictionary any more.
  const auto* dictionary = OdDbInternal::peekAs<OdDbDictionary>(m_dictionary, true);
  m_name = dictionary ? dictionary->nameAt(m_entries[m_index]) : OdString();
  return m_name;
}

OdDbObjectId OdDbDictionaryIterator::objectId() const { return done() ? OdDbObjectId() : m_entries[m_index]; }

OdDbObjectPtr OdDbDictionaryIterator::getObject(OdDb::OpenMode mode) const { return objectId().openObject(mode); }

OdDbObjectId OdDbDictionary::getAt(const OdString& key) const
{
  auto it = m_entries.find(key);
  if (it == m_entries.end() || !OdDbInternal::peek(it->second))
    return OdDbObjectId();
  return it->second;
}

OdDbObjectPtr OdDbDictionary::getAt(const OdString& key, OdDb::OpenMode mode) const
{
  return getAt(key).openObject(mode);
}

bool OdDbDictionary::has(const OdString& key) const { return !getAt(key).isNull(); }

bool OdDbDictionary::has(const OdDbObjectId& id) const { return !nameAt(id).isEmpty(); }

OdString OdDbDictionary::nameAt(const OdDbObjectId& id) const
{
  auto it = id.isNull() ? m_keys.end() : m_keys.find(id);
  return it == m_keys.end() ? OdString() : it->second->first;
}

void OdDbDictionary::putEntry(Entries::iterator at, const OdString& key, const OdDbObjectId& id)
{
  if (at != m_entries.end() && at->first.iCompare(key) == 0)
  {
    // An erased entry under that key gives way.
    m_keys.erase(at->second);
    at = m_entries.erase(at);
  }
  const auto entry = m_entries.emplace_hint(at, key, id);
  // New objects have the highest ids: at the end, the hint is right.
  m_keys.insert_or_assign(m_keys.end(), id, entry);
}

void OdDbDictionary::dropEntry(const OdString& key)
{
  auto it = m_entries.find(key);
  if (it == m_entries.end())
    return;
  m_keys.erase(it->second);
  m_entries.erase(it);
}

OdUInt32 OdDbDictionary::numEntries() const
{
  OdUInt32 count = 0;
  for (const auto& entry : m_entries)
    if (OdDbInternal::peek(entry.second))
      ++count;
  return count;
}

OdDbObjectId OdDbDictionary::setAt(const OdString& key, OdDbObject* object)
{
  assertWriteEnabled();
  if (!object)
    throw OdError(eNullPtr);
  if (key.isEmpty())
    throw OdError(eInvalidInput, L"A dictionary key cannot be empty");
  // One search tells whether the key is taken and where it goes.
  const auto at = m_entries.lower_bound(key);
  if (at != m_entries.end() && at->first.iCompare(key) == 0 && OdDbInternal::peek(at->second))
    throw OdError(eDuplicateKey, OdString::format(L"The key \"%s\" is taken", key));
  if (object->isDBRO())
  {
    if (object->database() != database())
      throw OdError(eWrongDatabase);
    if (has(object->objectId()))
      throw OdError(eDuplicateKey, L"The object is already an entry of this dictionary");
    putEntry(at, key, object->objectId());
    object->setOwnerId(objectId());
    return object->objectId();
  }
  OdDbDatabase* db = database();
  if (!db)
    throw OdError(eNotInDatabase, L"Only a dictionary in a database takes new objects");
  const OdDbObjectId id = OdDbInternal::makeResident(db, object, objectId());
  putEntry(at, key, id);
  OdDbInternal::finishAppend(db, object);
  return id;
}

OdDbObjectId OdDbDictionary::remove(const OdString& key)
{
  assertWriteEnabled();
  auto it = m_entries.find(key);
  if (it == m_entries.end())
    return OdDbObjectId();
  const OdDbObjectId id = it->second;
  dropEntry(key);
  return id;
}

bool OdDbDictionary::remove(const OdDbObjectId& id)
{
  const OdString key = nameAt(id);
  return !key.isEmpty() && !remove(key).isNull();
}

bool OdDbDictionary::setName(const OdString& oldKey, const OdString& newKey)
{
  assertWriteEnabled();
  return rename(oldKey, newKey);
}

bool OdDbDictionary::rename(const OdString& oldKey, const OdString& newKey)
{
  if (newKey.isEmpty())
    throw OdError(eInvalidInput, L"A dictionary key cannot be empty");
  auto it = m_entries.find(oldKey);
  if (it == m_entries.end())
    return false;
  const OdDbObjectId id = it->second;
  const OdDbObjectId other = getAt(newKey);
  if (!other.isNull() && other != id)
    throw OdError(eDuplicateKey, OdString::format(L"The key \"%s\" is taken", newKey));
  dropEntry(oldKey);
  putEntry(m_entries.lower_bound(newKey), newKey, id);
  return true;
}

OdDbDictionaryIteratorPtr OdDbDictionary::newIterator(OdRx::DictIterType) const
{
  // Keys are kept sorted, so both kinds of walk are in key order.
  OdDbDictionaryIteratorPtr it(new OdDbDictionaryIterator());
  it->m_entries.reserve(m_entries.size());
  for (const auto& entry : m_entries)
    it->m_entries.push_back(entry.second);
  it->m_dictionary = objectId();
  it->skipErased();
  return it;
}

void OdDbDictionary::copyFrom(const OdRxObject* source)
{
  // A copied dictionary starts empty: its entries belong to the source.
  OdDbObject::copyFrom(source);
}

void OdDbDictionary::copyUndoState(const OdDbObject* source)
{
  OdDbObject::copyUndoState(source);
  const auto* other = static_cast<const OdDbDictionary*>(source);
  m_entries = other->m_entries;
  m_keys.clear();
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
    m_keys.emplace(it->second, it);
}

OdResult OdDbDictionary::subErase(bool erasing)
{
  for (const auto& entry : m_entries)
    OdDbInternal::forceErase(OdDbInternal::peek(entry.second, true), erasing);
  return eOk;
}

void OdDbInternal::renameEntry(OdDbObject* object, const OdString& oldName, const OdString& newName)
{
  if (!object || !object->isDBRO())
    return;
  auto* owner = peekAs<OdDbDictionary>(object->ownerId());
  if (!owner || owner->nameAt(object->objectId()) != oldName)
    return;
  noteChange(owner);
  owner->rename(oldName, newName);
}
