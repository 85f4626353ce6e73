// Dictionaries: objects by key, keys sorted and compared without case.
#pragma once

#include "od/DbObject.h"

#include <map>
#include <vector>

class OdDbDictionaryIterator : public OdRxObject
{
public:
  bool done() const { return m_index >= m_entries.size(); }
  bool next();
  const OdString& name() const;
  OdDbObjectId objectId() const;
  OdDbObjectPtr getObject(OdDb::OpenMode mode = OdDb::kForRead) const;

private:
  friend class OdDbDictionary;
  OdDbDictionaryIterator() = default;
  void skipErased();
  // The entries' ids when the walk began, so that changes to the dictionary do
  // not disturb it; names are looked up as they are asked for, since copying
  // every key of a long dictionary made each walk cost as much as the list.
  std::vector<OdDbObjectId> m_entries;
  std::size_t m_index = 0;
  OdDbObjectId m_dictionary;
  mutable OdString m_name;
};
using OdDbDictionaryIteratorPtr = OdSmartPtr<OdDbDictionaryIterator>;

class OdDbDictionary : public OdDbObject
{
  ODRX_DECLARE_MEMBERS(OdDbDictionary);
  OdDbDictionary() = default;

  // Erased entries count as absent.
  OdDbObjectId getAt(const OdString& key) const;
  OdDbObjectPtr getAt(const OdString& key, OdDb::OpenMode mode) const;
  bool has(const OdString& key) const;
  bool has(const OdDbObjectId& id) const;
  // Empty when the id is not an entry.
  OdString nameAt(const OdDbObjectId& id) const;
  OdUInt32 numEntries() const;

  // Stores the object under the key and makes it part of the database when
  // it is not yet. A key in use throws eDuplicateKey; an empty key
  // eInvalidInput.
  OdDbObjectId setAt(const OdString& key, OdDbObject* object);
  // Takes the entry out of the dictionary without erasing its object; the
  // null id when there is none.
  OdDbObjectId remove(const OdString& key);
  bool remove(const OdDbObjectId& id);
  // Gives an entry another key; false when the old key is missing, throws
  // eDuplicateKey when the new one is taken by another entry.
  bool setName(const OdString& oldKey, const OdString& newKey);

  OdDbDictionaryIteratorPtr newIterator(OdRx::DictIterType type = OdRx::kDictSorted) const;

  void copyFrom(const OdRxObject* source) override;

protected:
  // Erasing a dictionary erases its entries with it.
  OdResult subErase(bool erasing) override;
  void copyUndoState(const OdDbObject* source) override;

private:
  friend struct OdDbInternal;
  using Entries = std::map<OdString, OdDbObjectId, OdStringLessNoCase>;
  bool rename(const OdString& oldKey, const OdString& newKey);
  // Every change of the entries goes through these two, which keep the
  // keys by id in step. putEntry takes where the key goes (its lower
  // bound), so that a new entry costs the one search that found it free.
  void putEntry(Entries::iterator at, const OdString& key, const OdDbObjectId& id);
  void dropEntry(const OdString& key);
  Entries m_entries;
  std::map<OdDbObjectId, Entries::iterator> m_keys; // each entry by its object
};
using OdDbDictionaryPtr = OdSmartPtr<OdDbDictionary>;
