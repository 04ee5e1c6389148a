#include "converter/conversion.h"

#include <filesystem>

#include "export/basic_program.h"
#include "export/machine_program.h"
#include "files/csv_document.h"
#include "files/program_folders.h"
#include "files/text_file.h"
#include "picture/record_drawing.h"
#include "platform/file_system.h"
#include "platform/png_encode.h"

namespace kumodo {
namespace {

// The picture as the editor's view shows it at zoom 1 without underlay: the
// 640 x 400 view, each row of a 200-line picture shown twice.
Bitmap ViewOfPicture(const OperationList& list, const Settings& settings) {
  const Bitmap picture = RenderPicture(list, PictureHeight(settings), true, RuleTiles());
  Bitmap view(640, 400);
  StretchCopy(picture, 0, 0, picture.width, picture.height, view, 0, 0, 640, 400);
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
                           const ConversionOptions& options) {
  Conversion conversion;
  auto fail = [&](const std::string& file, const std::string& reason) {
    conversion.failedFile = file;
    conversion.reason = reason;
    return conversion;
  };
  OperationList list;
  const DocumentRead read = ReadCsvDocument(documentPath, list);
  if (!read.ok) return fail(documentPath, read.reason);
  // The editor opens an empty document; a program of no picture is no conversion.
  if (list.count == 0) return fail(documentPath, NoRecordsReason());
  conversion.records = list.count;
  conversion.linesLeftOut = read.linesLeftOut;
  if (read.linesLeftOut > 0 && !options.truncate) {
    return fail(documentPath, std::to_string(read.linesLeftOut) + " lines past the " + std::to_string(kMaxOperations) +
                                  " records a document holds (--truncate converts the first " +
                                  std::to_string(kMaxOperations) + ")");
  }
  std::vector<std::string> texts;
  if (options.machine) {
    const std::span<const OperationRecord> records(list.slots.data(), static_cast<std::size_t>(list.count));
    const CompletedFills completed = CompleteFills(records, setup.settings, setup.tiles);
    const std::string stem = WithExtension(documentPath, "");
    MachineProgram program = MachineProgramParts(completed.records, setup.settings, setup.commands, setup.tiles,
                                                 options.freeArea, FileNamePart(stem));
    if (!program.ok) return fail(documentPath, program.reason);
    conversion.fillsCompleted = completed.fillsCompleted;
    texts = std::move(program.parts);
    for (std::size_t k = 0; k < texts.size(); ++k) {
      conversion.programFiles.push_back(texts.size() == 1 ? DocumentProgramPath(documentPath)
                                                          : stem + std::to_string(k + 1) + ".txt");
    }
  } else {
    texts = {BasicProgramText(list, setup.settings, setup.commands, setup.tiles)};
    conversion.programFiles = {DocumentProgramPath(documentPath)};
  }
  for (std::size_t k = 0; k < texts.size(); ++k) {
    CountLines(texts[k], conversion);
    conversion.memoryBytes = std::max(conversion.memoryBytes, EstimateProgramMemory(texts[k]).records);
    if (const FileResult written = WriteWholeFile(conversion.programFiles[k], texts[k], LinksFollowed::OwnOnly);
        !written.ok) {
      return fail(conversion.programFiles[k], written.reason);
    }
  }
  if (options.png) {
    conversion.pngFile = options.pngFile.value_or(WithExtension(documentPath, ".png"));
    if (const FileResult written = WritePngFile(conversion.pngFile, ViewOfPicture(list, setup.settings)); !written.ok) {
      return fail(conversion.pngFile, written.reason);
    }
  }
  conversion.ok = true;
  return conversion;
}

}  // namespace kumodo
