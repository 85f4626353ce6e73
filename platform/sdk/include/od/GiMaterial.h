// Material records and texture objects.
//
//   MaterialColor          a channel colour: by object or by colour
//   MapMapper              how a map is laid on an object
//   MaterialMap            one map channel: source, file, blend, mapper, texture
//   OdGiMaterialTexture    texture objects, shared by reference between map
//                          records: image file, marble, wood, generic
#pragma once

#include "od/CmColor.h"
#include "od/Ge.h"
#include "od/RxObject.h"

#include <map>

class MaterialColor
{
public:
  enum Method : OdInt32
  {
    kInherit = 0,  // the object's own colour is used
    kOverride = 1, // the colour value is used
  };

  Method method() const { return m_method; }
  void setMethod(Method method) { m_method = method; }
  double factor() const { return m_factor; }
  void setFactor(double factor) { m_factor = factor; }
  const OdCmEntityColor& color() const { return m_color; }
  OdCmEntityColor& color() { return m_color; }
  void setColor(const OdCmEntityColor& color) { m_color = color; }

  bool operator==(const MaterialColor& other) const
  {
    return m_method == other.m_method && m_factor == other.m_factor && m_color == other.m_color;
  }
  bool operator!=(const MaterialColor& other) const { return !(*this == other); }

private:
  Method m_method = kInherit;
  double m_factor = 1.0;
  OdCmEntityColor m_color; // true colour 0,0,0
};

// Whether a map's transform can be drawn: every entry finite, in single
// precision too (the renderer's), and the map's plane not flattened (the
// upper-left 2 x 2 part invertible, its determinant a normal number). A
// transform that cannot is drawn as the identity.
bool isDrawableMapTransform(const OdGeMatrix3d& transform);

class MapMapper
{
public:
  enum Projection : OdInt32
  {
    kInheritProjection = 0,
    kPlanar = 1,
    kBox = 2,
    kCylinder = 3,
    kSphere = 4,
  };
  enum Tiling : OdInt32
  {
    kInheritTiling = 0,
    kTile = 1,
    kCrop = 2, // shown as "None": the image once, nothing around it
    kClamp = 3,
    kMirror = 4,
  };
  enum AutoTransform : OdInt32
  {
    kInheritAutoTransform = 0,
    kNone = 1,
    kObject = 2,
    kModel = 4,
  };

  Projection projection() const { return m_projection; }
  void setProjection(Projection projection) { m_projection = projection; }
  Tiling uTiling() const { return m_uTiling; }
  void setUTiling(Tiling tiling) { m_uTiling = tiling; }
  Tiling vTiling() const { return m_vTiling; }
  void setVTiling(Tiling tiling) { m_vTiling = tiling; }
  AutoTransform autoTransform() const { return m_autoTransform; }
  void setAutoTransform(AutoTransform mode) { m_autoTransform = mode; }
  const OdGeMatrix3d& transform() const { return m_transform; }
  OdGeMatrix3d& transform() { return m_transform; }
  void setTransform(const OdGeMatrix3d& transform) { m_transform = transform; }

  bool operator==(const MapMapper& other) const
  {
    return m_projection == other.m_projection && m_uTiling == other.m_uTiling && m_vTiling == other.m_vTiling &&
           m_autoTransform == other.m_autoTransform && m_transform == other.m_transform;
  }
  bool operator!=(const MapMapper& other) const { return !(*this == other); }

private:
  Projection m_projection = kPlanar;
  Tiling m_uTiling = kTile;
  Tiling m_vTiling = kTile;
  AutoTransform m_autoTransform = kNone;
  OdGeMatrix3d m_transform;
};

enum MapSource : OdInt32
{
  kScene = 0,
  kFile = 1,
  kProcedural = 2,
};

enum ChannelFlags : OdUInt32
{
  kNoChannels = 0,
  kUseDiffuse = 1,
  kUseSpecular = 2,
  kUseReflection = 4,
  kUseOpacity = 8,
  kUseBump = 16,
  kUseRefraction = 32,
  kUseNormalMap = 64,
  kUseAll = 127,
};

class OdGiMaterialTexture : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdGiMaterialTexture);
  // Same class and same values.
  virtual bool isEqualTo(const OdGiMaterialTexture* other) const;
};
using OdGiMaterialTexturePtr = OdSmartPtr<OdGiMaterialTexture>;

class OdGiImageFileTexture : public OdGiMaterialTexture
{
  ODRX_DECLARE_MEMBERS(OdGiImageFileTexture);
  const OdString& sourceFileName() const { return m_fileName; }
  void setSourceFileName(const OdString& fileName) { m_fileName = fileName; }
  void copyFrom(const OdRxObject* source) override;
  bool isEqualTo(const OdGiMaterialTexture* other) const override;

private:
  OdString m_fileName;
};
using OdGiImageFileTexturePtr = OdSmartPtr<OdGiImageFileTexture>;

class OdGiProceduralTexture : public OdGiMaterialTexture
{
  ODRX_DECLARE_MEMBERS(OdGiProceduralTexture);
  enum Type
  {
    kWood = 0,
    kMarble = 1,
    kGeneric = 2,
  };
  virtual Type type() const = 0;
};
using OdGiProceduralTexturePtr = OdSmartPtr<OdGiProceduralTexture>;

class OdGiWoodTexture : public OdGiProceduralTexture
{
  ODRX_DECLARE_MEMBERS(OdGiWoodTexture);
  OdGiWoodTexture();
  Type type() const override { return kWood; }

  const MaterialColor& color1() const { return m_color1; }
  void setColor1(const MaterialColor& color) { m_color1 = color; }
  const MaterialColor& color2() const { return m_color2; }
  void setColor2(const MaterialColor& color) { m_color2 = color; }
  double radialNoise() const { return m_radialNoise; }
  void setRadialNoise(double value) { m_radialNoise = value; }
  double axialNoise() const { return m_axialNoise; }
  void setAxialNoise(double value) { m_axialNoise = value; }
  double grainThickness() const { return m_grainThickness; }
  void setGrainThickness(double value) { m_grainThickness = value; }

  void copyFrom(const OdRxObject* source) override;
  bool isEqualTo(const OdGiMaterialTexture* other) const override;

private:
  MaterialColor m_color1;
  MaterialColor m_color2;
  double m_radialNoise = 0.3;
  double m_axialNoise = 0.3;
  double m_grainThickness = 0.1;
};
using OdGiWoodTexturePtr = OdSmartPtr<OdGiWoodTexture>;

class OdGiMarbleTexture : public OdGiProceduralTexture
{
  ODRX_DECLARE_MEMBERS(OdGiMarbleTexture);
  OdGiMarbleTexture();
  Type type() const override { return kMarble; }

  const MaterialColor& stoneColor() const { return m_stoneColor; }
  void setStoneColor(const MaterialColor& color) { m_stoneColor = color; }
  const MaterialColor& veinColor() const { return m_veinColor; }
  void setVeinColor(const MaterialColor& color) { m_veinColor = color; }
  double veinSpacing() const { return m_veinSpacing; }
  void setVeinSpacing(double value) { m_veinSpacing = value; }
  double veinWidth() const { return m_veinWidth; }
  void setVeinWidth(double value) { m_veinWidth = value; }

  void copyFrom(const OdRxObject* source) override;
  bool isEqualTo(const OdGiMaterialTexture* other) const override;

private:
  MaterialColor m_stoneColor;
  MaterialColor m_veinColor;
  double m_veinSpacing = 1.0;
  double m_veinWidth = 1.0;
};
using OdGiMarbleTexturePtr = OdSmartPtr<OdGiMarbleTexture>;

// A texture described by named values that this system does not interpret.
class OdGiGenericTexture : public OdGiMaterialTexture
{
  ODRX_DECLARE_MEMBERS(OdGiGenericTexture);
  const std::map<OdString, double>& definition() const { return m_definition; }
  void setDefinition(const std::map<OdString, double>& definition) { m_definition = definition; }
  void copyFrom(const OdRxObject* source) override;
  bool isEqualTo(const OdGiMaterialTexture* other) const override;

private:
  std::map<OdString, double> m_definition;
};
using OdGiGenericTexturePtr = OdSmartPtr<OdGiGenericTexture>;

class MaterialMap
{
public:
  MapSource source() const { return m_source; }
  void setSource(MapSource source) { m_source = source; }
  const OdString& sourceFileName() const { return m_fileName; }
  void setSourceFileName(const OdString& fileName) { m_fileName = fileName; }
  double blendFactor() const { return m_blendFactor; }
  void setBlendFactor(double factor) { m_blendFactor = factor; }
  const MapMapper& mapper() const { return m_mapper; }
  MapMapper& mapper() { return m_mapper; }
  void setMapper(const MapMapper& mapper) { m_mapper = mapper; }
  // Shared: copies of this record hold the same texture object.
  const OdGiMaterialTexturePtr& texture() const { return m_texture; }
  void setTexture(const OdGiMaterialTexturePtr& texture) { m_texture = texture; }

  // Same values and equal textures (not necessarily the same object).
  bool operator==(const MaterialMap& other) const;
  bool operator!=(const MaterialMap& other) const { return !(*this == other); }

  // A copy whose texture is a new object, so it shares nothing with this one.
  MaterialMap deepCopy() const;

private:
  MapSource m_source = kFile;
  OdString m_fileName;
  double m_blendFactor = 1.0;
  MapMapper m_mapper;
  OdGiMaterialTexturePtr m_texture;
};
