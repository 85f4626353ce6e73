// meui::MeUiPreviewGridDlg: the shape of both editor palettes' bodies, a
// child dialog from a template with a picture at its top (the Material
// editor's live preview, the Texture editor's map image) and the host's
// property grid (on control 1002) below it, with a row provider's rows.
//
//   message            handler
//   0x135F             answered 1: the host asks whether the dialog is one of its own kind
//   WM_ERASEBKGND      the host's theme paints what the picture and the grid leave
//   WM_SIZE            onSize(w, h)   the rows come first: the picture gives way to them
//                                     down to its smallest square, then the margin below them
//   WM_DESTROY         onDestroy()    the grid empties, the provider lets go of its rows
//   (every message)    SDK errors of a handler end there, never the host
//
// Reference-counted: its palette holds one reference (MeUiBody), and a row
// running a modal loop of its own may hold another; the window must be gone
// when the count reaches 0.
#pragma once

#include "framework/Dialog.h"
#include "host/KtUnknown.h"
#include "host/win/GridHolder.h"
#include "ui/properties/MeUiRowProvider.h"

namespace meui
{
class MeUiPreviewGridDlg : public fw::hostUiDialog, public CKtUnknownImpl<IKtUnknown>
{
public:
  // The host's question to dialogs of its kind.
  static constexpr UINT kHostDialogQuery = 0x135F;

  CInspectorCtrl* grid() const { return m_grid.grid(); }

protected:
  // bottomMargin: the grid ends this far above the dialog's bottom edge
  // while its rows fit.
  MeUiPreviewGridDlg(UINT templateId, int bottomMargin);
  ~MeUiPreviewGridDlg() override;

  // The picture's window (null: none, the grid takes the whole height).
  virtual HWND pictureWindow() const = 0;

  // At WM_INITDIALOG: the picture's height in the template (kept whatever
  // the dialog's size, only cut while the dialog is lower), then the grid.
  void setPictureHeight(int height) { m_pictureHeight = height; }
  bool createGrid();
  // Takes the provider (its count at 1, the caller's), builds its rows and
  // shows them.
  void setProvider(MeUiRowProvider* provider);
  MeUiRowProvider* rowProvider() const { return m_provider.get(); }
  // The provider's rows made again and shown instead of the old ones.
  void rebuildRows();
  // Ends the rows' editing, empties the grid, then lets go of the rows and
  // the provider: the rows and the provider hold each other, and only that
  // order frees both.
  void releaseGrid();

  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onSize(int width, int height) override;
  void onDestroy() override;
  // Lays the picture and grid out again for the current size.
  void relayout();

  kt::GridHolder m_grid;

private:
  KtRef<MeUiRowProvider> m_provider;
  int m_pictureHeight = 0;
  int m_bottomMargin;
};

// A palette's hold on its body: one reference, and the window ends with it.
template <class Dialog>
class MeUiBody
{
public:
  MeUiBody() = default;
  MeUiBody(const MeUiBody&) = delete;
  MeUiBody& operator=(const MeUiBody&) = delete;
  ~MeUiBody() { reset(); }

  // Holds a new dialog (its count at 1), ending the one held.
  void reset(Dialog* dialog = nullptr)
  {
    KtRef<Dialog> gone = std::exchange(m_dialog, KtRef<Dialog>::adopt(dialog));
    if (gone)
      gone->destroy();
  }
  Dialog* get() const { return m_dialog.get(); }
  Dialog* operator->() const { return m_dialog.get(); }
  explicit operator bool() const { return bool(m_dialog); }

private:
  KtRef<Dialog> m_dialog;
};
} // namespace meui
