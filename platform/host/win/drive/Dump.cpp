#include "Dump.h"

#include "DrawingSummary.h"
#include "GridDump.h"
#include "JsonWriter.h"
#include "MaterialScript.h"
#include "PaneControls.h"
#include "Screenshot.h"
#include "UndoScript.h"

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

// Every section as an object of its values and sub-sections; an explicit
// stack, as the nesting comes from the profile file.
void writeProfile(JsonWriter& json, const ProfileSection& root)
{
  struct Open
  {
    const ProfileSection* section;
    std::vector<std::string> children;
    std::size_t next;
  };
  std::vector<Open> open;
  auto enter = [&](const ProfileSection& section) {
    json.beginObject();
    for (const std::string& name : section.valueNames())
    {
      CKtVariant value;
      section.readValue(name.c_str(), value);
      json.key(OdString(name.c_str()));
      writeVariant(json, value);
    }
    open.push_back(Open{&section, section.sectionNames(), 0});
  };
  enter(root);
  while (!open.empty())
  {
    Open& top = open.back();
    if (top.next == top.children.size())
    {
      json.endObject();
      open.pop_back();
      continue;
    }
    const std::string name = top.children[top.next++];
    const ProfileSection* child = top.section->section(name);
    json.key(OdString(name.c_str()));
    enter(*child);
  }
}

const wchar_t* profileStatusName(ProfileStore::LoadResult::Status status)
{
  switch (status)
  {
  case ProfileStore::LoadResult::Status::Missing: return L"new";
  case ProfileStore::LoadResult::Status::Read: return L"read";
  case ProfileStore::LoadResult::Status::NotAProfile: return L"not a profile";
  case ProfileStore::LoadResult::Status::Unreadable: return L"unreadable";
  }
  return L"";
}

void writeProfileFile(JsonWriter& json, const HostRuntime& runtime)
{
  const ProfileStore::LoadResult& load = runtime.profileLoad();
  json.beginObject();
  json.key(L"path").value(runtime.profilePath());
  json.key(L"status").value(profileStatusName(load.status));
  json.key(L"keptLines").value(load.linesKept);
  json.key(L"written").value(load.mayWrite() && !runtime.profilePath().isEmpty());
  json.key(L"problem");
  if (runtime.profileProblem().isEmpty())
    json.null();
  else
    json.value(runtime.profileProblem());
  json.endObject();
}

void writeDocument(JsonWriter& json, HostDocument* document, const Document* record, bool current,
                   HostAppServices* services)
{
  OdDbDatabase* db = document->database();
  json.beginObject();
  json.key(L"title").value(document->title());
  json.key(L"fileName").value(document->fileName());
  json.key(L"loadSeconds");
  if (record && record->loadSeconds() >= 0)
    json.value(record->loadSeconds());
  else
    json.null();
  json.key(L"current").value(current);
  json.key(L"modified").value(record && record->isModified());
  json.key(L"readerWarnings").beginArray();
  if (record)
    for (const OdString& warning : record->readerWarnings())
      json.value(warning);
  json.endArray();
  json.key(L"keptEntities").beginObject();
  if (record)
    for (const auto& [type, count] : record->keptEntities())
      json.key(OdString(type.c_str())).value(count);
  json.endObject();
  json.key(L"materials").beginArray();
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
  for (auto it = materials->newIterator(); !it->done(); it->next())
  {
    json.beginObject();
    json.key(L"name").value(it->name());
    json.key(L"handle").value(handleText(it->objectId()));
    json.key(L"writes").value(record ? record->writesOf(it->objectId()) : 0);
    OdDbMaterialPtr material = OdDbMaterial::cast(it->objectId().openObject().get());
    if (!material.isNull())
      writeMaterialChannels(json, *material, services);
    json.endObject();
  }
  json.endArray();
  json.key(L"renderMode").value(int(db->activeViewportRenderMode()));
  json.key(L"cmaterial");
  const OdDbObjectId cmaterial = db->getCMATERIAL();
  if (cmaterial.isNull() || cmaterial.isErased())
    json.null();
  else
    json.value(materials->nameAt(cmaterial));
  writeDrawingObjects(json, db);
  writeUndoHistory(json, db);
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

void writeFrame(JsonWriter& json, const FrameState& frame)
{
  json.key(L"mainWindow").beginObject();
  const int length = frame.window ? GetWindowTextLengthW(frame.window) : 0;
  std::wstring title(std::size_t(length) + 1, L'\0');
  if (frame.window)
    GetWindowTextW(frame.window, &title[0], length + 1);
  json.key(L"title").value(OdString(title.c_str()));
  json.key(L"status").value(frame.status);
  json.key(L"menuBar").beginArray();
  HMENU bar = frame.window ? GetMenu(frame.window) : nullptr;
  for (int i = 0; bar && i < GetMenuItemCount(bar); ++i)
  {
    wchar_t text[128] = L"";
    GetMenuStringW(bar, UINT(i), text, int(std::size(text)), MF_BYPOSITION);
    json.beginObject();
    json.key(L"text").value(OdString(text));
    json.key(L"enabled").value((GetMenuState(bar, UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0);
    json.key(L"items");
    if (HMENU popup = GetSubMenu(bar, i))
      writeMenuItems(json, popup);
    else
      json.null();
    json.endObject();
  }
  json.endArray();
  writeTexts(json, L"menuCommands", frame.menuCommands);
  writeTexts(json, L"objectList", frame.objectList);
  json.endObject();
}
} // namespace

std::string dumpJson(HostRuntime& runtime, const FrameState& frame, const std::function<void(JsonWriter&)>& writeView)
{
  JsonWriter json;
  json.beginObject();

  DocumentManager& documents = runtime.documents();
  json.key(L"documents").beginArray();
  for (int i = 0; i < documents.documentCount(); ++i)
  {
    HostDocument* document = documents.documentAt(i);
    writeDocument(json, document, documents.find(document), document == documents.curDocument(),
                  &runtime.appServices());
  }
  json.endArray();

  writeFrame(json, frame);
  if (writeView)
  {
    json.key(L"view");
    writeView(json);
  }

  json.key(L"commands").beginObject();
  for (const CommandRegistry::Command& command : runtime.commands().commands())
    json.key(OdString(command.name.c_str())).value(runtime.commands().state(command.name));
  json.endObject();

  json.key(L"profile");
  writeProfile(json, runtime.profile().root());
  json.key(L"profileFile");
  writeProfileFile(json, runtime);

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
    const POINT origin = pictureOrigin(static_cast<HWND>(pane.window));
    json.key(L"origin").beginArray().value(int(origin.x)).value(int(origin.y)).endArray();
    json.key(L"dock").value(pane.bar == kHostDockRight ? L"right" : L"left");
    const HWND focus = GetFocus();
    json.key(L"focus").value(focus && (focus == pane.window || IsChild(static_cast<HWND>(pane.window), focus)));
    writePaneControls(json, static_cast<HWND>(pane.window));
    dumpPaneGrids(json, static_cast<HWND>(pane.window));
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
    json.key(L"buttons")
      .value(message.buttons == kHostButtonsYesNo ? L"yesno"
             : message.buttons == MB_YESNOCANCEL  ? L"yesnocancel"
                                                  : L"ok");
    json.key(L"answer").value(messageAnswerName(message.answer));
    json.key(L"tookFocus").value(message.tookFocus);
    json.endObject();
  }
  json.endArray();

  writeMenus(json, runtime.menus);
  writeTimings(json, runtime.timings);
  writeMemory(json);

  json.key(L"fileDialogs").beginArray();
  for (const FileDialogRecord& dialog : runtime.fileDialogs)
  {
    json.beginObject();
    json.key(L"filter").value(dialog.filter);
    json.key(L"initialName").value(dialog.initialName);
    json.key(L"save").value(dialog.save);
    json.key(L"answer");
    if (dialog.answer.isEmpty())
      json.null();
    else
      json.value(dialog.answer);
    json.endObject();
  }
  json.endArray();

  writeTexts(json, L"resourceTranslation", runtime.resourceTranslations);
  json.key(L"vectorizerQueries").value(runtime.vectorizerQueries);
  writeTexts(json, L"helpTopics", runtime.helpTopics);
  writeTexts(json, L"eventMessages", runtime.eventMessages);
  dumpGridServices(json, runtime);

  json.key(L"previewNotifications").beginArray();
  for (int what : runtime.previewNotifications)
    json.value(what);
  json.endArray();

  json.key(L"renderModes").beginArray();
  for (const RenderModeRecord& call : runtime.renderModes)
  {
    json.beginObject();
    json.key(L"document");
    if (call.document.isEmpty())
      json.null();
    else
      json.value(call.document);
    json.key(L"mode").value(call.mode);
    json.key(L"applied").value(call.applied);
    json.endObject();
  }
  json.endArray();

  json.key(L"modules").beginArray();
  for (const LoadedModule& module : frame.modules)
  {
    json.beginObject();
    json.key(L"path").value(module.path);
    json.key(L"name").value(module.name);
    json.endObject();
  }
  json.endArray();

  writeTexts(json, L"textureSearchPath", runtime.appServices().textureFolders());

  json.key(L"pendingAnswers").beginArray();
  for (const DialogAnswer& answer : runtime.pendingAnswers())
    json.value(answer.describe());
  json.endArray();

  json.endObject();
  return json.text();
}
} // namespace host
