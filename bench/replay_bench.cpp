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

// A drawing as users make them: boxes of lines, fills and tile fills inside
// them, dots and two-colour lines, 30,000 records in all.
void BM_ReplayMixedDocument(benchmark::State& state) {
  BenchEditor b;
  std::mt19937 random(2);
  OperationList& list = b.editor.operations;
  DrawingState d;
  while (list.count < kMaxOperations - 8) {
    const int x = random() % 600, y = random() % 360, w = 4 + random() % 36, h = 4 + random() % 36;
    d.mode = kind::Line;
    d.drawingColour = 7;
    const int corners[5][2] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
    for (int i = 0; i < 4; ++i) {
      d.x1 = corners[i][0], d.y1 = corners[i][1], d.x2 = corners[i + 1][0], d.y2 = corners[i + 1][1];
      AppendOperation(list, d, static_cast<std::int16_t>(i + 1));
    }
    d.x1 = x + 1, d.y1 = y + 1, d.borderColour = 7;
    d.drawingColour = static_cast<std::int16_t>(random() % 7);
    d.secondColour = static_cast<std::int16_t>(random() % 7);
    d.tileKind = static_cast<std::uint8_t>(random() % 3);
    d.mode = random() % 2 ? kind::Paint : kind::TilePaint;
    AppendOperation(list, d, 1);
    d.mode = kind::Dot;
    d.x1 = random() % 640, d.y1 = random() % 400;
    AppendOperation(list, d, 1);
    d.mode = kind::TwoColourLine;
    d.x1 = random() % 640, d.y1 = random() % 400, d.x2 = random() % 640, d.y2 = random() % 400;
    AppendOperation(list, d, 1);
  }
  for (auto _ : state) ReplayPicture(b.editor, kNoProbe);
}
BENCHMARK(BM_ReplayMixedDocument)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kumodo
