// MainMenu: the host's menu bar and the keys that stand for its items.
//
//   MenuCommand             the commands of the menu bar (File, Edit)
//   createMainMenu          the menu bar with its items, as the frame shows it
//   createMainAccelerators  Ctrl+O, Ctrl+S, Ctrl+Z, Ctrl+Y
//   takesTyping             whether keys to a window edit its text
//   menuCommandLine         the command line an item runs
//   showUndoSteps           the Edit menu's items, named after their steps
#pragma once

#include "od/OdString.h"
#include "win32/Handles.h"

#include <windows.h>

namespace host
{
// The numbers a Windows frame gives these commands by custom, out of the
// range of the frame's child controls.
enum class MenuCommand : UINT
{
  Open = 0xE101,
  Close = 0xE102,
  Save = 0xE103,
  SaveAs = 0xE104,
  Undo = 0xE12B,
  Redo = 0xE12C,
  Exit = 0xE141,
};

// File: Open..., Save, Save As..., Close, Exit. Edit: Undo, Redo.
win::Menu createMainMenu();
win::Accelerators createMainAccelerators();

// An edit box (the command line, a list's label edit, a grid's editor, a
// combo box's edit): there Ctrl+Z undoes the typing and Ctrl+S, Ctrl+O
// and Ctrl+Y are the box's own, never the drawing's.
bool takesTyping(HWND window);

// What the item runs, as typed on the command line; empty for no command
// of the menu bar. Save on a document without a DXF file asks for one, as
// Save As does.
OdString menuCommandLine(UINT command, bool hasDxfFile);

// Undo and Redo say what they take back and put back: "&Undo
// Glossiness\tCtrl+Z", plain "&Undo\tCtrl+Z" for a step without a name
// (or none). A name shows as it is: its ampersands are no mnemonics.
void showUndoSteps(HMENU bar, const OdString& undoName, const OdString& redoName);
} // namespace host
