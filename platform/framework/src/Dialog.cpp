#include "framework/Dialog.h"

#include "framework/ModuleState.h"

namespace fw
{
namespace
{
// Messages whose answer a dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool answeredDirectly(UINT message)
{
  switch (message)
  {
  case WM_INITDIALOG:
  case WM_CTLCOLORMSGBOX:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORLISTBOX:
  case WM_CTLCOLORBTN:
  case WM_CTLCOLORDLG:
  case WM_CTLCOLORSCROLLBAR:
  case WM_CTLCOLORSTATIC:
  case WM_COMPAREITEM:
  case WM_VKEYTOITEM:
  case WM_CHARTOITEM:
  case WM_QUERYDRAGICON: return true;
  default: return false;
  }
}

// The control an owner-draw message is about; null for menus and unknown ids.
HWND ownerDrawControl(HWND dialog, UINT message, LPARAM lParam)
{
  UINT type = 0, id = 0;
  switch (message)
  {
  case WM_MEASUREITEM:
    type = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType;
    id = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID;
    break;
  case WM_DRAWITEM:
    type = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType;
    id = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlID;
    break;
  case WM_COMPAREITEM:
    type = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->CtlType;
    id = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->CtlID;
    break;
  case WM_DELETEITEM:
    type = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->CtlType;
    id = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->CtlID;
    break;
  default: return nullptr;
  }
  return type == ODT_MENU ? nullptr : GetDlgItem(dialog, int(id));
}
} // namespace

CDialog::~CDialog()
{
  // ~CWnd traps a window that outlived its object; a dialog is ended here
  // only when the derived class forgot to, so its handlers no longer run.
  if (exists())
  {
    SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
    DestroyWindow(hwnd());
    bindHandle(nullptr);
  }
}

bool CDialog::createFromTemplate(UINT templateId, HWND parent)
{
  if (hwnd())
    return false;
  HINSTANCE instance = resourceHandle() ? resourceHandle() : GetModuleHandleW(nullptr);
  HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), parent, &CDialog::dialogProc,
                                   reinterpret_cast<LPARAM>(this));
  return dialog != nullptr;
}

RECT CDialog::itemRect(UINT id) const
{
  RECT rect{};
  HWND control = item(id);
  if (!control || !GetWindowRect(control, &rect))
    return RECT{};
  MapWindowPoints(HWND_DESKTOP, hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LRESULT CDialog::defaultProc(UINT, WPARAM, LPARAM)
{
  m_leftToDialogManager = true;
  return 0;
}

LRESULT CDialog::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_INITDIALOG: return onInitDialog() ? TRUE : FALSE;
  case WM_MEASUREITEM:
  case WM_DRAWITEM:
  case WM_COMPAREITEM:
  case WM_DELETEITEM:
    if (HWND control = ownerDrawControl(hwnd(), message, lParam))
    {
      // A control that knows no reflected message (a plain list box while
      // its grid is not there yet) answers 0: the dialog manager's default.
      const LRESULT answer = SendMessageW(control, kReflectBase + message, wParam, lParam);
      if (answer || message == WM_COMPAREITEM)
        return answer;
    }
    break;
  default: break;
  }
  return CWnd::windowProc(message, wParam, lParam);
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG)
  {
    self = reinterpret_cast<CDialog*>(lParam);
    if (self)
      self->bindHandle(hwnd);
  }
  else
    self = static_cast<CDialog*>(fromHandle(hwnd));
  // Before WM_INITDIALOG (WM_SETFONT) the object is not known yet.
  if (!self)
    return FALSE;
  if (message == WM_NCDESTROY)
  {
    self->bindHandle(nullptr);
    return FALSE;
  }
  // Handlers send messages that come back here: each message keeps its own flag.
  const bool outer = self->m_leftToDialogManager;
  self->m_leftToDialogManager = false;
  const LRESULT result = self->windowProc(message, wParam, lParam);
  const bool leftOver = self->m_leftToDialogManager;
  self->m_leftToDialogManager = outer;
  if (leftOver)
    return FALSE;
  if (answeredDirectly(message))
    return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

bool hostUiDialog::Create(HWND parent) { return createFromTemplate(m_templateId, parent ? parent : m_parent); }
} // namespace fw
