#include "host/AppServices.h"

#include "host/FileSystem.h"

namespace host
{
OdDbDatabasePtr AppServices::createDatabase(bool defaultContents, OdDb::MeasurementValue measurement)
{
  return odCreateDatabase(defaultContents, measurement);
}

OdString AppServices::findFile(const OdString& fileName, OdDbDatabase* database, int kind)
{
  if (fileName.isEmpty())
    return OdString();
  if (isAbsolutePath(fileName) && isFile(fileName))
    return fileName;

  const OdString name = fileNamePart(fileName);
  if (name.isEmpty() || name == L"." || name == L"..")
    return OdString();
  if (database && !database->getFilename().isEmpty())
  {
    const OdString folder = folderPart(database->getFilename());
    if (!folder.isEmpty())
    {
      // A relative path is the drawing's own ("textures/bricks.png" beside
      // it), before the file's name alone is looked for anywhere.
      if (!isAbsolutePath(fileName))
      {
        // In the folder's own separators, so the path found reads as one.
        OdString inner = fileName;
        if (folder.find(L'\\') >= 0)
          inner.replace(L"/", L"\\");
        else
          inner.replace(L"\\", L"/");
        const OdString relative = joinPath(folder, inner);
        if (isFile(relative))
          return relative;
      }
      const OdString candidate = joinPath(folder, name);
      if (isFile(candidate))
        return candidate;
    }
  }
  const std::vector<OdString> none;
  const std::vector<OdString>* texture = kind == kHostFindTextureMap ? &m_textureFolders : &none;
  for (const std::vector<OdString>* folders : {texture, static_cast<const std::vector<OdString>*>(&m_searchPaths)})
    for (const OdString& folder : *folders)
    {
      const OdString candidate = joinPath(folder, name);
      if (isFile(candidate))
        return candidate;
    }
  return OdString();
}

void AppServices::addTextureFolders(const OdString& list)
{
  for (OdString folder : list.split(L';'))
  {
    folder.trimLeft();
    folder.trimRight();
    if (!folder.isEmpty())
      m_textureFolders.push_back(folder);
  }
}

void AppServices::addSearchPath(const OdString& folder)
{
  if (!folder.isEmpty())
    m_searchPaths.push_back(folder);
}
} // namespace host
