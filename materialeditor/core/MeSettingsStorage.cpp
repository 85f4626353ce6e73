#include "core/MeSettingsStorage.h"

#include "core/MeHost.h"
#include "core/MeNames.h"
#include "core/MeStrings.h"

namespace me
{
namespace
{
const char kSection[] = "cmddata";
const char kSubSection[] = "MaterialEditor";
const char kSampleObject[] = "SampleObject";
const char kLockPositionAxis[] = "LockPositionAxis";
const char kLockSampleSize[] = "LockSampleSize";
const char kBrowserImageSize[] = "BrowserImageSize";
const char kBrowserView[] = "BrowserView";
const char kExtendedRegime[] = "ExtendedRegime";

// "cmddata" is the host's own and is never made here; "MaterialEditor" is.
IProfileSection* settingsSection()
{
  IProfile* profile = hostProfile();
  IProfileSection* section = profile ? profile->openSection(kSection, false) : nullptr;
  return section ? section->openSection(kSubSection, true) : nullptr;
}

// An entry made but never given a value counts as not found.
bool readNumber(const IProfileSection& section, const char* name, CKtVariant& value)
{
  return section.readValue(name, value) && !value.isEmpty();
}

void readInt(const IProfileSection& section, const char* name, int& target)
{
  CKtVariant value;
  if (readNumber(section, name, value))
    target = value.asInt();
}

// True only for exactly 1: a stored 2 or 1.5 is no "on".
void readBool(const IProfileSection& section, const char* name, bool& target)
{
  CKtVariant value;
  if (readNumber(section, name, value))
    target = value.type() == CKtVariant::Type::Real ? value.asReal() == 1.0 : value.asInt() == 1;
}

int codeFromName(const IMeSettingsStorage::NameTable& table, const wchar_t* name, int fallback)
{
  if (!name)
    return fallback;
  const OdString text(name);
  for (const auto& entry : table)
    if (entry.second.iCompare(text) == 0)
      return entry.first;
  return fallback;
}

OdString nameOf(const IMeSettingsStorage::NameTable& table, int code)
{
  auto it = table.find(code);
  return it == table.end() ? OdString() : it->second;
}
} // namespace

MeSettingsStorage::MeSettingsStorage()
{
  IProfileSection* section = settingsSection();
  if (!section)
    return;
  readInt(*section, kSampleObject, m_sampleObject);
  readBool(*section, kLockPositionAxis, m_lockPositionAxis);
  readBool(*section, kLockSampleSize, m_lockSampleSize);
  readInt(*section, kBrowserImageSize, m_browserImageSize);
  readInt(*section, kBrowserView, m_browserView);
  readBool(*section, kExtendedRegime, m_extendedRegime);
}

MeSettingsStorage::~MeSettingsStorage()
{
  // Runs at unload, where nothing may escape.
  try
  {
    IProfileSection* section = settingsSection();
    if (!section)
      return;
    section->writeValue(kBrowserImageSize, CKtVariant(m_browserImageSize));
    section->writeValue(kBrowserView, CKtVariant(m_browserView));
    section->writeValue(kExtendedRegime, CKtVariant(m_extendedRegime ? 1 : 0));
    section->writeValue(kSampleObject, CKtVariant(m_sampleObject));
    section->writeValue(kLockPositionAxis, CKtVariant(m_lockPositionAxis ? 1 : 0));
    section->writeValue(kLockSampleSize, CKtVariant(m_lockSampleSize ? 1 : 0));
  }
  catch (...)
  {
  }
}

void MeSettingsStorage::initialize()
{
  m_sampleObjectNames.clear();
  m_tilingNames.clear();
  m_projectionNames.clear();

  m_sampleObjectNames[kSampleSphere] = translate(L"Sphere");
  m_sampleObjectNames[kSampleCube] = translate(L"Cube");
  m_sampleObjectNames[kSampleTorus] = translate(L"Torus");

  m_tilingNames[1] = loadString(kStrTile);
  m_tilingNames[2] = loadString(kStrNone);
  m_tilingNames[3] = loadString(kStrClamp);
  m_tilingNames[4] = loadString(kStrMirror);

  OdArray<OdString> parts;
  for (const OdString& part : loadString(kStrProjectionNames).split(L'\t'))
    if (!part.isEmpty())
      parts.append(part);
  // Read all four before storing any, so a short list leaves no half table.
  const OdString planar = parts[0], cubic = parts[1], cylindrical = parts[2], spherical = parts[3];
  m_projectionNames[0] = loadString(kStrInheritProjection);
  m_projectionNames[1] = planar;
  m_projectionNames[2] = cubic;
  m_projectionNames[3] = cylindrical;
  m_projectionNames[4] = spherical;
}

void MeSettingsStorage::sampleObjectNames(OdArray<OdString>& names) const
{
  for (const auto& entry : m_sampleObjectNames)
    names.append(entry.second);
}

bool MeSettingsStorage::isReservedMaterialName(const OdString& name) const { return me::isReservedMaterialName(name); }

int MeSettingsStorage::projectionFromName(const wchar_t* name) const { return codeFromName(m_projectionNames, name, 4); }

int MeSettingsStorage::tilingFromName(const wchar_t* name) const { return codeFromName(m_tilingNames, name, 1); }

int MeSettingsStorage::sampleObjectFromName(const wchar_t* name) const
{
  return codeFromName(m_sampleObjectNames, name, kSampleSphere);
}

OdString MeSettingsStorage::tilingName(int code) const { return nameOf(m_tilingNames, code); }

OdString MeSettingsStorage::projectionName(int code) const { return nameOf(m_projectionNames, code); }

OdString MeSettingsStorage::sampleObjectName(int code) const
{
  auto it = m_sampleObjectNames.find(code);
  return it != m_sampleObjectNames.end() ? it->second : translate(L"Unknown preview sampe type");
}

IMeServiceItem* createSettingsStorage() { return new MeSettingsStorage; }
} // namespace me
