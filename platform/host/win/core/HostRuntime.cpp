#include "HostRuntime.h"

#include "win32/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace host
{
namespace
{
bool sameName(const std::string& a, const std::string& b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

class PreviewNotifier final : public HostPreviewNotifier
{
public:
  void previewChanged(int what) override { hostRuntime().previewNotifications.push_back(what); }
};

// The host's light and dark variants; the system variant takes the
// system's window colours.
constexpr COLORREF kLightBackground = RGB(255, 255, 255);
constexpr COLORREF kLightText = RGB(0, 0, 0);
constexpr COLORREF kDarkBackground = RGB(45, 45, 48);
constexpr COLORREF kDarkText = RGB(232, 232, 232);

class ThemeService final : public HostThemeService
{
public:
  OdUInt32 windowBackgroundColor() const override
  {
    switch (hostRuntime().themeVariant())
    {
    case ThemeVariant::Light: return kLightBackground;
    case ThemeVariant::Dark: return kDarkBackground;
    default: return GetSysColor(COLOR_WINDOW);
    }
  }
  OdUInt32 textColor() const override
  {
    switch (hostRuntime().themeVariant())
    {
    case ThemeVariant::Light: return kLightText;
    case ThemeVariant::Dark: return kDarkText;
    default: return GetSysColor(COLOR_WINDOWTEXT);
    }
  }
  bool isDark() const override
  {
    const COLORREF c = windowBackgroundColor();
    return GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114 < 128000;
  }
  // The alternate icons are drawn light, for dark backgrounds.
  bool useAlternateIcons() const override { return isDark(); }
  // Palettes offer every message here first. The host paints their
  // background and the backgrounds of their plain controls in its colours;
  // everything else is theirs.
  bool hookMessage(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t, std::intptr_t* result) override
  {
    switch (message)
    {
    case WM_ERASEBKGND:
    {
      RECT client{};
      GetClientRect(static_cast<HWND>(window), &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, backgroundBrush());
      if (result)
        *result = 1;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, textColor());
      SetBkColor(dc, windowBackgroundColor());
      if (result)
        *result = reinterpret_cast<std::intptr_t>(backgroundBrush());
      return true;
    }
    default: return false;
    }
  }

private:
  HBRUSH backgroundBrush() { return m_brush.get(windowBackgroundColor()); }
  win::SolidBrush m_brush;
};
} // namespace

bool CommandRegistry::registerCommand(const char* name, CmdCreateFn factory, const wchar_t* group, int flags, void*,
                                      int)
{
  if (!name || !*name || !factory)
    return false;
  const std::string text(name);
  if (text.size() > 256 || std::any_of(text.begin(), text.end(), [](char c) { return unsigned(c) <= ' '; }))
    return false;
  if (find(text))
    return false;
  m_commands.push_back({text, factory, OdString(group ? group : L""), flags});
  return true;
}

const CommandRegistry::Command* CommandRegistry::find(const std::string& name) const
{
  for (const Command& command : m_commands)
    if (sameName(command.name, name))
      return &command;
  return nullptr;
}

CommandRegistry::RunResult CommandRegistry::run(const std::string& name)
{
  const Command* command = find(name);
  if (!command)
    return RunResult::Unknown;
  ICmdProcess* object = nullptr;
  try
  {
    if (command->factory(&object) != 1 || !object)
      return RunResult::NotCreated;
    object->run();
  }
  catch (...)
  {
    if (object)
      object->Release();
    return RunResult::Failed;
  }
  object->Release();
  return RunResult::Ran;
}

int CommandRegistry::state(const std::string& name)
{
  const Command* command = find(name);
  ICmdProcess* object = nullptr;
  if (!command)
    return -1;
  int state = -1;
  try
  {
    if (command->factory(&object) != 1 || !object)
      return -1;
    state = object->state();
  }
  catch (...)
  {
    state = -1;
  }
  if (object)
    object->Release();
  return state;
}

int CommandRegistry::removeInRange(const void* begin, const void* end)
{
  const auto inside = [&](const Command& c) {
    const auto* p = reinterpret_cast<const char*>(c.factory);
    return p >= static_cast<const char*>(begin) && p < static_cast<const char*>(end);
  };
  const auto old = m_commands.size();
  m_commands.erase(std::remove_if(m_commands.begin(), m_commands.end(), inside), m_commands.end());
  return int(old - m_commands.size());
}

bool DialogAnswer::fits(DialogKind dialog) const
{
  switch (kind)
  {
  case Kind::Cancel: return true;
  case Kind::Button: return dialog == DialogKind::Message;
  case Kind::File: return dialog == DialogKind::File;
  case Kind::Color: return dialog == DialogKind::Color;
  case Kind::Menu: return dialog == DialogKind::Menu;
  case Kind::Run: return false;
  }
  return false;
}

OdString DialogAnswer::describe() const
{
  switch (kind)
  {
  case Kind::Cancel: return L"CANCEL";
  case Kind::Button: return messageAnswerName(button);
  case Kind::File: return L"FILE " + path;
  case Kind::Color:
    return OdString::format(L"COLOR %d,%d,%d", int(color >> 16) & 0xFF, int(color >> 8) & 0xFF, int(color) & 0xFF);
  case Kind::Menu:
    return OdString::format(L"MENU %d", menuId) + (screenshot.isEmpty() ? OdString() : L" SCREENSHOT " + screenshot);
  case Kind::Run: return L"RUN " + line;
  }
  return OdString();
}

HostRuntime::HostRuntime()
{
  m_application.setInterface("IProfile", static_cast<IProfile*>(&m_profile));
  m_application.setInterface("IHostMathParser", static_cast<IHostMathParser*>(&m_mathParser));
}

namespace
{
BOOL CALLBACK tellThemeChanged(HWND window, LPARAM message)
{
  SendMessageW(window, UINT(message), 0, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return TRUE;
}

BOOL CALLBACK tellThemeChangedToAll(HWND window, LPARAM message)
{
  tellThemeChanged(window, message);
  EnumChildWindows(window, tellThemeChanged, message);
  return TRUE;
}
} // namespace

void HostRuntime::setThemeVariant(ThemeVariant variant)
{
  m_themeVariant = variant;
  EnumThreadWindows(GetCurrentThreadId(), tellThemeChangedToAll, LPARAM(RegisterWindowMessageW(HOST_MESSAGE_THEME_CHANGED)));
}

void HostRuntime::addCustomColor(ODCOLORREF color)
{
  m_customColors.erase(std::remove(m_customColors.begin(), m_customColors.end(), color), m_customColors.end());
  m_customColors.insert(m_customColors.begin(), color);
  if (m_customColors.size() > kMaxCustomColors)
    m_customColors.resize(kMaxCustomColors);
}

HostPreviewNotifier& HostRuntime::previewNotifier()
{
  static PreviewNotifier notifier;
  return notifier;
}

HostThemeService& HostRuntime::theme()
{
  static ThemeService service;
  return service;
}

bool HostRuntime::takeAnswer(DialogKind dialog, DialogAnswer& answer)
{
  const auto it = std::find_if(m_answers.begin(), m_answers.end(), [dialog](const DialogAnswer& a) { return a.fits(dialog); });
  if (it == m_answers.end())
    return false;
  answer = *it;
  m_answers.erase(it);
  return true;
}

bool HostRuntime::takeRun(DialogAnswer& run)
{
  const auto it = std::find_if(m_answers.begin(), m_answers.end(),
                               [](const DialogAnswer& a) { return a.kind == DialogAnswer::Kind::Run; });
  if (it == m_answers.end())
    return false;
  run = *it;
  m_answers.erase(it);
  return true;
}

namespace
{
// The button of a dialog that changes nothing: Cancel, else No, else OK.
BOOL CALLBACK endDialog(HWND window, LPARAM)
{
  wchar_t className[16] = L"";
  GetClassNameW(window, className, 16);
  if (std::wstring(className) != L"#32770" || !IsWindowVisible(window))
    return TRUE;
  for (int button : {IDCANCEL, IDNO, IDOK})
    if (HWND control = GetDlgItem(window, button); control && IsWindowEnabled(control))
    {
      PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(control));
      break;
    }
  return TRUE;
}
} // namespace

void HostRuntime::requestClose()
{
  m_closing = true;
  if (!inModalLoop())
    return;
  EndMenu();
  EnumThreadWindows(GetCurrentThreadId(), endDialog, 0);
}

HostRuntime& hostRuntime()
{
  static HostRuntime runtime;
  return runtime;
}

const wchar_t* messageIconName(int icon)
{
  switch (icon & 0xF0)
  {
  case kHostIconStop: return L"stop";
  case kHostIconQuestion: return L"question";
  case kHostIconExclamation: return L"exclamation";
  case kHostIconInformation: return L"information";
  default: return L"none";
  }
}

const wchar_t* messageAnswerName(int answer)
{
  switch (answer)
  {
  case IDOK: return L"OK";
  case IDCANCEL: return L"CANCEL";
  case IDYES: return L"YES";
  case IDNO: return L"NO";
  default: return L"NONE";
  }
}
} // namespace host
