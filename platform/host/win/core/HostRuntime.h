// The state of the running host, shared by host.exe and its libraries: one
// instance, living in kticore.dll, reached through hostRuntime().
//
//   CommandRegistry    commands registered by modules (ICmdFactory)
//   DialogAnswer       an answer queued by a script for the next dialog
//   HostRuntime        documents, profile, translation, application object,
//                      the host objects handed out by index, what modules
//                      asked of the host (for DUMP), queued dialog answers
#pragma once

#include "host/AppServices.h"
#include "host/Application.h"
#include "host/DocumentManager.h"
#include "host/HostApi.h"
#include "host/HostCommands.h"
#include "host/MathParser.h"
#include "host/ProfileStore.h"
#include "host/Translations.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace host
{
class CommandRegistry final : public ICmdFactory
{
public:
  struct Command
  {
    std::string name;
    CmdCreateFn factory;
    OdString group;
    int flags;
  };
  enum class RunResult
  {
    Ran,
    Unknown,
    NotCreated, // the factory made no command object
    Failed,     // the command threw
  };

  // Names are 8-bit text without blanks, unique without regard to case.
  bool registerCommand(const char* name, CmdCreateFn factory, const wchar_t* group, int flags, void* extra,
                       int reserved) override;
  // In registration order.
  const std::vector<Command>& commands() const { return m_commands; }
  const Command* find(const std::string& name) const;
  // Makes a command object, runs it and releases it.
  RunResult run(const std::string& name);
  // The state a fresh command object reports; -1 when none could be made.
  int state(const std::string& name);
  // Forgets the commands whose factories lie in [begin, end): the code of an
  // unloaded module.
  int removeInRange(const void* begin, const void* end);

private:
  std::vector<Command> m_commands;
};

enum class DialogKind
{
  Message, // a message box
  File,
  Color,
  Menu,
};

struct DialogAnswer
{
  enum class Kind
  {
    Button, // a message box button (HostMessageAnswer)
    File,
    Color,
    Menu,
    Cancel, // cancels any dialog; for a message box it is the Cancel button
    Run,    // no answer: a script line run once the next dialog or menu is up
  };
  Kind kind = Kind::Cancel;
  int button = 0;
  OdString path;
  OdUInt32 color = 0; // 0x00RRGGBB
  int menuId = 0;
  OdString screenshot; // a picture of the whole display, taken while the dialog or menu is open
  OdString line;       // Run: the script line
  int lineNumber = 0;  // Run: where the ANSWER stood in its script

  bool fits(DialogKind dialog) const;
  OdString describe() const;
};

struct MessageRecord
{
  OdString text;
  OdString caption;
  int icon;
  int buttons;
  int answer;
  bool queued; // the answer came from the queue, not from the user or the default
  bool tookFocus = false; // a scripted box held the focus when its answer closed it
};

// A pop-up menu as it was shown, and what closed it.
struct MenuRecord
{
  struct Item
  {
    bool separator = false;
    unsigned id = 0;
    OdString text;
    bool enabled = true;
    bool checked = false;
  };
  std::vector<Item> items;
  int answer = 0; // the command chosen; 0 when the menu was cancelled
  OdString problem; // why a queued answer could not be given
};

// A command timed by TIME: from the command to its last paint.
struct TimingRecord
{
  OdString command;
  double milliseconds = 0;    // as the clock on the wall
  double cpuMilliseconds = 0; // that the host's thread ran
  double privateBytes = 0;    // the process's private memory once the command ended
};

struct FileDialogRecord
{
  OdString filter;
  OdString initialName;
  OdString answer; // empty when cancelled
  bool save = false;
};

struct ColorDialogRecord
{
  ODCOLORREF initial;
  bool chosen;
  ODCOLORREF answer; // when chosen
  bool blocksHost;   // the host's main window was disabled while it was open
};

struct EventRecord
{
  int code;
  OdString text;
  int param;
  int style;
};

// The theme the host draws its palettes in: the system's colours, or one of
// its own light and dark variants (a script switches with THEME).
enum class ThemeVariant
{
  System,
  Light,
  Dark,
};

// A module's setRenderMode call.
struct RenderModeRecord
{
  OdString document; // the title of the document whose drawing it was; empty for another drawing or none
  int mode;
  bool applied;      // false without a drawing
};

class HostRuntime
{
public:
  HostRuntime();
  HostRuntime(const HostRuntime&) = delete;
  HostRuntime& operator=(const HostRuntime&) = delete;

  DocumentManager& documents() { return m_documents; }
  AppServices& appServices() { return m_appServices; }
  Application& application() { return m_application; }
  ProfileStore& profile() { return m_profile; }
  Translations& translations() { return m_translations; }
  CommandRegistry& commands() { return m_commands; }
  HostPreviewNotifier& previewNotifier();
  HostThemeService& theme();
  ThemeVariant themeVariant() const { return m_themeVariant; }
  // Tells every window of the host's thread that the theme changed (the
  // registered message "KTM_THEMECHAGED"), so they redraw in it.
  void setThemeVariant(ThemeVariant variant);

  // The colour dialog's custom colours (0x00BBGGRR), newest first, at most 16.
  static constexpr std::size_t kMaxCustomColors = 16;
  const std::vector<ODCOLORREF>& customColors() const { return m_customColors; }
  void addCustomColor(ODCOLORREF color);

  // The file the profile is kept in.
  const OdString& profilePath() const { return m_profilePath; }
  void setProfilePath(const OdString& path) { m_profilePath = path; }
  // What reading it found, and the problem the user was told of (empty
  // when there is none).
  const ProfileStore::LoadResult& profileLoad() const { return m_profileLoad; }
  const OdString& profileProblem() const { return m_profileProblem; }
  void setProfileLoad(const ProfileStore::LoadResult& result, const OdString& problem)
  {
    m_profileLoad = result;
    m_profileProblem = problem;
  }

  // In a scripted run no dialog waits for the user: queued answers or the
  // defaults answer them.
  bool scripted() const { return m_scripted; }
  void setScripted(bool scripted) { m_scripted = scripted; }

  void* mainWindow() const { return m_documents.mainWindow(); }

  // Dialog answers queued by scripts, first in first out. A dialog takes
  // the first one that fits its kind; the others stay queued in order.
  void queueAnswer(const DialogAnswer& answer) { m_answers.push_back(answer); }
  bool takeAnswer(DialogKind dialog, DialogAnswer& answer);
  const std::deque<DialogAnswer>& pendingAnswers() const { return m_answers; }
  // The first queued ANSWER RUN, taken by a dialog or menu as it opens;
  // false when none is queued.
  bool takeRun(DialogAnswer& run);
  // Runs a taken ANSWER RUN's line now, once its dialog is up (host.exe
  // installs it).
  std::function<void(const DialogAnswer& run)> runScriptLine;
  void runQueuedLine(const DialogAnswer& run)
  {
    if (run.kind == DialogAnswer::Kind::Run && runScriptLine)
      runScriptLine(run);
  }

  // A request to close the host or a document that came while a modal loop
  // runs (inModalLoop): the open menus and dialogs are ended (as the
  // harmless choice: Escape, Cancel, else No, else OK) and no new one opens
  // until the request is carried out, once every call into a module has
  // returned.
  void requestClose();
  bool closing() const { return m_closing; }
  void closeDone() { m_closing = false; }

  // Modal loops that the host's seams are running (a message box, a file or
  // colour dialog, a pop-up menu). A script goes on only when none is: input
  // meant for the palette must not land in a dialog.
  int modalDepth() const { return m_modalDepth; }
  // Saves a PNG of the whole display (host.exe installs it): the seams take
  // the pictures that ANSWER ... SCREENSHOT asks for while their dialog or
  // menu is open.
  std::function<bool(const OdString& path, OdString& error)> captureScreen;
  // A module set a document's selection (host.exe installs it: the view
  // and the drawing's description show it).
  std::function<void()> selectionChanged;
  void enterModal() { ++m_modalDepth; }
  void leaveModal() { --m_modalDepth; }

  // The system's modal loops that the host's frame runs: the menu bar's
  // mode, which F10 or Alt starts from whatever window has the focus (a
  // palette's: its window procedure is then on the stack beneath), and the
  // frame's system menu. A script goes on under them (its keys work the
  // menu), but a close waits for them as for a seam's loop.
  void enterSystemLoop() { ++m_systemLoops; }
  void leaveSystemLoop()
  {
    if (m_systemLoops > 0)
      --m_systemLoops;
  }
  // A loop of a seam or of the system runs: code of a module may be on the
  // stack, so nothing may close or unload under it.
  bool inModalLoop() const { return m_modalDepth > 0 || m_systemLoops > 0; }

  // What modules asked of the host, in order.
  std::vector<MessageRecord> messages;
  std::vector<FileDialogRecord> fileDialogs;
  std::vector<MenuRecord> menus;
  std::vector<TimingRecord> timings;
  std::vector<OdString> helpTopics;
  std::vector<OdString> eventMessages;
  std::vector<EventRecord> events;
  std::vector<ColorDialogRecord> colorDialogs;
  std::vector<int> previewNotifications;
  std::vector<RenderModeRecord> renderModes;
  std::vector<OdString> resourceTranslations; // file names of the modules that asked
  int vectorizerQueries = 0;                  // getCurrentVectorizerModuleName calls

private:
  DocumentManager m_documents;
  AppServices m_appServices;
  Application m_application;
  ProfileStore m_profile;
  Translations m_translations;
  CommandRegistry m_commands;
  OdString m_profilePath;
  ProfileStore::LoadResult m_profileLoad;
  OdString m_profileProblem;
  bool m_scripted = false;
  std::deque<DialogAnswer> m_answers;
  int m_modalDepth = 0;
  int m_systemLoops = 0;
  bool m_closing = false;
  MathParser m_mathParser;
  ThemeVariant m_themeVariant = ThemeVariant::System;
  std::vector<ODCOLORREF> m_customColors;
};

// The host's modal dialogs. Interactively the real ones; in a scripted run
// the real window still opens, takes the focus and is recorded, and the
// first queued answer that fits closes it (else the default: OK for an OK
// box, No for a question, Cancel for the rest).
int showMessageBox(void* owner, const wchar_t* text, const wchar_t* caption, int icon, int buttons);
// As showMessageBox, but a scripted run with no answer queued (or a closing
// host) takes `unanswered` instead of the usual default.
int askMessageBox(void* owner, const wchar_t* text, const wchar_t* caption, int icon, int buttons, int unanswered);
// The system open-file dialog, or with `save` the save-as dialog (which asks
// before replacing a file); `filter` is "Name|*.ext|...". A scripted run takes
// the first queued ANSWER FILE or CANCEL, else cancels. Recorded for DUMP.
bool showFileDialog(void* owner, const OdString& initialName, const OdString& filter, unsigned flags, bool save,
                    OdString& chosen);
// The system colour dialog over the host's custom colours; true and the
// chosen colour (0x00BBGGRR) on OK.
bool showColorDialog(void* owner, ODCOLORREF initial, ODCOLORREF& chosen);

HostRuntime& hostRuntime();

// Counts a modal loop of a seam for its scope.
class ModalScope
{
public:
  ModalScope() { hostRuntime().enterModal(); }
  ~ModalScope() { hostRuntime().leaveModal(); }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

// The names DUMP uses for message box icons and buttons.
const wchar_t* messageIconName(int icon);
const wchar_t* messageAnswerName(int answer);
} // namespace host
