#include "DocumentCommands.h"

#include "HostFiles.h"
#include "KeptEntities.h"

#include "host/FileSystem.h"

#include <unordered_set>
#include <utility>

namespace host
{
namespace
{
// DXF drawings of millions of objects are read; beyond this one is refused unread.
constexpr std::size_t kMaxDxfSize = std::size_t(1) << 30;

const wchar_t kDxfFilter[] = L"DXF drawings (*.dxf)|*.dxf|All files (*.*)|*.*";
const wchar_t kOpenFilter[] = L"Drawings (*.dxf;*.mescript)|*.dxf;*.mescript|DXF drawings (*.dxf)|*.dxf|"
                              L"Script drawings (*.mescript)|*.mescript|All files (*.*)|*.*";

// "C:\x\sample.mescript" -> "sample"
OdString stem(const OdString& path)
{
  const OdString name = fileNamePart(path);
  const int dot = name.reverseFind(L'.');
  return dot > 0 ? name.left(dot) : name;
}
} // namespace

DocumentCommands::DocumentCommands(HostRuntime& runtime, MainWindow& window, DrawingScript& drawing, Hooks hooks)
  : m_runtime(runtime), m_window(window), m_drawing(drawing), m_hooks(std::move(hooks))
{
  m_drawing.addCommands(m_drawingInterpreter);
}

Document* DocumentCommands::current() { return m_runtime.documents().find(m_runtime.documents().curDocument()); }

void DocumentCommands::closeQueued()
{
  std::vector<HostDocument*> documents;
  documents.swap(m_closingDocuments);
  for (HostDocument* open : documents)
    if (Document* document = m_runtime.documents().find(open);
        document && mayClose(*document) && !m_runtime.documents().closeDocument(document))
      m_hooks.fail(L"host: a document could not be closed after its menu or dialog ended");
}

void DocumentCommands::openDrawing(const OdString& path)
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
      m_hooks.fail(OdString::format(L"%s:%d: %s", path, line, error));
    });
  bytes = std::string();
  Document* document = nullptr;
  {
    struct Held
    {
      const Hooks& hooks;
      explicit Held(const Hooks& h) : hooks(h) { hooks.holdRefresh(true); }
      ~Held() { hooks.holdRefresh(false); }
      Held(const Held&) = delete;
      Held& operator=(const Held&) = delete;
    } held(m_hooks);
    document = m_runtime.documents().openDocument(stem(path), path, db);
  }
  if (!document)
    throw ScriptError(L"the document could not be opened now");
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  document->setLoadSeconds(double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  for (const OdString& warning : warnings)
    m_hooks.warn(warning);
  document->setReaderWarnings(std::move(warnings));
  document->setKeptEntities(keptEntities(db));
  // Whatever observers wrote as it opened is no change of the user's either.
  document->markSaved();
  document->database()->clearUndoHistory();
  m_hooks.refresh();
}

bool DocumentCommands::saveDrawing(Document& document, const OdString& path, LeaveOut leaveOut)
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
        requireUnchangedSince(document, asked, path);
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

bool DocumentCommands::saveAs(Document& document, const OdString& path, LeaveOut leaveOut)
{
  if (!saveDrawing(document, path, leaveOut))
    return false;
  document.rename(path, stem(path));
  m_hooks.refresh();
  return true;
}

DocumentCommands::LeaveOut DocumentCommands::leaveOutFor(bool force) const
{
  if (force)
    return LeaveOut::Force;
  return m_hooks.scriptLine() ? LeaveOut::Refuse : LeaveOut::Ask;
}

bool DocumentCommands::chooseDxfToSave(const Document& document, OdString& path)
{
  const OdString initial = isDxf(document.fileName()) ? document.fileName() : document.title() + L".dxf";
  if (!showFileDialog(m_window.hwnd(), initial, kDxfFilter, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, true, path))
    return false;
  // As the dialog's default extension does for a typed name.
  if (!isDxf(path))
    path += L".dxf";
  return true;
}

void DocumentCommands::requireUnchangedSince(const Document& document, long long asked, const OdString& name) const
{
  // The question's loop may have run lines: the answer was about the drawing as it was.
  if (!m_runtime.documents().find(&document) || document.changes() != asked)
    throw ScriptError(OdString::format(L"%s was not saved: the drawing changed while the question was open", name));
}

bool DocumentCommands::mayClose(Document& document)
{
  if (!document.isModified())
    return true;
  const OdString title = document.title();
  const OdString question = OdString::format(L"Save changes to %s?", title);
  const long long asked = document.changes();
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
    requireUnchangedSince(document, asked, title);
    if (isDxf(document.fileName()))
      return saveDrawing(document, document.fileName(), LeaveOut::Ask);
    // No DXF file yet: the user names one, or cancels the close.
    OdString path;
    if (!chooseDxfToSave(document, path))
      return false;
    requireUnchangedSince(document, asked, title); // the file dialog's loop, too
    return saveAs(document, path, LeaveOut::Ask);
  }
  catch (const ScriptError& e)
  {
    // The document stays open, so nothing is lost.
    m_hooks.fail(e.message());
    m_window.setStatus(L"Error: " + e.message());
    return false;
  }
}

void DocumentCommands::addCommands(ScriptInterpreter& interpreter)
{
  // NEW [title]
  interpreter.add(L"NEW", [this](ScriptArgs& args) {
    OdString title = args.done() ? OdString::format(L"Drawing%d", ++m_untitled) : args.next(L"title");
    args.expectEnd();
    if (!m_runtime.documents().openDocument(title))
      throw ScriptError(L"no new document can be made now");
  });
  // OPEN drawing.mescript; without a file, the open dialog asks for one.
  interpreter.add(L"OPEN", [this](ScriptArgs& args) {
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
  interpreter.add(L"SAVE", [this](ScriptArgs& args) {
    const bool force = args.nextIs(L"FORCE");
    args.expectEnd();
    Document* document = current();
    if (!document)
      throw ScriptError(L"no current document to save");
    if (!isDxf(document->fileName()))
      throw ScriptError(OdString::format(L"\"%s\" is saved as DXF only: SAVEAS file.dxf", document->title()));
    saveDrawing(*document, document->fileName(), leaveOutFor(force));
  });
  // SAVEAS without a file: the save dialog asks for one; cancelled, nothing changes.
  interpreter.add(L"SAVEAS", [this](ScriptArgs& args) {
    OdString path;
    bool force = args.nextIs(L"FORCE");
    if (!force && !args.done())
    {
      path = args.next(L"DXF file");
      force = args.nextIs(L"FORCE");
    }
    args.expectEnd();
    Document* document = current();
    if (!document)
      throw ScriptError(L"no current document to save");
    if (path.isEmpty() && !chooseDxfToSave(*document, path))
      return;
    if (!isDxf(path))
      throw ScriptError(OdString::format(L"\"%s\" is no .dxf file: drawings are saved as DXF", path));
    saveAs(*document, path, leaveOutFor(force));
  });
  // DOC n: the n-th open document (from 1) becomes current.
  interpreter.add(L"DOC", [this](ScriptArgs& args) {
    DocumentManager& documents = m_runtime.documents();
    if (documents.documentCount() == 0)
      throw ScriptError(L"no document is open");
    const int n =
      ScriptArgs::toInt(args.next(L"document number"), L"the document number", 1, documents.documentCount());
    args.expectEnd();
    if (!documents.setCurDocument(documents.documentAt(n - 1)))
      throw ScriptError(L"the document cannot be made current now");
  });
  // CLOSE: the current document. Under an open menu or dialog, the menu or
  // dialog is ended first and the document closed once it has gone.
  interpreter.add(L"CLOSE", [this](ScriptArgs& args) {
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
  interpreter.add(L"SELECT", [this](ScriptArgs& args) {
    Document* document = current();
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
} // namespace host
