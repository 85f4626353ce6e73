// material-render: draws a material on a sample object into a PNG file.
//
//   material-render --sample sphere --map marble --out marble.png
//
// A bad argument prints one line on stderr and exits with status 2; a map
// file that cannot be read is drawn in the base colour with a warning; a
// PNG that cannot be written exits with status 1 and leaves the old file.
#include "MeSampleGeometry.h"

#include "host/FileSystem.h"

#include "od/CmColor.h"
#include "od/DbDatabase.h"
#include "od/DbDictionary.h"
#include "od/DbGsManager.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"
#include "od/GiContext.h"
#include "od/GsSoftware.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <stb_image_write.h>

namespace
{
const char* const kUsage =
  "usage: material-render [--sample sphere|cube|torus] [--size N] [--diffuse R,G,B] [--ambient R,G,B]\n"
  "         [--specular R,G,B] [--gloss 0..1] [--opacity 0..1] [--background R,G,B]\n"
  "         [--map FILE|marble|wood] [--brightness B] [--stone R,G,B] [--vein R,G,B]\n"
  "         [--vein-spacing S] [--vein-width W] [--color1 R,G,B] [--color2 R,G,B]\n"
  "         [--radial-noise N] [--axial-noise N] [--grain G]\n"
  "         [--projection planar|box|cylinder|sphere] [--tiling tile|none|clamp|mirror]\n"
  "         [--offset X,Y] [--scale W,H] [--rotation DEG] [--orbit AZ,EL] [--parallel] [--flat]\n"
  "         [--vector-path SSE2|AVX2] --out FILE.png\n"
  "Without --scale the map is fitted to the object once, which a new map in the editor is not: there\n"
  "a new map repeats every drawing unit (--scale 1,1), which on the 100-unit samples shows as the\n"
  "map's average colour. The sample is framed by the corners of its extents, as the editor's preview\n"
  "and thumbnails frame it. --orbit turns the camera AZ degrees around the\n"
  "object and EL degrees above (or, negative, below) its default place, the lights with it. --flat\n"
  "shades each face with its own normal. --vector-path picks the renderer's vector instructions\n"
  "(by default the widest the processor has).\n";

// Encoded in memory and written whole beside the target, then renamed: a
// full disk leaves the old file as it was, and says so.
bool writePng(const std::string& path, const OdGiRasterImageRGBA& image)
{
  std::string png;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), std::size_t(size));
  };
  if (!stbi_write_png_to_func(append, &png, int(image.pixelWidth()), int(image.pixelHeight()), 4, image.data(),
                              int(image.pixelWidth()) * 4))
  {
    std::fprintf(stderr, "material-render: the image could not be encoded\n");
    return false;
  }
  OdString error;
  if (!host::writeFileAtomically(OdString(path.c_str()), png, &error))
  {
    std::fprintf(stderr, "material-render: %s\n", error.toUtf8().c_str());
    return false;
  }
  return true;
}

struct BadArgument : std::runtime_error
{
  using std::runtime_error::runtime_error;
};

double number(const std::string& option, const std::string& text, double lo, double hi)
{
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v) || v < lo || v > hi)
    throw BadArgument(option + " wants a number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" +
                      text + "'");
  return v;
}

std::vector<double> numbers(const std::string& option, const std::string& text, std::size_t count, double lo, double hi)
{
  std::vector<double> out;
  std::size_t start = 0;
  while (true)
  {
    const std::size_t comma = text.find(',', start);
    out.push_back(number(option, text.substr(start, comma - start), lo, hi));
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }
  if (out.size() != count)
    throw BadArgument(option + " wants " + std::to_string(count) + " numbers separated by commas, not '" + text + "'");
  return out;
}

MaterialColor color(const std::string& option, const std::string& text)
{
  const std::vector<double> c = numbers(option, text, 3, 0, 255);
  MaterialColor out;
  out.setMethod(MaterialColor::kOverride);
  out.setColor(OdCmEntityColor(OdUInt8(c[0]), OdUInt8(c[1]), OdUInt8(c[2])));
  return out;
}

struct Options
{
  std::map<std::string, std::string> values;
  bool parallel = false;
  bool flat = false;

  bool has(const char* name) const { return values.count(name) != 0; }
  const std::string& get(const char* name) const { return values.at(name); }
};

Options parse(int argc, char** argv)
{
  static const char* const known[] = {"--sample", "--size", "--diffuse", "--ambient", "--specular", "--gloss", "--opacity",
                                      "--background", "--map", "--brightness", "--stone", "--vein", "--vein-spacing",
                                      "--vein-width", "--color1", "--color2", "--radial-noise", "--axial-noise", "--grain",
                                      "--projection", "--tiling", "--offset", "--scale", "--rotation", "--orbit", "--vector-path",
                                      "--out"};
  Options options;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    if (arg == "--parallel" || arg == "--flat")
    {
      (arg == "--flat" ? options.flat : options.parallel) = true;
      continue;
    }
    bool isKnown = false;
    for (const char* name : known)
      isKnown = isKnown || arg == name;
    if (!isKnown)
      throw BadArgument("unknown option '" + arg + "' (see --help)");
    if (i + 1 >= argc)
      throw BadArgument(arg + " wants a value");
    options.values[arg] = argv[++i];
  }
  if (!options.has("--out"))
    throw BadArgument("--out FILE.png is required");
  return options;
}

// Offset, scale and rotation into the map's transform: rotate, move by minus
// the offset, divide by the scale.
OdGeMatrix3d mapTransform(double ox, double oy, double sx, double sy, double degrees)
{
  const OdGeMatrix3d S = OdGeMatrix3d::scaling(OdGeVector3d(1.0 / sx, 1.0 / sy, 1.0));
  const OdGeMatrix3d T = OdGeMatrix3d::translation(OdGeVector3d(-ox, -oy, 0.0));
  const OdGeMatrix3d R = OdGeMatrix3d::rotation(degrees * 0.017453292519943295, OdGeVector3d::kZAxis);
  return (S * T) * R;
}

OdDbObjectId addMaterial(OdDbDatabase* db, const Options& o)
{
  OdDbMaterialPtr material = OdDbMaterial::createObject();
  material->setName(L"Preview");
  MaterialColor diffuse = color("--diffuse", o.has("--diffuse") ? o.get("--diffuse") : "180,180,180");
  MaterialColor ambient = o.has("--ambient") ? color("--ambient", o.get("--ambient")) : diffuse;
  MaterialColor specular = color("--specular", o.has("--specular") ? o.get("--specular") : "255,255,255");
  const double gloss = o.has("--gloss") ? number("--gloss", o.get("--gloss"), 0, 1) : 0.5;
  const double opacity = o.has("--opacity") ? number("--opacity", o.get("--opacity"), 0, 1) : 1.0;

  MaterialMap map;
  map.setSource(kScene);
  if (o.has("--map"))
  {
    const std::string what = o.get("--map");
    if (what == "marble")
    {
      OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
      marble->setStoneColor(color("--stone", o.has("--stone") ? o.get("--stone") : "232,226,214"));
      marble->setVeinColor(color("--vein", o.has("--vein") ? o.get("--vein") : "70,80,96"));
      if (o.has("--vein-spacing"))
        marble->setVeinSpacing(number("--vein-spacing", o.get("--vein-spacing"), 0.01, 100));
      if (o.has("--vein-width"))
        marble->setVeinWidth(number("--vein-width", o.get("--vein-width"), 0, 100));
      map.setSource(kProcedural);
      map.setTexture(OdGiMaterialTexturePtr(marble.get()));
    }
    else if (what == "wood")
    {
      OdGiWoodTexturePtr wood = OdGiWoodTexture::createObject();
      if (o.has("--color1"))
        wood->setColor1(color("--color1", o.get("--color1")));
      if (o.has("--color2"))
        wood->setColor2(color("--color2", o.get("--color2")));
      if (o.has("--radial-noise"))
        wood->setRadialNoise(number("--radial-noise", o.get("--radial-noise"), 0, 100));
      if (o.has("--axial-noise"))
        wood->setAxialNoise(number("--axial-noise", o.get("--axial-noise"), 0, 100));
      if (o.has("--grain"))
        wood->setGrainThickness(number("--grain", o.get("--grain"), 0.001, 100));
      map.setSource(kProcedural);
      map.setTexture(OdGiMaterialTexturePtr(wood.get()));
    }
    else if (what.empty())
      throw BadArgument("--map wants a file name, marble or wood");
    else
    {
      map.setSource(kFile);
      map.setSourceFileName(OdString(what.c_str()));
    }
  }
  MapMapper& mapper = map.mapper();
  if (o.has("--projection"))
  {
    const std::string p = o.get("--projection");
    const std::map<std::string, MapMapper::Projection> names = {
      {"planar", MapMapper::kPlanar}, {"box", MapMapper::kBox}, {"cylinder", MapMapper::kCylinder}, {"sphere", MapMapper::kSphere}};
    if (!names.count(p))
      throw BadArgument("--projection wants planar, box, cylinder or sphere, not '" + p + "'");
    mapper.setProjection(names.at(p));
  }
  if (o.has("--tiling"))
  {
    const std::string t = o.get("--tiling");
    const std::map<std::string, MapMapper::Tiling> names = {
      {"tile", MapMapper::kTile}, {"none", MapMapper::kCrop}, {"clamp", MapMapper::kClamp}, {"mirror", MapMapper::kMirror}};
    if (!names.count(t))
      throw BadArgument("--tiling wants tile, none, clamp or mirror, not '" + t + "'");
    mapper.setUTiling(names.at(t));
    mapper.setVTiling(names.at(t));
  }
  const std::vector<double> offset = o.has("--offset") ? numbers("--offset", o.get("--offset"), 2, -1e9, 1e9) : std::vector<double>{0, 0};
  std::vector<double> scale{1, 1};
  if (o.has("--scale"))
  {
    scale = numbers("--scale", o.get("--scale"), 2, 1e-9, 1e9);
    mapper.setAutoTransform(MapMapper::kNone);
  }
  else
    mapper.setAutoTransform(MapMapper::kObject);
  const double rotation = o.has("--rotation") ? number("--rotation", o.get("--rotation"), -36000, 36000) : 0.0;
  mapper.setTransform(mapTransform(offset[0], offset[1], scale[0], scale[1], rotation));
  if (o.has("--brightness"))
    map.setBlendFactor(number("--brightness", o.get("--brightness"), 0, 10));

  material->setAmbient(ambient);
  material->setDiffuse(diffuse, map);
  material->setSpecular(specular, MaterialMap(), gloss);
  material->setOpacity(opacity, MaterialMap());

  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
  return dictionary->setAt(L"Preview", material);
}

int run(const Options& o)
{
  const int size = o.has("--size") ? int(number("--size", o.get("--size"), 1, 4096)) : 256;
  const std::string sample = o.has("--sample") ? o.get("--sample") : "sphere";
  if (sample != "sphere" && sample != "cube" && sample != "torus")
    throw BadArgument("--sample wants sphere, cube or torus, not '" + sample + "'");
  const std::vector<double> background =
    o.has("--background") ? numbers("--background", o.get("--background"), 3, 0, 255) : std::vector<double>{48, 52, 58};

  OdDbDatabasePtr db = odCreateDatabase();
  const OdDbObjectId materialId = addMaterial(db, o);

  // The preview's samples and sizes.
  OdDbEntityPtr entity;
  const OdGePoint3d origin(0, 0, 0);
  if (sample == "cube")
    meui::buildSampleCube(db, origin, 50.0, entity);
  else if (sample == "torus")
    meui::buildSampleTorus(db, origin, 50.0, 10.0, 50, 50, entity);
  else
    meui::buildSampleSphere(db, origin, 50.0, 50, 50, entity);
  if (entity.isNull())
  {
    std::fprintf(stderr, "material-render: the sample could not be built\n");
    return 1;
  }
  entity->setMaterial(materialId);
  {
    OdDbBlockTableRecordPtr modelSpace = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    modelSpace->appendOdDbEntity(entity);
  }
  OdGeExtents3d extents;
  entity->getGeomExtents(extents);
  entity = nullptr;

  OdGsModulePtr module = odrxDynamicLinker()->loadModule(OdGsSoftwareModuleName, false);
  OdGsDevicePtr device = module->createDevice();
  device->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(true));
  if (o.has("--vector-path") && !OdGsSoftwareDevice::cast(device)->setVectorPath(o.get("--vector-path").c_str()))
    throw BadArgument("--vector-path: this processor cannot run '" + o.get("--vector-path") + "' (SSE2 or AVX2)");
  OdGiContextForDbDatabasePtr context = OdGiContextForDbDatabase::createObject();
  context->setDatabase(db);
  OdGsLayoutHelperPtr helper = OdDbGsManager::setupActiveLayoutViews(device, context);
  const ODCOLORREF back = ODRGB(unsigned(background[0]), unsigned(background[1]), unsigned(background[2]));
  std::vector<ODCOLORREF> palette(odcmAcadPalette(), odcmAcadPalette() + 256);
  palette[0] = back;
  helper->setLogicalPalette(palette.data(), 256);
  helper->setBackgroundColor(back);

  // From the front right, a little above: all three samples show their form.
  OdGsView* view = helper->activeView();
  view->setViewportBorderVisibility(false);
  if (o.flat)
    view->setMode(OdDb::kFlatShaded);
  const OdGePoint3d centre = extents.center();
  OdGeVector3d toCamera = OdGeVector3d(0.55, -1.0, 0.62).normal(), up = OdGeVector3d::kZAxis;
  if (o.has("--orbit"))
  {
    // Around the vertical axis, then over the camera's horizontal axis; the
    // up vector turns along, so a view over the top is not flipped.
    const std::vector<double> orbit = numbers("--orbit", o.get("--orbit"), 2, -360, 360);
    const OdGeMatrix3d around = OdGeMatrix3d::rotation(orbit[0] * 0.017453292519943295, OdGeVector3d::kZAxis);
    toCamera = around * toCamera;
    const OdGeMatrix3d over = OdGeMatrix3d::rotation(orbit[1] * 0.017453292519943295, toCamera.crossProduct(up).normal());
    toCamera = over * toCamera;
    up = over * up;
  }
  view->setView(centre + toCamera * 400.0, centre, up, 100.0, 100.0, o.parallel ? OdGsView::kParallel : OdGsView::kPerspective);
  // The box around the eight corners as the camera sees them, as the
  // preview frames its sample: a sphere then shows as large as the
  // thumbnails show it, smaller than the cube in the same box.
  OdGeExtents3d eye = extents;
  eye.transformBy(view->viewingMatrix());
  view->zoomExtents(eye.minPoint(), eye.maxPoint(), 1.02);
  helper->onSize(OdGsDCRect(0, size, size, 0));
  helper->update();
  for (const OdString& message : helper->lastUpdateReport().messages)
    std::fprintf(stderr, "material-render: warning: %s\n", message.toUtf8().c_str());

  const OdGsSoftwareDevice* soft = OdGsSoftwareDevice::cast(device).get();
  const OdGiRasterImageRGBA& image = soft->image();
  return writePng(o.get("--out"), image) ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h")
    {
      std::fputs(kUsage, stdout);
      return 0;
    }
  try
  {
    return run(parse(argc, argv));
  }
  catch (const BadArgument& e)
  {
    std::fprintf(stderr, "material-render: %s\n", e.what());
    return 2;
  }
  catch (const std::exception& e)
  {
    std::fprintf(stderr, "material-render: %s\n", e.what());
    return 1;
  }
}
