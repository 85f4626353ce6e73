// The module's string table.
#pragma once

#include "od/OdString.h"

namespace me
{
enum StringId
{
  kStrImageFilter = 103,
  kStrDefaultGeneric = 104,
  kStrInvalidCharacters = 105,
  kStrMaterialInUse = 106,
  kStrMaterialExists = 107,
  kStrMapSizeRefused = 108,
  kStrStepDiffuseColor = 109,
  kStrScene = 110,
  kStrMarble = 111,
  kStrWood = 112,
  kStrGeneric = 113,
  kStrUnsupportedProcedural = 114,
  kStrNoTexture = 115,
  kStrDiffuseLabel = 116,
  kStrAmbientLabel = 117,
  kStrSpecularLabel = 118,
  kStrGlossinessLabel = 119,
  kStrDiffuseMapLabel = 120,
  // The Texture editor's row labels.
  kStrImageBrightness = 121,
  kStrImageBrowse = 122,
  kStrLockOffset = 123,
  kStrPositionX = 124,
  kStrPositionY = 125,
  kStrRotation = 126,
  kStrLockAspectRatio = 127,
  kStrScaleWidth = 128,
  kStrScaleHeight = 129,
  kStrRepeatHorizontal = 130,
  kStrRepeatVertical = 131,
  kStrTile = 132,
  kStrNone = 133,
  kStrImageMenuItem = 134,
  kStrStepAmbientColor = 135,
  kStrStepSpecularColor = 136,
  kStrStepGlossiness = 137,
  kStrEdit = 138,
  kStrStoneColor = 139,
  kStrVeinColor = 140,
  kStrVeinSpacing = 141,
  kStrVeinWidth = 142,
  kStrWoodColor1 = 143,
  kStrWoodColor2 = 144,
  kStrRadialNoise = 145,
  kStrAxialNoise = 146,
  kStrGrainThickness = 147,
  kStrMaterialEditorTitle = 148,
  kStrTextureEditorTitle = 149,
  kStrInvalidMaterial = 150,
  kStrMaterialsBrowser = 151,
  kStrTextureNotFound = 152,
  kStrRemove = 153,
  kStrInheritProjection = 154,
  kStrStepDiffuseMap = 155,
  kStrStepMapBrightness = 156,
  kStrStepMapPosition = 157,
  kStrStepMapRotation = 158,
  kStrClamp = 159,
  kStrMirror = 160,
  kStrProjectionType = 161,
  kStrImageFoundAt = 162,
  kStrImageSavedAt = 163,
  kStrNewGenericMaterial = 164,
  kStrChangeViewStyle = 165,
  kStrHelpContents = 166,
  kStrSample = 167,
  kStrExtendedMode = 168,
  kStrProjectionNames = 169,
  // The browser's filter, Select Objects and Remove Unused Materials.
  kStrSearchMaterials = 171,
  kStrSelectObjects = 172,
  kStrRemoveUnusedMaterials = 173,
  kStrRemoveOneUnused = 174,
  kStrRemoveManyUnused = 175, // %d: the count
  kStrStepApplyMaterial = 176,
  kStrStepRemoveUnused = 177,
  // The names of the undo steps the editors' writes make.
  kStrStepMapScale = 178,
  kStrStepMapRepeat = 179,
  kStrStepMapProjection = 180,
  kStrStepTextureColor = 181,
  kStrStepTexturePattern = 182,
};

// The text of a string id: from the module's resources when they are loaded
// (translated by the host), else from the built-in table; empty for an
// unknown id.
OdString loadString(int id);
// The built-in text alone.
OdString builtInString(int id);
// Every id of the built-in table, ascending.
const int* builtInStringIds(int& count);
} // namespace me
