// The host's state report asks the module's windows for what no standard
// message tells (HOST_MESSAGE_QUERY_STATE); these read and answer it.
#pragma once

#include "host/HostApi.h"

#include <windows.h>

#include <cstddef>

namespace me
{
// Whether the message is the host's query for that value.
inline bool isHostStateQuery(UINT message, WPARAM wParam, HostStateQuery value)
{
  static const UINT registered = RegisterWindowMessageW(HOST_MESSAGE_QUERY_STATE);
  return registered != 0 && message == registered && wParam == WPARAM(value);
}

// The answer to the query: one more than the value, as 0 means "not known".
inline LRESULT hostStateAnswer(std::size_t value) { return LRESULT(value) + 1; }
} // namespace me
