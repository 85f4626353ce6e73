// The DUMP of a running host: its documents, commands, profile, palettes and
// what modules asked of it, as one JSON document. Keys are stable; later
// needs add keys, never rename them.
#pragma once

#include <functional>
#include <string>

namespace host
{
class HostRuntime;
class ModuleManager;
class JsonWriter;

// writeView writes the value of "view": the shaded model view.
std::string dumpJson(HostRuntime& runtime, const ModuleManager& modules,
                     const std::function<void(JsonWriter&)>& writeView = nullptr);
} // namespace host
