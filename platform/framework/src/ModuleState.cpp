#include "framework/ModuleState.h"

namespace fw
{
namespace
{
HINSTANCE g_resources = nullptr;
HINSTANCE g_module = nullptr;
} // namespace

HINSTANCE resourceHandle() { return g_resources ? g_resources : g_module; }
void setResourceHandle(HINSTANCE instance) { g_resources = instance; }
HINSTANCE moduleInstance() { return g_module; }
void setModuleInstance(HINSTANCE instance) { g_module = instance; }
} // namespace fw
