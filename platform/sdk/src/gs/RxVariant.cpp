#include "od/RxVariant.h"

ODRX_DEFINE_MEMBERS(OdRxVariant, OdRxObject, ODRX_CONSTRUCTOR(OdRxVariant))
ODRX_DEFINE_MEMBERS(OdRxDictionary, OdRxObject, nullptr)

bool OdRxVariant::getBool() const
{
  switch (m_type)
  {
  case Type::kBool:
  case Type::kInt: return m_int != 0;
  case Type::kDouble: return m_real != 0.0;
  default: throw OdError(eInvalidInput, L"The value is not a number");
  }
}

OdInt64 OdRxVariant::getInt64() const
{
  switch (m_type)
  {
  case Type::kBool:
  case Type::kInt: return m_int;
  case Type::kDouble: return OdInt64(m_real);
  default: throw OdError(eInvalidInput, L"The value is not a number");
  }
}

double OdRxVariant::getDouble() const
{
  switch (m_type)
  {
  case Type::kBool:
  case Type::kInt: return double(m_int);
  case Type::kDouble: return m_real;
  default: throw OdError(eInvalidInput, L"The value is not a number");
  }
}

const OdString& OdRxVariant::getString() const
{
  if (m_type != Type::kString)
    throw OdError(eInvalidInput, L"The value is not a string");
  return m_text;
}

void OdRxVariant::setBool(bool value)
{
  m_type = Type::kBool;
  m_int = value ? 1 : 0;
}

void OdRxVariant::setInt64(OdInt64 value)
{
  m_type = Type::kInt;
  m_int = value;
}

void OdRxVariant::setDouble(double value)
{
  m_type = Type::kDouble;
  m_real = value;
}

void OdRxVariant::setString(const OdString& value)
{
  m_type = Type::kString;
  m_text = value;
}

void OdRxVariant::copyFrom(const OdRxObject* source)
{
  OdRxObject::copyFrom(source);
  const auto* other = static_cast<const OdRxVariant*>(source);
  m_type = other->m_type;
  m_int = other->m_int;
  m_real = other->m_real;
  m_text = other->m_text;
}

namespace
{
template <class Set>
OdRxVariantPtr boxed(Set&& set)
{
  OdRxVariantPtr value = OdRxVariant::createObject();
  set(*value);
  return value;
}
} // namespace

OdRxVariantValue::OdRxVariantValue(bool value) : OdRxVariantPtr(boxed([&](OdRxVariant& v) { v.setBool(value); })) {}
OdRxVariantValue::OdRxVariantValue(int value) : OdRxVariantPtr(boxed([&](OdRxVariant& v) { v.setInt64(value); })) {}
OdRxVariantValue::OdRxVariantValue(long value) : OdRxVariantPtr(boxed([&](OdRxVariant& v) { v.setInt64(value); })) {}
OdRxVariantValue::OdRxVariantValue(long long value) : OdRxVariantPtr(boxed([&](OdRxVariant& v) { v.setInt64(value); })) {}
OdRxVariantValue::OdRxVariantValue(double value) : OdRxVariantPtr(boxed([&](OdRxVariant& v) { v.setDouble(value); })) {}
OdRxVariantValue::OdRxVariantValue(const OdString& value)
  : OdRxVariantPtr(boxed([&](OdRxVariant& v) { v.setString(value); }))
{
}
OdRxVariantValue::OdRxVariantValue(const OdRxObjectPtr& object) : OdRxVariantPtr(object) {}
