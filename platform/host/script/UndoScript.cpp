#include "UndoScript.h"

namespace host
{
CommandUndoStep::CommandUndoStep(OdDbDatabase* database, const OdString& name) : m_database(database)
{
  if (!m_database.isNull())
    m_database->startUndoRecord(name);
}

CommandUndoStep::~CommandUndoStep()
{
  if (!m_database.isNull())
    m_database->endUndoRecord();
}

OdString CommandUndoStep::nameOf(const OdString& line)
{
  std::vector<OdString> words;
  try
  {
    words = splitScriptWords(line);
  }
  catch (const ScriptError&)
  {
    return OdString(); // the line is refused before it changes anything
  }
  if (words.empty() || words.front().c_str()[0] == L'#')
    return OdString();
  OdString name = words.front();
  name.makeUpper();
  return name == L"UNDO" || name == L"REDO" ? OdString() : name;
}

bool tryRunAsUndoStep(ScriptInterpreter& interpreter, OdDbDatabase* database, const OdString& line, OdString& error)
{
  const OdString name = CommandUndoStep::nameOf(line);
  if (name.isEmpty() || !database)
    return interpreter.tryRun(line, error);
  CommandUndoStep step(database, name);
  return interpreter.tryRun(line, error);
}

namespace
{
void walk(ScriptArgs& args, const std::function<OdDbDatabase*()>& current, bool back)
{
  const int count = args.done() ? 1 : ScriptArgs::toInt(args.next(L"number of steps"), L"number of steps", 1, 1000000);
  args.expectEnd();
  OdDbDatabase* db = current();
  if (!db)
    throw ScriptError(L"no document is open");
  for (int i = 0; i < count; ++i)
  {
    const OdResult result = back ? db->undo() : db->redo();
    if (result == eNotApplicable)
    {
      if (i == 0)
        throw ScriptError(back ? L"Nothing to undo" : L"Nothing to redo");
      return;
    }
    if (result != eOk)
      throw ScriptError(OdString::format(L"%s is not possible while an object of the drawing is open for write",
                                         back ? L"Undo" : L"Redo"));
  }
}
} // namespace

void addUndoCommands(ScriptInterpreter& interpreter, std::function<OdDbDatabase*()> current)
{
  interpreter.add(L"UNDO", [current](ScriptArgs& args) { walk(args, current, true); });
  interpreter.add(L"REDO", [current](ScriptArgs& args) { walk(args, current, false); });
}

void writeUndoHistory(JsonWriter& json, OdDbDatabase* database)
{
  json.key(L"undo").beginObject();
  json.key(L"steps").beginArray();
  for (OdUInt32 i = 0; i < database->numUndoSteps(); ++i)
    json.value(database->undoStepName(i));
  json.endArray();
  json.key(L"redo").beginArray();
  for (OdUInt32 i = 0; i < database->numRedoSteps(); ++i)
    json.value(database->redoStepName(i));
  json.endArray();
  json.endObject();
}
} // namespace host
