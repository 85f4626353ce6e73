#include "HostSession.h"

#include "DrawingSummary.h"
#include "KeptEntities.h"
#include "MainLibrary.h"
#include "MainMenu.h"

#include "../drive/Drive.h"
#include "../drive/Screenshot.h"

#include "host/FileSystem.h"

#include <commctrl.h>
#include <shlobj.h>
#include <utility>

namespace host
{
namespace
{
OdString exeFolder()
{
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return folderPart(OdString(path, length));
}

// %APPDATA%\MeHost\profile.txt, the folder made when missing.
OdString defaultProfilePath()
{
  wchar_t appData[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData)))
    return OdString();
  const OdString folder = joinPath(OdString(appData), L"MeHost");
  CreateDirectoryW(folder.c_str(), nullptr);
  return joinPath(folder, L"profile.txt");
}
} // namespace

// Keeps the view up to date with the documents.
class HostSession::DocumentObserver final : public HostApDocManagerReactor
{
public:
  explicit DocumentObserver(HostSession& session) : m_session(session) {}
  void documentBecameCurrent(HostDocument*) override { m_session.refresh(); }
  void documentDestroyed(const OdString&) override { m_session.refresh(); }
  // The view lets go of the database while it is still there.
  void documentToBeDestroyed(HostDocument* document) override
  {
    m_session.m_window.modelView().forget(document->database());
  }

private:
  HostSession& m_session;
};

HostSession::HostSession(HostOptions options)
  : m_options(std::move(options)), m_runtime(hostRuntime()), m_drawing([this] { return m_undo.currentDatabase(); }),
    m_undo(m_runtime.documents(), m_interpreter),
    m_docCommands(m_runtime, m_window, m_drawing,
                  {[this](const OdString& message) { fail(message); },
                   [this](const OdString& message) { warn(message); }, [this] { refresh(); },
                   [this](bool held) { m_refreshHolds += held ? 1 : -1; }, [this] { return m_runner.scriptLine(); }}),
    m_runner(m_runtime, m_window, m_gestures,
             {[this](const OdString& line, OdString& error) { return m_undo.runLine(line, error); },
              [this](const OdString& message) { fail(message); }, [this] { refresh(); },
              [this] { return afterLine(); }}),
    m_observer(std::make_unique<DocumentObserver>(*this))
{
  addCommands();
}

HostSession::~HostSession() { m_runtime.documents().removeReactor(m_observer.get()); }

int HostSession::run(HINSTANCE instance)
{
  m_runtime.setScripted(!m_options.script.isEmpty());
  m_runtime.selectionChanged = [this] { refresh(); };
  m_runtime.captureScreen = [this](const OdString& path, OdString& error) {
    if (m_gdiplus.ok())
      return saveScreenPng(path, error);
    error = L"GDI+ did not start";
    return false;
  };
  loadProfile();
  prepareProfile();
  if (!loadHostLibraries())
    return 1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  m_runtime.runScriptLine = [this](const DialogAnswer& run) { m_runner.runAnsweredLine(run); };
  m_window.onCommandLine = [this](const OdString& line) { m_runner.runCommandLine(line); };
  // The close button goes the way of QUIT: a modified document asks first.
  m_window.onCloseRequest = [this]() { quit(); };
  m_window.onMenuCommand = [this](UINT command) { runMenuCommand(command); };
  m_window.onMenuOpening = [this]() { m_undo.showInMenu(m_window.hwnd()); };
  // Entered from a palette (F10, Alt), the menu bar's loop runs on top of
  // the palette's window procedure: a close must wait for it to end.
  m_window.onMenuLoop = [this](bool entered) {
    if (entered)
      m_runtime.enterSystemLoop();
    else
      m_runtime.leaveSystemLoop();
  };
  m_window.onStep = [this]() { m_runner.step(); };
  m_window.onWaitOver = [this]() { m_runner.waitOver(); };
  m_window.onSettled = [this]() { m_runner.settled(); };
  if (!m_window.create(instance, L"Material editor host"))
  {
    writeError(L"host: cannot create the main window");
    return 1;
  }
  m_runtime.documents().setMainWindow(m_window.hwnd());
  setViewWindow(m_window.modelView().hwnd());
  // A click or a window in the view selects as SELECT does.
  m_window.modelView().onSelect = [this](const OdDbObjectIdArray& ids) {
    if (Document* document = m_runtime.documents().find(m_runtime.documents().curDocument()))
      document->setSelection(ids);
    refresh();
  };
  // A material dropped on the view from a palette: one step of the drawing,
  // named by the module where it names it.
  m_window.modelView().onDropMaterial = [this](const OdDbObjectId& entity, const OdDbObjectId& material) {
    OdDbEntityPtr target = OdDbEntity::cast(entity.openObject(OdDb::kForWrite).get());
    if (!target)
      return;
    target->setMaterial(material, true);
    target = nullptr;
    m_undo.nameWhenEnded(entity.database(), L"Apply material");
    refresh();
  };
  m_runtime.documents().addReactor(m_observer.get());
  ShowWindow(m_window.hwnd(), SW_SHOW);
  UpdateWindow(m_window.hwnd());

  loadModule();
  if (!m_options.drawing.isEmpty())
  {
    try
    {
      m_docCommands.openDrawing(m_options.drawing);
    }
    catch (const ScriptError& e)
    {
      fail(e.message());
    }
  }
  runStartup();
  refresh();
  if (!m_options.script.isEmpty())
  {
    if (!m_runner.load(m_options.script))
      quit();
    else
      m_runner.start();
  }

  MSG message;
  int exitCode = m_failures ? 1 : 0;
  while (true)
  {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0)
    {
      exitCode = int(message.wParam);
      break;
    }
    if (got < 0)
      break;
    ModelView::routeWheel(message);
    // A key of the menu bar becomes its command, unless it goes to an edit box.
    if (!m_window.translateAccelerator(message))
    {
      TranslateMessage(&message);
      m_dispatching = &message;
      DispatchMessageW(&message);
      m_dispatching = nullptr;
    }
    m_runner.messageHandled(message);
    // Here no call into a module is under way: a close that came during a
    // modal loop is carried out now.
    if (!m_runtime.inModalLoop())
    {
      carryOutCloses();
      m_undo.closeInputSteps();
    }
  }
  m_runtime.runScriptLine = nullptr;
  return exitCode;
}

void HostSession::loadProfile()
{
  const OdString path = m_options.profile.isEmpty() ? defaultProfilePath() : m_options.profile;
  m_runtime.setProfilePath(path);
  if (path.isEmpty())
  {
    warn(L"host: no folder for the profile; settings will not be kept");
    return;
  }
  using Status = ProfileStore::LoadResult::Status;
  const ProfileStore::LoadResult result = m_runtime.profile().load(path);
  OdString problem;
  if (result.status == Status::NotAProfile)
    problem = OdString::format(L"the profile \"%s\" is no profile: %s", path, result.reason);
  else if (result.status == Status::Unreadable)
    problem = OdString::format(L"the profile \"%s\" cannot be read: %s", path, result.reason);
  if (!problem.isEmpty())
  {
    // A drawing or a DLL named by mistake must not be replaced by settings.
    problem += L"; it is left as it is and the settings of this run are not kept";
    warn(L"host: " + problem);
  }
  else if (result.linesKept > 0)
    warn(OdString::format(L"host: the profile \"%s\" has %d line(s) that cannot be read; they are kept as they are",
                          path, result.linesKept));
  m_runtime.setProfileLoad(result, problem);
}

void HostSession::prepareProfile()
{
  // The real host always has this section; modules open it without creating it.
  m_runtime.profile().openSection("cmddata", true);
  // Texture folders: the command line's first, then the profile's.
  AppServices& services = m_runtime.appServices();
  services.addTextureFolders(m_options.texturePath);
  const ProfileSection* options = m_runtime.profile().root().section("Options");
  CKtVariant folders;
  if (options && options->readValue("TextureSearchPath", folders))
  {
    if (folders.type() == CKtVariant::Type::Text)
      services.addTextureFolders(folders.asText());
    else if (folders.type() != CKtVariant::Type::Empty)
      warn(L"host: the profile value Options/TextureSearchPath is no text of folders; it is not used");
  }
}

bool HostSession::loadHostLibraries()
{
  const OdString folder = exeFolder();
  for (const wchar_t* name :
       {L"hostmain.dll", L"events5.dll", L"hostutils.dll", L"hostvectorizerutils.dll", L"inspctl.dll"})
  {
    const OdString path = joinPath(folder, name);
    win::Library library(LoadLibraryW(path.c_str()));
    if (!library)
    {
      writeError(
        OdString::format(L"host: cannot load the host library \"%s\" (error %u)", path, unsigned(GetLastError())));
      return false;
    }
    if (m_libraries.empty())
      setMainLibrary(library.get());
    m_libraries.push_back(std::move(library));
  }
  return true;
}

void HostSession::loadModule()
{
  if (m_options.noModule)
    return;
  const OdString path = m_options.module.isEmpty() ? joinPath(exeFolder(), L"materialeditor.dll") : m_options.module;
  OdString error;
  if (!m_modules.load(path, error))
    fail(L"host: " + error);
}

void HostSession::runStartup()
{
  const ProfileSection* startup = m_runtime.profile().root().section("Startup");
  if (!startup)
    return;
  for (const std::string& name : startup->valueNames())
  {
    const OdString word(name.c_str());
    ScriptArgs none({});
    try
    {
      if (!runRegistered(word, none))
        warn(OdString::format(L"host: Startup names \"%s\", which no module registered", word));
    }
    catch (const ScriptError& e)
    {
      fail(L"host: Startup: " + e.message());
    }
  }
}

void HostSession::addCommands()
{
  m_drawing.addCommands(m_interpreter);
  m_undo.addCommands(m_interpreter);
  m_docCommands.addCommands(m_interpreter);
  addSessionCommands();
  DrivenHost driven;
  driven.frame = [this] { return m_window.hwnd(); };
  driven.frameState = [this] {
    m_undo.showInMenu(m_window.hwnd()); // the menu bar as it would show now
    FrameState frame{m_window.hwnd(), m_window.status(), m_menuCommands, m_window.viewLines(), {}};
    for (const ModuleManager::Module& module : m_modules.modules())
      frame.modules.push_back({module.path, module.name});
    return frame;
  };
  driven.writeView = [this](JsonWriter& json) { m_window.modelView().dump(json); };
  driven.picturesReady = [this] { return m_gdiplus.ok(); };
  addDriveCommands(m_interpreter, m_runtime, m_gestures, std::move(driven));
  m_interpreter.setFallback([this](const OdString& word, ScriptArgs& args) { return runRegistered(word, args); });
}

bool HostSession::runRegistered(const OdString& word, ScriptArgs& args)
{
  const std::string name = word.toUtf8();
  CommandRegistry& commands = m_runtime.commands();
  if (!commands.find(name))
    return false;
  args.expectEnd();
  switch (commands.run(name))
  {
  case CommandRegistry::RunResult::Ran:
  case CommandRegistry::RunResult::Unknown: break;
  case CommandRegistry::RunResult::NotCreated:
    throw ScriptError(OdString::format(L"the command %s made no command object", word));
  case CommandRegistry::RunResult::Failed: throw ScriptError(OdString::format(L"the command %s failed", word));
  }
  return true;
}

void HostSession::runMenuCommand(UINT command)
{
  Document* document = m_runtime.documents().find(m_runtime.documents().curDocument());
  const OdString line = menuCommandLine(command, document && isDxf(document->fileName()));
  if (line.isEmpty())
    return;
  m_menuCommands.push_back(line);
  // As if typed: a refusal goes to the status line, an unknown command too.
  m_runner.runCommandLine(line);
}

void HostSession::carryOutCloses()
{
  if (m_ended || !m_runtime.closing())
    return;
  m_runtime.closeDone();
  m_docCommands.closeQueued();
  refresh();
  if (m_quitDeferred)
    quit();
  else
    m_runner.resume();
}

bool HostSession::afterLine()
{
  if (m_quitRequested)
    quit();
  return !m_ended && !m_quitDeferred;
}

void HostSession::quit()
{
  if (m_ended)
    return;
  // A line run by a loop nested in another window's handler (a drag let go
  // of, whose OLE loop under the list's press has not yet seen the release)
  // has that window's code, a module's maybe, on the stack too.
  const bool nested = m_dispatching && m_dispatching->hwnd != m_window.hwnd();
  if (m_runtime.inModalLoop() || m_gestures.holding() || nested)
  {
    // A module's menu or dialog is open, or a held drag's loop runs, and
    // its code is on the stack: end the loop (a drag is given up), and
    // unload once every call into the module has returned.
    m_gestures.giveUpHold();
    m_quitDeferred = true;
    m_runner.stop();
    m_runtime.requestClose();
    return;
  }
  // Taken now: a line run while a close question is open must not quit again.
  m_quitRequested = false;
  DocumentManager& documents = m_runtime.documents();
  for (int i = 0; i < documents.documentCount(); ++i)
    if (Document* document = documents.find(documents.documentAt(i)); document && !m_docCommands.mayClose(*document))
    {
      // Cancelled: the host runs on with every document, the script with its next line.
      m_quitDeferred = false;
      refresh();
      return;
    }
  m_ended = true;
  m_runner.end();
  m_runtime.documents().removeReactor(m_observer.get());
  std::vector<OdString> warnings;
  m_modules.unloadAll(&warnings);
  for (const OdString& warning : warnings)
    warn(L"host: " + warning);
  saveProfile();
  while (documents.documentCount() > 0)
    if (!documents.closeDocument(documents.documentAt(documents.documentCount() - 1)))
      break;
  m_window.destroy(m_failures ? 1 : 0);
}

void HostSession::saveProfile()
{
  const OdString& path = m_runtime.profilePath();
  if (path.isEmpty())
    return;
  if (!m_runtime.profileLoad().mayWrite())
  {
    fail(OdString::format(L"host: the profile \"%s\" was left as it is; the settings of this run were not kept", path));
    return;
  }
  OdString error;
  if (!m_runtime.profile().save(path, &error))
    fail(L"host: the profile was not saved: " + error);
}

void HostSession::refresh()
{
  if (m_ended || m_refreshHolds > 0)
    return;
  DocumentManager& documents = m_runtime.documents();
  std::vector<OdString> lines;
  HostDocument* current = documents.curDocument();
  lines.push_back(OdString::format(L"Open documents: %d", documents.documentCount()));
  for (int i = 0; i < documents.documentCount(); ++i)
  {
    HostDocument* document = documents.documentAt(i);
    lines.push_back(
      OdString::format(L"  %d  %s%s", i + 1, document->title(), document == current ? L"   (current)" : L""));
  }
  if (current)
  {
    lines.push_back(L"");
    HostSelectionSet* selection = current->commandContext() ? current->commandContext()->selectionSet() : nullptr;
    const Document* document = documents.find(current);
    for (const OdString& line : describeDrawing(current->database(), current->title(),
                                                selection ? selection->objectIdArray() : OdDbObjectIdArray(),
                                                document ? document->keptEntities() : EntityCounts()))
      lines.push_back(line);
  }
  m_window.setViewLines(lines);
  m_window.showDocument(current ? std::optional<OdString>(current->title()) : std::nullopt);
  HostSelectionSet* selected =
    current && current->commandContext() ? current->commandContext()->selectionSet() : nullptr;
  m_window.modelView().show(current ? current->database() : nullptr,
                            selected ? selected->objectIdArray() : OdDbObjectIdArray());

  OdString status = current ? OdString::format(L"Current: %s", current->title()) : OdString(L"No document");
  if (const Document* document = documents.find(current))
    if (const OdString kept = keptEntitiesStatus(document->keptEntities()); !kept.isEmpty())
      status += L"   |   " + kept;
  if (!m_runtime.profileProblem().isEmpty())
    status += OdString::format(L"   |   Profile \"%s\" left as it is: %s", fileNamePart(m_runtime.profilePath()),
                               m_runtime.profileLoad().reason);
  status += OdString::format(L"   |   %d command(s)", int(m_runtime.commands().commands().size()));
  for (const ModuleManager::Module& module : m_modules.modules())
    status += L"   |   " + fileNamePart(module.path);
  if (!m_runtime.eventMessages.empty())
    status += L"   |   " + m_runtime.eventMessages.back();
  m_window.setStatus(status);
}

void HostSession::fail(const OdString& message)
{
  ++m_failures;
  writeError(message);
}

void HostSession::warn(const OdString& message) { writeError(message); }
} // namespace host
