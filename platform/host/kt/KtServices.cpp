#include "host/KtServices.h"

// This binary's default services: KtHostLookup.cpp (Windows) or
// KtHostStandalone.cpp (native).
IKtHostServices& ktDefaultHostServices();

namespace
{
IKtHostServices*& installed()
{
  static IKtHostServices* services = nullptr;
  return services;
}
} // namespace

IKtHostServices& ktHostServices() { return installed() ? *installed() : ktDefaultHostServices(); }

void ktSetHostServices(IKtHostServices* services) { installed() = services; }

// Without a theme service the rows look like the system's light windows.
ODCOLORREF ktThemeBackground()
{
  HostThemeService* theme = ktHostServices().theme();
  return theme ? theme->windowBackgroundColor() : ODRGB(255, 255, 255);
}

ODCOLORREF ktThemeText()
{
  HostThemeService* theme = ktHostServices().theme();
  return theme ? theme->textColor() : ODRGB(0, 0, 0);
}

bool ktThemeIsDark()
{
  HostThemeService* theme = ktHostServices().theme();
  return theme && theme->isDark();
}
