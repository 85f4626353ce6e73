// gridtestmodule.dll: a run-time module that holds a property grid with a
// row of every family, so that the host's grid and the row families are
// tested on their own, driven by scripts through real input. Its rows are
// the editors' own families, made and owned by a MeUiRowProvider as an
// editor's provider makes and owns them.
//
// Command TESTGRID shows (or hides) the docked pane "Grid test": a list box
// of the grid's style at the pane's client area under its caption, made
// into a CInspectorCtrl found in inspctl.dll by name. Every write of a row
// goes to the profile section "GridTest": "<label>" holds the value as the
// row's owner keeps it and "<label>.writes" counts the writes.
//
// Command TESTGRIDREBUILD switches on (or off) what a palette does when the
// object it shows changes: every write, from inside the owner's setter,
// empties the grid and fills it with new rows ("rebuilds" counts them).
// Command TESTGRIDRESET does that at once, emptying the grid with the list
// box's own reset message as a dialog does, and from then on the rebuilds
// empty it so too.
//
// Command TESTGRIDREBUILDNOW builds the rows again once, at once, as a
// palette does when its mode changes. Command TESTGRIDADDONWRITE switches on
// (or off) adding one more row ("Image.Extra 1", "Image.Extra 2"...) from
// inside every write, below the "Image" rows and so above the others, while
// the editor that wrote stays open.
//
// Command TESTGRIDRENAME makes the rows of later rebuilds carry a "*" after
// the label of every row written since ("Scale.Width*"), as a palette whose
// rows change with the object they show.
//
// The list box counts the wheel notches it gets ("wheel notches", signed:
// positive away from the user) and the scroll bar messages ("scroll
// messages"), below the grid, which passes them on.
//
// Rows (label: family):
//   Image.Saved at          read-only text with a button ("actions" counts presses)
//   Image.File name         text edit box
//   Scale.Width             real, 0 and no upper bound
//   Position.Offset         real, 0 to 100
//   Position.Lock           yes/no
//   Position.Rotation       slider 0 to 360, "%d°"
//   Projection.Type         text combo: Planar, Box, Cylindrical, Spherical
//   Generic.Diffuse         colour list
//   Generic.Glossiness      slider 0 to 100, "%d%%"
//   Appearance.Stone colour RGB colour selector
#include "TestModuleHost.h"
#include "host/HostApi.h"
#include "host/HostCommands.h"
#include "host/HostDocking.h"
#include "host/win/GridHolder.h"
#include "host/win/KtFamilies.h"
#include "od/RxModule.h"
#include "ui/properties/MeUiColorPropertyEx.h"
#include "ui/properties/MeUiRowProvider.h"
#include "ui/properties/MeUiTextureRowFamilies.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <malloc.h>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// Memory this module frees is filled with a pattern first, so that code
// still using a freed row (its window procedure after a setter let it go)
// fails at once instead of by chance.
void* operator new(std::size_t size)
{
  if (void* memory = std::malloc(size ? size : 1))
    return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept
{
  if (!memory)
    return;
  std::memset(memory, 0xDD, _msize(memory));
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }

namespace
{
HMODULE g_instance = nullptr;
HWND g_pane = nullptr;
HWND g_list = nullptr;
kt::GridHolder g_grid;

using testmodule::docManager;
using testmodule::lookUp;

IProfileSection* section() { return testmodule::profileSection("GridTest"); }

bool g_renameWritten = false;
std::set<std::wstring> g_renamed;

// The label a new row gets.
CXStringW labelOf(const wchar_t* label) { return g_renamed.count(label) ? CXStringW(label) + L"*" : CXStringW(label); }

// The value as the owner keeps it, and one more write of it.
void record(const char* label, const CXStringW& text)
{
  if (g_renameWritten)
    g_renamed.insert(std::wstring(label, label + std::strlen(label))); // the labels are ASCII
  IProfileSection* s = section();
  if (!s)
    return;
  s->writeValue(label, CKtVariant(text));
  const std::string counter = std::string(label) + ".writes";
  CKtVariant writes;
  s->readValue(counter.c_str(), writes);
  s->writeValue(counter.c_str(), CKtVariant(writes.asInt() + 1));
}

void count(const char* name, int by)
{
  IProfileSection* s = section();
  if (!s)
    return;
  CKtVariant value;
  s->readValue(name, value);
  s->writeValue(name, CKtVariant(value.asInt() + by));
}

bool g_rebuildOnWrite = false;
bool g_resetByMessage = false;
bool g_addOnWrite = false;
void rebuildGrid();
void addExtraRow();

// The values behind the rows, and the rows, as an editor's provider owns
// them; every write is recorded in the profile.
class GridOwner final : public meui::MeUiRowProvider
{
public:
  // Its rows write to no drawing: a dialog of theirs always writes.
  me::MeEditTarget editTarget() { return me::MeEditTarget::anything(); }
  void buildRows() override;

  bool getSavedAt(CXStringW& v) { return (v = L"C:/maps/marble.png", true); }
  bool browse()
  {
    record("actions", CXStringW(L"pressed"));
    return true;
  }
  bool getFileName(CXStringW& v) { return (v = fileName, true); }
  bool setFileName(CXStringW v) { return write("Image.File name", fileName, v, v); }
  bool getWidth(double& v) { return (v = width, true); }
  bool setWidth(double v) { return write("Scale.Width", width, v, CXStringW::format(L"%g", v)); }
  bool getOffset(double& v) { return (v = offset, true); }
  bool setOffset(double v) { return write("Position.Offset", offset, v, CXStringW::format(L"%g", v)); }
  bool getLock(int& v) { return (v = locked, true); }
  bool setLock(int v) { return write("Position.Lock", locked, v, CXStringW::format(L"%d", v)); }
  bool getRotation(int& v) { return (v = rotation, true); }
  bool setRotation(int v) { return write("Position.Rotation", rotation, v, CXStringW::format(L"%d", v)); }
  bool degrees(int v, CXStringW& text) { return (text = CXStringW::format(L"%d\u00b0", v), true); }
  bool getProjection(CXStringW& v) { return (v = projection, true); }
  bool setProjection(CXStringW v) { return write("Projection.Type", projection, v, v); }
  bool projections(std::vector<CXStringW>& texts)
  {
    texts = {L"Planar", L"Box", L"Cylindrical", L"Spherical"};
    return true;
  }
  bool getDiffuse(OdCmColor& v) { return (v = diffuse, true); }
  bool setDiffuse(OdCmColor v)
  {
    return write("Generic.Diffuse", diffuse, v,
                 CXStringW::format(L"%d,%d,%d", int(v.red()), int(v.green()), int(v.blue())));
  }
  bool getGlossiness(int& v) { return (v = glossiness, true); }
  bool setGlossiness(int v) { return write("Generic.Glossiness", glossiness, v, CXStringW::format(L"%d", v)); }
  bool percent(int v, CXStringW& text) { return (text = CXStringW::format(L"%d%%", v), true); }
  bool getStone(OdUInt32& v) { return (v = stone, true); }
  bool setStone(OdUInt32 v) { return write("Appearance.Stone colour", stone, v, kt::rgbText(v)); }

  CXStringW fileName = L"marble.png";
  double width = 1.0;
  double offset = 10.0;
  int locked = 0;
  int rotation = 90;
  CXStringW projection = L"Planar";
  OdCmColor diffuse = [] {
    OdCmColor c;
    c.setColorIndex(1);
    return c;
  }();
  int glossiness = 0;
  OdUInt32 stone = 0x00FF8000; // RGB(0,128,255)

private:
  template <class T>
  bool write(const char* label, T& field, const T& value, const CXStringW& text)
  {
    field = value;
    record(label, text);
    if (g_rebuildOnWrite)
      rebuildGrid();
    if (g_addOnWrite)
      addExtraRow();
    return true;
  }
};

GridOwner* g_owner = nullptr;

// The families the editors' providers build their rows from.
void GridOwner::buildRows()
{
  using namespace meui;
  auto* savedAt = adoptRow(new MeTextRow<GridOwner>(labelOf(L"Image.Saved at"), this));
  savedAt->SetGetter(&GridOwner::getSavedAt);
  savedAt->SetAction(&GridOwner::browse);

  auto* fileName = adoptRow(new CTTextEditProperty<GridOwner, CXStringW>(labelOf(L"Image.File name"), this));
  fileName->SetGetter(&GridOwner::getFileName);
  fileName->SetSetter(&GridOwner::setFileName);

  auto* width = adoptRow(new MeRealRow<GridOwner>(labelOf(L"Scale.Width"), this));
  width->SetGetter(&GridOwner::getWidth);
  width->SetSetter(&GridOwner::setWidth);
  width->SetRange(0.0, 2147483647.0);

  auto* offset = adoptRow(new MeRealRow<GridOwner>(labelOf(L"Position.Offset"), this));
  offset->SetGetter(&GridOwner::getOffset);
  offset->SetSetter(&GridOwner::setOffset);
  offset->SetRange(0.0, 100.0);

  auto* lock = adoptRow(new MeYesNoRow<GridOwner>(labelOf(L"Position.Lock"), this));
  lock->SetGetter(&GridOwner::getLock);
  lock->SetSetter(&GridOwner::setLock);

  auto* rotation = adoptRow(new MeSliderRow<GridOwner>(labelOf(L"Position.Rotation"), this));
  rotation->SetGetter(&GridOwner::getRotation);
  rotation->SetSetter(&GridOwner::setRotation);
  rotation->SetFormat(&GridOwner::degrees);
  rotation->SetSliderRange(0, 360);

  auto* projection = adoptRow(new MeTextComboRow<GridOwner>(labelOf(L"Projection.Type"), this));
  projection->SetGetter(&GridOwner::getProjection);
  projection->SetSetter(&GridOwner::setProjection);
  projection->SetChoices(&GridOwner::projections);

  auto* diffuse = adoptRow(new MeUiColorPropertyEx<GridOwner>(labelOf(L"Generic.Diffuse"), this));
  diffuse->SetGetter(&GridOwner::getDiffuse);
  diffuse->SetSetter(&GridOwner::setDiffuse);

  auto* glossiness = adoptRow(new MeSliderRow<GridOwner>(labelOf(L"Generic.Glossiness"), this));
  glossiness->SetGetter(&GridOwner::getGlossiness);
  glossiness->SetSetter(&GridOwner::setGlossiness);
  glossiness->SetFormat(&GridOwner::percent);

  auto* stone = adoptRow(new MeRgbRow<GridOwner>(labelOf(L"Appearance.Stone colour"), this));
  stone->SetGetter(&GridOwner::getStone);
  stone->SetSetter(&GridOwner::setStone);
}

// The new rows are made while the grid still holds the old ones, as a
// palette swaps them, so the old rows' memory is not simply taken again by
// the new ones.
void rebuildGrid()
{
  if (!g_grid)
    return;
  g_owner->releaseRows();
  g_owner->buildRows();
  if (g_resetByMessage)
    g_grid.rebuild(g_owner->rows());
  else
  {
    g_grid.grid()->RemoveAll();
    g_grid.add(g_owner->rows());
  }
  record("rebuilds", CXStringW(L"grid"));
}

// One more row under the first group, above the rows of every other group,
// added while whatever editor is open stays open.
void addExtraRow()
{
  if (!g_grid)
    return;
  static int added = 0;
  auto* extra = new CTTextProperty<GridOwner, CXStringW>(CXStringW::format(L"Image.Extra %d", ++added), g_owner);
  extra->SetGetter(&GridOwner::getSavedAt);
  g_grid.grid()->AddProperty(extra);
  extra->Release();
}

void layout()
{
  RECT client{};
  GetClientRect(g_pane, &client);
  if (g_list)
    MoveWindow(g_list, 0, kHostPaneCaptionHeight, client.right,
               std::max<LONG>(client.bottom - kHostPaneCaptionHeight, 0), TRUE);
}

WNDPROC g_listProc = nullptr;

LRESULT CALLBACK listProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_MOUSEWHEEL)
    count("wheel notches", GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
  else if (message == WM_VSCROLL)
    count("scroll messages", 1);
  return CallWindowProcW(g_listProc, window, message, wParam, lParam);
}

LRESULT CALLBACK paneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  LRESULT result = 0;
  if (kt::GridHolder::reflect(window, message, wParam, lParam, result))
    return result;
  switch (message)
  {
  case WM_SIZE: layout(); return 0;
  case WM_PAINT:
  {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT caption{0, 0, 0, kHostPaneCaptionHeight};
    GetClientRect(window, &caption);
    caption.bottom = kHostPaneCaptionHeight;
    FillRect(dc, &caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
    SetBkMode(dc, TRANSPARENT);
    caption.left += 6;
    DrawTextW(dc, L"Grid test", -1, &caption, DT_SINGLELINE | DT_VCENTER);
    EndPaint(window, &paint);
    return 0;
  }
  default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

const wchar_t kPaneClass[] = L"GridTestPane";
constexpr int kListId = 1000;

void togglePane()
{
  HostDocManager* manager = docManager();
  auto add = lookUp<HostDockAddPaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_ADD);
  auto restore = lookUp<HostDockRestorePaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_RESTORE);
  auto show = lookUp<HostDockShowPaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_SHOW);
  if (!manager || !add || !restore || !show || !GetModuleHandleW(INSPCTL_LIBRARY))
    throw std::runtime_error("no host");
  if (!g_pane)
  {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = paneProc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPaneClass;
    RegisterClassW(&wc);
    g_pane = CreateWindowExW(0, kPaneClass, L"Grid test", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                             static_cast<HWND>(manager->mainWindow()), nullptr, g_instance, nullptr);
    g_list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", kInspectorListStyle, 0, 0, 10, 10, g_pane,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kListId)), g_instance, nullptr);
    SendMessageW(g_list, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    g_listProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(g_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&listProc)));
    g_grid.create(g_list);
    g_owner = new GridOwner;
    g_owner->buildRows();
    g_grid.add(g_owner->rows());
    add(g_pane, 0xF000);
    restore(g_pane, kHostDockLeft);
    layout();
  }
  show(g_pane, !IsWindowVisible(g_pane), true);
}

void closePane()
{
  // The grid's references, then the owner's: the rows and their owner hold each other.
  if (g_grid)
    g_grid.grid()->RemoveAll();
  if (g_owner)
    g_owner->releaseRows();
  g_grid.release();
  if (g_pane)
  {
    if (auto remove = lookUp<HostDockRemovePaneFn>(L"docbar.dll", HOST_EXPORT_DOCK_REMOVE))
      remove(g_pane);
    DestroyWindow(g_pane);
  }
  g_pane = g_list = nullptr;
  if (g_owner)
    g_owner->Release();
  g_owner = nullptr;
}

class GridCommand final : public CKtUnknownImpl<ICmdProcess>
{
public:
  explicit GridCommand(void (*action)()) : m_action(action) {}
  int run() override
  {
    m_action();
    return 0;
  }
  int beginHook() override { return 0; }
  int endHook() override { return 0; }
  int state() override { return kCmdAvailable | (g_pane && IsWindowVisible(g_pane) ? kCmdChecked : 0); }
  int getContext(IKtUnknown**) override { return 0; }
  int setContext(IKtUnknown*) override { return 1; }

private:
  void (*m_action)();
};

struct TestCommand
{
  const char* name;
  void (*action)();
};

const TestCommand kCommands[] = {
  {"TESTGRID", togglePane},
  {"TESTGRIDREBUILD", [] { g_rebuildOnWrite = !g_rebuildOnWrite; }},
  {"TESTGRIDRESET",
   [] {
     g_resetByMessage = true;
     rebuildGrid();
   }},
  {"TESTGRIDRENAME", [] { g_renameWritten = true; }},
  {"TESTGRIDREBUILDNOW", rebuildGrid},
  {"TESTGRIDADDONWRITE", [] { g_addOnWrite = !g_addOnWrite; }},
};

template <std::size_t I>
int createCommand(ICmdProcess** command)
{
  *command = new GridCommand(kCommands[I].action);
  return 1;
}

template <std::size_t... I>
void registerCommands(ICmdFactory& commands, std::index_sequence<I...>)
{
  (commands.registerCommand(kCommands[I].name, createCommand<I>, L"HOST", 0, nullptr, 0), ...);
}

class GridTestModule final : public OdRxWin32Module<OdRxModule>
{
public:
  using OdRxWin32Module::OdRxWin32Module;
  void addRef() const override {}
  void release() const override {}
  void deleteModule() override { delete this; }
  void initApp() override
  {
    auto factory = lookUp<NewICmdFactoryFn>(nullptr, HOST_EXPORT_NEW_CMD_FACTORY);
    if (ICmdFactory* commands = factory ? factory() : nullptr)
      registerCommands(*commands, std::make_index_sequence<std::size(kCommands)>());
  }
  // Windows and rows go while the module's code is still there.
  void uninitApp() override { closePane(); }
};
} // namespace

extern "C" {
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
  if (reason == DLL_PROCESS_ATTACH)
    g_instance = instance;
  return TRUE;
}

__declspec(dllexport) void odrxGetAPIVersion(int& major, int& minor, int& build, int& revision)
{
  major = 4;
  minor = 3;
  build = 1;
  revision = 0;
}

__declspec(dllexport) OdRxModule* odrxCreateModuleObject() { return new GridTestModule(g_instance); }
}
