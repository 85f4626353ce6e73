// The software renderer on Windows: a graphics module whose devices present
// each new picture into the window they were given. Windows only.
//
//   OdGsWin32Device   a software device whose present() copies the picture
//                     into "WindowHDC", or into "WindowHWND"'s own DC
//   OdGsWin32Module   makes them; registered in odrxDynamicLinker() under
//                     OdGsWin32ModuleName from the start, as a host's
//                     graphics module is
//   odgsDrawImage     copies any picture into a device context
//   odgsCopyPixels    copies any picture into a 32-bit DIB's pixels
#pragma once

#include "od/GsSoftware.h"

#include <windows.h>

extern const wchar_t* const OdGsWin32ModuleName;

// Stretches the picture over the rectangle of the device context; false
// for an empty picture or rectangle.
bool odgsDrawImage(HDC dc, const OdGiRasterImage& image, const RECT& target);

// The picture's pixels as a top-down 32-bit DIB holds them (0x00RRGGBB
// words), rows `stride` words apart; false unless the picture is exactly
// width x height.
bool odgsCopyPixels(const OdGiRasterImage& image, DWORD* pixels, int width, int height, int stride);

class OdGsWin32Device : public OdGsSoftwareDevice
{
  ODRX_DECLARE_MEMBERS(OdGsWin32Device);
  explicit OdGsWin32Device(const OdGsSoftwareModule* module) : OdGsSoftwareDevice(module) {}

  // Copies the last picture into the device context, one pixel for one.
  bool presentTo(HDC dc) const;

protected:
  void present() override;
};

class OdGsWin32Module : public OdGsSoftwareModule
{
  ODRX_DECLARE_MEMBERS(OdGsWin32Module);
  OdGsDevicePtr createDevice() override;
};
