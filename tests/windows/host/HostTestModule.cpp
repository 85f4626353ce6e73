// hosttestmodule.dll: a small run-time module that uses the host the way the
// material editor does, so the host's side is tested on its own: resource
// translation at attach, commands registered by static initialisation, a
// docked pane, the message box and file dialog seams, the help service, the
// profile, and work left for static destruction at unload.
//
// Commands: TESTPANE (toggles the pane "Test pane"; state 0 without a
// document, 1 with one, 3 while the pane is shown), TESTASK (a Yes/No
// question; the answer goes to the profile), TESTFILE (the open-file
// dialog; the path goes to the profile), TESTHELP (help topic "IDH_Test"),
// TESTTHROW (throws), TESTSTRAY (a window it never destroys), TESTRENDERMODE
// (setRenderMode: smooth for the current drawing, flat for a drawing of its
// own, then smooth for no drawing), TESTMENU (a pop-up menu for the pane
// through the host's seam: 10 "&Open", 11 "Greyed" greyed, a separator,
// 12 "Checked" checked), TESTLIST (a list of 60 items "Item 1"... filling
// the pane, which logs each wheel notch it gets as "lw<delta>" and scrolls;
// run again, it takes no more notches: they are logged and dropped),
// TESTGLOSS (raises the glossiness of the current drawing's current material
// by a tenth and names the step "Glossiness", then "Diffuse", through the
// host's export; from then on every left click in the pane does so too, as
// a palette's edit does).
// Profile section "TestModule": "loads" counts initApp calls, "unloaded" is
// written by a static destructor, "answer", "file" and "menu" by the
// commands; "input" lists what the pane received.
#include "TestModuleHost.h"
#include "host/HostApi.h"
#include "host/HostCommands.h"
#include "host/HostDocking.h"
#include "od/DbDatabase.h"
#include "od/DbMaterial.h"
#include "od/RxModule.h"
#include "win32/Handles.h"

#include <windows.h>

#include <commctrl.h>

#include <stdexcept>
#include <string>

namespace
{
HMODULE g_instance = nullptr;
win::Window g_pane; // destroyed by a static destructor at unload
HWND g_stray = nullptr;
HWND g_list = nullptr; // a child of the pane, destroyed with it
WNDPROC g_listProc = nullptr;
bool g_listStuck = false;
bool g_glossOnClick = false;
class TestModule;
TestModule* g_module = nullptr;

using testmodule::docManager;
using testmodule::lookUp;

IProfileSection* section() { return testmodule::profileSection("TestModule"); }

void writeProfile(const char* name, const CKtVariant& value)
{
  if (IProfileSection* s = section())
    s->writeValue(name, value);
}

// The pane writes the input it gets into the profile value "input", so that
// tests of the host's gestures can read what really arrived.
void logInput(const std::wstring& event)
{
  CKtVariant old;
  IProfileSection* s = section();
  std::wstring text = s && s->readValue("input", old) && old.type() == CKtVariant::Type::Text ? old.asText().c_str() : L"";
  writeProfile("input", CKtVariant(OdString((text.empty() ? text : text + L" ") + event)));
}

// The current material's glossiness up a tenth (round to 0 past 1), named
// as a palette names its step.
void raiseGlossiness()
{
  HostDocument* document = docManager() ? docManager()->curDocument() : nullptr;
  OdDbDatabase* db = document ? document->database() : nullptr;
  if (!db || db->getCMATERIAL().isNull())
    throw std::runtime_error("no current material");
  {
    OdDbMaterialPtr material = db->getCMATERIAL().safeOpenObject(OdDb::kForWrite);
    MaterialColor color;
    MaterialMap map;
    double gloss = 0;
    material->specular(color, map, gloss);
    material->setSpecular(color, map, gloss + 0.1 > 1.0 ? 0.0 : gloss + 0.1);
  }
  if (auto name = lookUp<HostNameUndoStepFn>(L"kticore.dll", HOST_EXPORT_NAME_UNDO_STEP))
  {
    name(db, L"Glossiness");
    name(db, L"Diffuse"); // the first name stays
  }
}

std::wstring at(LPARAM lParam)
{
  return std::to_wstring(short(LOWORD(lParam))) + L"," + std::to_wstring(short(HIWORD(lParam)));
}

LRESULT CALLBACK paneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_LBUTTONDOWN:
    SetFocus(window);
    SetCapture(window);
    logInput(L"ld@" + at(lParam));
    return 0;
  case WM_LBUTTONUP:
    ReleaseCapture();
    logInput(L"lu@" + at(lParam));
    if (g_glossOnClick)
    {
      try
      {
        raiseGlossiness();
      }
      catch (const std::exception&)
      {
        logInput(L"noGloss"); // nothing may be thrown through the system's code
      }
    }
    return 0;
  case WM_LBUTTONDBLCLK: logInput(L"ldbl@" + at(lParam)); return 0;
  case WM_RBUTTONDOWN: logInput(L"rd@" + at(lParam)); return 0;
  case WM_RBUTTONUP: logInput(L"ru@" + at(lParam)); return 0;
  case WM_MOUSEMOVE:
    if (GetCapture() == window)
      logInput(L"m@" + at(lParam));
    return 0;
  case WM_MOUSEWHEEL: logInput(L"w" + std::to_wstring(short(HIWORD(wParam)))); return 0;
  case WM_KEYDOWN: logInput(L"k" + std::to_wstring(unsigned(wParam))); return 0;
  case WM_CHAR: logInput(L"c" + std::to_wstring(unsigned(wParam))); return 0;
  case WM_SIZE: logInput(L"size@" + at(lParam)); return 0;
  case WM_COMMAND: logInput(L"cmd" + std::to_wstring(LOWORD(wParam))); return 0;
  default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_MOUSEWHEEL)
  {
    logInput(L"lw" + std::to_wstring(short(HIWORD(wParam))));
    if (g_listStuck)
      return 0;
  }
  return CallWindowProcW(g_listProc, window, message, wParam, lParam);
}

void addList()
{
  if (!g_pane)
    throw std::runtime_error("no pane: TESTPANE first");
  if (IsWindow(g_list))
  {
    g_listStuck = true;
    return;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  RECT client{};
  GetClientRect(g_pane.get(), &client);
  g_list =
    CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, 0, 0,
                    client.right, client.bottom, g_pane.get(), nullptr, g_instance, nullptr);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = client.right * 3 / 4;
  SendMessageW(g_list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 1; i <= 60; ++i)
  {
    std::wstring text = L"Item " + std::to_wstring(i);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i - 1;
    item.pszText = text.data();
    SendMessageW(g_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(g_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc)));
}

const wchar_t kPaneClass[] = L"HostTestPane";

void togglePane()
{
  HostDocManager* manager = docManager();
  auto add = lookUp<HostDockAddPaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_ADD);
  auto restore = lookUp<HostDockRestorePaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_RESTORE);
  auto show = lookUp<HostDockShowPaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_SHOW);
  if (!manager || !add || !restore || !show)
    throw std::runtime_error("no host");
  if (!g_pane)
  {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = paneProc;
    wc.hInstance = g_instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPaneClass;
    RegisterClassW(&wc);
    g_pane.attach(CreateWindowExW(WS_EX_CLIENTEDGE, kPaneClass, L"Test pane", WS_CHILD, 0, 0, 0, 0,
                                  static_cast<HWND>(manager->mainWindow()), nullptr, g_instance, nullptr));
    add(g_pane.get(), kHostDockAnySide);
    restore(g_pane.get(), kHostDockLeft);
  }
  show(g_pane.get(), !IsWindowVisible(g_pane.get()), true);
}

class TestCommand final : public ICmdProcess
{
public:
  enum class Kind { Pane, Ask, File, Help, Throw, Stray, RenderMode, Menu, List, Gloss };
  explicit TestCommand(Kind kind) : m_kind(kind) {}

  unsigned AddRef() override { return ++m_refs; }
  unsigned Release() override
  {
    const unsigned refs = --m_refs;
    if (refs == 0)
      delete this;
    return refs;
  }
  bool QueryInterface(const std::type_info&, void**) override { return false; }
  int run() override;
  int beginHook() override { return 0; }
  int endHook() override { return 0; }
  int state() override
  {
    HostDocManager* manager = docManager();
    if (!manager || !manager->curDocument())
      return kCmdUnavailable;
    return kCmdAvailable | (m_kind == Kind::Pane && g_pane && IsWindowVisible(g_pane.get()) ? kCmdChecked : 0);
  }
  int getContext(IKtUnknown**) override { return 0; }
  int setContext(IKtUnknown*) override { return 1; }

private:
  Kind m_kind;
  unsigned m_refs = 1;
};

int TestCommand::run()
{
  switch (m_kind)
  {
  case Kind::Pane: togglePane(); break;
  case Kind::List: addList(); break;
  case Kind::Gloss:
    raiseGlossiness();
    g_glossOnClick = true;
    break;
  case Kind::Ask:
    if (auto box = lookUp<HostMessageBoxFn>(L"hostutils.dll", HOST_EXPORT_MESSAGE_BOX))
      writeProfile("answer", box(docManager()->mainWindow(), L"Remove \"it\"?", L"Test", kHostIconQuestion, kHostButtonsYesNo));
    break;
  case Kind::File:
    if (auto select = lookUp<HostSelectFileToOpenFn>(L"hostutils.dll", HOST_EXPORT_SELECT_FILE))
    {
      wchar_t path[MAX_PATH] = L"";
      writeProfile("file", select(nullptr, L"a.png", L"Image (*.png)|*.png|", 6, path, MAX_PATH) ? path : L"(cancelled)");
    }
    break;
  case Kind::Help:
    if (auto get = lookUp<GetIHelpServiceFn>(L"events5.dll", HOST_EXPORT_HELP_SERVICE))
    {
      IHelpService* help = get();
      help->showTopic(L"IDH_Test");
      help->release();
    }
    break;
  case Kind::Menu:
    // A menu for the pane through the host's seam: its command comes to the
    // pane as WM_COMMAND, which the pane logs.
    if (auto track = lookUp<HostTrackPopupMenuFn>(L"hostutils.dll", HOST_EXPORT_TRACK_POPUP_MENU))
    {
      const win::Menu menu(CreatePopupMenu());
      AppendMenuW(menu.get(), MF_STRING, 10, L"&Open");
      AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 11, L"Greyed");
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      AppendMenuW(menu.get(), MF_STRING | MF_CHECKED, 12, L"Checked");
      POINT at{};
      GetCursorPos(&at);
      writeProfile("menu", int(track(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, g_pane.get())));
    }
    break;
  case Kind::RenderMode:
    if (auto setRenderMode = lookUp<HostSetRenderModeFn>(L"hostutils.dll", HOST_EXPORT_SET_RENDER_MODE))
    {
      HostDocument* document = docManager()->curDocument();
      if (!document)
        throw std::runtime_error("no document");
      setRenderMode(document->database(), true);
      OdDbDatabasePtr own = odCreateDatabase();
      setRenderMode(own.get(), false);
      if (own->activeViewportRenderMode() != OdDb::kFlatShaded)
        throw std::runtime_error("setRenderMode left the drawing's mode alone");
      setRenderMode(nullptr, true);
    }
    break;
  case Kind::Throw: throw std::runtime_error("TESTTHROW");
  case Kind::Stray:
    g_stray = CreateWindowExW(0, L"STATIC", L"stray", WS_CHILD, 0, 0, 1, 1,
                              static_cast<HWND>(docManager()->mainWindow()), nullptr, g_instance, nullptr);
    SetWindowLongPtrW(g_stray, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(paneProc));
    break;
  }
  return 0;
}

template <TestCommand::Kind K>
int create(ICmdProcess** command)
{
  *command = new TestCommand(K);
  return 1;
}

// Registers the commands when the library is loaded, and writes to the
// profile when its static objects are destroyed at unload.
struct StaticLife
{
  StaticLife()
  {
    auto factory = lookUp<NewICmdFactoryFn>(nullptr, HOST_EXPORT_NEW_CMD_FACTORY);
    ICmdFactory* commands = factory ? factory() : nullptr;
    if (!commands)
      return;
    commands->registerCommand("TESTPANE", create<TestCommand::Kind::Pane>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTASK", create<TestCommand::Kind::Ask>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTFILE", create<TestCommand::Kind::File>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTHELP", create<TestCommand::Kind::Help>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTTHROW", create<TestCommand::Kind::Throw>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTSTRAY", create<TestCommand::Kind::Stray>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTRENDERMODE", create<TestCommand::Kind::RenderMode>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTMENU", create<TestCommand::Kind::Menu>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTLIST", create<TestCommand::Kind::List>, L"HOST", 0, nullptr, 0);
    commands->registerCommand("TESTGLOSS", create<TestCommand::Kind::Gloss>, L"HOST", 0, nullptr, 0);
  }
  ~StaticLife()
  {
    g_pane.reset();
    writeProfile("unloaded", 1);
  }
} g_staticLife;

class TestModule final : public OdRxWin32Module<OdRxModule>
{
public:
  using OdRxWin32Module::OdRxWin32Module;
  void addRef() const override {}
  void release() const override {}
  void deleteModule() override
  {
    g_module = nullptr;
    delete this;
  }
  void initApp() override
  {
    CKtVariant loads;
    if (IProfileSection* s = section())
      s->readValue("loads", loads);
    writeProfile("loads", loads.asInt() + 1);
  }
  void uninitApp() override {}
};
} // namespace

extern "C" {
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
  if (reason == DLL_PROCESS_ATTACH)
  {
    g_instance = instance;
    if (auto translate = lookUp<InitResTranslationFn>(L"kticore.dll", HOST_EXPORT_INIT_RES_TRANSLATION))
      translate(instance);
  }
  return TRUE;
}

__declspec(dllexport) OdRxModule* odrxCreateModuleObject()
{
  if (!g_module)
    g_module = new TestModule(g_instance);
  return g_module;
}

__declspec(dllexport) void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild)
{
  major = 4;
  minor = 3;
  majorBuild = 1;
  minorBuild = 0;
}
}
