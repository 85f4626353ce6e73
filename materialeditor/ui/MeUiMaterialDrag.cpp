#include "ui/MeUiMaterialDrag.h"

#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "host/MaterialDrop.h"
#include "od/DbDatabase.h"

#include <windows.h>
#include <ole2.h>

#include <cstdint>

namespace meui
{
namespace
{
UINT materialFormat()
{
  static const UINT format = RegisterClipboardFormatW(host::kMaterialDropFormat);
  return format;
}

// One COM object's reference count; deleted at the last release.
template <class Interface>
class Counted : public Interface
{
public:
  virtual ~Counted() = default;
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&m_refs)); }
  ULONG STDMETHODCALLTYPE Release() override
  {
    const LONG left = InterlockedDecrement(&m_refs);
    if (left == 0)
      delete this;
    return ULONG(left);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
  {
    if (!object)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface)))
    {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

private:
  LONG m_refs = 1;
};

// The material in the host's format, and nothing else.
class MaterialData final : public Counted<IDataObject>
{
public:
  explicit MaterialData(const host::MaterialDrop& drop) : m_drop(drop) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override
  {
    if (!medium)
      return E_POINTER;
    const HRESULT known = QueryGetData(format);
    if (known != S_OK)
      return known;
    HGLOBAL bytes = GlobalAlloc(GMEM_MOVEABLE, sizeof m_drop);
    if (!bytes)
      return E_OUTOFMEMORY;
    if (void* at = GlobalLock(bytes))
    {
      memcpy(at, &m_drop, sizeof m_drop);
      GlobalUnlock(bytes);
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = bytes;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override
  {
    if (!format)
      return E_POINTER;
    if (format->cfFormat != materialFormat() || format->dwAspect != DVASPECT_CONTENT)
      return DV_E_FORMATETC;
    return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
  {
    if (out)
      out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
  {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
  const host::MaterialDrop m_drop;
};

// Drops at the left button's release, gives up at Esc; the system's cursors.
class MaterialSource final : public Counted<IDropSource>
{
public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override
  {
    if (escape)
      return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

template <class T>
struct Releaser
{
  T* object;
  ~Releaser() { object->Release(); }
};
} // namespace

bool dragMaterial(const OdDbObjectId& material)
{
  OdDbDatabase* database = material.database();
  if (!database || !materialFormat())
    return false;
  host::MaterialDrop drop;
  drop.processId = GetCurrentProcessId();
  drop.drawing = database->serialNumber();
  drop.material = OdUInt64(material.getHandle());
  const Releaser<MaterialData> data{new MaterialData(drop)};
  const Releaser<MaterialSource> source{new MaterialSource()};
  DWORD effect = DROPEFFECT_NONE;
  if (DoDragDrop(data.object, source.object, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect) != DRAGDROP_S_DROP ||
      effect == DROPEFFECT_NONE)
    return false;
  // The drawing may have closed during the drag, and another taken its
  // address: the step is named only in the drawing the drag began in.
  OdDbDatabase* now = material.database();
  if (now && now->serialNumber() == drop.drawing)
    me::nameUndoStep(now, me::loadString(me::kStrStepApplyMaterial));
  return true;
}
} // namespace meui
