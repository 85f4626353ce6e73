// OdDbObject: the base of everything stored in a database.
//
// An object in a database is opened through its id for read or for write and
// is closed when the last smart pointer from that open is released. Closing
// an object opened for write tells the database reactors that it was
// modified. Only one opening for write at a time is allowed; reading while it
// is open for write is allowed.
#pragma once

#include "od/DbObjectId.h"

#include <memory>

class OdDbIdMapping;
struct OdDxfKept;

class OdDbObject : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdDbObject);
  ~OdDbObject() override;

  OdDbObjectId objectId() const;
  OdDbObjectId ownerId() const { return m_ownerId; }
  void setOwnerId(const OdDbObjectId& owner);
  OdDbDatabase* database() const;
  OdDbHandle getDbHandle() const { return objectId().getHandle(); }
  // Database-resident.
  bool isDBRO() const { return m_stub != nullptr; }

  bool isErased() const { return m_erased; }
  OdDb::OpenMode openMode() const { return m_openMode; }
  bool isReadEnabled() const { return !isDBRO() || m_openMode != OdDb::kNotOpen; }
  bool isWriteEnabled() const { return !isDBRO() || m_openMode == OdDb::kForWrite; }
  // Throw eNotOpenForRead / eNotOpenForWrite.
  void assertReadEnabled() const;
  void assertWriteEnabled() const;

  // Needs the object open for write. Erasing an erased object gives
  // eWasErased, unerasing a live one eWasNotErased; an object that refuses
  // gives its own code (eCannotBeErasedByCaller).
  OdResult erase(bool erasing = true);
  // Read to write; no change when already open for write.
  void upgradeOpen();
  // Write to read; the reactors hear of the modification now.
  void downgradeOpen();

  void release() const override;
  // Copies this object's own data; ids, owner and open state are not copied.
  void copyFrom(const OdRxObject* source) override;
  // After a clone into another database: make references to objects of the
  // source database point into the destination.
  virtual void translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping);

  // What a drawing file held of the object beyond what the model keeps
  // (see od/DbProxy.h); null for objects made by the program.
  const OdDxfKept* dxfKept() const { return m_dxfKept.get(); }
  void setDxfKept(std::shared_ptr<const OdDxfKept> kept) { m_dxfKept = std::move(kept); }

protected:
  OdDbObject() = default;
  // Lets a class refuse its own erasure.
  virtual OdResult subErase(bool erasing);
  // The whole state undo keeps and restores: copyFrom's data plus what a
  // clone must not take along (the entries of a container). Ids, owner,
  // erasure and open state are not part of it.
  virtual void copyUndoState(const OdDbObject* source);

private:
  friend class OdDbDatabase;
  friend struct OdDbInternal;
  friend class OdDbObjectId;
  friend class OdDbUndoHistory;
  void close();

  OdDbStub* m_stub = nullptr;
  OdDbObjectId m_ownerId;
  OdDb::OpenMode m_openMode = OdDb::kNotOpen;
  bool m_erased = false;
  bool m_appendedOpen = false; // the open that came with appending; its close is no modification
  bool m_closing = false;
  std::shared_ptr<const OdDxfKept> m_dxfKept;
};
