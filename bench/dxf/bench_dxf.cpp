// DXF files of a large drawing: 100,000 polyface cubes on 100 layers with
// 1,000 distinct materials, written to text and read back; and a file as
// another program writes it: 100,000 entities, half of them lines and texts,
// which the model does not know, half 3D faces. The counters give the file
// size, the objects read, and the memory a read takes: what the database
// holds once it is read and the peak while it reads, counted by the
// allocator hook below.
#include "BigDrawing.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

// Every operator new of the process is counted, the SDK's included (the
// program's replacement serves the shared library too), as the bytes malloc
// gives for it. The SDK allocates nothing with malloc itself.
namespace heap
{
std::atomic<std::size_t> live{0}, peak{0};

void add(std::size_t bytes)
{
  const std::size_t now = live.fetch_add(bytes, std::memory_order_relaxed) + bytes;
  std::size_t high = peak.load(std::memory_order_relaxed);
  while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed))
  {
  }
}
} // namespace heap

void* operator new(std::size_t size)
{
  void* block = std::malloc(size ? size : 1);
  if (!block)
    throw std::bad_alloc();
  heap::add(malloc_usable_size(block));
  return block;
}

void operator delete(void* block) noexcept
{
  if (block)
    heap::live.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace
{
using bigdrawing::kCubes;

[[noreturn]] void fail(const char* what)
{
  std::fprintf(stderr, "benchmark check failed: %s\n", what);
  std::abort();
}

const OdDbDatabasePtr& drawing()
{
  static const OdDbDatabasePtr db = bigdrawing::cubes();
  return db;
}

// ME_DXF_BENCH_FILE=path and ME_DXF_BENCH_OTHER_FILE=path also leave the
// files there, for timing the host's OPEN and SAVEAS of them under Wine.
std::string leftIn(const char* variable, std::string text)
{
  if (const char* path = std::getenv(variable))
  {
    std::FILE* file = std::fopen(path, "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fclose(file) != 0)
      fail("the file of the environment variable is written");
  }
  return text;
}

const std::string& drawingText()
{
  static const std::string text = leftIn("ME_DXF_BENCH_FILE", odDxfWrite(drawing()));
  return text;
}

void DxfWrite(benchmark::State& state)
{
  OdDbDatabase* db = drawing();
  std::size_t bytes = 0;
  for (auto _ : state)
  {
    const std::string text = odDxfWrite(db);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["megabytes"] = double(bytes) / 1e6;
}
BENCHMARK(DxfWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reads the text in each iteration; the counters of the last: entities of
// model space, of them 3D faces, and the memory in megabytes.
void readCase(benchmark::State& state, const std::string& text, const wchar_t* name, std::size_t& entities,
              std::size_t& faces)
{
  double held = 0, peak = 0;
  for (auto _ : state)
  {
    const std::size_t before = heap::live.load();
    heap::peak.store(before);
    OdDbDatabasePtr db = odDxfRead(text, name);
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
    state.PauseTiming();
    held = double(heap::live.load() - before) / 1e6;
    peak = double(heap::peak.load() - before) / 1e6;
    entities = model->entityIds().size();
    faces = 0;
    for (const OdDbObjectId& id : model->entityIds())
      faces += OdDbFace::cast(id.openObject()).get() != nullptr;
    model.release();
    db.release(); // freeing the drawing is not reading it
    state.ResumeTiming();
  }
  state.counters["megabytes"] = double(text.size()) / 1e6;
  state.counters["entities"] = double(entities);
  state.counters["heldMB"] = held;
  state.counters["peakMB"] = peak;
}

void DxfRead(benchmark::State& state)
{
  std::size_t entities = 0, faces = 0;
  readCase(state, drawingText(), L"big.dxf", entities, faces);
  if (entities != std::size_t(kCubes))
    fail("every cube is read");
}
BENCHMARK(DxfRead)->Unit(benchmark::kMillisecond)->Iterations(3);

// A file as ezdxf writes one at R2018: handles, owners, layers and subclass
// markers; entity i is a 3D face when i is odd, else a line or a text.
constexpr int kOtherEntities = 100000;

const std::string& otherProgramText()
{
  static const std::string text = leftIn("ME_DXF_BENCH_OTHER_FILE", [] {
    std::string out;
    out.reserve(std::size_t(kOtherEntities) * 200);
    char buffer[512];
    auto add = [&](const char* format, auto... values) {
      const int n = std::snprintf(buffer, sizeof buffer, format, values...);
      if (n < 0 || std::size_t(n) >= sizeof buffer)
        fail("a record of the file fits its buffer");
      out.append(buffer, std::size_t(n));
    };
    const unsigned first = 0x100, model = 0x20, paper = 0x21;
    add("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1032\n  9\n$DWGCODEPAGE\n  3\nANSI_1252\n"
        "  9\n$HANDSEED\n  5\n%X\n  0\nENDSEC\n",
        first + kOtherEntities);
    add("  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n  5\n2\n330\n0\n100\nAcDbSymbolTable\n 70\n%d\n",
        bigdrawing::kLayers);
    for (int i = 0; i < bigdrawing::kLayers; ++i)
      add("  0\nLAYER\n  5\n%X\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\n"
          "Layer %d\n 70\n0\n 62\n%d\n  6\nContinuous\n370\n-3\n",
          0x40 + i, i, 1 + i % 7);
    add("  0\nENDTAB\n  0\nTABLE\n  2\nBLOCK_RECORD\n  5\n1\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n");
    for (const auto& [handle, name] : {std::pair{model, "*Model_Space"}, std::pair{paper, "*Paper_Space"}})
      add("  0\nBLOCK_RECORD\n  5\n%X\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n"
          "  2\n%s\n",
          handle, name);
    add("  0\nENDTAB\n  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n");
    for (const auto& [handle, name] : {std::pair{model, "*Model_Space"}, std::pair{paper, "*Paper_Space"}})
      add("  0\nBLOCK\n  5\n%X\n330\n%X\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockBegin\n  2\n%s\n 70\n0\n"
          " 10\n0.0\n 20\n0.0\n 30\n0.0\n  3\n%s\n  1\n\n  0\nENDBLK\n  5\n%X\n330\n%X\n100\nAcDbEntity\n"
          "  8\n0\n100\nAcDbBlockEnd\n",
          handle + 2, handle, name, name, handle + 4, handle);
    add("  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n");
    for (int i = 0; i < kOtherEntities; ++i)
    {
      const double x = (i % 1000) * 2.0, y = (i / 1000) * 2.0;
      add("  0\n%s\n  5\n%X\n330\n%X\n100\nAcDbEntity\n  8\nLayer %d\n",
          i % 2   ? "3DFACE"
          : i % 4 ? "TEXT"
                  : "LINE",
          first + unsigned(i), model, i % bigdrawing::kLayers);
      if (i % 2)
        add("100\nAcDbFace\n 10\n%g\n 20\n%g\n 30\n0.0\n 11\n%g\n 21\n%g\n 31\n0.0\n 12\n%g\n 22\n%g\n"
            " 32\n1.0\n 13\n%g\n 23\n%g\n 33\n1.0\n",
            x, y, x + 1, y, x + 1, y + 1, x, y + 1);
      else if (i % 4)
        add("100\nAcDbText\n 10\n%g\n 20\n%g\n 30\n0.0\n 40\n0.25\n  1\nNote %d\n100\nAcDbText\n", x, y, i);
      else
        add("100\nAcDbLine\n 10\n%g\n 20\n%g\n 30\n0.0\n 11\n%g\n 21\n%g\n 31\n0.0\n", x, y, x + 2, y + 1);
    }
    add("  0\nENDSEC\n  0\nSECTION\n  2\nOBJECTS\n  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n"
        "281\n1\n  0\nENDSEC\n  0\nEOF\n");
    return out;
  }());
  return text;
}

void DxfReadOtherProgram(benchmark::State& state)
{
  std::size_t entities = 0, faces = 0;
  readCase(state, otherProgramText(), L"other.dxf", entities, faces);
  if (faces != std::size_t(kOtherEntities / 2))
    fail("every 3D face is read");
  state.counters["faces"] = double(faces);
}
BENCHMARK(DxfReadOtherProgram)->Unit(benchmark::kMillisecond)->Iterations(3);
// The same drawing as an older AutoCAD writes it: CR LF line ends, AC1018,
// ANSI_1251, the layers named in Cyrillic ("\xD1\xEB\xEE\xE9" is "Слой").
const std::string& olderText()
{
  static const std::string text = [] {
    const std::string& utf8 = drawingText();
    std::string older;
    older.reserve(utf8.size() + utf8.size() / 4);
    for (std::size_t at = 0; at < utf8.size();)
    {
      const std::size_t end = std::min(utf8.find('\n', at), utf8.size());
      std::string_view line(utf8.data() + at, end - at);
      if (line == "AC1021")
        line = "AC1018";
      else if (line == "ANSI_1252")
        line = "ANSI_1251";
      if (line.substr(0, 6) == "Layer ")
        older.append("\xD1\xEB\xEE\xE9").append(line.substr(5));
      else
        older.append(line);
      older += "\r\n";
      at = end + 1;
    }
    return older;
  }();
  return text;
}

void DxfReadOlder(benchmark::State& state)
{
  const std::string& text = olderText();
  for (auto _ : state)
  {
    OdDbDatabasePtr db = odDxfRead(text, L"older.dxf");
    state.PauseTiming();
    OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
    if (!layers->has(L"\u0421\u043b\u043e\u0439 7"))
      fail("the layers' names are read in their code page");
    db.release();
    state.ResumeTiming();
  }
  state.counters["megabytes"] = double(text.size()) / 1e6;
}
BENCHMARK(DxfReadOlder)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace
