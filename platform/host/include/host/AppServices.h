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
  // drawing's own file, then in each search path in order. Every kind
  // searches the same folders. Empty when not found.
  OdString findFile(const OdString& fileName, OdDbDatabase* database, int kind) override;

  void addSearchPath(const OdString& folder);
  const std::vector<OdString>& searchPaths() const { return m_searchPaths; }
  void clearSearchPaths() { m_searchPaths.clear(); }

private:
  std::vector<OdString> m_searchPaths;
};
} // namespace host
