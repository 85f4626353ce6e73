// The host's application services: new databases and the search for the
// files a drawing refers to.
#pragma once

#include "host/HostApi.h"

#include <vector>

namespace host
{
class AppServices final : public HostAppServices
{
public:
  OdDbDatabasePtr createDatabase(bool defaultContents, OdDb::MeasurementValue measurement) override;

  // An absolute path that names an existing file is answered as given.
  // Otherwise the file-name part is looked for in the folder of the
  // drawing's own file, then (for texture maps) in each texture folder in
  // order, then in each search path in order. Empty when not found.
  OdString findFile(const OdString& fileName, OdDbDatabase* database, int kind) override;

  void addSearchPath(const OdString& folder);
  const std::vector<OdString>& searchPaths() const { return m_searchPaths; }
  void clearSearchPaths() { m_searchPaths.clear(); }

  // Folders searched for texture maps only (kind 10), as hosts keep a
  // texture search path of their own. A list separates them with ';';
  // blanks around them and empty ones are dropped.
  void addTextureFolders(const OdString& list);
  const std::vector<OdString>& textureFolders() const { return m_textureFolders; }

private:
  std::vector<OdString> m_searchPaths;
  std::vector<OdString> m_textureFolders;
};
} // namespace host
