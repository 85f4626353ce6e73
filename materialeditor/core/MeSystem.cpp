#include "core/MeSystem.h"

namespace me
{
namespace
{
// Constant-initialised (null pointers only), so it is in place before any
// static initialiser of the module can ask for it.
MeSystem g_system;
} // namespace

void setSystem(const MeSystem& system) { g_system = system; }
const MeSystem& system() { return g_system; }
} // namespace me
