#include "DbInternal.h"

#include <deque>

ODRX_DEFINE_MEMBERS(OdDbObject, OdRxObject, nullptr)

const OdDbObjectId OdDbObjectId::kNull;

OdDbStub* OdDbInternal::newStub()
{
  static std::deque<OdDbStub> stubs;
  stubs.emplace_back();
  return &stubs.back();
}

OdDbObject* OdDbInternal::peek(const OdDbObjectId& id, bool evenErased)
{
  OdDbStub* stub = id.stub();
  if (!stub || !stub->database || !stub->object)
    return nullptr;
  if (stub->object->isErased() && !evenErased)
    return nullptr;
  return stub->object;
}

OdDbObjectId OdDbInternal::makeResident(OdDbDatabase* database, OdDbObject* object, const OdDbObjectId& ownerId)
{
  if (!database)
    throw OdError(eNoDatabase);
  if (!object)
    throw OdError(eNullPtr);
  if (object->m_stub)
    throw OdError(eAlreadyInDb);
  const OdDbObjectId id = database->addResident(object, ownerId);
  noteAppended(object);
  return id;
}

void OdDbInternal::finishAppend(OdDbDatabase* database, OdDbObject* object)
{
  noteBlockReference(object);
  database->fireAppended(object);
  // Nobody but the database holds it: the appending open ends here.
  if (object->numRefs() == 1)
    object->close();
}

void OdDbInternal::forceErase(OdDbObject* object, bool erasing)
{
  if (!object || object->m_erased == erasing)
    return;
  noteChange(object);
  object->subErase(erasing); // the owner's erasure overrides a refusal
  object->m_erased = erasing;
  // Reactors may read the object while they are told.
  const OdDb::OpenMode mode = object->m_openMode;
  if (mode == OdDb::kNotOpen)
    object->m_openMode = OdDb::kForRead;
  if (OdDbDatabase* db = object->database())
    db->fireErased(object, erasing);
  object->m_openMode = mode;
}

void OdDbInternal::detachFromDatabase(OdDbObject* object)
{
  object->m_openMode = OdDb::kNotOpen;
  object->m_appendedOpen = false;
}

OdString OdDbHandle::ascii() const { return OdString::format(L"%llX", static_cast<unsigned long long>(m_value)); }

bool OdDbObjectId::isValid() const { return m_stub && m_stub->database && m_stub->object; }

bool OdDbObjectId::isErased() const { return m_stub && m_stub->object && m_stub->object->isErased(); }

OdDbDatabase* OdDbObjectId::database() const { return m_stub ? m_stub->database : nullptr; }

OdDbHandle OdDbObjectId::getHandle() const { return m_stub ? OdDbHandle(m_stub->handle) : OdDbHandle(); }

bool OdDbObjectId::operator<(const OdDbObjectId& other) const
{
  // Handles order ids of one database as they were made; the stub address
  // separates databases.
  if (!m_stub || !other.m_stub)
    return m_stub == nullptr && other.m_stub != nullptr;
  if (m_stub->handle != other.m_stub->handle)
    return m_stub->handle < other.m_stub->handle;
  return m_stub < other.m_stub;
}

OdResult OdDbObjectId::openObject(OdDbObjectPtr& object, OdDb::OpenMode mode, bool openErased) const
{
  object = nullptr;
  if (!m_stub)
    return eNullObjectId;
  if (!m_stub->database)
    return eNoDatabase;
  OdDbObject* obj = m_stub->object;
  if (!obj)
    return eInvalidObjectId;
  if (obj->isErased() && !openErased)
    return eWasErased;
  if (mode == OdDb::kForWrite)
  {
    if (obj->openMode() == OdDb::kForWrite)
      return eWasOpenedForWrite;
    OdDbInternal::noteChange(obj);
    obj->m_openMode = OdDb::kForWrite;
    m_stub->database->fireOpenedForModify(obj);
  }
  else if (obj->openMode() == OdDb::kNotOpen)
    obj->m_openMode = OdDb::kForRead;
  object = obj;
  return eOk;
}

OdDbObjectPtr OdDbObjectId::openObject(OdDb::OpenMode mode, bool openErased) const
{
  OdDbObjectPtr object;
  openObject(object, mode, openErased);
  return object;
}

OdDbObjectPtr OdDbObjectId::safeOpenObject(OdDb::OpenMode mode, bool openErased) const
{
  OdDbObjectPtr object;
  const OdResult result = openObject(object, mode, openErased);
  if (result != eOk)
    throw OdError(result, OdString::format(L"%s (object %s)", odResultText(result), getHandle().ascii()));
  return object;
}

OdDbObject::~OdDbObject() = default;

OdDbObjectId OdDbObject::objectId() const { return OdDbObjectId(m_stub); }

void OdDbObject::setOwnerId(const OdDbObjectId& owner)
{
  if (owner == m_ownerId)
    return;
  OdDbInternal::noteChange(this);
  m_ownerId = owner;
}

OdDbDatabase* OdDbObject::database() const { return m_stub ? m_stub->database : nullptr; }

void OdDbObject::assertReadEnabled() const
{
  if (!isReadEnabled())
    throw OdError(eNotOpenForRead);
}

void OdDbObject::assertWriteEnabled() const
{
  if (!isWriteEnabled())
    throw OdError(eNotOpenForWrite, OdString::format(L"%s is not open for write", isA()->name()));
}

OdResult OdDbObject::subErase(bool) { return eOk; }

OdResult OdDbObject::erase(bool erasing)
{
  assertWriteEnabled();
  if (!isDBRO())
    return eNotInDatabase;
  if (m_erased == erasing)
    return erasing ? eWasErased : eWasNotErased;
  const OdResult refused = subErase(erasing);
  if (refused != eOk)
    return refused;
  m_erased = erasing;
  if (OdDbDatabase* db = database())
    db->fireErased(this, erasing);
  return eOk;
}

void OdDbObject::upgradeOpen()
{
  if (!isDBRO() || m_openMode == OdDb::kForWrite)
    return;
  if (m_openMode == OdDb::kNotOpen)
    throw OdError(eNotOpenForRead);
  OdDbInternal::noteChange(this);
  m_openMode = OdDb::kForWrite;
  if (OdDbDatabase* db = database())
    db->fireOpenedForModify(this);
}

void OdDbObject::downgradeOpen()
{
  if (!isDBRO() || m_openMode != OdDb::kForWrite)
    return;
  m_openMode = OdDb::kForRead;
  const bool appended = m_appendedOpen;
  m_appendedOpen = false;
  OdDbDatabase* db = database();
  if (db && !appended && !m_erased)
  {
    m_closing = true;
    try
    {
      db->fireModified(this);
    }
    catch (...)
    {
      m_closing = false;
      throw;
    }
    m_closing = false;
  }
}

void OdDbObject::close()
{
  if (m_openMode == OdDb::kNotOpen)
    return;
  const bool wrote = m_openMode == OdDb::kForWrite;
  const bool appended = m_appendedOpen;
  m_appendedOpen = false;
  OdDbDatabase* db = database();
  if (wrote && !appended && !m_erased && db)
  {
    // Readable while the reactors look at it; their own opens and releases
    // must not close it a second time.
    m_openMode = OdDb::kForRead;
    m_closing = true;
    try
    {
      db->fireModified(this);
    }
    catch (...)
    {
      // Closing happens in a release, which cannot throw; a reactor's
      // failure must not take the program down with it.
    }
    m_closing = false;
  }
  m_openMode = OdDb::kNotOpen;
}

void OdDbObject::release() const
{
  const long left = decrementRefs();
  if (left == 0)
  {
    delete this;
    return;
  }
  if (left == 1 && !m_closing && m_stub && m_stub->object == this && m_openMode != OdDb::kNotOpen)
    const_cast<OdDbObject*>(this)->close();
}

void OdDbObject::copyFrom(const OdRxObject* source)
{
  OdRxObject::copyFrom(source);
  m_dxfKept = static_cast<const OdDbObject*>(source)->m_dxfKept;
}

void OdDbObject::copyUndoState(const OdDbObject* source) { copyFrom(source); }

void OdDbObject::translateReferences(OdDbDatabase*, const OdDbIdMapping&) {}
