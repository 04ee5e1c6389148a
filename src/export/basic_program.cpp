#include "export/basic_program.h"

#include <algorithm>

#include "files/csv_document.h"
#include "files/file_channel.h"
#include "files/text_file.h"

namespace kumodo {
namespace {

// The operation kind each template entry belongs to, in file order.
constexpr int kTemplateEntryKinds[] = {1, 3, 4, 8, 5, 6, 7, 10};

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

std::string WithoutQuotes(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
  return text;
}

int Halved(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

// The values that follow the pieces T0, T1, ... of a record's line.
std::vector<std::string> LineValues(const OperationRecord& r, int y1, int y2, const TileStringTable& tiles) {
  const auto n = [](int value) { return std::to_string(value); };
  switch (r[0]) {
    case 1:
      return {n(r[1]), n(y1), n(r[3]), n(y2), n(r[5])};
    case 3:
      return {n(r[1]), n(y1), n(r[5]), n(r[6])};
    case 4:
      return {n(r[1]), n(y1), LookUpTileString(tiles, r[3], r[4], r[5]), n(r[6])};
    case 8:
      return {n(r[1]), n(y1), n(r[5])};
    case 10:
      return {n(r[1]), n(y1), n(r[3]), n(y2), n(r[5]), n(r[6])};
    default:
      return {n(r[1]), n(y1), n(r[3]), n(r[5]), n(r[6])};
  }
}

}  // namespace

std::string RecordStatement(const OperationRecord& record, const Settings& settings, const BasicCommands& commands,
                            const TileStringTable& tiles) {
  const int kind = record[0];
  const auto& pieces = kind >= 0 && kind < kTemplateKinds ? commands.templates[kind]
                                                          : std::array<std::string, kTemplatePieces>{};
  std::string statement;
  if (kind == 4 && settings.tiling != 1) {
    statement += "' TILE-PAINT";
    for (const std::string& piece : pieces) statement += piece;
    return statement;
  }
  const bool halve = settings.outputResolution == 0;
  const std::vector<std::string> values =
      LineValues(record, halve ? Halved(record[2]) : record[2], halve ? Halved(record[4]) : record[4], tiles);
  for (std::size_t j = 0; j <= values.size(); ++j) {
    statement += pieces[j];
    if (j < values.size()) statement += values[j];
  }
  return statement;
}

std::string NumberedLine(int number, const std::string& statement) {
  std::string line = std::to_string(number) + " " + statement;
  // A hand-made command file may make longer lines than BASIC takes.
  if (line.size() > kMaxBasicLineBytes) line.resize(kMaxBasicLineBytes);
  return line;
}

bool BecomesLine(const OperationRecord& record, const Settings& settings) {
  const int kind = record[0];
  if (kind < 5 || kind > 7) return true;
  if (settings.tiling == 0) return false;
  return settings.outputResolution == 1 || record[2] % 2 == 0;
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

}  // namespace kumodo
