#include "ScriptRunner.h"

#include "HostFiles.h"

#include <utility>

namespace host
{
namespace
{
// How often a waiting script looks again while a dialog is open.
constexpr UINT kBusyPollMs = 20;
} // namespace

ScriptRunner::ScriptRunner(HostRuntime& runtime, MainWindow& window, Gestures& gestures, Hooks hooks)
  : m_runtime(runtime), m_window(window), m_gestures(gestures), m_hooks(std::move(hooks))
{
}

bool ScriptRunner::load(const OdString& path)
{
  std::string bytes;
  const ReadResult result = readFile(path, bytes, kMaxScriptSize);
  if (result != ReadResult::Ok)
  {
    m_hooks.fail(L"host: " + readProblem(result, L"script", path));
    return false;
  }
  m_name = path;
  m_lines = scriptLines(bytes);
  m_next = 0;
  return true;
}

void ScriptRunner::start()
{
  m_running = true;
  m_window.postStep();
}

void ScriptRunner::stop()
{
  m_running = false;
  m_gestures.clear();
}

void ScriptRunner::end()
{
  m_ended = true;
  stop();
}

void ScriptRunner::resume()
{
  if (m_running)
    m_window.postStep();
}

int ScriptRunner::lineNumber() const { return m_inLine && m_next > 0 ? m_lines[m_next - 1].number : 0; }

void ScriptRunner::step()
{
  if (!m_running || m_waiting || m_ended)
    return;
  if (m_inLine || m_gestures.pending() || m_runtime.modalDepth() > 0)
  {
    // Not now: a dialog of a seam is open, input is still on its way, or a
    // line runs a loop of its own. Look again when the queue is quiet.
    m_window.startSettle(kBusyPollMs);
    return;
  }
  if (m_next >= m_lines.size())
  {
    // Without QUIT the host stays open, and dialogs wait for the user again.
    m_running = false;
    m_runtime.setScripted(false);
    m_window.setStatus(L"Script finished");
    return;
  }
  const ScriptLine& line = m_lines[m_next++];
  OdString error;
  m_inLine = true;
  m_scriptLine = true;
  const bool ran = m_hooks.runLine(line.text, error);
  m_scriptLine = false;
  m_inLine = false;
  if (!ran)
  {
    // A verb that failed half-way must not leave input behind.
    m_gestures.clear();
    m_hooks.fail(OdString::format(L"%s:%d: %s", m_name, line.number, error));
  }
  m_hooks.refresh();
  // A quit the user cancelled at the save question goes on with the script.
  if (!m_hooks.afterLine())
    return;
  if (m_gestures.pending())
    m_window.startSettle();
  else if (!m_waiting)
    m_window.postStep();
}

void ScriptRunner::settled()
{
  if (m_ended || m_waiting)
    return;
  if (m_runtime.modalDepth() > 0 || m_inLine)
  {
    m_window.startSettle(kBusyPollMs);
    return;
  }
  if (m_gestures.pending())
  {
    UINT wait = 0;
    try
    {
      wait = m_gestures.sendNext();
    }
    catch (const ScriptError& e)
    {
      if (m_running && m_next > 0)
        m_hooks.fail(OdString::format(L"%s:%d: %s", m_name, m_lines[m_next - 1].number, e.message()));
      else
        m_window.setStatus(L"Error: " + e.message());
    }
    if (wait > 0)
    {
      m_waiting = true;
      m_window.startWait(wait);
    }
    else
      m_window.startSettle();
    return;
  }
  if (m_running)
    step();
}

void ScriptRunner::waitOver()
{
  m_waiting = false;
  m_window.startSettle();
}

void ScriptRunner::wait(UINT milliseconds)
{
  m_waiting = true;
  m_window.startWait(milliseconds);
}

void ScriptRunner::runCommandLine(const OdString& line)
{
  OdString error;
  const bool wasScriptLine = std::exchange(m_scriptLine, false);
  const bool ran = m_hooks.runLine(line, error);
  m_scriptLine = wasScriptLine;
  if (!ran)
  {
    MessageBeep(MB_ICONWARNING);
    m_hooks.refresh();
    m_window.setStatus(L"Error: " + error);
    return;
  }
  m_hooks.refresh();
  if (m_hooks.afterLine() && m_gestures.pending())
    m_window.startSettle();
}

void ScriptRunner::runAnsweredLine(const DialogAnswer& run)
{
  OdString error;
  const bool wasInLine = m_inLine, wasScriptLine = m_scriptLine;
  m_inLine = true;
  m_scriptLine = true;
  const bool ran = m_hooks.runLine(run.line, error);
  m_inLine = wasInLine;
  m_scriptLine = wasScriptLine;
  if (!ran)
    m_hooks.fail(OdString::format(L"%s:%d: ANSWER RUN: %s", m_name, run.lineNumber, error));
  m_hooks.afterLine();
}
} // namespace host
