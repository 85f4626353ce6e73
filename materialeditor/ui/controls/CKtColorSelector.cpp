#include "ui/controls/CKtColorSelector.h"

#include "ui/controls/MeUiColorList.h"

namespace meui
{
namespace
{
// The colour dialog's tab set: every page.
constexpr int kAllColorTabs = 7;
} // namespace

HWND CKtColorSelector::CreateSelector(HWND parent, const RECT& rect, UINT id)
{
  return ktCreateControl(*this, L"STATIC", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_NOTIFY, parent, rect, id);
}

void CKtColorSelector::drawColour(IKtCanvas& canvas, const KtRect& rect) { drawRgbColor(canvas, rect, m_colour); }

bool CKtColorSelector::chooseColour(OdUInt32& colour)
{
  OdCmColor chosen;
  const OdCmColor second;
  if (!ktHostServices().colorDialog(chosen, false, second, kAllColorTabs, nullptr))
    return false;
  colour = OdUInt32(chosen.red()) | OdUInt32(chosen.green()) << 8 | OdUInt32(chosen.blue()) << 16;
  return true;
}

LRESULT CKtColorSelector::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const KtEditorCall call = ktEditorCall(this);
  HWND window = hwnd();
  switch (message)
  {
  case WM_PAINT:
    ktPaint(window, [this](IKtCanvas& canvas, const KtRect& client) { drawColour(canvas, client.inflated(-2, -2)); });
    return 0;
  case WM_LBUTTONDOWN:
  {
    OdUInt32 colour = 0;
    if (!chooseColour(colour))
      return 0;
    m_colour = colour;
    colourChanged();
    if (IsWindow(window) && GetParent(window))
      PostMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), kColorSelectorChanged),
                   reinterpret_cast<LPARAM>(window));
    InvalidateRect(window, nullptr, FALSE);
    return 0;
  }
  case WM_GETDLGCODE: return previousProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
  case WM_DESTROY: selectorDestroyed(); break;
  default: break;
  }
  return previousProc(message, wParam, lParam);
}
} // namespace meui
