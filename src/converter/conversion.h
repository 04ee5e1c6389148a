#pragma once
// kumodo-export's work: a document converted exactly as the editor's save
// would, with no window. It reads the settings and the command file as the
// editor does (the working folder when it holds res/, else the installed
// data folder and the user's settings), unless the options say otherwise.
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "export/basic_commands.h"
#include "export/program_memory.h"
#include "export/stale_programs.h"
#include "export/tile_strings.h"
#include "files/settings_record.h"
#include "pictures/closeness.h"
#include "pictures/picture_decode.h"

namespace kumodo {

struct ConversionOptions {
  std::optional<std::string> commandFile;
  std::optional<int> outputResolution;   // 0 or 1
  std::optional<int> tiling;             // 0 or 1
  std::optional<int> editingResolution;  // 1 or 2
  bool png = false;
  std::optional<std::string> pngFile;    // beside the document when not given
  bool stats = false;
  std::size_t freeArea = kFreeAreaBytes;  // what --stats measures the program's memory against
  bool machine = false;  // fills the machine completes, split into parts when it does not fit
  bool truncate = false;  // convert the first records of a document longer than the list, as the editor opens it
  // Pictures instead of documents: each reduced as the import does and
  // written as a document of records, with its machine program.
  bool fromPicture = false;
  std::optional<std::size_t> budget;  // the records' memory; 0 no limit; one part's when not given
  bool force = false;                 // a picture's document may be written over one this run did not make
  // How a picture's colours are chosen: for the eye (the nearest apparent
  // colour, mixtures of the tile fills among them), or the import's levels.
  enum class Reduction { Colour, Levels } reduction = Reduction::Colour;
};

// A file of the run that no conversion may write over: an input, or what a
// conversion wrote. `origin` says which, for the failure's reason: "an input
// of this run", "written for house.csv in this run".
struct RunFile {
  std::string path;
  std::string origin;
};

// What every document of a run is converted with.
struct ConversionSetup {
  Settings settings;
  BasicCommands commands;
  TileStringTable tiles = BuildTileStringTable();
  std::string commandFile;
  bool commandFileFound = false;
};

ConversionSetup PrepareConversion(const ConversionOptions& options);

struct Conversion {
  bool ok = false;
  std::string failedFile;  // the file it is about, when not ok
  std::string reason;
  std::vector<std::string> programFiles;  // every part's, in order
  std::vector<std::string> diskNames;     // of a split program's parts on the machine's disk, in order
  StalePrograms stale;                    // what an earlier program of the document left beside it
  int fillsCompleted = 0;                 // with machine: fills given extra seeds
  std::string pngFile;
  int records = 0;
  int linesLeftOut = 0;  // lines past the list's capacity, converted only with truncate
  int programLines = 0;
  std::size_t programBytes = 0;
  std::size_t longestLine = 0;  // bytes, without the line end
  // What the program takes once loaded beyond an empty document's program
  // (EmptyProgramBytes), the largest part's: it fits when ProgramFits says so.
  std::size_t memoryBytes = 0;
  // From a picture: the document written, the size it was read at and,
  // when larger than 640 x 400, the size it was scaled down to.
  std::string documentFile;
  int pictureWidth = 0, pictureHeight = 0;
  int scaledWidth = 0, scaledHeight = 0;
  std::size_t recordBytes = 0;  // the records' lines over all parts, what the budget bounds
  std::size_t budget = 0;
  std::size_t equalPixels = 0;  // of the document's picture to the reduced picture
  std::size_t pixels = 0;
  // Of the document's picture, as the screen shows it, to the picture fitted
  // to the area: the blurred RGB error and the luminance error.
  Closeness closeness;
  bool grey = false;  // the picture fitted has no colour
};

// A document with no record, or one longer than the list (unless truncate),
// fails and writes nothing; so does one whose files to be written would be
// the document itself, one another, or one of the run's files (by identity:
// through links too), and one whose program for the machine would have a
// part of the same name on the machine's disk as one of `diskNamesTaken`
// (those of the run's earlier programs), since one would replace the other
// there.
Conversion ConvertDocument(const std::string& documentPath, const ConversionSetup& setup,
                           const ConversionOptions& options, std::span<const RunFile> runFiles = {},
                           std::span<const std::string> diskNamesTaken = {});


// A picture (BMP, JPEG, GIF, PNG) fitted whole to the 640 x 400 screen as
// it is seen (PictureInArea: one larger than the import's 640 x 400, up to
// kLargePictureLimit, scaled down keeping its proportions), reduced for the
// eye (or by the import's levels, as the import reduces it, a 200-line
// document then taking the area's rows 0 to 199) and written beside it as
// NAME.csv, a document of records whose replay is the reduced picture (or
// as close to it as the budget buys), with its machine program and, with
// png, its picture. Fails, writing nothing, for a file that is no picture,
// is broken or is over that limit, for a budget too small for any record,
// when a file to be written is the picture itself, another of them or one
// of the run's files, when its document would be written over one that is
// there already or a program over a file of the user's own, unless forced,
// and for a part named on the machine's disk as one of `diskNamesTaken`.
Conversion ConvertPicture(const std::string& picturePath, const ConversionSetup& setup,
                          const ConversionOptions& options, std::span<const RunFile> runFiles = {},
                          std::span<const std::string> diskNamesTaken = {});

}  // namespace kumodo
