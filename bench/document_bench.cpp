// Saving a full document, the recovery journal's cost per change, and the
// plain memory fill that bounds a paint fill.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <vector>

#include "app/document_files.h"
#include "bench_editor.h"
#include "export/basic_program.h"
#include "export/machine_program.h"
#include "files/csv_document.h"
#include "files/recovery_journal.h"
#include "support/state_folder.h"

namespace kumodo {
namespace {

void BM_Save30000Records(benchmark::State& state) {
  BenchEditor bench;
  Editor& editor = bench.editor;
  std::mt19937 random(3);
  const std::int16_t kinds[] = {kind::Line, kind::Paint, kind::TilePaint, kind::Dot, kind::TwoColourLine};
  for (int i = 0; i < kMaxOperations; ++i) {
    const std::int16_t k = kinds[random() % 5];
    editor.operations.slots[editor.operations.count++] = {
        k, static_cast<std::int16_t>(random() % 640), static_cast<std::int16_t>(random() % 400),
        static_cast<std::int16_t>(random() % 640), static_cast<std::int16_t>(random() % 400),
        static_cast<std::int16_t>(random() % 8), static_cast<std::int16_t>(random() % 8), 1};
  }
  const auto folder = std::filesystem::temp_directory_path() / "kumodo-bench-save";
  std::filesystem::create_directories(folder);
  editor.documentPath = (folder / "document.csv").string();
  for (auto _ : state) {
    if (!SaveCsvDocument(editor).ok || !GenerateBasicProgram(editor).written.ok) state.SkipWithError("save failed");
  }
  state.counters["csv_bytes"] = static_cast<double>(std::filesystem::file_size(folder / "document.csv"));
  state.counters["basic_bytes"] = static_cast<double>(std::filesystem::file_size(folder / "document.txt"));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Save30000Records)->Unit(benchmark::kMillisecond);

// kumodo-export --machine's work on a full document: the fills completed on
// the model of the machine, then the program split into parts.
void BM_MachineProgram30000Records(benchmark::State& state) {
  BenchEditor bench;
  Editor& editor = bench.editor;
  MixedDocument(editor.operations);
  const std::span<const OperationRecord> records(editor.operations.slots.data(),
                                                 static_cast<std::size_t>(editor.operations.count));
  MachineProgram program;
  CompletedFills completed;
  for (auto _ : state) {
    completed = CompleteFills(records, editor.settings, editor.basicCommands, editor.tileStrings);
    program = MachineProgramParts(completed.records, editor.settings, editor.basicCommands, editor.tileStrings,
                                  kFreeAreaBytes, "bench");
  }
  state.counters["parts"] = static_cast<double>(program.parts.size());
  state.counters["fills_completed"] = completed.fillsCompleted;
}
BENCHMARK(BM_MachineProgram30000Records)->Unit(benchmark::kMillisecond);

// What a save adds to say whether the program suits the machine.
void BM_MachineAdviceAfterSave30000Records(benchmark::State& state) {
  BenchEditor bench;
  MixedDocument(bench.editor.operations);
  const Editor& editor = bench.editor;
  const ProgramMemory memory = EstimateProgramMemory(
      BasicProgramText(editor.operations, editor.settings, editor.basicCommands, editor.tileStrings));
  const std::size_t used =
      memory.program - EmptyProgramBytes(editor.settings, editor.basicCommands, editor.tileStrings);
  const std::span<const OperationRecord> records(editor.operations.slots.data(),
                                                 static_cast<std::size_t>(editor.operations.count));
  for (auto _ : state) {
    benchmark::DoNotOptimize(MachineAdvice(used, CheckOnTheMachine(records, editor.settings, editor.tileStrings)));
  }
}
BENCHMARK(BM_MachineAdviceAfterSave30000Records)->Unit(benchmark::kMillisecond);

// The same bytes a whole-canvas fill writes, written by the library's fill.
void BM_MemoryFillWholeCanvas(benchmark::State& state) {
  std::vector<std::uint32_t> pixels(640 * 400);
  std::uint32_t colour = 0;
  for (auto _ : state) {
    std::fill(pixels.begin(), pixels.end(), ++colour);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_MemoryFillWholeCanvas)->Unit(benchmark::kMicrosecond);

// What the recovery journal adds to each change of the list, with the list
// at 10 records and at 30,000: a record appended, then taken out again by
// undo, two changes an iteration. The lists are made beforehand and marked
// as appending and undo mark them, so that only the journal is timed.
void BM_JournalChange(benchmark::State& state) {
  support::StateFolder folder;
  RecoveryJournal journal;
  journal.SetFolder(folder.Journals().string());
  DrawingState dot;
  dot.mode = kind::Dot;
  OperationList before;
  while (before.count < state.range(0)) AppendOperation(before, dot, 1);
  OperationList after = before;
  AppendOperation(after, dot, 1);
  journal.TakeChanges(before);
  for (auto _ : state) {
    after.changedFrom = before.count;
    journal.TakeChanges(after);
    before.changedFrom = before.count;
    journal.TakeChanges(before);
  }
  state.counters["journal_bytes"] = static_cast<double>(std::filesystem::file_size(journal.FilePath()));
}
BENCHMARK(BM_JournalChange)->Arg(10)->Arg(kMaxOperations - 1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kumodo
