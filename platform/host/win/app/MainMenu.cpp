#include "MainMenu.h"

namespace host
{
namespace
{
struct Item
{
  MenuCommand command;
  const wchar_t* text;
};

UINT id(MenuCommand command) { return UINT(command); }

// A null text is a separator.
void appendItems(HMENU menu, std::initializer_list<Item> items)
{
  for (const Item& item : items)
    if (item.text)
      AppendMenuW(menu, MF_STRING, id(item.command), item.text);
    else
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

bool appendPopup(HMENU bar, const wchar_t* text, std::initializer_list<Item> items)
{
  win::Menu popup(CreatePopupMenu());
  if (!popup)
    return false;
  appendItems(popup.get(), items);
  // The bar owns the pop-up from here on.
  if (!AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), text))
    return false;
  popup.detach();
  return true;
}
} // namespace

win::Menu createMainMenu()
{
  win::Menu bar(CreateMenu());
  if (!bar)
    return bar;
  const bool made =
    appendPopup(bar.get(), L"&File",
                {{MenuCommand::Open, L"&Open...\tCtrl+O"},
                 {MenuCommand::Save, L"&Save\tCtrl+S"},
                 {MenuCommand::SaveAs, L"Save &As..."},
                 {MenuCommand::Close, L"&Close"},
                 {MenuCommand{}, nullptr},
                 {MenuCommand::Exit, L"E&xit"}}) &&
    appendPopup(bar.get(), L"&Edit", {{MenuCommand::Undo, L"&Undo\tCtrl+Z"}, {MenuCommand::Redo, L"&Redo\tCtrl+Y"}});
  if (!made)
    bar.reset();
  return bar;
}

win::Accelerators createMainAccelerators()
{
  ACCEL keys[] = {
    {FCONTROL | FVIRTKEY, 'O', WORD(id(MenuCommand::Open))},
    {FCONTROL | FVIRTKEY, 'S', WORD(id(MenuCommand::Save))},
    {FCONTROL | FVIRTKEY, 'Z', WORD(id(MenuCommand::Undo))},
    {FCONTROL | FVIRTKEY, 'Y', WORD(id(MenuCommand::Redo))},
  };
  return win::Accelerators(CreateAcceleratorTableW(keys, int(std::size(keys))));
}

bool takesTyping(HWND window)
{
  if (!window || !IsWindow(window))
    return false;
  wchar_t name[16] = L"";
  if (GetClassNameW(window, name, int(std::size(name))) && lstrcmpiW(name, L"Edit") == 0)
    return true;
  // An edit box of another class (a rich edit, a control made on an edit)
  // still says that it keeps a selection of text.
  return (SendMessageW(window, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
}

OdString menuCommandLine(UINT command, bool hasDxfFile)
{
  switch (MenuCommand(command))
  {
  case MenuCommand::Open: return L"OPEN";
  case MenuCommand::Save: return hasDxfFile ? L"SAVE" : L"SAVEAS";
  case MenuCommand::SaveAs: return L"SAVEAS";
  case MenuCommand::Close: return L"CLOSE";
  case MenuCommand::Exit: return L"QUIT";
  case MenuCommand::Undo: return L"UNDO";
  case MenuCommand::Redo: return L"REDO";
  }
  return OdString();
}

namespace
{
// A step's name as a menu shows it: "&" doubled, so that it shows and marks
// no key; control characters (a tab would start the key's column) as blanks;
// a long name cut, so the menu stays on the screen.
OdString menuText(const OdString& name)
{
  constexpr int kLongest = 64;
  OdString text;
  for (int i = 0; i < name.getLength() && i < kLongest; ++i)
  {
    const wchar_t ch = name[i];
    if (ch == L'&')
      text += L"&&";
    else
      text += ch < L' ' ? L' ' : ch;
  }
  if (name.getLength() > kLongest)
    text += L"...";
  return text;
}

void setItemText(HMENU menu, MenuCommand command, const wchar_t* verb, const OdString& name, const wchar_t* key)
{
  OdString text = verb;
  if (!name.isEmpty())
    text += L" " + menuText(name);
  text += L"\t";
  text += key;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  SetMenuItemInfoW(menu, UINT(command), FALSE, &info);
}
} // namespace

void showUndoSteps(HMENU bar, const OdString& undoName, const OdString& redoName)
{
  if (!bar)
    return;
  setItemText(bar, MenuCommand::Undo, L"&Undo", undoName, L"Ctrl+Z");
  setItemText(bar, MenuCommand::Redo, L"&Redo", redoName, L"Ctrl+Y");
}
} // namespace host
