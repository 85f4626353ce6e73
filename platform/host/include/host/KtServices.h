// The host services the grid's row templates use. The rows are compiled
// into whatever binary makes them (the module, a test); this interface is
// how they reach the host from there.
//
// The default in a Windows binary finds the host's exports by name (kticore,
// events5, hostutils, hostmain) at each call, as every module does; without
// a host (native builds) the default answers as a host with no user would:
// texts untranslated, the host's conversions and evaluator, messages and
// dialogs refused. Tests install their own with ktSetHostServices.
#pragma once

#include "host/HostApi.h"
#include "host/KtCanvas.h"
#include "od/CmColor.h"

#include <memory>
#include <vector>

class IKtHostServices
{
public:
  virtual ~IKtHostServices() = default;

  // Supp_Translate.
  virtual CXStringW translate(const CXStringW& text) = 0;
  // hostdbRToS with unit mode 2 and the default precision.
  virtual CXStringW realToText(double value) = 0;
  // hostdbDisToF with unit mode 2.
  virtual bool distanceToReal(const CXStringW& text, double& value) = 0;
  // The application object's "IHostMathParser"; null when there is none.
  virtual IHostMathParser* mathParser() = 0;
  // Get_IEvents()->showMessage(code, text, param, style).
  virtual void showEvent(int code, const CXStringW& text, int param, int style) = 0;
  // The host object of get_host_funcptr(17); null when there is none.
  virtual HostThemeService* theme() = 0;
  // hostSetColorDialogTrueColor: true and the chosen colour on OK.
  virtual bool colorDialog(OdCmColor& color, bool flag, const OdCmColor& second, int tabs, KtHwnd parent) = 0;
  // hostGetCustomColors, hostAddCustomColor.
  virtual std::vector<OdCmColor> customColors() = 0;
  virtual void addCustomColor(const OdCmColor& color) = 0;
  // The canvas over a device context the grid passes to a row.
  virtual std::unique_ptr<IKtCanvas> openCanvas(KtHdc dc) = 0;
};

// The services in use: the installed ones, else this binary's default.
IKtHostServices& ktHostServices();
// Null goes back to the default. The caller keeps the object alive.
void ktSetHostServices(IKtHostServices* services);

// The theme's colours with the system's defaults when the host has no theme.
ODCOLORREF ktThemeBackground();
ODCOLORREF ktThemeText();
bool ktThemeIsDark();
