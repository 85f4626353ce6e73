// Symbol tables and their records: block table and block records, layer
// table and layers. Record names are unique within a table, compared
// without case, and found through an index; records keep the order in
// which they were added.
#pragma once

#include "od/CmColor.h"
#include "od/DbEntity.h"

#include <map>
#include <vector>

// A walk over a snapshot of ids, skipping erased objects when asked.
class OdDbObjectIterator : public OdRxObject
{
public:
  bool done() const { return m_index >= m_ids.size(); }
  void step();
  void start() { m_index = 0; skip(); }
  OdDbObjectId objectId() const;
  OdDbEntityPtr entity(OdDb::OpenMode mode = OdDb::kForRead) const;
  OdDbObjectPtr object(OdDb::OpenMode mode = OdDb::kForRead) const;
  // The symbol-table spellings of the same.
  OdDbObjectId getRecordId() const { return objectId(); }
  OdDbObjectPtr getRecord(OdDb::OpenMode mode = OdDb::kForRead) const { return object(mode); }

  static OdSmartPtr<OdDbObjectIterator> create(std::vector<OdDbObjectId> ids, bool skipErased);

private:
  OdDbObjectIterator() = default;
  void skip();
  std::vector<OdDbObjectId> m_ids;
  std::size_t m_index = 0;
  bool m_skipErased = true;
};
using OdDbObjectIteratorPtr = OdSmartPtr<OdDbObjectIterator>;
using OdDbSymbolTableIterator = OdDbObjectIterator;
using OdDbSymbolTableIteratorPtr = OdDbObjectIteratorPtr;

class OdDbSymbolTableRecord : public OdDbObject
{
  ODRX_DECLARE_MEMBERS(OdDbSymbolTableRecord);
  const OdString& getName() const;
  // Renaming a record of a table to a name another record has throws
  // eDuplicateKey; an empty name eInvalidInput.
  void setName(const OdString& name);
  void copyFrom(const OdRxObject* source) override;

protected:
  OdDbSymbolTableRecord() = default;

private:
  OdString m_name;
};
using OdDbSymbolTableRecordPtr = OdSmartPtr<OdDbSymbolTableRecord>;

class OdDbSymbolTable : public OdDbObject
{
  ODRX_DECLARE_MEMBERS(OdDbSymbolTable);
  // Null when there is no record of that name (erased ones only when asked).
  OdDbObjectId getAt(const OdString& name, bool getErased = false) const;
  OdDbObjectPtr getAt(const OdString& name, OdDb::OpenMode mode, bool getErased = false) const;
  bool has(const OdString& name) const;
  bool has(const OdDbObjectId& id) const;
  // Adds the record, making it part of the database; eDuplicateKey when its
  // name is taken, eInvalidInput when it has none.
  OdDbObjectId add(OdDbSymbolTableRecord* record);
  OdDbSymbolTableIteratorPtr newIterator(bool atBeginning = true, bool skipDeleted = true) const;

protected:
  OdDbSymbolTable() = default;
  // The class of records this table accepts.
  virtual OdRxClass* recordClass() const = 0;
  void copyUndoState(const OdDbObject* source) override;

private:
  friend class OdDbSymbolTableRecord;
  bool indexes(const OdDbObjectId& id, const OdString& name) const;
  void rename(const OdDbObjectId& id, const OdString& oldName, const OdString& newName);
  std::vector<OdDbObjectId> m_records;
  // Ids by record name, erased records too, in the order they were added.
  std::map<OdString, std::vector<OdDbObjectId>, OdStringLessNoCase> m_byName;
};
using OdDbSymbolTablePtr = OdSmartPtr<OdDbSymbolTable>;

class OdDbBlockTableRecord : public OdDbSymbolTableRecord
{
  ODRX_DECLARE_MEMBERS(OdDbBlockTableRecord);
  OdDbBlockTableRecord() = default;
  static const wchar_t* const kModelSpace;
  static const wchar_t* const kPaperSpace;

  // Needs the record open for write and in a database.
  OdDbObjectId appendOdDbEntity(OdDbEntity* entity);
  OdDbObjectIteratorPtr newIterator(bool atBeginning = true, bool skipDeleted = true) const;
  bool isLayout() const;
  // Ids of the entities, erased ones included.
  const std::vector<OdDbObjectId>& entityIds() const;
  // The box around the entities, with what nested blocks insert; a block
  // that inserts itself, directly or not, adds nothing the second time.
  OdGeExtents3d geomExtents() const;
  // The block references of the database that insert this record, erased
  // ones left out, in the order they were made.
  OdResult getBlockReferenceIds(OdDbObjectIdArray& ids) const;

protected:
  void copyUndoState(const OdDbObject* source) override;

private:
  friend struct OdDbInternal;
  std::vector<OdDbObjectId> m_entities;
  // Kept up to date as references are made or pointed elsewhere; entries
  // that no longer fit are dropped when the list is read.
  mutable std::vector<OdDbObjectId> m_references;
};
using OdDbBlockTableRecordPtr = OdSmartPtr<OdDbBlockTableRecord>;

class OdDbBlockTable : public OdDbSymbolTable
{
  ODRX_DECLARE_MEMBERS(OdDbBlockTable);
  OdDbBlockTable() = default;

protected:
  OdRxClass* recordClass() const override;
};
using OdDbBlockTablePtr = OdSmartPtr<OdDbBlockTable>;

class OdDbLayerTableRecord : public OdDbSymbolTableRecord
{
  ODRX_DECLARE_MEMBERS(OdDbLayerTableRecord);
  OdDbLayerTableRecord() = default;

  OdCmColor color() const;
  void setColor(const OdCmColor& color);
  OdDbObjectId materialId() const;
  void setMaterialId(const OdDbObjectId& id);
  bool isOff() const;
  void setIsOff(bool off);
  void copyFrom(const OdRxObject* source) override;
  void translateReferences(OdDbDatabase* destination, const OdDbIdMapping& mapping) override;

private:
  OdCmColor m_color{OdCmEntityColor(OdUInt32(OdCmEntityColor::kByACI) << 24 | 7)};
  OdDbObjectId m_materialId;
  bool m_off = false;
};
using OdDbLayerTableRecordPtr = OdSmartPtr<OdDbLayerTableRecord>;

class OdDbLayerTable : public OdDbSymbolTable
{
  ODRX_DECLARE_MEMBERS(OdDbLayerTable);
  OdDbLayerTable() = default;

protected:
  OdRxClass* recordClass() const override;
};
using OdDbLayerTablePtr = OdSmartPtr<OdDbLayerTable>;
