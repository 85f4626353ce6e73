#include "HostSession.h"

#include "DrawingSummary.h"
#include "FrameGestures.h"
#include "GridDump.h"
#include "KeptEntities.h"
#include "MainLibrary.h"
#include "MainMenu.h"
#include "PaneControls.h"

#include "host/FileSystem.h"

#include <commctrl.h>
#include <shlobj.h>
#include <unordered_set>
#include <utility>

namespace host
{
namespace
{
constexpr std::size_t kMaxScriptSize = 16u << 20;
// DXF drawings of millions of objects are read; beyond this one is refused unread.
constexpr std::size_t kMaxDxfSize = std::size_t(1) << 30;

bool isDxf(const OdString& path)
{
  const OdString name = fileNamePart(path);
  return name.getLength() > 4 && name.right(4).iCompare(L".dxf") == 0;
}
// How often a waiting script looks again while a dialog is open.
constexpr UINT kBusyPollMs = 20;

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

const wchar_t kDxfFilter[] = L"DXF drawings (*.dxf)|*.dxf|All files (*.*)|*.*";
const wchar_t kOpenFilter[] = L"Drawings (*.dxf;*.mescript)|*.dxf;*.mescript|DXF drawings (*.dxf)|*.dxf|"
                              L"Script drawings (*.mescript)|*.mescript|All files (*.*)|*.*";

OdString readProblem(ReadResult result, const OdString& what, const OdString& path)
{
  switch (result)
  {
  case ReadResult::Missing: return OdString::format(L"no %s file \"%s\"", what, path);
  case ReadResult::TooLarge: return OdString::format(L"the %s file \"%s\" is too large", what, path);
  case ReadResult::NotAFile: return OdString::format(L"the %s file \"%s\" is no file", what, path);
  default: return OdString::format(L"cannot read the %s file \"%s\"", what, path);
  }
}

// "C:\x\sample.mescript" -> "sample"
OdString stem(const OdString& path)
{
  const OdString name = fileNamePart(path);
  const int dot = name.reverseFind(L'.');
  return dot > 0 ? name.left(dot) : name;
}
} // namespace

void writeError(const OdString& line)
{
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  if (!handle || handle == INVALID_HANDLE_VALUE)
    return;
  const std::string text = line.toUtf8() + "\n";
  DWORD written = 0;
  WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
}

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
  : m_options(std::move(options)),
    m_runtime(hostRuntime()),
    m_drawing([this] { return currentDatabase(); }),
    m_observer(std::make_unique<DocumentObserver>(*this))
{
  addCommands();
}

HostSession::~HostSession() { m_runtime.documents().removeReactor(m_observer.get()); }

int HostSession::run(HINSTANCE instance)
{
  m_runtime.setScripted(!m_options.script.isEmpty());
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

  m_runtime.runScriptLine = [this](const DialogAnswer& run) { runAnsweredLine(run); };
  m_window.onCommandLine = [this](const OdString& line) { runCommandLine(line); };
  // The close button goes the way of QUIT: a modified document asks first.
  m_window.onCloseRequest = [this]() { quit(); };
  m_window.onMenuCommand = [this](UINT command) { runMenuCommand(command); };
  m_window.onMenuOpening = [this]() { showUndoStepsInMenu(); };
  // Entered from a palette (F10, Alt), the menu bar's loop runs on top of
  // the palette's window procedure: a close must wait for it to end.
  m_window.onMenuLoop = [this](bool entered) {
    if (entered)
      m_runtime.enterSystemLoop();
    else
      m_runtime.leaveSystemLoop();
  };
  m_window.onStep = [this]() { step(); };
  m_window.onWaitOver = [this]() {
    m_waiting = false;
    m_window.startSettle();
  };
  m_window.onSettled = [this]() { settled(); };
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
  m_runtime.documents().addReactor(m_observer.get());
  ShowWindow(m_window.hwnd(), SW_SHOW);
  UpdateWindow(m_window.hwnd());

  loadModule();
  if (!m_options.drawing.isEmpty())
  {
    try
    {
      openDrawing(m_options.drawing);
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
    if (!loadScript())
      quit();
    else
    {
      m_scriptRunning = true;
      m_window.postStep();
    }
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
      DispatchMessageW(&message);
    }
    m_gestures.messageHandled(message);
    // Here no call into a module is under way: a close that came during a
    // modal loop is carried out now.
    if (!m_runtime.inModalLoop())
    {
      carryOutCloses();
      closeInputUndoSteps();
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
  for (const wchar_t* name : {L"hostmain.dll", L"events5.dll", L"hostutils.dll", L"hostvectorizerutils.dll", L"inspctl.dll"})
  {
    const OdString path = joinPath(folder, name);
    win::Library library(LoadLibraryW(path.c_str()));
    if (!library)
    {
      writeError(OdString::format(L"host: cannot load the host library \"%s\" (error %u)", path, unsigned(GetLastError())));
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

bool HostSession::loadScript()
{
  std::string bytes;
  const ReadResult result = readFile(m_options.script, bytes, kMaxScriptSize);
  if (result != ReadResult::Ok)
  {
    fail(L"host: " + readProblem(result, L"script", m_options.script));
    return false;
  }
  m_scriptName = m_options.script;
  m_script = scriptLines(bytes);
  m_nextLine = 0;
  return true;
}

void HostSession::addCommands()
{
  m_drawing.addCommands(m_interpreter);
  m_drawing.addCommands(m_drawingInterpreter);
  addUndoCommands(m_interpreter, [this] { return currentDatabase(); });
  addDocumentCommands();
  addSessionCommands();
  m_gestures.addCommands(m_interpreter);
  addFrameGestures(m_interpreter, m_gestures, [this] { return m_window.hwnd(); });
  addGridCommands(m_interpreter, m_runtime, m_gestures);
  // After the grid's places: the list's EDITOR falls back to the grid's.
  addPaneControlPlaces();
  // Painting belongs to the time of a command: a list is not shown until it is drawn.
  addTimeCommand(m_interpreter, m_gestures, [this] {
    if (m_window.hwnd())
      RedrawWindow(m_window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  });
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

void HostSession::openDrawing(const OdString& path)
{
  std::string bytes;
  const bool dxf = isDxf(path);
  LARGE_INTEGER start{}, end{}, frequency{};
  QueryPerformanceCounter(&start);
  const ReadResult result = readFile(path, bytes, dxf ? kMaxDxfSize : kMaxScriptSize);
  if (result != ReadResult::Ok)
    throw ScriptError(readProblem(result, L"drawing", path));
  // The drawing is read whole before a document holds it: no observer (the
  // view, a module's palette) hears of each object, and nothing of it is a
  // change of the user's or a step to undo.
  std::vector<OdString> warnings;
  OdDbDatabasePtr db;
  if (dxf)
  {
    // A file that cannot be read opens nothing: the other documents stay as they were.
    try
    {
      db = odDxfRead(bytes, path, &warnings);
    }
    catch (const OdError& error)
    {
      throw ScriptError(error.description().isEmpty() ? odResultText(error.code()) : error.description());
    }
  }
  else
    db = m_drawing.readDrawing(bytes, path, m_drawingInterpreter, [&](int line, const OdString& error) {
      fail(OdString::format(L"%s:%d: %s", path, line, error));
    });
  bytes = std::string();
  Document* document = m_runtime.documents().openDocument(stem(path), path, db);
  if (!document)
    throw ScriptError(L"the document could not be opened now");
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  document->setLoadSeconds(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  for (const OdString& warning : warnings)
    warn(warning);
  document->setReaderWarnings(std::move(warnings));
  document->setKeptEntities(keptEntities(db));
  // Whatever observers wrote as it opened is no change of the user's either.
  document->markSaved();
  document->database()->clearUndoHistory();
  refresh();
}

bool HostSession::saveDrawing(Document& document, const OdString& path, LeaveOut leaveOut)
{
  if (!document.leavingOutAccepted())
    if (const OdString question = leaveOutQuestion(odDxfLeftOut(document.database())); !question.isEmpty())
    {
      if (leaveOut == LeaveOut::Refuse)
        throw ScriptError(question + L" (FORCE saves anyway)");
      if (leaveOut == LeaveOut::Ask)
      {
        const long long asked = document.changes();
        const int answer =
          askMessageBox(m_window.hwnd(), question.c_str(), m_runtime.translations().translate(L"Material editor host"),
                        MB_ICONEXCLAMATION, MB_YESNO, IDNO);
        if (answer != IDYES)
          return false;
        // The question's loop may have run lines: the answer was about the drawing as it was.
        if (!m_runtime.documents().find(&document) || document.changes() != asked)
          throw ScriptError(
            OdString::format(L"%s was not saved: the drawing changed while the question was open", path));
      }
      document.acceptLeavingOut();
    }
  std::string bytes;
  try
  {
    bytes = odDxfWrite(document.database());
  }
  catch (const OdError& error)
  {
    throw ScriptError(OdString::format(L"%s could not be saved: %s", path, error.description()));
  }
  OdString problem;
  if (!writeFileAtomically(path, bytes, &problem))
    throw ScriptError(OdString::format(L"%s could not be saved: %s", path, problem));
  document.markSaved();
  return true;
}

bool HostSession::saveAs(Document& document, const OdString& path, LeaveOut leaveOut)
{
  if (!saveDrawing(document, path, leaveOut))
    return false;
  document.rename(path, stem(path));
  refresh();
  return true;
}

HostSession::LeaveOut HostSession::leaveOutFor(bool force) const
{
  if (force)
    return LeaveOut::Force;
  return m_scriptLine ? LeaveOut::Refuse : LeaveOut::Ask;
}

bool HostSession::chooseDxfToSave(const Document& document, OdString& path)
{
  const OdString initial = isDxf(document.fileName()) ? document.fileName() : document.title() + L".dxf";
  if (!showFileDialog(m_window.hwnd(), initial, kDxfFilter, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, true, path))
    return false;
  // As the dialog's default extension does for a typed name.
  if (!isDxf(path))
    path += L".dxf";
  return true;
}

bool HostSession::mayClose(Document& document)
{
  if (!document.isModified())
    return true;
  const OdString question = OdString::format(L"Save changes to %s?", document.title());
  // Unanswered in a script, the changes go: scripts that end with CLOSE or
  // QUIT leave their drawing files as they were.
  const int answer =
    askMessageBox(m_window.hwnd(), question.c_str(), m_runtime.translations().translate(L"Material editor host"),
                  MB_ICONQUESTION, MB_YESNOCANCEL, IDNO);
  if (answer == IDNO)
    return true;
  if (answer != IDYES)
    return false;
  try
  {
    if (isDxf(document.fileName()))
      return saveDrawing(document, document.fileName(), LeaveOut::Ask);
    // No DXF file yet: the user names one, or cancels the close.
    OdString path;
    return chooseDxfToSave(document, path) && saveAs(document, path, LeaveOut::Ask);
  }
  catch (const ScriptError& e)
  {
    // The document stays open, so nothing is lost.
    fail(e.message());
    m_window.setStatus(L"Error: " + e.message());
    return false;
  }
}

void HostSession::addDocumentCommands()
{
  // NEW [title]
  m_interpreter.add(L"NEW", [this](ScriptArgs& args) {
    OdString title = args.done() ? OdString::format(L"Drawing%d", ++m_untitled) : args.next(L"title");
    args.expectEnd();
    if (!m_runtime.documents().openDocument(title))
      throw ScriptError(L"no new document can be made now");
  });
  // OPEN drawing.mescript; without a file, the open dialog asks for one.
  m_interpreter.add(L"OPEN", [this](ScriptArgs& args) {
    OdString path;
    if (!args.done())
      path = args.next(L"drawing file");
    args.expectEnd();
    if (path.isEmpty() &&
        !showFileDialog(m_window.hwnd(), OdString(), kOpenFilter, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false, path))
      return;
    openDrawing(path);
  });
  // SAVE [FORCE]: the current document into its DXF file. SAVEAS file.dxf
  // [FORCE]: into that file, which the document then carries (and its
  // title). FORCE: saved even when entities the file cannot keep are left out.
  m_interpreter.add(L"SAVE", [this](ScriptArgs& args) {
    const bool force = args.nextIs(L"FORCE");
    args.expectEnd();
    Document* document = m_runtime.documents().find(m_runtime.documents().curDocument());
    if (!document)
      throw ScriptError(L"no current document to save");
    if (!isDxf(document->fileName()))
      throw ScriptError(OdString::format(L"\"%s\" is saved as DXF only: SAVEAS file.dxf", document->title()));
    saveDrawing(*document, document->fileName(), leaveOutFor(force));
  });
  // SAVEAS without a file: the save dialog asks for one; cancelled, nothing changes.
  m_interpreter.add(L"SAVEAS", [this](ScriptArgs& args) {
    OdString path;
    bool force = args.nextIs(L"FORCE");
    if (!force && !args.done())
    {
      path = args.next(L"DXF file");
      force = args.nextIs(L"FORCE");
    }
    args.expectEnd();
    Document* document = m_runtime.documents().find(m_runtime.documents().curDocument());
    if (!document)
      throw ScriptError(L"no current document to save");
    if (path.isEmpty() && !chooseDxfToSave(*document, path))
      return;
    if (!isDxf(path))
      throw ScriptError(OdString::format(L"\"%s\" is no .dxf file: drawings are saved as DXF", path));
    saveAs(*document, path, leaveOutFor(force));
  });
  // DOC n: the n-th open document (from 1) becomes current.
  m_interpreter.add(L"DOC", [this](ScriptArgs& args) {
    DocumentManager& documents = m_runtime.documents();
    if (documents.documentCount() == 0)
      throw ScriptError(L"no document is open");
    const int n = ScriptArgs::toInt(args.next(L"document number"), L"the document number", 1, documents.documentCount());
    args.expectEnd();
    if (!documents.setCurDocument(documents.documentAt(n - 1)))
      throw ScriptError(L"the document cannot be made current now");
  });
  // CLOSE: the current document. Under an open menu or dialog, the menu or
  // dialog is ended first and the document closed once it has gone.
  m_interpreter.add(L"CLOSE", [this](ScriptArgs& args) {
    args.expectEnd();
    HostDocument* current = m_runtime.documents().curDocument();
    if (!current)
      throw ScriptError(L"no current document to close");
    if (m_runtime.inModalLoop())
    {
      m_closingDocuments.push_back(current);
      m_runtime.requestClose();
      return;
    }
    Document* document = m_runtime.documents().find(current);
    if (document && !mayClose(*document))
      return;
    if (!m_runtime.documents().closeDocument(current))
      throw ScriptError(L"the document cannot be closed now");
  });
  // SELECT ALL | NONE | object...
  m_interpreter.add(L"SELECT", [this](ScriptArgs& args) {
    Document* document = m_runtime.documents().find(m_runtime.documents().curDocument());
    if (!document)
      throw ScriptError(L"no current document");
    OdDbDatabase* db = document->database();
    OdDbObjectIdArray ids;
    if (args.nextIs(L"ALL"))
    {
      OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
      for (auto it = model->newIterator(); !it->done(); it->step())
        if (!isKeptEntity(it->objectId()))
          ids.append(it->objectId());
    }
    else if (!args.nextIs(L"NONE"))
    {
      if (args.done())
        throw ScriptError(L"SELECT takes ALL, NONE or objects");
      std::unordered_set<const OdDbStub*> seen; // a set: selections can be of any size
      for (const OdString& word : args.rest())
      {
        const OdDbObjectId id = m_drawing.resolve(db, word);
        if (isKeptEntity(id))
          throw ScriptError(
            OdString::format(L"\"%s\" is an entity this program does not show; it cannot be selected", word));
        if (seen.insert(id.stub()).second)
          ids.append(id);
      }
    }
    args.expectEnd();
    document->setSelection(ids);
  });
}

void HostSession::step()
{
  if (!m_scriptRunning || m_waiting || m_ended)
    return;
  if (m_inLine || m_gestures.pending() || m_runtime.modalDepth() > 0)
  {
    // Not now: a dialog of a seam is open, input is still on its way, or a
    // line runs a loop of its own. Look again when the queue is quiet.
    m_window.startSettle(kBusyPollMs);
    return;
  }
  if (m_nextLine >= m_script.size())
  {
    // Without QUIT the host stays open, and dialogs wait for the user again.
    m_scriptRunning = false;
    m_runtime.setScripted(false);
    m_window.setStatus(L"Script finished");
    return;
  }
  const ScriptLine& line = m_script[m_nextLine++];
  OdString error;
  m_inLine = true;
  m_scriptLine = true;
  const bool ran = runLine(line.text, error);
  m_scriptLine = false;
  m_inLine = false;
  if (!ran)
  {
    // A verb that failed half-way must not leave input behind.
    m_gestures.clear();
    fail(OdString::format(L"%s:%d: %s", m_scriptName, line.number, error));
  }
  refresh();
  if (m_quitRequested)
    quit();
  // A quit the user cancelled at the save question goes on with the script.
  if (m_ended || m_quitDeferred)
    return;
  if (m_gestures.pending())
    m_window.startSettle();
  else if (!m_waiting)
    m_window.postStep();
}

void HostSession::settled()
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
      if (m_scriptRunning && m_nextLine > 0)
        fail(OdString::format(L"%s:%d: %s", m_scriptName, m_script[m_nextLine - 1].number, e.message()));
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
  if (m_scriptRunning)
    step();
}

bool HostSession::runLine(const OdString& line, OdString& error)
{
  return tryRunAsUndoStep(m_interpreter, currentDatabase(), line, error);
}

OdDbDatabase* HostSession::currentDatabase()
{
  HostDocument* document = m_runtime.documents().curDocument();
  return document ? document->database() : nullptr;
}

void HostSession::closeInputUndoSteps()
{
  // An edit in a palette is no command: its writes open an unnamed step,
  // which ends once the input that caused it is handled. A button still
  // held (a drag in a preview or a slider) keeps it open, so a drag is one
  // step; so does anything still queued that the input set off.
  if (GetCapture() || GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0)
    return;
  if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0)
    return;
  DocumentManager& documents = m_runtime.documents();
  for (int i = 0; i < documents.documentCount(); ++i)
    if (OdDbDatabase* db = documents.documentAt(i)->database(); db && db->hasOpenUndoRecord())
      db->endUndoRecord();
}

void HostSession::showUndoStepsInMenu()
{
  OdDbDatabase* db = currentDatabase();
  showUndoSteps(GetMenu(m_window.hwnd()), db ? db->undoStepName(0) : OdString(), db ? db->redoStepName(0) : OdString());
}

void HostSession::runCommandLine(const OdString& line)
{
  OdString error;
  const bool wasScriptLine = std::exchange(m_scriptLine, false);
  const bool ran = runLine(line, error);
  m_scriptLine = wasScriptLine;
  if (!ran)
  {
    MessageBeep(MB_ICONWARNING);
    refresh();
    m_window.setStatus(L"Error: " + error);
    return;
  }
  refresh();
  if (m_quitRequested)
    quit();
  if (!m_ended && !m_quitDeferred && m_gestures.pending())
    m_window.startSettle();
}

void HostSession::runMenuCommand(UINT command)
{
  Document* document = m_runtime.documents().find(m_runtime.documents().curDocument());
  const OdString line = menuCommandLine(command, document && isDxf(document->fileName()));
  if (line.isEmpty())
    return;
  m_menuCommands.push_back(line);
  // As if typed: a refusal goes to the status line, an unknown command too.
  runCommandLine(line);
}

void HostSession::runAnsweredLine(const DialogAnswer& run)
{
  OdString error;
  const bool wasInLine = m_inLine, wasScriptLine = m_scriptLine;
  m_inLine = true;
  m_scriptLine = true;
  const bool ran = runLine(run.line, error);
  m_inLine = wasInLine;
  m_scriptLine = wasScriptLine;
  if (!ran)
    fail(OdString::format(L"%s:%d: ANSWER RUN: %s", m_scriptName, run.lineNumber, error));
  if (m_quitRequested)
    quit();
}

void HostSession::carryOutCloses()
{
  if (m_ended || !m_runtime.closing())
    return;
  m_runtime.closeDone();
  std::vector<HostDocument*> documents;
  documents.swap(m_closingDocuments);
  for (HostDocument* open : documents)
    if (Document* document = m_runtime.documents().find(open);
        document && mayClose(*document) && !m_runtime.documents().closeDocument(document))
      fail(L"host: a document could not be closed after its menu or dialog ended");
  refresh();
  if (m_quitDeferred)
    quit();
  else if (m_scriptRunning)
    m_window.postStep();
}

void HostSession::quit()
{
  if (m_ended)
    return;
  if (m_runtime.inModalLoop())
  {
    // A module's menu or dialog is open, and its code is on the stack:
    // end the loop, and unload once every call into the module has returned.
    m_quitDeferred = true;
    m_scriptRunning = false;
    m_gestures.clear();
    m_runtime.requestClose();
    return;
  }
  DocumentManager& documents = m_runtime.documents();
  for (int i = 0; i < documents.documentCount(); ++i)
    if (Document* document = documents.find(documents.documentAt(i)); document && !mayClose(*document))
    {
      // Cancelled: the host runs on with every document, the script with its next line.
      m_quitRequested = false;
      m_quitDeferred = false;
      refresh();
      return;
    }
  m_ended = true;
  m_scriptRunning = false;
  m_gestures.clear();
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
  if (m_ended)
    return;
  DocumentManager& documents = m_runtime.documents();
  std::vector<OdString> lines;
  HostDocument* current = documents.curDocument();
  lines.push_back(OdString::format(L"Open documents: %d", documents.documentCount()));
  for (int i = 0; i < documents.documentCount(); ++i)
  {
    HostDocument* document = documents.documentAt(i);
    lines.push_back(OdString::format(L"  %d  %s%s", i + 1, document->title(), document == current ? L"   (current)" : L""));
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
  HostSelectionSet* selected = current && current->commandContext() ? current->commandContext()->selectionSet() : nullptr;
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
