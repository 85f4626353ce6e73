// The exports of events5.dll: the help service and the event service. This
// host has no help viewer: it records the topics asked for. Events are
// recorded; a property row's message (code 12) reaches the user as a
// message box through the host's message box seam.
#include "../core/HostRuntime.h"

using host::hostRuntime;

namespace
{
class HelpService final : public IHelpService
{
public:
  bool showTopic(const wchar_t* topic) override
  {
    if (!topic || !*topic)
      return false;
    hostRuntime().helpTopics.push_back(topic);
    return true;
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
