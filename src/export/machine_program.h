#pragma once
// The program for the machine: what its BASIC draws is modelled record by
// record (machine_paint.h); every fill it would leave partly unfilled gets
// PAINT statements with seeds in the parts left, and a program larger than
// the free area is split into parts that chain to each other.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "export/basic_commands.h"
#include "export/tile_strings.h"
#include "files/settings_record.h"
#include "picture/operations.h"
#include "platform/bitmap.h"

namespace kumodo {

struct MachineProgram {
  bool ok = false;
  std::string reason;              // when not ok
  std::vector<std::string> parts;  // program texts; one when the program fits
};

// What the machine draws running the program of these records.
Bitmap MachinePicture(std::span<const OperationRecord> records, const Settings& settings, const TileStringTable& tiles);

// How many of the program's fills stop short of the area the editor's fill
// reaches, or would never end.
int ShortFills(std::span<const OperationRecord> records, const Settings& settings, const TileStringTable& tiles);

// The records with, after every fill the machine would leave partly
// unfilled, copies of it seeded in the parts it leaves (same colours, same
// border), until the fill is whole. A seed in an area already filled
// changes nothing, so the program is right on a BASIC that fills through
// too. A fill the machine would never end from its own point (a tile with a
// row all of colour 0 can make it go back and forth for ever) starts from
// another point of its area, one it ends from; failing that, or when it
// would take more seeds than its area has rows, the area's rows are drawn
// as lines or, for a tile, as the tile's mixture rows.
struct CompletedFills {
  std::vector<OperationRecord> records;
  int fillsCompleted = 0;  // fills given extra seeds, another start or drawn as rows
};
CompletedFills CompleteFills(std::span<const OperationRecord> records, const Settings& settings,
                             const TileStringTable& tiles);

// The program of the records (as CompleteFills gives them), split when it
// does not fit `freeArea` (the free area beside the opening and closing
// lines, as kFreeAreaBytes), each part then within a margin below it. Lines
// are numbered from 10000 in each part. Part k ends chaining to
// PartDiskName(chainStem, k + 1); the last ends at "59999 END". Not ok when
// the opening lines and one line of the program do not fit.
MachineProgram MachineProgramParts(std::span<const OperationRecord> records, const Settings& settings,
                                   const BasicCommands& commands, const TileStringTable& tiles, std::size_t freeArea,
                                   const std::string& chainStem);

// The name part k is kept under on the machine's disk, "STEM<k>.BAS": the
// stem's letters and digits, capitals, cut to leave room for the number.
std::string PartDiskName(const std::string& stem, int part);

}  // namespace kumodo
