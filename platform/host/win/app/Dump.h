// The DUMP of a running host: its documents, commands, profile, palettes and
// what modules asked of it, as one JSON document. Keys are stable; later
// needs add keys, never rename them.
#pragma once

#include <string>

namespace host
{
class HostRuntime;
class ModuleManager;

std::string dumpJson(HostRuntime& runtime, const ModuleManager& modules);
} // namespace host
