// The module's own instance handle: set when the library is attached, used
// for its resources and its file name. Null in native builds and tests.
#pragma once

namespace me
{
void* moduleInstance();
void setModuleInstance(void* instance);
} // namespace me
