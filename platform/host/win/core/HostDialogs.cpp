// The host's modal dialogs: message boxes and the colour dialog.
//
// In a scripted run they still open as real windows, so that what a user
// would meet really happens (the box takes the activation and the focus
// from the window that asked); the answer queued by the script then closes
// them. A private message posted once the dialog is up does it: the box's
// own modal loop runs until then.
#include "HostRuntime.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

namespace host
{
namespace
{
// What a scripted run answers when no answer is queued: the harmless choice.
int defaultAnswer(int buttons)
{
  switch (buttons & 0x0F)
  {
  case MB_OK: return IDOK;
  case MB_YESNO: return IDNO;
  default: return IDCANCEL;
  }
}

// The button that closes the next message box of this thread, 0 for none,
// and whether the box held the focus when it was closed.
thread_local int t_closeWith = 0;
thread_local bool t_tookFocus = false;
thread_local HHOOK t_hook = nullptr;
thread_local DialogAnswer t_run; // an ANSWER RUN for the box, run once it is up
constexpr UINT_PTR kAnswerTimer = 0x4D45;

// Runs in the box's own loop once nothing else is queued: the box is up,
// active and focused, as a user would find it, and the answer presses its button.
void CALLBACK pressQueuedButton(HWND box, UINT, UINT_PTR id, DWORD)
{
  KillTimer(box, id);
  const HWND focus = GetFocus();
  t_tookFocus = focus && (focus == box || IsChild(box, focus));
  const int answer = t_closeWith;
  t_closeWith = 0;
  const DialogAnswer run = t_run;
  t_run = DialogAnswer();
  hostRuntime().runQueuedLine(run);
  // A close request of the line has ended the box already.
  if (!hostRuntime().closing() && IsWindow(box))
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

LRESULT CALLBACK closeBoxWhenActivated(int code, WPARAM wParam, LPARAM lParam)
{
  if (code == HCBT_ACTIVATE && t_closeWith)
  {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = L"";
    GetClassNameW(box, className, 16);
    if (std::wcscmp(className, L"#32770") == 0)
      SetTimer(box, kAnswerTimer, 0, pressQueuedButton);
  }
  return CallNextHookEx(t_hook, code, wParam, lParam);
}

int scriptedMessageBox(HWND owner, const OdString& text, const OdString& caption, UINT type, int answer,
                       bool& tookFocus)
{
  ModalScope modal;
  hostRuntime().takeRun(t_run);
  t_closeWith = answer;
  t_tookFocus = false;
  t_hook = SetWindowsHookExW(WH_CBT, closeBoxWhenActivated, nullptr, GetCurrentThreadId());
  const int shown = MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  if (t_hook)
    UnhookWindowsHookEx(t_hook);
  t_hook = nullptr;
  t_closeWith = 0;
  t_run = DialogAnswer();
  tookFocus = t_tookFocus;
  // A box that could not open still gives the script its answer.
  return shown ? shown : answer;
}

struct ColorDialogState
{
  bool scripted = false;
  DialogAnswer run;
  bool choose = false;
  COLORREF answer = 0;
  bool blocksHost = false; // the host's window was disabled behind the dialog
};

UINT answerMessage() { return RegisterWindowMessageW(L"MeHostDialogAnswer"); }

UINT_PTR CALLBACK colorDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
  if (message == WM_INITDIALOG)
  {
    auto* cc = reinterpret_cast<CHOOSECOLORW*>(lParam);
    SetPropW(dialog, L"MeHost.cc", cc);
    auto* state = reinterpret_cast<ColorDialogState*>(cc->lCustData);
    const auto host = static_cast<HWND>(hostRuntime().mainWindow());
    state->blocksHost = host && !IsWindowEnabled(host);
    if (state->scripted)
      PostMessageW(dialog, answerMessage(), 0, 0);
    return FALSE;
  }
  if (message == answerMessage())
  {
    auto* cc = static_cast<CHOOSECOLORW*>(GetPropW(dialog, L"MeHost.cc"));
    auto* state = cc ? reinterpret_cast<ColorDialogState*>(cc->lCustData) : nullptr;
    if (state)
      hostRuntime().runQueuedLine(std::exchange(state->run, DialogAnswer()));
    if (hostRuntime().closing())
    {
      // Ended by the close request as Cancel, here too: a close asked by
      // the line just run finds the dialog not yet shown, and its sweep of
      // the shown dialogs passes it by.
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return TRUE;
    }
    if (state && state->choose)
    {
      // As a user would: the colour becomes the dialog's current one, then OK.
      SendMessageW(dialog, RegisterWindowMessageW(SETRGBSTRINGW), 0, LPARAM(state->answer));
      cc->rgbResult = state->answer;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    else
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
  }
  if (message == WM_DESTROY)
    RemovePropW(dialog, L"MeHost.cc");
  return FALSE;
}

// 0x00RRGGBB of a queued answer to the screen colour 0x00BBGGRR.
COLORREF screenColor(OdUInt32 rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
} // namespace

int showMessageBox(void* owner, const wchar_t* text, const wchar_t* caption, int icon, int buttons)
{
  return askMessageBox(owner, text, caption, icon, buttons, defaultAnswer(buttons));
}

int askMessageBox(void* owner, const wchar_t* text, const wchar_t* caption, int icon, int buttons, int unanswered)
{
  auto& runtime = hostRuntime();
  MessageRecord record{OdString(text ? text : L""), OdString(caption ? caption : L""), icon, buttons, 0, false};
  const UINT type = UINT(icon) | UINT(buttons);
  DialogAnswer answer;
  if (runtime.closing())
    record.answer = unanswered; // the host is closing: no new box opens
  else if (runtime.takeAnswer(DialogKind::Message, answer))
  {
    record.queued = true;
    record.answer =
      scriptedMessageBox(static_cast<HWND>(owner), record.text, record.caption, type,
                         answer.kind == DialogAnswer::Kind::Cancel ? IDCANCEL : answer.button, record.tookFocus);
  }
  else if (runtime.scripted())
    record.answer =
      scriptedMessageBox(static_cast<HWND>(owner), record.text, record.caption, type, unanswered, record.tookFocus);
  else
  {
    ModalScope modal;
    record.answer = MessageBoxW(static_cast<HWND>(owner), record.text.c_str(), record.caption.c_str(), type);
  }
  runtime.messages.push_back(record);
  return record.answer;
}

bool showFileDialog(void* owner, const OdString& initialName, const OdString& filter, unsigned flags, bool save,
                    OdString& chosen)
{
  auto& runtime = hostRuntime();
  FileDialogRecord record{filter, initialName, OdString(), save};
  bool ok = false;
  DialogAnswer answer;
  // A scripted file dialog opens no window: it is up as soon as it is asked
  // for, and a line run under it runs inside its loop, as for a real one (a
  // close is then carried out once the caller, a module's code, has returned).
  if (DialogAnswer run; runtime.scripted() && runtime.takeRun(run))
  {
    ModalScope modal;
    runtime.runQueuedLine(run);
  }
  // While the host is closing no dialog opens.
  if (runtime.closing())
    ok = false;
  else if (runtime.takeAnswer(DialogKind::File, answer))
  {
    ok = answer.kind == DialogAnswer::Kind::File;
    record.answer = answer.path;
  }
  else if (!runtime.scripted())
  {
    // The dialog wants the filter's pairs separated by NULs, not bars.
    std::wstring filterText = filter.c_str();
    for (auto& ch : filterText)
      if (ch == L'|')
        ch = L'\0';
    filterText.push_back(L'\0');
    std::wstring buffer(32768, L'\0');
    initialName.str().copy(&buffer[0], std::min<std::size_t>(initialName.str().size(), buffer.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = static_cast<HWND>(owner);
    ofn.lpstrFilter = filterText.c_str();
    ofn.lpstrFile = &buffer[0];
    ofn.nMaxFile = DWORD(buffer.size());
    ofn.Flags = flags | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : 0);
    ModalScope modal;
    ok = (save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) != 0;
    if (ok)
      record.answer = OdString(buffer.c_str());
  }
  if (!ok)
    record.answer.empty();
  else
    chosen = record.answer;
  runtime.fileDialogs.push_back(record);
  return ok;
}

bool showColorDialog(void* owner, ODCOLORREF initial, ODCOLORREF& chosen)
{
  auto& runtime = hostRuntime();
  ColorDialogState state;
  DialogAnswer answer;
  if (runtime.closing())
    return false;
  if (runtime.scripted())
    runtime.takeRun(state.run);
  if (runtime.takeAnswer(DialogKind::Color, answer))
  {
    state.scripted = true;
    state.choose = answer.kind == DialogAnswer::Kind::Color;
    state.answer = screenColor(answer.color);
  }
  else if (runtime.scripted())
    state.scripted = true; // cancels

  COLORREF custom[16];
  for (std::size_t i = 0; i < 16; ++i)
    custom[i] = i < runtime.customColors().size() ? runtime.customColors()[i] : RGB(255, 255, 255);
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = static_cast<HWND>(owner);
  cc.rgbResult = initial & 0x00FFFFFF;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
  cc.lCustData = reinterpret_cast<LPARAM>(&state);
  cc.lpfnHook = colorDialogHook;
  bool ok = false;
  {
    ModalScope modal;
    ok = ChooseColorW(&cc) != 0;
  }
  // The user may have added custom colours in the dialog; they are the host's from now on.
  if (!state.scripted)
    for (int i = 15; i >= 0; --i)
      if (custom[i] != RGB(255, 255, 255))
        runtime.addCustomColor(custom[i]);
  ColorDialogRecord record{initial & 0x00FFFFFF, ok, ok ? cc.rgbResult & 0x00FFFFFF : 0, state.blocksHost};
  runtime.colorDialogs.push_back(record);
  if (ok)
    chosen = record.answer;
  return ok;
}
} // namespace host
