#include "ui/properties/MeUiColorProperty.h"

#include "core/IMeEditor.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "od/DbDatabase.h"
#include "od/DbSymbolTable.h"

namespace meui
{
bool extendedMode()
{
  me::IMeSettingsStorage* settings = me::settingsService();
  return settings && settings->extendedRegime();
}

bool MeUiColorProperty::getValue(OdCmColor&) { return false; }
bool MeUiColorProperty::setValue(OdCmColor) { return false; }

OdCmColor MeUiColorProperty::byLayerSample()
{
  OdCmColor none(OdCmEntityColor::kNone);
  OdDbDatabase* database = me::currentDatabase();
  if (!database)
    return none;
  OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::cast(database->getCLAYER().openObject().get());
  return layer.isNull() ? none : layer->color();
}

bool MeUiDiffuseColorProperty::getValue(OdCmColor& color)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->diffuseColor(color);
  return true;
}

bool MeUiDiffuseColorProperty::setValue(OdCmColor color)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->setDiffuseColor(color);
  // Outside extended mode the user sees one colour: the hidden two follow it.
  if (!extendedMode())
  {
    editor->setAmbientColor(color);
    editor->setSpecularColor(color);
  }
  return true;
}

bool MeUiAmbientColorProperty::getValue(OdCmColor& color)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->ambientColor(color);
  return true;
}

bool MeUiAmbientColorProperty::setValue(OdCmColor color)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->setAmbientColor(color);
  return true;
}

bool MeUiAmbientColorProperty::isShown() { return extendedMode(); }

bool MeUiSpecularColorProperty::getValue(OdCmColor& color)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->specularColor(color);
  return true;
}

bool MeUiSpecularColorProperty::setValue(OdCmColor color)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  editor->setSpecularColor(color);
  me::appServices()->sendServiceEvent(me::kMaterialEditorPaletteService, me::kEventSpecularChanged, nullptr);
  return true;
}

bool MeUiSpecularColorProperty::isShown() { return extendedMode(); }
} // namespace meui
