// DocumentCommands: the documents as the user works them. NEW, OPEN, SAVE,
// SAVEAS, DOC, CLOSE and SELECT; reading a drawing file into a document;
// the questions before a save that leaves entities out and before a
// modified document closes.
#pragma once

#include "DrawingScript.h"
#include "MainWindow.h"
#include "Script.h"

#include "../core/HostRuntime.h"

#include <functional>
#include <vector>

namespace host
{
class DocumentCommands
{
public:
  struct Hooks
  {
    std::function<void(const OdString& message)> fail; // counts as a failure of the run
    std::function<void(const OdString& message)> warn;
    std::function<void()> refresh;
    // While held, the document manager's news does not refresh the view:
    // a drawing being opened refreshes it once, when it is open.
    std::function<void(bool held)> holdRefresh;
    // Whether the line running is a script's (no question is asked then).
    std::function<bool()> scriptLine;
  };

  DocumentCommands(HostRuntime& runtime, MainWindow& window, DrawingScript& drawing, Hooks hooks);

  void addCommands(ScriptInterpreter& interpreter);
  // Makes a document from a drawing file (DXF or script); throws ScriptError.
  void openDrawing(const OdString& path);
  // Before a modified document closes: "Save changes to <title>?". True when
  // it may close (saved, or its changes let go); false on Cancel or a failed save.
  bool mayClose(Document& document);
  // The documents CLOSE asked for during a modal loop, closed now that it
  // has ended (each asking first).
  void closeQueued();

private:
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
  // Saves under a new DXF name, which the document then carries with its title.
  bool saveAs(Document& document, const OdString& path, LeaveOut leaveOut);
  LeaveOut leaveOutFor(bool force) const;
  // After a question: throws ScriptError (nothing saved, under the name)
  // unless the document is still open and unchanged since asked.
  void requireUnchangedSince(const Document& document, long long asked, const OdString& name) const;
  // The save dialog for a DXF file; false when cancelled.
  bool chooseDxfToSave(const Document& document, OdString& path);
  Document* current();

  HostRuntime& m_runtime;
  MainWindow& m_window;
  DrawingScript& m_drawing;
  ScriptInterpreter m_drawingInterpreter; // what a drawing file may say
  Hooks m_hooks;
  std::vector<HostDocument*> m_closingDocuments;
  int m_untitled = 0;
};
} // namespace host
