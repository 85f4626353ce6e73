#include "ui/MeUiPalette.h"

#include "core/MeHost.h"
#include "ui/MeUiGuarded.h"
#include "win/MeHostTheme.h"

#include <algorithm>

namespace meui
{
MeUiPalette::MeUiPalette(MeUiToolbar& toolbar, UINT helpCommand, const wchar_t* helpTopic, int minBodySide)
  : m_toolbar(toolbar), m_helpCommand(helpCommand), m_helpTopic(helpTopic), m_minBodySide(minBodySide)
{
}

LRESULT MeUiPalette::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  LRESULT answer = 0;
  if (me::offerToHostTheme(hwnd(), message, wParam, lParam, answer))
    return answer;
  return guardedMessage([&]() -> LRESULT {
    if (me::isThemeChangedMessage(message))
      onThemeChanged();
    return fw::hostUiPaletteSet::windowProc(message, wParam, lParam);
  });
}

void MeUiPalette::onSize(int, int)
{
  if (!m_toolbar.hwnd())
    return;
  // The pane's size below its caption is what counts, as the framework's
  // panes measure it.
  const RECT content = contentRect();
  SetWindowPos(m_toolbar.hwnd(), nullptr, content.left, content.top, content.right - content.left,
               m_toolbar.fixedHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
  if (const int band = bandHeight(); band > 0)
  {
    const int top = int(content.top) + m_toolbar.fixedHeight();
    placeBand(RECT{content.left, top, content.right, top + band});
  }
  if (placeBody())
    bodyResized();
}

bool MeUiPalette::placeBody()
{
  HWND body = bodyWindow();
  if (!body || !m_toolbar.hwnd())
    return false;
  const RECT content = contentRect();
  const int width = content.right - content.left;
  if (width < m_minBodySide || content.bottom - content.top < m_minBodySide)
    return false;
  const int top = int(content.top) + m_toolbar.fixedHeight() + bandHeight();
  SetWindowPos(body, nullptr, content.left, top, width, std::max(0, int(content.bottom) - top),
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool MeUiPalette::onCommand(UINT id, UINT, HWND)
{
  if (id != m_helpCommand)
    return false;
  me::showHelpTopic(m_helpTopic);
  return true;
}

bool MeUiPalette::onNotify(NMHDR* header, LRESULT& result)
{
  return m_toolbar.handleNotify(header, result) || m_toolbar.answerTip(header);
}

void MeUiPalette::onDestroy()
{
  m_toolbar.destroy();
  fw::hostUiPaletteSet::onDestroy();
}
} // namespace meui
