// The material manager (service 3): binds to one drawing database, watches
// its materials and tells its observers; lists, adds and removes materials.
#pragma once

#include "core/MeServices.h"
#include "od/DbDatabase.h"

#include <list>

class OdDbMaterial;

namespace me
{
class IMeManager;

// Observer of the manager; every operation does nothing by default, and
// canDetach answers true.
class IMeManagerReactor
{
public:
  virtual ~IMeManagerReactor() = default;
  virtual void databaseChanged(OdDbDatabase* database) { (void)database; }
  // Appended, or brought back from erasure.
  virtual void materialAdded(const OdDbObjectId& id) { (void)id; }
  virtual void materialErased(const OdDbObjectId& id) { (void)id; }
  virtual void materialChanged(const OdDbObjectId& id) { (void)id; }
  virtual void managerClosing() {}
  virtual void detached(IMeManager* manager) { (void)manager; }
  virtual bool canDetach(IMeManager* manager)
  {
    (void)manager;
    return true;
  }
};

class IMeManager : public IMeServiceItem
{
public:
  virtual void setDatabase(OdDbDatabase* database) = 0;
  virtual void releaseDatabase(OdDbDatabase* database) = 0;
  virtual void closing() = 0;
  virtual void detachDatabase() = 0;
  virtual void addReactor(IMeManagerReactor* reactor) = 0;
  virtual void removeReactor(IMeManagerReactor* reactor) = 0;
  virtual bool collectMaterials(std::list<OdDbObjectId>& ids) = 0;
  virtual bool collectMaterials(OdDbObjectIdArray& ids) = 0;
  virtual OdDbObjectId byLayerMaterialId() = 0;
  virtual OdDbObjectId byBlockMaterialId() = 0;
  virtual OdDbObjectId globalMaterialId() = 0;
  // 0, or 20 (no dictionary), 21 (no id), 27 (name taken).
  virtual int addMaterial(OdDbMaterial* material) = 0;
  // 0, or 122 (unbound), 20 (cannot open), 398 (no such name).
  virtual int removeMaterial(const OdString& name) = 0;

  // The bound database, null when unbound.
  virtual OdDbDatabase* database() const = 0;
};
} // namespace me
