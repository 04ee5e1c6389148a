#pragma once
// The BASIC program: one numbered line per record, made from the statement
// templates of the command file, then the closing lines and subroutines.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/settings_record.h"
#include "picture/operations.h"
#include "export/basic_commands.h"
#include "export/tile_strings.h"

namespace kumodo {

constexpr std::size_t kMaxBasicLineBytes = 255;

// Reads the 24 entries of a command file: the statement templates of kinds
// 1, 3, 4, 8, 5, 6, 7 and 10, split at each "*", then the subroutine lines
// S1 to S16. Double quotes are removed. A short file repeats its last entry;
// a missing file leaves everything empty.
BasicCommands LoadBasicCommandFile(const std::string& path);

// Whether a record makes a line: the mixture rows (kinds 5 to 7) only with
// tiling on, and of a halved picture only the even rows.
bool BecomesLine(const OperationRecord& record, const Settings& settings);

// A record's statement: the template of its kind with the record's values
// (y halved for the halved output), or a remark for a tile fill with tiling off.
std::string RecordStatement(const OperationRecord& record, const Settings& settings, const BasicCommands& commands,
                            const TileStringTable& tiles);

// The row a record's y is written as: halved (rounding down) for the
// halved output, else as it is.
int ProgramY(int y, const Settings& settings);

// "NUMBER STATEMENT", cut to the longest line BASIC takes.
std::string NumberedLine(int number, const std::string& statement);

// The lines after "59999 END": the subroutines with their RETURN lines
// (the mixture rows' only with tiling on) and the rest of the command
// file's lines, the opening "1000 SCREEN ..." among them.
std::vector<std::string> SubroutineLines(const Settings& settings, const BasicCommands& commands);

// The whole program text. progress(i) is called for every hundredth record.
std::string BasicProgramText(const OperationList& list, const Settings& settings, const BasicCommands& commands,
                             const TileStringTable& tiles, const std::function<void(int)>& progress = {});

// Whether a text is a program this editor or kumodo-export wrote (the
// programs of documents and the parts of --machine), told by its opening
// and closing lines: every line of its start numbered, and near its end the
// closing "59999 END" (or a part's `59999 CHAIN "NAME.BAS"`), its lines
// numbered or empty, all ended by CR LF. `start` is the text's beginning
// and `end` its last bytes, each as long as the caller read; an end that
// begins with the whole start is taken as the whole text. A line cut at
// the edge of either is not looked at.
bool IsProgramOfOurs(std::string_view start, std::string_view end);
// The same for a file, from at most its first and last few kilobytes: a
// huge file, a FIFO or a device is never read whole or waited on. The
// first form gives the bytes it read, for a caller that looks further.
struct ProgramFileEnds {
  std::string start;
  std::string end;
};
std::optional<ProgramFileEnds> ReadProgramFileOfOurs(const std::string& path);
bool IsProgramFileOfOurs(const std::string& path);
// Whether a file of the user's own is at `path`: a regular file that is no
// program of ours, which must not be replaced unasked. What is not there,
// a link or what is no file the writing's own rules decide on.
bool IsUsersOwnFile(const std::string& path);

// What the program of a document with no record takes once loaded, with
// tiling on: the opening and closing lines beside which the free area is
// measured (kFreeAreaBytes). A program, or a part of one, takes the free
// area's bytes beyond this.
std::size_t EmptyProgramBytes(const Settings& settings, const BasicCommands& commands, const TileStringTable& tiles);

}  // namespace kumodo
