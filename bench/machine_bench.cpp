// The machine's model on documents built to be hard for it (30,000 records
// each): the save's check, kumodo-export --machine's work, and the bytes of
// the completed program against the plain one's.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "converter/conversion.h"
#include "export/basic_program.h"
#include "export/machine_program.h"
#include "support/hard_documents.h"

namespace kumodo {
namespace {

struct HardDocument {
  const char* name;
  std::function<std::vector<OperationRecord>(int count, int height)> make;
  int height;
};

const HardDocument kHardDocuments[] = {
    {"WholeScreenFills", hard_documents::WholeScreenFills, 400},
    {"NeverEndingTileFills200", hard_documents::NeverEndingTileFills, 200},
    {"NeverEndingTileFills400", hard_documents::NeverEndingTileFills, 400},
    {"BlackMajorityTileFills", hard_documents::BlackMajorityTileFills, 400},
    {"Comb", hard_documents::Comb, 400},
    {"RandomRecords", hard_documents::RandomRecords, 400},
};

ConversionSetup Setup(int height) {
  ConversionOptions options;
  options.commandFile =
      std::string(KUMODO_SOURCE_DIR) + (height == 200 ? "/kumodo-basic-cmd-200.txt" : "/kumodo-basic-cmd.txt");
  options.editingResolution = height == 200 ? 2 : 1;
  options.outputResolution = 1;
  options.tiling = 1;
  return PrepareConversion(options);
}

void MachineCheck(benchmark::State& state, const HardDocument& document) {
  const ConversionSetup setup = Setup(document.height);
  const std::vector<OperationRecord> records = document.make(kMaxOperations, document.height);
  MachineVerdict verdict;
  for (auto _ : state) verdict = CheckOnTheMachine(records, setup.settings, setup.tiles);
  state.counters["never_ends"] = verdict.neverEnds;
  state.counters["differing_dots"] = static_cast<double>(verdict.differingDots);
}

void MachineProgramOf(benchmark::State& state, const HardDocument& document) {
  const ConversionSetup setup = Setup(document.height);
  const std::vector<OperationRecord> records = document.make(kMaxOperations, document.height);
  MachineProgram program;
  CompletedFills completed;
  for (auto _ : state) {
    completed = CompleteFills(records, setup.settings, setup.commands, setup.tiles);
    program =
        MachineProgramParts(completed.records, setup.settings, setup.commands, setup.tiles, kFreeAreaBytes, "bench");
  }
  std::size_t bytes = 0;
  for (const std::string& part : program.parts) bytes += part.size();
  state.counters["parts"] = static_cast<double>(program.parts.size());
  state.counters["fills_completed"] = completed.fillsCompleted;
  state.counters["completed_bytes"] = static_cast<double>(bytes);
  state.counters["plain_bytes"] =
      static_cast<double>(BasicProgramText(ListOfRecords(records), setup.settings, setup.commands, setup.tiles).size());
}

const bool kRegistered = [] {
  for (const HardDocument& document : kHardDocuments) {
    benchmark::RegisterBenchmark((std::string("BM_MachineCheck/") + document.name).c_str(), MachineCheck, document)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_MachineProgram/") + document.name).c_str(), MachineProgramOf,
                                 document)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace kumodo
