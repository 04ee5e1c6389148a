// The memory estimate on small programs whose stored form is known byte by
// byte: each line is 2 bytes of link, 2 of line number, its tokens and an end
// byte; the program ends with a 2-byte zero link.
#include <gtest/gtest.h>

#include "export/program_memory.h"

namespace kumodo {
namespace {

constexpr std::size_t kLine = 5;  // link, line number, end byte

std::size_t RecordBytes(const std::string& line) { return EstimateProgramMemory(line + "\r\n").records; }

TEST(ProgramMemory, ConstantsTakeTheirShortForms) {
  // X = and a constant, after a colon from the second on: 0 to 9 one byte,
  // to 255 two, to 32767 three, then a single (5) or, from eight digits or
  // with #, a double (9); &H three; a minus sign is an operator of its own.
  EXPECT_EQ(RecordBytes("10000 X=9:X=10:X=255:X=256:X=32767:X=32768:X=1.5:X=12345678:X=1#:X=&H1F:X=-5"),
            kLine + 3 + 5 + 5 + 6 + 6 + 8 + 8 + 12 + 12 + 6 + 5);
  // Digits in a name are the name's; "1 2" with a blank is one single constant.
  EXPECT_EQ(RecordBytes("10000 X1=1 2"), kLine + 2 + 1 + 5);
}

TEST(ProgramMemory, KeywordsTakeOneOrTwoBytesAndNamesTheirLetters) {
  // PAINT and CHR$ are two-byte tokens, LINE, PSET and MOD one.
  EXPECT_EQ(RecordBytes("10000 PAINT(1,2),CHR$(&HAA)+CHR$(&H55),7"),
            kLine + 2 + 5 + 1 + (2 + 1 + 3 + 1) + 1 + (2 + 1 + 3 + 1) + 2);
  EXPECT_EQ(RecordBytes("10000 LINE(10,300)-(639,0),7:PSET(5,5),A MOD 2"),
            kLine + 1 + (1 + 2 + 1 + 3 + 1) + 1 + (1 + 3 + 1 + 1 + 1) + 2 + 1 + 1 + 5 + 1 + 1 + 1 + 1 + 1 + 1);
  // A keyword inside a longer name is no keyword (TOTAL, XFOR); FN is one
  // even before a name (FNA).
  EXPECT_EQ(RecordBytes("10000 XFOR=TOTAL+FNA"), kLine + 4 + 1 + 5 + 1 + 1 + 1);
}

TEST(ProgramMemory, LineReferencesAfterJumpsAndTextKeptAsItIs) {
  // After THEN, ELSE (stored as ":ELSE") and GOSUB a number is a 3-byte line
  // reference; elsewhere 60310 is a single constant.
  EXPECT_EQ(RecordBytes("10000 IF A THEN 60310 ELSE 100:GOSUB 60316:X=60310"),
            kLine + 2 + 2 + 5 + 4 + 3 + 3 + 3 + 3 + 5);
  // Strings are their bytes, quotes included; a remark after ' (stored as
  // ":REM'") is its bytes whatever keywords it holds.
  EXPECT_EQ(RecordBytes("10000 PRINT \"GOSUB 10\":' TILE-PAINT PAINT(,),,"), kLine + 2 + 10 + 1 + 3 + 22);
  EXPECT_EQ(RecordBytes("10000 REM GOSUB 10"), kLine + 1 + 9);
  // DATA is its bytes to the end of the statement, a colon in a string not
  // ending it; the constant after it is tokenised again.
  EXPECT_EQ(RecordBytes("10000 DATA 1,\"A:B\",300:X=300"), kLine + 1 + 12 + 3 + 3);
}

TEST(ProgramMemory, OnlyStoredLinesCountAndTheRecordsAreTheirOwnPart) {
  const ProgramMemory memory = EstimateProgramMemory(
      "10000 PSET(1,2),3\r\n"      // PSET ( 1 , 2 ) , 3
      "\r\n"                       // empty: not stored
      "  10001  END\r\n"           // blanks before the number; one blank after it is dropped
      "59999 END\r\n"              // the closing lines are not the records'
      "1000 CLS\r\n"
      "60000 RETURN");             // the last line may end without CR LF
  EXPECT_EQ(memory.records, (kLine + 8) + (kLine + 2));
  EXPECT_EQ(memory.program, memory.records + 3 * (kLine + 1) + 2);
}

}  // namespace
}  // namespace kumodo
