#include "core/MeModuleInstance.h"

namespace me
{
namespace
{
void* g_instance = nullptr;
}

void* moduleInstance() { return g_instance; }
void setModuleInstance(void* instance) { g_instance = instance; }
} // namespace me
