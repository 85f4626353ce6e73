// Undo in the host: every command that writes the drawing is one step of the
// drawing's undo history, and UNDO / REDO walk it.
//
//   CommandUndoStep   brackets one command as one step of a database
//   tryRunAsUndoStep  one script or command line as one step
//   addUndoCommands   the commands UNDO [n] and REDO [n]
//   writeUndoHistory  DUMP's "undo" of a document
#pragma once

#include "JsonWriter.h"
#include "Script.h"

#include "od/OdSdk.h"

#include <functional>

namespace host
{
class CommandUndoStep
{
public:
  // The database is kept alive until the step is closed: a command may close
  // its document, which then takes its history with it.
  CommandUndoStep(OdDbDatabase* database, const OdString& name);
  ~CommandUndoStep();
  CommandUndoStep(const CommandUndoStep&) = delete;
  CommandUndoStep& operator=(const CommandUndoStep&) = delete;

  // The name of a line's step: its command word in capitals; empty for the
  // commands that are no step of their own (UNDO, REDO) and for a line that
  // is no command.
  static OdString nameOf(const OdString& line);

private:
  OdDbDatabasePtr m_database;
};

// Runs the line as interpreter.tryRun does, as one step of the database
// named after its command (UNDO and REDO are none).
bool tryRunAsUndoStep(ScriptInterpreter& interpreter, OdDbDatabase* database, const OdString& line, OdString& error);

// UNDO [n] takes back the last n steps (1 without n), REDO [n] puts them back.
// With nothing to take back the line is refused with "Nothing to undo"
// ("Nothing to redo"); fewer than n steps are all taken. Null from current:
// "no document is open".
void addUndoCommands(ScriptInterpreter& interpreter, std::function<OdDbDatabase*()> current);

// "undo": {"steps": names, next to undo first, "redo": names, next to redo
// first}; an unnamed step (an edit in a palette) is "".
void writeUndoHistory(JsonWriter& json, OdDbDatabase* database);
} // namespace host
