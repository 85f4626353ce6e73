// The Material editor's rows as a user works them: how the diffuse colour
// carries ambient and specular along in normal mode, and an edit asked for on
// a material already gone.
#include "BrowserRun.h"

#include <cmath>

using namespace browsertest;

namespace
{
constexpr const char* kEditorPrefix = "Material editor - ";
// A later run starts with the browser (the profile's start-up command):
// let it fill its list first.
const char* const kSettle = "WAIT 500";

std::string open(const std::string& material)
{
  return std::string("CLICK ") + kPane + " ITEM \"" + material + "\" DOUBLE";
}

std::string editorPane(const std::string& material) { return std::string("\"") + kEditorPrefix + material + "\""; }

const JsonValue* editor(const JsonValue& dump)
{
  for (const auto& [key, value] : dump["palettes"].members())
    if (key.rfind(kEditorPrefix, 0) == 0)
      return &value;
  return nullptr;
}

const JsonValue& gridRow(const JsonValue& dump, const std::string& label)
{
  static const JsonValue none;
  const JsonValue* pane = editor(dump);
  if (!pane || !pane->has("grids") || (*pane)["grids"].size() != 1)
    return none;
  for (const JsonValue& row : (*pane)["grids"][0]["rows"].items())
    if (row["label"].asString() == label)
      return row;
  return none;
}

std::string channel(const JsonValue& dump, const std::string& name, const char* key)
{
  return material(dump, name)[key]["color"].asString();
}

JsonValue dumpOf(HostHarness& host, const wchar_t* name) { return JsonValue::parse(host.readFile(name)); }

} // namespace

TEST(MaterialEditorChannels, EditPickedOnAMaterialErasedWhileItsMenuIsOpenOpensNothing)
{
  HostHarness host;
  const std::wstring file = drawing(host, "MATERIAL Steel\nMATERIAL Oak\n");
  // The erase comes from the command line while the user's menu is open; the
  // user then picks "Edit" for the item that was there.
  const HostRun run = host.run({"MATBROWSEROPEN", "ANSWER RUN \"ERASE Steel\"", "ANSWER MENU 1005",
                                std::string("CLICK ") + kPane + " ITEM \"Steel\" RIGHT", "DUMP {dir}/erased.json",
                                open("Oak"), "DUMP {dump}", "QUIT"},
                               {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue erased = dumpOf(host, L"erased.json");
  ASSERT_EQ(erased["menus"].size(), 1u);
  EXPECT_EQ(erased["menus"][0]["answer"].asNumber(), 1005);
  EXPECT_FALSE(hasMaterial(erased, "Steel"));
  const JsonValue* pane = editor(erased);
  EXPECT_TRUE(pane == nullptr || !(*pane)["shown"].asBool()) << "no editor on a material that is gone";
  EXPECT_EQ(erased["messages"].size(), 0u);
  // The browser and the editor still work on what is left.
  const JsonValue dump = run.dump();
  ASSERT_NE(editor(dump), nullptr);
  EXPECT_EQ((*editor(dump))["title"].asString(), "Material editor - Oak");
  EXPECT_TRUE((*editor(dump))["shown"].asBool());
}

TEST(MaterialEditorChannels, InNormalModeTheDiffuseColourCarriesAmbientAndSpecularInExtendedModeNot)
{
  HostHarness host;
  const std::string lines = "MATERIAL Steel DIFFUSE 40,60,200 AMBIENT 10,20,30 SPECULAR 200,200,200\n";
  const std::wstring file = drawing(host, lines);
  const std::string pane = editorPane("Steel");
  const HostRun normal = host.run({"MATBROWSEROPEN", open("Steel"), "RESIZE " + pane + " 320,470",
                                   "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"red\"", "DUMP {dump}", "QUIT"},
                                  {file});
  ASSERT_EQ(normal.exitCode, 0) << normal.errors;
  const JsonValue one = normal.dump();
  const std::string red = channel(one, "Steel", "diffuse");
  EXPECT_NE(red, "40,60,200");
  EXPECT_EQ(channel(one, "Steel", "ambient"), red);
  EXPECT_EQ(channel(one, "Steel", "specular"), red);

  const std::wstring again = drawing(host, lines);
  const HostRun extended =
    host.run({kSettle, open("Steel"), "RESIZE " + pane + " 320,470", "CLICK " + pane + " BUTTON 74",
              "CHOOSE " + pane + " ROW \"Generic.Diffuse\" \"red\"", "DUMP {dump}", "QUIT"},
             {again});
  ASSERT_EQ(extended.exitCode, 0) << extended.errors;
  const JsonValue two = extended.dump();
  EXPECT_EQ(channel(two, "Steel", "diffuse"), red);
  EXPECT_EQ(channel(two, "Steel", "ambient"), "10,20,30");
  EXPECT_EQ(channel(two, "Steel", "specular"), "200,200,200");
  EXPECT_EQ(gridRow(two, "Generic.Ambient")["text"].asString(), "10,20,30") << "the row shows what was kept";
}
