// Boxed values and property dictionaries.
//
//   OdRxVariant       one value (bool, integer, real, string) as an object
//   OdRxVariantValue  smart pointer that boxes a value: OdRxVariantValue(true)
//   OdRxDictionary    objects by name; devices expose their properties as one
#pragma once

#include "od/RxObject.h"

#include <cstdint>

// An integer wide enough for a window or device-context handle.
using OdIntPtr = std::intptr_t;

class OdRxVariant : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdRxVariant);
  enum class Type
  {
    kVoid,
    kBool,
    kInt,
    kDouble,
    kString,
  };
  OdRxVariant() = default;

  Type varType() const { return m_type; }
  // Conversions between the numeric kinds are allowed; a string or an empty
  // value asked for as a number throws eInvalidInput.
  bool getBool() const;
  OdInt64 getInt64() const;
  OdIntPtr getIntPtr() const { return OdIntPtr(getInt64()); }
  double getDouble() const;
  // Only a string value gives text; other kinds throw eInvalidInput.
  const OdString& getString() const;

  void setBool(bool value);
  void setInt64(OdInt64 value);
  void setDouble(double value);
  void setString(const OdString& value);

  void copyFrom(const OdRxObject* source) override;

private:
  Type m_type = Type::kVoid;
  OdInt64 m_int = 0;
  double m_real = 0.0;
  OdString m_text;
};
using OdRxVariantPtr = OdSmartPtr<OdRxVariant>;

// A new boxed value. Reading back: OdRxVariantValue(dictionary->getAt(key)).
class OdRxVariantValue : public OdRxVariantPtr
{
public:
  explicit OdRxVariantValue(bool value);
  explicit OdRxVariantValue(int value);
  explicit OdRxVariantValue(long value);
  explicit OdRxVariantValue(long long value);
  explicit OdRxVariantValue(double value);
  explicit OdRxVariantValue(const OdString& value);
  // Checked view of an object held elsewhere (eNotThatKindOfClass otherwise).
  explicit OdRxVariantValue(const OdRxObjectPtr& object);
};

class OdRxDictionary : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdRxDictionary);
  virtual bool has(const OdString& key) const = 0;
  // Null when there is no such key.
  virtual OdRxObjectPtr getAt(const OdString& key) const = 0;
  // Stores the value and returns the one it replaced. A key the dictionary
  // does not offer throws eKeyNotFound; a value it cannot take eInvalidInput.
  virtual OdRxObjectPtr putAt(const OdString& key, OdRxObject* value) = 0;
  virtual OdUInt32 numEntries() const = 0;
  // Keys in a fixed order; eInvalidIndex past the end.
  virtual OdString keyAt(OdUInt32 index) const = 0;

protected:
  OdRxDictionary() = default;
};
using OdRxDictionaryPtr = OdSmartPtr<OdRxDictionary>;
