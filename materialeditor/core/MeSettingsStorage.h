// The settings store (service 0): reads the six saved values when it is
// made, builds the name tables in initialize(), writes the values back when
// it is destroyed.
#pragma once

#include "core/IMeSettingsStorage.h"

namespace me
{
class MeSettingsStorage : public IMeSettingsStorage
{
public:
  // Reads "cmddata" / "MaterialEditor"; a missing profile or "cmddata"
  // leaves the defaults.
  MeSettingsStorage();
  // Writes the six values; nothing without a profile or "cmddata".
  ~MeSettingsStorage() override;
  MeSettingsStorage(const MeSettingsStorage&) = delete;
  MeSettingsStorage& operator=(const MeSettingsStorage&) = delete;

  // Builds the name tables. Fewer than four projection names in string 169
  // raise the SDK's invalid-index error.
  void initialize() override;

  void sampleObjectNames(OdArray<OdString>& names) const override;
  void setSampleObject(int code) override { m_sampleObject = code; }
  void setDiffuseMapPath(const OdString& path) override { m_diffuseMapPath = path; }
  void setBumpMapPath(const OdString& path) override { m_bumpMapPath = path; }
  void setLockPositionAxis(bool lock) override { m_lockPositionAxis = lock; }
  void setLockSampleSize(bool lock) override { m_lockSampleSize = lock; }
  void setBrowserImageSize(int size) override { m_browserImageSize = size; }
  void setBrowserView(int view) override { m_browserView = view; }
  void setExtendedRegime(bool extended) override { m_extendedRegime = extended; }
  float fixedValue() const override { return 80.0f; }
  bool isReservedMaterialName(const OdString& name) const override;
  bool lockPositionAxis() const override { return m_lockPositionAxis; }
  bool lockSampleSize() const override { return m_lockSampleSize; }
  bool extendedRegime() const override { return m_extendedRegime; }
  int browserImageSize() const override { return m_browserImageSize; }
  int browserView() const override { return m_browserView; }
  int projectionFromName(const wchar_t* name) const override;
  int tilingFromName(const wchar_t* name) const override;
  int sampleObjectFromName(const wchar_t* name) const override;
  int sampleObject() const override { return m_sampleObject; }
  const NameTable& projectionNames() const override { return m_projectionNames; }
  const NameTable& tilingNames() const override { return m_tilingNames; }
  OdString tilingName(int code) const override;
  OdString projectionName(int code) const override;
  OdString diffuseMapPath() const override { return m_diffuseMapPath; }
  OdString bumpMapPath() const override { return m_bumpMapPath; }
  OdString sampleObjectName(int code) const override;

private:
  int m_sampleObject = kSampleSphere;
  bool m_lockPositionAxis = false;
  bool m_lockSampleSize = true;
  int m_browserImageSize = 96;
  int m_browserView = 0;
  bool m_extendedRegime = false;
  OdString m_diffuseMapPath;
  OdString m_bumpMapPath;
  NameTable m_sampleObjectNames;
  NameTable m_tilingNames;
  NameTable m_projectionNames;
};
} // namespace me
