#include "core/MeModule.h"

#include "core/MeDocumentManagerReactor.h"
#include "core/MeHost.h"
#include "core/MeManager.h"
#include "core/MeModuleInstance.h"
#include "core/MeServices.h"
#include "core/MeSystem.h"

#include <cstring>
#include <memory>

namespace me
{
namespace
{
OdRxWin32Module<MeMaterialEditorModule>* g_module = nullptr;
std::unique_ptr<MeDocumentManagerReactor> g_observer;
bool g_observerAttached = false;
bool g_browserShown = false;
BrowserToggle g_toggle = nullptr;
} // namespace

MeMaterialEditorModule::~MeMaterialEditorModule() = default;

OdRxModule* moduleObject(void* instance)
{
  if (!g_module)
    g_module = new OdRxWin32Module<MeMaterialEditorModule>(instance);
  return g_module;
}

OdRxModule* existingModuleObject() { return g_module; }

void MeMaterialEditorModule::deleteModule()
{
  if (g_module == this)
    g_module = nullptr;
  delete this;
}

void MeMaterialEditorModule::initApp()
{
  registerManagerClass();
  appServices();
  if (!g_observer)
    g_observer = std::make_unique<MeDocumentManagerReactor>();
}

void MeMaterialEditorModule::uninitApp()
{
  unregisterManagerClass();
  detachDocumentObserver();
  g_observer.reset();
}

OdString MeMaterialEditorModule::moduleName() const
{
  void* instance = const_cast<MeMaterialEditorModule*>(this)->sysData();
  return system().moduleFileName ? system().moduleFileName(instance) : OdString();
}

MeDocumentManagerReactor* documentObserver() { return g_observer.get(); }

void attachDocumentObserver()
{
  HostDocManager* manager = hostDocManager();
  if (!g_observer || !manager || g_observerAttached)
    return;
  manager->addReactor(g_observer.get());
  g_observerAttached = true;
}

void detachDocumentObserver()
{
  if (!g_observer || !g_observerAttached)
    return;
  if (HostDocManager* manager = hostDocManager())
    manager->removeReactor(g_observer.get());
  g_observerAttached = false;
}

bool browserShown() { return g_browserShown; }
void setBrowserShown(bool shown) { g_browserShown = shown; }

void setStartupCommand(bool add, const OdString& command)
{
  IProfile* profile = hostProfile();
  IProfileSection* startup = profile ? profile->openSection("Startup", true) : nullptr;
  if (!startup)
    return;
  const std::string name = command.toUtf8();
  if (add)
    startup->createValue(name.c_str());
  else
    startup->deleteValue(name.c_str());
}

MeMaterialBrowserCmd::~MeMaterialBrowserCmd()
{
  if (m_context)
    m_context->Release();
}

bool MeMaterialBrowserCmd::QueryInterface(const std::type_info& type, void** out)
{
  if (internalQuery(type, out))
    return true;
  if (out && type == typeid(ICmdProcess))
  {
    AddRef();
    *out = static_cast<ICmdProcess*>(this);
    return true;
  }
  return false;
}

int MeMaterialBrowserCmd::run()
{
  toggleMaterialsBrowser();
  return 0;
}

int MeMaterialBrowserCmd::state()
{
  if (!currentDocument())
    return kCmdUnavailable;
  return kCmdAvailable | (browserShown() ? kCmdChecked : 0);
}

int MeMaterialBrowserCmd::getContext(IKtUnknown** context)
{
  if (!m_context || !context)
    return 0;
  m_context->AddRef();
  *context = m_context;
  return 1;
}

int MeMaterialBrowserCmd::setContext(IKtUnknown* context)
{
  if (context)
    context->AddRef();
  if (m_context)
    m_context->Release();
  m_context = context;
  return 1;
}

unsigned MeMaterialBrowserCmd::internalRelease()
{
  const unsigned left = --m_refs;
  if (left == 0)
    delete this;
  return left;
}

bool MeMaterialBrowserCmd::internalQuery(const std::type_info& type, void** out)
{
  if (!out)
    return false;
  if (type == typeid(IKtUnknown) || type == typeid(ICmdProcess))
  {
    internalAddRef();
    *out = static_cast<ICmdProcess*>(this);
    return true;
  }
  *out = nullptr;
  return false;
}

int MeMaterialBrowserCmd::create(ICmdProcess** command)
{
  if (!command)
    return 0;
  auto* object = new MeMaterialBrowserCmd();
  object->internalAddRef();
  *command = object;
  return 1;
}

bool registerBrowserCommand()
{
  auto factory = hostFunction<NewICmdFactoryFn>(HostLibrary::MainByName, HOST_EXPORT_NEW_CMD_FACTORY);
  ICmdFactory* commands = factory ? factory() : nullptr;
  if (!commands)
    return false;
  return commands->registerCommand(kBrowserCommand, &MeMaterialBrowserCmd::create, kBrowserCommandGroup, 0, nullptr, 0);
}

void setBrowserToggle(BrowserToggle toggle) { g_toggle = toggle; }

void toggleMaterialsBrowser()
{
  if (g_toggle)
    g_toggle();
}
} // namespace me
