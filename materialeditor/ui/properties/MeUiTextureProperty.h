// The map slot rows: which map a material channel uses, and a button whose
// menu offers the actions on it. The row only shows the text and the menu;
// the owner window (the material properties dialog) carries out the
// commands it receives.
//
//   MeUiTextureProperty         base: no text, no action
//   MeUiDiffuseTextureProperty  the diffuse map ("Map.Diffuse")
//   mapMenuItems                the button's menu, greyed as the map allows
#pragma once

#include "host/HostVariant.h"
#include "ui/properties/MeUiProperty.h"

#include <vector>

namespace meui
{
// Commands the map menu sends to its owner window.
enum MapCommand : unsigned
{
  kMapCommandImage = 1000,  // choose an image file
  kMapCommandRemove = 1001, // remove the map
  kMapCommandEdit = 1002,   // open the Texture editor on it
};

struct MapMenuItem
{
  unsigned command = 0; // 0: a separator
  CXStringW text;
  bool enabled = true;
};

// "Image..."; a separator; "&Remove" and "&Edit...", both greyed unless the
// channel has a usable map.
std::vector<MapMenuItem> mapMenuItems(bool mapAvailable);

class MeUiTextureProperty : public MeUiProperty
{
public:
  // The owner window receives the menu's commands (a window handle).
  MeUiTextureProperty(const OdString& label, void* ownerWindow) : MeUiProperty(label), m_ownerWindow(ownerWindow) {}

  virtual bool getValue(CXStringW& text);
  virtual bool setValue(CXStringW text);
  // What the cell's button does.
  virtual bool buttonAction();
  void* ownerWindow() const { return m_ownerWindow; }

protected:
  // Shows the menu at the pointer, owned by the owner window, until it
  // closes; the chosen command, 0 when none (always, in a build without
  // windows).
  virtual unsigned showMenu(const std::vector<MapMenuItem>& items);
  // Sends the command to the owner window, as the menu would have.
  virtual void sendCommand(unsigned command);

private:
  void* m_ownerWindow;
};

class MeUiDiffuseTextureProperty : public MeUiTextureProperty
{
public:
  using MeUiTextureProperty::MeUiTextureProperty;

  // A read-only text row with the themed button; null in a build without windows.
  void createEditableProperty(IKtEditableProperty*& out) override;
  // "No texture specified", the file name without folders (of the file the
  // host's search found, when it is not where the material says), "Unable to
  // find texture file '%s'", or the name of a procedural or scene map.
  bool getValue(CXStringW& text) override;
  // The menu; its command reaches the owner only when the drawing, the
  // material and its map are still the ones the menu was opened for.
  bool buttonAction() override;
};
} // namespace meui
