// The drawing database, its reactors and the id mapping of cloning.
#pragma once

#include "od/DbObject.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

class OdDbDatabase;
class OdDbUndoHistory;
struct OdDxfFileKept;

// Observer of one database; every notification does nothing by default.
class OdDbDatabaseReactor : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdDbDatabaseReactor);
  virtual void objectAppended(const OdDbDatabase* database, const OdDbObject* object);
  virtual void objectUnAppended(const OdDbDatabase* database, const OdDbObject* object);
  virtual void objectReAppended(const OdDbDatabase* database, const OdDbObject* object);
  virtual void objectOpenedForModify(const OdDbDatabase* database, const OdDbObject* object);
  virtual void objectModified(const OdDbDatabase* database, const OdDbObject* object);
  // For erasure (erased true) and for its undoing (false).
  virtual void objectErased(const OdDbDatabase* database, const OdDbObject* object, bool erased = true);
  virtual void headerSysVarWillChange(const OdDbDatabase* database, const OdString& name);
  virtual void headerSysVarChanged(const OdDbDatabase* database, const OdString& name);
  virtual void goodbye(const OdDbDatabase* database);

protected:
  OdDbDatabaseReactor() = default;
};
using OdDbDatabaseReactorPtr = OdSmartPtr<OdDbDatabaseReactor>;

class OdDbIdPair
{
public:
  OdDbIdPair() = default;
  explicit OdDbIdPair(const OdDbObjectId& key) : m_key(key) {}
  OdDbIdPair(const OdDbObjectId& key, const OdDbObjectId& value, bool cloned, bool primary = false)
    : m_key(key), m_value(value), m_cloned(cloned), m_primary(primary)
  {
  }
  const OdDbObjectId& key() const { return m_key; }
  const OdDbObjectId& value() const { return m_value; }
  void setKey(const OdDbObjectId& key) { m_key = key; }
  void setValue(const OdDbObjectId& value) { m_value = value; }
  bool isCloned() const { return m_cloned; }
  bool isPrimary() const { return m_primary; }
  void setCloned(bool cloned) { m_cloned = cloned; }
  void setPrimary(bool primary) { m_primary = primary; }

private:
  OdDbObjectId m_key;
  OdDbObjectId m_value;
  bool m_cloned = false;
  bool m_primary = false;
};

// Source id to destination id, filled by the clone operations.
class OdDbIdMapping : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdDbIdMapping);
  OdDbIdMapping() = default;

  void assoc(const OdDbIdPair& pair);
  // Fills the pair's value from its key; false when the key is not mapped.
  bool compute(OdDbIdPair& pair) const;
  bool del(const OdDbObjectId& key);
  OdArray<OdDbIdPair> pairs() const;

  OdDbDatabase* destDb() const { return m_destDb; }
  void setDestDb(OdDbDatabase* db) { m_destDb = db; }
  OdDbDatabase* origDb() const { return m_origDb; }
  void setOrigDb(OdDbDatabase* db) { m_origDb = db; }
  OdDb::DuplicateRecordCloning duplicateRecordCloning() const { return m_drc; }
  void setDuplicateRecordCloning(OdDb::DuplicateRecordCloning drc) { m_drc = drc; }
  OdDb::DeepCloneType deepCloneContext() const { return m_context; }
  void setDeepCloneContext(OdDb::DeepCloneType context) { m_context = context; }

private:
  std::map<OdDbObjectId, OdDbIdPair> m_pairs;
  OdDbDatabase* m_destDb = nullptr;
  OdDbDatabase* m_origDb = nullptr;
  OdDb::DuplicateRecordCloning m_drc = OdDb::kDrcNotApplicable;
  OdDb::DeepCloneType m_context = OdDb::kDcCopy;
};
using OdDbIdMappingPtr = OdSmartPtr<OdDbIdMapping>;

class OdDbDatabase : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdDbDatabase);
  OdDbDatabase();
  ~OdDbDatabase() override;

  // Fills an empty database with the default contents: block table with
  // model and paper space, layer table with layer "0", the named-object
  // dictionary with the group and material dictionaries, the materials
  // "By Layer", "By Block" and "Global", CLAYER and CMATERIAL.
  void initialize(OdDb::MeasurementValue measurement = OdDb::kMetric);

  // Makes the object part of this database, owned by ownerId. The caller's
  // reference counts as an opening for write; reactors hear objectAppended.
  OdDbObjectId addOdDbObject(OdDbObject* object, const OdDbObjectId& ownerId = OdDbObjectId::kNull);
  OdDbObjectId getOdDbObjectId(const OdDbHandle& handle) const;
  // Names this database for as long as the process runs: never 0 and never
  // given to another database, unlike its address, which a database made
  // after this one has gone may take.
  OdUInt64 serialNumber() const { return m_serialNumber; }
  // Objects ever added, erased ones included.
  OdUInt32 numObjects() const { return OdUInt32(m_objects.size()); }

  void addReactor(OdDbDatabaseReactor* reactor);
  void removeReactor(OdDbDatabaseReactor* reactor);
  bool hasReactor(const OdDbDatabaseReactor* reactor) const;

  OdDbObjectId getBlockTableId() const { return m_blockTableId; }
  OdDbObjectId getLayerTableId() const { return m_layerTableId; }
  OdDbObjectId getModelSpaceId() const { return m_modelSpaceId; }
  OdDbObjectId getPaperSpaceId() const { return m_paperSpaceId; }
  OdDbObjectId getLayerZeroId() const { return m_layerZeroId; }
  OdDbObjectId getNamedObjectsDictionaryId() const { return m_namedObjectsId; }
  // Null when missing and not to be created.
  OdDbObjectId getMaterialDictionaryId(bool createIfNotFound = true);
  OdDbObjectId getGroupDictionaryId(bool createIfNotFound = true);
  // The standard materials, by their keys in the material dictionary.
  OdDbObjectId byLayerMaterialId() const;
  OdDbObjectId byBlockMaterialId() const;
  OdDbObjectId globalMaterialId() const;

  OdDbObjectId getCMATERIAL() const { return m_cmaterial; }
  void setCMATERIAL(const OdDbObjectId& id);
  OdDbObjectId getCLAYER() const { return m_clayer; }
  void setCLAYER(const OdDbObjectId& id);
  // The render mode of the current layout's active viewport. This database
  // has one layout, model space, seen through one viewport; views set up
  // for it (OdDbGsManager::setupActiveLayoutViews) take this mode. A value
  // outside OdDb::RenderMode throws eInvalidInput and changes nothing.
  OdDb::RenderMode activeViewportRenderMode() const { return m_renderMode; }
  void setActiveViewportRenderMode(OdDb::RenderMode mode);
  OdDb::MeasurementValue getMEASUREMENT() const { return m_measurement; }
  void setMEASUREMENT(OdDb::MeasurementValue value) { m_measurement = value; }
  const OdString& getFilename() const { return m_fileName; }
  void setDatabaseFileName(const OdString& fileName) { m_fileName = fileName; }

  // Copies the objects into this database, owned by ownerId (a dictionary,
  // under the source object's key, or a block record). With kDrcReplace an
  // object under the same key is erased and replaced; with kDrcIgnore the
  // existing one is kept and mapped. The mapping receives every pair.
  void wblockCloneObjects(const OdDbObjectIdArray& objectIds, const OdDbObjectId& ownerId, OdDbIdMapping& mapping,
                          OdDb::DuplicateRecordCloning drc, bool deferTranslation = false);
  // Copies objects within their own database; a dictionary key that is taken
  // gives eDuplicateKey.
  void deepCloneObjects(const OdDbObjectIdArray& objectIds, const OdDbObjectId& ownerId, OdDbIdMapping& mapping,
                        bool deferTranslation = false);

  // Undo. Off until enabled, so that scratch databases (previews, clones,
  // a drawing being read) keep no history. While on, an object's state is
  // kept before its first change in a step: when it is opened for write,
  // erased or unerased, appended, or its key in a dictionary or table
  // changes; CMATERIAL and CLAYER too. Only objects opened for write cost
  // memory.
  //
  // Steps: startUndoRecord(name) opens one and endUndoRecord() closes it;
  // calls nest, the outermost pair makes the step. A change made while no
  // step is open opens an unnamed one that lasts until endUndoRecord() or
  // the next startUndoRecord(): so a caller that cannot bracket a change
  // (a window reacting to input) still gets one step per input, closed by
  // whoever knows when the input is handled. A step that changed nothing
  // is dropped; a step with changes drops what could be redone.
  //
  // undo() closes an open step, then restores the states of the last step
  // in reverse order; redo() re-applies it. The reactors hear of it after
  // every object of the step is back, so each sees a whole drawing: a
  // restored object is objectModified; an undone append objectErased(true)
  // and a redone one objectErased(false); an undone erase objectErased(false)
  // and a redone one objectErased(true). Both answer eNotApplicable when
  // there is nothing to undo or redo, eWasOpenedForWrite (nothing changes)
  // when an object of the step is open for write.
  // Turning it off drops the history.
  void enableUndoRecording(bool enable);
  bool isUndoRecordingEnabled() const { return m_undo != nullptr; }
  void startUndoRecord(const OdString& name = OdString());
  void endUndoRecord();
  bool hasOpenUndoRecord() const;
  // Names the open step after what it changed ("Glossiness"), for a caller
  // that cannot bracket its change. A step that has a name keeps it (the
  // first name wins; a command's step keeps the command's); with no step
  // open, or an empty name, nothing changes.
  void nameUndoRecord(const OdString& name);
  OdResult undo();
  OdResult redo();
  OdUInt32 numUndoSteps() const;
  OdUInt32 numRedoSteps() const;
  // 0 is the step undo() (redo()) takes next; empty past the end or for an
  // unnamed step.
  OdString undoStepName(OdUInt32 index) const;
  OdString redoStepName(OdUInt32 index) const;
  // Forgets every step, an open one too; recording stays as it was.
  void clearUndoHistory();

  // Used by objects to tell the reactors.
  void fireAppended(const OdDbObject* object);
  void fireModified(const OdDbObject* object);
  void fireOpenedForModify(const OdDbObject* object);
  void fireErased(const OdDbObject* object, bool erased);

  // What the drawing file it was read from held outside the objects the
  // model knows (see od/DbProxy.h); null for a drawing made by the program.
  const OdDxfFileKept* dxfFileKept() const { return m_dxfFileKept.get(); }
  void setDxfFileKept(std::shared_ptr<const OdDxfFileKept> kept) { m_dxfFileKept = std::move(kept); }

private:
  friend struct OdDbInternal;
  friend class OdDbUndoHistory;
  OdDbObjectId addResident(OdDbObject* object, const OdDbObjectId& ownerId);
  void cloneInto(const OdDbObjectIdArray& objectIds, const OdDbObjectId& ownerId, OdDbIdMapping& mapping,
                 OdDb::DuplicateRecordCloning drc);
  template <class Fn>
  void notify(Fn&& fn);
  void setHeaderIds(const OdDbObjectId& cmaterial, const OdDbObjectId& clayer);

  const OdUInt64 m_serialNumber;
  std::vector<OdDbStub*> m_objects;
  std::vector<OdDbDatabaseReactorPtr> m_reactors;
  OdUInt64 m_nextHandle = 1;
  // A drawing file's own handle for the next object made resident (0: none).
  OdUInt64 m_wantedHandle = 0;
  // Objects whose handle is not their place in m_objects (read from files).
  std::unordered_map<OdUInt64, OdDbStub*> m_placedHandles;

  OdDbObjectId m_blockTableId, m_layerTableId, m_modelSpaceId, m_paperSpaceId, m_layerZeroId;
  OdDbObjectId m_namedObjectsId;
  OdDbObjectId m_cmaterial, m_clayer;
  OdDb::MeasurementValue m_measurement = OdDb::kMetric;
  OdDb::RenderMode m_renderMode = OdDb::k2DOptimized;
  OdString m_fileName;
  std::unique_ptr<OdDbUndoHistory> m_undo; // null while undo is off
  std::shared_ptr<const OdDxfFileKept> m_dxfFileKept;
};
using OdDbDatabasePtr = OdSmartPtr<OdDbDatabase>;

// A new database, with default contents unless told otherwise.
OdDbDatabasePtr odCreateDatabase(bool defaultContents = true, OdDb::MeasurementValue measurement = OdDb::kMetric);
