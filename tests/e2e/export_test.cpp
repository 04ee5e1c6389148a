// kumodo-export against the editor: documents the scripted editor saved,
// converted by the command, give the editor's program byte for byte and its
// view pixel for pixel; failures and usage errors end as they should.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/document_files.h"
#include "app/file_commands.h"
#include "app/settings.h"
#include "export/machine_program.h"
#include "export/program_memory.h"
#include "files/csv_document.h"
#include "files/text_file.h"
#include "picture/record_drawing.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "pictures/picture_decode.h"
#include "platform/png_encode.h"
#include "screen/palette.h"
#include "support/colour_pictures.h"
#include "support/hand_made_jpeg.h"
#include "support/misread_documents.h"
#include "support/picture_bombs.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int exitCode;
  std::string output;  // standard output and error together
};

// The command (the converter unless named), started in the folder.
CommandRun Export(const fs::path& folder, const std::string& arguments, const std::string& program = KUMODO_EXPORT) {
  const std::string command = "cd '" + folder.string() + "' && { " + program + " " + arguments + "; } 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The command with all its output on a terminal: what stays on the screen
// when it ends, each line as the terminal shows it (CR back to its start,
// ESC [ K erasing to its end).
std::vector<std::string> ScreenOfExport(const fs::path& folder, const std::vector<std::string>& arguments) {
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv{const_cast<char*>(KUMODO_EXPORT)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(KUMODO_EXPORT, argv.data());
    ::_exit(127);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
  ::close(terminal);
  ::waitpid(child, nullptr, 0);
  std::vector<std::string> screen(1);
  std::size_t column = 0;
  for (std::size_t at = 0; at < output.size(); ++at) {
    std::string& line = screen.back();
    if (output[at] == '\r') {
      column = 0;
    } else if (output[at] == '\n') {
      screen.emplace_back();
      column = 0;
    } else if (output.compare(at, 3, "\033[K") == 0) {
      line.resize(std::min(line.size(), column));
      at += 2;
    } else {
      if (column >= line.size()) line.resize(column + 1);
      line[column++] = output[at];
    }
  }
  return screen;
}

// A document of every kind of record, at random, drawn for the resolution.
void DrawRandomDocument(Editor& editor, std::mt19937& dice) {
  const int height = PictureHeight(editor.settings);
  DrawingState d;
  const int count = 1 + static_cast<int>(dice() % 300);
  for (int i = 0; i < count; ++i) {
    const int kinds[] = {kind::Line, kind::Paint, kind::TilePaint, kind::Dot, kind::TwoColourLine};
    d.mode = static_cast<std::int16_t>(kinds[dice() % 5]);
    d.x1 = dice() % 640, d.y1 = dice() % height, d.x2 = dice() % 640, d.y2 = dice() % height;
    d.drawingColour = static_cast<std::int16_t>(dice() % 8);
    d.borderColour = static_cast<std::int16_t>(dice() % 8);
    d.secondColour = static_cast<std::int16_t>(dice() % 8);
    d.tileKind = static_cast<std::uint8_t>(dice() % 3);
    AppendOperation(editor.operations, d, 1);
  }
}

TEST(Export, GivesTheEditorsProgramAndViewForEveryResolutionAndSetting) {
  std::mt19937 dice(21);
  for (int round = 0; round < 8; ++round) {
    scripted::ScriptedEditor s;
    Editor& editor = s.editor;
    editor.settings.outputResolution = static_cast<std::uint8_t>(round % 2);
    editor.settings.tiling = static_cast<std::uint8_t>((round / 2) % 2);
    editor.settings.editingResolution = static_cast<std::uint8_t>(1 + (round / 4) % 2);
    ASSERT_TRUE(WriteSettingsFile(editor));  // the converter reads them as the editor does
    SetUpView(editor);
    DrawRandomDocument(editor, dice);
    editor.documentPath = (s.folder.Path() / "picture.csv").string();
    ASSERT_TRUE(SaveCsvDocument(editor).ok);
    ASSERT_TRUE(GenerateBasicProgram(editor).written.ok);
    ReplayPicture(editor, kNoProbe);
    const std::string program = ReadWholeFile((s.folder.Path() / "picture.txt").string()).value_or("");

    const fs::path other = s.folder.Path() / "converted";
    fs::create_directories(other);
    fs::copy_file(s.folder.Path() / "picture.csv", other / "picture.csv");
    const CommandRun run = Export(s.folder.Path(), "--png converted/picture.csv");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadWholeFile((other / "picture.txt").string()).value_or("<none>"), program) << "round " << round;
    const DecodedPicture picture = DecodePictureFile((other / "picture.png").string());
    ASSERT_TRUE(picture.loaded);
    for (int y = 0; y < 400; ++y) {
      for (int x = 0; x < 640; ++x) {
        ASSERT_EQ(picture.bitmap.At(x, y), editor.screen.backBuffer.At(x, y) & 0xFFFFFF)
            << "round " << round << " at " << x << ", " << y;
      }
    }
  }
}

TEST(Export, OptionsOverrideTheSettingsAndStatsAreCounted) {
  scripted::ScriptedEditor s;
  std::ofstream(s.folder.Path() / "a.csv", std::ios::binary) << "1,10,20,30,41,7,0,1\r\n";
  const CommandRun run = Export(s.folder.Path(), "--output-resolution 0 --stats a.csv");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string program = ReadWholeFile((s.folder.Path() / "a.txt").string()).value_or("");
  EXPECT_EQ(program.substr(0, 28), "10000 LINE(10,10)-(30,20),7\r") << "every y halved";
  std::size_t lines = 0;
  for (char c : program) lines += c == '\n';
  EXPECT_NE(run.output.find("a.csv: 1 records, " + std::to_string(lines) + " program lines, " +
                            std::to_string(program.size()) + " bytes"),
            std::string::npos)
      << run.output;
  // The records' memory, of PC-BASIC's free area or of the one given.
  const std::string memory = ", memory " + std::to_string(EstimateProgramMemory(program).records) + " bytes of ";
  EXPECT_NE(run.output.find(memory + std::to_string(kFreeAreaBytes) + "\n"), std::string::npos) << run.output;
  const CommandRun given = Export(s.folder.Path(), "--output-resolution 0 --stats --memory 30000 a.csv");
  EXPECT_NE(given.output.find(memory + "30000\n"), std::string::npos) << given.output;
}

// With --machine: the fill across a row of its own colour completed, and a
// small free area splitting the program into parts beside the document,
// each chaining to the next by its name on the machine's disk; the other
// documents' files untouched.
TEST(Export, TheMachinesProgramCompletesFillsAndSplitsIntoParts) {
  scripted::ScriptedEditor s;
  std::string document = "1,100,20,300,20,7,0,1\r\n1,300,20,300,150,7,0,2\r\n1,300,150,100,150,7,0,3\r\n"
                         "1,100,150,100,20,7,0,4\r\n1,101,80,299,80,4,0,1\r\n3,200,40,0,0,4,7,1\r\n";
  for (int n = 0; n < 200; ++n) document += "8," + std::to_string(n) + ",5,0,0,3,0,1\r\n";
  std::ofstream(s.folder.Path() / "box picture.csv", std::ios::binary) << document;
  const CommandRun whole = Export(s.folder.Path(), "--machine --stats 'box picture.csv'");
  ASSERT_EQ(whole.exitCode, 0) << whole.output;
  EXPECT_NE(whole.output.find(", 1 parts, 1 fills completed\n"), std::string::npos) << whole.output;
  const std::string program = ReadWholeFile((s.folder.Path() / "box picture.txt").string()).value_or("");
  EXPECT_NE(program.find("\r\n10006 PAINT(101,81),4,7\r\n"), std::string::npos) << "a seed below the green row";

  const CommandRun split = Export(s.folder.Path(), "--machine --stats --memory 1500 'box picture.csv'");
  ASSERT_EQ(split.exitCode, 0) << split.output;
  int parts = 0;
  while (fs::exists(s.folder.Path() / ("box picture" + std::to_string(parts + 1) + ".txt"))) ++parts;
  ASSERT_GE(parts, 2);
  EXPECT_NE(split.output.find(", " + std::to_string(parts) + " parts, 1 fills completed\n"), std::string::npos)
      << split.output;
  // Its memory figure follows the one documented rule: a part that loads and
  // runs leaves the run's needs of the free area.
  const std::size_t figureAt = split.output.find(", memory ");
  ASSERT_NE(figureAt, std::string::npos) << split.output;
  EXPECT_LE(std::stoul(split.output.substr(figureAt + 9)) + kRunNeedsBytes, 1500u) << split.output;
  for (int k = 1; k <= parts; ++k) {
    const std::string part =
        ReadWholeFile((s.folder.Path() / ("box picture" + std::to_string(k) + ".txt")).string()).value_or("");
    const std::string ending = k < parts ? "59999 CHAIN \"BOXPICT" + std::to_string(k + 1) + ".BAS\"\r\n" : "59999 END\r\n";
    EXPECT_NE(part.find(ending), std::string::npos) << "part " << k;
  }
  EXPECT_FALSE(fs::exists(s.folder.Path() / "box picture.txt")) << "the program in one file, now in parts, goes";
  EXPECT_NE(split.output.find("box picture.csv: removed "), std::string::npos) << split.output;
}

// Parts of two programs of one run are copied to one disk: "holiday-01"
// and "holiday-02", each in some thirty parts, would both have HOLIDA1.BAS
// on, so the later is refused and nothing of it written. In the folder no
// part meets another document's: "holiday-0" part 11 is
// "holiday-0(11).txt", no longer "holiday-011.txt", part 1 of "holiday-01".
TEST(Export, PartsOfOneRunNeverMeetOnTheDiskNorPartsInTheFolder) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::string document;
  for (int n = 0; n < 2600; ++n)
    document += "8," + std::to_string(n % 640) + "," + std::to_string(n / 640) + ",0,0,3,0,1\r\n";
  for (const char* name : {"holiday-01.csv", "holiday-02.csv", "holiday-0.csv"}) {
    std::ofstream(folder / name, std::ios::binary) << document;
  }
  const CommandRun both = Export(folder, "--machine --memory 1500 holiday-01.csv holiday-02.csv");
  EXPECT_EQ(both.exitCode, 1) << both.output;
  EXPECT_NE(both.output.find("holiday-02.csv: its part 1 would be HOLIDA1.BAS on the machine's disk"),
            std::string::npos)
      << both.output;
  ASSERT_TRUE(fs::exists(folder / "holiday-01(12).txt"));
  EXPECT_FALSE(fs::exists(folder / "holiday-021.txt"));
  const std::string part = ReadWholeFile((folder / "holiday-011.txt").string()).value_or("");
  EXPECT_NE(part.find("59999 CHAIN \"HOLIDA2.BAS\""), std::string::npos);

  const CommandRun alone = Export(folder, "--machine --memory 1500 holiday-0.csv");
  EXPECT_EQ(alone.exitCode, 0) << alone.output;
  EXPECT_TRUE(fs::exists(folder / "holiday-0(11).txt"));
  EXPECT_EQ(ReadWholeFile((folder / "holiday-011.txt").string()).value_or(""), part);
}

TEST(Export, AFailedDocumentIsNamedAndTheOthersStillConverted) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::ofstream(folder / "good.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  std::ofstream(folder / "unix.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\n";
  std::ofstream(folder / "blocked.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  fs::create_directories(folder / "blocked.txt");  // the program cannot be written
  const CommandRun run = Export(folder, "unix.csv missing.csv blocked.csv good.csv");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("unix.csv:"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("missing.csv:"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("blocked.txt:"), std::string::npos) << run.output;
  EXPECT_TRUE(fs::is_regular_file(folder / "good.txt"));
  EXPECT_FALSE(fs::exists(folder / "unix.txt"));
}

TEST(Export, UsageErrorsEndWithTwoInOneLineAndHelpWithZero) {
  scripted::ScriptedEditor s;
  for (const char* arguments :
       {"", "--tiling 2 a.csv", "--frobnicate a.csv", "--command-file", "--png=x.png a.csv b.csv", "--memory 0 a.csv",
        "--memory=65536 a.csv", "--memory 4k a.csv", "--memory", "--budget 100 a.csv", "--stats=1 a.csv",
        "--png= a.csv", "--from-picture --budget x a.png", "- a.csv"}) {
    const CommandRun run = Export(s.folder.Path(), arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 2) << arguments << ": " << run.output;
    EXPECT_NE(run.output.find("Try 'kumodo-export --help'"), std::string::npos) << run.output;
  }
  EXPECT_NE(Export(s.folder.Path(), "- a.csv").output.find("standard input is not read"), std::string::npos);
  for (const char* arguments : {"--help", "-h"}) {
    const CommandRun help = Export(s.folder.Path(), arguments);
    EXPECT_EQ(help.exitCode, 0) << arguments;
    EXPECT_NE(help.output.find("Usage: kumodo-export"), std::string::npos) << arguments;
  }
  EXPECT_EQ(Export(s.folder.Path(), "--version").output.rfind("kumodo-export ", 0), 0u);
  std::ofstream(s.folder.Path() / "-h", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  EXPECT_EQ(Export(s.folder.Path(), "-- -h").exitCode, 0) << "after --, a document";
  EXPECT_TRUE(fs::is_regular_file(s.folder.Path() / "-h.txt"));
}

// Values after "=" or in the next argument alike; an optional one (--png's)
// only after "=", so that no file is taken for it.
TEST(Export, OptionValuesTakeEitherFormAndNeverAFile) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::ofstream(folder / "a.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  const CommandRun joined = Export(folder, "--memory=20000 --tiling=0 --stats a.csv");
  const CommandRun apart = Export(folder, "--memory 20000 --tiling 0 --stats a.csv");
  EXPECT_EQ(joined.exitCode, 0) << joined.output;
  EXPECT_EQ(joined.output, apart.output);
  EXPECT_NE(joined.output.find("of 20000"), std::string::npos) << joined.output;

  Bitmap picture(64, 40);
  ASSERT_TRUE(WritePngFile((folder / "photo.png").string(), picture).ok);
  const CommandRun pictureRun = Export(folder, "--from-picture --png photo.png");
  EXPECT_NE(pictureRun.output.find("would be written over the picture it is made from"), std::string::npos)
      << "photo.png is the picture, not --png's file: " << pictureRun.output;
  EXPECT_EQ(Export(folder, "--from-picture --png=drawn.png photo.png").exitCode, 0);
  EXPECT_TRUE(fs::is_regular_file(folder / "drawn.png"));
}

// What was asked for on standard output did not arrive: not a success.
TEST(Export, AWriteErrorOnStandardOutputIsAFailure) {
  scripted::ScriptedEditor s;
  std::ofstream(s.folder.Path() / "a.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  for (const char* arguments : {"--help", "--version", "--stats a.csv"}) {
    const CommandRun run = Export(s.folder.Path(), std::string(arguments) + " >/dev/full");
    EXPECT_EQ(run.exitCode, 1) << arguments;
    EXPECT_NE(run.output.find("write error"), std::string::npos) << arguments << ": " << run.output;
  }
}

// The editor's own command line, up to where it would open its window.
TEST(EditorCommandLine, HelpVersionAndUsageErrorsAsGnuToolsDo) {
  scripted::ScriptedEditor s;
  auto editor = [&](const std::string& arguments) { return Export(s.folder.Path(), arguments, KUMODO_EDITOR); };
  for (const char* arguments : {"-h", "--help"}) {
    const CommandRun help = editor(arguments);
    EXPECT_EQ(help.exitCode, 0) << arguments;
    EXPECT_EQ(help.output.rfind("Usage: kumodo [DOCUMENT.csv]", 0), 0u) << help.output;
  }
  EXPECT_EQ(editor("--version").output.rfind("kumodo ", 0), 0u);
  EXPECT_EQ(editor("--version >/dev/full").exitCode, 1);
  for (const char* arguments : {"--frobnicate", "--help=1", "a.csv b.csv", "-"}) {
    const CommandRun run = editor(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 2) << arguments << ": " << run.output;
    EXPECT_NE(run.output.find("Try 'kumodo --help'"), std::string::npos) << run.output;
  }
  EXPECT_NE(editor("-").output.find("standard input is not read"), std::string::npos);
  // After "--" a name starting with "-" is a document: the editor goes on to
  // its window, which no display can show here.
  const CommandRun document =
      Export(s.folder.Path(), "-- --help",
             std::string("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 ") + KUMODO_EDITOR);
  EXPECT_EQ(document.exitCode, 1) << document.output;
  EXPECT_NE(document.output.find("cannot open a window"), std::string::npos) << document.output;
}

// Started from any folder, the build's converter finds its command file
// beside itself; a copy with none anywhere fails rather than writing
// programs of bare line numbers, unless a command file is named.
TEST(Export, ACommandFileIsFoundBesideTheProgramOrItsLackIsAFailure) {
  scripted::ScriptedEditor s;
  const fs::path folder = s.folder.Path() / "elsewhere";
  fs::create_directories(folder / "alone");
  std::ofstream(folder / "a.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  const CommandRun found = Export(folder, "a.csv");
  ASSERT_EQ(found.exitCode, 0) << found.output;
  EXPECT_NE(ReadWholeFile((folder / "a.txt").string()).value_or("").find("PSET"), std::string::npos);
  fs::remove(folder / "a.txt");

  fs::copy_file(KUMODO_EXPORT, folder / "alone" / "kumodo-export");
  const std::string alone = (folder / "alone" / "kumodo-export").string();
  const CommandRun missing = Export(folder, "a.csv", alone);
  EXPECT_EQ(missing.exitCode, 1) << missing.output;
  EXPECT_NE(missing.output.find("no command file"), std::string::npos) << missing.output;
  EXPECT_FALSE(fs::exists(folder / "a.txt"));
  const std::string named = "--command-file=" + std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt a.csv";
  EXPECT_EQ(Export(folder, named, alone).exitCode, 0);
}

// A command file the user names must be there: else nothing is written,
// least of all programs of bare line numbers over good ones.
TEST(Export, ACommandFileNamedButMissingOrAFolderIsAUsageError) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::ofstream(folder / "a.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  std::ofstream(folder / "a.txt", std::ios::binary) << "the good program";
  fs::create_directories(folder / "commands");
  for (const char* file : {"missing.txt", "commands"}) {
    const CommandRun run = Export(folder, std::string("--command-file ") + file + " a.csv");
    EXPECT_EQ(run.exitCode, 2) << file;
    EXPECT_NE(run.output.find(file), std::string::npos) << run.output;
    EXPECT_EQ(ReadWholeFile((folder / "a.txt").string()).value_or(""), "the good program") << file;
  }
}

// Each document the reading would get wrong fails with its cause, in
// English, and writes nothing; the ones it can read whole are converted.
TEST(Export, DocumentsReadWrongFailWithTheirCauseAndNothingWritten) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::vector<misread_documents::Document> documents = misread_documents::Documents();
  documents.push_back({"empty.csv", "", "no records read", nullptr});  // the editor opens it as an empty picture
  documents.push_back({"folder.csv", "", "not a regular file (a folder, FIFO or device)", nullptr});
  std::string arguments = "--stats";
  for (const misread_documents::Document& document : documents) {
    if (document.name == std::string("folder.csv")) {
      fs::create_directories(folder / document.name);
    } else {
      std::ofstream(folder / document.name, std::ios::binary) << document.bytes;
    }
    arguments += std::string(" ") + document.name;
  }
  const CommandRun run = Export(folder, arguments);
  EXPECT_EQ(run.exitCode, 1);
  for (const misread_documents::Document& document : documents) {
    const std::string name = document.name;
    if (document.cause) {
      EXPECT_NE(run.output.find("kumodo-export: " + name + ": " + document.cause + "\n"), std::string::npos)
          << name << "\n" << run.output;
    } else {
      const std::size_t records = std::count(document.text, document.text + std::strlen(document.text), '\n');
      EXPECT_NE(run.output.find(name + ": " + std::to_string(records) + " records"), std::string::npos)
          << name << "\n" << run.output;
    }
    EXPECT_EQ(fs::exists(WithExtension((folder / name).string(), ".txt")), !document.cause) << name;
  }
  EXPECT_TRUE(std::all_of(run.output.begin(), run.output.end(), [](char c) { return (c & 0x80) == 0; }))
      << "English alone on the command line:\n" << run.output;
}

TEST(Export, ADocumentLongerThanTheListFailsUnlessTruncationIsAsked) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::string text;
  for (int i = 0; i <= kMaxOperations; ++i) text += "8," + std::to_string(i % 640) + ",7,0,0,3,0,1\r\n";
  std::ofstream(folder / "long.csv", std::ios::binary) << text;
  const CommandRun refused = Export(folder, "long.csv");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("long.csv: 1 lines past the 30000 records"), std::string::npos) << refused.output;
  EXPECT_FALSE(fs::exists(folder / "long.txt"));

  const CommandRun truncated = Export(folder, "--truncate --stats long.csv");
  EXPECT_EQ(truncated.exitCode, 0) << truncated.output;
  EXPECT_NE(truncated.output.find("long.csv: only the first 30000 records converted, 1 lines left out"), std::string::npos)
      << truncated.output;
  EXPECT_NE(truncated.output.find("long.csv: 30000 records"), std::string::npos) << truncated.output;
}

// A picture larger than the import takes is read and scaled down to fit the
// picture area; one over the converter's own limit is refused as broken or
// too large.
TEST(Export, ALargerPictureIsScaledDownToFitAndOneOverTheLimitRefused) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  Bitmap large(1280, 800, 0x0000FF);  // red, with a white block
  for (int y = 200; y < 600; ++y) std::fill_n(&large.At(300, y), 600, 0xFFFFFF);
  ASSERT_TRUE(WritePngFile((folder / "big.png").string(), large).ok);
  ASSERT_TRUE(WritePngFile((folder / "wide.png").string(), Bitmap(kLargePictureLimit.width + 1, 1)).ok);

  const CommandRun read = Export(folder, "--from-picture big.png");
  EXPECT_EQ(read.exitCode, 0) << read.output;
  EXPECT_NE(read.output.find("kumodo-export: big.png: 1280 x 800 scaled down to 640 x 400\n"),
            std::string::npos)
      << read.output;
  EXPECT_TRUE(fs::is_regular_file(folder / "big.csv"));
  // The side that limits is the picture's own to the dot. A 200-line
  // picture is fitted whole to the screen as it is seen, 640 x 400, and
  // takes its rows two at a time; the import's levels fit it to 640 x 200.
  ASSERT_TRUE(WritePngFile((folder / "odd.png").string(), Bitmap(1000, 644, 0xFFFFFF)).ok);
  EXPECT_NE(Export(folder, "--from-picture odd.png").output.find("odd.png: 1000 x 644 scaled down to 621 x 400\n"),
            std::string::npos);
  const CommandRun halved = Export(folder, "--from-picture --force --png=halved.png --editing-resolution 2 big.png");
  EXPECT_NE(halved.output.find("big.png: 1280 x 800 scaled down to 640 x 400\n"), std::string::npos) << halved.output;
  const DecodedPicture seen = DecodePictureFile((folder / "halved.png").string());
  ASSERT_TRUE(seen.loaded);
  EXPECT_EQ(seen.bitmap.At(320, 200), 0xFFFFFFu) << "the white block at the middle of the screen";
  EXPECT_EQ(seen.bitmap.At(320, 390), 0x0000FFu) << "the red below it, to the screen's last rows";
  EXPECT_NE(Export(folder, "--from-picture --force --reduction=levels --editing-resolution 2 big.png")
                .output.find("big.png: 1280 x 800 scaled down to 320 x 200\n"),
            std::string::npos);

  const CommandRun refused = Export(folder, "--from-picture wide.png");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("kumodo-export: wide.png: the file is broken or too large\n"), std::string::npos)
      << refused.output;
  EXPECT_FALSE(fs::exists(folder / "wide.csv"));
}

// Pictures of 8192 x 8192 in small files: a JPEG (decoded at an eighth of
// its size) and a CMYK one are converted; a progressive JPEG whose scans
// would keep 192 MB of coefficients is refused, saying so, with nothing
// written.
TEST(Export, LargeAndCmykJpegsAreConvertedAndACostlyOneRefusedSayingWhy) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  hand_made_jpeg::Layout progressive = hand_made_jpeg::Grey(8192, 8192, 200, true);
  progressive.progressive = true;
  progressive.acScans = 999;
  const std::pair<const char*, hand_made_jpeg::Layout> pictures[] = {
      {"grey.jpg", hand_made_jpeg::Grey(8192, 8192, 200, true)},
      {"cmyk.jpg", {8192, 4096, {{255}, {128}, {0}, {255}}, false, 0, 0}},
      {"scans.jpg", progressive}};
  for (const auto& [name, layout] : pictures)
    std::ofstream(folder / name, std::ios::binary) << hand_made_jpeg::Make(layout);

  const CommandRun read = Export(folder, "--from-picture --reduction=levels --png grey.jpg cmyk.jpg scans.jpg");
  EXPECT_EQ(read.exitCode, 1) << read.output;
  EXPECT_NE(read.output.find("grey.jpg: 8192 x 8192 scaled down to 400 x 400\n"), std::string::npos) << read.output;
  EXPECT_NE(read.output.find("cmyk.jpg: 8192 x 4096 scaled down to 640 x 320\n"), std::string::npos) << read.output;
  EXPECT_NE(read.output.find("kumodo-export: scans.jpg: a progressive JPEG this large takes too much memory to "
                             "decode (192 MB)\n"),
            std::string::npos)
      << read.output;
  const DecodedPicture grey = DecodePictureFile((folder / "grey.png").string());
  const DecodedPicture orange = DecodePictureFile((folder / "cmyk.png").string());
  ASSERT_TRUE(grey.loaded && orange.loaded);
  EXPECT_EQ(grey.bitmap.At(10, 10), PaletteColour(6)) << "grey 200 is yellow's level";
  EXPECT_EQ(orange.bitmap.At(10, 10), PaletteColour(5)) << "orange (255, 128, 0) is cyan's level";
  EXPECT_EQ(grey.bitmap.At(500, 10), PaletteColour(0)) << "beside the picture";
  EXPECT_FALSE(fs::exists(folder / "scans.csv"));
}

// In a shared folder another user plants a link at the name of the
// picture a conversion writes beside the document (photo.png for
// photo.gif), pointing at a file of the user's: as for the programs, only a
// name the user typed is written through such a link.
TEST(Export, ThePictureBesideTheDocumentIsNotWrittenThroughAnotherUsersLink) {
  if (::geteuid() != 0) GTEST_SKIP() << "planting another user's link needs root";
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  fs::permissions(folder, fs::perms::all | fs::perms::sticky_bit);
  std::ofstream(folder / "photo.gif", std::ios::binary) << picture_bombs::LargeGif();
  std::ofstream(folder / "mine.txt") << "precious";
  fs::create_symlink(folder / "mine.txt", folder / "photo.png");
  ASSERT_EQ(::lchown((folder / "photo.png").c_str(), 65534, 65534), 0);

  const CommandRun derived = Export(folder, "--from-picture --png photo.gif");
  EXPECT_EQ(derived.exitCode, 1) << derived.output;
  EXPECT_NE(derived.output.find(
                "kumodo-export: photo.png: a symbolic link another user made: nothing is written through it\n"),
            std::string::npos)
      << derived.output;
  EXPECT_EQ(ReadWholeFile((folder / "mine.txt").string()), "precious");
  const CommandRun typed = Export(folder, "--from-picture --force --png=photo.png photo.gif");
  EXPECT_EQ(typed.exitCode, 0) << typed.output;
  EXPECT_TRUE(DecodePictureFile((folder / "mine.txt").string()).loaded) << "the typed name's link is followed";
}

// Several documents on a terminal: the progress line goes as it came, and
// only what was said stays, each on a line of its own.
TEST(Export, TheProgressLineLeavesNothingOnTheTerminal) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::ofstream(folder / "a.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  std::ofstream(folder / "b.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\n";
  std::ofstream(folder / "c.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  std::vector<std::string> screen = ScreenOfExport(folder, {"--stats", "a.csv", "b.csv", "c.csv"});
  while (!screen.empty() && screen.back().empty()) screen.pop_back();
  ASSERT_EQ(screen.size(), 3u);
  EXPECT_EQ(screen[0].rfind("a.csv: 1 records", 0), 0u) << screen[0];
  EXPECT_EQ(screen[1], "kumodo-export: b.csv: lines end without CR");
  EXPECT_EQ(screen[2].rfind("c.csv: 1 records", 0), 0u) << screen[2];
}

// A picture as a document: the editor opens it and its view is the
// converter's picture; each record is a group of its own for undo. The same
// picture gives the same bytes again.
TEST(Export, APictureBecomesADocumentTheEditorOpensAndUndoes) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  const ColourPicture colours = colour_pictures::Shapes(11, 400, 12);
  Bitmap picture(640, 400);
  for (std::size_t p = 0; p < colours.colours.size(); ++p) picture.pixels[p] = PaletteColour(colours.colours[p]);
  ASSERT_TRUE(WritePngFile((folder / "shapes.png").string(), picture).ok);
  const CommandRun run = Export(folder, "--from-picture --budget=0 --stats --png=drawn.png shapes.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.rfind("shapes.png: 100.00 % of pixels equal (256000 of 256000), ", 0), 0u) << run.output;
  const std::string document = ReadWholeFile((folder / "shapes.csv").string()).value_or("");
  const std::string program = ReadWholeFile((folder / "shapes.txt").string()).value_or("");

  s.platform.QueueFileDialogAnswer((folder / "shapes.csv").string());
  RunFileCommand(s.editor, FileCommand::Open);
  Editor& editor = s.editor;
  ASSERT_GT(editor.operations.count, 3);
  const DecodedPicture drawn = DecodePictureFile((folder / "drawn.png").string());
  ASSERT_TRUE(drawn.loaded);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x) {
      ASSERT_EQ(editor.screen.backBuffer.At(x, y) & 0xFFFFFF, picture.At(x, y)) << x << ", " << y;
      ASSERT_EQ(drawn.bitmap.At(x, y), picture.At(x, y)) << x << ", " << y;
    }
  }
  const int count = editor.operations.count;
  for (int undo = 1; undo <= 3; ++undo) {
    UndoCommand(editor);
    EXPECT_EQ(editor.operations.count, count - undo);
  }
  const Bitmap left = RenderPicture(editor.operations, 400, true, RuleTiles());
  ReplayPicture(editor, kNoProbe);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x)
      ASSERT_EQ(editor.screen.backBuffer.At(x, y) & 0xFFFFFF, left.At(x, y)) << x << ", " << y;
  }

  ASSERT_EQ(Export(folder, "--from-picture --force --budget 0 shapes.png").exitCode, 0);
  EXPECT_EQ(ReadWholeFile((folder / "shapes.csv").string()).value_or(""), document);
  EXPECT_EQ(ReadWholeFile((folder / "shapes.txt").string()).value_or(""), program);
  // Halved rows on the machine cannot draw the document's picture: said.
  EXPECT_NE(Export(folder, "--from-picture --output-resolution 0 shapes.png")
                .output.find("output resolution 0 halves every row on the machine"),
            std::string::npos);
}

// What the import would not read is refused with the import's reason, and
// no file is written over the picture, another picture of the run or what
// the run wrote for one.
TEST(Export, APictureTheImportRefusesOrWouldBeOverwrittenWritesNothing) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  std::ofstream(folder / "text.png", std::ios::binary) << "not a picture at all";
  std::ofstream(folder / "cut.png", std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  ASSERT_TRUE(WritePngFile((folder / "small.png").string(), Bitmap(40, 30, 0xFFFFFF)).ok);
  const std::string small = ReadWholeFile((folder / "small.png").string()).value_or("");
  const CommandRun run = Export(folder, "--from-picture text.png cut.png missing.png");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("text.png: not a BMP, JPEG, GIF or PNG picture"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("cut.png: the file is broken or too large"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("missing.png: the file cannot be opened"), std::string::npos) << run.output;
  const CommandRun over = Export(folder, "--png --from-picture small.png");
  EXPECT_EQ(over.exitCode, 1);
  EXPECT_NE(over.output.find("small.png: would be written over the picture it is made from"), std::string::npos)
      << over.output;
  EXPECT_EQ(ReadWholeFile((folder / "small.png").string()).value_or(""), small);
  for (const char* name : {"text.csv", "cut.csv", "small.csv", "small.txt"})
    EXPECT_FALSE(fs::exists(folder / name)) << name;

  // Nor, in one run, another picture of it or what it wrote for one.
  fs::copy_file(folder / "small.png", folder / "same.gif");
  fs::copy_file(folder / "small.png", folder / "same.png");
  const CommandRun pictures = Export(folder, "--png --from-picture same.gif same.png");
  EXPECT_EQ(pictures.exitCode, 1);
  EXPECT_NE(pictures.output.find("same.png: would be written over same.png, an input of this run"), std::string::npos)
      << pictures.output;
  EXPECT_EQ(ReadWholeFile((folder / "same.png").string()).value_or(""), small);
  EXPECT_FALSE(fs::exists(folder / "same.csv"));
  const CommandRun stems = Export(folder, "--from-picture same.gif same.png");
  EXPECT_EQ(stems.exitCode, 1);
  EXPECT_NE(stems.output.find("same.txt: would be written over same.txt, written for same.gif in this run"),
            std::string::npos)
      << stems.output;
}

// Nothing the user has is written over: a document is never its own
// program or picture (by name or through a link), and no conversion of a run
// writes over another's input or output.
TEST(Export, NoOutputIsAnInputOrAnotherOutputOfTheRun) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  const std::string record = "8,1,1,0,0,4,0,1\r\n";
  for (const char* name : {"notes.txt", "UP.TXT", "pic.png", "linked.csv"}) std::ofstream(folder / name) << record;
  fs::create_symlink("linked.csv", folder / "linked.txt");
  for (const char* arguments : {"notes.txt", "UP.TXT", "--png pic.png", "linked.csv"}) {
    const CommandRun run = Export(folder, arguments);
    EXPECT_EQ(run.exitCode, 1) << arguments;
    EXPECT_NE(run.output.find("would be written over the document it is made from"), std::string::npos)
        << arguments << ": " << run.output;
  }
  for (const char* name : {"notes.txt", "UP.TXT", "pic.png", "linked.csv"}) {
    EXPECT_EQ(ReadWholeFile((folder / name).string()).value_or(""), record) << name;
  }

  // A document whose name is another's part: the later one may not take it.
  std::string lines;
  for (int n = 0; n < 1200; ++n) lines += "1," + std::to_string(n % 600) + ",10,600,390,7,0,1\r\n";
  std::ofstream(folder / "A.csv", std::ios::binary) << lines;
  ASSERT_EQ(Export(folder, "--machine --memory=20000 A.csv").exitCode, 0);
  const std::string partOne = "A1.txt";
  const std::string firstPart = ReadWholeFile((folder / partOne).string()).value_or("");
  ASSERT_FALSE(firstPart.empty());
  const fs::path clash = folder / (fs::path(partOne).stem().string() + ".csv");
  std::ofstream(clash, std::ios::binary) << record;
  const CommandRun meet = Export(folder, "--machine --memory=20000 A.csv " + clash.filename().string());
  EXPECT_EQ(meet.exitCode, 1) << meet.output;
  EXPECT_NE(meet.output.find(partOne + ": would be written over " + partOne + ", written for A.csv in this run"),
            std::string::npos)
      << meet.output;
  EXPECT_EQ(ReadWholeFile((folder / partOne).string()).value_or(""), firstPart) << "part 1 still draws A";
}

// Parts of an earlier program of the document would be copied to the
// machine with the new one: a conversion and the editor's save remove them,
// and say so. A file of the user's own at a program's name stays.
TEST(Export, AnEarlierProgramsPartsGoTheUsersFilesStay) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  auto document = [&](int records) {
    std::string lines;
    for (int n = 0; n < records; ++n) lines += "1," + std::to_string(n % 600) + ",10,600,390,7,0,1\r\n";
    std::ofstream(folder / "A.csv", std::ios::binary) << lines;
  };
  auto parts = [&] {
    int count = 0;
    while (fs::exists(folder / PartFileName((folder / "A").string(), count + 1))) ++count;
    return count;
  };
  document(3000);
  ASSERT_EQ(Export(folder, "--machine --memory=20000 A.csv").exitCode, 0);
  const int before = parts();
  ASSERT_GE(before, 3);
  document(1200);
  const CommandRun fewer = Export(folder, "--machine --memory=20000 A.csv");
  ASSERT_EQ(fewer.exitCode, 0) << fewer.output;
  ASSERT_GE(parts(), 2);
  ASSERT_LT(parts(), before);
  EXPECT_NE(fewer.output.find("A.csv: removed "), std::string::npos) << fewer.output;
  EXPECT_FALSE(fs::exists(folder / PartFileName((folder / "A").string(), parts() + 1)));

  // The editor's save of A writes A.txt: the converter's parts go too.
  s.platform.QueueFileDialogAnswer((folder / "A.csv").string());
  RunFileCommand(s.editor, FileCommand::Open);
  s.platform.QueueFileDialogAnswer((folder / "A.csv").string());
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);  // the CSV file is there already
  RunFileCommand(s.editor, FileCommand::Save);
  EXPECT_TRUE(fs::exists(folder / "A.txt"));
  EXPECT_EQ(parts(), 0);
  EXPECT_EQ(s.platform.messageBoxes.size(), 1u) << "nothing more to ask or say";

  std::ofstream(folder / "notes.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  std::ofstream(folder / "notes.txt", std::ios::binary) << "the user's notes\n";
  const CommandRun notes = Export(folder, "notes.csv");
  EXPECT_EQ(notes.exitCode, 1);
  EXPECT_NE(notes.output.find("notes.txt: is there already and is no program of ours (--force writes over it)"),
            std::string::npos)
      << notes.output;
  EXPECT_EQ(ReadWholeFile((folder / "notes.txt").string()).value_or(""), "the user's notes\n");
  EXPECT_EQ(Export(folder, "--force notes.csv").exitCode, 0);
  EXPECT_EQ(Export(folder, "notes.csv").exitCode, 0) << "its own program is written over as always";
}

// F9 after an import draws the picture as the converter's --from-picture
// does, record for record, after what was drawn before, and one undo takes
// all of it away again.
TEST(Export, TheEditorDrawsAnImportedPictureAsTheConverterDoesInOneUndoStep) {
  scripted::Script script;
  script.ClickAt(100, 10, 390).ClickAt(150, 600, 390);  // a line first
  script.Key(1000, vk::F9).Key(3000, vk::F12);
  scripted::ScriptedEditor s(script);
  const fs::path& folder = s.folder.Path();
  Bitmap picture(240, 160);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const bool inBox = x > 60 && x < 180 && y > 40 && y < 120;
      picture.At(x, y) = inBox ? PaletteColour(1) : static_cast<Rgb>((x * 255 / 239) | ((y * 255 / 159) << 8) | 0x400000);
    }
  }
  ASSERT_TRUE(WritePngFile((folder / "photo.png").string(), picture).ok);
  const CommandRun run = Export(folder, "--from-picture photo.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  OperationList converted;
  ASSERT_TRUE(ReadCsvDocument((folder / "photo.csv").string(), converted).ok);

  s.RunUntil(500);
  ASSERT_EQ(s.editor.operations.count, 1);
  s.platform.QueueFileDialogAnswer((folder / "photo.png").string());
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  RunFileCommand(s.editor, FileCommand::Import);
  s.RunUntil(2000);
  const OperationList& list = s.editor.operations;
  ASSERT_EQ(list.count, 1 + converted.count);
  for (int k = 0; k < converted.count; ++k) {
    OperationRecord drawn = list.slots[static_cast<std::size_t>(1 + k)];
    EXPECT_EQ(drawn[field::Chain], k + 1) << "record " << k;
    drawn[field::Chain] = converted.slots[static_cast<std::size_t>(k)][field::Chain];
    ASSERT_EQ(drawn, converted.slots[static_cast<std::size_t>(k)]) << "record " << k;
  }
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(120, 80), PaletteColour(1)) << "the blue box drawn";
  s.RunUntil(4000);
  EXPECT_EQ(s.editor.operations.count, 1) << "one undo took the picture, and only it";
}

// A document that is there already may be a drawing of the user's: a
// picture's conversion writes over it only when told to.
TEST(Export, APicturesDocumentIsNotWrittenOverAnExistingOneUnlessForced) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  ASSERT_TRUE(WritePngFile((folder / "photo.png").string(), Bitmap(64, 40, 0xFFFFFF)).ok);
  std::ofstream(folder / "photo.csv", std::ios::binary) << "8,1,1,0,0,4,0,1\r\n";
  const CommandRun kept = Export(folder, "--from-picture photo.png");
  EXPECT_EQ(kept.exitCode, 1);
  EXPECT_NE(kept.output.find("photo.csv: a document is there already"), std::string::npos) << kept.output;
  EXPECT_NE(kept.output.find("--force"), std::string::npos) << kept.output;
  EXPECT_EQ(ReadWholeFile((folder / "photo.csv").string()).value_or(""), "8,1,1,0,0,4,0,1\r\n");
  EXPECT_FALSE(fs::exists(folder / "photo.txt"));
  EXPECT_EQ(Export(folder, "--from-picture --force photo.png").exitCode, 0);
  EXPECT_NE(ReadWholeFile((folder / "photo.csv").string()).value_or(""), "8,1,1,0,0,4,0,1\r\n");
}

// What --stats says of a picture for the eye, and the edges of the budget:
// a black picture is a document the converter reads, and a free area too
// small for the run holds no record, rather than meaning no limit.
TEST(Export, APictureSaysHowCloseItLooksAndEveryBudgetWritesADocumentOrSaysWhyNot) {
  scripted::ScriptedEditor s;
  const fs::path& folder = s.folder.Path();
  Bitmap grey(640, 400);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x) grey.At(x, y) = static_cast<Rgb>((x * 255 / 639) * 0x010101);
  }
  ASSERT_TRUE(WritePngFile((folder / "grey.png").string(), grey).ok);
  const CommandRun stats = Export(folder, "--from-picture --stats grey.png");
  ASSERT_EQ(stats.exitCode, 0) << stats.output;
  EXPECT_NE(stats.output.find(", blurred RGB error "), std::string::npos) << stats.output;
  EXPECT_NE(stats.output.find(", luminance error "), std::string::npos) << "a grey picture's tones" << stats.output;

  ASSERT_TRUE(WritePngFile((folder / "black.png").string(), Bitmap(640, 400)).ok);
  for (const char* reduction : {"colour", "levels"}) {
    const CommandRun black =
        Export(folder, std::string("--from-picture --force --reduction=") + reduction + " black.png");
    ASSERT_EQ(black.exitCode, 0) << black.output;
    EXPECT_EQ(ReadWholeFile((folder / "black.csv").string()).value_or(""), "8,0,0,0,0,0,0,1\r\n") << reduction;
    EXPECT_EQ(Export(folder, "black.csv").exitCode, 0) << "the converter reads what it wrote";
  }

  const CommandRun small = Export(folder, "--from-picture --force --memory=177 grey.png");
  EXPECT_EQ(small.exitCode, 1) << small.output;
  EXPECT_NE(small.output.find("grey.png: a budget of 1 bytes holds no record of the picture"), std::string::npos)
      << small.output;
  EXPECT_EQ(Export(folder, "--from-picture --reduction=grey grey.png").exitCode, 2);
}

}  // namespace
}  // namespace kumodo
