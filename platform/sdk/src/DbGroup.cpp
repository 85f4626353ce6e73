#include "DbInternal.h"

#include "od/DbDictionary.h"
#include "od/DbGroup.h"

ODRX_DEFINE_MEMBERS(OdDbGroup, OdDbObject, ODRX_CONSTRUCTOR(OdDbGroup))

OdString OdDbGroup::name() const
{
  auto* dictionary = OdDbInternal::peekAs<OdDbDictionary>(ownerId());
  return dictionary ? dictionary->nameAt(objectId()) : OdString();
}

const OdString& OdDbGroup::description() const { return m_description; }

void OdDbGroup::setDescription(const OdString& text)
{
  assertWriteEnabled();
  m_description = text;
}

void OdDbGroup::append(const OdDbObjectId& id)
{
  assertWriteEnabled();
  if (!id.isNull() && m_members.emplace(id.stub(), m_ids.size()).second)
    m_ids.append(id);
}

void OdDbGroup::remove(const OdDbObjectId& id)
{
  assertWriteEnabled();
  auto member = m_members.find(id.stub());
  if (member == m_members.end())
    return;
  m_ids[member->second] = OdDbObjectId();
  m_members.erase(member);
  // Compacting when holes are half the array keeps each removal cheap on average.
  if (++m_holes > 16 && m_holes * 2 > m_ids.size())
    indexMembers();
}

bool OdDbGroup::has(const OdDbObjectId& id) const { return !id.isNull() && m_members.count(id.stub()) != 0; }

void OdDbGroup::clear()
{
  assertWriteEnabled();
  m_ids.clear();
  m_members.clear();
  m_holes = 0;
}

void OdDbGroup::indexMembers()
{
  OdDbObjectIdArray members;
  m_members.clear();
  for (const OdDbObjectId& id : m_ids)
    if (!id.isNull() && m_members.emplace(id.stub(), members.size()).second)
      members.append(id);
  m_ids = members;
  m_holes = 0;
}

OdUInt32 OdDbGroup::allEntityIds(OdDbObjectIdArray& ids) const
{
  OdUInt32 count = 0;
  for (const OdDbObjectId& id : m_ids)
    if (!id.isNull() && OdDbInternal::peek(id))
    {
      ids.append(id);
      ++count;
    }
  return count;
}

OdUInt32 OdDbGroup::numEntities() const
{
  OdDbObjectIdArray ids;
  return allEntityIds(ids);
}

void OdDbGroup::copyFrom(const OdRxObject* source)
{
  OdDbObject::copyFrom(source);
  const auto* other = static_cast<const OdDbGroup*>(source);
  m_description = other->m_description;
  m_ids = other->m_ids;
  indexMembers();
}

void OdDbGroup::translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping)
{
  // Members that were not cloned along do not belong to the copy.
  OdDbObjectIdArray kept;
  for (const OdDbObjectId& id : m_ids)
  {
    OdDbIdPair pair(id);
    if (mapping.compute(pair))
      kept.append(pair.value());
    else if (id.database() == destination)
      kept.append(id);
  }
  m_ids = kept;
  indexMembers();
}
