// Dialogs made from templates in a module's resources.
//
//   fw::CDialog      a modeless dialog of ours: one dispatch point (CWnd's
//                    windowProc) behind the dialog procedure; what a class
//                    leaves to defaultProc goes to the dialog manager
//   fw::hostUiDialog a dialog that knows its template from construction and
//                    is created later as the child of a palette
//
//   message                          handler
//   WM_INITDIALOG                    onInitDialog()   false when the focus was set
//   WM_MEASUREITEM, WM_DRAWITEM,     reflected to the control they name
//   WM_COMPAREITEM, WM_DELETEITEM    (OCM_* = message + kReflectBase), as the
//                                    framework does for owner-drawn controls
//   (the rest)                       as CWnd maps them
#pragma once

#include "framework/Wnd.h"

namespace fw
{
// Reflected messages are numbered from here (OCM__BASE).
constexpr UINT kReflectBase = WM_USER + 0x1c00;

class CDialog : public CWnd
{
public:
  CDialog() = default;
  ~CDialog() override;

  // Creates the dialog from the template in the current resource module
  // (the module's own instance when none is current); false when the
  // template is missing or the dialog refused to start.
  bool createFromTemplate(UINT templateId, HWND parent);

  HWND item(UINT id) const { return hwnd() ? GetDlgItem(hwnd(), int(id)) : nullptr; }
  // A control's window rectangle in this dialog's client coordinates; empty
  // when the control does not exist.
  RECT itemRect(UINT id) const;

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // WM_INITDIALOG: the controls of the template exist. True lets the dialog
  // manager give the focus to the first control.
  virtual bool onInitDialog() { return true; }

private:
  static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Set by defaultProc: the message goes back to the dialog manager.
  bool m_leftToDialogManager = false;
};

class hostUiDialog : public CDialog
{
public:
  explicit hostUiDialog(UINT templateId, HWND parent = nullptr) : m_templateId(templateId), m_parent(parent) {}

  UINT templateId() const { return m_templateId; }
  // Creates the window as a child of parent (or of the parent given at
  // construction).
  bool Create(HWND parent = nullptr);

private:
  UINT m_templateId;
  HWND m_parent;
};
} // namespace fw
