// Picture import and outline tracing speed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <filesystem>

#include "bench_editor.h"
#include "files/picture_import.h"
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
      picture_bombs::ResetPeakMemory();
      const long before = picture_bombs::ResidentKilobytes();
      b.editor.images.import.Load(bomb);
      ImportPicture(b.editor);
      growth = std::max(growth, picture_bombs::PeakKilobytes() - before);
    }
  }
  state.counters["peak_rss_growth_kb"] = static_cast<double>(growth);
}
BENCHMARK(BM_ImportRefusedPictureBombs)->Unit(benchmark::kMillisecond);

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
  for (auto _ : state) {
    b.editor.operations.count = 0;
    TraceRegionOutline(b.editor.colourGrid, 322, 202, b.editor.drawing, b.editor.workLists);
    steps = b.editor.workLists.count[0];
    SimplifyTraceSteps(b.editor);
    MergeChordsToLines(b.editor);
  }
  state.counters["trace_steps"] = steps;
  state.counters["lines"] = b.editor.operations.count;
}
BENCHMARK(BM_TraceAndSimplifyRaggedOutline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumodo
