#include "framework/ToolBar.h"

#include "framework/Menu.h"
#include "framework/ModuleState.h"

#include <algorithm>

namespace fw
{
namespace
{
// Above the buttons and below them, in a bar without borders.
constexpr int kBarMargin = 2;
} // namespace

CToolBar::~CToolBar() { destroy(); }

bool CToolBar::create(HWND parent, DWORD style, UINT id)
{
  // The control gets the window styles; the bar styles are the framework's.
  const DWORD windowStyle = (style & ~kBarAll) | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE;
  HWND control = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", windowStyle, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), moduleInstance(), nullptr);
  if (!control)
    return false;
  SendMessageW(control, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(control, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  if (!subclass(control))
  {
    DestroyWindow(control);
    return false;
  }
  setPaneStyle(style & kBarAll);
  return true;
}

void CToolBar::destroy()
{
  m_tips.reset();
  m_tools = 0;
  if (HWND control = hwnd())
  {
    unsubclass();
    DestroyWindow(control);
  }
  m_images.reset();
  m_menus.clear();
}

void CToolBar::setPaneStyle(DWORD style)
{
  m_paneStyle = style & kBarAll;
  const bool tips = (m_paneStyle & kBarToolTips) != 0;
  if (tips && !m_tips && hwnd())
  {
    // Owned by the toolbar: the tips show over whatever lies below.
    m_tips.attach(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                  moduleInstance(), nullptr));
    m_tools = 0;
  }
  else if (!tips)
  {
    m_tips.reset();
    m_tools = 0;
  }
  updateTips();
}

void CToolBar::removeAll()
{
  while (SendMessageW(hwnd(), TB_DELETEBUTTON, 0, 0))
  {
  }
  m_images.reset();
  SendMessageW(hwnd(), TB_SETIMAGELIST, 0, 0);
  m_menus.clear();
  updateTips();
}

void CToolBar::setSizes(SIZE image, SIZE button)
{
  m_imageSize = image;
  SendMessageW(hwnd(), TB_SETBITMAPSIZE, 0, MAKELPARAM(image.cx, image.cy));
  SendMessageW(hwnd(), TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
}

int CToolBar::addImage(HICON icon)
{
  if (!m_images.handle())
  {
    if (!m_images.create(m_imageSize.cx, m_imageSize.cy, ILC_COLOR32 | ILC_MASK, 4, 4))
      return -1;
    SendMessageW(hwnd(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images.handle()));
  }
  return m_images.addIcon(icon);
}

void CToolBar::addButton(UINT command, int image)
{
  TBBUTTON button{};
  button.iBitmap = image;
  button.idCommand = int(command);
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_BUTTON;
  SendMessageW(hwnd(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
  updateTips();
}

bool CToolBar::setMenuButton(UINT command, HMENU menu, int image)
{
  const int index = commandToIndex(command);
  if (index < 0 || !menu)
    return false;
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  // Without an image of its own the button keeps the one it was given. The
  // button carries its menu, so that whoever looks at the bar finds it.
  info.dwMask = TBIF_STYLE | TBIF_LPARAM | (image >= 0 ? TBIF_IMAGE : 0);
  info.fsStyle = BTNS_BUTTON | BTNS_WHOLEDROPDOWN;
  info.iImage = image;
  info.lParam = reinterpret_cast<DWORD_PTR>(menu);
  SendMessageW(hwnd(), TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
  m_menus.push_back({command, menu});
  updateTips();
  return true;
}

bool CToolBar::setCheckButton(UINT command)
{
  if (commandToIndex(command) < 0)
    return false;
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_STYLE;
  info.fsStyle = BTNS_BUTTON | BTNS_CHECK;
  return SendMessageW(hwnd(), TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info)) != 0;
}

void CToolBar::setChecked(UINT command, bool checked)
{
  SendMessageW(hwnd(), TB_CHECKBUTTON, command, MAKELPARAM(checked ? TRUE : FALSE, 0));
}

bool CToolBar::isChecked(UINT command) const { return SendMessageW(hwnd(), TB_ISBUTTONCHECKED, command, 0) != 0; }

int CToolBar::buttonCount() const { return int(SendMessageW(hwnd(), TB_BUTTONCOUNT, 0, 0)); }

int CToolBar::commandToIndex(UINT command) const
{
  return int(SendMessageW(hwnd(), TB_COMMANDTOINDEX, command, 0));
}

UINT CToolBar::buttonStyle(int index) const
{
  TBBUTTON button{};
  if (!SendMessageW(hwnd(), TB_GETBUTTON, WPARAM(index), reinterpret_cast<LPARAM>(&button)))
    return 0;
  return MAKELONG(button.fsStyle, button.fsState ^ TBSTATE_ENABLED);
}

void CToolBar::setButtonStyle(int index, UINT style)
{
  TBBUTTON button{};
  if (!SendMessageW(hwnd(), TB_GETBUTTON, WPARAM(index), reinterpret_cast<LPARAM>(&button)))
    return;
  // The button keeps its own style bits (a menu button stays one); the
  // state follows the style's high word.
  const BYTE state = BYTE(HIWORD(style) ^ TBSTATE_ENABLED);
  SendMessageW(hwnd(), TB_SETSTATE, WPARAM(button.idCommand), MAKELPARAM(state, 0));
}

int CToolBar::fixedHeight() const
{
  const LRESULT size = SendMessageW(hwnd(), TB_GETBUTTONSIZE, 0, 0);
  return HIWORD(size) + 2 * kBarMargin;
}

void CToolBar::setArrowColour(COLORREF colour)
{
  m_arrowColour = colour;
  if (hwnd())
    InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CToolBar::isMenuButton(UINT command) const
{
  for (const MenuButton& button : m_menus)
    if (button.command == command)
      return true;
  return false;
}

// The control draws a menu button's arrow in the system's button text
// colour and asks nobody: the arrow is drawn again over it, after the
// button, in the same place (the control's: 11 pixels at the right of a
// flat button, 3 rows high, centred).
LRESULT CToolBar::customDraw(const NMTBCUSTOMDRAW& draw) const
{
  if (m_arrowColour == CLR_DEFAULT)
    return CDRF_DODEFAULT;
  switch (draw.nmcd.dwDrawStage)
  {
  case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT: return isMenuButton(UINT(draw.nmcd.dwItemSpec)) ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  case CDDS_ITEMPOSTPAINT:
  {
    if (draw.nmcd.uItemState & (CDIS_DISABLED | CDIS_INDETERMINATE))
      return CDRF_DODEFAULT; // etched in the system's colours, as the other disabled parts
    constexpr int kArrowWidth = 11, kArrowHeight = 3;
    const RECT& button = draw.nmcd.rc;
    const int pressed = (draw.nmcd.uItemState & (CDIS_SELECTED | CDIS_CHECKED)) ? 1 : 0;
    const int left = std::max(int(button.left), int(button.right) - kArrowWidth) + pressed + 2;
    const int top = int(button.top) + (int(button.bottom - button.top) - kArrowHeight) / 2 + pressed;
    const win::Brush brush(CreateSolidBrush(m_arrowColour));
    for (int row = 0; row < kArrowHeight; ++row)
    {
      const RECT line{left + row, top + row, left + 5 - row, top + row + 1};
      FillRect(draw.nmcd.hdc, &line, brush.get());
    }
    return CDRF_DODEFAULT;
  }
  default: return CDRF_DODEFAULT;
  }
}

bool CToolBar::handleNotify(const NMHDR* header, LRESULT& result)
{
  if (!header || header->hwndFrom != hwnd())
    return false;
  if (header->code == UINT(NM_CUSTOMDRAW))
  {
    result = customDraw(*reinterpret_cast<const NMTBCUSTOMDRAW*>(header));
    return true;
  }
  if (header->code != UINT(TBN_DROPDOWN))
    return false;
  const auto* drop = reinterpret_cast<const NMTOOLBARW*>(header);
  for (const MenuButton& button : m_menus)
  {
    if (button.command != UINT(drop->iItem))
      continue;
    // Below the button, left-aligned; the command goes to the parent.
    RECT rect{};
    SendMessageW(hwnd(), TB_GETRECT, button.command, reinterpret_cast<LPARAM>(&rect));
    POINT corner{rect.left, rect.bottom};
    ClientToScreen(hwnd(), &corner);
    trackPopupMenu(button.menu, TPM_LEFTALIGN | TPM_TOPALIGN, corner.x, corner.y, GetParent(hwnd()));
    result = TBDDRET_DEFAULT;
    return true;
  }
  return false;
}

LRESULT CToolBar::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message)
  {
  case WM_NOTIFY:
  {
    // The tips ask the tool's window, this toolbar, for their text; the
    // answer is the parent's, which knows the buttons by position.
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && m_tips && header->hwndFrom == m_tips.get() && header->code == UINT(TTN_NEEDTEXTW))
      return SendMessageW(GetParent(hwnd()), WM_NOTIFY, header->idFrom, lParam);
    break;
  }
  case WM_SIZE:
  case WM_WINDOWPOSCHANGED:
  {
    const LRESULT result = previousProc(message, wParam, lParam);
    updateTips();
    return result;
  }
  case WM_DESTROY:
    m_tips.reset();
    m_tools = 0;
    break;
  default: break;
  }
  return previousProc(message, wParam, lParam);
}

// One tool per button, id = position + 1, over the button's rectangle.
void CToolBar::updateTips()
{
  if (!m_tips || !hwnd())
    return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd();
  for (int i = 0; i < m_tools; ++i)
  {
    tool.uId = UINT_PTR(i + 1);
    SendMessageW(m_tips.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  m_tools = buttonCount();
  for (int i = 0; i < m_tools; ++i)
  {
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = UINT_PTR(i + 1);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(hwnd(), TB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageW(m_tips.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}
} // namespace fw
