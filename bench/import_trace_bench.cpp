// Picture import and outline tracing speed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/picture_import.h"
#include "bench_editor.h"
#include "support/costly_pictures.h"
#include "support/peak_memory.h"
#include "support/picture_bombs.h"
#include "trace/outline.h"

namespace kumodo {
namespace {

// A photo-like 640 x 400 JPEG made once by ImageMagick (plasma noise).
std::string PhotoLikeJpeg() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() / "kumodo-bench-photo.jpg").string();
    const std::string command = "/usr/bin/convert -seed 7 -size 640x400 plasma:fractal -quality 85 " + file;
    if (std::system(command.c_str()) != 0) std::abort();
    return file;
  }();
  return path;
}

void BM_ImportAndReduce640x400Jpeg(benchmark::State& state) {
  BenchEditor b;
  const std::string file = PhotoLikeJpeg();
  for (auto _ : state) {
    b.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    b.editor.images.import.Load(file);
    ImportPicture(b.editor);
  }
}
BENCHMARK(BM_ImportAndReduce640x400Jpeg)->Unit(benchmark::kMillisecond);

// Importing the picture bombs (small files stating huge sizes) through the
// import path: the figure is the peak resident memory above the start.
void BM_ImportRefusedPictureBombs(benchmark::State& state) {
  BenchEditor b;
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::vector<std::string> bombs = picture_bombs::Write(folder);
  b.editor.images.import.Load(PhotoLikeJpeg());  // every decoder's code and tables in memory
  long growth = 0;
  for (auto _ : state) {
    for (const std::string& bomb : bombs) {
      peak_memory::Reset();
      const long before = peak_memory::ResidentKilobytes();
      b.editor.images.import.Load(bomb);
      ImportPicture(b.editor);
      growth = std::max(growth, peak_memory::PeakKilobytes() - before);
    }
  }
  state.counters["peak_rss_growth_kb"] = static_cast<double>(growth);
}
BENCHMARK(BM_ImportRefusedPictureBombs)->Unit(benchmark::kMillisecond);

// Files honest about their size whose decoding once cost gigabytes or a
// minute, imported as the user would; the time is the benchmark's, the
// figure the peak resident memory above the start.
std::string CostlyPictureFile(const std::string& name) {
  using namespace costly_pictures;
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  std::string bytes;
  if (name == "lying-length.png") bytes = PngWithLyingLength("tEXt");
  if (name == "text-chunks.png") bytes = PngWithTextChunks(60);
  if (name == "endless-data.png") bytes = PngWithEndlessData(4096);
  if (name == "many-scans.jpg") {
    // As many repeats of one scan as fit in 15.6 MB, under the file size limit.
    const std::size_t once = JpegWithRepeatedScan(folder, 1).size();
    const std::size_t scanBytes = JpegWithRepeatedScan(folder, 2).size() - once;
    bytes = JpegWithRepeatedScan(folder, static_cast<int>((15'600'000 - once) / scanBytes));
  }
  const std::string path = (folder / ("kumodo-bench-" + name)).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

void BM_ImportCostlyPicture(benchmark::State& state, const std::string& name) {
  BenchEditor b;
  const std::string file = CostlyPictureFile(name);
  b.editor.images.import.Load(PhotoLikeJpeg());  // every decoder's code and tables in memory
  long growth = 0;
  for (auto _ : state) {
    peak_memory::Reset();
    const long before = peak_memory::ResidentKilobytes();
    b.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    if (b.editor.images.import.Load(file)) ImportPicture(b.editor);
    growth = std::max(growth, peak_memory::PeakKilobytes() - before);
  }
  state.counters["peak_rss_growth_kb"] = static_cast<double>(growth);
}
BENCHMARK_CAPTURE(BM_ImportCostlyPicture, LyingLengthPng, std::string("lying-length.png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportCostlyPicture, TextChunksPng, std::string("text-chunks.png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportCostlyPicture, EndlessDataPng, std::string("endless-data.png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportCostlyPicture, ManyScansJpeg, std::string("many-scans.jpg"))->Unit(benchmark::kMillisecond);

void BM_Reduce640x400(benchmark::State& state) {
  BenchEditor b;
  b.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  b.editor.images.import.Load(PhotoLikeJpeg());
  ImportPicture(b.editor);
  b.editor.images.import.Draw(0, 0);
  for (auto _ : state) ReducePicture(b.editor, true);
}
BENCHMARK(BM_Reduce640x400)->Unit(benchmark::kMillisecond);

// A ragged blob whose boundary takes about 10,000 trace steps.
ColourGrid RaggedBlob() {
  ColourGrid grid;
  for (int x = 0; x < kGridPictureWidth; ++x) {
    for (int y = 0; y < kGridPictureRows; ++y) {
      const double dx = x - 320.0;
      const double dy = y - 200.0;
      const double angle = std::atan2(dy, dx);
      const double radius = 170 + 12 * std::sin(angle * 53) + 9 * std::sin(angle * 211) + 4 * std::sin(angle * 389);
      grid.Set(x, y, std::hypot(dx, dy) < radius ? 5 : 2);
    }
  }
  grid.filled = true;
  return grid;
}

void BM_TraceAndSimplifyRaggedOutline(benchmark::State& state) {
  BenchEditor b;
  b.editor.colourGrid = RaggedBlob();
  int steps = 0;
  std::size_t lines = 0;
  for (auto _ : state) {
    TraceRegionOutline(b.editor.colourGrid, 322, 202, b.editor.drawing, b.editor.workLists);
    steps = b.editor.workLists.count[0];
    SimplifyTraceSteps(b.editor.workLists, b.editor.drawing);
    lines = MergeChordsToLines(b.editor.workLists).size();
  }
  state.counters["trace_steps"] = steps;
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_TraceAndSimplifyRaggedOutline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumodo
