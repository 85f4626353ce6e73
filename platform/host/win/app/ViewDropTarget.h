// ViewDropTarget: the model view as an OLE drop target for a material
// dragged from a module's palette (host/MaterialDrop.h). Over an entity of
// the drawing the view shows it answers copy (or link, when the source
// offers only that); elsewhere, for another drawing or for data it does not
// know, none. A drop that was answered so applies the material to the
// entity under the point.
#pragma once

#include "host/MaterialDrop.h"
#include "od/OdSdk.h"

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <functional>

namespace host
{
class ViewDropTarget final : public IDropTarget
{
public:
  struct Hooks
  {
    // The drawing the view shows, null for none.
    std::function<OdDbDatabase*()> shown;
    // The entity under a client point, null on empty space.
    std::function<OdDbObjectId(POINT client)> entityAt;
    // Gives the entity the material; the view is drawn again at once.
    std::function<void(const OdDbObjectId& entity, const OdDbObjectId& material)> apply;
  };

  ViewDropTarget(HWND view, Hooks hooks) : m_view(view), m_hooks(std::move(hooks)) {}
  ViewDropTarget(const ViewDropTarget&) = delete;
  ViewDropTarget& operator=(const ViewDropTarget&) = delete;

  // The effect answered last (DROPEFFECT_NONE before the first drag).
  DWORD lastEffect() const { return m_lastEffect; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

private:
  ~ViewDropTarget() = default;
  // The material the data names in the shown drawing, with that drawing's
  // serial number; null (and 0) when the view cannot take it.
  OdDbObjectId materialOf(IDataObject* data, std::uint64_t& drawing) const;
  // The effect for a screen point, with the entity under it.
  DWORD answer(POINTL at, DWORD allowed, OdDbObjectId& entity);

  LONG m_refs = 1;
  HWND m_view;
  Hooks m_hooks;
  OdDbObjectId m_material;     // of the drag under way, null when not taken
  std::uint64_t m_drawing = 0; // the serial number of m_material's drawing
  DWORD m_lastEffect = DROPEFFECT_NONE;
};
} // namespace host
