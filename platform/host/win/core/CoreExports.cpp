// The exports of the host core library (kticore.dll) that modules look up
// by name.
#include "HostRuntime.h"

#include "host/FileSystem.h"

#include <windows.h>

#include <cstring>

using host::hostRuntime;

extern "C" {
#ifndef HOST_WITHOUT_RES_TRANSLATION
// The host translates a module's resources; this host records which module
// asked, and the texts pass through Supp_Translate when the module shows them.
__declspec(dllexport) void _InitResTranslation(void* moduleInstance)
{
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(moduleInstance), path, MAX_PATH);
  hostRuntime().resourceTranslations.push_back(length ? host::fileNamePart(OdString(path, length)) : OdString(L"?"));
}
#endif

__declspec(dllexport) void* CreateObjectC(const char* classId)
{
  if (classId && std::strcmp(classId, "CLSID_APP") == 0)
    return static_cast<IHostApp*>(&hostRuntime().application());
  return nullptr;
}

__declspec(dllexport) const wchar_t* Supp_Translate(const wchar_t* text)
{
  return hostRuntime().translations().translate(text);
}

__declspec(dllexport) bool Fio_IsFileExist(const wchar_t* path)
{
  return path && host::isFile(OdString(path));
}

// Only an open document's drawing is named: a preview's own drawing keeps no
// history, and a pointer that outlived its document is never followed.
__declspec(dllexport) void hostNameUndoStep(OdDbDatabase* database, const wchar_t* name)
{
  if (!database || !name || !*name)
    return;
  host::DocumentManager& documents = hostRuntime().documents();
  for (int i = 0; i < documents.documentCount(); ++i)
    if (documents.documentAt(i)->database() == database)
    {
      database->nameUndoRecord(OdString(name));
      return;
    }
}

__declspec(dllexport) bool hostSetSelection(OdDbDatabase* database, const OdDbObjectId* ids, int count)
{
  if (!database || count < 0 || (count > 0 && !ids))
    return false;
  host::DocumentManager& documents = hostRuntime().documents();
  for (int i = 0; i < documents.documentCount(); ++i)
    if (host::Document* document = documents.find(documents.documentAt(i));
        document && document->database() == database)
    {
      OdDbObjectIdArray selection;
      for (int k = 0; k < count; ++k)
        selection.append(ids[k]);
      document->setSelection(selection);
      if (hostRuntime().selectionChanged)
        hostRuntime().selectionChanged();
      return true;
    }
  return false;
}
}
