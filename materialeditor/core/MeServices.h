// The service registry: components find each other by a small integer id
// and send one-way events to a service.
//
//   IMeServiceItem     base of every registered service
//   IMeAppServices     the registry's interface; MeAppServices implements it
//   appServices()      the one registry, created on first call
#pragma once

#include <map>
#include <memory>

namespace me
{
class IMeSettingsStorage;
class IMeSystemDialogs;
class IMeManager;
class IMeEditor;

enum ServiceId
{
  kSettingsService = 0,
  kSystemDialogsService = 2,
  kManagerService = 3,
  kEditorService = 4,
  kMaterialEditorPaletteService = 5,
  kMaterialsBrowserService = 6,
  kPalettesService = 7, // the owner of the three palettes
};

enum ServiceEvent
{
  kEventCommitEditedMap = 1,        // to 4: write the edited map into the material
  kEventEndMapEditing = 2,          // to 4: map editing has ended
  kEventSpecularChanged = 3,        // to 5: set the title again
  kEventMaterialRenamed = 4,        // to 5: set the title again
  kEventRefreshEditedThumbnail = 5, // to 6: render the edited material's thumbnail again
};

class IMeServiceItem
{
public:
  virtual ~IMeServiceItem() = default;
  virtual void initialize() {}
  virtual void onServiceEvent(int event, void* argument)
  {
    (void)event;
    (void)argument;
  }
};

class IMeAppServices
{
public:
  // Destroys every registered item in ascending id order.
  virtual ~IMeAppServices() = default;
  // False for a null item or a taken id; the first registration stays.
  virtual bool registerService(int id, IMeServiceItem* item) = 0;
  virtual IMeServiceItem* getService(int id) = 0;
  // Ignored when the id is free.
  virtual void sendServiceEvent(int id, int event, void* argument) = 0;
};

class MeAppServices : public IMeAppServices
{
public:
  // Creates and registers the settings store (0), the system dialogs (2),
  // the material manager (3) and the material editor (4), then initialises
  // them in that order.
  MeAppServices();
  ~MeAppServices() override;
  MeAppServices(const MeAppServices&) = delete;
  MeAppServices& operator=(const MeAppServices&) = delete;

  bool registerService(int id, IMeServiceItem* item) override;
  IMeServiceItem* getService(int id) override;
  void sendServiceEvent(int id, int event, void* argument) override;

private:
  std::map<int, IMeServiceItem*> m_items;
};

// The one registry, created on first call and held by a static shared owner
// until the library's static objects are destroyed.
IMeAppServices* appServices();
// Whether it exists, without creating it.
bool hasAppServices();
// Destroys the registry now (tests, and a host that unloads modules without
// ending the process); the next appServices() makes a new one.
void destroyAppServices();

// The registry's send with the names of the service and the event; nothing
// without a registry.
void sendServiceEvent(ServiceId service, ServiceEvent event, void* argument = nullptr);

// Typed getters: null when the id is free or holds another kind of item.
IMeSettingsStorage* settingsService();
IMeSystemDialogs* systemDialogsService();
IMeManager* managerService();
IMeEditor* editorService();

// Factories of the built-in services, one per component.
IMeServiceItem* createSettingsStorage();
IMeServiceItem* createSystemDialogs();
IMeServiceItem* createManager();
IMeServiceItem* createEditor();
} // namespace me
