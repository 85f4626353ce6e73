// Groups: named sets of entity ids, kept in the group dictionary.
#pragma once

#include "od/DbObject.h"

#include <unordered_map>

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
  // Drops the holes that removals left and indexes the members again.
  void indexMembers();
  OdString m_description;
  // Members in the order added; a removed one leaves a null id until the
  // holes are many, so that emptying a large group costs no scan per removal.
  OdDbObjectIdArray m_ids;
  std::unordered_map<const OdDbStub*, OdUInt32> m_members; // member -> its place in m_ids
  OdUInt32 m_holes = 0;
};
using OdDbGroupPtr = OdSmartPtr<OdDbGroup>;
