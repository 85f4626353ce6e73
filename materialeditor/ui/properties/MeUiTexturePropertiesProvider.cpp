#include "ui/properties/MeUiTexturePropertiesProvider.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "core/MeSystemDialogs.h"
#include "od/OdError.h"
#include "ui/properties/MeUiTextureRowFamilies.h"

#include <cmath>

namespace meui
{
namespace
{
// Reals without an upper bound: the range check then says "Value must be more".
constexpr double kNoBound = 2147483647.0;

me::IMeSettingsStorage& settings()
{
  me::IMeSettingsStorage* storage = me::settingsService();
  if (!storage)
    throw OdError(eNullPtr); // the rows answer false
  return *storage;
}

void namesOf(const me::IMeSettingsStorage::NameTable& table, std::vector<CXStringW>& names)
{
  names.clear();
  for (const auto& entry : table) // std::map: ascending codes
    names.push_back(entry.second);
}

template <class Owner>
MeRealRow<Owner>* makeReal(int label, Owner* owner, bool (Owner::*getter)(double&), bool (Owner::*setter)(double),
                           double low, double high)
{
  auto* row = new MeRealRow<Owner>(me::loadString(label), owner);
  row->SetGetter(getter);
  row->SetSetter(setter);
  row->SetRange(low, high);
  return row;
}

template <class Owner>
MeRgbRow<Owner>* makeRgb(int label, Owner* owner, bool (Owner::*getter)(OdUInt32&), bool (Owner::*setter)(OdUInt32))
{
  auto* row = new MeRgbRow<Owner>(me::loadString(label), owner);
  row->SetGetter(getter);
  row->SetSetter(setter);
  return row;
}
} // namespace

OdUInt32 rgbOf(const MaterialColor& color)
{
  const OdCmEntityColor& value = color.color();
  return OdUInt32(value.red()) | (OdUInt32(value.green()) << 8) | (OdUInt32(value.blue()) << 16);
}

// --- base

void MeUiTexturePropertiesProvider::endEditing()
{
  if (me::MeBaseTextureEditor* editor = mapEditor())
    editor->endEditing();
}

me::MeEditTarget MeUiTexturePropertiesProvider::editTarget()
{
  me::MeBaseTextureEditor* editor = mapEditor();
  return me::MeEditTarget::ofEditor(editor ? &editor->map() : nullptr);
}

// --- image file

MeUiFileTexturePropertiesProvider::MeUiFileTexturePropertiesProvider(MaterialMap& map)
  : m_editor(std::make_shared<me::MeFileTextureEditor>(map))
{
}

void MeUiFileTexturePropertiesProvider::buildRows()
{
  using Self = MeUiFileTexturePropertiesProvider;
  const bool foundElsewhere = m_editor->isFoundElsewhere();

  auto* file =
    adoptRow(new MeTextRow<Self>(me::loadString(foundElsewhere ? me::kStrImageSavedAt : me::kStrImageBrowse), this));
  file->SetGetter(&Self::mapText);
  file->SetAction(&Self::browseImage);
  if (foundElsewhere)
    adoptRow(new MeTextRow<Self>(me::loadString(me::kStrImageFoundAt), this))->SetGetter(&Self::foundAtPath);

  auto* brightness =
    adoptRow(new MePercentRow<Self>(me::loadString(me::kStrImageBrightness), this, &Self::brightnessFraction));
  brightness->SetGetter(&Self::brightness);
  brightness->SetSetter(&Self::setBrightness);
  brightness->SetFormat(&Self::percentText);

  auto* lockOffset = adoptRow(new MeYesNoRow<Self>(me::loadString(me::kStrLockOffset), this));
  lockOffset->SetGetter(&Self::lockOffset);
  lockOffset->SetSetter(&Self::setLockOffset);
  auto* x = adoptRow(makeReal(me::kStrPositionX, this, &Self::positionX, &Self::setPositionX, -kNoBound, kNoBound));
  x->SetAction(&Self::noAction);
  x->SetValidator(&Self::canSetPositionX);
  auto* y = adoptRow(makeReal(me::kStrPositionY, this, &Self::positionY, &Self::setPositionY, -kNoBound, kNoBound));
  y->SetAction(&Self::noAction);
  y->SetValidator(&Self::canSetPositionY);

  auto* rotation = adoptRow(new MeSliderRow<Self>(me::loadString(me::kStrRotation), this));
  rotation->SetGetter(&Self::rotation);
  rotation->SetSetter(&Self::setRotation);
  rotation->SetFormat(&Self::degreeText);
  rotation->SetSliderRange(0, 360);
  rotation->SetStep(1);

  auto* lockAspect = adoptRow(new MeYesNoRow<Self>(me::loadString(me::kStrLockAspectRatio), this));
  lockAspect->SetGetter(&Self::lockAspectRatio);
  lockAspect->SetSetter(&Self::setLockAspectRatio);
  adoptRow(makeReal(me::kStrScaleWidth, this, &Self::width, &Self::setWidth, 0.0, kNoBound))
    ->SetValidator(&Self::canSetWidth);
  adoptRow(makeReal(me::kStrScaleHeight, this, &Self::height, &Self::setHeight, 0.0, kNoBound))
    ->SetValidator(&Self::canSetHeight);

  auto* horizontal = adoptRow(new MeTextComboRow<Self>(me::loadString(me::kStrRepeatHorizontal), this));
  horizontal->SetGetter(&Self::horizontalTiling);
  horizontal->SetSetter(&Self::setHorizontalTiling);
  horizontal->SetChoices(&Self::tilingChoices);
  auto* vertical = adoptRow(new MeTextComboRow<Self>(me::loadString(me::kStrRepeatVertical), this));
  vertical->SetGetter(&Self::verticalTiling);
  vertical->SetSetter(&Self::setVerticalTiling);
  vertical->SetChoices(&Self::tilingChoices);
  auto* projection = adoptRow(new MeTextComboRow<Self>(me::loadString(me::kStrProjectionType), this));
  projection->SetGetter(&Self::projection);
  projection->SetSetter(&Self::setProjection);
  projection->SetChoices(&Self::projectionChoices);
}

bool MeUiFileTexturePropertiesProvider::mapText(CXStringW& text)
{
  text = m_editor->mapText();
  return true;
}

bool MeUiFileTexturePropertiesProvider::browseImage()
{
  me::IMeSystemDialogs* dialogs = me::systemDialogsService();
  const me::MeEditTarget target = editTarget();
  OdString path;
  // Cancelled, or the drawing changed under the dialog: nothing changes.
  if (!dialogs || !dialogs->selectFileToOpen(OdString(), me::loadString(me::kStrImageFilter), path) || path.isEmpty() ||
      !target.stillCurrent())
    return true;
  m_editor->setFileName(path);
  return true;
}

bool MeUiFileTexturePropertiesProvider::foundAtPath(CXStringW& text)
{
  // A folder of the search joined with a name may mix the two separators:
  // shown with the system's own where it has any.
  text = m_editor->foundAtPath();
  if (text.find(L'\\') >= 0)
    text.replace(L"/", L"\\");
  return true;
}

bool MeUiFileTexturePropertiesProvider::brightness(int& percent)
{
  percent = wholePercent(m_editor->brightness());
  return true;
}

bool MeUiFileTexturePropertiesProvider::brightnessFraction(double& fraction)
{
  fraction = m_editor->brightness();
  return true;
}

bool MeUiFileTexturePropertiesProvider::setBrightness(int percent)
{
  m_editor->setBrightness(percentFraction(percent));
  return true;
}

bool MeUiFileTexturePropertiesProvider::percentText(int value, CXStringW& text)
{
  text = CXStringW::format(L"%d%%", value);
  return true;
}

bool MeUiFileTexturePropertiesProvider::lockOffset(int& value)
{
  value = settings().lockPositionAxis() ? 1 : 0;
  return true;
}

bool MeUiFileTexturePropertiesProvider::setLockOffset(int value)
{
  m_editor->setLockOffset(value == 1);
  return true;
}

bool MeUiFileTexturePropertiesProvider::positionX(double& x)
{
  OdGeVector3d offset;
  m_editor->offset(offset);
  x = offset.x;
  return true;
}

bool MeUiFileTexturePropertiesProvider::setPositionX(double x)
{
  m_editor->setPositionX(x);
  return true;
}

namespace
{
// The map's transform with the value set, checked before anything is written.
bool drawable(const me::MapTransform& transform, CXStringW& message)
{
  if (transform.isDrawable())
    return true;
  message = me::loadString(me::kStrMapSizeRefused);
  return false;
}
} // namespace

bool MeUiFileTexturePropertiesProvider::canSetPositionX(double x, CXStringW& message)
{
  return drawable(m_editor->withPositionX(x), message);
}

bool MeUiFileTexturePropertiesProvider::canSetPositionY(double y, CXStringW& message)
{
  return drawable(m_editor->withPositionY(y), message);
}

bool MeUiFileTexturePropertiesProvider::canSetWidth(double width, CXStringW& message)
{
  return drawable(m_editor->withWidth(width), message);
}

bool MeUiFileTexturePropertiesProvider::canSetHeight(double height, CXStringW& message)
{
  return drawable(m_editor->withHeight(height), message);
}

bool MeUiFileTexturePropertiesProvider::positionY(double& y)
{
  OdGeVector3d offset;
  m_editor->offset(offset);
  y = offset.y;
  return true;
}

bool MeUiFileTexturePropertiesProvider::setPositionY(double y)
{
  m_editor->setPositionY(y);
  return true;
}

bool MeUiFileTexturePropertiesProvider::rotation(int& degrees)
{
  OdGeVector3d angles;
  m_editor->rotation(angles);
  degrees = wholeDegrees(angles.z);
  return true;
}

bool MeUiFileTexturePropertiesProvider::setRotation(int degrees)
{
  m_editor->setRotation(OdGeVector3d(0.0, 0.0, double(degrees)));
  return true;
}

bool MeUiFileTexturePropertiesProvider::degreeText(int value, CXStringW& text)
{
  text = CXStringW::format(L"%d\u00B0", value);
  return true;
}

bool MeUiFileTexturePropertiesProvider::lockAspectRatio(int& value)
{
  value = settings().lockSampleSize() ? 1 : 0;
  return true;
}

bool MeUiFileTexturePropertiesProvider::setLockAspectRatio(int value)
{
  m_editor->setLockAspectRatio(value == 1);
  return true;
}

bool MeUiFileTexturePropertiesProvider::width(double& width)
{
  OdGeVector3d scale;
  m_editor->scale(scale);
  width = scale.x;
  return true;
}

bool MeUiFileTexturePropertiesProvider::setWidth(double width)
{
  m_editor->setWidth(width); // not drawable: ignored, and still a success
  return true;
}

bool MeUiFileTexturePropertiesProvider::height(double& height)
{
  OdGeVector3d scale;
  m_editor->scale(scale);
  height = scale.y;
  return true;
}

bool MeUiFileTexturePropertiesProvider::setHeight(double height)
{
  m_editor->setHeight(height);
  return true;
}

bool MeUiFileTexturePropertiesProvider::horizontalTiling(CXStringW& name)
{
  name = settings().tilingName(m_editor->horizontalTiling());
  return true;
}

bool MeUiFileTexturePropertiesProvider::setHorizontalTiling(CXStringW name)
{
  m_editor->setHorizontalTiling(settings().tilingFromName(name.c_str()));
  return true;
}

bool MeUiFileTexturePropertiesProvider::verticalTiling(CXStringW& name)
{
  name = settings().tilingName(m_editor->verticalTiling());
  return true;
}

bool MeUiFileTexturePropertiesProvider::setVerticalTiling(CXStringW name)
{
  m_editor->setVerticalTiling(settings().tilingFromName(name.c_str()));
  return true;
}

bool MeUiFileTexturePropertiesProvider::tilingChoices(std::vector<CXStringW>& names)
{
  namesOf(settings().tilingNames(), m_tilingChoices);
  names = m_tilingChoices;
  return true;
}

bool MeUiFileTexturePropertiesProvider::projection(CXStringW& name)
{
  name = settings().projectionName(m_editor->projection());
  return true;
}

bool MeUiFileTexturePropertiesProvider::setProjection(CXStringW name)
{
  m_editor->setProjection(settings().projectionFromName(name.c_str()));
  return true;
}

bool MeUiFileTexturePropertiesProvider::projectionChoices(std::vector<CXStringW>& names)
{
  namesOf(settings().projectionNames(), m_projectionChoices);
  names = m_projectionChoices;
  return true;
}

// --- marble

void MeUiMarbleTexturePropertiesProvider::buildRows()
{
  using Self = MeUiMarbleTexturePropertiesProvider;
  adoptRow(makeRgb(me::kStrStoneColor, this, &Self::stoneColor, &Self::setStoneColor));
  adoptRow(makeRgb(me::kStrVeinColor, this, &Self::veinColor, &Self::setVeinColor));
  adoptRow(makeReal(me::kStrVeinSpacing, this, &Self::veinSpacing, &Self::setVeinSpacing, 0.0, 100.0));
  adoptRow(makeReal(me::kStrVeinWidth, this, &Self::veinWidth, &Self::setVeinWidth, 0.0, 100.0));
}

bool MeUiMarbleTexturePropertiesProvider::stoneColor(OdUInt32& rgb)
{
  rgb = rgbOf(m_editor.stoneColor());
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::setStoneColor(OdUInt32 rgb)
{
  m_editor.setStoneColor(static_cast<unsigned long>(rgb));
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::veinColor(OdUInt32& rgb)
{
  rgb = rgbOf(m_editor.veinColor());
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::setVeinColor(OdUInt32 rgb)
{
  m_editor.setVeinColor(static_cast<unsigned long>(rgb));
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::veinSpacing(double& value)
{
  value = m_editor.veinSpacing();
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::setVeinSpacing(double value)
{
  m_editor.setVeinSpacing(value);
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::veinWidth(double& value)
{
  value = m_editor.veinWidth();
  return true;
}

bool MeUiMarbleTexturePropertiesProvider::setVeinWidth(double value)
{
  m_editor.setVeinWidth(value);
  return true;
}

// --- wood

void MeUiWoodTexturePropertiesProvider::buildRows()
{
  using Self = MeUiWoodTexturePropertiesProvider;
  adoptRow(makeRgb(me::kStrWoodColor1, this, &Self::color1, &Self::setColor1));
  adoptRow(makeRgb(me::kStrWoodColor2, this, &Self::color2, &Self::setColor2));
  adoptRow(makeReal(me::kStrRadialNoise, this, &Self::radialNoise, &Self::setRadialNoise, 0.0, 100.0));
  adoptRow(makeReal(me::kStrAxialNoise, this, &Self::axialNoise, &Self::setAxialNoise, 0.0, 100.0));
  adoptRow(makeReal(me::kStrGrainThickness, this, &Self::grainThickness, &Self::setGrainThickness, 0.0, 100.0));
}

bool MeUiWoodTexturePropertiesProvider::color1(OdUInt32& rgb)
{
  rgb = rgbOf(m_editor.color1());
  return true;
}

bool MeUiWoodTexturePropertiesProvider::setColor1(OdUInt32 rgb)
{
  m_editor.setColor1(static_cast<unsigned long>(rgb));
  return true;
}

bool MeUiWoodTexturePropertiesProvider::color2(OdUInt32& rgb)
{
  rgb = rgbOf(m_editor.color2());
  return true;
}

bool MeUiWoodTexturePropertiesProvider::setColor2(OdUInt32 rgb)
{
  m_editor.setColor2(static_cast<unsigned long>(rgb));
  return true;
}

bool MeUiWoodTexturePropertiesProvider::radialNoise(double& value)
{
  value = m_editor.radialNoise();
  return true;
}

bool MeUiWoodTexturePropertiesProvider::setRadialNoise(double value)
{
  m_editor.setRadialNoise(value);
  return true;
}

bool MeUiWoodTexturePropertiesProvider::axialNoise(double& value)
{
  value = m_editor.axialNoise();
  return true;
}

bool MeUiWoodTexturePropertiesProvider::setAxialNoise(double value)
{
  m_editor.setAxialNoise(value);
  return true;
}

bool MeUiWoodTexturePropertiesProvider::grainThickness(double& value)
{
  value = m_editor.grainThickness();
  return true;
}

bool MeUiWoodTexturePropertiesProvider::setGrainThickness(double value)
{
  m_editor.setGrainThickness(value);
  return true;
}

// --- factory

MeUiTexturePropertiesProvider* createTexturePropertiesProvider(MaterialMap& map)
{
  switch (map.source())
  {
  case kFile: return new MeUiFileTexturePropertiesProvider(map);
  case kProcedural:
  {
    const OdGiMaterialTexture* texture = map.texture().get();
    if (texture && texture->isKindOf(OdGiMarbleTexture::desc()))
      return new MeUiMarbleTexturePropertiesProvider(map);
    if (texture && texture->isKindOf(OdGiWoodTexture::desc()))
      return new MeUiWoodTexturePropertiesProvider(map);
    return nullptr;
  }
  case kScene: return new MeUiSceneTexturePropertiesProvider();
  default: return nullptr;
  }
}
} // namespace meui
