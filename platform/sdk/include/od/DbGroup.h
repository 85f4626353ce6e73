// Groups: named sets of entity ids, kept in the group dictionary.
#pragma once

#include "od/DbObject.h"

#include <unordered_set>

class OdDbGroup : public OdDbObject
{
  ODRX_DECLARE_MEMBERS(OdDbGroup);
  OdDbGroup() = default;

  // The key in the group dictionary.
  OdString name() const;
  const OdString& description() const;
  void setDescription(const OdString& text);
  // An id already in the group, or a null id, is not added again.
  void append(const OdDbObjectId& id);
  void remove(const OdDbObjectId& id);
  bool has(const OdDbObjectId& id) const;
  void clear();
  // Members whose objects are not erased, in the order they were added.
  OdUInt32 allEntityIds(OdDbObjectIdArray& ids) const;
  OdUInt32 numEntities() const;
  void copyFrom(const OdRxObject* source) override;
  void translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping) override;

private:
  void indexMembers();
  OdString m_description;
  OdDbObjectIdArray m_ids;
  std::unordered_set<const OdDbStub*> m_members; // the same ids, for has() and append()
};
using OdDbGroupPtr = OdSmartPtr<OdDbGroup>;
