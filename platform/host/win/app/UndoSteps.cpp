#include "UndoSteps.h"

#include "MainMenu.h"
#include "UndoScript.h"

namespace host
{
void UndoSteps::addCommands(ScriptInterpreter& interpreter)
{
  addUndoCommands(interpreter, [this] { return currentDatabase(); });
}

bool UndoSteps::runLine(const OdString& line, OdString& error)
{
  return tryRunAsUndoStep(m_interpreter, currentDatabase(), line, error);
}

OdDbDatabase* UndoSteps::currentDatabase() const
{
  HostDocument* document = m_documents.curDocument();
  return document ? document->database() : nullptr;
}

void UndoSteps::closeInputSteps()
{
  // An edit in a palette is no command: its writes open an unnamed step,
  // which ends once the input that caused it is handled. A button still
  // held (a drag in a preview or a slider) keeps it open, so a drag is one
  // step; so does anything still queued that the input set off.
  if (GetCapture() || GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0)
    return;
  if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0)
    return;
  for (int i = 0; i < m_documents.documentCount(); ++i)
    if (OdDbDatabase* db = m_documents.documentAt(i)->database(); db && db->hasOpenUndoRecord())
    {
      if (db == m_toName)
        db->nameUndoRecord(m_name);
      db->endUndoRecord();
    }
  m_toName = nullptr;
}

void UndoSteps::nameWhenEnded(OdDbDatabase* database, const OdString& name)
{
  m_toName = database;
  m_name = name;
}

void UndoSteps::showInMenu(HWND frame)
{
  OdDbDatabase* db = currentDatabase();
  showUndoSteps(GetMenu(frame), db ? db->undoStepName(0) : OdString(), db ? db->redoStepName(0) : OdString());
}
} // namespace host
