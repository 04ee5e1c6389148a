// Hostile files through the real commands: each is refused with a message or
// loaded within the limits, and nothing crashes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

#include "export/basic_program.h"
#include "files/text_file.h"
#include "platform/text_encoding.h"
#include "support/hand_made_jpeg.h"
#include "support/image_magick.h"
#include "support/picture_bombs.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

using scripted::Script;
using scripted::ScriptedEditor;

constexpr PointerPosition kOpenIcon{676, 31};
constexpr PointerPosition kImportIcon{676, 85};

class HostileFiles : public ::testing::Test {
 protected:
  std::string Write(ScriptedEditor& s, const std::string& name, const std::string& bytes) {
    const std::string path = (s.folder.Path() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // A document of three dots, to see that it survives.
  void DrawThreeDots(ScriptedEditor& s) {
    for (int i = 0; i < 3; ++i) s.editor.operations.slots[s.editor.operations.count++] = {8, 5, 5, 0, 0, 1, 0, 1};
  }
};

// An editor whose script clicks the icon at 10 ms.
std::unique_ptr<ScriptedEditor> Clicking(PointerPosition icon) {
  return std::make_unique<ScriptedEditor>(Script().ClickAt(10, icon.x, icon.y));
}

TEST_F(HostileFiles, ACsvOfAHundredThousandLinesLoadsItsFirstThirtyThousand) {
  auto s = Clicking(kOpenIcon);
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "8," + std::to_string(i % 640) + ",7,0,0,3,0,1\r\n";
  s->platform.QueueFileDialogAnswer(Write(*s, "huge.csv", text));
  s->RunUntil(100);
  EXPECT_EQ(s->editor.operations.count, kMaxOperations);
  ASSERT_EQ(s->platform.messageBoxes.size(), 1u);
  EXPECT_NE(SjisToUtf8(s->platform.messageBoxes[0].text).find(" 70000 "), std::string::npos);
}

TEST_F(HostileFiles, LinesOfTenThousandFieldsKeepTheirFirstEight) {
  auto s = Clicking(kOpenIcon);
  std::string line = "8,1,2,0,0,4,0,1";
  for (int i = 8; i < 10000; ++i) line += "," + std::to_string(i);
  s->platform.QueueFileDialogAnswer(Write(*s, "wide.csv", line + "\r\n" + line + "\r\n"));
  s->RunUntil(100);
  ASSERT_EQ(s->editor.operations.count, 2);
  EXPECT_EQ(s->editor.operations.slots[1], (OperationRecord{8, 1, 2, 0, 0, 4, 0, 1}));
}

// Files no document of the program can be: each refused, the document kept.
TEST_F(HostileFiles, FilesThatAreNoDocumentAreRefusedAndTheDocumentStays) {
  const std::string cases[][2] = {
      {"long.csv", std::string(50 << 20, '7')},                  // far larger than any document
      {"words.csv", std::string(1000, 'x')},                    // no number in its one line: no record
      {"unix.csv", "8,5,6,0,0,4,0,1\n8,7,8,0,0,4,0,1\n"},       // lines ended by LF alone
      {"mixed.csv", "8,5,6,0,0,4,0,1\r\n8,7,8,0,0,4,0,1\n"},
  };
  for (const auto& [name, bytes] : cases) {
    auto s = Clicking(kOpenIcon);
    DrawThreeDots(*s);
    s->platform.QueueFileDialogAnswer(Write(*s, name, bytes));
    s->RunUntil(100);
    EXPECT_EQ(s->editor.operations.count, 3) << name;
    EXPECT_EQ(s->platform.beeps, 0) << name;
    ASSERT_EQ(s->platform.messageBoxes.size(), 1u) << name;
    EXPECT_NE(SjisToUtf8(s->platform.messageBoxes[0].text).find(name), std::string::npos);
  }
}

TEST_F(HostileFiles, AnEmptyFileIsAnEmptyDocument) {
  auto s = Clicking(kOpenIcon);
  DrawThreeDots(*s);
  s->platform.QueueFileDialogAnswer(Write(*s, "empty.csv", ""));
  s->platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);  // the dots are not saved: opening drops them
  s->RunUntil(100);
  EXPECT_EQ(s->editor.operations.count, 0) << "what saving an empty picture writes";
  EXPECT_EQ(s->platform.beeps, 1);
}

TEST_F(HostileFiles, BinaryGarbageLoadsWithinTheLimits) {
  auto s = Clicking(kOpenIcon);
  std::string garbage(1 << 20, '\0');
  unsigned state = 12345;
  for (char& c : garbage) c = static_cast<char>((state = state * 1103515245 + 12345) >> 16);
  s->platform.QueueFileDialogAnswer(Write(*s, "garbage.csv", garbage));
  s->RunUntil(100);
  EXPECT_LE(s->editor.operations.count, kMaxOperations);
}

TEST_F(HostileFiles, ASettingsFileOfGarbageStillStartsTheEditor) {
  scripted::WorkingFolder folder;
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
  std::ofstream("kumodo-setup.ini", std::ios::binary) << garbage;
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  EXPECT_TRUE(editor.view.lastRow == 199 || editor.view.lastRow == 399);
  EXPECT_EQ(editor.images.canvas.Width(), 640);
}

TEST_F(HostileFiles, ACommandFileOfHugeEntriesGivesLinesWithinTheLimit) {
  scripted::WorkingFolder folder;
  std::string entry = "\"" + std::string(100, '*');
  while (entry.size() < 10000) entry += "PSET ";
  entry += "\"\r\n";
  std::string file;
  for (int i = 0; i < 24; ++i) file += entry;
  std::ofstream("commands.txt", std::ios::binary) << file;
  const BasicCommands commands = LoadBasicCommandFile("commands.txt");
  OperationList list;
  for (int recordKind : {kind::Line, kind::Paint, kind::TilePaint, kind::Dot, kind::MixtureRow, kind::MixtureRow + 1,
                         kind::MixtureRow + 2, kind::TwoColourLine}) {
    list.slots[list.count++] = {static_cast<std::int16_t>(recordKind), 1, 2, 3, 4, 5, 6, 1};
  }
  const std::string text = BasicProgramText(list, Settings(), commands, BuildTileStringTable());
  std::size_t longest = 0;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    longest = std::max(longest, end - start);
  }
  EXPECT_LE(longest, kMaxBasicLineBytes);
}

std::string TruncatedFrom(const std::filesystem::path& folder, const std::string& convertArguments,
                          const std::string& file) {
  image_magick::RunImageMagick(folder, convertArguments + " " + file);
  std::string bytes = ReadWholeFile((folder / file).string()).value_or("");
  bytes.resize(bytes.size() / 2);
  return bytes;
}

TEST_F(HostileFiles, PicturesThatCannotBeReadAreRefusedAndTheUnderlaysKept) {
  ScriptedEditor s(Script().ClickAt(10, kImportIcon.x, kImportIcon.y).ClickAt(100, kImportIcon.x, kImportIcon.y)
                       .ClickAt(200, kImportIcon.x, kImportIcon.y).ClickAt(300, kImportIcon.x, kImportIcon.y)
                       .ClickAt(400, kImportIcon.x, kImportIcon.y));
  DrawThreeDots(s);
  s.editor.images.work[2].Pixels().At(1, 1) = 0x123456;
  std::string gifHeader = {'G', 'I', 'F', '8', '9', 'a', 0x30, 0x75, 0x30, 0x75, 0, 0, 0};
  std::string bmpHeader(54, '\0');
  bmpHeader[0] = 'B', bmpHeader[1] = 'M', bmpHeader[10] = 54, bmpHeader[14] = 40;
  bmpHeader[18] = static_cast<char>(0x80), bmpHeader[19] = 0x3E, bmpHeader[22] = static_cast<char>(0x80);
  bmpHeader[23] = 0x3E, bmpHeader[26] = 1, bmpHeader[28] = 24;
  const std::string files[] = {
      Write(s, "huge-header.gif", gifHeader + std::string(64, '\0')),
      Write(s, "lying.bmp", bmpHeader),
      Write(s, "cut.jpg", TruncatedFrom(s.folder.Path(), "-size 200x100 plasma:", "whole.jpg")),
      Write(s, "cut.gif", TruncatedFrom(s.folder.Path(), "-size 200x100 plasma:", "whole.gif")),
      Write(s, "picture.png", TruncatedFrom(s.folder.Path(), "-size 20x10 xc:red", "whole.png")),
  };
  for (const std::string& file : files) s.platform.QueueFileDialogAnswer(file);
  s.RunUntil(500);
  ASSERT_EQ(s.platform.messageBoxes.size(), 5u);
  // The sizes their headers state are over 640 x 400: the size warning, as for any picture too large.
  for (int i = 0; i < 2; ++i) EXPECT_EQ(s.platform.messageBoxes[i].caption, Utf8ToSjis("画像サイズオーバー"));
  for (int i = 2; i < 5; ++i) EXPECT_EQ(s.platform.messageBoxes[i].caption, Utf8ToSjis("画像を読み込めません"));
  EXPECT_EQ(s.platform.beeps, 0);
  EXPECT_EQ(s.editor.images.work[2].Pixels().At(1, 1), 0x123456u) << "the underlays are kept";
  EXPECT_EQ(s.editor.operations.count, 3);
}

// Files stating no size at all, or too short to state one, are broken
// pictures: they get "cannot read", never the size warning.
TEST_F(HostileFiles, PicturesOfNoSizeAreBrokenNotTooLarge) {
  Script script;
  for (int i = 0; i < 4; ++i) script.ClickAt(10 + 100 * i, kImportIcon.x, kImportIcon.y);
  ScriptedEditor s(script);
  std::string emptyGif = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x3B};
  std::string emptyPng = "\x89PNG\r\n\x1A\n" + std::string("\0\0\0\x0DIHDR", 8) + std::string(8, '\0') +
                         std::string("\x08\x02\0\0\0\0\0\0\0", 9);
  std::string narrowBmp(54, '\0');
  narrowBmp[0] = 'B', narrowBmp[1] = 'M', narrowBmp[10] = 54, narrowBmp[14] = 40, narrowBmp[22] = 10;
  narrowBmp[26] = 1, narrowBmp[28] = 24;
  const std::string files[] = {Write(s, "empty.gif", emptyGif), Write(s, "empty.png", emptyPng),
                               Write(s, "narrow.bmp", narrowBmp), Write(s, "short.bmp", "BM" + std::string(20, '\0'))};
  for (const std::string& file : files) s.platform.QueueFileDialogAnswer(file);
  s.RunUntil(450);
  ASSERT_EQ(s.platform.messageBoxes.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.platform.messageBoxes[i].caption, Utf8ToSjis("画像を読み込めません")) << files[i];
  }
}

// A picture stating more than 640 x 400 gets the size warning from its
// header; the picture imported before it is let go, the underlays stay.
TEST_F(HostileFiles, PictureBombsGetTheSizeWarningAndHoldNoMemory) {
  ScriptedEditor s(Script().ClickAt(10, kImportIcon.x, kImportIcon.y).ClickAt(100, kImportIcon.x, kImportIcon.y)
                       .ClickAt(200, kImportIcon.x, kImportIcon.y));
  std::string small = picture_bombs::RunLengthBmp();
  small[18] = 8, small[19] = 0, small[22] = 8, small[23] = 0;  // the same file, 8 x 8
  s.platform.QueueFileDialogAnswer(Write(s, "small.bmp", small));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  s.platform.QueueFileDialogAnswer(Write(s, "bomb.gif", picture_bombs::Gif()));
  s.platform.QueueFileDialogAnswer(Write(s, "bomb.bmp", picture_bombs::RunLengthBmp()));
  s.RunUntil(90);
  ASSERT_TRUE(s.editor.images.import.HasBitmap()) << "the small picture was imported";
  ASSERT_FALSE(s.platform.fileDialogFilters.empty());
  EXPECT_EQ(s.platform.fileDialogFilters[0][0].patterns, "*.bmp;*.jpg;*.gif;*.png");
  EXPECT_EQ(s.platform.fileDialogFilters[0][0].description, Utf8ToSjis("Bmp/Jpegファイル(*.bmp;*.jpg;*.gif)"));
  const Bitmap underlay = s.editor.images.work[2].Pixels();
  s.RunUntil(300);
  ASSERT_EQ(s.platform.messageBoxes.size(), 3u);
  for (int i = 1; i < 3; ++i) EXPECT_EQ(s.platform.messageBoxes[i].caption, Utf8ToSjis("画像サイズオーバー"));
  EXPECT_FALSE(s.editor.images.import.HasBitmap()) << "a refused picture holds no memory";
  EXPECT_EQ(s.editor.images.work[2].Pixels().pixels, underlay.pixels);
  EXPECT_EQ(s.platform.beeps, 1);
}

// The import reads as the converter does: a JPEG whose scans are too many
// is refused saying so; a CMYK one is read (or refused saying it is CMYK
// where the system cannot read it); a BMP's transparent pixels show black.
TEST_F(HostileFiles, TheImportSaysWhyAJpegIsNotReadAndReadsCmykAndTransparentBmps) {
  ScriptedEditor s(Script()
                       .ClickAt(10, kImportIcon.x, kImportIcon.y)
                       .ClickAt(100, kImportIcon.x, kImportIcon.y)
                       .ClickAt(200, kImportIcon.x, kImportIcon.y));
  hand_made_jpeg::Layout scans = hand_made_jpeg::Grey(640, 400, 90, true);
  scans.progressive = true;
  scans.acScans = 1199;
  // 2 x 1, 32 bits, a v5 header whose masks hold alpha: white but transparent, then opaque red.
  std::string bmp = "BM" + std::string(12, '\0') + std::string(124, '\0');
  auto put32 = [&bmp](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  put32(10, 138), put32(14, 124), put32(18, 2), put32(22, 1), put32(30, 3);
  bmp[26] = 1, bmp[28] = 32;
  put32(54, 0x00FF0000), put32(58, 0x0000FF00), put32(62, 0x000000FF), put32(66, 0xFF000000);
  bmp += std::string("\xFF\xFF\xFF\x00\x00\x00\xFF\xFF", 8);
  s.platform.QueueFileDialogAnswer(Write(s, "scans.jpg", hand_made_jpeg::Make(scans)));
  s.platform.QueueFileDialogAnswer(Write(s, "alpha.bmp", bmp));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  s.platform.QueueFileDialogAnswer(
      Write(s, "cmyk.jpg", hand_made_jpeg::Make({64, 48, {{255}, {128}, {0}, {255}}, false, 0, 0})));
  s.platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  s.RunUntil(150);
  ASSERT_GE(s.platform.messageBoxes.size(), 2u);
  EXPECT_EQ(s.platform.messageBoxes[0].caption, Utf8ToSjis("画像を読み込めません"));
  EXPECT_NE(SjisToUtf8(s.platform.messageBoxes[0].text).find("1200"), std::string::npos)
      << SjisToUtf8(s.platform.messageBoxes[0].text);
  EXPECT_EQ(s.editor.images.import.Pixels().At(0, 0), 0u) << "transparent white";
  EXPECT_EQ(s.editor.images.import.Pixels().At(1, 0), 0x0000FFu);
  s.RunUntil(300);
  if (JpegDecoderReadsCmyk()) {
    EXPECT_EQ(s.platform.messageBoxes.size(), 3u) << "the reduction question alone";
    EXPECT_EQ(s.editor.images.import.Pixels().At(10, 10), 0x0080FFu);
  } else {
    ASSERT_EQ(s.platform.messageBoxes.size(), 3u);
    EXPECT_NE(SjisToUtf8(s.platform.messageBoxes[2].text).find("CMYK"), std::string::npos);
  }
}

}  // namespace
}  // namespace kumodo
