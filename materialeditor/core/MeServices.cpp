#include "core/MeServices.h"

#include "core/IMeEditor.h"
#include "core/IMeManager.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeSystemDialogs.h"

namespace me
{
MeAppServices::MeAppServices()
{
  // Nothing is registered when a creation fails: the items made so far go.
  try
  {
    registerService(kSettingsService, createSettingsStorage());
    registerService(kSystemDialogsService, createSystemDialogs());
    registerService(kManagerService, createManager());
    registerService(kEditorService, createEditor());
    for (auto& item : m_items)
      item.second->initialize();
  }
  catch (...)
  {
    for (auto& item : m_items)
      delete item.second;
    m_items.clear();
    throw;
  }
}

MeAppServices::~MeAppServices()
{
  // Ascending id order: the settings are written before the manager and the
  // editor go. An item may still look services up while it goes, so it
  // leaves the map only after its destructor has run.
  while (!m_items.empty())
  {
    auto first = m_items.begin();
    IMeServiceItem* item = first->second;
    first->second = nullptr;
    delete item;
    m_items.erase(first);
  }
}

bool MeAppServices::registerService(int id, IMeServiceItem* item)
{
  if (!item || m_items.count(id))
    return false;
  m_items.emplace(id, item);
  return true;
}

IMeServiceItem* MeAppServices::getService(int id)
{
  auto it = m_items.find(id);
  return it == m_items.end() ? nullptr : it->second;
}

void MeAppServices::sendServiceEvent(int id, int event, void* argument)
{
  if (IMeServiceItem* item = getService(id))
    item->onServiceEvent(event, argument);
}

namespace
{
// The static shared owner. While the registry is being destroyed, lookups
// from the items that go still reach it instead of building a new one.
struct RegistryHolder
{
  std::shared_ptr<MeAppServices> owner;
  MeAppServices* dying = nullptr;
  bool creating = false;

  ~RegistryHolder() { destroy(); }
  void destroy()
  {
    if (!owner)
      return;
    dying = owner.get();
    std::shared_ptr<MeAppServices> going = std::move(owner);
    going.reset();
    dying = nullptr;
  }
};

RegistryHolder& holder()
{
  static RegistryHolder registry;
  return registry;
}
} // namespace

IMeAppServices* appServices()
{
  RegistryHolder& h = holder();
  if (h.owner)
    return h.owner.get();
  if (h.dying)
    return h.dying;
  // A service that asks for the registry while it is being built gets null
  // rather than a second registry.
  if (h.creating)
    return nullptr;
  h.creating = true;
  try
  {
    h.owner = std::make_shared<MeAppServices>();
  }
  catch (...)
  {
    h.creating = false;
    throw;
  }
  h.creating = false;
  return h.owner.get();
}

bool hasAppServices() { return holder().owner != nullptr; }

void destroyAppServices() { holder().destroy(); }

void sendServiceEvent(ServiceId service, ServiceEvent event, void* argument)
{
  if (IMeAppServices* services = appServices())
    services->sendServiceEvent(service, event, argument);
}

namespace
{
template <class T>
T* typedService(int id)
{
  IMeAppServices* services = appServices();
  return services ? dynamic_cast<T*>(services->getService(id)) : nullptr;
}
} // namespace

IMeSettingsStorage* settingsService() { return typedService<IMeSettingsStorage>(kSettingsService); }
IMeSystemDialogs* systemDialogsService() { return typedService<IMeSystemDialogs>(kSystemDialogsService); }
IMeManager* managerService() { return typedService<IMeManager>(kManagerService); }
IMeEditor* editorService() { return typedService<IMeEditor>(kEditorService); }
} // namespace me
