#include "DbInternal.h"
#include "DbUndo.h"

#include "od/DbDictionary.h"
#include "od/DbGroup.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <atomic>

ODRX_DEFINE_MEMBERS(OdDbDatabaseReactor, OdRxObject, nullptr)
ODRX_DEFINE_MEMBERS(OdDbIdMapping, OdRxObject, ODRX_CONSTRUCTOR(OdDbIdMapping))
ODRX_DEFINE_MEMBERS(OdDbDatabase, OdRxObject, ODRX_CONSTRUCTOR(OdDbDatabase))

namespace
{
// Made once: looking a dictionary up by a literal would build its key on
// every call, and a script drawing asks for the materials once a line.
const OdString& groupDictionaryKey()
{
  static const OdString key(L"ACAD_GROUP");
  return key;
}
const OdString& materialDictionaryKey()
{
  static const OdString key(L"ACAD_MATERIAL");
  return key;
}
const wchar_t* const kByLayerKey = L"By Layer";
const wchar_t* const kByBlockKey = L"By Block";
const wchar_t* const kGlobalKey = L"Global";
} // namespace

void OdDbDatabaseReactor::objectAppended(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectUnAppended(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectReAppended(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectOpenedForModify(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectModified(const OdDbDatabase*, const OdDbObject*) {}
void OdDbDatabaseReactor::objectErased(const OdDbDatabase*, const OdDbObject*, bool) {}
void OdDbDatabaseReactor::headerSysVarWillChange(const OdDbDatabase*, const OdString&) {}
void OdDbDatabaseReactor::headerSysVarChanged(const OdDbDatabase*, const OdString&) {}
void OdDbDatabaseReactor::goodbye(const OdDbDatabase*) {}

void OdDbIdMapping::assoc(const OdDbIdPair& pair) { m_pairs[pair.key()] = pair; }

bool OdDbIdMapping::compute(OdDbIdPair& pair) const
{
  auto it = m_pairs.find(pair.key());
  if (it == m_pairs.end())
    return false;
  pair = it->second;
  return true;
}

bool OdDbIdMapping::del(const OdDbObjectId& key) { return m_pairs.erase(key) > 0; }

OdArray<OdDbIdPair> OdDbIdMapping::pairs() const
{
  OdArray<OdDbIdPair> out;
  for (const auto& entry : m_pairs)
    out.append(entry.second);
  return out;
}

OdDbDatabase::OdDbDatabase()
  : m_serialNumber([] {
      static std::atomic<OdUInt64> made{0};
      return ++made;
    }())
{
}

OdDbDatabase::~OdDbDatabase()
{
  m_undo.reset();
  auto reactors = m_reactors;
  for (auto& reactor : reactors)
  {
    try
    {
      reactor->goodbye(this);
    }
    catch (...)
    {
    }
  }
  m_reactors.clear();
  // Ids outlive the database: their stubs forget it, then the objects go.
  for (OdDbStub* stub : m_objects)
    stub->database = nullptr;
  for (OdDbStub* stub : m_objects)
  {
    OdDbObject* object = stub->object;
    stub->object = nullptr;
    if (object)
    {
      OdDbInternal::detachFromDatabase(object);
      object->release();
    }
  }
}

OdDbDatabasePtr odCreateDatabase(bool defaultContents, OdDb::MeasurementValue measurement)
{
  OdDbDatabasePtr db = OdDbDatabase::createObject();
  if (defaultContents)
    db->initialize(measurement);
  return db;
}

OdDbObjectId OdDbDatabase::addResident(OdDbObject* object, const OdDbObjectId& ownerId)
{
  OdDbStub* stub = OdDbInternal::newStub();
  stub->database = this;
  stub->object = object;
  stub->handle = m_wantedHandle ? m_wantedHandle : m_nextHandle;
  m_nextHandle = std::max(m_nextHandle, stub->handle + 1);
  m_wantedHandle = 0;
  object->addRef();
  object->m_stub = stub;
  object->m_ownerId = ownerId;
  object->m_openMode = OdDb::kForWrite;
  object->m_appendedOpen = true;
  m_objects.push_back(stub);
  if (stub->handle != m_objects.size())
    m_placedHandles.emplace(stub->handle, stub);
  return OdDbObjectId(stub);
}

OdDbObjectId OdDbDatabase::addOdDbObject(OdDbObject* object, const OdDbObjectId& ownerId)
{
  const OdDbObjectId id = OdDbInternal::makeResident(this, object, ownerId);
  OdDbInternal::finishAppend(this, object);
  return id;
}

OdDbObjectId OdDbDatabase::getOdDbObjectId(const OdDbHandle& handle) const
{
  // Handles are handed out in order from 1, except those a file brought.
  const OdUInt64 value = handle;
  if (value != 0 && value <= m_objects.size() && m_objects[std::size_t(value - 1)]->handle == value)
    return OdDbObjectId(m_objects[std::size_t(value - 1)]);
  auto placed = m_placedHandles.find(value);
  return placed == m_placedHandles.end() ? OdDbObjectId() : OdDbObjectId(placed->second);
}

void OdDbDatabase::initialize(OdDb::MeasurementValue measurement)
{
  if (!m_blockTableId.isNull())
    throw OdError(eInvalidInput, L"The database already has its default contents");
  m_measurement = measurement;

  OdDbBlockTablePtr blocks = OdDbBlockTable::createObject();
  m_blockTableId = addOdDbObject(blocks);
  OdDbBlockTableRecordPtr model = OdDbBlockTableRecord::createObject();
  model->setName(OdDbBlockTableRecord::kModelSpace);
  m_modelSpaceId = blocks->add(model);
  OdDbBlockTableRecordPtr paper = OdDbBlockTableRecord::createObject();
  paper->setName(OdDbBlockTableRecord::kPaperSpace);
  m_paperSpaceId = blocks->add(paper);

  OdDbDictionaryPtr named = OdDbDictionary::createObject();
  m_namedObjectsId = addOdDbObject(named);
  getGroupDictionaryId(true);
  OdDbDictionaryPtr materials = getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
  OdDbObjectId standard[3];
  const wchar_t* const keys[3] = {kByLayerKey, kByBlockKey, kGlobalKey};
  for (int i = 0; i < 3; ++i)
  {
    OdDbMaterialPtr material = OdDbMaterial::createObject();
    material->setName(keys[i]);
    standard[i] = materials->setAt(keys[i], material);
  }

  OdDbLayerTablePtr layers = OdDbLayerTable::createObject();
  m_layerTableId = addOdDbObject(layers);
  OdDbLayerTableRecordPtr zero = OdDbLayerTableRecord::createObject();
  zero->setName(L"0");
  zero->setMaterialId(standard[2]);
  m_layerZeroId = layers->add(zero);

  m_clayer = m_layerZeroId;
  m_cmaterial = standard[0];
}

bool OdDbInternal::wantHandle(OdDbDatabase* database, OdUInt64 handle)
{
  if (handle == 0 || !database->getOdDbObjectId(handle).isNull())
    return false;
  database->m_wantedHandle = handle;
  return true;
}

OdUInt64 OdDbInternal::handleSeed(const OdDbDatabase* database) { return database->m_nextHandle; }

void OdDbInternal::raiseHandleSeed(OdDbDatabase* database, OdUInt64 seed)
{
  database->m_nextHandle = std::max(database->m_nextHandle, seed);
}

void OdDbInternal::setRoots(OdDbDatabase* database, const DatabaseRoots& roots)
{
  database->m_blockTableId = roots.blockTable;
  database->m_layerTableId = roots.layerTable;
  database->m_modelSpaceId = roots.modelSpace;
  database->m_paperSpaceId = roots.paperSpace;
  database->m_layerZeroId = roots.layerZero;
  database->m_namedObjectsId = roots.namedObjects;
  database->m_clayer = roots.layerZero;
}

OdDbObjectId OdDbDatabase::getMaterialDictionaryId(bool createIfNotFound)
{
  auto* named = OdDbInternal::peekAs<OdDbDictionary>(m_namedObjectsId);
  if (!named)
    return OdDbObjectId();
  OdDbObjectId id = named->getAt(materialDictionaryKey());
  if (id.isNull() && createIfNotFound)
  {
    OdDbDictionaryPtr dictionary = OdDbDictionary::createObject();
    OdDbObjectPtr namedOpen;
    if (!named->isWriteEnabled() && (namedOpen = m_namedObjectsId.openObject(OdDb::kForWrite)).isNull())
      return OdDbObjectId();
    id = named->setAt(materialDictionaryKey(), dictionary);
  }
  return id;
}

OdDbObjectId OdDbDatabase::getGroupDictionaryId(bool createIfNotFound)
{
  auto* named = OdDbInternal::peekAs<OdDbDictionary>(m_namedObjectsId);
  if (!named)
    return OdDbObjectId();
  OdDbObjectId id = named->getAt(groupDictionaryKey());
  if (id.isNull() && createIfNotFound)
  {
    OdDbDictionaryPtr dictionary = OdDbDictionary::createObject();
    OdDbObjectPtr namedOpen;
    if (!named->isWriteEnabled() && (namedOpen = m_namedObjectsId.openObject(OdDb::kForWrite)).isNull())
      return OdDbObjectId();
    id = named->setAt(groupDictionaryKey(), dictionary);
  }
  return id;
}

namespace
{
OdDbObjectId standardMaterial(OdDbDatabase* db, const wchar_t* key)
{
  auto* dictionary = OdDbInternal::peekAs<OdDbDictionary>(db->getMaterialDictionaryId(false));
  return dictionary ? dictionary->getAt(key) : OdDbObjectId();
}
} // namespace

OdDbObjectId OdDbDatabase::byLayerMaterialId() const
{
  return standardMaterial(const_cast<OdDbDatabase*>(this), kByLayerKey);
}
OdDbObjectId OdDbDatabase::byBlockMaterialId() const
{
  return standardMaterial(const_cast<OdDbDatabase*>(this), kByBlockKey);
}
OdDbObjectId OdDbDatabase::globalMaterialId() const
{
  return standardMaterial(const_cast<OdDbDatabase*>(this), kGlobalKey);
}

void OdDbDatabase::setCMATERIAL(const OdDbObjectId& id)
{
  if (!id.isNull() && (id.database() != this || !OdDbInternal::peekAs<OdDbMaterial>(id)))
    throw OdError(eInvalidInput, L"CMATERIAL must name a material of this database");
  OdDbInternal::noteHeaderChange(this);
  notify([&](OdDbDatabaseReactor* r) { r->headerSysVarWillChange(this, L"CMATERIAL"); });
  m_cmaterial = id;
  notify([&](OdDbDatabaseReactor* r) { r->headerSysVarChanged(this, L"CMATERIAL"); });
}

void OdDbDatabase::setCLAYER(const OdDbObjectId& id)
{
  if (id.database() != this || !OdDbInternal::peekAs<OdDbLayerTableRecord>(id))
    throw OdError(eInvalidInput, L"CLAYER must name a layer of this database");
  OdDbInternal::noteHeaderChange(this);
  notify([&](OdDbDatabaseReactor* r) { r->headerSysVarWillChange(this, L"CLAYER"); });
  m_clayer = id;
  notify([&](OdDbDatabaseReactor* r) { r->headerSysVarChanged(this, L"CLAYER"); });
}

void OdDbDatabase::setHeaderIds(const OdDbObjectId& cmaterial, const OdDbObjectId& clayer)
{
  if (cmaterial != m_cmaterial)
  {
    notify([&](OdDbDatabaseReactor* r) { r->headerSysVarWillChange(this, L"CMATERIAL"); });
    m_cmaterial = cmaterial;
    notify([&](OdDbDatabaseReactor* r) { r->headerSysVarChanged(this, L"CMATERIAL"); });
  }
  if (clayer != m_clayer)
  {
    notify([&](OdDbDatabaseReactor* r) { r->headerSysVarWillChange(this, L"CLAYER"); });
    m_clayer = clayer;
    notify([&](OdDbDatabaseReactor* r) { r->headerSysVarChanged(this, L"CLAYER"); });
  }
}

void OdDbDatabase::enableUndoRecording(bool enable)
{
  if (!enable)
    m_undo.reset();
  else if (!m_undo)
    m_undo = std::make_unique<OdDbUndoHistory>(this);
}

void OdDbDatabase::startUndoRecord(const OdString& name)
{
  if (m_undo)
    m_undo->start(name);
}

void OdDbDatabase::endUndoRecord()
{
  if (m_undo)
    m_undo->end();
}

bool OdDbDatabase::hasOpenUndoRecord() const { return m_undo && m_undo->isOpen(); }

void OdDbDatabase::nameUndoRecord(const OdString& name)
{
  if (m_undo)
    m_undo->name(name);
}

OdResult OdDbDatabase::undo() { return m_undo ? m_undo->undo() : eNotApplicable; }
OdResult OdDbDatabase::redo() { return m_undo ? m_undo->redo() : eNotApplicable; }
OdUInt32 OdDbDatabase::numUndoSteps() const { return m_undo ? m_undo->numUndo() : 0; }
OdUInt32 OdDbDatabase::numRedoSteps() const { return m_undo ? m_undo->numRedo() : 0; }
OdString OdDbDatabase::undoStepName(OdUInt32 index) const { return m_undo ? m_undo->undoName(index) : OdString(); }
OdString OdDbDatabase::redoStepName(OdUInt32 index) const { return m_undo ? m_undo->redoName(index) : OdString(); }

void OdDbDatabase::clearUndoHistory()
{
  if (m_undo)
    m_undo->clear();
}

void OdDbDatabase::setActiveViewportRenderMode(OdDb::RenderMode mode)
{
  if (mode < OdDb::k2DOptimized || mode > OdDb::kGouraudShadedWithWireframe)
    throw OdError(eInvalidInput, L"No such render mode");
  m_renderMode = mode;
}

void OdDbDatabase::addReactor(OdDbDatabaseReactor* reactor)
{
  if (reactor && !hasReactor(reactor))
    m_reactors.emplace_back(reactor);
}

void OdDbDatabase::removeReactor(OdDbDatabaseReactor* reactor)
{
  auto it = std::find_if(m_reactors.begin(), m_reactors.end(),
                         [&](const OdDbDatabaseReactorPtr& r) { return r.get() == reactor; });
  if (it != m_reactors.end())
    m_reactors.erase(it);
}

bool OdDbDatabase::hasReactor(const OdDbDatabaseReactor* reactor) const
{
  return std::any_of(m_reactors.begin(), m_reactors.end(),
                     [&](const OdDbDatabaseReactorPtr& r) { return r.get() == reactor; });
}

template <class Fn>
void OdDbDatabase::notify(Fn&& fn)
{
  // A reactor may remove itself (or another) while it is told.
  const auto reactors = m_reactors;
  for (const auto& reactor : reactors)
    if (hasReactor(reactor.get()))
      fn(reactor.get());
}

void OdDbDatabase::fireAppended(const OdDbObject* object)
{
  notify([&](OdDbDatabaseReactor* r) { r->objectAppended(this, object); });
}

void OdDbDatabase::fireModified(const OdDbObject* object)
{
  notify([&](OdDbDatabaseReactor* r) { r->objectModified(this, object); });
}

void OdDbDatabase::fireOpenedForModify(const OdDbObject* object)
{
  notify([&](OdDbDatabaseReactor* r) { r->objectOpenedForModify(this, object); });
}

void OdDbDatabase::fireErased(const OdDbObject* object, bool erased)
{
  notify([&](OdDbDatabaseReactor* r) { r->objectErased(this, object, erased); });
}

void OdDbDatabase::wblockCloneObjects(const OdDbObjectIdArray& objectIds, const OdDbObjectId& ownerId,
                                      OdDbIdMapping& mapping, OdDb::DuplicateRecordCloning drc, bool)
{
  mapping.setDeepCloneContext(OdDb::kDcWblock);
  mapping.setDuplicateRecordCloning(drc);
  cloneInto(objectIds, ownerId, mapping, drc);
}

void OdDbDatabase::deepCloneObjects(const OdDbObjectIdArray& objectIds, const OdDbObjectId& ownerId,
                                    OdDbIdMapping& mapping, bool)
{
  for (const OdDbObjectId& id : objectIds)
    if (id.database() != this)
      throw OdError(eWrongDatabase, L"Deep cloning copies objects within their own database");
  mapping.setDeepCloneContext(OdDb::kDcCopy);
  cloneInto(objectIds, ownerId, mapping, OdDb::kDrcNotApplicable);
}

void OdDbDatabase::cloneInto(const OdDbObjectIdArray& objectIds, const OdDbObjectId& ownerId, OdDbIdMapping& mapping,
                             OdDb::DuplicateRecordCloning drc)
{
  if (ownerId.database() != this)
    throw OdError(eWrongDatabase, L"The owner of the clones must belong to the destination database");
  OdDbObjectPtr owner = ownerId.safeOpenObject(OdDb::kForWrite);
  auto* dictionary = OdDbDictionary::cast(owner.get()).get();
  auto* block = OdDbBlockTableRecord::cast(owner.get()).get();
  if (!dictionary && !block)
    throw OdError(eInvalidOwnerObject, L"Clones can be owned by a dictionary or a block record only");
  mapping.setDestDb(this);

  for (const OdDbObjectId& sourceId : objectIds)
  {
    OdDbIdPair pair(sourceId);
    if (mapping.compute(pair))
      continue;
    OdDbObjectPtr source = sourceId.safeOpenObject(OdDb::kForRead);
    if (!mapping.origDb())
      mapping.setOrigDb(sourceId.database());

    OdDbObjectPtr copy = OdDbObjectPtr(source->clone());
    OdDbObjectId newId;
    if (dictionary)
    {
      // The key is the one the source had in its own dictionary; a material
      // outside a dictionary goes under its name.
      OdString key;
      if (auto* sourceOwner = OdDbInternal::peekAs<OdDbDictionary>(source->ownerId()))
        key = sourceOwner->nameAt(sourceId);
      if (key.isEmpty())
        if (auto* material = OdDbMaterial::cast(source.get()).get())
          key = material->name();
      if (key.isEmpty())
        throw OdError(eInvalidInput, L"The object to clone has no key for the destination dictionary");
      const OdDbObjectId existing = dictionary->getAt(key);
      if (!existing.isNull())
      {
        if (drc == OdDb::kDrcReplace)
        {
          dictionary->remove(key);
          OdDbInternal::forceErase(OdDbInternal::peek(existing), true);
        }
        else if (drc == OdDb::kDrcNotApplicable)
          throw OdError(eDuplicateKey, OdString::format(L"The key \"%s\" is taken", key));
        else
        {
          mapping.assoc(OdDbIdPair(sourceId, existing, false, true));
          continue;
        }
      }
      newId = dictionary->setAt(key, copy);
    }
    else
    {
      auto* entity = OdDbEntity::cast(copy.get()).get();
      if (!entity)
        throw OdError_NotThatKindOfClass(copy->isA(), OdDbEntity::desc());
      newId = block->appendOdDbEntity(entity);
    }
    mapping.assoc(OdDbIdPair(sourceId, newId, true, true));
    if (sourceId.database() != this)
      copy->translateReferences(this, mapping);
  }
}
