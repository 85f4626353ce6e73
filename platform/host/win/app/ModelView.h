// ModelView: the host's main area, the current document's model space drawn
// shaded by the drawing SDK's graphics system, with the selection outlined.
//
//   WM_PAINT         onPaint          draws again only what changed: the
//                                     device keeps its picture until the
//                                     drawing or the camera changes
//   WM_LBUTTONDOWN   press(Left)      a click picks (Shift adds or removes),
//                                     a drag on empty space selects by window,
//                                     Ctrl+drag orbits
//   WM_MBUTTONDOWN   press(Middle)    a drag pans, Shift+drag orbits
//   WM_MOUSEMOVE     move
//   WM_xBUTTONUP     release
//   WM_MOUSEWHEEL    zoom about the cursor
//   WM_CAPTURECHANGED                 a drag taken away ends without selecting
//   kForgetMessage   a database said goodbye: its device goes (posted)
//   WM_DESTROY       the drop target is revoked
//
// A drop target (ViewDropTarget.h) takes a material dragged from a palette
// and applies it to the entity under the drop.
//
// One device, view and picking model per document, kept while the document
// is open, so a switch back shows the camera the user left. A database
// reactor invalidates the window on any change (a material, a layer's
// material, an entity's material); the paint that follows, when the queue
// is idle, draws once however many changes came.
#pragma once

#include "JsonWriter.h"

#include "host/ModelPicking.h"
#include "od/OdSdk.h"
#include "win32/TWnd.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>

namespace host
{
class ViewDropTarget;

class ModelView final : public win::TWnd<ModelView>
{
public:
  ModelView();
  ~ModelView();
  ModelView(const ModelView&) = delete;
  ModelView& operator=(const ModelView&) = delete;

  // Told when the user's mouse changes the selection.
  std::function<void(const OdDbObjectIdArray& selection)> onSelect;
  // Gives the entity of the shown drawing the material dropped on it.
  std::function<void(const OdDbObjectId& entity, const OdDbObjectId& material)> onDropMaterial;

  bool create(HWND parent, int id);

  // Shows the database (null: nothing) with the selection outlined; cheap
  // when neither changed, as it is called after every command.
  void show(OdDbDatabase* database, const OdDbObjectIdArray& selection);
  // Drops what is kept for a database that is about to close.
  void forget(OdDbDatabase* database);

  // The drawing shown, null for none.
  OdDbDatabase* shownDatabase() const;
  // The entity nearest the camera under a client point, null on empty space.
  OdDbObjectId entityAt(POINT client);

  // The size, the mean colour of the picture, the camera and each entity's
  // box with the mean colour inside it, as DUMP gives them under "view".
  void dump(JsonWriter& json);

  // The wheel goes to the focus; over the view it zooms the view wherever
  // the focus is (a user expects it under the pointer). True when the
  // message was retargeted.
  static bool routeWheel(MSG& message);

private:
  struct Shown;
  class Reactor;
  enum class Drag
  {
    None,
    Pending, // left button down, not moved far enough to be a drag
    Window,
    Pan,
    Orbit,
  };

  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onPaint();
  void onSize(int width, int height);
  void press(POINT point, bool middle, WPARAM keys);
  void move(POINT point);
  void release(POINT point);
  void wheel(POINT screen, int delta);
  void endDrag();
  // The picture up to date for the current size; false with nothing shown.
  bool render();
  // The picking model of the shown database, read again after a change.
  const ModelPicker& picker();
  OdGsView* view() const;
  void select(const OdDbObjectIdArray& ids);
  void changed(Shown& shown);
  void goodbye(Shown& shown);

  ViewDropTarget* m_dropTarget = nullptr; // registered while the window lives
  std::map<OdDbDatabase*, std::unique_ptr<Shown>> m_kept;
  Shown* m_shown = nullptr;
  OdDbObjectIdArray m_selection;
  Drag m_drag = Drag::None;
  bool m_dragAdds = false; // Shift held when the left button went down
  POINT m_start{}, m_last{};
  bool m_paintAsked = false; // a change has invalidated the view since its last paint
};
} // namespace host
