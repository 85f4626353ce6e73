// The settings store (service 0): six values kept in the host profile
// between runs, two file paths of the run, and the name tables of sample
// objects, tiling modes and projections.
#pragma once

#include "core/MeServices.h"
#include "od/OdArray.h"
#include "od/OdString.h"

#include <map>

namespace me
{
enum SampleObject
{
  kSampleSphere = 0,
  kSampleCube = 1,
  kSampleTorus = 4,
};

class IMeSettingsStorage : public IMeServiceItem
{
public:
  using NameTable = std::map<int, OdString>;

  // Appends the sample object names in code order.
  virtual void sampleObjectNames(OdArray<OdString>& names) const = 0;
  virtual void setSampleObject(int code) = 0;
  virtual void setDiffuseMapPath(const OdString& path) = 0;
  virtual void setBumpMapPath(const OdString& path) = 0;
  virtual void setLockPositionAxis(bool lock) = 0;
  virtual void setLockSampleSize(bool lock) = 0;
  virtual void setBrowserImageSize(int size) = 0;
  virtual void setBrowserView(int view) = 0;
  virtual void setExtendedRegime(bool extended) = 0;
  virtual float fixedValue() const = 0;
  virtual bool isReservedMaterialName(const OdString& name) const = 0;
  virtual bool lockPositionAxis() const = 0;
  virtual bool lockSampleSize() const = 0;
  virtual bool extendedRegime() const = 0;
  virtual int browserImageSize() const = 0;
  virtual int browserView() const = 0;
  // Codes by name, ignoring case: 4, 1 and 0 when no name matches.
  virtual int projectionFromName(const wchar_t* name) const = 0;
  virtual int tilingFromName(const wchar_t* name) const = 0;
  virtual int sampleObjectFromName(const wchar_t* name) const = 0;
  virtual int sampleObject() const = 0;
  virtual const NameTable& projectionNames() const = 0;
  virtual const NameTable& tilingNames() const = 0;
  // Empty for a code not in the table.
  virtual OdString tilingName(int code) const = 0;
  virtual OdString projectionName(int code) const = 0;
  virtual OdString diffuseMapPath() const = 0;
  virtual OdString bumpMapPath() const = 0;
  // The translation of "Unknown preview sampe type" for a code not in the table.
  virtual OdString sampleObjectName(int code) const = 0;
};
} // namespace me
