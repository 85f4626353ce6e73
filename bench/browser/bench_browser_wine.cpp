// The Materials Browser loading a drawing of 1,000 materials (plain, marble,
// wood and image maps sharing a few files) under Wine, as the host measures
// it: TIME MATBROWSEROPEN, from the command to the list's last paint.
//
// Needs the optimised Windows build (cmake --preset windows-release &&
// cmake --build --preset windows-release) and runs its host.exe through
// scripts/wine-run; ME_BENCH_HOST names another host.exe. Each iteration is
// one showing of the browser; the host process starts once per benchmark.
#include "JsonValue.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

constexpr int kMaterials = 1000;
constexpr int kShowings = 5;

// Wine sees the file system as drive Z:.
std::string wine(const fs::path& p) { return "Z:" + p.generic_string(); }

std::string hostExe()
{
  const char* given = std::getenv("ME_BENCH_HOST");
  return given && *given ? given : ME_BENCH_DEFAULT_HOST;
}

void writeDrawing(const fs::path& file)
{
  const fs::path source(ME_SOURCE_DIR);
  const std::vector<fs::path> images = {source / "samples/textures/bricks.png", source / "samples/textures/checker.png",
                                        source / "tests/fixtures/images/quad.jpg",
                                        source / "tests/fixtures/images/quad-lzw.tif"};
  std::ofstream out(file);
  for (int i = 0; i < kMaterials; ++i)
  {
    out << "MATERIAL \"Material " << i << "\"";
    switch (i % 4)
    {
    case 0: out << " DIFFUSE " << (i * 37) % 256 << "," << (i * 91) % 256 << "," << (i * 53) % 256; break;
    case 1: out << " MAP MARBLE"; break;
    case 2: out << " DIFFUSE 150,100,50 MAP WOOD"; break;
    default: out << " MAP FILE '" << wine(images[std::size_t(i / 4) % images.size()]) << "'"; break;
    }
    out << "\n";
  }
}

struct Timing
{
  double wall, cpu; // milliseconds
};

// Runs the host once: the browser shown kShowings times; the host's timings.
std::vector<Timing> showingTimes(const fs::path& dir)
{
  writeDrawing(dir / "thousand.mescript");
  {
    std::ofstream script(dir / "script.txt");
    for (int i = 0; i < kShowings; ++i)
      script << "TIME MATBROWSEROPEN\nMATBROWSEROPEN\n";
    script << "DUMP '" << wine(dir / "dump.json") << "'\nQUIT\n";
  }
  const std::string command = "'" ME_SOURCE_DIR "/scripts/wine-run' '" + hostExe() + "' '" +
                              wine(dir / "thousand.mescript") + "' /profile '" + wine(dir / "profile.txt") +
                              "' /script '" + wine(dir / "script.txt") + "' > '" + (dir / "host.log").string() +
                              "' 2>&1";
  if (std::system(command.c_str()) != 0)
    throw std::runtime_error("the host failed; see " + (dir / "host.log").string());
  std::ifstream in(dir / "dump.json");
  std::stringstream text;
  text << in.rdbuf();
  const JsonValue dump = JsonValue::parse(text.str());
  std::vector<Timing> times;
  for (const JsonValue& timing : dump["timings"].items())
    times.push_back({timing["ms"].asNumber(), timing["cpuMs"].asNumber()});
  return times;
}

void BM_BrowserLoadUnderWine(benchmark::State& state)
{
  const fs::path dir = fs::temp_directory_path() / "me_bench_browser";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<Timing> times;
  try
  {
    times = showingTimes(dir);
  }
  catch (const std::exception& e)
  {
    state.SkipWithError(e.what());
    return;
  }
  if (times.size() != std::size_t(kShowings))
  {
    state.SkipWithError("the host recorded no timings");
    return;
  }
  // The time on the wall, as a user waits it; the host thread's own time
  // beside it, since on a shared machine the two differ.
  std::size_t next = 0;
  double cpu = 0;
  for (auto _ : state)
  {
    const Timing& t = times[next++ % times.size()];
    state.SetIterationTime(t.wall / 1000.0);
    cpu += t.cpu;
  }
  state.counters["cpu_ms"] = cpu / double(next);
  state.counters["first_ms"] = times.front().wall;
  state.counters["materials"] = kMaterials;
}
} // namespace

BENCHMARK(BM_BrowserLoadUnderWine)->UseManualTime()->Iterations(kShowings)->Unit(benchmark::kMillisecond);
