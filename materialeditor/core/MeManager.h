// The material manager (service 3): IMeManager over one bound database, and
// the database observer that forwards material changes to its observers.
#pragma once

#include "core/IMeManager.h"

#include <atomic>
#include <vector>

namespace me
{
// The run-time class "MeManager" (parent OdDbDatabaseReactor), registered by
// the module at start-up and removed at shut-down. Both are idempotent.
void registerManagerClass();
void unregisterManagerClass();
// The registered class, or null.
OdRxClass* managerClass();

class MeManager : public IMeManager, public OdDbDatabaseReactor
{
public:
  MeManager();
  ~MeManager() override;

  // IMeManager
  void setDatabase(OdDbDatabase* database) override;
  void releaseDatabase(OdDbDatabase* database) override;
  void closing() override;
  void detachDatabase() override;
  void addReactor(IMeManagerReactor* reactor) override;
  void removeReactor(IMeManagerReactor* reactor) override;
  bool collectMaterials(std::list<OdDbObjectId>& ids) override;
  bool collectMaterials(OdDbObjectIdArray& ids) override;
  OdDbObjectId byLayerMaterialId() override;
  OdDbObjectId byBlockMaterialId() override;
  OdDbObjectId globalMaterialId() override;
  int addMaterial(OdDbMaterial* material) override;
  int removeMaterial(const OdString& name) override;
  OdDbDatabase* database() const override { return m_database; }

  // The observer part is owned by the registry, not by the databases that
  // hold it: its count starts at 1 and reaching 0 deletes nothing.
  void addRef() const override;
  void release() const override;
  long numRefs() const override;
  OdRxClass* isA() const override;

  // OdDbDatabaseReactor: only materials are forwarded.
  void objectAppended(const OdDbDatabase* database, const OdDbObject* object) override;
  void objectModified(const OdDbDatabase* database, const OdDbObject* object) override;
  void objectErased(const OdDbDatabase* database, const OdDbObject* object, bool erased) override;
  // A bound database that is destroyed unbinds the manager, so that it never
  // keeps a dangling database.
  void goodbye(const OdDbDatabase* database) override;

  const std::vector<IMeManagerReactor*>& reactors() const { return m_reactors; }

private:
  void unbind();
  template <class Fn> void notify(Fn&& fn);
  OdDbObjectId standardMaterial(const wchar_t* key);
  template <class Append> bool collect(Append&& append);

  mutable std::atomic<long> m_refs{1};
  OdDbDatabase* m_database = nullptr;
  std::vector<IMeManagerReactor*> m_reactors;
};
} // namespace me
