// The software renderer on Windows: its devices present each new picture
// into the window they were given.
//
//   MeGsWindowDevice   a software device whose present() copies the picture
//                      into "WindowHDC", or into "WindowHWND"'s own DC
//   MeGsWindowModule   makes them; registered in odrxDynamicLinker() under
//                      kMeGsWindowModuleName, so viewers load it by name
//   drawImage          copies any picture into a device context
#pragma once

#include "od/GsSoftware.h"

#include <windows.h>

namespace meui
{
extern const wchar_t* const kMeGsWindowModuleName;

// Makes kMeGsWindowModuleName loadable; once is enough, more is harmless.
void registerWindowRenderer();

// Stretches the picture over the rectangle of the device context; false
// for an empty picture or rectangle.
bool drawImage(HDC dc, const OdGiRasterImage& image, const RECT& target);

class MeGsWindowDevice : public OdGsSoftwareDevice
{
public:
  explicit MeGsWindowDevice(const OdGsSoftwareModule* module) : OdGsSoftwareDevice(module) {}

  // Copies the last picture into the device context, one pixel for one.
  bool presentTo(HDC dc) const;

protected:
  void present() override;
};

class MeGsWindowModule : public OdGsSoftwareModule
{
public:
  OdGsDevicePtr createDevice() override;
};
} // namespace meui
