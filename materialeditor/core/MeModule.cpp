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
} // namespace

MeMaterialEditorModule::~MeMaterialEditorModule() = default;

MeMaterialEditorModule* moduleObject(void* instance)
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
  if (!m_observer)
    m_observer = std::make_unique<MeDocumentManagerReactor>();
}

void MeMaterialEditorModule::uninitApp()
{
  unregisterManagerClass();
  detachDocumentObserver();
  m_observer.reset();
}

OdString MeMaterialEditorModule::moduleName() const
{
  void* instance = const_cast<MeMaterialEditorModule*>(this)->sysData();
  return system().moduleFileName ? system().moduleFileName(instance) : OdString();
}

void MeMaterialEditorModule::attachDocumentObserver()
{
  HostDocManager* manager = hostDocManager();
  if (!m_observer || !manager || m_observerAttached)
    return;
  manager->addReactor(m_observer.get());
  m_observerAttached = true;
}

void MeMaterialEditorModule::detachDocumentObserver()
{
  if (!m_observer || !m_observerAttached)
    return;
  if (HostDocManager* manager = hostDocManager())
    manager->removeReactor(m_observer.get());
  m_observerAttached = false;
}

void MeMaterialEditorModule::toggleBrowser()
{
  if (m_toggle)
    m_toggle();
}

MeDocumentManagerReactor* documentObserver() { return g_module ? g_module->documentObserver() : nullptr; }

void attachDocumentObserver()
{
  if (g_module)
    g_module->attachDocumentObserver();
}

void detachDocumentObserver()
{
  if (g_module)
    g_module->detachDocumentObserver();
}

bool browserShown() { return g_module && g_module->browserShown(); }

void setBrowserShown(bool shown)
{
  if (g_module)
    g_module->setBrowserShown(shown);
}

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

void toggleMaterialsBrowser()
{
  if (g_module)
    g_module->toggleBrowser();
}
} // namespace me
