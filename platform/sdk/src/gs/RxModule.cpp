#include "od/GsSoftware.h"
#ifdef _WIN32
#include "od/GsWin32.h"
#endif


OdRxDynamicLinker::OdRxDynamicLinker()
{
  m_factories[OdGsSoftwareModuleName] = [] { return OdRxModulePtr(OdGsSoftwareModule::createObject()); };
#ifdef _WIN32
  // The graphics module that draws into windows, which hosts name.
  m_factories[OdGsWin32ModuleName] = [] { return OdRxModulePtr(OdGsWin32Module::createObject()); };
#endif
}

OdRxDynamicLinker* odrxDynamicLinker()
{
  static OdRxDynamicLinker linker;
  return &linker;
}

void OdRxDynamicLinker::registerModule(const OdString& name, Factory factory)
{
  if (name.isEmpty() || !factory)
    throw OdError(eInvalidInput, L"A module needs a name and a factory");
  std::lock_guard<std::mutex> lock(m_mutex);
  m_factories[name] = std::move(factory);
}

OdRxModulePtr OdRxDynamicLinker::loadModule(const OdString& name, bool silent)
{
  Factory factory;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto loaded = m_loaded.find(name);
    if (loaded != m_loaded.end())
      return loaded->second;
    auto found = m_factories.find(name);
    if (found != m_factories.end())
      factory = found->second;
  }
  if (!factory)
  {
    if (silent)
      return OdRxModulePtr();
    throw OdError(eFileNotFound, OdString::format(L"No module named '%s'", name));
  }
  // Made outside the lock: a module may load others while it starts.
  OdRxModulePtr module = factory();
  if (module.isNull())
  {
    if (silent)
      return OdRxModulePtr();
    throw OdError(eNullPtr, OdString::format(L"Module '%s' could not be made", name));
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto loaded = m_loaded.find(name);
    if (loaded != m_loaded.end())
      return loaded->second;
    module->m_name = name;
    m_loaded[name] = module;
  }
  module->initApp();
  return module;
}

OdRxModulePtr OdRxDynamicLinker::getModule(const OdString& name) const
{
  std::lock_guard<std::mutex> lock(m_mutex);
  auto loaded = m_loaded.find(name);
  return loaded == m_loaded.end() ? OdRxModulePtr() : loaded->second;
}

bool OdRxDynamicLinker::unloadModule(const OdString& name)
{
  OdRxModulePtr module;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto loaded = m_loaded.find(name);
    if (loaded == m_loaded.end())
      return false;
    module = loaded->second;
    m_loaded.erase(loaded);
  }
  module->uninitApp();
  return true;
}
