// MaterialScript: the channel options of MATERIAL and MATEDIT, and what DUMP
// shows of every material, so that a script can make any material an edit
// could make and read back what an edit did.
//
//   MaterialOptions   the options of one line, as given; unset ones leave
//                     the material's own value
//   MapPlacement      a map's offset, scale and rotation, taken out of and
//                     put into its transform
#pragma once

#include "JsonWriter.h"
#include "Script.h"

#include "od/OdSdk.h"

#include <optional>

class HostAppServices;

namespace host
{
// A channel colour as a script gives it: BYOBJECT (the object's own colour),
// or a colour value: r,g,b (true colour), INDEX n, BYLAYER, BYBLOCK.
struct ColorOption
{
  bool byObject = false;
  OdCmEntityColor value;

  // Reads one colour from args; what names the option in messages.
  static ColorOption read(ScriptArgs& args, const OdString& what);
  // By object keeps the record's colour value, as switching the method does.
  void applyTo(MaterialColor& color) const;
};

struct MapPlacement
{
  OdGeVector3d offset{0, 0, 0};
  OdGeVector3d scale{1, 1, 1};
  double rotation = 0.0; // radians about Z, [0, 2 pi)

  // Scale components that come out 0 or not a number read as 1.
  static MapPlacement of(const OdGeMatrix3d& transform);
  // Rotated, then moved by minus the offset, then divided by the scale.
  OdGeMatrix3d transform() const;
};

struct MaterialOptions
{
  std::optional<ColorOption> diffuse, ambient, specular;
  std::optional<double> gloss, opacity;
  std::optional<OdUInt32> channels;
  std::optional<MaterialMap> map;     // the diffuse map; an empty one for MAP NONE
  std::optional<MaterialMap> bumpMap; // an empty one for BUMPMAP NONE
  // Of the diffuse map.
  std::optional<double> blend, rotationDegrees;
  std::optional<OdInt32> projection, uTiling, vTiling;
  std::optional<OdGeVector3d> offset, scale;
  // Of a marble diffuse map.
  std::optional<ColorOption> stone, vein;
  std::optional<double> veinSpacing, veinWidth;
  // Of a wood diffuse map.
  std::optional<ColorOption> color1, color2;
  std::optional<double> radialNoise, axialNoise, grain;
  OdString label; // AS

  // Reads every option up to the end of the line; throws ScriptError.
  void read(ScriptArgs& args);
  // Throws ScriptError when a texture option does not fit the material's
  // diffuse map, so a refused line changes nothing.
  void check(const OdDbMaterial& material) const;
  // Checks, then changes what the options name.
  void applyTo(OdDbMaterial& material) const;

private:
  bool readColorOption(ScriptArgs& args);
  bool readMapOption(ScriptArgs& args);
  bool readTextureOption(ScriptArgs& args);
  bool hasMarbleOptions() const;
  bool hasWoodOptions() const;
  void applyToMap(MaterialMap& map) const;
};

// The option words of a colour: "10,20,30", "INDEX 5", "BYLAYER", "BYBLOCK",
// and for other colour methods the value in hexadecimal.
OdString colorOptionText(const OdCmEntityColor& color);

// Every channel of the material that the options set, as DUMP shows it,
// into the material's open object. services (may be null) finds the map
// files as the host's file search does for texture maps.
void writeMaterialChannels(JsonWriter& json, const OdDbMaterial& material, HostAppServices* services);
} // namespace host
