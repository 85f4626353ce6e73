// The module state: which module's resources are current. Each module links
// its own copy of the framework, so each has its own state. Every entry point
// that creates windows or loads resources makes its module current with a
// ResourceScope and so restores the previous one on every way out.
#pragma once

#include <windows.h>

namespace fw
{
HINSTANCE resourceHandle();
void setResourceHandle(HINSTANCE instance);
// The module's own instance, set once at library attach.
HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

class ResourceScope
{
public:
  explicit ResourceScope(HINSTANCE instance) : m_previous(resourceHandle()) { setResourceHandle(instance); }
  ~ResourceScope() { setResourceHandle(m_previous); }
  ResourceScope(const ResourceScope&) = delete;
  ResourceScope& operator=(const ResourceScope&) = delete;

private:
  HINSTANCE m_previous;
};
} // namespace fw
