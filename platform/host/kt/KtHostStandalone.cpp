// The services of a binary that runs without a host (native builds): the
// host's own conversions and evaluator, no translation, no user to show a
// message or a dialog to, nothing to draw on.
#include "host/Conversions.h"
#include "host/KtServices.h"
#include "host/MathParser.h"

namespace
{
class StandaloneServices final : public IKtHostServices
{
public:
  CXStringW translate(const CXStringW& text) override { return text; }
  CXStringW realToText(double value) override { return host::realToText(value, host::kUnitsDecimal); }
  bool distanceToReal(const CXStringW& text, double& value) override
  {
    return host::distanceToReal(text, host::kUnitsDecimal, value);
  }
  IHostMathParser* mathParser() override { return &m_parser; }
  void showEvent(int, const CXStringW&, int, int) override {}
  HostThemeService* theme() override { return nullptr; }
  bool colorDialog(OdCmColor&, bool, const OdCmColor&, int, KtHwnd) override { return false; }
  std::vector<OdCmColor> customColors() override { return {}; }
  void addCustomColor(const OdCmColor&) override {}
  std::unique_ptr<IKtCanvas> openCanvas(KtHdc) override { return nullptr; }

private:
  host::MathParser m_parser;
};
} // namespace

IKtHostServices& ktDefaultHostServices()
{
  static StandaloneServices services;
  return services;
}
