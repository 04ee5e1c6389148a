#include "converter/conversion.h"

#include <algorithm>
#include <filesystem>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "export/picture_records.h"
#include "files/colour_reduction.h"
#include "files/csv_document.h"
#include "files/program_folders.h"
#include "files/text_file.h"
#include "picture/record_drawing.h"
#include "platform/file_system.h"
#include "platform/picture_decode.h"
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
// its lines and memory; false, with the reason, when one cannot be written.
bool WritePrograms(const std::vector<std::string>& texts, const ConversionSetup& setup, Conversion& conversion) {
  const std::size_t emptyProgram = EmptyProgramBytes(setup.settings, setup.commands, setup.tiles);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    CountLines(texts[k], conversion);
    const ProgramMemory memory = EstimateProgramMemory(texts[k]);
    conversion.memoryBytes = std::max(conversion.memoryBytes, memory.program - std::min(memory.program, emptyProgram));
    conversion.recordBytes += memory.records;
    if (const FileResult written = WriteWholeFile(conversion.programFiles[k], texts[k], LinksFollowed::OwnOnly);
        !written.ok) {
      Failed(conversion, conversion.programFiles[k], written.reason);
      return false;
    }
  }
  return true;
}

bool WritePicture(const Bitmap& view, Conversion& conversion) {
  if (const FileResult written = WritePngFile(conversion.pngFile, view); !written.ok) {
    Failed(conversion, conversion.pngFile, written.reason);
    return false;
  }
  return true;
}

// The picture where the import puts it: at the top left of the black
// 640 x 400 area. One larger, which the import refuses, is first scaled down
// to fit the picture (640 x 400, or 640 x 200 in 200 lines), keeping its
// proportions: each point the average of the source pixels it covers.
Bitmap PictureInArea(const Bitmap& picture, int pictureHeight, Conversion& conversion) {
  Bitmap area(kPictureWidth, kPictureHeight);
  if (picture.width <= kPictureWidth && picture.height <= kPictureHeight) {
    // As the import draws it: the whole picture at its own size.
    StretchCopy(picture, 0, 0, picture.width, picture.height, area, 0, 0, picture.width, picture.height);
    return area;
  }
  const long long sourceWidth = picture.width, sourceHeight = picture.height;
  const bool widthFits = sourceWidth * pictureHeight >= sourceHeight * kPictureWidth;
  const int width =
      widthFits ? kPictureWidth : std::max(1, static_cast<int>(sourceWidth * pictureHeight / sourceHeight));
  const int height =
      widthFits ? std::max(1, static_cast<int>(sourceHeight * kPictureWidth / sourceWidth)) : pictureHeight;
  conversion.scaledWidth = width;
  conversion.scaledHeight = height;
  for (int y = 0; y < height; ++y) {
    const int top = static_cast<int>(static_cast<long long>(y) * picture.height / height);
    const int bottom = std::max(top + 1, static_cast<int>(static_cast<long long>(y + 1) * picture.height / height));
    for (int x = 0; x < width; ++x) {
      const int left = static_cast<int>(static_cast<long long>(x) * picture.width / width);
      const int right = std::max(left + 1, static_cast<int>(static_cast<long long>(x + 1) * picture.width / width));
      std::uint64_t sum[3] = {0, 0, 0};
      for (int sy = top; sy < bottom; ++sy) {
        for (int sx = left; sx < right; ++sx) {
          const Rgb pixel = picture.At(sx, sy);
          for (int c = 0; c < 3; ++c) sum[c] += (pixel >> (8 * c)) & 0xFF;
        }
      }
      const std::uint64_t count = static_cast<std::uint64_t>(bottom - top) * (right - left);
      Rgb average = 0;
      for (int c = 0; c < 3; ++c) average |= static_cast<Rgb>((sum[c] + count / 2) / count) << (8 * c);
      area.At(x, y) = average;
    }
  }
  return area;
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

}  // namespace

std::size_t OnePartBudget(const ConversionOptions& options) {
  return options.freeArea - std::min(options.freeArea, kRunNeedsBytes);
}

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
  if (!WritesOverNothingKept(conversion, written, documentPath, "document", runFiles)) return conversion;

  if (!WritePrograms(*texts, setup, conversion)) return conversion;
  if (options.png && !WritePicture(ViewOfPicture(list, setup.settings), conversion)) return conversion;
  conversion.ok = true;
  return conversion;
}

Conversion ConvertPicture(const std::string& picturePath, const ConversionSetup& setup,
                          const ConversionOptions& options, std::span<const RunFile> runFiles,
                          std::span<const std::string> diskNamesTaken) {
  Conversion conversion;
  const DecodedPicture decoded = DecodePictureFile(picturePath, kLargePictureLimit);
  if (!decoded.loaded) return Failed(conversion, picturePath, PictureNotReadReason(decoded.kind, picturePath));
  conversion.pictureWidth = decoded.width;
  conversion.pictureHeight = decoded.height;
  const int height = PictureHeight(setup.settings);
  // The document's colours are the reduction's levels, which the import's
  // two choices share (they differ only in the picture shown under the drawing).
  const ReducedPicture reduction = ReduceBitmap(PictureInArea(decoded.bitmap, height, conversion), true);
  const ColourPicture reduced = ReducedColours(reduction.grid, height);
  conversion.budget = options.budget.value_or(OnePartBudget(options));
  const PictureRecords made =
      RecordsForPicture(reduced, setup.settings, setup.commands, setup.tiles, conversion.budget);
  conversion.pixels = reduced.colours.size();
  conversion.equalPixels = made.equalPixels;
  if (made.records.empty() && made.equalPixels < conversion.pixels) {
    return Failed(conversion, picturePath,
                  "a budget of " + std::to_string(conversion.budget) + " bytes holds no record of the picture");
  }
  const OperationList list = ListOfRecords(made.records);
  conversion.records = list.count;
  conversion.documentFile = WithExtension(picturePath, ".csv");

  std::optional<std::vector<std::string>> texts =
      MachineTexts(made.records, conversion.documentFile, setup, options, diskNamesTaken, conversion);
  if (!texts) return conversion;
  if (options.png) conversion.pngFile = options.pngFile.value_or(WithExtension(picturePath, ".png"));
  std::vector<std::string> written = conversion.programFiles;
  written.push_back(conversion.documentFile);
  if (options.png) written.push_back(conversion.pngFile);
  if (!WritesOverNothingKept(conversion, written, picturePath, "picture", runFiles)) return conversion;
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
  if (!WritePrograms(*texts, setup, conversion)) return conversion;
  if (options.png && !WritePicture(ViewOfPicture(list, setup.settings), conversion)) return conversion;
  conversion.ok = true;
  return conversion;
}

}  // namespace kumodo
