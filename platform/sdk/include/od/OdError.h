// Result codes and the exception that carries them.
#pragma once

#include "od/OdString.h"

#include <exception>
#include <string>

enum OdResult
{
  eOk = 0,
  eNotImplemented = 1,
  eNotApplicable = 2,
  eInvalidInput = 3,
  eNullPtr = 4,
  eNotThatKindOfClass = 5,
  eInvalidIndex = 6,
  eOutOfMemory = 7,
  eKeyNotFound = 8,
  eFileNotFound = 9,
  eCantOpenFile = 10,
  eInvalidDrawingFile = 11,
  eNotOpenForRead = 12,
  eNotOpenForWrite = 13,
  eWasOpenedForWrite = 14,
  eWasErased = 15,
  eWasNotErased = 16,
  eNotInDatabase = 17,
  eAlreadyInDb = 18,
  eWrongDatabase = 19,
  eInvalidOpenState = 20,  // the object could not be opened as asked
  eNullObjectId = 21,       // an operation gave no object id
  eInvalidOwnerObject = 22,
  eDuplicateKey = 27,
  eCannotBeErasedByCaller = 116,
  eNoDatabase = 122,
  eInvalidObjectId = 398,  // an id that leads to no object, or a key with no entry
};

// Short English description of a result code.
OdString odResultText(OdResult code);

class OdRxClass;

class OdError : public std::exception
{
public:
  explicit OdError(OdResult code);
  OdError(OdResult code, const OdString& description);

  OdResult code() const { return m_code; }
  const OdString& description() const { return m_description; }
  const char* what() const noexcept override { return m_what.c_str(); }

private:
  OdResult m_code;
  OdString m_description;
  std::string m_what;
};

// A cast or open that met an object of another class; names both classes.
class OdError_NotThatKindOfClass : public OdError
{
public:
  OdError_NotThatKindOfClass(const OdRxClass* objectClass, const OdRxClass* expectedClass);
  const OdString& objectClassName() const { return m_from; }
  const OdString& expectedClassName() const { return m_to; }

private:
  OdString m_from;
  OdString m_to;
};

class OdError_InvalidIndex : public OdError
{
public:
  OdError_InvalidIndex() : OdError(eInvalidIndex) {}
};
