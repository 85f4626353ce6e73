// Commands: the host's reference-counted interfaces and its command factory.
//
//   IKtUnknown     AddRef, Release, QueryInterface by type (KtUnknown.h)
//   ICmdRun        a command: run, two hooks, state, context
//   ICmdProcess    what a module's command object is
//   ICmdFactory    registers a command name with a factory of command objects
#pragma once

#include "host/KtUnknown.h"

#include <cstdint>

// Command states: available, and checked (shown as pressed).
enum CmdState
{
  kCmdUnavailable = 0,
  kCmdAvailable = 1,
  kCmdChecked = 2,
};

class ICmdRun : public IKtUnknown
{
public:
  virtual int run() = 0;
  virtual int beginHook() = 0;
  virtual int endHook() = 0;
  virtual int state() = 0;
  virtual int getContext(IKtUnknown** context) = 0;
  virtual int setContext(IKtUnknown* context) = 0;

protected:
  ~ICmdRun() = default;
};

class ICmdProcess : public ICmdRun
{
protected:
  ~ICmdProcess() = default;
};

extern "C" {
// Makes one command object with one reference; 1 on success.
typedef int (*CmdCreateFn)(ICmdProcess** command);
}

class ICmdFactory
{
public:
  // name is 8-bit text, group wide text; false when the name is taken.
  virtual bool registerCommand(const char* name, CmdCreateFn factory, const wchar_t* group, int flags, void* extra, int reserved) = 0;

protected:
  ~ICmdFactory() = default;
};

extern "C" {
typedef ICmdFactory* (*NewICmdFactoryFn)();
}
