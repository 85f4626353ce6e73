// MainWindow: the host's frame. Dock columns (docbar) at the left and right,
// the current document's model shaded in the middle with the list of the
// open documents and their objects at its right, the command line and the
// status line at the bottom; the menu bar (MainMenu.h) at the top.
//
//   WM_CREATE            onCreate()        builds the children
//   WM_SIZE              layout()
//   WM_COMMAND           onMenuCommand     an item of the menu bar, or its key
//   WM_INITMENUPOPUP     onMenuOpening     a menu of the bar is about to drop down
//   WM_ENTERMENULOOP,    onMenuLoop        the menu bar's or the system menu's
//   WM_EXITMENULOOP                        modal loop begins / ends
//   WM_NCLBUTTONDBLCLK                     on a caption button: a press again
//   WM_CLOSE             onCloseRequest    the host decides how to end
//   WM_DESTROY           PostQuitMessage(exit code)
//   WM_TIMER             onWaitOver        a script's WAIT has elapsed
//                        onSettled         everything queued before has been handled
//   kStepMessage         onStep            run the next script line
//   dock layout changed  layout()
#pragma once

#include "ModelView.h"

#include "od/OdString.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

namespace host
{
class MainWindow final : public win::TWnd<MainWindow>
{
public:
  MainWindow() = default;
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Callbacks set by the owner before create().
  std::function<void(const OdString& line)> onCommandLine;
  std::function<void()> onCloseRequest;
  std::function<void(UINT command)> onMenuCommand;
  std::function<void()> onMenuOpening;
  std::function<void(bool entered)> onMenuLoop;
  std::function<void()> onStep;
  std::function<void()> onWaitOver;
  std::function<void()> onSettled;

  bool create(HINSTANCE instance, const OdString& title);

  // The list of documents and objects beside the shaded view.
  void setViewLines(const std::vector<OdString>& lines);
  std::vector<OdString> viewLines() const;
  ModelView& modelView() { return m_model; }
  void setStatus(const OdString& text);
  OdString status() const;
  // The title bar and the items that need a document: the current
  // document's title, or none.
  void showDocument(const std::optional<OdString>& title);
  // Ctrl+S and the other keys of the menu bar, for a key message to the
  // frame or a window in it (a docked pane), unless it goes to an edit box;
  // and F6 (Shift+F6), wherever the focus is in the frame. True when the key
  // was taken: it must not be dispatched then.
  bool translateAccelerator(MSG& message);
  void postStep();
  void startWait(UINT milliseconds);
  // onSettled runs once the queue holds nothing but timers: the system
  // delivers a timer only when no input, posted message or paint waits.
  void startSettle(UINT milliseconds = 0);
  // Ends the message loop with the exit code once the window is gone.
  void destroy(int exitCode);
  void layout();

private:
  // The command line's edit box, subclassed: Enter runs the line, Up and
  // Down walk the history, and the box wants every key.
  class CommandLine final : public win::TWnd<CommandLine>
  {
  public:
    explicit CommandLine(MainWindow& frame) : m_frame(frame) {}

  private:
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    MainWindow& m_frame;
  };

  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onCreate();
  // True when the key was the command line's own (Enter, Up, Down).
  bool onCommandLineKey(WPARAM key);
  // F6 (back: Shift+F6): the focus to the next shown pane, in the order of
  // the columns (left, then right, each top to bottom), then the model view.
  // A pane passes it on to its main control.
  void focusNextPane(bool back);

  HWND m_view = nullptr; // the list
  ModelView m_model;
  HWND m_prompt = nullptr;
  HWND m_commandLine = nullptr;
  CommandLine m_commandLineKeys{*this};
  HWND m_status = nullptr;
  win::Accelerators m_accelerators;
  std::vector<OdString> m_history;
  std::size_t m_historyPos = 0;
  int m_exitCode = 0;
};
} // namespace host
