// kumodo-export against the editor: documents the scripted editor saved,
// converted by the command, give the editor's program byte for byte and its
// view pixel for pixel; failures and usage errors end as they should.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/document_files.h"
#include "app/settings.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/view.h"
#include "platform/picture_decode.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int exitCode;
  std::string output;  // standard output and error together
};

// The command, started in the folder.
CommandRun Export(const fs::path& folder, const std::string& arguments) {
  const std::string command = "cd '" + folder.string() + "' && " + KUMODO_EXPORT + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
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
    ASSERT_TRUE(GenerateBasicProgram(editor).ok);
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

TEST(Export, UsageErrorsEndWithTwoAndHelpWithZero) {
  scripted::ScriptedEditor s;
  for (const char* arguments : {"", "--tiling 2 a.csv", "--frobnicate a.csv", "--command-file", "--png x.png a.csv b.csv"}) {
    EXPECT_EQ(Export(s.folder.Path(), arguments).exitCode, 2) << arguments;
  }
  const CommandRun help = Export(s.folder.Path(), "--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("Usage: kumodo-export"), std::string::npos);
  EXPECT_EQ(Export(s.folder.Path(), "--version").output.rfind("kumodo-export ", 0), 0u);
}

}  // namespace
}  // namespace kumodo
