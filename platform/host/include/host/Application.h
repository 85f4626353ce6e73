// The host application object: hands out the host's interfaces by name.
#pragma once

#include "host/HostApi.h"

#include <map>
#include <string>

namespace host
{
class Application final : public IHostApp
{
public:
  // Null removes the entry. The objects stay owned by the caller.
  void setInterface(const std::string& name, void* object);
  // Null for a name not set and for null.
  void* queryInterface(const char* name) override;

private:
  std::map<std::string, void*> m_interfaces;
};
} // namespace host
