#include "ui/MeUiPreviewGridDlg.h"

#include "resources/MeResources.h"
#include "ui/MeUiGuarded.h"
#include "ui/MeUiPaneLayout.h"
#include "win/MeHostTheme.h"

#include <algorithm>

namespace meui
{
MeUiPreviewGridDlg::MeUiPreviewGridDlg(UINT templateId, int bottomMargin)
  : fw::hostUiDialog(templateId), m_bottomMargin(bottomMargin)
{
}

// A derived dialog ends its window in its own destructor, while its
// onDestroy still runs; here only what a dialog never created holds.
MeUiPreviewGridDlg::~MeUiPreviewGridDlg() { releaseGrid(); }

bool MeUiPreviewGridDlg::createGrid() { return m_grid.create(item(IDC_PROPERTY_GRID)); }

void MeUiPreviewGridDlg::setProvider(MeUiRowProvider* provider)
{
  m_provider = KtRef<MeUiRowProvider>::adopt(provider);
  if (!m_provider)
    return;
  m_provider->buildRows();
  m_grid.add(m_provider->rows());
  relayout();
}

void MeUiPreviewGridDlg::rebuildRows()
{
  if (!m_grid || !m_provider)
    return;
  m_provider->buildRows();
  m_grid.rebuild(m_provider->rows());
  // The number of rows decides how much the picture gives way.
  relayout();
}

void MeUiPreviewGridDlg::releaseGrid()
{
  // The editing ends with the dialog, even when a row of it still runs (a
  // file or colour dialog of its own returning late) and keeps it alive.
  if (m_provider)
    m_provider->endEditing();
  // The grid's references first, then the provider's, so the rows go before
  // the grid; the provider, freed of its rows, goes with the last reference.
  if (CInspectorCtrl* grid = m_grid.grid())
    grid->RemoveAll();
  if (m_provider)
    m_provider->releaseRows();
  m_grid.release();
  m_provider.reset();
}

void MeUiPreviewGridDlg::onDestroy()
{
  releaseGrid();
  fw::hostUiDialog::onDestroy();
}

void MeUiPreviewGridDlg::onSize(int width, int height)
{
  if (!m_grid)
    return;
  // The rows come first: the picture gives way to them in a short pane,
  // then the margin below them.
  HWND picture = pictureWindow();
  const PaneLayout layout = paneLayout(height, picture ? m_pictureHeight : 0, m_grid.heightForRows(), m_bottomMargin);
  if (picture)
    SetWindowPos(picture, nullptr, 0, 0, width, layout.picture, SWP_NOZORDER | SWP_NOACTIVATE);
  const int top = picture ? layout.picture : 0;
  SetWindowPos(m_grid.listBox(), nullptr, 0, top, width, layout.grid, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MeUiPreviewGridDlg::relayout()
{
  RECT client{};
  if (hwnd() && GetClientRect(hwnd(), &client))
    onSize(int(client.right), int(client.bottom));
}

LRESULT MeUiPreviewGridDlg::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == kHostDialogQuery)
    return 1;
  // The margin below the rows shows the dialog's own background: the
  // host's theme paints it as it paints the palette around it.
  LRESULT answer = 0;
  if (message == WM_ERASEBKGND && me::offerToHostTheme(hwnd(), message, wParam, lParam, answer))
    return answer;
  return guardedMessage([&] { return fw::hostUiDialog::windowProc(message, wParam, lParam); });
}
} // namespace meui
