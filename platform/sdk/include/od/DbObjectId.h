// Object ids and handles, and the enumerations shared by the database classes.
#pragma once

#include "od/OdArray.h"
#include "od/RxObject.h"

class OdDbDatabase;
class OdDbObject;
struct OdDbStub;
using OdDbObjectPtr = OdSmartPtr<OdDbObject>;

namespace OdDb
{
enum OpenMode
{
  kNotOpen = -1,
  kForRead = 0,
  kForWrite = 1,
  kForNotify = 2,
};

enum DuplicateRecordCloning
{
  kDrcNotApplicable = 0,
  kDrcIgnore = 1,
  kDrcReplace = 2,
  kDrcXrefMangleName = 3,
  kDrcMangleName = 4,
  kDrcUnmangleName = 5,
};

enum DeepCloneType
{
  kDcCopy = 0,
  kDcWblock = 2,
};

enum MeasurementValue
{
  kEnglish = 0,
  kMetric = 1,
};

// How a viewport, and a view of it (OdGsView::RenderMode), draws.
enum RenderMode
{
  k2DOptimized = 0,
  kWireframe = 1,
  kHiddenLine = 2,
  kFlatShaded = 3,
  kGouraudShaded = 4,
  kFlatShadedWithWireframe = 5,
  kGouraudShadedWithWireframe = 6,
};
} // namespace OdDb

namespace OdRx
{
enum DictIterType
{
  kDictCollated = 0,
  kDictSorted = 1,
};
} // namespace OdRx

class OdDbHandle
{
public:
  OdDbHandle() = default;
  OdDbHandle(OdUInt64 value) : m_value(value) {}
  operator OdUInt64() const { return m_value; }
  bool isNull() const { return m_value == 0; }
  // Upper-case hexadecimal, as drawing files write handles.
  OdString ascii() const;

private:
  OdUInt64 m_value = 0;
};

// Names one object of one database. Copying is cheap; an id stays safe to use
// after its object is erased or its database is gone (it then opens nothing).
class OdDbObjectId
{
public:
  OdDbObjectId() = default;
  explicit OdDbObjectId(OdDbStub* stub) : m_stub(stub) {}

  static const OdDbObjectId kNull;

  bool isNull() const { return m_stub == nullptr; }
  // Not null, its database still exists and the object is there.
  bool isValid() const;
  bool isErased() const;
  OdDbDatabase* database() const;
  OdDbHandle getHandle() const;

  // Null (and the result code) when the object cannot be opened as asked.
  OdDbObjectPtr openObject(OdDb::OpenMode mode = OdDb::kForRead, bool openErased = false) const;
  OdResult openObject(OdDbObjectPtr& object, OdDb::OpenMode mode = OdDb::kForRead, bool openErased = false) const;
  // Throws OdError with the result code when it cannot be opened.
  OdDbObjectPtr safeOpenObject(OdDb::OpenMode mode = OdDb::kForRead, bool openErased = false) const;

  OdDbStub* stub() const { return m_stub; }
  void setNull() { m_stub = nullptr; }

  bool operator==(const OdDbObjectId& other) const { return m_stub == other.m_stub; }
  bool operator!=(const OdDbObjectId& other) const { return m_stub != other.m_stub; }
  bool operator<(const OdDbObjectId& other) const;
  explicit operator bool() const { return m_stub != nullptr; }

private:
  OdDbStub* m_stub = nullptr;
};

using OdDbObjectIdArray = OdArray<OdDbObjectId>;
