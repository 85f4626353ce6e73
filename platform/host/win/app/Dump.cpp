#include "Dump.h"

#include "JsonWriter.h"
#include "ModuleManager.h"

#include "../core/HostRuntime.h"
#include "../docbar/DockLayout.h"
#include "host/HostDocking.h"
#include "od/OdSdk.h"

#include <commctrl.h>

#include <map>
#include <vector>

namespace host
{
namespace
{
// The item texts of the first list-view among a pane's children, in order.
std::vector<OdString> listItems(HWND pane)
{
  std::vector<OdString> items;
  HWND list = FindWindowExW(pane, nullptr, WC_LISTVIEWW, nullptr);
  if (!list)
    return items;
  const int count = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
  {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = int(std::size(text));
    SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    items.emplace_back(text);
  }
  return items;
}
} // namespace

namespace
{
OdString handleText(const OdDbObjectId& id) { return id.getHandle().ascii(); }

void writeVariant(JsonWriter& json, const CKtVariant& value)
{
  switch (value.type())
  {
  case CKtVariant::Type::Int: json.value(value.asInt()); break;
  case CKtVariant::Type::Real: json.value(value.asReal()); break;
  case CKtVariant::Type::Text: json.value(value.asText()); break;
  case CKtVariant::Type::Empty: json.null(); break;
  }
}

void writeSection(JsonWriter& json, const ProfileSection& section)
{
  json.beginObject();
  for (const std::string& name : section.valueNames())
  {
    CKtVariant value;
    section.readValue(name.c_str(), value);
    json.key(OdString(name.c_str()));
    writeVariant(json, value);
  }
  for (const std::string& name : section.sectionNames())
  {
    json.key(OdString(name.c_str()));
    writeSection(json, *section.section(name));
  }
  json.endObject();
}

void writeDocument(JsonWriter& json, HostDocument* document, bool current)
{
  OdDbDatabase* db = document->database();
  json.beginObject();
  json.key(L"title").value(document->title());
  json.key(L"fileName").value(document->fileName());
  json.key(L"current").value(current);
  json.key(L"materials").beginArray();
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
  for (auto it = materials->newIterator(); !it->done(); it->next())
  {
    json.beginObject();
    json.key(L"name").value(it->name());
    json.key(L"handle").value(handleText(it->objectId()));
    json.endObject();
  }
  json.endArray();
  json.key(L"cmaterial");
  const OdDbObjectId cmaterial = db->getCMATERIAL();
  if (cmaterial.isNull() || cmaterial.isErased())
    json.null();
  else
    json.value(materials->nameAt(cmaterial));
  json.key(L"selection").beginArray();
  HostCommandContext* context = document->commandContext();
  HostSelectionSet* selection = context ? context->selectionSet() : nullptr;
  if (selection)
    for (const OdDbObjectId& id : selection->objectIdArray())
      json.value(handleText(id));
  json.endArray();
  json.endObject();
}

void writeTexts(JsonWriter& json, const wchar_t* key, const std::vector<OdString>& texts)
{
  json.key(key).beginArray();
  for (const OdString& text : texts)
    json.value(text);
  json.endArray();
}
} // namespace

std::string dumpJson(HostRuntime& runtime, const ModuleManager& modules)
{
  JsonWriter json;
  json.beginObject();

  DocumentManager& documents = runtime.documents();
  json.key(L"documents").beginArray();
  for (int i = 0; i < documents.documentCount(); ++i)
  {
    HostDocument* document = documents.documentAt(i);
    writeDocument(json, document, document == documents.curDocument());
  }
  json.endArray();

  json.key(L"commands").beginObject();
  for (const CommandRegistry::Command& command : runtime.commands().commands())
    json.key(OdString(command.name.c_str())).value(runtime.commands().state(command.name));
  json.endObject();

  json.key(L"profile");
  writeSection(json, runtime.profile().root());

  // Keyed by title; a second pane of the same title gets " (2)" added.
  json.key(L"palettes").beginObject();
  std::map<OdString, int> seen;
  for (const DockPaneInfo& pane : dockPanes())
  {
    const int n = ++seen[pane.title];
    json.key(n == 1 ? pane.title : OdString::format(L"%s (%d)", pane.title, n)).beginObject();
    json.key(L"title").value(pane.title);
    json.key(L"shown").value(pane.shown);
    RECT client{};
    GetClientRect(static_cast<HWND>(pane.window), &client);
    json.key(L"client").beginArray().value(int(client.right)).value(int(client.bottom)).endArray();
    json.key(L"dock").value(pane.bar == kHostDockRight ? L"right" : L"left");
    // What a user reads in the pane's list, if it has one.
    json.key(L"items").beginArray();
    for (const OdString& item : listItems(static_cast<HWND>(pane.window)))
      json.value(item);
    json.endArray();
    json.endObject();
  }
  json.endObject();

  json.key(L"messages").beginArray();
  for (const MessageRecord& message : runtime.messages)
  {
    json.beginObject();
    json.key(L"text").value(message.text);
    json.key(L"caption").value(message.caption);
    json.key(L"icon").value(messageIconName(message.icon));
    json.key(L"buttons").value(message.buttons == kHostButtonsYesNo ? L"yesno" : L"ok");
    json.key(L"answer").value(messageAnswerName(message.answer));
    json.endObject();
  }
  json.endArray();

  json.key(L"fileDialogs").beginArray();
  for (const FileDialogRecord& dialog : runtime.fileDialogs)
  {
    json.beginObject();
    json.key(L"filter").value(dialog.filter);
    json.key(L"initialName").value(dialog.initialName);
    json.key(L"answer");
    if (dialog.answer.isEmpty())
      json.null();
    else
      json.value(dialog.answer);
    json.endObject();
  }
  json.endArray();

  writeTexts(json, L"resourceTranslation", runtime.resourceTranslations);
  writeTexts(json, L"helpTopics", runtime.helpTopics);
  writeTexts(json, L"eventMessages", runtime.eventMessages);

  json.key(L"previewNotifications").beginArray();
  for (int what : runtime.previewNotifications)
    json.value(what);
  json.endArray();

  json.key(L"modules").beginArray();
  for (const ModuleManager::Module& module : modules.modules())
  {
    json.beginObject();
    json.key(L"path").value(module.path);
    json.key(L"name").value(module.name);
    json.endObject();
  }
  json.endArray();

  json.key(L"pendingAnswers").beginArray();
  for (const DialogAnswer& answer : runtime.pendingAnswers())
    json.value(answer.describe());
  json.endArray();

  json.endObject();
  return json.text();
}
} // namespace host
