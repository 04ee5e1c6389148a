// kumodo-export [OPTION]... DOCUMENT.csv...: each document's BASIC program
// (and picture) exactly as the editor's save writes it, without a window.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/conversion.h"
#include "picture/operations.h"
#include "pictures/picture_decode.h"
#include "platform/command_line.h"
#include "platform/file_system.h"
#include "platform/message_language.h"

namespace {

using kumodo::ConversionOptions;

// clang-format off
std::string Usage() {
  return
    "Usage: kumodo-export [OPTION]... DOCUMENT.csv...\n"
    "  or:  kumodo-export --from-picture [OPTION]... PICTURE...\n"
    "Writes each document's N88-BASIC program beside it, as the editor's save does.\n"
    "\n"
    "  --command-file=FILE          the BASIC command file to use\n"
    "  --output-resolution=0|1      1 as drawn, 0 every y halved (a 400-line picture on a 640 x 200 screen)\n"
    "  --tiling=0|1                 1 tile fills as tiles, 0 as remarks\n"
    "  --editing-resolution=1|2     the documents were drawn in 400 (1) or 200 (2) lines\n"
    "  --png[=FILE.png]             also the picture as the editor shows it (beside the document)\n"
    "  --stats                      records, program lines, bytes, longest line and memory of each:\n"
    "                               the bytes the program takes once loaded beyond an empty document's,\n"
    "                               of the free area; it fits when at least 177 below\n"
    "                               (with --machine the largest part's, then parts and fills completed)\n"
    "  --machine                    a program the machine runs to its end: fills it would leave\n"
    "                               short completed, and split into parts NAME1.txt ... NAME9.txt,\n"
    "                               NAME(10).txt, ... that chain to each other when it does not fit\n"
    "                               the free area\n"
    "  --memory=BYTES               the free area an empty document's program leaves\n"
    "                               (default " + std::to_string(kumodo::kFreeAreaBytes) + ", PC-BASIC's)\n"
    "  --truncate                   convert the first 30000 records of a longer document\n"
    "                               (as the editor opens it) instead of failing\n"
    "\n"
    "  --from-picture               the files are pictures (BMP, JPEG, GIF, PNG): each is fitted to the\n"
    "                               640 x 400 screen (scaled down first when larger, up to " +
    std::to_string(kumodo::kLargePictureLimit.width) + " x " + std::to_string(kumodo::kLargePictureLimit.height) + "\n"
    "                               and " + std::to_string(kumodo::kMaxPictureFileBytes >> 20) + " MB), reduced and "
    "written beside it as NAME.csv, a document\n"
    "                               of lines, dots, fills and tile fills, with its program as --machine\n"
    "                               writes it\n"
    "  --reduction=colour|levels    colour (the default): each area the colour nearest it as the eye\n"
    "                               sees it, of the eight and of the tile fills' mixtures of two;\n"
    "                               levels: the editor's import's levels of luminance\n"
    "  --budget=BYTES               the memory the records' lines may take (default: what one part\n"
    "                               holds, " + std::to_string(kumodo::OnePartBudget()) + "); 0 no limit: the whole picture, in as\n"
    "                               many parts as it takes\n"
    "                               --stats then says the pixels equal to the reduced picture, the\n"
    "                               blurred RGB error (and for a grey picture the luminance error),\n"
    "                               records, bytes and parts\n"
    "  --force                      write a picture's document over one that is there already, and a\n"
    "                               program over a file of that name that is no program of ours\n"
    "  -h, --help                   show this help and exit\n"
    "  --version                    show the version and exit\n"
    "\n"
    "The command file and the settings are read as the editor reads them.\n"
    "An option's value may also follow it as the next argument (--memory 20000), but for --png.\n"
    "Arguments after -- are documents, even when they begin with -.\n"
    "Exit status: 0 all converted, 1 some failed, 2 usage error.\n";
}
// clang-format on

constexpr std::string_view kProgram = "kumodo-export";

int UsageError(const std::string& what) { return kumodo::UsageError(kProgram, what); }

// "0" or "1" (or the values given) for a switch, else nothing.
std::optional<int> Choice(std::string_view text, int first, int second) {
  if (text == std::to_string(first)) return first;
  if (text == std::to_string(second)) return second;
  return std::nullopt;
}

// A decimal number from first to last, else nothing.
std::optional<int> Number(std::string_view text, int first, int last) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const int number = std::stoi(std::string(text));
  if (number < first || number > last) return std::nullopt;
  return number;
}

// The options and documents of the command line, or the exit status when
// the command line asks for no conversion (help, version, a usage error).
struct CommandLine {
  ConversionOptions options;
  std::vector<std::string> documents;
  std::optional<int> exitStatus;
};

constexpr kumodo::OptionRule kOptions[] = {
    {"--command-file", kumodo::OptionValue::Required},
    {"--output-resolution", kumodo::OptionValue::Required},
    {"--tiling", kumodo::OptionValue::Required},
    {"--editing-resolution", kumodo::OptionValue::Required},
    {"--png", kumodo::OptionValue::Optional},
    {"--stats"},
    {"--machine"},
    {"--memory", kumodo::OptionValue::Required},
    {"--truncate"},
    {"--from-picture"},
    {"--budget", kumodo::OptionValue::Required},
    {"--force"},
    {"--reduction", kumodo::OptionValue::Required},
    {"-h"},
    {"--help"},
    {"--version"},
};

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  ConversionOptions& options = line.options;
  auto finish = [&line](int status) {
    line.exitStatus = status;
    return line;
  };
  const kumodo::ParsedCommandLine parsed = kumodo::ReadOptions(arguments, kOptions);
  if (!parsed.problem.empty()) return finish(UsageError(parsed.problem));
  for (const kumodo::CommandLineItem& item : parsed.items) {
    const std::string& option = item.name;
    const std::string_view value = item.value;
    if (option.empty()) {
      if (item.value == "-") return finish(UsageError("standard input is not read: name a file"));
      line.documents.push_back(item.value);
    } else if (option == "--help" || option == "-h") {
      std::fputs(Usage().c_str(), stdout);
      return finish(kumodo::FinishStandardOutput(kProgram, 0));
    } else if (option == "--version") {
      std::printf("kumodo-export %s\n", KUMODO_VERSION);
      return finish(kumodo::FinishStandardOutput(kProgram, 0));
    } else if (option == "--stats") {
      options.stats = true;
    } else if (option == "--machine") {
      options.machine = true;
    } else if (option == "--truncate") {
      options.truncate = true;
    } else if (option == "--from-picture") {
      options.fromPicture = true;
    } else if (option == "--force") {
      options.force = true;
    } else if (option == "--reduction") {
      if (value != "colour" && value != "levels") return finish(UsageError("--reduction takes colour or levels"));
      options.reduction =
          value == "colour" ? ConversionOptions::Reduction::Colour : ConversionOptions::Reduction::Levels;
    } else if (option == "--budget") {
      const std::optional<int> bytes = Number(value, 0, 100000000);
      if (!bytes) return finish(UsageError("--budget takes a number of bytes (0 for no limit)"));
      options.budget = static_cast<std::size_t>(*bytes);
    } else if (option == "--png") {
      options.png = true;
      if (item.hasValue) {
        if (value.empty()) return finish(UsageError("--png=FILE needs a file name"));
        options.pngFile = item.value;
      }
    } else if (option == "--memory") {
      const std::optional<int> bytes = Number(value, 1, 65535);
      if (!bytes) return finish(UsageError("--memory takes a number of bytes from 1 to 65535"));
      options.freeArea = static_cast<std::size_t>(*bytes);
    } else if (option == "--command-file") {
      options.commandFile = item.value;
    } else {
      const bool editing = option == "--editing-resolution";
      const std::optional<int> chosen = Choice(value, editing ? 1 : 0, editing ? 2 : 1);
      if (!chosen) return finish(UsageError(option + (editing ? " takes 1 or 2" : " takes 0 or 1")));
      (option == "--tiling" ? options.tiling : editing ? options.editingResolution : options.outputResolution) = chosen;
    }
  }
  if (!options.fromPicture && options.budget) {
    return finish(UsageError("--budget is for pictures, with --from-picture"));
  }
  return line;
}

void PrintPictureStats(const std::string& picture, const kumodo::Conversion& conversion) {
  std::printf("%s: %.2f %% of pixels equal (%zu of %zu), blurred RGB error %.1f", picture.c_str(),
              100.0 * static_cast<double>(conversion.equalPixels) / static_cast<double>(conversion.pixels),
              conversion.equalPixels, conversion.pixels, conversion.closeness.rgb);
  if (conversion.grey) std::printf(", luminance error %.1f", conversion.closeness.luminance);
  std::printf(", %d records, %zu bytes of %s, %zu parts\n", conversion.records, conversion.recordBytes,
              conversion.budget == 0 ? "no limit" : ("a budget of " + std::to_string(conversion.budget)).c_str(),
              conversion.programFiles.size());
}

void PrintStats(const std::string& document, const kumodo::Conversion& conversion, const ConversionOptions& options) {
  std::printf("%s: %d records, %d program lines, %zu bytes, longest line %zu bytes, memory %zu bytes of %zu",
              document.c_str(), conversion.records, conversion.programLines, conversion.programBytes,
              conversion.longestLine, conversion.memoryBytes, options.freeArea);
  if (options.machine) {
    std::printf(", %zu parts, %d fills completed", conversion.programFiles.size(), conversion.fillsCompleted);
  }
  std::printf("\n");
}

// Programs an earlier conversion or save of the document left: what was
// removed, and what may be one of them but was not recognised.
void PrintStalePrograms(const std::string& input, const kumodo::StalePrograms& stale) {
  auto list = [](const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files) names += (names.empty() ? "" : ", ") + file;
    return names;
  };
  if (!stale.removed.empty()) {
    std::fprintf(stderr, "kumodo-export: %s: removed %s, left by its earlier program\n", input.c_str(),
                 list(stale.removed).c_str());
  }
  if (!stale.left.empty()) {
    std::fprintf(stderr, "kumodo-export: %s: %s may be left by its earlier program: not removed, check before "
                 "copying the programs to the machine\n", input.c_str(), list(stale.left).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  kumodo::SetMessageLanguage(kumodo::MessageLanguage::English);
  const CommandLine line = ReadCommandLine(kumodo::CommandLineArguments(argc, argv));
  if (line.exitStatus) return *line.exitStatus;
  const ConversionOptions& options = line.options;
  const std::vector<std::string>& documents = line.documents;
  if (documents.empty()) return UsageError("no document given");
  if (options.pngFile && documents.size() > 1) return UsageError("--png=FILE names the picture of one document only");
  // A command file the user names must be there: without it every program would be bare line numbers.
  if (options.commandFile) {
    std::string reason;
    if (!kumodo::ReadFileStart(*options.commandFile, 1, &reason)) {
      std::fprintf(stderr, "kumodo-export: --command-file %s: %s\n", options.commandFile->c_str(), reason.c_str());
      return 2;
    }
  }

  const kumodo::ConversionSetup setup = kumodo::PrepareConversion(options);
  // Programs of bare line numbers are no conversion.
  if (!setup.commandFileFound) {
    std::fprintf(stderr,
                 "kumodo-export: no command file at %s: the programs would hold no statements "
                 "(--command-file=FILE names one)\n",
                 setup.commandFile.c_str());
    return 1;
  }
  // A progress line where someone watches many files go by, cleared before
  // any other line and at the end, so that only what was said stays.
  if (options.fromPicture && setup.settings.outputResolution == 0) {
    std::fprintf(stderr,
                 "kumodo-export: output resolution 0 halves every row on the machine: its picture differs from "
                 "the document's and its fills may spill (--output-resolution 1 draws the document's)\n");
  }
  // No input of the run, and nothing written for one, is written over for another.
  std::vector<kumodo::RunFile> runFiles;
  for (const std::string& input : documents) runFiles.push_back({input, "an input of this run"});
  // Parts of two programs of one run are copied to one disk: their names there must not meet.
  std::vector<std::string> diskNames;
  const bool showProgress = documents.size() > 1 && kumodo::ErrorOutputShowsProgress();
  int failed = 0;
  for (std::size_t n = 0; n < documents.size(); ++n) {
    if (showProgress) std::fprintf(stderr, "\r[%zu/%zu] %s\033[K", n + 1, documents.size(), documents[n].c_str());
    const kumodo::Conversion conversion =
        options.fromPicture ? kumodo::ConvertPicture(documents[n], setup, options, runFiles, diskNames)
                            : kumodo::ConvertDocument(documents[n], setup, options, runFiles, diskNames);
    if (showProgress) std::fputs("\r\033[K", stderr);
    if (!conversion.ok) {
      ++failed;
      std::fprintf(stderr, "kumodo-export: %s: %s\n", conversion.failedFile.c_str(), conversion.reason.c_str());
      continue;
    }
    diskNames.insert(diskNames.end(), conversion.diskNames.begin(), conversion.diskNames.end());
    PrintStalePrograms(documents[n], conversion.stale);
    if (conversion.linesLeftOut > 0) {
      std::fprintf(stderr, "kumodo-export: %s: only the first %d records converted, %d lines left out\n",
                   documents[n].c_str(), conversion.records, conversion.linesLeftOut);
    }
    const std::string origin = "written for " + documents[n] + " in this run";
    for (const std::string& file : conversion.programFiles) runFiles.push_back({file, origin});
    if (!conversion.documentFile.empty()) runFiles.push_back({conversion.documentFile, origin});
    if (!conversion.pngFile.empty()) runFiles.push_back({conversion.pngFile, origin});
    if (conversion.scaledWidth > 0) {
      std::fprintf(stderr, "kumodo-export: %s: %d x %d scaled down to %d x %d\n",
                   documents[n].c_str(), conversion.pictureWidth, conversion.pictureHeight, conversion.scaledWidth,
                   conversion.scaledHeight);
    }
    if (options.fromPicture && conversion.budget == 0 && conversion.equalPixels < conversion.pixels) {
      std::fprintf(stderr, "kumodo-export: %s: the %d records a document holds draw only part of the picture\n",
                   documents[n].c_str(), kumodo::kMaxOperations);
    }
    if (options.stats) {
      if (options.fromPicture) {
        PrintPictureStats(documents[n], conversion);
      } else {
        PrintStats(documents[n], conversion, options);
      }
    }
  }
  return kumodo::FinishStandardOutput(kProgram, failed > 0 ? 1 : 0);
}
