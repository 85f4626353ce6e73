// The exports of events5.dll: the help service and the event service. Every
// topic asked for is recorded; a user (not a script) also sees the topic's
// page in a help box. Events are recorded; a property row's message (code
// 12) reaches the user as a message box through the host's message box seam.
#include "../core/HostRuntime.h"

#include <windows.h>

using host::hostRuntime;

namespace
{
struct HelpPage
{
  const wchar_t* topic;
  const wchar_t* title;
  const wchar_t* text;
};

// The pages of the help this host has installed.
const HelpPage kPages[] = {
  {L"IDH_MaterialBrowser", L"Materials Browser",
   L"The Materials Browser shows every material of the current drawing.\n\n"
   L"New Generic Material adds a material; right-click an item to edit, apply, clone, remove or rename it. "
   L"Apply to selection gives the material to the selected objects (SELECT on the command line). "
   L"Change view style switches between icons and a list of names."},
  {L"IDH_MaterialEditor", L"Material editor",
   L"The Material editor shows the open material on a sample object above its properties."},
  {L"IDH_TextureEditor", L"Texture editor", L"The Texture editor shows the image or procedural texture of a map."},
};

class HelpService final : public IHelpService
{
public:
  bool showTopic(const wchar_t* topic) override
  {
    if (!topic || !*topic)
      return false;
    auto& runtime = hostRuntime();
    runtime.helpTopics.push_back(topic);
    if (runtime.scripted())
      return true;
    const HelpPage* page = nullptr;
    for (const HelpPage& p : kPages)
      if (OdString(p.topic) == topic)
        page = &p;
    const OdString text = page ? OdString(page->text)
                               : OdString::format(L"No help is installed for the topic \"%s\".", OdString(topic));
    const OdString caption = OdString(L"Help - ") + (page ? page->title : L"Material editor host");
    host::ModalScope modal;
    MessageBoxW(static_cast<HWND>(runtime.mainWindow()), text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    return page != nullptr;
  }
  // One service for the whole run; callers release what they were given.
  void release() override {}
};

class Events final : public IEvents
{
public:
  int showMessage(int code, const wchar_t* text, int param, int style) override
  {
    auto& runtime = hostRuntime();
    const OdString message(text ? text : L"");
    runtime.eventMessages.push_back(message);
    runtime.events.push_back({code, message, param, style});
    if (code != kHostEventRowMessage)
      return kHostAnswerOk;
    return host::showMessageBox(runtime.mainWindow(), message.c_str(), runtime.translations().translate(L"Material editor host"),
                                kHostIconExclamation, kHostButtonsOk);
  }
};
} // namespace

extern "C" {
__declspec(dllexport) IHelpService* Get_IHelpService()
{
  static HelpService service;
  return &service;
}

__declspec(dllexport) IEvents* Get_IEvents()
{
  static Events events;
  return &events;
}
}
