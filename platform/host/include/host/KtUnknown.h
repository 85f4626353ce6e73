// Reference counting of the property grid's objects: rows, row sources and
// providers.
//
//   IKtUnknown         AddRef, Release, QueryInterface (slots 0 to 2)
//   CKtUnknownImpl<I>  the count and the query for an interface I
//   KtRef<T>           holds one reference for a scope
//
// A count starts at 1 when an object is made; its creator hands that
// reference on. At 0 the object deletes itself. Interfaces are named by
// their type records, which compare equal across the host's binaries.
#pragma once

#include <typeinfo>
#include <utility>

class IKtUnknown
{
public:
  virtual unsigned AddRef() = 0;
  virtual unsigned Release() = 0;
  // On a match stores the interface in out (when given), adds a reference
  // and answers true; otherwise stores null and answers false.
  virtual bool QueryInterface(const std::type_info& type, void** out) = 0;

protected:
  ~IKtUnknown() = default; // objects go through Release
};

// The typed query: KtQuery<IKtEditableProperty>(row) gives a new reference or null.
template <class I>
I* KtQuery(IKtUnknown* object)
{
  void* out = nullptr;
  return object && object->QueryInterface(typeid(I), &out) ? static_cast<I*>(out) : nullptr;
}

template <class I>
class CKtUnknownImpl : public I
{
public:
  unsigned AddRef() final { return InternalAddRef(); }
  unsigned Release() final { return InternalRelease(); }
  bool QueryInterface(const std::type_info& type, void** out) final { return InternalQueryInterface(type, out); }

protected:
  CKtUnknownImpl() = default;
  virtual ~CKtUnknownImpl() = default;
  CKtUnknownImpl(const CKtUnknownImpl&) = delete;
  CKtUnknownImpl& operator=(const CKtUnknownImpl&) = delete;

  virtual unsigned InternalAddRef() { return ++m_refCount; }
  virtual unsigned InternalRelease()
  {
    if (--m_refCount > 0)
      return m_refCount;
    delete this;
    return 0;
  }
  // Answers IKtUnknown and I; derived classes add theirs and call this last.
  virtual bool InternalQueryInterface(const std::type_info& type, void** out)
  {
    void* found = nullptr;
    if (type == typeid(IKtUnknown))
      found = static_cast<IKtUnknown*>(static_cast<I*>(this));
    else if (type == typeid(I))
      found = static_cast<I*>(this);
    return answerQuery(found, out);
  }
  bool answerQuery(void* found, void** out)
  {
    if (out)
      *out = found;
    if (!found)
      return false;
    InternalAddRef();
    return true;
  }

  unsigned m_refCount = 1;
};

// One reference held for the life of the holder.
template <class T>
class KtRef
{
public:
  KtRef() = default;
  // Takes over a reference the caller owns (a new object, a query's answer).
  static KtRef adopt(T* object)
  {
    KtRef ref;
    ref.m_object = object;
    return ref;
  }
  // Adds a reference of its own.
  explicit KtRef(T* object) : m_object(object)
  {
    if (m_object)
      m_object->AddRef();
  }
  KtRef(const KtRef& other) : KtRef(other.m_object) {}
  KtRef(KtRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  KtRef& operator=(KtRef other) noexcept
  {
    std::swap(m_object, other.m_object);
    return *this;
  }
  ~KtRef() { reset(); }

  void reset()
  {
    if (T* object = std::exchange(m_object, nullptr))
      object->Release();
  }
  T* get() const { return m_object; }
  T* operator->() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }

private:
  T* m_object = nullptr;
};
