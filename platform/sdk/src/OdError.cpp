#include "od/OdError.h"

#include "od/RxObject.h"

OdString odResultText(OdResult code)
{
  switch (code)
  {
  case eOk: return L"No error";
  case eNotImplemented: return L"Not implemented";
  case eNotApplicable: return L"Not applicable";
  case eInvalidInput: return L"Invalid input";
  case eNullPtr: return L"Null pointer";
  case eNotThatKindOfClass: return L"Object of wrong class";
  case eInvalidIndex: return L"Invalid index";
  case eOutOfMemory: return L"Out of memory";
  case eKeyNotFound: return L"Key not found";
  case eFileNotFound: return L"File not found";
  case eCantOpenFile: return L"Can't open file";
  case eInvalidDrawingFile: return L"Invalid drawing file";
  case eNotOpenForRead: return L"Object not open for read";
  case eNotOpenForWrite: return L"Object not open for write";
  case eWasOpenedForWrite: return L"Object is already open for write";
  case eWasErased: return L"Object was erased";
  case eWasNotErased: return L"Object was not erased";
  case eNotInDatabase: return L"Object is not in a database";
  case eAlreadyInDb: return L"Object is already in a database";
  case eWrongDatabase: return L"Object belongs to another database";
  case eInvalidOpenState: return L"Invalid open state";
  case eNullObjectId: return L"Null object id";
  case eInvalidOwnerObject: return L"Invalid owner object";
  case eDuplicateKey: return L"Duplicate key";
  case eCannotBeErasedByCaller: return L"Object can't be erased by caller";
  case eNoDatabase: return L"No database";
  case eInvalidObjectId: return L"Invalid object id";
  }
  return OdString::format(L"Error %d", int(code));
}

OdError::OdError(OdResult code) : OdError(code, odResultText(code)) {}

OdError::OdError(OdResult code, const OdString& description)
  : m_code(code), m_description(description), m_what(description.toUtf8())
{
}

namespace
{
OdString className(const OdRxClass* cls) { return cls ? cls->name() : OdString(L"(none)"); }
} // namespace

OdError_NotThatKindOfClass::OdError_NotThatKindOfClass(const OdRxClass* objectClass, const OdRxClass* expectedClass)
  : OdError(eNotThatKindOfClass,
            OdString::format(L"Object of class %s can't be cast to %s.", className(objectClass), className(expectedClass))),
    m_from(className(objectClass)), m_to(className(expectedClass))
{
}
