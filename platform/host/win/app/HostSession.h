// HostSession: one run of host.exe, from the options to the exit code.
//
// Start: the profile, the host libraries, the main window, the module, the
// drawing, the commands of the profile section "Startup", then the script,
// one line per trip through the message loop so that windows get their
// messages between lines. End (QUIT, or the window closed): the module is
// unloaded, the profile written, and the exit code is 1 when anything failed.
#pragma once

#include "DrawingScript.h"
#include "Gestures.h"
#include "HostOptions.h"
#include "MainWindow.h"
#include "ModuleManager.h"
#include "Screenshot.h"
#include "Script.h"
#include "UndoScript.h"

#include "../core/HostRuntime.h"
#include "win32/Gdiplus.h"

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
  bool loadScript();

  void addCommands();
  void addDocumentCommands();
  void addSessionCommands();
  bool runRegistered(const OdString& word, ScriptArgs& args);
  // Makes a document from a drawing script; throws ScriptError.
  void openDrawing(const OdString& path);
  // A save that would leave out entities the file cannot keep goes on only
  // when agreed: Ask asks the user (Yes/No), Refuse refuses with the
  // question (a script's line), Force goes on. An agreement holds until
  // the drawing changes.
  enum class LeaveOut
  {
    Ask,
    Refuse,
    Force
  };
  // As DXF, atomically; throws ScriptError saying why it failed. False, with
  // nothing written, when leaving out was not agreed.
  bool saveDrawing(Document& document, const OdString& path, LeaveOut leaveOut);
  // Before a modified document closes: "Save changes to <title>?". True when
  // it may close (saved, or its changes let go); false on Cancel or a failed save.
  bool mayClose(Document& document);
  // Saves under a new DXF name, which the document then carries with its title.
  bool saveAs(Document& document, const OdString& path, LeaveOut leaveOut);
  LeaveOut leaveOutFor(bool force) const;
  // The save dialog for a DXF file; false when cancelled.
  bool chooseDxfToSave(const Document& document, OdString& path);

  // A script or command line, as one undo step of the current drawing.
  bool runLine(const OdString& line, OdString& error);
  OdDbDatabase* currentDatabase();
  // Ends the unnamed undo step of each drawing once no input is under way.
  void closeInputUndoSteps();
  // The Edit menu's Undo and Redo named after the current drawing's next steps.
  void showUndoStepsInMenu();

  void step();
  // Sends the next queued input once the last has been handled, else goes on
  // with the script.
  void settled();
  void runCommandLine(const OdString& line);
  // An item of the menu bar, or its key: the command line it stands for.
  void runMenuCommand(UINT command);
  void quit();
  // An ANSWER RUN's line, run while its dialog or menu is up.
  void runAnsweredLine(const DialogAnswer& run);
  // The closes (of documents, of the host) asked for during a modal loop.
  void carryOutCloses();
  void refresh();
  void fail(const OdString& message);
  void warn(const OdString& message);

  HostOptions m_options;
  HostRuntime& m_runtime;
  win::GdiplusSession m_gdiplus;
  MainWindow m_window;
  ModuleManager m_modules;
  std::vector<win::Library> m_libraries;
  DrawingScript m_drawing;
  ScriptInterpreter m_interpreter;        // everything
  ScriptInterpreter m_drawingInterpreter; // what a drawing file may say
  Gestures m_gestures;
  std::unique_ptr<DocumentObserver> m_observer;

  OdString m_scriptName;
  std::vector<ScriptLine> m_script;
  std::size_t m_nextLine = 0;
  bool m_scriptRunning = false;
  bool m_waiting = false;
  bool m_inLine = false;     // a line is running; a nested loop must not start the next
  bool m_scriptLine = false; // the line running is a script's, not the user's
  bool m_quitRequested = false;
  bool m_quitDeferred = false;
  std::vector<HostDocument*> m_closingDocuments;
  bool m_ended = false;
  int m_failures = 0;
  int m_untitled = 0;
  std::vector<OdString> m_menuCommands; // what the menu bar ran, for DUMP
};

// Writes a line to standard error as UTF-8.
void writeError(const OdString& line);
} // namespace host
