#include "ViewDropTarget.h"

#include "od/DbMaterial.h"

#include <cstdint>

namespace host
{
namespace
{
UINT materialFormat()
{
  static const UINT format = RegisterClipboardFormatW(kMaterialDropFormat);
  return format;
}
} // namespace

HRESULT ViewDropTarget::QueryInterface(REFIID iid, void** object)
{
  if (!object)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget))
  {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ViewDropTarget::AddRef() { return ULONG(InterlockedIncrement(&m_refs)); }

ULONG ViewDropTarget::Release()
{
  const LONG left = InterlockedDecrement(&m_refs);
  if (left == 0)
    delete this;
  return ULONG(left);
}

OdDbObjectId ViewDropTarget::materialOf(IDataObject* data, std::uint64_t& drawing) const
{
  drawing = 0;
  OdDbDatabase* shown = m_hooks.shown ? m_hooks.shown() : nullptr;
  if (!data || !shown || !materialFormat())
    return OdDbObjectId();
  FORMATETC format{CLIPFORMAT(materialFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium)))
    return OdDbObjectId();
  MaterialDrop drop;
  bool read = false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
    if (const void* bytes = GlobalLock(medium.hGlobal))
    {
      read = readMaterialDrop(bytes, GlobalSize(medium.hGlobal), drop);
      GlobalUnlock(medium.hGlobal);
    }
  ReleaseStgMedium(&medium);
  // Another process's drawing, or another document's, is not this one's,
  // even one that took the address of a drawing closed since.
  if (!read || drop.processId != GetCurrentProcessId() || drop.drawing != shown->serialNumber())
    return OdDbObjectId();
  drawing = drop.drawing;
  const OdDbObjectId id = shown->getOdDbObjectId(OdDbHandle(drop.material));
  OdDbObjectPtr material = id.openObject(OdDb::kForRead);
  return material && material->isKindOf(OdDbMaterial::desc()) ? id : OdDbObjectId();
}

DWORD ViewDropTarget::answer(POINTL at, DWORD allowed, OdDbObjectId& entity)
{
  entity = OdDbObjectId();
  DWORD effect = DROPEFFECT_NONE;
  // The drawing may have changed under the drag, or another document come
  // to the view: the material is looked at again.
  const OdDbDatabase* shown = m_hooks.shown ? m_hooks.shown() : nullptr;
  if (!m_material.isNull() && shown && shown->serialNumber() == m_drawing && m_material.database() == shown &&
      m_material.openObject(OdDb::kForRead) && m_hooks.entityAt)
  {
    POINT client{at.x, at.y};
    ScreenToClient(m_view, &client);
    entity = m_hooks.entityAt(client);
    if (!entity.isNull())
      effect = (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : (allowed & DROPEFFECT_LINK) ? DROPEFFECT_LINK : 0;
  }
  m_lastEffect = effect;
  return effect;
}

HRESULT ViewDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect)
{
  m_material = materialOf(data, m_drawing);
  return DragOver(keys, at, effect);
}

HRESULT ViewDropTarget::DragOver(DWORD, POINTL at, DWORD* effect)
{
  if (!effect)
    return E_INVALIDARG;
  OdDbObjectId entity;
  *effect = answer(at, *effect, entity);
  return S_OK;
}

HRESULT ViewDropTarget::DragLeave()
{
  m_material = OdDbObjectId();
  m_drawing = 0;
  return S_OK;
}

HRESULT ViewDropTarget::Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect)
{
  if (!effect)
    return E_INVALIDARG;
  // Read again: the drawing may have changed since the drag came in.
  m_material = materialOf(data, m_drawing);
  OdDbObjectId entity;
  *effect = answer(at, *effect, entity);
  const OdDbObjectId material = m_material;
  m_material = OdDbObjectId();
  m_drawing = 0;
  if (*effect != DROPEFFECT_NONE && m_hooks.apply)
    m_hooks.apply(entity, material);
  return S_OK;
}
} // namespace host
