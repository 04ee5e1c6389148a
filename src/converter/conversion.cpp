#include "converter/conversion.h"

#include <algorithm>
#include <filesystem>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "export/picture_records.h"
#include "export/stale_programs.h"
#include "files/csv_document.h"
#include "files/program_folders.h"
#include "files/text_file.h"
#include "picture/record_drawing.h"
#include "pictures/colour_reduction.h"
#include "pictures/fitting.h"
#include "pictures/picture_decode.h"
#include "platform/file_system.h"
#include "platform/png_encode.h"

namespace kumodo {
namespace {

// The picture as the editor's view shows it at zoom 1 without underlay: the
// 640 x 400 view, each row of a 200-line picture shown twice.
Bitmap ViewOfPicture(const OperationList& list, const Settings& settings) {
  const Bitmap picture = RenderPicture(list, PictureHeight(settings), true, RuleTiles());
  Bitmap view(kPictureWidth, kPictureHeight);
  StretchCopy(picture, 0, 0, picture.width, picture.height, view, 0, 0, kPictureWidth, kPictureHeight);
  return view;
}

// Adds the text's lines and bytes to the conversion's.
void CountLines(const std::string& text, Conversion& conversion) {
  conversion.programBytes += text.size();
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    ++conversion.programLines;
    conversion.longestLine = std::max(conversion.longestLine, end - start);
  }
}

Conversion& Failed(Conversion& conversion, const std::string& file, const std::string& reason) {
  conversion.failedFile = file;
  conversion.reason = reason;
  return conversion;
}

// The machine's program of the records: fills it would leave short
// completed, in parts when it does not fit. Names the conversion's program
// files beside the document and its parts' names on the machine's disk,
// which must be none of `diskNamesTaken`.
std::optional<std::vector<std::string>> MachineTexts(std::span<const OperationRecord> records,
                                                     const std::string& documentPath, const ConversionSetup& setup,
                                                     const ConversionOptions& options,
                                                     std::span<const std::string> diskNamesTaken,
                                                     Conversion& conversion) {
  const CompletedFills completed = CompleteFills(records, setup.settings, setup.commands, setup.tiles);
  const std::string stem = WithExtension(documentPath, "");
  MachineProgram program = MachineProgramParts(completed.records, setup.settings, setup.commands, setup.tiles,
                                               options.freeArea, FileNamePart(stem));
  if (!program.ok) {
    Failed(conversion, documentPath, program.reason);
    return std::nullopt;
  }
  conversion.fillsCompleted = completed.fillsCompleted;
  conversion.programFiles.clear();
  conversion.diskNames.clear();
  const int parts = static_cast<int>(program.parts.size());
  for (int k = 1; k <= parts; ++k) {
    conversion.programFiles.push_back(parts == 1 ? DocumentProgramPath(documentPath) : PartFileName(stem, k));
    if (parts == 1) continue;
    conversion.diskNames.push_back(PartDiskName(FileNamePart(stem), k, parts));
    if (std::find(diskNamesTaken.begin(), diskNamesTaken.end(), conversion.diskNames.back()) != diskNamesTaken.end()) {
      Failed(conversion, documentPath,
             "its part " + std::to_string(k) + " would be " + conversion.diskNames.back() +
                 " on the machine's disk, as a part of a program made before in this run");
      return std::nullopt;
    }
  }
  return std::move(program.parts);
}

// Writes each text to the conversion's program file of its place, counting
// its lines and memory, then removes what an earlier program of the
// document left that this one does not replace; false, with the reason,
// when one cannot be written.
bool WritePrograms(const std::vector<std::string>& texts, const std::string& documentPath,
                   const ConversionSetup& setup, Conversion& conversion) {
  const std::size_t emptyProgram = EmptyProgramBytes(setup.settings, setup.commands, setup.tiles);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    CountLines(texts[k], conversion);
    const ProgramMemory memory = EstimateProgramMemory(texts[k]);
    const std::size_t taken = memory.program + memory.variables;
    conversion.memoryBytes = std::max(conversion.memoryBytes, taken - std::min(taken, emptyProgram));
    conversion.recordBytes += memory.records;
    if (const FileResult written = WriteWholeFile(conversion.programFiles[k], texts[k], LinksFollowed::OwnOnly);
        !written.ok) {
      Failed(conversion, conversion.programFiles[k], written.reason);
      return false;
    }
  }
  conversion.stale = RemoveStalePrograms(documentPath, static_cast<int>(texts.size()));
  return true;
}

// The picture beside the document follows only the user's own links, as
// the programs do; one named on the command line, any.
bool WritePicture(const Bitmap& view, const ConversionOptions& options, Conversion& conversion) {
  const LinksFollowed links = options.pngFile ? LinksFollowed::Any : LinksFollowed::OwnOnly;
  if (const FileResult written = WritePngFile(conversion.pngFile, view, links); !written.ok) {
    Failed(conversion, conversion.pngFile, written.reason);
    return false;
  }
  return true;
}

// The reduced picture's rows of the picture's height, as colour numbers.
ColourPicture ReducedColours(const ColourGrid& grid, int height) {
  ColourPicture colours{height, std::vector<std::uint8_t>(static_cast<std::size_t>(kPictureWidth) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      colours.colours[static_cast<std::size_t>(y) * kPictureWidth + x] =
          static_cast<std::uint8_t>(grid.At(x + 1, y + 1));
    }
  }
  return colours;
}

// The same file through any links, or the same name for one not there yet.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::equivalent(NativePath(a), NativePath(b), error)) return true;
  const std::filesystem::path first = std::filesystem::weakly_canonical(NativePath(a), error);
  if (error) return false;
  const std::filesystem::path second = std::filesystem::weakly_canonical(NativePath(b), error);
  return !error && first == second;
}

// Fails the conversion when a file it would write is its source, another of
// its files or one of the run's: nothing is written then.
bool WritesOverNothingKept(Conversion& conversion, const std::vector<std::string>& written, const std::string& source,
                           std::string_view sourceIs, std::span<const RunFile> runFiles) {
  for (std::size_t k = 0; k < written.size(); ++k) {
    const std::string& file = written[k];
    if (SameFile(file, source)) {
      Failed(conversion, file, "would be written over the " + std::string(sourceIs) + " it is made from");
      return false;
    }
    for (std::size_t other = 0; other < k; ++other) {
      if (SameFile(file, written[other])) {
        Failed(conversion, file,
               "would be written over " + written[other] + ", written for the same " + std::string(sourceIs));
        return false;
      }
    }
    for (const RunFile& kept : runFiles) {
      if (SameFile(file, kept.path)) {
        Failed(conversion, file, "would be written over " + kept.path + ", " + kept.origin);
        return false;
      }
    }
  }
  return true;
}

// A file of the user's own where a program would go (notes.txt beside a
// document "notes") is written over only when the user says so.
bool ReplacesNoUsersFile(Conversion& conversion, const ConversionOptions& options) {
  for (const std::string& file : conversion.programFiles) {
    if (!options.force && IsUsersOwnFile(file)) {
      Failed(conversion, file, "is there already and is no program of ours (--force writes over it)");
      return false;
    }
  }
  return true;
}

}  // namespace

ConversionSetup PrepareConversion(const ConversionOptions& options) {
  const ProgramFolders folders = FindProgramFolders();
  ConversionSetup setup;
  ReadSettings(folders.settingsFile, setup.settings);
  if (options.outputResolution) setup.settings.outputResolution = static_cast<std::uint8_t>(*options.outputResolution);
  if (options.tiling) setup.settings.tiling = static_cast<std::uint8_t>(*options.tiling);
  if (options.editingResolution) setup.settings.editingResolution = static_cast<std::uint8_t>(*options.editingResolution);
  setup.commandFile = options.commandFile.value_or(DataFile(folders, kBasicCommandFileName));
  std::error_code error;
  setup.commandFileFound = std::filesystem::is_regular_file(NativePath(setup.commandFile), error);
  setup.commands = LoadBasicCommandFile(setup.commandFile);
  return setup;
}

Conversion ConvertDocument(const std::string& documentPath, const ConversionSetup& setup,
                           const ConversionOptions& options, std::span<const RunFile> runFiles,
                           std::span<const std::string> diskNamesTaken) {
  Conversion conversion;
  OperationList list;
  const DocumentRead read = ReadCsvDocument(documentPath, list);
  if (!read.ok) return Failed(conversion, documentPath, read.reason);
  // The editor opens an empty document; a program of no picture is no conversion.
  if (list.count == 0) return Failed(conversion, documentPath, NoRecordsReason());
  conversion.records = list.count;
  conversion.linesLeftOut = read.linesLeftOut;
  if (read.linesLeftOut > 0 && !options.truncate) {
    return Failed(conversion, documentPath,
                  std::to_string(read.linesLeftOut) + " lines past the " + std::to_string(kMaxOperations) +
                      " records a document holds (--truncate converts the first " + std::to_string(kMaxOperations) +
                      ")");
  }
  std::optional<std::vector<std::string>> texts;
  if (options.machine) {
    const std::span<const OperationRecord> records(list.slots.data(), static_cast<std::size_t>(list.count));
    texts = MachineTexts(records, documentPath, setup, options, diskNamesTaken, conversion);
    if (!texts) return conversion;
  } else {
    conversion.programFiles = {DocumentProgramPath(documentPath)};
    texts = {BasicProgramText(list, setup.settings, setup.commands, setup.tiles)};
  }
  if (options.png) conversion.pngFile = options.pngFile.value_or(WithExtension(documentPath, ".png"));
  std::vector<std::string> written = conversion.programFiles;
  if (options.png) written.push_back(conversion.pngFile);
  if (!WritesOverNothingKept(conversion, written, documentPath, "document", runFiles) ||
      !ReplacesNoUsersFile(conversion, options)) {
    return conversion;
  }

  if (!WritePrograms(*texts, documentPath, setup, conversion)) return conversion;
  if (options.png && !WritePicture(ViewOfPicture(list, setup.settings), options, conversion)) return conversion;
  conversion.ok = true;
  return conversion;
}

Conversion ConvertPicture(const std::string& picturePath, const ConversionSetup& setup,
                          const ConversionOptions& options, std::span<const RunFile> runFiles,
                          std::span<const std::string> diskNamesTaken) {
  Conversion conversion;
  const bool byEye = options.reduction == ConversionOptions::Reduction::Colour;
  const int height = PictureHeight(setup.settings);
  // For the eye a picture is fitted whole to the screen as it is seen,
  // 640 x 400, and a 200-line document takes its rows two at a time; the
  // import's levels take the area's first rows, as the import does.
  PictureInArea picture(byEye ? kPictureHeight : height);
  const DecodedPicture decoded = DecodePictureFile(picturePath, picture, kLargePictureLimit);
  if (!decoded.loaded) return Failed(conversion, picturePath, PictureNotReadReason(decoded, picturePath));
  conversion.pictureWidth = decoded.width;
  conversion.pictureHeight = decoded.height;
  if (const std::optional<PictureSize> scaled = picture.ScaledTo()) {
    conversion.scaledWidth = static_cast<int>(scaled->width);
    conversion.scaledHeight = static_cast<int>(scaled->height);
  }
  const Bitmap area = picture.Area();
  conversion.budget = options.budget.value_or(OnePartBudget(options.freeArea));
  PictureRecords made;
  if (byEye) {
    made = RecordsForSeenPictureByEye(area, setup.settings, setup.commands, setup.tiles, conversion.budget);
    conversion.pixels = static_cast<std::size_t>(kPictureWidth) * height;
  } else {
    // The document's colours are the reduction's levels, which the import's
    // two choices share (they differ only in the picture shown under the drawing).
    const ColourPicture reduced = ReducedColours(ReduceBitmap(area, true).grid, height);
    made = RecordsForPicture(reduced, setup.settings, setup.commands, setup.tiles, conversion.budget);
    conversion.pixels = reduced.colours.size();
  }
  conversion.equalPixels = made.equalPixels;
  if (made.records.empty()) {
    // A picture best left black needs nothing drawn, but a document holds a
    // record: a black dot where the screen is black already.
    const bool black =
        byEye ? made.anyFits
              : std::all_of(area.pixels.begin(), area.pixels.end(), [](Rgb pixel) { return (pixel & 0xFFFFFF) == 0; });
    if (!black) {
      return Failed(conversion, picturePath,
                    "a budget of " + std::to_string(conversion.budget) + " bytes holds no record of the picture");
    }
    made.records.push_back({kind::Dot, 0, 0, 0, 0, 0, 0, 1});
  }
  const OperationList list = ListOfRecords(made.records);
  conversion.closeness = BlurredCloseness(area, ViewOfPicture(list, setup.settings));
  conversion.grey = IsGrey(area);
  conversion.records = list.count;
  conversion.documentFile = WithExtension(picturePath, ".csv");

  std::optional<std::vector<std::string>> texts =
      MachineTexts(made.records, conversion.documentFile, setup, options, diskNamesTaken, conversion);
  if (!texts) return conversion;
  if (options.png) conversion.pngFile = options.pngFile.value_or(WithExtension(picturePath, ".png"));
  std::vector<std::string> written = conversion.programFiles;
  written.push_back(conversion.documentFile);
  if (options.png) written.push_back(conversion.pngFile);
  if (!WritesOverNothingKept(conversion, written, picturePath, "picture", runFiles) ||
      !ReplacesNoUsersFile(conversion, options)) {
    return conversion;
  }
  // A document there already may be a drawing of the user's own.
  std::error_code error;
  if (!options.force && std::filesystem::exists(NativePath(conversion.documentFile), error)) {
    return Failed(conversion, conversion.documentFile,
                  "a document is there already, which this run did not make (--force writes over it)");
  }

  if (const FileResult document = WriteWholeFile(conversion.documentFile, CsvText(list), LinksFollowed::OwnOnly);
      !document.ok) {
    return Failed(conversion, conversion.documentFile, document.reason);
  }
  if (!WritePrograms(*texts, conversion.documentFile, setup, conversion)) return conversion;
  if (options.png && !WritePicture(ViewOfPicture(list, setup.settings), options, conversion)) return conversion;
  conversion.ok = true;
  return conversion;
}

}  // namespace kumodo
