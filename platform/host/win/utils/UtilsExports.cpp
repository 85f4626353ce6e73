// The exports of hostutils.dll: the current UCS and the seams for modal
// dialogs. Every message box and open-file dialog is recorded; a queued
// script answer takes the place of the user; in a scripted run with no
// answer queued the default answers, so nothing waits for a user.
#include "../core/HostRuntime.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

using host::DialogAnswer;
using host::DialogKind;
using host::hostRuntime;

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

int buttonOf(const DialogAnswer& answer) { return answer.kind == DialogAnswer::Kind::Cancel ? IDCANCEL : answer.button; }
} // namespace

extern "C" {
// The host keeps no user coordinate system of its own: the world is current.
__declspec(dllexport) bool getCurrentUCS(OdDbDatabase* database, OdGeMatrix3d& ucs)
{
  if (!database)
    return false;
  ucs = OdGeMatrix3d();
  return true;
}

__declspec(dllexport) int hostMessageBox(void* owner, const wchar_t* text, const wchar_t* caption, int icon,
                                         int buttons)
{
  auto& runtime = hostRuntime();
  host::MessageRecord record{OdString(text ? text : L""), OdString(caption ? caption : L""), icon, buttons, 0, false};
  DialogAnswer answer;
  if (runtime.takeAnswer(DialogKind::Message, answer))
  {
    record.answer = buttonOf(answer);
    record.queued = true;
  }
  else if (runtime.scripted())
    record.answer = defaultAnswer(buttons);
  else
  {
    host::ModalScope modal;
    record.answer = MessageBoxW(static_cast<HWND>(owner), record.text.c_str(), record.caption.c_str(),
                                UINT(icon) | UINT(buttons));
  }
  runtime.messages.push_back(record);
  return record.answer;
}

__declspec(dllexport) bool hostSelectFileToOpen(void* owner, const wchar_t* initialName, const wchar_t* filter,
                                                unsigned flags, wchar_t* path, unsigned pathSize)
{
  auto& runtime = hostRuntime();
  host::FileDialogRecord record{OdString(filter ? filter : L""), OdString(initialName ? initialName : L""), OdString()};
  bool chosen = false;
  DialogAnswer answer;
  if (runtime.takeAnswer(DialogKind::File, answer))
  {
    chosen = answer.kind == DialogAnswer::Kind::File;
    record.answer = answer.path;
  }
  else if (!runtime.scripted())
  {
    // The dialog wants the filter's pairs separated by NULs, not bars.
    std::wstring filterText = record.filter.c_str();
    for (auto& ch : filterText)
      if (ch == L'|')
        ch = L'\0';
    filterText.push_back(L'\0');
    std::wstring buffer(32768, L'\0');
    record.initialName.str().copy(&buffer[0], std::min<std::size_t>(record.initialName.str().size(), buffer.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = static_cast<HWND>(owner);
    ofn.lpstrFilter = filterText.c_str();
    ofn.lpstrFile = &buffer[0];
    ofn.nMaxFile = DWORD(buffer.size());
    ofn.Flags = flags | OFN_EXPLORER;
    host::ModalScope modal;
    chosen = GetOpenFileNameW(&ofn) != 0;
    if (chosen)
      record.answer = OdString(buffer.c_str());
  }
  // A path that does not fit the caller's buffer is no answer at all.
  if (chosen && (!path || record.answer.getLength() + 1 > int(pathSize)))
    chosen = false;
  if (chosen)
  {
    const std::size_t length = record.answer.str().copy(path, record.answer.str().size());
    path[length] = L'\0';
  }
  else
    record.answer.empty();
  runtime.fileDialogs.push_back(record);
  return chosen;
}
}
