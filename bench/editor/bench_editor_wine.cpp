// The Material editor's preview under Wine, as the host measures it: a
// marble torus turned by a drag over the preview, each of the drag's moves
// timed by TIME from the moment its input is sent until the host's message
// loop has handled it and everything it caused, the preview's paint
// included (not the queuing of the drag).
//
//   BM_OrbitFrameUnderWine/W    the pane resized so that the preview is W
//                               pixels wide; its height is the dialog
//                               template's, which the layout never exceeds
//                               (262: the dialog at its template's size)
//
// A drag of 200 pixels is a move to its start, a press, 50 moves of 4
// pixels and a release; the 50 moves are the frames. Each case reports the median wall time of a frame
// as its time (frame_median_ms), the host thread's median CPU time
// (cpu_median_ms, in Wine's 10 ms steps), the preview's size as the host
// dumped it, and the load average of the machine when it ran. A case fails
// unless the preview's picture changed under the drag.
//
// Needs the optimised Windows build (cmake --preset windows-release &&
// cmake --build --preset windows-release) and runs its host.exe through
// scripts/wine-run; ME_BENCH_HOST names another host.exe.
#include "JsonValue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

constexpr int kMoves = 50;
constexpr int kStep = 4; // pixels a drag moves at a time (the host's DRAG)
constexpr const char* kPane = "\"Material editor - Marble\"";

std::string wine(const fs::path& p) { return "Z:" + p.generic_string(); }

std::string hostExe()
{
  const char* given = std::getenv("ME_BENCH_HOST");
  return given && *given ? given : ME_BENCH_DEFAULT_HOST;
}

JsonValue readJson(const fs::path& file)
{
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return JsonValue::parse(text.str());
}

double median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

double loadAverage()
{
  std::ifstream in("/proc/loadavg");
  double one = 0;
  in >> one;
  return one;
}

struct Frames
{
  std::vector<double> wall, cpu; // milliseconds, one a move
  int width = 0, height = 0;     // of the preview
  std::string problem;
};

Frames orbit(int previewWidth)
{
  const fs::path dir = fs::temp_directory_path() / ("me_bench_editor_" + std::to_string(previewWidth));
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    std::ofstream(dir / "drawing.mescript") << "MATERIAL Marble MAP MARBLE\n";
    // The torus, in normal mode.
    std::ofstream(dir / "profile.txt") << "[cmddata/MaterialEditor]\nSampleObject=i:4\nExtendedRegime=i:0\n";
    std::ofstream script(dir / "script.txt");
    // The pane's frame takes 6 pixels of its width; its height leaves the
    // preview its full height above the grid.
    script << "MATBROWSEROPEN\nCLICK \"Materials Browser\" ITEM \"Marble\" DOUBLE\n"
           << "RESIZE " << kPane << " " << previewWidth + 6 << ",700\nWAIT 300\n"
           << "DUMP '" << wine(dir / "before.json") << "'\n"
           << "TIME DRAG " << kPane << " AT 0,0 FROM 30,120 TO " << 30 + kMoves * kStep << ",120\n"
           << "DUMP '" << wine(dir / "dump.json") << "'\nQUIT\n";
  }
  const std::string command = "'" ME_SOURCE_DIR "/scripts/wine-run' '" + hostExe() + "' '" +
                              wine(dir / "drawing.mescript") + "' /profile '" + wine(dir / "profile.txt") +
                              "' /script '" + wine(dir / "script.txt") + "' > '" + (dir / "host.log").string() +
                              "' 2>&1";
  Frames frames;
  if (std::system(command.c_str()) != 0)
  {
    frames.problem = "the host failed; see " + (dir / "host.log").string();
    return frames;
  }
  const JsonValue before = readJson(dir / "before.json"), dump = readJson(dir / "dump.json");
  std::vector<const JsonValue*> steps;
  for (const JsonValue& timing : dump["timings"].items())
    if (timing["command"].asString().rfind("DRAG", 0) == 0)
      steps.push_back(&timing);
  // The move to the start, the press and the release are no frames.
  if (steps.size() != std::size_t(kMoves) + 3)
  {
    frames.problem = "the host timed " + std::to_string(steps.size()) + " steps of the drag";
    return frames;
  }
  for (std::size_t i = 2; i + 1 < steps.size(); ++i)
  {
    frames.wall.push_back((*steps[i])["ms"].asNumber());
    frames.cpu.push_back((*steps[i])["cpuMs"].asNumber());
  }
  const JsonValue& pane = dump["palettes"]["Material editor - Marble"];
  frames.width = int(pane["preview"]["size"][0].asNumber());
  frames.height = int(pane["preview"]["size"][1].asNumber());
  if (pane["preview"]["mean"].asString() ==
      before["palettes"]["Material editor - Marble"]["preview"]["mean"].asString())
    frames.problem = "the torus did not turn";
  return frames;
}

void BM_OrbitFrameUnderWine(benchmark::State& state)
{
  const double load = loadAverage();
  const Frames frames = orbit(int(state.range(0)));
  if (!frames.problem.empty())
  {
    state.SkipWithError(frames.problem.c_str());
    return;
  }
  std::size_t next = 0;
  for (auto _ : state)
  {
    state.SetIterationTime(frames.wall[next % frames.wall.size()] / 1000.0);
    ++next;
  }
  state.counters["frame_median_ms"] = median(frames.wall);
  state.counters["cpu_median_ms"] = median(frames.cpu);
  state.counters["preview_w"] = frames.width;
  state.counters["preview_h"] = frames.height;
  state.counters["load_avg"] = load;
}
} // namespace

BENCHMARK(BM_OrbitFrameUnderWine)
  ->Arg(262)
  ->Arg(400)
  ->UseManualTime()
  ->Iterations(kMoves)
  ->Unit(benchmark::kMillisecond);
