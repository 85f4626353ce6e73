#include "MainWindow.h"

#include "MainMenu.h"

#include "../docbar/DockLayout.h"
#include "host/HostDocking.h"

#include <commctrl.h>

#include <algorithm>

namespace host
{
namespace
{
const wchar_t kClassName[] = L"MeHostMainWindow";
constexpr UINT kStepMessage = WM_APP + 1;
constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT_PTR kSettleTimer = 2;
constexpr int kViewId = 100, kCommandLineId = 101, kStatusId = 102, kModelId = 103;
// The list beside the model: this wide, or a third of the area when narrower.
constexpr int kListWidth = 300;
constexpr int kCommandLineHeight = 24, kPromptWidth = 72;
// The default size gives each of the three palettes of the default layout
// (the browser left, the two editors right) room for its rows beside a
// model view. It stays clear of the other application's window at the
// screen's bottom right corner (OtherApplication.cpp) on the 1280 x 800
// screen of the test runs.
constexpr int kDefaultLeft = 40, kDefaultTop = 40, kDefaultWidth = 1120, kDefaultHeight = 740;

HFONT uiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HWND makeChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle, int id)
{
  HWND child = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (child)
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
  return child;
}
} // namespace

MainWindow::~MainWindow()
{
  if (hwnd())
    DestroyWindow(hwnd());
}

bool MainWindow::create(HINSTANCE instance, const OdString& title)
{
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = classProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  win::Menu menu = createMainMenu();
  m_accelerators = createMainAccelerators();
  if (!menu || !m_accelerators)
    return false;
  // WS_CLIPCHILDREN: the frame must not paint over the docked panes.
  HWND window = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kDefaultLeft,
                                kDefaultTop, kDefaultWidth, kDefaultHeight, nullptr, menu.get(), instance, this);
  if (!window)
    return false;
  menu.detach(); // destroyed with the window
  return true;
}

LRESULT MainWindow::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_CREATE: onCreate(); return 0;
  case WM_SIZE:
    if (m_status)
      SendMessageW(m_status, WM_SIZE, 0, 0); // the status bar places itself
    layout();
    return 0;
  case WM_SETFOCUS:
    if (m_commandLine)
      SetFocus(m_commandLine);
    return 0;
  case WM_COMMAND:
    // From the menu bar (0) or its keys (1); children notify with their window.
    if (lParam == 0 && HIWORD(wParam) <= 1 && onMenuCommand)
    {
      onMenuCommand(LOWORD(wParam));
      return 0;
    }
    break;
  case WM_NCLBUTTONDBLCLK:
    // The caption's buttons know no double click: a second click soon after
    // the first (a close that a question cancelled, then a close again) is
    // a press of its own, where the default procedure would drop it.
    if (wParam == HTCLOSE || wParam == HTMINBUTTON || wParam == HTMAXBUTTON)
      return previousProc(WM_NCLBUTTONDOWN, wParam, lParam);
    break;
  case WM_ENTERMENULOOP:
  case WM_EXITMENULOOP:
    if (onMenuLoop)
      onMenuLoop(message == WM_ENTERMENULOOP);
    return 0;
  case WM_INITMENUPOPUP:
    // The items say what they would do now (Undo names its step).
    if (onMenuOpening)
      onMenuOpening();
    return 0;
  case WM_CLOSE:
    if (onCloseRequest)
      onCloseRequest();
    else
      destroy(0);
    return 0;
  case WM_TIMER:
    if (wParam == kWaitTimer)
    {
      KillTimer(hwnd(), kWaitTimer);
      if (onWaitOver)
        onWaitOver();
      return 0;
    }
    if (wParam == kSettleTimer)
    {
      KillTimer(hwnd(), kSettleTimer);
      if (onSettled)
        onSettled();
      return 0;
    }
    break;
  case WM_DESTROY:
    KillTimer(hwnd(), kWaitTimer);
    KillTimer(hwnd(), kSettleTimer);
    PostQuitMessage(m_exitCode);
    return 0;
  case kStepMessage:
    if (onStep)
      onStep();
    return 0;
  default:
    if (message == dockLayoutChangedMessage())
    {
      layout();
      return 0;
    }
    break;
  }
  return previousProc(message, wParam, lParam);
}

void MainWindow::onCreate()
{
  m_view = makeChild(hwnd(), L"LISTBOX", L"", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, WS_EX_CLIENTEDGE, kViewId);
  m_model.create(hwnd(), kModelId);
  m_prompt = makeChild(hwnd(), L"STATIC", L"Command:", SS_CENTERIMAGE | SS_RIGHT, 0, 0);
  m_commandLine = makeChild(hwnd(), L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kCommandLineId);
  m_status = makeChild(hwnd(), STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, kStatusId);
  m_commandLineKeys.subclass(m_commandLine);
}

void MainWindow::layout()
{
  if (!hwnd() || !m_view)
    return;
  RECT client;
  GetClientRect(hwnd(), &client);
  RECT statusRect{};
  GetWindowRect(m_status, &statusRect);
  const int statusHeight = statusRect.bottom - statusRect.top;
  const int commandTop = client.bottom - statusHeight - kCommandLineHeight;
  MoveWindow(m_prompt, 0, commandTop, kPromptWidth - 4, kCommandLineHeight, TRUE);
  MoveWindow(m_commandLine, kPromptWidth, commandTop + 1, client.right - kPromptWidth - 2, kCommandLineHeight - 2,
             TRUE);
  DockRect area{0, 0, int(client.right), commandTop};
  dockArrange(area);
  const int listWidth = std::min(kListWidth, (area.right - area.left) / 3);
  MoveWindow(m_model.hwnd(), area.left, area.top, area.right - area.left - listWidth, area.bottom - area.top, TRUE);
  MoveWindow(m_view, area.right - listWidth, area.top, listWidth, area.bottom - area.top, TRUE);
}

void MainWindow::setViewLines(const std::vector<OdString>& lines)
{
  if (!m_view)
    return;
  SendMessageW(m_view, WM_SETREDRAW, FALSE, 0);
  SendMessageW(m_view, LB_RESETCONTENT, 0, 0);
  for (const OdString& line : lines)
    SendMessageW(m_view, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(m_view, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_view, nullptr, TRUE);
}

std::vector<OdString> MainWindow::viewLines() const
{
  std::vector<OdString> lines;
  const LRESULT count = m_view ? SendMessageW(m_view, LB_GETCOUNT, 0, 0) : 0;
  for (LRESULT i = 0; i < count; ++i)
  {
    const LRESULT length = SendMessageW(m_view, LB_GETTEXTLEN, WPARAM(i), 0);
    if (length < 0)
      continue;
    std::wstring text(std::size_t(length) + 1, L'\0');
    const LRESULT got = SendMessageW(m_view, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(&text[0]));
    lines.emplace_back(text.c_str(), std::size_t(got < 0 ? 0 : got));
  }
  return lines;
}

void MainWindow::setStatus(const OdString& text)
{
  if (m_status)
    SendMessageW(m_status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

OdString MainWindow::status() const
{
  if (!m_status)
    return OdString();
  const int length = LOWORD(SendMessageW(m_status, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(std::size_t(length) + 1, L'\0');
  SendMessageW(m_status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(&text[0]));
  return OdString(text.c_str());
}

void MainWindow::showDocument(const std::optional<OdString>& title)
{
  if (!hwnd())
    return;
  const bool open = title.has_value();
  const OdString caption = open ? *title + L" - Material editor host" : OdString(L"Material editor host");
  // Every script line refreshes; the caption is drawn again only when it changes.
  wchar_t shown[512] = L"";
  GetWindowTextW(hwnd(), shown, int(std::size(shown)));
  if (caption != OdString(shown))
    SetWindowTextW(hwnd(), caption.c_str());
  // What needs a document is greyed without one; Undo and Redo are the
  // command's to refuse, the frame cannot know.
  if (HMENU bar = GetMenu(hwnd()))
  {
    for (MenuCommand command : {MenuCommand::Save, MenuCommand::SaveAs, MenuCommand::Close})
      EnableMenuItem(bar, UINT(command), MF_BYCOMMAND | (open ? MF_ENABLED : MF_GRAYED));
  }
}

bool MainWindow::translateAccelerator(MSG& message)
{
  if (!hwnd() || !m_accelerators || (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN))
    return false;
  if (!message.hwnd || GetAncestor(message.hwnd, GA_ROOT) != hwnd())
    return false;
  // An edit box has no use for F6 either: the panes are the frame's.
  if (message.message == WM_KEYDOWN && message.wParam == VK_F6 && GetKeyState(VK_CONTROL) >= 0)
  {
    focusNextPane(GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (takesTyping(message.hwnd))
    return false;
  return TranslateAcceleratorW(hwnd(), m_accelerators.get(), &message) != 0;
}

void MainWindow::focusNextPane(bool back)
{
  struct Stop
  {
    HWND window;
    bool right;
    LONG top;
  };
  std::vector<Stop> stops;
  for (const DockPaneInfo& pane : dockPanes())
  {
    HWND window = static_cast<HWND>(pane.window);
    RECT place{};
    if (pane.shown && IsWindowVisible(window) && GetWindowRect(window, &place))
      stops.push_back({window, pane.bar == kHostDockRight, place.top});
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const Stop& a, const Stop& b) { return a.right != b.right ? b.right : a.top < b.top; });
  if (m_model.hwnd() && IsWindowVisible(m_model.hwnd()))
    stops.push_back({m_model.hwnd(), false, 0});
  if (stops.empty())
    return;
  // From the stop that holds the focus; from none (the command line), the
  // first or the last.
  const HWND focus = GetFocus();
  const int count = int(stops.size());
  int at = -1;
  for (int i = 0; i < count && at < 0; ++i)
    if (focus && (focus == stops[std::size_t(i)].window || IsChild(stops[std::size_t(i)].window, focus)))
      at = i;
  const int next = at < 0 ? (back ? count - 1 : 0) : (at + (back ? count - 1 : 1)) % count;
  SetFocus(stops[std::size_t(next)].window);
}

void MainWindow::postStep() { PostMessageW(hwnd(), kStepMessage, 0, 0); }

void MainWindow::startWait(UINT milliseconds) { SetTimer(hwnd(), kWaitTimer, milliseconds, nullptr); }

void MainWindow::startSettle(UINT milliseconds) { SetTimer(hwnd(), kSettleTimer, milliseconds, nullptr); }

void MainWindow::destroy(int exitCode)
{
  m_exitCode = exitCode;
  if (hwnd())
    DestroyWindow(hwnd());
}

LRESULT MainWindow::CommandLine::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_KEYDOWN:
    if (m_frame.onCommandLineKey(wParam))
      return 0;
    break;
  case WM_CHAR:
    if (wParam == L'\r' || wParam == L'\n')
      return 0; // handled on key down; the edit would beep
    break;
  case WM_GETDLGCODE: return DLGC_WANTALLKEYS | previousProc(message, wParam, lParam);
  }
  return previousProc(message, wParam, lParam);
}

bool MainWindow::onCommandLineKey(WPARAM key)
{
  if (key == VK_RETURN)
  {
    const int length = GetWindowTextLengthW(m_commandLine);
    std::wstring text(std::size_t(length) + 1, L'\0');
    GetWindowTextW(m_commandLine, &text[0], length + 1);
    text.resize(std::size_t(length));
    SetWindowTextW(m_commandLine, L"");
    if (!text.empty())
    {
      m_history.push_back(OdString(text));
      m_historyPos = m_history.size();
      if (onCommandLine)
        onCommandLine(OdString(text));
    }
    return true;
  }
  if ((key == VK_UP || key == VK_DOWN) && !m_history.empty())
  {
    if (key == VK_UP && m_historyPos > 0)
      --m_historyPos;
    else if (key == VK_DOWN && m_historyPos < m_history.size())
      ++m_historyPos;
    const OdString text = m_historyPos < m_history.size() ? m_history[m_historyPos] : OdString();
    SetWindowTextW(m_commandLine, text.c_str());
    SendMessageW(m_commandLine, EM_SETSEL, WPARAM(text.getLength()), LPARAM(text.getLength()));
    return true;
  }
  return false;
}
} // namespace host
