#include "host/Application.h"

namespace host
{
void Application::setInterface(const std::string& name, void* object)
{
  if (object)
    m_interfaces[name] = object;
  else
    m_interfaces.erase(name);
}

void* Application::queryInterface(const char* name)
{
  if (!name)
    return nullptr;
  auto it = m_interfaces.find(name);
  return it == m_interfaces.end() ? nullptr : it->second;
}
} // namespace host
