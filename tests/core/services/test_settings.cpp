#include "TestHost.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "host/Application.h"
#include "host/ProfileStore.h"
#include "od_print.h"

#include <gtest/gtest.h>

namespace
{
IProfileSection* editorSection(TestHost& host)
{
  return host.profile()->openSection("cmddata", false)->openSection("MaterialEditor", true);
}

me::IMeSettingsStorage& settings()
{
  me::IMeSettingsStorage* storage = me::settingsService();
  if (!storage)
    throw std::runtime_error("no settings service");
  return *storage;
}
} // namespace

TEST(Settings, TakesStoredValuesAsTheyAreAndBoolsOnlyForExactlyOne)
{
  TestHost host;
  host.setTranslation(L"Unknown preview sampe type", L"Unbekannter Mustertyp");
  IProfileSection* section = editorSection(host);
  section->writeValue("SampleObject", CKtVariant(7));       // no such sample: kept anyway
  section->writeValue("BrowserImageSize", CKtVariant(-5));  // unchecked
  section->writeValue("BrowserView", CKtVariant(L"3"));     // a number in text
  section->writeValue("LockSampleSize", CKtVariant(2));
  section->writeValue("LockPositionAxis", CKtVariant(1.5));
  section->writeValue("ExtendedRegime", CKtVariant(1));
  EXPECT_EQ(settings().sampleObject(), 7);
  EXPECT_EQ(settings().sampleObjectName(7), L"Unbekannter Mustertyp");
  EXPECT_EQ(settings().browserImageSize(), -5);
  EXPECT_EQ(settings().browserView(), 3);
  EXPECT_FALSE(settings().lockSampleSize());
  EXPECT_FALSE(settings().lockPositionAxis());
  EXPECT_TRUE(settings().extendedRegime());

  // A stored 7 goes back unchanged, and a value made without data is as
  // good as none.
  me::destroyAppServices();
  CKtVariant sample;
  EXPECT_TRUE(section->readValue("SampleObject", sample));
  EXPECT_EQ(sample, CKtVariant(7));
  section->deleteValue("LockSampleSize");
  section->createValue("LockSampleSize");
  EXPECT_TRUE(settings().lockSampleSize());
}

TEST(Settings, WritesTheSixValuesInOrderAndReadsThemBack)
{
  TestHost host;
  settings().setBrowserImageSize(128);
  settings().setBrowserView(2);
  settings().setExtendedRegime(true);
  settings().setSampleObject(me::kSampleTorus);
  settings().setLockPositionAxis(true);
  settings().setLockSampleSize(false);
  settings().setDiffuseMapPath(L"/maps/wood.jpg"); // for this run only
  me::destroyAppServices();

  const host::ProfileSection* section = host.profileStore().root().section("cmddata")->section("MaterialEditor");
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->valueNames(), (std::vector<std::string>{"BrowserImageSize", "BrowserView", "ExtendedRegime",
                                                             "SampleObject", "LockPositionAxis", "LockSampleSize"}));
  CKtVariant value;
  section->readValue("ExtendedRegime", value);
  EXPECT_EQ(value, CKtVariant(1)); // bools as integers
  section->readValue("LockSampleSize", value);
  EXPECT_EQ(value, CKtVariant(0));

  // The next run starts where this one ended.
  EXPECT_EQ(settings().browserImageSize(), 128);
  EXPECT_EQ(settings().browserView(), 2);
  EXPECT_TRUE(settings().extendedRegime());
  EXPECT_EQ(settings().sampleObject(), me::kSampleTorus);
  EXPECT_TRUE(settings().lockPositionAxis());
  EXPECT_FALSE(settings().lockSampleSize());
  EXPECT_TRUE(settings().diffuseMapPath().isEmpty());
}

namespace
{
host::Application* g_app = nullptr;
IHostApp* testGetApp() { return g_app; }
} // namespace

TEST(Settings, WithoutProfileOrSectionReadsDefaultsAndWritesNothing)
{
  TestHost host;
  editorSection(host)->writeValue("BrowserImageSize", CKtVariant(200));

  // No application object at all: neither lookup answers.
  host.removeExport(HOST_EXPORT_GET_APP);
  host.removeExport(HOST_EXPORT_CREATE_OBJECT);
  EXPECT_EQ(settings().browserImageSize(), 96);
  EXPECT_EQ(settings().browserView(), 0);
  EXPECT_EQ(settings().sampleObject(), me::kSampleSphere);
  EXPECT_FALSE(settings().lockPositionAxis());
  EXPECT_TRUE(settings().lockSampleSize());
  EXPECT_FALSE(settings().extendedRegime());
  EXPECT_EQ(settings().fixedValue(), 80.0f);
  settings().setBrowserImageSize(64);
  me::destroyAppServices();

  // A profile without "cmddata": the host's section is not made for it.
  host::ProfileStore bare;
  host::Application app;
  app.setInterface("IProfile", static_cast<IProfile*>(&bare));
  g_app = &app;
  host.replaceExport(HOST_EXPORT_GET_APP, reinterpret_cast<void*>(&testGetApp));
  EXPECT_EQ(settings().browserImageSize(), 96);
  settings().setBrowserImageSize(64);
  me::destroyAppServices();
  g_app = nullptr;
  EXPECT_TRUE(bare.root().sectionNames().empty());

  CKtVariant kept;
  editorSection(host)->readValue("BrowserImageSize", kept);
  EXPECT_EQ(kept, CKtVariant(200));
  EXPECT_EQ(host.profileStore().root().section("cmddata")->section("MaterialEditor")->valueNames().size(), 1u);
}

TEST(Settings, BuildsTheNameTablesAndFindsCodesIgnoringCase)
{
  TestHost host;
  host.setTranslation(L"Cube", L"W\u00fcrfel");
  me::IMeSettingsStorage& s = settings();
  OdArray<OdString> names;
  names.append(L"kept");
  s.sampleObjectNames(names);
  EXPECT_EQ(names, (OdArray<OdString>{L"kept", L"Sphere", L"W\u00fcrfel", L"Torus"}));
  EXPECT_EQ(s.tilingNames().size(), 4u);
  EXPECT_EQ(s.tilingName(3), me::loadString(159));
  EXPECT_EQ(s.tilingName(0), L"");
  EXPECT_EQ(s.projectionNames().size(), 5u);
  EXPECT_EQ(s.projectionName(1), me::loadString(169).split(L'\t').front());
  EXPECT_EQ(s.projectionName(5), L"");

  EXPECT_EQ(s.tilingFromName(L"mIRROR"), 4);
  EXPECT_EQ(s.tilingFromName(L"clamp"), 3);
  EXPECT_EQ(s.tilingFromName(L"Wrap"), 1);
  EXPECT_EQ(s.tilingFromName(nullptr), 1);
  EXPECT_EQ(s.projectionFromName(L"INHERIT projection"), 0);
  EXPECT_EQ(s.projectionFromName(L"cubic"), 2);
  EXPECT_EQ(s.projectionFromName(L"Cubic "), 4);
  EXPECT_EQ(s.projectionFromName(L""), 4);
  EXPECT_EQ(s.sampleObjectFromName(L"TORUS"), me::kSampleTorus);
  EXPECT_EQ(s.sampleObjectFromName(L"w\u00dcRFEL"), me::kSampleCube);
  EXPECT_EQ(s.sampleObjectFromName(L"Cube"), me::kSampleSphere); // only the translated name counts
  EXPECT_EQ(s.sampleObjectFromName(OdString(L'x', 10000).c_str()), me::kSampleSphere);
}

TEST(Settings, ReservesTheStandardMaterialNamesAndTheirTranslations)
{
  TestHost host;
  host.setTranslation(L"Global", L"Allgemein");
  host.setTranslation(L"ByLayer", L"VonLayer");
  for (const wchar_t* name : {L"BYLAYER", L"byblock", L"By Layer", L"by block", L"global", L"GLOBAL", L"allgemein",
                              L"vonlayer", L"ByBlock"})
    EXPECT_TRUE(settings().isReservedMaterialName(name)) << OdString(name).toUtf8();
  for (const wchar_t* name : {L"Global material", L"by  layer", L"Layer", L"", L"ByLayer2"})
    EXPECT_FALSE(settings().isReservedMaterialName(name)) << OdString(name).toUtf8();
}
