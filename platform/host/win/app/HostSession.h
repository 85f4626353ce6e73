// HostSession: one run of host.exe, from the options to the exit code.
//
// Start: the profile, the host libraries, the main window, the module, the
// drawing, the commands of the profile section "Startup", then the script
// (ScriptRunner.h). End (QUIT, or the window closed): the module is
// unloaded, the profile written, and the exit code is 1 when anything failed.
// The documents' commands are DocumentCommands', the undo steps UndoSteps',
// the verbs that drive the host for tests come from drive/ (Drive.h).
#pragma once

#include "DocumentCommands.h"
#include "DrawingScript.h"
#include "HostFiles.h"
#include "HostOptions.h"
#include "MainWindow.h"
#include "ModuleManager.h"
#include "Script.h"
#include "ScriptRunner.h"
#include "UndoSteps.h"

#include "../core/HostRuntime.h"
#include "../drive/Gestures.h"
#include "win32/Gdiplus.h"

#include <ole2.h>

#include <memory>

namespace host
{
class HostSession
{
public:
  explicit HostSession(HostOptions options);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  int run(HINSTANCE instance);

private:
  class DocumentObserver;

  bool loadHostLibraries();
  void loadProfile();
  // At the end; a profile that was no profile, or could not be read, is
  // left as it is.
  void saveProfile();
  void prepareProfile();
  void loadModule();
  void runStartup();

  void addCommands();
  void addSessionCommands();
  bool runRegistered(const OdString& word, ScriptArgs& args);
  // An item of the menu bar, or its key: the command line it stands for.
  void runMenuCommand(UINT command);
  // After a line: a QUIT it asked for is carried out; false when the host
  // ends or waits for a modal loop to end first.
  bool afterLine();
  void quit();
  // The closes (of documents, of the host) asked for during a modal loop.
  void carryOutCloses();
  void refresh();
  void fail(const OdString& message);
  void warn(const OdString& message);

  HostOptions m_options;
  HostRuntime& m_runtime;
  // OLE on the window thread for the whole run: the view's drop target
  // needs it, and it must outlive every window.
  struct OleSession
  {
    OleSession() : ok(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession()
    {
      if (ok)
        OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    const bool ok;
  } m_ole;
  win::GdiplusSession m_gdiplus;
  MainWindow m_window;
  ModuleManager m_modules;
  std::vector<win::Library> m_libraries;
  DrawingScript m_drawing;
  ScriptInterpreter m_interpreter; // everything
  Gestures m_gestures;
  UndoSteps m_undo;
  DocumentCommands m_docCommands;
  ScriptRunner m_runner;
  std::unique_ptr<DocumentObserver> m_observer;

  bool m_quitRequested = false;
  bool m_quitDeferred = false;
  const MSG* m_dispatching = nullptr; // the message the loop at the top dispatches
  bool m_ended = false;
  int m_refreshHolds = 0; // drawings being opened (one may open while another does)
  int m_failures = 0;
  std::vector<OdString> m_menuCommands; // what the menu bar ran, for DUMP
};
} // namespace host
