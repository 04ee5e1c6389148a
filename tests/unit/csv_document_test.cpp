// The CSV document: exact bytes out, the described reading rules in, and
// files that cannot be read or written.
#include "files/csv_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/document_files.h"
#include "app/file_commands.h"
#include "export/basic_program.h"
#include "files/text_file.h"
#include "platform/text_encoding.h"
#include "support/misread_documents.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;
using scripted::ScriptedEditor;

OperationList ListOf(std::initializer_list<OperationRecord> records) {
  OperationList list;
  for (const OperationRecord& record : records) list.slots[list.count++] = record;
  return list;
}

OperationList Parsed(std::string_view text, OperationList list = OperationList()) {
  ParseCsv(text, list);
  return list;
}

TEST(CsvText, EightDecimalFieldsPerLineWithCrLf) {
  EXPECT_EQ(CsvText(ListOf({{0, -5, 32767, -32768, 0, 0, 0, 0}})), "0,-5,32767,-32768,0,0,0,0\r\n");
  EXPECT_EQ(CsvText(ListOf({{1, 10, 20, 300, 40, 7, 0, 1}, {8, 0, 399, 0, 0, 5, 0, 1}})),
            "1,10,20,300,40,7,0,1\r\n8,0,399,0,0,5,0,1\r\n");
  EXPECT_EQ(CsvText(OperationList()), "");
}

TEST(CsvRead, RoundTripsByteForByte) {
  const std::string text = "1,10,20,300,40,7,0,1\r\n4,-100,50,1,6,1,7,1\r\n10,1,2,3,4,6,2,3\r\n0,-5,32767,-32768,0,0,0,0\r\n";
  const OperationList list = Parsed(text);
  EXPECT_EQ(list.count, 4);
  EXPECT_EQ(CsvText(list), text);
}

TEST(CsvRead, NumberFormsAndGarbageFields) {
  const OperationList list = Parsed("&H1F,&O17, -12.9,abc,,+3,1.5,99999\r\n");
  ASSERT_EQ(list.count, 1);
  EXPECT_EQ(list.slots[0], (OperationRecord{31, 15, -12, 0, 0, 3, 1, static_cast<std::int16_t>(99999)}));
}

TEST(CsvRead, ALastLineWithoutCrLfIsReadToo) {
  const OperationList list = Parsed("1,2,3,4,5,6,7,1\r\n8,9,9,9,9,9,9,1");
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.slots[1], (OperationRecord{8, 9, 9, 9, 9, 9, 9, 1}));
  EXPECT_EQ(list.slots[2], OperationRecord{}) << "slots past the count are blank";
}

TEST(CsvRead, AShortLineLeavesTheRestOfItsRecordAsItWas) {
  OperationList before;
  before.slots[0] = {9, 9, 9, 9, 9, 9, 9, 9};
  before.slots[1] = {5, 5, 5, 5, 5, 5, 5, 5};
  before.count = 2;
  const OperationList list = Parsed("1,2,3\r\n", before);
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.slots[0], (OperationRecord{1, 2, 3, 9, 9, 9, 9, 9}));
  EXPECT_EQ(list.slots[1], OperationRecord{});
}

TEST(CsvRead, CrSwallowsTheNextByteAndALoneLfBelongsToTheField) {
  const OperationList list = Parsed("1,2\rX3,4\r\n");
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list.slots[0][field::X1], 2);
  EXPECT_EQ(list.slots[1][field::Kind], 3) << "the X after the CR is skipped";
  const OperationList lf = Parsed("1,2\n3,4\r\n");
  EXPECT_EQ(lf.count, 1) << "a lone LF does not end a line";
  EXPECT_EQ(lf.slots[0][field::X1], 2);
  EXPECT_EQ(lf.slots[0][field::Y1], 4);
}

TEST(CsvRead, ExtraFieldsAndOverlongFieldsStayInsideTheirRecord) {
  const OperationList list = Parsed("1,2,3,4,5,6,7,8,9,10,11\r\n" + std::string(1000, '7') + ",5\r\n");
  ASSERT_EQ(list.count, 2);
  EXPECT_EQ(list.slots[0], (OperationRecord{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(list.slots[1][field::X1], 5);
}

TEST(CsvRead, LinesPastTheCapacityAreCountedAndLeftOut) {
  std::string text;
  for (int i = 0; i < kMaxOperations + 5; ++i) text += "8," + std::to_string(i % 640) + ",1,0,0,1,0,1\r\n";
  OperationList list;
  const CsvLoadResult result = ParseCsv(text, list);
  EXPECT_EQ(result.lines, kMaxOperations);
  EXPECT_EQ(result.linesLeftOut, 5);
  EXPECT_EQ(list.count, kMaxOperations);
  EXPECT_EQ(list.slots[kMaxOperations], OperationRecord{}) << "the spare slot stays blank";
}

TEST(CsvRead, BinaryGarbageLoadsWithinTheLimits) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251 + 1));
  OperationList list;
  ParseCsv(garbage, list);
  EXPECT_LE(list.count, kMaxOperations);
}

TEST(FileNames, TheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(WithExtension("/work/house.csv", ".csv"), "/work/house.csv");
  EXPECT_EQ(WithExtension("/work/house", ".csv"), "/work/house.csv");
  EXPECT_EQ(WithExtension("/work/house.csv", ".txt"), "/work/house.txt");
  EXPECT_EQ(WithExtension("/my.files/house.csv", ".txt"), "/my.files/house.txt");
  EXPECT_EQ(WithExtension("/home/u/.local/pic", ".csv"), "/home/u/.local/pic.csv");
  EXPECT_EQ(FileNamePart("/pictures/house.csv"), "house.csv");
  // 表 ends in the byte of a backslash in Shift-JIS; in UTF-8 it is only a character.
  EXPECT_EQ(WithExtension("/絵.d/表", ".csv"), "/絵.d/表.csv");
  EXPECT_EQ(FileNamePart("/絵.d/表.csv"), "表.csv");
}

class CsvFiles : public ::testing::Test {
 protected:
  CsvFiles() : directory(fs::temp_directory_path() / ("kumodo-csv-" + std::to_string(::getpid()))) {
    fs::create_directories(directory);
  }
  ~CsvFiles() override { fs::remove_all(directory); }
  std::string Read(const fs::path& path) { return ReadWholeFile(path.string()).value_or("<missing>"); }

  fs::path directory;
  ScriptedEditor s;
};

TEST_F(CsvFiles, SaveWritesUnderTheCsvNameAndLoadReadsItBack) {
  s.editor.operations = ListOf({{1, 10, 20, 300, 40, 7, 0, 1}, {3, 5, 6, 0, 0, 4, 7, 1}});
  s.editor.documentPath = (directory / "house").string();
  ASSERT_TRUE(SaveCsvDocument(s.editor).ok);
  EXPECT_EQ(Read(directory / "house.csv"), "1,10,20,300,40,7,0,1\r\n3,5,6,0,0,4,7,1\r\n");
  EXPECT_FALSE(fs::exists(directory / "house.csv.kumodo-tmp"));

  s.editor.operations = OperationList();
  s.editor.documentPath = (directory / "house.csv").string();
  ASSERT_TRUE(LoadCsvDocument(s.editor));
  EXPECT_EQ(s.editor.operations.count, 2);
  EXPECT_EQ(s.editor.operations.slots[1], (OperationRecord{3, 5, 6, 0, 0, 4, 7, 1}));
  EXPECT_TRUE(s.platform.messageBoxes.empty());
  EXPECT_EQ(RowText(s.editor.screen.text, 11).substr(28), "          ") << "the message is erased";
}

// Names outside ASCII reach the system intact (on Windows they cross as
// UTF-16, never through the local code page), and the title shows them.
TEST_F(CsvFiles, AJapaneseNameSavesLoadsAndTitles) {
  const std::string path = Utf8Path(directory / NativePath("家の絵 表示"));
  s.editor.operations = ListOf({{1, 10, 20, 300, 40, 7, 0, 1}});
  s.editor.documentPath = path;
  ASSERT_TRUE(SaveCsvDocument(s.editor).ok);
  ASSERT_TRUE(GenerateBasicProgram(s.editor).written.ok);
  EXPECT_TRUE(fs::exists(directory / NativePath("家の絵 表示.csv")));
  EXPECT_TRUE(fs::exists(directory / NativePath("家の絵 表示.txt")));

  s.editor.operations = OperationList();
  s.editor.documentPath = path + ".csv";
  ASSERT_TRUE(LoadCsvDocument(s.editor));
  EXPECT_EQ(s.editor.operations.count, 1);
  ShowDocumentTitle(s.editor);
  EXPECT_EQ(SjisToUtf8(s.platform.titles.back()), "Kumodo BASICジェネレータ - 家の絵 表示.csv");
}

TEST_F(CsvFiles, AnEmptyListSavesAnEmptyFile) {
  s.editor.documentPath = (directory / "empty.csv").string();
  ASSERT_TRUE(SaveCsvDocument(s.editor).ok);
  EXPECT_EQ(Read(directory / "empty.csv"), "");
}

TEST_F(CsvFiles, AFailedSaveSaysWhyAndLeavesThePreviousFile) {
  // A folder where the file should be: the replacement cannot happen.
  fs::create_directories(directory / "taken.csv" / "inside");
  s.editor.documentPath = (directory / "taken").string();
  s.editor.operations = ListOf({{8, 1, 1, 0, 0, 1, 0, 1}});
  const FileResult taken = SaveCsvDocument(s.editor);
  EXPECT_FALSE(taken.ok);
  EXPECT_FALSE(taken.reason.empty());
  EXPECT_TRUE(fs::is_directory(directory / "taken.csv" / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator()), 1) << "no temporary file left";

  s.editor.documentPath = (directory / "no-such-folder" / "x.csv").string();
  EXPECT_FALSE(SaveCsvDocument(s.editor).ok);
}

TEST_F(CsvFiles, AFileThatCannotBeOpenedLeavesTheDocumentAlone) {
  s.editor.operations = ListOf({{8, 1, 1, 0, 0, 1, 0, 1}});
  s.editor.documentPath = (directory / "missing.csv").string();
  EXPECT_FALSE(LoadCsvDocument(s.editor));
  EXPECT_EQ(s.editor.operations.count, 1);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  s.editor.documentPath = directory.string();
  EXPECT_FALSE(LoadCsvDocument(s.editor));
  EXPECT_EQ(s.editor.operations.count, 1);
}

// Each refused with its cause (in Japanese, the cause glossed in English)
// and the open document kept, or read whole where that is unambiguous, to
// the very records a save writes back.
TEST_F(CsvFiles, DocumentsReadWrongAreRefusedWithTheirCauseOrReadWhole) {
  std::vector<misread_documents::Document> documents = misread_documents::Documents();
  documents.push_back({"blank.csv", "\r\n\r\n", "no records read", nullptr});
  const OperationList open = ListOf({{2, 1, 1, 9, 9, 4, 0, 1}});
  for (const misread_documents::Document& document : documents) {
    s.platform.messageBoxes.clear();
    s.editor.operations = open;
    s.editor.documentPath = (directory / document.name).string();
    ASSERT_TRUE(WriteWholeFile(s.editor.documentPath, document.bytes).ok);
    const bool loaded = LoadCsvDocument(s.editor);
    if (!document.cause) {
      EXPECT_TRUE(loaded) << document.name;
      EXPECT_TRUE(s.platform.messageBoxes.empty()) << document.name;
      EXPECT_EQ(CsvText(s.editor.operations), document.text) << document.name;
      continue;
    }
    EXPECT_FALSE(loaded) << document.name;
    EXPECT_EQ(CsvText(s.editor.operations), CsvText(open)) << document.name << ": the open document stays";
    ASSERT_EQ(s.platform.messageBoxes.size(), 1u) << document.name;
    const std::string message = SjisToUtf8(s.platform.messageBoxes[0].text);
    EXPECT_NE(message.find(std::string(" (") + document.cause + ")"), std::string::npos) << message;
    if (document.name == std::string("cr.csv")) {
      EXPECT_NE(message.find("行が CR LF でなく CR だけで終わっています (lines end in CR without LF)"), std::string::npos);
    }
  }
}

TEST_F(CsvFiles, ADocumentLongerThanTheListSaysHowManyLinesWereLeftOut) {
  std::string text;
  for (int i = 0; i < kMaxOperations + 12; ++i) text += "8,1,1,0,0,1,0,1\r\n";
  ASSERT_TRUE(WriteWholeFile((directory / "long.csv").string(), text).ok);
  s.editor.documentPath = (directory / "long.csv").string();
  EXPECT_TRUE(LoadCsvDocument(s.editor));
  EXPECT_EQ(s.editor.operations.count, kMaxOperations);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_NE(SjisToUtf8(s.platform.messageBoxes[0].text).find(" 12 "), std::string::npos);
}

}  // namespace
}  // namespace kumodo
