// Small drawings and a recording manager observer for the manager tests.
#pragma once

#include "common/TestDrawing.h"
#include "common/TestHost.h"
#include "common/od_print.h"
#include "core/IMeManager.h"
#include "od/OdSdk.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mt
{
inline OdDbObjectId addBlock(OdDbDatabase* db, const OdString& name)
{
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::createObject();
  block->setName(name);
  return blocks->add(block);
}

inline OdDbObjectId append(const OdDbObjectId& owner, OdDbEntity* entity)
{
  OdDbBlockTableRecordPtr record = owner.safeOpenObject(OdDb::kForWrite);
  entity->setDatabaseDefaults(owner.database());
  return record->appendOdDbEntity(entity);
}

// A mesh with the material (the drawing's default when null).
inline OdDbObjectId addMesh(const OdDbObjectId& owner, const OdDbObjectId& material = OdDbObjectId())
{
  OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
  const OdDbObjectId id = append(owner, mesh);
  if (!material.isNull())
    mesh->setMaterial(material);
  return id;
}

inline OdDbObjectId addInsert(const OdDbObjectId& owner, const OdDbObjectId& block)
{
  OdDbBlockReferencePtr insert = OdDbBlockReference::createObject();
  insert->setBlockTableRecord(block);
  return append(owner, insert);
}

inline OdDbObjectId addLayer(OdDbDatabase* db, const OdString& name, const OdDbObjectId& material)
{
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
  layer->setName(name);
  layer->setMaterialId(material);
  return layers->add(layer);
}

inline void addGroup(OdDbDatabase* db, const OdString& name, const OdDbObjectIdArray& members)
{
  OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbGroupPtr group = OdDbGroup::createObject();
  groups->setAt(name, group);
  for (const auto& member : members)
    group->append(member);
}

inline OdDbObjectId materialOfEntity(const OdDbObjectId& id) { return OdDbEntityPtr(id.safeOpenObject())->materialId(); }
inline OdDbObjectId materialOfLayer(const OdDbObjectId& id) { return OdDbLayerTableRecordPtr(id.safeOpenObject())->materialId(); }
inline int countOf(const OdDbObjectIdArray& ids, const OdDbObjectId& id) { return int(std::count(ids.begin(), ids.end(), id)); }

using Lines = std::vector<std::string>;

// Records what the manager tells, as lines ("added Steel"), here and in a
// journal that several recorders may share.
class Recorder : public me::IMeManagerReactor
{
public:
  explicit Recorder(std::string tag = "", bool detachable = true) : m_tag(std::move(tag)), m_detachable(detachable) {}
  Lines events;
  Lines* journal = nullptr;

  void databaseChanged(OdDbDatabase*) override { log("database"); }
  void materialAdded(const OdDbObjectId& id) override { log("added " + name(id)); }
  void materialErased(const OdDbObjectId& id) override { log("erased " + name(id)); }
  void materialChanged(const OdDbObjectId& id) override { log("changed " + name(id)); }
  void managerClosing() override { log("closing"); }
  void detached(me::IMeManager*) override { log("detached"); }
  bool canDetach(me::IMeManager*) override { return m_detachable; }

private:
  static std::string name(const OdDbObjectId& id)
  {
    OdDbMaterialPtr material = OdDbMaterial::cast(id.openObject(OdDb::kForRead, true).get());
    return material ? material->name().toUtf8() : "?";
  }
  void log(const std::string& line)
  {
    events.push_back(line);
    if (journal)
      journal->push_back(m_tag + " " + line);
  }
  std::string m_tag;
  bool m_detachable;
};
} // namespace mt
