#pragma once
// The program for the machine: what its BASIC draws is modelled record by
// record (machine_paint.h); every fill it would leave partly unfilled is
// completed, a fill it would never end is replaced, and a program larger than
// the free area is split into parts that chain to each other.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "export/basic_commands.h"
#include "export/tile_strings.h"
#include "files/settings_record.h"
#include "picture/operations.h"
#include "platform/bitmap.h"

namespace kumodo {

// What a tile fill's line takes in a machine program once its tile string
// is in a variable (named at the longest), and what setting that variable
// and keeping its string take: a tile used more than once in a part costs
// the setting once and its fills `named` each, at most.
struct TileFillBytes {
  std::size_t named = 0;
  std::size_t setting = 0;
};
TileFillBytes MachineTileFillBytes(const OperationRecord& record, const Settings& settings,
                                   const BasicCommands& commands, const TileStringTable& tiles);

struct MachineProgram {
  bool ok = false;
  std::string reason;              // when not ok
  std::vector<std::string> parts;  // program texts; one when the program fits
};

// What the machine draws running the program of these records.
Bitmap MachinePicture(std::span<const OperationRecord> records, const Settings& settings, const TileStringTable& tiles);

// What the machine makes of the program of a document: whether one of its
// fills would never end (the program stops there), else how many dots of its
// final picture differ from what the program draws where every fill paints
// its whole area as the editor's does. A fill that stops short counts only
// where later records leave it so. Lines are the machine's in both, so the
// dots where its lines differ from the editor's at exact ties are not counted.
struct MachineVerdict {
  bool neverEnds = false;
  std::int64_t differingDots = 0;
};

// That check in steps, so that a window can go on meanwhile. It keeps its
// own copy of the records, the settings and the tiles.
class MachineCheck {
 public:
  MachineCheck(std::span<const OperationRecord> records, const Settings& settings, const TileStringTable& tiles);
  ~MachineCheck();
  MachineCheck(const MachineCheck&) = delete;
  MachineCheck& operator=(const MachineCheck&) = delete;

  // Goes on through the records until `enough` says so, asked before each
  // record (a record once begun is finished, in at most some tenths of a
  // second); true once the check is done.
  bool Advance(const std::function<bool()>& enough);
  bool Done() const;
  // Once done.
  MachineVerdict Verdict() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The whole check at once.
MachineVerdict CheckOnTheMachine(std::span<const OperationRecord> records, const Settings& settings,
                                 const TileStringTable& tiles);

// The records with every fill the machine would leave partly unfilled
// completed, whichever way costs the program fewer bytes: copies of it
// seeded in the parts it leaves (same colours, same border); a first fill
// of the same area in a colour it holds nowhere, after which the fill has
// no row to stop at; or its area's rows drawn as lines or, for a tile, as
// the tile's mixture rows. A seed in an area already filled changes
// nothing, so the program is right on a BASIC that fills through too. A fill
// the machine would never end from its own point (a tile with a row all of
// colour 0 can make it go back and forth for ever) gets, where one does, such
// a first fill or another start in its area, else its rows; left out where it
// changes nothing. A tile of one colour is filled as that plain colour.
struct CompletedFills {
  std::vector<OperationRecord> records;
  int fillsCompleted = 0;  // fills whose statements changed
};
CompletedFills CompleteFills(std::span<const OperationRecord> records, const Settings& settings,
                             const BasicCommands& commands, const TileStringTable& tiles);

// The program of the records (as CompleteFills gives them), split when it
// does not fit `freeArea` (the free area beside the opening and closing
// lines, as kFreeAreaBytes), each part then within a margin below it. Lines
// are numbered from 10000 in each part. Part k of P ends chaining to
// PartDiskName(chainStem, k + 1, P); the last ends at "59999 END". Not ok when
// the opening lines and one line of the program do not fit.
MachineProgram MachineProgramParts(std::span<const OperationRecord> records, const Settings& settings,
                                   const BasicCommands& commands, const TileStringTable& tiles, std::size_t freeArea,
                                   const std::string& chainStem);

// The name part k of `parts` is kept under on the machine's disk,
// "STEM<k>.BAS" in at most 8 + 4 characters: the stem's letters and digits
// (PART when it has none), capitals, cut to leave room for the largest part
// number, so that the parts of one program never share a name.
std::string PartDiskName(const std::string& stem, int part, int parts);

// The file part k of a split program is written to beside the document:
// STEM1.txt to STEM9.txt, then STEM(10).txt on. A name ending in a number
// could be another document's part: "holiday-0" part 11 and "holiday-01"
// part 1 would both be "holiday-011.txt".
std::string PartFileName(const std::string& stem, int part);

}  // namespace kumodo
