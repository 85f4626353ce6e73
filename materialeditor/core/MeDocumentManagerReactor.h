// Follows the host's current document: keeps the material manager bound to
// the current document's database and tells it when documents go away.
// Attached to the host's document manager only while the browser is shown.
#pragma once

#include "host/HostApi.h"

namespace me
{
class MeDocumentManagerReactor : public HostApDocManagerReactor
{
public:
  MeDocumentManagerReactor() = default;
  virtual ~MeDocumentManagerReactor();
  MeDocumentManagerReactor(const MeDocumentManagerReactor&) = delete;
  MeDocumentManagerReactor& operator=(const MeDocumentManagerReactor&) = delete;

  // To and from the host's document manager; false without one. Attaching
  // twice does not make the host call twice.
  bool attach();
  bool detach();

  void documentToBeDestroyed(HostDocument* document) override;
  void documentDestroyed(const OdString& fileName) override;
  void documentBecameCurrent(HostDocument* document) override;
};
} // namespace me
