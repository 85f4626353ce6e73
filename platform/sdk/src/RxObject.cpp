#include "od/RxObject.h"

#include <map>
#include <memory>

namespace
{
// Classes by name. Built-in classes live until the process ends; classes
// registered by modules are removed again by them.
std::map<OdString, std::unique_ptr<OdRxClass>>& classDictionary()
{
  static std::map<OdString, std::unique_ptr<OdRxClass>> classes;
  return classes;
}
} // namespace

OdRxClass* odrxFindClass(const OdString& name)
{
  auto& classes = classDictionary();
  auto it = classes.find(name);
  return it == classes.end() ? nullptr : it->second.get();
}

OdRxClass* newOdRxClass(const OdString& name, OdRxClass* parent, OdRxClass::Constructor constructor)
{
  auto& classes = classDictionary();
  if (classes.count(name))
    throw OdError(eDuplicateKey, OdString::format(L"Class '%s' is already registered", name));
  auto cls = std::make_unique<OdRxClass>(name, parent, constructor);
  OdRxClass* result = cls.get();
  classes.emplace(name, std::move(cls));
  return result;
}

void deleteOdRxClass(OdRxClass* cls)
{
  if (!cls)
    return;
  auto& classes = classDictionary();
  auto it = classes.find(cls->name());
  if (it != classes.end() && it->second.get() == cls)
    classes.erase(it);
}

bool OdRxClass::isDerivedFrom(const OdRxClass* other) const
{
  for (const OdRxClass* cls = this; cls; cls = cls->m_parent)
    if (cls == other)
      return true;
  return false;
}

OdRxObjectPtr OdRxClass::create() const
{
  if (!m_constructor)
    throw OdError(eNotApplicable, OdString::format(L"Class '%s' is abstract", m_name));
  return OdRxObjectPtr(m_constructor());
}

OdRxClass* OdRxObject::desc()
{
  static OdRxClass* cls = newOdRxClass(L"OdRxObject", nullptr, nullptr);
  return cls;
}

OdRxClass* OdRxObject::isA() const { return OdRxObject::desc(); }

bool OdRxObject::isKindOf(const OdRxClass* cls) const
{
  const OdRxClass* mine = isA();
  return mine && mine->isDerivedFrom(cls);
}

OdRxObject* OdRxObject::queryX(const OdRxClass* cls) const
{
  if (!isKindOf(cls))
    return nullptr;
  addRef();
  return const_cast<OdRxObject*>(this);
}

OdRxObjectPtr OdRxObject::clone() const
{
  OdRxObjectPtr copy = isA()->create();
  copy->copyFrom(this);
  return copy;
}

void OdRxObject::copyFrom(const OdRxObject* source)
{
  if (source && !source->isKindOf(isA()))
    throw OdError_NotThatKindOfClass(source->isA(), isA());
}

#include "od/RxModule.h"

OdRxClass* OdRxModule::desc()
{
  static OdRxClass* cls = newOdRxClass(L"OdRxModule", OdRxObject::desc(), nullptr);
  return cls;
}

OdRxClass* OdRxModule::isA() const { return OdRxModule::desc(); }

OdSmartPtr<OdRxModule> OdRxModule::createObject() { throw OdError(eNotApplicable, L"Modules are made by their libraries or the linker"); }
