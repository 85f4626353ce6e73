// The system dialogs service (service 2): the open-file dialog.
#pragma once

#include "core/MeServices.h"
#include "od/OdString.h"

namespace me
{
// Flags of the open-file dialog: hide read-only and prompt on overwrite.
constexpr unsigned kOpenFileFlags = 6;

class IMeSystemDialogs : public IMeServiceItem
{
public:
  // Shows the open-file dialog with fileName as its initial name and filter
  // as pairs separated by '|'. On OK writes the full path and answers true;
  // on cancel leaves path alone.
  virtual bool selectFileToOpen(const OdString& fileName, const OdString& filter, OdString& path) = 0;
};

class MeSystemDialogsServiceItem : public IMeSystemDialogs
{
public:
  bool selectFileToOpen(const OdString& fileName, const OdString& filter, OdString& path) override;
};
} // namespace me
