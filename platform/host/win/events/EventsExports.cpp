// The exports of events5.dll: the help service and the event service. This
// host has no help viewer: it records the topics asked for.
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
  void showMessage(const wchar_t* text) override { hostRuntime().eventMessages.push_back(text ? text : L""); }
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
