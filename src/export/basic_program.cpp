#include "export/basic_program.h"

#include <algorithm>
#include <filesystem>

#include "export/program_memory.h"
#include "files/csv_document.h"
#include "files/file_channel.h"
#include "files/text_file.h"

namespace kumodo {
namespace {

// The operation kind each template entry belongs to, in file order.
constexpr int kTemplateEntryKinds[] = {kind::Line,       kind::Paint,          kind::TilePaint,          kind::Dot,
                                       kind::MixtureRow, kind::MixtureRow + 1, kind::MixtureRow + 2, kind::TwoColourLine};

std::array<std::string, kTemplatePieces> SplitTemplate(const std::string& entry) {
  std::array<std::string, kTemplatePieces> pieces;
  std::size_t piece = 0;
  for (char c : entry) {
    if (c == '*') {
      ++piece;
    } else if (piece < kTemplatePieces) {
      pieces[piece].push_back(c);
    }
  }
  return pieces;
}

// What ReadProgramFileOfOurs reads: the start holds many lines, the end the
// closing lines (the command file's 16 subroutine lines and the RETURN lines).
constexpr std::size_t kProgramStartBytes = 4096;
constexpr std::size_t kProgramEndBytes = 16384;
constexpr std::string_view kLineEnd = "\r\n";

// "12345 ...": one to five digits, then a space or the line's end.
bool IsNumberedLine(std::string_view line) {
  std::size_t digits = 0;
  while (digits < line.size() && digits <= 5 && line[digits] >= '0' && line[digits] <= '9') ++digits;
  return digits >= 1 && digits <= 5 && (digits == line.size() || line[digits] == ' ');
}

bool IsClosingLine(std::string_view line) { return line == "59999 END" || line.starts_with("59999 CHAIN \""); }

// The whole lines of a piece of text: those ended by CR LF, and with
// `cutAtStart` not the first, which may begin before the piece.
std::vector<std::string_view> WholeLines(std::string_view text, bool cutAtStart) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  if (cutAtStart) {
    const std::size_t first = text.find(kLineEnd);
    at = first == std::string_view::npos ? text.size() : first + kLineEnd.size();
  }
  for (std::size_t end; (end = text.find(kLineEnd, at)) != std::string_view::npos; at = end + kLineEnd.size()) {
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

std::string WithoutQuotes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

// The values that follow the pieces T0, T1, ... of a record's line.
std::vector<std::string> LineValues(const OperationRecord& r, int y1, int y2, const TileStringTable& tiles) {
  const auto n = [](int value) { return std::to_string(value); };
  using namespace field;
  switch (r[Kind]) {
    case kind::Line:
      return {n(r[X1]), n(y1), n(r[X2]), n(y2), n(r[Colour])};
    case kind::Paint:
      return {n(r[X1]), n(y1), n(r[Colour]), n(r[Border])};
    case kind::TilePaint:
      return {n(r[X1]), n(y1), LookUpTileString(tiles, r[TileKind], r[Second], r[Colour]), n(r[Border])};
    case kind::Dot:
      return {n(r[X1]), n(y1), n(r[Colour])};
    case kind::TwoColourLine:
      return {n(r[X1]), n(y1), n(r[X2]), n(y2), n(r[Colour]), n(r[LineColour])};
    default:  // the mixture rows
      return {n(r[X1]), n(y1), n(r[X2]), n(r[Colour]), n(r[LineColour])};
  }
}

}  // namespace

std::string RecordStatement(const OperationRecord& record, const Settings& settings, const BasicCommands& commands,
                            const TileStringTable& tiles) {
  const int recordKind = record[field::Kind];
  const auto& pieces = recordKind >= 0 && recordKind < kTemplateKinds ? commands.templates[recordKind]
                                                                      : std::array<std::string, kTemplatePieces>{};
  std::string statement;
  if (recordKind == kind::TilePaint && settings.tiling != 1) {
    statement += "' TILE-PAINT";
    for (const std::string& piece : pieces) statement += piece;
    return statement;
  }
  const std::vector<std::string> values =
      LineValues(record, ProgramY(record[field::Y1], settings), ProgramY(record[field::Y2], settings), tiles);
  for (std::size_t j = 0; j <= values.size(); ++j) {
    statement += pieces[j];
    if (j < values.size()) statement += values[j];
  }
  return statement;
}

int ProgramY(int y, const Settings& settings) {
  if (settings.outputResolution != 0) return y;
  return y >= 0 ? y / 2 : -((-y + 1) / 2);  // halved, rounding down
}

std::string NumberedLine(int number, const std::string& statement) {
  std::string line = std::to_string(number) + " " + statement;
  // A hand-made command file may make longer lines than BASIC takes.
  if (line.size() > kMaxBasicLineBytes) line.resize(kMaxBasicLineBytes);
  return line;
}

bool BecomesLine(const OperationRecord& record, const Settings& settings) {
  const int recordKind = record[field::Kind];
  if (recordKind < kind::MixtureRow || recordKind > kind::MixtureRow + 2) return true;
  if (settings.tiling == 0) return false;
  return settings.outputResolution == 1 || record[field::Y1] % 2 == 0;
}

BasicCommands LoadBasicCommandFile(const std::string& path) {
  BasicCommands commands;
  FileChannel channel;
  channel.Open(path, ChannelMode::Read);
  // All entries are read into one text, so a short file repeats its last entry.
  std::string entry;
  for (int kind : kTemplateEntryKinds) {
    channel.ReadFields({&entry});
    commands.templates[kind] = SplitTemplate(WithoutQuotes(entry));
  }
  for (std::string& subroutine : commands.subroutines) {
    channel.ReadFields({&entry});
    subroutine = WithoutQuotes(entry);
  }
  return commands;
}

std::vector<std::string> SubroutineLines(const Settings& settings, const BasicCommands& commands) {
  std::vector<std::string> lines;
  if (settings.tiling != 0) {
    lines.insert(lines.end(), {commands.subroutines[0], "60020 RETURN", commands.subroutines[1], "60120 RETURN",
                               commands.subroutines[2], "60220 RETURN"});
  }
  lines.insert(lines.end(), {commands.subroutines[3], "60320 RETURN"});
  lines.insert(lines.end(), commands.subroutines.begin() + 4, commands.subroutines.end());
  return lines;
}

std::string BasicProgramText(const OperationList& list, const Settings& settings, const BasicCommands& commands,
                             const TileStringTable& tiles, const std::function<void(int)>& progress) {
  std::string text;
  auto append = [&text](const std::string& line) {
    text += line;
    text += "\r\n";
  };
  for (int i = 0; i < list.count; ++i) {
    if (i % 100 == 0 && progress) progress(i);
    if (BecomesLine(list.slots[i], settings)) {
      append(NumberedLine(10000 + i, RecordStatement(list.slots[i], settings, commands, tiles)));
    }
  }
  append("59999 END");
  for (const std::string& line : SubroutineLines(settings, commands)) append(line);
  return text;
}

bool IsProgramOfOurs(std::string_view start, std::string_view end) {
  auto numberedOrEmpty = [](std::string_view line) { return line.empty() || IsNumberedLine(line); };
  const std::vector<std::string_view> first = WholeLines(start, false);
  // An end that begins with the whole start is the whole text: its first line is whole too.
  const std::vector<std::string_view> last = WholeLines(end, !end.starts_with(start));
  return !first.empty() && IsNumberedLine(first.front()) && std::all_of(first.begin(), first.end(), numberedOrEmpty) &&
         end.ends_with(kLineEnd) && std::all_of(last.begin(), last.end(), numberedOrEmpty) &&
         std::any_of(last.begin(), last.end(), IsClosingLine);
}

std::optional<ProgramFileEnds> ReadProgramFileOfOurs(const std::string& path) {
  std::optional<std::string> start = ReadFileStart(path, kProgramStartBytes);
  std::optional<std::string> end = start ? ReadFileEnd(path, kProgramEndBytes) : std::nullopt;
  if (!end || !IsProgramOfOurs(*start, *end)) return std::nullopt;
  return ProgramFileEnds{std::move(*start), std::move(*end)};
}

bool IsProgramFileOfOurs(const std::string& path) { return ReadProgramFileOfOurs(path).has_value(); }

bool IsUsersOwnFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(NativePath(path), error)) &&
         !IsProgramFileOfOurs(path);
}

std::size_t EmptyProgramBytes(const Settings& settings, const BasicCommands& commands, const TileStringTable& tiles) {
  Settings measured = settings;
  measured.tiling = 1;
  return EstimateProgramMemory(BasicProgramText(OperationList(), measured, commands, tiles)).program;
}

}  // namespace kumodo
