#include "GridDump.h"

#include "OtherApplication.h"

namespace host
{
namespace
{
// "#rrggbb" of a screen colour (0x00BBGGRR).
OdString colorText(ODCOLORREF color)
{
  return OdString::format(L"#%02x%02x%02x", int(ODGETRED(color)), int(ODGETGREEN(color)), int(ODGETBLUE(color)));
}

const wchar_t* themeName(ThemeVariant variant)
{
  switch (variant)
  {
  case ThemeVariant::Light: return L"light";
  case ThemeVariant::Dark: return L"dark";
  default: return L"system";
  }
}
} // namespace

void addGridCommands(ScriptInterpreter& interpreter, HostRuntime& runtime, Gestures& gestures)
{
  addGridPlaces(interpreter, gestures);
  interpreter.add(L"THEME", [&runtime](ScriptArgs& args) {
    ThemeVariant variant;
    if (args.nextIs(L"LIGHT"))
      variant = ThemeVariant::Light;
    else if (args.nextIs(L"DARK"))
      variant = ThemeVariant::Dark;
    else if (args.nextIs(L"SYSTEM"))
      variant = ThemeVariant::System;
    else
      throw ScriptError(L"THEME takes LIGHT, DARK or SYSTEM");
    args.expectEnd();
    runtime.setThemeVariant(variant);
  });
}

void dumpGridServices(JsonWriter& json, HostRuntime& runtime)
{
  json.key(L"otherApplication");
  if (otherApplicationMade())
    json.beginObject().key(L"active").value(otherApplicationActive()).endObject();
  else
    json.null();

  HostThemeService& theme = runtime.theme();
  json.key(L"theme").beginObject();
  json.key(L"variant").value(themeName(runtime.themeVariant()));
  json.key(L"dark").value(theme.isDark());
  json.key(L"background").value(colorText(theme.windowBackgroundColor()));
  json.key(L"text").value(colorText(theme.textColor()));
  json.endObject();

  json.key(L"colorDialogs").beginArray();
  for (const ColorDialogRecord& dialog : runtime.colorDialogs)
  {
    json.beginObject();
    json.key(L"initial").value(colorText(dialog.initial));
    json.key(L"answer");
    if (dialog.chosen)
      json.value(colorText(dialog.answer));
    else
      json.null();
    json.key(L"blocksHost").value(dialog.blocksHost);
    json.endObject();
  }
  json.endArray();

  json.key(L"customColors").beginArray();
  for (ODCOLORREF color : runtime.customColors())
    json.value(colorText(color));
  json.endArray();

  json.key(L"events").beginArray();
  for (const EventRecord& event : runtime.events)
  {
    json.beginObject();
    json.key(L"code").value(event.code);
    json.key(L"text").value(event.text);
    json.key(L"param").value(event.param);
    json.key(L"style").value(event.style);
    json.endObject();
  }
  json.endArray();
}
} // namespace host
