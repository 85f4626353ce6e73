#include "DbInternal.h"

#include "od/DbSymbolTable.h"

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
  if (auto* table = OdDbInternal::peekAs<OdDbSymbolTable>(ownerId()))
  {
    const OdDbObjectId other = table->getAt(name);
    if (!other.isNull() && other != objectId())
      throw OdError(eDuplicateKey, OdString::format(L"The name \"%s\" is taken", name));
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
  for (const OdDbObjectId& id : m_records)
  {
    auto* record = OdDbInternal::peekAs<OdDbSymbolTableRecord>(id, getErased);
    if (record && record->getName().iCompare(name) == 0)
      return id;
  }
  return OdDbObjectId();
}

OdDbObjectPtr OdDbSymbolTable::getAt(const OdString& name, OdDb::OpenMode mode, bool getErased) const
{
  return getAt(name, getErased).openObject(mode, getErased);
}

bool OdDbSymbolTable::has(const OdString& name) const { return !getAt(name).isNull(); }

bool OdDbSymbolTable::has(const OdDbObjectId& id) const
{
  for (const OdDbObjectId& record : m_records)
    if (record == id)
      return OdDbInternal::peek(id) != nullptr;
  return false;
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

OdGeExtents3d OdDbBlockTableRecord::geomExtents() const
{
  OdGeExtents3d extents;
  for (const OdDbObjectId& id : m_entities)
    if (auto* entity = OdDbInternal::peekAs<OdDbEntity>(id))
    {
      OdGeExtents3d own;
      if (entity->getGeomExtents(own) == eOk)
        extents.addExt(own);
    }
  return extents;
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
