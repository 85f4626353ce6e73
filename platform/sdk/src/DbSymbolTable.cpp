#include "DbInternal.h"

#include "od/DbSymbolTable.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

ODRX_DEFINE_MEMBERS(OdDbSymbolTableRecord, OdDbObject, nullptr)
ODRX_DEFINE_MEMBERS(OdDbSymbolTable, OdDbObject, nullptr)
ODRX_DEFINE_MEMBERS(OdDbBlockTableRecord, OdDbSymbolTableRecord, ODRX_CONSTRUCTOR(OdDbBlockTableRecord))
ODRX_DEFINE_MEMBERS(OdDbBlockTable, OdDbSymbolTable, ODRX_CONSTRUCTOR(OdDbBlockTable))
ODRX_DEFINE_MEMBERS(OdDbLayerTableRecord, OdDbSymbolTableRecord, ODRX_CONSTRUCTOR(OdDbLayerTableRecord))
ODRX_DEFINE_MEMBERS(OdDbLayerTable, OdDbSymbolTable, ODRX_CONSTRUCTOR(OdDbLayerTable))

const wchar_t* const OdDbBlockTableRecord::kModelSpace = L"*Model_Space";
const wchar_t* const OdDbBlockTableRecord::kPaperSpace = L"*Paper_Space";

OdDbObjectIteratorPtr OdDbObjectIterator::create(std::vector<OdDbObjectId> ids, bool skipErased)
{
  OdDbObjectIteratorPtr it(new OdDbObjectIterator());
  it->m_ids = std::move(ids);
  it->m_skipErased = skipErased;
  it->skip();
  return it;
}

void OdDbObjectIterator::skip()
{
  if (!m_skipErased)
    return;
  while (m_index < m_ids.size() && !OdDbInternal::peek(m_ids[m_index]))
    ++m_index;
}

void OdDbObjectIterator::step()
{
  if (done())
    return;
  ++m_index;
  skip();
}

OdDbObjectId OdDbObjectIterator::objectId() const { return done() ? OdDbObjectId() : m_ids[m_index]; }

OdDbEntityPtr OdDbObjectIterator::entity(OdDb::OpenMode mode) const
{
  return OdDbEntity::cast(objectId().openObject(mode, !m_skipErased).get());
}

OdDbObjectPtr OdDbObjectIterator::object(OdDb::OpenMode mode) const { return objectId().openObject(mode, !m_skipErased); }

const OdString& OdDbSymbolTableRecord::getName() const { return m_name; }

void OdDbSymbolTableRecord::setName(const OdString& name)
{
  assertWriteEnabled();
  if (name.isEmpty())
    throw OdError(eInvalidInput, L"A record needs a name");
  auto* table = OdDbInternal::peekAs<OdDbSymbolTable>(ownerId(), true);
  if (table && table->indexes(objectId(), m_name))
  {
    const OdDbObjectId other = table->getAt(name);
    if (!other.isNull() && other != objectId())
      throw OdError(eDuplicateKey, OdString::format(L"The name \"%s\" is taken", name));
    OdDbInternal::noteChange(table);
    table->rename(objectId(), m_name, name);
  }
  m_name = name;
}

void OdDbSymbolTableRecord::copyFrom(const OdRxObject* source)
{
  OdDbObject::copyFrom(source);
  m_name = static_cast<const OdDbSymbolTableRecord*>(source)->m_name;
}

OdDbObjectId OdDbSymbolTable::getAt(const OdString& name, bool getErased) const
{
  auto it = m_byName.find(name);
  if (it == m_byName.end())
    return OdDbObjectId();
  for (const OdDbObjectId& id : it->second)
    if (OdDbInternal::peekAs<OdDbSymbolTableRecord>(id, getErased))
      return id;
  return OdDbObjectId();
}

void OdDbSymbolTable::rename(const OdDbObjectId& id, const OdString& oldName, const OdString& newName)
{
  auto it = m_byName.find(oldName);
  if (it != m_byName.end())
  {
    auto& ids = it->second;
    ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
    if (ids.empty())
      m_byName.erase(it);
  }
  m_byName[newName].push_back(id);
}

OdDbObjectPtr OdDbSymbolTable::getAt(const OdString& name, OdDb::OpenMode mode, bool getErased) const
{
  return getAt(name, getErased).openObject(mode, getErased);
}

bool OdDbSymbolTable::has(const OdString& name) const { return !getAt(name).isNull(); }

bool OdDbSymbolTable::has(const OdDbObjectId& id) const
{
  auto* record = OdDbInternal::peekAs<OdDbSymbolTableRecord>(id);
  return record && indexes(id, record->getName());
}

bool OdDbSymbolTable::indexes(const OdDbObjectId& id, const OdString& name) const
{
  // Every record of the table is in the index under its own name.
  auto it = m_byName.find(name);
  return it != m_byName.end() && std::find(it->second.begin(), it->second.end(), id) != it->second.end();
}

OdDbObjectId OdDbSymbolTable::add(OdDbSymbolTableRecord* record)
{
  assertWriteEnabled();
  if (!record)
    throw OdError(eNullPtr);
  if (!record->isKindOf(recordClass()))
    throw OdError_NotThatKindOfClass(record->isA(), recordClass());
  if (record->isDBRO())
    throw OdError(eAlreadyInDb);
  if (record->getName().isEmpty())
    throw OdError(eInvalidInput, L"A record needs a name");
  if (has(record->getName()))
    throw OdError(eDuplicateKey, OdString::format(L"The name \"%s\" is taken", record->getName()));
  OdDbDatabase* db = database();
  const OdDbObjectId id = OdDbInternal::makeResident(db, record, objectId());
  m_records.push_back(id);
  m_byName[record->getName()].push_back(id);
  OdDbInternal::finishAppend(db, record);
  return id;
}

OdDbSymbolTableIteratorPtr OdDbSymbolTable::newIterator(bool atBeginning, bool skipDeleted) const
{
  OdDbObjectIteratorPtr it = OdDbObjectIterator::create(m_records, skipDeleted);
  if (!atBeginning)
    while (!it->done())
      it->step();
  return it;
}

void OdDbSymbolTable::copyUndoState(const OdDbObject* source)
{
  OdDbObject::copyUndoState(source);
  const auto* other = static_cast<const OdDbSymbolTable*>(source);
  m_records = other->m_records;
  m_byName = other->m_byName;
}

OdRxClass* OdDbBlockTable::recordClass() const { return OdDbBlockTableRecord::desc(); }
OdRxClass* OdDbLayerTable::recordClass() const { return OdDbLayerTableRecord::desc(); }

OdDbObjectId OdDbBlockTableRecord::appendOdDbEntity(OdDbEntity* entity)
{
  assertWriteEnabled();
  if (!entity)
    throw OdError(eNullPtr);
  OdDbDatabase* db = database();
  if (!db)
    throw OdError(eNotInDatabase, L"Entities go into a block record of a database");
  if (entity->isDBRO())
    throw OdError(eAlreadyInDb);
  const OdDbObjectId id = OdDbInternal::makeResident(db, entity, objectId());
  m_entities.push_back(id);
  OdDbInternal::finishAppend(db, entity);
  return id;
}

OdDbObjectIteratorPtr OdDbBlockTableRecord::newIterator(bool atBeginning, bool skipDeleted) const
{
  OdDbObjectIteratorPtr it = OdDbObjectIterator::create(m_entities, skipDeleted);
  if (!atBeginning)
    while (!it->done())
      it->step();
  return it;
}

bool OdDbBlockTableRecord::isLayout() const
{
  return getName().iCompare(kModelSpace) == 0 || getName().iCompare(kPaperSpace) == 0;
}

const std::vector<OdDbObjectId>& OdDbBlockTableRecord::entityIds() const { return m_entities; }

void OdDbBlockTableRecord::copyUndoState(const OdDbObject* source)
{
  // The references list is left alone: it only grows, and what no longer
  // fits is dropped when it is read.
  OdDbSymbolTableRecord::copyUndoState(source);
  m_entities = static_cast<const OdDbBlockTableRecord*>(source)->m_entities;
}

OdGeExtents3d OdDbBlockTableRecord::geomExtents() const
{
  // Depth first with an explicit stack: nesting can be as deep as the
  // drawing makes it. Each block's box is worked out once, then reused by
  // every further reference to it.
  struct Open
  {
    const OdDbBlockTableRecord* block;
    OdGeMatrix3d transform; // of the reference that led here
    std::size_t next;
    OdGeExtents3d extents;
  };
  std::unordered_map<const OdDbBlockTableRecord*, OdGeExtents3d> done;
  std::unordered_set<const OdDbBlockTableRecord*> onPath{this};
  std::vector<Open> open{Open{this, OdGeMatrix3d(), 0, OdGeExtents3d()}};
  OdGeExtents3d result;
  while (!open.empty())
  {
    const std::size_t top = open.size() - 1;
    const OdDbBlockTableRecord* block = open[top].block;
    if (open[top].next == block->m_entities.size())
    {
      Open finished = open.back();
      open.pop_back();
      onPath.erase(block);
      done[block] = finished.extents;
      if (open.empty())
        result = finished.extents;
      else if (finished.extents.isValidExtents())
        open.back().extents.addExt(finished.extents.transformBy(finished.transform));
      continue;
    }
    auto* entity = OdDbInternal::peekAs<OdDbEntity>(block->m_entities[open[top].next++]);
    if (!entity)
      continue;
    auto* reference = OdDbBlockReference::cast(entity).get();
    if (!reference)
    {
      OdGeExtents3d own;
      if (entity->getGeomExtents(own) == eOk)
        open[top].extents.addExt(own);
      continue;
    }
    auto* inserted = OdDbInternal::peekAs<OdDbBlockTableRecord>(reference->blockTableRecord());
    if (!inserted || onPath.count(inserted))
      continue;
    auto known = done.find(inserted);
    if (known == done.end())
    {
      onPath.insert(inserted);
      open.push_back(Open{inserted, reference->blockTransform(), 0, OdGeExtents3d()});
    }
    else if (known->second.isValidExtents())
    {
      OdGeExtents3d box = known->second;
      open[top].extents.addExt(box.transformBy(reference->blockTransform()));
    }
  }
  return result;
}

OdResult OdDbBlockTableRecord::getBlockReferenceIds(OdDbObjectIdArray& ids) const
{
  // Drop what no longer points here (or is gone) and repeats; an erased
  // reference stays listed inside, as it may be unerased.
  std::unordered_set<OdDbStub*> seen;
  std::size_t kept = 0;
  for (const OdDbObjectId& id : m_references)
  {
    auto* reference = OdDbInternal::peekAs<OdDbBlockReference>(id, true);
    if (reference && reference->blockTableRecord() == objectId() && seen.insert(id.stub()).second)
      m_references[kept++] = id;
  }
  m_references.resize(kept);
  for (const OdDbObjectId& id : m_references)
    if (!id.isErased())
      ids.append(id);
  return eOk;
}

void OdDbInternal::noteBlockReference(const OdDbObject* object)
{
  auto* reference = OdDbBlockReference::cast(object).get();
  if (!reference || !reference->isDBRO())
    return;
  if (auto* block = peekAs<OdDbBlockTableRecord>(reference->blockTableRecord(), true))
    block->m_references.push_back(reference->objectId());
}

OdCmColor OdDbLayerTableRecord::color() const { return m_color; }

void OdDbLayerTableRecord::setColor(const OdCmColor& color)
{
  assertWriteEnabled();
  m_color = color;
}

OdDbObjectId OdDbLayerTableRecord::materialId() const { return m_materialId; }

void OdDbLayerTableRecord::setMaterialId(const OdDbObjectId& id)
{
  assertWriteEnabled();
  m_materialId = id;
}

bool OdDbLayerTableRecord::isOff() const { return m_off; }

void OdDbLayerTableRecord::setIsOff(bool off)
{
  assertWriteEnabled();
  m_off = off;
}

void OdDbLayerTableRecord::copyFrom(const OdRxObject* source)
{
  OdDbSymbolTableRecord::copyFrom(source);
  const auto* other = static_cast<const OdDbLayerTableRecord*>(source);
  m_color = other->m_color;
  m_materialId = other->m_materialId;
  m_off = other->m_off;
}

void OdDbLayerTableRecord::translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping)
{
  OdDbIdPair pair(m_materialId);
  if (mapping.compute(pair))
    m_materialId = pair.value();
  else if (m_materialId.database() != destination)
    m_materialId = destination->globalMaterialId();
}
