// Our renderer beside Mesa's llvmpipe (through OSMesa), one thread each:
// the preview's sample sphere, torus and cube with a plain, an image-mapped
// and a marble material, 96 x 96 and 400 x 400. Both sides draw the same
// triangles with the same normals (the renderer's own scene) from the same
// camera with four samples a pixel and back faces culled, light each pixel
// in linear light (Blinn-Phong from the key light, a fill light, ambient),
// lay on the same picture with trilinear filtering or evaluate the same
// marble (gradient noise, veins averaged over the pixel's footprint), and
// bring the result through the same tone curve to sRGB. After the runs a
// table gives each side's median CPU time per frame, the ratio and the
// samples per pixel.
//
//   build/native-release/bin/render_compare --benchmark_repetitions=5 [--vector-path=SSE2]
//
// With ME_COMPARE_PICTURES=folder each side's first frame of each case is
// written there as a PNG, to see that both draw the same picture.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/osmesa.h>

#include "BenchMaterials.h"
#include "Scene.h"

#include "od/CmColor.h"

#include <benchmark/benchmark.h>
#include <stb_image_write.h>

#include <cstdio>
#include <map>
#include <stdexcept>

using namespace renderbench;

namespace
{
enum class Sample
{
  Sphere,
  Torus,
  Cube
};
const char* const kSampleNames[] = {"sphere", "torus", "cube"};
const char* const kMapNames[] = {"plain", "marble", "image"}; // by Map
constexpr ODCOLORREF kBackground = ODRGB(48, 52, 58);
constexpr int kSeed = 3; // the material's variation (see setMaterial)

// A sample with its material in a private drawing, framed as material-render
// frames it: from the front right, a little above.
struct Subject
{
  Harness h;
  OdDbObjectId entity;

  Subject(Sample sample, Map map, int size)
  {
    useVectorPath(h);
    h.device()->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(true));
    h.device()->setBackgroundColor(kBackground);
    OdDbEntityPtr e;
    if (sample == Sample::Cube)
      meui::buildSampleCube(h.db(), OdGePoint3d(0, 0, 0), 50.0, e);
    else if (sample == Sample::Torus)
      meui::buildSampleTorus(h.db(), OdGeMatrix3d(), OdGePoint3d(0, 0, 0), 50.0, 10.0, 50, 50, e);
    else
      meui::buildSampleSphere(h.db(), OdGeMatrix3d(), OdGePoint3d(0, 0, 0), 50.0, 50, 50, e);
    OdGeExtents3d box;
    e->getGeomExtents(box);
    const OdGePoint3dArray points = meui::samplePoints(e);
    entity = h.add(e, h.addMaterial(L"M", [map](OdDbMaterial& m) { setMaterial(m, map, kSeed); }));
    const OdGePoint3d centre = box.center();
    h.view()->setView(centre + OdGeVector3d(0.55, -1.0, 0.62).normal() * 400.0, centre, OdGeVector3d::kZAxis, 100, 100,
                      OdGsView::kPerspective);
    OdGeExtents3d eye;
    for (const OdGePoint3d& p : points)
      eye.addPoint(h.view()->viewingMatrix() * p);
    h.view()->zoomExtents(eye.minPoint(), eye.maxPoint(), 1.02);
    h.device()->onSize(OdGsDCRect(0, size, size, 0));
  }
};

// The world-to-clip matrix of the view for OpenGL (column-major), with
// near and far planes around the geometry.
void clipMatrix(OdGsView* view, int size, const OdGsRender::MeshGeometry& mesh, float out[16])
{
  const OdGeMatrix3d viewing = view->viewingMatrix();
  const double distance = view->position().distanceTo(view->target());
  const double scale = std::min(size / view->fieldWidth(), size / view->fieldHeight());
  double nearest = 1e300, farthest = 0;
  for (const OdGsRender::Vec3& p : mesh.positions)
  {
    const double t = distance - (viewing * OdGePoint3d(p.x, p.y, p.z)).z;
    nearest = std::min(nearest, t), farthest = std::max(farthest, t);
  }
  const double n = nearest * 0.9, f = farthest * 1.1, focal = 2.0 * scale * distance / size;
  // Eye coordinates have the target at the origin: the camera sits at z = distance.
  OdGeMatrix3d projection;
  projection.entry[0][0] = focal;
  projection.entry[1][1] = focal;
  projection.entry[2][2] = -(f + n) / (f - n);
  projection.entry[2][3] = -2.0 * f * n / (f - n);
  projection.entry[3][2] = -1.0;
  projection.entry[3][3] = 0.0;
  const OdGeMatrix3d toClip = projection * OdGeMatrix3d::translation(OdGeVector3d(0, 0, -distance)) * viewing;
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      out[c * 4 + r] = float(toClip.entry[r][c]);
}

const char* const kSurfaceVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
uniform mat4 toClip;
out vec3 worldPosition;
out vec3 worldNormal;
void main() { worldPosition = position; worldNormal = normal; gl_Position = toClip * vec4(position, 1.0); }
)";

// The renderer's shading (Material.cpp, Procedural.cpp) in GLSL.
const char* const kSurfaceFragment = R"(#version 330 core
in vec3 worldPosition;
in vec3 worldNormal;
uniform vec3 camera, lightDirection[2];
uniform float lightIntensity[2], ambientLight;
uniform vec3 ambientColor, diffuseColor, specularColor;
uniform float exponent, specularScale;
uniform int look; // 0 plain, 1 marble, 2 image
uniform vec3 boxMin, boxSize, centre;
uniform float size;
uniform sampler2D picture, veinValue, veinIntegral;
uniform vec3 stone, vein;
uniform float bands, period;
out vec4 color;

float noise(vec3 p)
{
  vec3 cell = floor(p), f = p - cell;
  const uvec3 spread = uvec3(0x8da6b343u, 0xd8163841u, 0xcb1ab31fu);
  uvec3 base = uvec3(ivec3(cell)) * spread;
  float c[8];
  for (int i = 0; i < 8; ++i)
  {
    uvec3 o = uvec3(i & 1, (i >> 1) & 1, i >> 2);
    uint h = ((base.x + o.x * spread.x) ^ (base.y + o.y * spread.y) ^ (base.z + o.z * spread.z)) * 0x2c1b3c6du;
    vec3 g = vec3((h & 0x80000000u) != 0u ? -1.0 : 1.0, (h & 0x40000000u) != 0u ? -1.0 : 1.0, (h & 0x20000000u) != 0u ? -1.0 : 1.0);
    c[i] = dot(g, f - vec3(o));
  }
  vec3 u = f * f * f * (f * (f * 6.0 - 15.0) + 10.0);
  return mix(mix(mix(c[0], c[1], u.x), mix(c[2], c[3], u.x), u.y), mix(mix(c[4], c[5], u.x), mix(c[6], c[7], u.x), u.y), u.z);
}

float table(sampler2D t, float x) { return texture(t, vec2((x * 256.0 + 0.5) / 257.0, 0.5)).r; }
float integral(float t, float start) { float whole = floor(t); return (whole - start) * period + table(veinIntegral, t - whole); }
float filtered(float x, float w)
{
  if (!(w > 1.0 / 256.0))
    return table(veinValue, x - floor(x));
  float a = x - 0.5 * w, b = x + 0.5 * w, start = floor(a);
  return (integral(b, start) - integral(a, start)) / w;
}

void main()
{
  vec3 n = normalize(worldNormal), v = normalize(camera - worldPosition);
  vec3 base = diffuseColor;
  if (look == 1)
  {
    vec3 p = (worldPosition - centre) / size, q = p * 2.5 + vec3(17.3, 5.1, 9.7);
    float turbulence = abs(noise(q)) + 0.5 * abs(noise(q * 2.0));
    float f = dot(p, vec3(1.0, 0.35, 0.6)) * bands + 1.8 * turbulence;
    base = mix(stone * (0.9 + 0.12 * min(turbulence, 1.0)), vein, filtered(f, fwidth(f)));
  }
  else if (look == 2)
  {
    vec2 uv = (worldPosition.xy - boxMin.xy) / boxSize.xy;
    vec4 texel = texture(picture, vec2(uv.x, 1.0 - uv.y)); // rows top first
    base = texel.rgb * texel.a + diffuseColor * (1.0 - texel.a);
  }
  float nl0 = dot(n, lightDirection[0]), nl1 = dot(n, lightDirection[1]);
  float diffuse = lightIntensity[0] * max(nl0, 0.0) + lightIntensity[1] * max(nl1, 0.0);
  float nh = dot(n, normalize(lightDirection[0] + v));
  float highlight = nl0 > 0.0 && nh > 0.0 ? pow(nh, exponent) * lightIntensity[0] * specularScale : 0.0;
  vec3 ambient = look == 0 ? ambientColor : base;
  color = vec4(ambient * ambientLight + base * diffuse + specularColor * highlight, 1.0);
}
)";

const char* const kToneVertex = R"(#version 330 core
void main() { gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0); }
)";

// The renderer's tone curve and sRGB (RenderMath.h).
const char* const kToneFragment = R"(#version 330 core
uniform sampler2D resolved;
out vec4 color;
void main()
{
  vec3 x = max(texelFetch(resolved, ivec2(gl_FragCoord.xy), 0).rgb, 0.0);
  vec3 over = clamp(x - 0.75, 0.0, 0.5);
  vec3 toned = min(x, 0.75) + over - over * over;
  color = vec4(mix(12.92 * toned, 1.055 * pow(toned, vec3(1.0 / 2.4)) - 0.055, step(0.0031308, toned)), 1.0);
}
)";

GLuint program(const char* vertex, const char* fragment)
{
  auto compile = [](GLenum kind, const char* text) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
      char log[2000];
      glGetShaderInfoLog(shader, sizeof log, nullptr, log);
      throw std::runtime_error(std::string("shader: ") + log);
    }
    return shader;
  };
  const GLuint p = glCreateProgram();
  glAttachShader(p, compile(GL_VERTEX_SHADER, vertex));
  glAttachShader(p, compile(GL_FRAGMENT_SHADER, fragment));
  glLinkProgram(p);
  GLint ok = 0;
  glGetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok)
    throw std::runtime_error("shaders do not link");
  return p;
}

// One OSMesa context for the whole run; llvmpipe renders in this thread.
struct Context
{
  OSMesaContext context = nullptr;
  GLuint surface = 0, tone = 0;

  Context()
  {
    const int attributes[] = {OSMESA_FORMAT,
                              OSMESA_RGBA,
                              OSMESA_DEPTH_BITS,
                              0,
                              OSMESA_PROFILE,
                              OSMESA_CORE_PROFILE,
                              OSMESA_CONTEXT_MAJOR_VERSION,
                              3,
                              OSMESA_CONTEXT_MINOR_VERSION,
                              3,
                              0};
    context = OSMesaCreateContextAttribs(attributes, nullptr);
  }
  static Context& get()
  {
    static Context c;
    return c;
  }
};

// The same subject drawn by llvmpipe: the renderer's scene of it uploaded,
// a multisampled floating-point target resolved, then the tone pass into
// the OSMesa buffer.
struct Llvmpipe
{
  int size;
  std::vector<OdUInt8> pixels;
  GLuint vao = 0, buffers[2] = {}, textures[4] = {}, multisampled = 0, resolved = 0, renderbuffers[2] = {};
  GLsizei indexCount = 0;
  OdGsRender::MeshGeometry mesh;
  GLint samples = 0;

  Llvmpipe(const Subject& subject, int pictureSize) : size(pictureSize), pixels(std::size_t(size) * size * 4)
  {
    Context& gl = Context::get();
    if (!gl.context || !OSMesaMakeCurrent(gl.context, pixels.data(), GL_UNSIGNED_BYTE, size, size))
      throw std::runtime_error("no OSMesa context");
    if (!gl.surface)
      gl.surface = program(kSurfaceVertex, kSurfaceFragment), gl.tone = program(kToneVertex, kToneFragment);

    // What the renderer itself draws: its triangles, normals and material.
    OdGsRender::TextureCache cache(&odgsDefaultImageLoader);
    OdGsRender::Scene scene;
    OdGsRender::collectScene(OdDbObjectIdArray{subject.h.db()->getModelSpaceId()}, {odcmAcadPalette(), &cache}, scene);
    mesh = *scene.meshes.at(0).geometry;
    const OdGsRender::SurfaceMaterial& material = scene.materials.at(0);

    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(2, buffers);
    std::vector<float> vertices;
    for (std::size_t i = 0; i < mesh.positions.size(); ++i)
      for (const OdGsRender::Vec3& v : {mesh.positions[i], mesh.normals[i]})
        vertices.insert(vertices.end(), {v.x, v.y, v.z});
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(float)), vertices.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 6 * sizeof(float), nullptr);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 6 * sizeof(float), reinterpret_cast<void*>(3 * sizeof(float)));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(mesh.indices.size() * sizeof(OdUInt32)), mesh.indices.data(),
                 GL_STATIC_DRAW);
    indexCount = GLsizei(mesh.indices.size());

    // Targets: four samples of linear light and depth, resolved into one.
    glGenRenderbuffers(2, renderbuffers);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_RGBA16F, size, size);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_DEPTH_COMPONENT24, size, size);
    glGenFramebuffers(1, &multisampled);
    glBindFramebuffer(GL_FRAMEBUFFER, multisampled);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
    glGetIntegerv(GL_SAMPLES, &samples);
    glGenTextures(4, textures);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, size, size, 0, GL_RGBA, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST); // one level: complete
    glGenFramebuffers(1, &resolved);
    glBindFramebuffer(GL_FRAMEBUFFER, resolved);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures[0], 0);

    // The picture, decoded as the renderer decodes it, as sRGB with mip
    // levels; the vein profile and its running integral as tables.
    glUseProgram(gl.surface);
    const GLuint p = gl.surface;
    auto at = [p](const char* name) { return glGetUniformLocation(p, name); };
    glUniform1i(at("picture"), 1);
    glUniform1i(at("veinValue"), 2);
    glUniform1i(at("veinIntegral"), 3);
    const OdGsRender::DiffuseMap& map = material.map;
    if (map.kind == OdGsRender::MapKind::Image)
    {
      OdGsDecodedImage image;
      OdString reason;
      odgsDefaultImageLoader(OdString(photoLikeImage().c_str()), image, reason);
      glActiveTexture(GL_TEXTURE1);
      glBindTexture(GL_TEXTURE_2D, textures[1]);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, GLsizei(image.width), GLsizei(image.height), 0, GL_RGBA,
                   GL_UNSIGNED_BYTE, image.rgba.data());
      glGenerateMipmap(GL_TEXTURE_2D);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    if (map.kind == OdGsRender::MapKind::Marble)
    {
      const float sharpness = 8.f / std::max(map.marble.width, 0.05f);
      float value[257], running[257] = {0.f};
      for (int i = 0; i <= 256; ++i)
      {
        value[i] = std::pow(0.5f + 0.5f * std::sin(6.2831853f * float(i) / 256.f), sharpness);
        if (i > 0)
          running[i] = running[i - 1] + 0.5f * (value[i - 1] + value[i]) / 256.f;
      }
      for (int k = 0; k < 2; ++k)
      {
        glActiveTexture(GLenum(GL_TEXTURE2 + k));
        glBindTexture(GL_TEXTURE_2D, textures[2 + k]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, 257, 1, 0, GL_RED, GL_FLOAT, k ? running : value);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      }
      glUniform1f(at("period"), running[256]);
      glUniform1f(at("bands"), 3.f / std::max(map.marble.spacing, 0.05f));
      glUniform3f(at("stone"), map.marble.stone.x, map.marble.stone.y, map.marble.stone.z);
      glUniform3f(at("vein"), map.marble.vein.x, map.marble.vein.y, map.marble.vein.z);
    }
    glUniform1i(at("look"), map.kind == OdGsRender::MapKind::Marble  ? 1
                            : map.kind == OdGsRender::MapKind::Image ? 2
                                                                     : 0);
    auto vec3 = [&](const char* name, const OdGsRender::Vec3& v) { glUniform3f(at(name), v.x, v.y, v.z); };
    vec3("ambientColor", material.ambient);
    vec3("diffuseColor", material.diffuse);
    vec3("specularColor", material.specular);
    glUniform1f(at("exponent"), material.exponent);
    glUniform1f(at("specularScale"), material.specularScale);
    vec3("boxMin", mesh.frame.min);
    vec3("boxSize", mesh.frame.max - mesh.frame.min);
    vec3("centre", mesh.frame.centre);
    glUniform1f(at("size"), mesh.frame.size);
  }

  void frame(OdGsView* view)
  {
    Context& gl = Context::get();
    OSMesaMakeCurrent(gl.context, pixels.data(), GL_UNSIGNED_BYTE, size, size);
    const GLuint p = gl.surface;
    auto at = [p](const char* name) { return glGetUniformLocation(p, name); };
    glBindFramebuffer(GL_FRAMEBUFFER, multisampled);
    glViewport(0, 0, size, size);
    const OdGsRender::Vec3 background = OdGsRender::linearColor(kBackground);
    glClearColor(background.x, background.y, background.z, 1.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glUseProgram(p);
    float toClip[16];
    clipMatrix(view, size, mesh, toClip);
    glUniformMatrix4fv(at("toClip"), 1, GL_FALSE, toClip);
    const OdGeMatrix3d eyeToWorld = view->viewingMatrix().inverse();
    const OdGsRender::Lighting lights = OdGsRender::Lighting::forCamera(eyeToWorld);
    const OdGePoint3d camera = view->position();
    glUniform3f(at("camera"), float(camera.x), float(camera.y), float(camera.z));
    const float directions[6] = {lights.direction[0].x, lights.direction[0].y, lights.direction[0].z,
                                 lights.direction[1].x, lights.direction[1].y, lights.direction[1].z};
    glUniform3fv(at("lightDirection"), 2, directions);
    glUniform1fv(at("lightIntensity"), 2, lights.intensity);
    glUniform1f(at("ambientLight"), lights.ambient);
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);

    glBindFramebuffer(GL_READ_FRAMEBUFFER, multisampled);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolved);
    glBlitFramebuffer(0, 0, size, size, 0, 0, size, size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glUseProgram(gl.tone);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glFinish();
  }

  ~Llvmpipe()
  {
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(2, buffers);
    glDeleteTextures(4, textures);
    glDeleteRenderbuffers(2, renderbuffers);
    glDeleteFramebuffers(1, &multisampled);
    glDeleteFramebuffers(1, &resolved);
  }
};

void writePicture(const std::string& name, const OdUInt8* rgba, int size, bool bottomUp)
{
  const char* folder = std::getenv("ME_COMPARE_PICTURES");
  if (!folder)
    return;
  const int stride = size * 4;
  stbi_write_png((std::string(folder) + "/" + name + ".png").c_str(), size, size, 4,
                 bottomUp ? rgba + stride * (size - 1) : rgba, bottomUp ? -stride : stride);
}

std::string caseName(Sample sample, Map map, int size, char separator = '/')
{
  return std::string(kSampleNames[int(sample)]) + separator + kMapNames[int(map)] + separator + std::to_string(size);
}

// Each frame is drawn afresh: the view changes a hair every time.
void ours(benchmark::State& state, Sample sample, Map map, int size)
{
  Subject subject(sample, map, size);
  writePicture("ours-" + caseName(sample, map, size, '-'), subject.h.render(size, size).data(), size, false);
  bool in = false;
  for (auto _ : state)
  {
    subject.h.view()->zoom(in ? 1.0001 : 1.0 / 1.0001);
    in = !in;
    subject.h.render(size, size);
  }
  state.counters["samples"] = 4;
}

void llvmpipe(benchmark::State& state, Sample sample, Map map, int size)
{
  Subject subject(sample, map, size);
  Llvmpipe gl(subject, size);
  gl.frame(subject.h.view()); // and the shaders are compiled for it
  writePicture("llvmpipe-" + caseName(sample, map, size, '-'), gl.pixels.data(), size, true);
  bool in = false;
  for (auto _ : state)
  {
    subject.h.view()->zoom(in ? 1.0001 : 1.0 / 1.0001);
    in = !in;
    gl.frame(subject.h.view());
  }
  state.counters["samples"] = gl.samples;
}

// Keeps the median (or only) CPU time of each run and its samples.
class Collector : public benchmark::ConsoleReporter
{
public:
  struct Result
  {
    double ms = 0;
    double samples = 0;
  };
  std::map<std::string, Result> results;

  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.aggregate_name.empty() || run.aggregate_name == "median")
      {
        Result& r = results[run.run_name.function_name];
        r.ms = run.GetAdjustedCPUTime() * (run.time_unit == benchmark::kMicrosecond ? 1e-3 : 1.0);
        r.samples = run.counters.count("samples") ? double(run.counters.at("samples")) : 0;
      }
  }
};
} // namespace

int main(int argc, char** argv)
{
  // llvmpipe draws in the calling thread only.
  setenv("LP_NUM_THREADS", "0", 1);
  for (int size : {96, 400})
    for (Sample sample : {Sample::Sphere, Sample::Torus, Sample::Cube})
      for (Map map : {Map::Plain, Map::Image, Map::Marble})
      {
        const std::string name = caseName(sample, map, size);
        benchmark::RegisterBenchmark(("ours/" + name).c_str(), ours, sample, map, size)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("llvmpipe/" + name).c_str(), llvmpipe, sample, map, size)
          ->Unit(benchmark::kMicrosecond);
      }
  takeVectorPathFlag(argc, argv);
  benchmark::Initialize(&argc, argv);
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  std::printf("\nours on the %s vector path\n%-22s %10s %12s %7s %18s\n", vectorPath().c_str(), "case", "ours ms", "llvmpipe ms", "ratio", "samples/pixel");
  for (int size : {96, 400})
    for (Sample sample : {Sample::Sphere, Sample::Torus, Sample::Cube})
      for (Map map : {Map::Plain, Map::Image, Map::Marble})
      {
        const std::string name = caseName(sample, map, size);
        const auto a = collector.results.find("ours/" + name), b = collector.results.find("llvmpipe/" + name);
        if (a == collector.results.end() || b == collector.results.end())
          continue;
        std::printf("%-22s %10.3f %12.3f %7.2f %8.0f / %-8.0f\n", name.c_str(), a->second.ms, b->second.ms,
                    b->second.ms / a->second.ms, a->second.samples, b->second.samples);
      }
  benchmark::Shutdown();
  return 0;
}
