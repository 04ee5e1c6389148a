// Replay speed: the picture is rebuilt from the list after every load, undo
// by replay, underlay change and paint display switch.
#include <benchmark/benchmark.h>

#include <random>

#include "bench_editor.h"
#include "picture/replay.h"

namespace kumodo {
namespace {

void FillWithLines(OperationList& list, int count, std::mt19937& random) {
  DrawingState d;
  for (int i = 0; i < count; ++i) {
    d.x1 = random() % 640, d.y1 = random() % 400, d.x2 = random() % 640, d.y2 = random() % 400;
    d.drawingColour = static_cast<std::int16_t>(random() % 8);
    AppendOperation(list, d, 1);
  }
}

void BM_Replay30000Lines(benchmark::State& state) {
  BenchEditor b;
  std::mt19937 random(1);
  FillWithLines(b.editor.operations, kMaxOperations, random);
  for (auto _ : state) ReplayPicture(b.editor, kNoProbe);
  state.counters["per_record"] =
      benchmark::Counter(kMaxOperations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Replay30000Lines)->Unit(benchmark::kMillisecond);

// Paint fills alternating two colours, each covering the whole canvas.
void BM_Replay2000WholeCanvasFills(benchmark::State& state) {
  BenchEditor b;
  DrawingState d;
  d.mode = kind::Paint;
  d.borderColour = 7;
  for (int i = 0; i < 2000; ++i) {
    d.x1 = i % 640, d.y1 = i % 400;
    d.drawingColour = static_cast<std::int16_t>(1 + i % 2);
    AppendOperation(b.editor.operations, d, 1);
  }
  for (auto _ : state) ReplayPicture(b.editor, kNoProbe);
  state.counters["per_fill"] = benchmark::Counter(2000, benchmark::Counter::kIsIterationInvariantRate |
                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_Replay2000WholeCanvasFills)->Unit(benchmark::kMillisecond);

// Two-colour lines from far outside the canvas to far outside on the other
// side (a hand-edited document can hold any 16-bit coordinates).
void BM_Replay30000FarReachingTwoColourLines(benchmark::State& state) {
  BenchEditor b;
  std::mt19937 random(3);
  DrawingState d;
  d.mode = kind::TwoColourLine;
  for (int i = 0; i < kMaxOperations; ++i) {
    d.x1 = -30000 + static_cast<int>(random() % 1000), d.y1 = static_cast<int>(random() % 400);
    d.x2 = 30000 + static_cast<int>(random() % 1000), d.y2 = static_cast<int>(random() % 400);
    AppendOperation(b.editor.operations, d, 1);
  }
  for (auto _ : state) ReplayPicture(b.editor, kNoProbe);
}
BENCHMARK(BM_Replay30000FarReachingTwoColourLines)->Unit(benchmark::kMillisecond);

// A drawing as users make them (MixedDocument).
void BM_ReplayMixedDocument(benchmark::State& state) {
  BenchEditor b;
  MixedDocument(b.editor.operations);
  for (auto _ : state) ReplayPicture(b.editor, kNoProbe);
}
BENCHMARK(BM_ReplayMixedDocument)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumodo
