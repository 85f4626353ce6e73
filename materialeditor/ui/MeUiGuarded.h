// A palette's or dialog's message, handled so that an SDK error of the
// command it runs (a material erased meanwhile, an object of the wrong
// class) ends there: no exception may cross the system's window procedure.
#pragma once

#include <windows.h>

#include <exception>

namespace meui
{
template <class Handle>
LRESULT guardedMessage(Handle&& handle)
{
  try
  {
    return handle();
  }
  catch (const std::exception&) // OdError among them
  {
    MessageBeep(MB_ICONWARNING);
  }
  return 0;
}
} // namespace meui
