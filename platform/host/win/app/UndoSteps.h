// UndoSteps: what makes an undo step of the current drawing. A script or
// command line is one step (UndoScript.h); an edit in a palette opens an
// unnamed step that ends once its input is handled; the Edit menu names the
// steps Undo and Redo would take.
#pragma once

#include "Script.h"

#include "../core/HostRuntime.h"

#include <windows.h>

namespace host
{
class UndoSteps
{
public:
  UndoSteps(DocumentManager& documents, ScriptInterpreter& interpreter)
    : m_documents(documents), m_interpreter(interpreter)
  {
  }

  // UNDO [n] and REDO [n].
  void addCommands(ScriptInterpreter& interpreter);
  // The line as one step of the current drawing; false with the error when it failed.
  bool runLine(const OdString& line, OdString& error);
  OdDbDatabase* currentDatabase() const;
  // Ends the unnamed step of each drawing once no input is under way.
  void closeInputSteps();
  // The step the input under way opened in the drawing gets the name as it
  // ends, unless it has one by then (a module names its own, translated).
  void nameWhenEnded(OdDbDatabase* database, const OdString& name);
  // The Edit menu's Undo and Redo named after the current drawing's next steps.
  void showInMenu(HWND frame);

private:
  DocumentManager& m_documents;
  ScriptInterpreter& m_interpreter;
  OdDbDatabase* m_toName = nullptr; // compared with the open documents' drawings, never followed
  OdString m_name;
};
} // namespace host
