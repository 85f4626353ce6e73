// Run-time classes, reference-counted objects and their smart pointer.
//
//   OdRxObject     root of every SDK object: reference count, class query
//   OdRxClass      a run-time class: name, parent, factory; kept in a
//                  process-wide dictionary by name
//   OdSmartPtr<T>  owning pointer that checks the class when it converts
#pragma once

#include "od/OdError.h"

#include <atomic>
#include <type_traits>
#include <utility>

class OdRxClass;
class OdRxObject;
template <class T> class OdSmartPtr;
using OdRxObjectPtr = OdSmartPtr<OdRxObject>;

enum OdRxObjMod { kOdRxObjAttach };

class OdRxObject
{
public:
  virtual ~OdRxObject() = default;
  OdRxObject(const OdRxObject&) = delete;
  OdRxObject& operator=(const OdRxObject&) = delete;

  virtual void addRef() const { m_refs.fetch_add(1, std::memory_order_relaxed); }
  virtual void release() const
  {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
      delete this;
  }
  virtual long numRefs() const { return m_refs.load(std::memory_order_relaxed); }

  static OdRxClass* desc();
  virtual OdRxClass* isA() const;
  bool isKindOf(const OdRxClass* cls) const;
  // This object (with a reference added) when it is of the class, else null.
  virtual OdRxObject* queryX(const OdRxClass* cls) const;

  // A new object of the same class holding a copy of this one's data.
  virtual OdRxObjectPtr clone() const;
  // Copies the data of an object of the same class; the base copies nothing.
  virtual void copyFrom(const OdRxObject* source);

protected:
  OdRxObject() = default;
  long decrementRefs() const { return m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
  mutable std::atomic<long> m_refs{0};
};

class OdRxClass
{
public:
  using Constructor = OdRxObject* (*)();

  OdRxClass(const OdString& name, OdRxClass* parent, Constructor constructor)
    : m_name(name), m_parent(parent), m_constructor(constructor)
  {
  }
  OdRxClass(const OdRxClass&) = delete;
  OdRxClass& operator=(const OdRxClass&) = delete;

  const OdString& name() const { return m_name; }
  OdRxClass* myParent() const { return m_parent; }
  bool isDerivedFrom(const OdRxClass* other) const;
  // A new object of this class; eNotApplicable for an abstract class.
  OdRxObjectPtr create() const;

private:
  OdString m_name;
  OdRxClass* m_parent;
  Constructor m_constructor;
};

// The dictionary of registered classes, by name.
OdRxClass* odrxFindClass(const OdString& name);
// Creates and registers a class; eDuplicateKey when the name is taken.
OdRxClass* newOdRxClass(const OdString& name, OdRxClass* parent, OdRxClass::Constructor constructor = nullptr);
// Removes a class from the dictionary and frees it; unknown classes are ignored.
void deleteOdRxClass(OdRxClass* cls);

template <class T>
class OdSmartPtr
{
public:
  OdSmartPtr() = default;
  OdSmartPtr(std::nullptr_t) {}
  OdSmartPtr(const T* object) : m_obj(const_cast<T*>(object)) { addRef(); }
  OdSmartPtr(const T* object, OdRxObjMod) : m_obj(const_cast<T*>(object)) {}
  OdSmartPtr(const OdSmartPtr& other) : m_obj(other.m_obj) { addRef(); }
  OdSmartPtr(OdSmartPtr&& other) noexcept : m_obj(other.m_obj) { other.m_obj = nullptr; }

  // From a pointer to a base class: checked, throws OdError_NotThatKindOfClass.
  template <class U, typename std::enable_if<!std::is_base_of<T, U>::value && std::is_base_of<OdRxObject, U>::value, int>::type = 0>
  OdSmartPtr(const U* object) { assign(object); }
  template <class U, typename std::enable_if<!std::is_base_of<T, U>::value, int>::type = 0>
  OdSmartPtr(const OdSmartPtr<U>& other) { assign(other.get()); }
  // From a derived class: no check needed.
  template <class U, typename std::enable_if<std::is_base_of<T, U>::value && !std::is_same<T, U>::value, int>::type = 0>
  OdSmartPtr(const OdSmartPtr<U>& other) : m_obj(other.get()) { addRef(); }

  ~OdSmartPtr() { release(); }

  OdSmartPtr& operator=(const OdSmartPtr& other)
  {
    OdSmartPtr(other).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(OdSmartPtr&& other) noexcept
  {
    OdSmartPtr(std::move(other)).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(const T* object)
  {
    OdSmartPtr(object).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(std::nullptr_t)
  {
    release();
    return *this;
  }

  void swap(OdSmartPtr& other) noexcept { std::swap(m_obj, other.m_obj); }

  T* get() const { return m_obj; }
  T* operator->() const
  {
    if (!m_obj)
      throw OdError(eNullPtr);
    return m_obj;
  }
  T& operator*() const { return *operator->(); }
  bool isNull() const { return m_obj == nullptr; }
  explicit operator bool() const { return m_obj != nullptr; }
  operator T*() const { return m_obj; }

  void release()
  {
    T* object = m_obj;
    m_obj = nullptr;
    if (object)
      static_cast<const OdRxObject*>(object)->release();
  }
  // Gives up the reference without releasing it.
  T* detach()
  {
    T* object = m_obj;
    m_obj = nullptr;
    return object;
  }
  void attach(const T* object)
  {
    release();
    m_obj = const_cast<T*>(object);
  }

private:
  void addRef() const
  {
    if (m_obj)
      static_cast<const OdRxObject*>(m_obj)->addRef();
  }
  void assign(const OdRxObject* object)
  {
    if (!object)
      return;
    if (!object->isKindOf(T::desc()))
      throw OdError_NotThatKindOfClass(object->isA(), T::desc());
    m_obj = static_cast<T*>(const_cast<OdRxObject*>(object));
    addRef();
  }

  T* m_obj = nullptr;
};

template <class T, class U>
bool operator==(const OdSmartPtr<T>& a, const OdSmartPtr<U>& b) { return static_cast<const void*>(a.get()) == static_cast<const void*>(b.get()); }
template <class T, class U>
bool operator!=(const OdSmartPtr<T>& a, const OdSmartPtr<U>& b) { return !(a == b); }

// Declares the run-time class members of an SDK class.
#define ODRX_DECLARE_MEMBERS(ClassName)                                   \
public:                                                                   \
  static OdRxClass* desc();                                               \
  OdRxClass* isA() const override;                                        \
  static OdSmartPtr<ClassName> cast(const OdRxObject* object)             \
  {                                                                       \
    if (object && object->isKindOf(ClassName::desc()))                    \
      return OdSmartPtr<ClassName>(static_cast<const ClassName*>(object)); \
    return OdSmartPtr<ClassName>();                                       \
  }                                                                       \
  static OdSmartPtr<ClassName> createObject()

// Defines them for a built-in class, registered on first use. Pass
// ODRX_CONSTRUCTOR(ClassName) or nullptr for an abstract class.
#define ODRX_DEFINE_MEMBERS(ClassName, ParentName, Constructor)            \
  OdRxClass* ClassName::desc()                                             \
  {                                                                        \
    static OdRxClass* cls = newOdRxClass(OdString(L## #ClassName), ParentName::desc(), Constructor); \
    return cls;                                                            \
  }                                                                        \
  OdRxClass* ClassName::isA() const { return ClassName::desc(); }          \
  OdSmartPtr<ClassName> ClassName::createObject()                          \
  {                                                                        \
    return OdSmartPtr<ClassName>(desc()->create());                        \
  }

#define ODRX_CONSTRUCTOR(ClassName) ([]() -> OdRxObject* { return new ClassName(); })
