#pragma once
// A reduced picture as a document: records whose replay draws it. Every
// same-colour area (its four direct neighbours joined) is drawn in turn,
// areas enclosing others before them: lines and dots over the pixels of its
// edge towards the outside, then a PAINT in its own colour up to its own
// colour from each part still missing. The fill runs over the areas inside
// it, which are drawn afterwards, so the edges between areas are drawn once.
// Within a budget of program memory the picture is first simplified, step
// by step, as far as it takes for its records to fit.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "export/basic_commands.h"
#include "export/tile_strings.h"
#include "files/settings_record.h"
#include "picture/operations.h"
#include "pictures/closeness.h"

namespace kumodo {

// A picture of colours 0 to 7, 640 points a row, row after row.
struct ColourPicture {
  int height = 0;
  std::vector<std::uint8_t> colours;
};

struct PictureRecords {
  std::vector<OperationRecord> records;
  std::size_t bytes = 0;        // the records' program lines once loaded (EstimateProgramMemory)
  std::size_t equalPixels = 0;  // of the replay, to the picture
  Closeness closeness;          // of the replay, to the picture, as the eye sees it (by eye only)
  bool anyFits = true;          // by eye: some drawing of the picture fits the budget
};

// The records for the picture. A budget of 0 draws it exactly; otherwise
// the records' lines take at most budget bytes (none when a budget is too
// small for one PAINT). Never more than maxRecords records (the document's
// capacity), even when that leaves it inexact.
PictureRecords RecordsForPicture(const ColourPicture& picture, const Settings& settings, const BasicCommands& commands,
                                 const TileStringTable& tiles, std::size_t budget,
                                 std::size_t maxRecords = kMaxOperations);

// The records for a picture reduced for the eye (640 dots a row; rows of
// the editing resolution's height): its regions of one apparent colour, a
// plain one or a mixture (with tiling off the plain ones only), merged as
// far as the budget needs; of the drawings tried that fit, the one whose
// blurred RGB error to the picture is least. A budget of 0 sets no limit.
// `equalPixels` then counts the pixels equal to the regions' picture.
// `progress` is told the share of the search done, from 0 to 1.
PictureRecords RecordsForPictureByEye(const Bitmap& picture, const Settings& settings, const BasicCommands& commands,
                                      const TileStringTable& tiles, std::size_t budget,
                                      std::size_t maxRecords = kMaxOperations,
                                      const std::function<void(double)>& progress = {});

// The same for a picture as the 640 x 400 screen shows it (the converter's
// fitted picture, the editor's import): a 200-line document takes its rows
// two at a time, as the screen shows each of its rows twice.
PictureRecords RecordsForSeenPictureByEye(const Bitmap& seen, const Settings& settings,
                                          const BasicCommands& commands, const TileStringTable& tiles,
                                          std::size_t budget, const std::function<void(double)>& progress = {});

// The records that draw the picture as it is, its areas of mixtures (an
// apparent colour of 8 or more) with tile fills; stopped once past the
// budget (0 for none) or maxRecords.
PictureRecords RecordsDrawingPicture(const ColourPicture& picture, const Settings& settings,
                                     const BasicCommands& commands, const TileStringTable& tiles, std::size_t budget,
                                     std::size_t maxRecords = kMaxOperations);

// The program memory one record's line takes, numbered as the machine's parts number them.
std::size_t RecordLineBytes(const OperationRecord& record, const Settings& settings, const BasicCommands& commands,
                            const TileStringTable& tiles);

}  // namespace kumodo
