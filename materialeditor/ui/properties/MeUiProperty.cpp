#include "ui/properties/MeUiProperty.h"

namespace meui
{
unsigned MeUiProperty::AddRef() { return ++m_refCount; }

unsigned MeUiProperty::Release()
{
  if (--m_refCount > 0)
    return m_refCount;
  delete this;
  return 0;
}

bool MeUiProperty::QueryInterface(const std::type_info& type, void** out)
{
  const bool known = type == typeid(IKtUnknown);
  if (out)
    *out = known ? static_cast<IKtUnknown*>(this) : nullptr;
  if (known)
    AddRef();
  return known;
}
} // namespace meui
