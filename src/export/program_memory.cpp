#include "export/program_memory.h"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <string>
#include <unordered_map>

namespace kumodo {
namespace {

constexpr std::size_t kLineOverhead = 5;  // link, line number, end byte
constexpr std::size_t kEndMarker = 2;     // the zero link after the last line
constexpr int kFirstRecordLine = 10000;
constexpr int kClosingLine = 59999;

// Keywords that take two bytes (an 0xFD, 0xFE or 0xFF prefix); every other
// keyword takes one.
constexpr std::string_view kTwoByteKeywords[] = {
    "CVI",   "CVS",   "CVD",     "MKI$",  "MKS$",    "MKD$",  "EXTERR", "FILES", "FIELD",  "SYSTEM", "NAME",
    "LSET",  "RSET",  "KILL",    "PUT",   "GET",     "RESET", "COMMON", "CHAIN", "DATE$",  "TIME$",  "PAINT",
    "COM",   "CIRCLE", "DRAW",   "PLAY",  "TIMER",   "ERDEV", "IOCTL",  "CHDIR", "MKDIR",  "RMDIR",  "SHELL",
    "ENVIRON", "VIEW", "WINDOW", "PMAP",  "PALETTE", "LCOPY", "CALLS",  "PCOPY", "LOCK",   "UNLOCK", "LEFT$",
    "RIGHT$", "MID$", "SGN",     "INT",   "ABS",     "SQR",   "RND",    "SIN",   "LOG",    "EXP",    "COS",
    "TAN",   "ATN",   "FRE",     "INP",   "POS",     "LEN",   "STR$",   "VAL",   "ASC",    "CHR$",   "PEEK",
    "SPACE$", "OCT$", "HEX$",    "LPOS",  "CINT",    "CSNG",  "CDBL",   "FIX",   "PEN",    "STICK",  "STRIG",
    "EOF",   "LOC",   "LOF"};

constexpr std::string_view kOneByteKeywords[] = {
    "END",    "FOR",     "NEXT",   "DATA",   "INPUT",  "DIM",    "READ",   "LET",    "GOTO",    "RUN",
    "IF",     "RESTORE", "GOSUB",  "RETURN", "REM",    "STOP",   "PRINT",  "CLEAR",  "LIST",    "NEW",
    "ON",     "WAIT",    "DEF",    "POKE",   "CONT",   "OUT",    "LPRINT", "LLIST",  "WIDTH",   "ELSE",
    "TRON",   "TROFF",   "SWAP",   "ERASE",  "EDIT",   "ERROR",  "RESUME", "DELETE", "AUTO",    "RENUM",
    "DEFSTR", "DEFINT",  "DEFSNG", "DEFDBL", "LINE",   "WHILE",  "WEND",   "CALL",   "WRITE",   "OPTION",
    "RANDOMIZE", "OPEN", "CLOSE",  "LOAD",   "MERGE",  "SAVE",   "COLOR",  "CLS",    "MOTOR",   "BSAVE",
    "BLOAD",  "SOUND",   "BEEP",   "PSET",   "PRESET", "SCREEN", "KEY",    "LOCATE", "TO",      "THEN",
    "TAB(",   "STEP",    "USR",    "FN",     "SPC(",   "NOT",    "ERL",    "ERR",    "STRING$", "USING",
    "INSTR",  "VARPTR",  "CSRLIN", "POINT",  "OFF",    "INKEY$", "AND",    "OR",     "XOR",     "EQV",
    "IMP",    "MOD"};

// Keywords after which digits are a line reference.
constexpr std::string_view kLineReferenceKeywords[] = {"GOTO", "THEN",   "ELSE", "GOSUB", "LIST",
                                                       "RENUM", "EDIT",  "LLIST", "DELETE", "RUN",
                                                       "RESUME", "AUTO", "ERL",  "RESTORE", "RETURN"};

// 0 for a word that is no keyword. Looked up after every letter of every
// word, so hashed.
std::size_t KeywordBytes(std::string_view word) {
  static const std::unordered_map<std::string_view, std::size_t> bytes = [] {
    std::unordered_map<std::string_view, std::size_t> table;
    for (const std::string_view keyword : kOneByteKeywords) table.emplace(keyword, 1);
    for (const std::string_view keyword : kTwoByteKeywords) table.emplace(keyword, 2);
    return table;
  }();
  const auto found = bytes.find(word);
  return found == bytes.end() ? 0 : found->second;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '.'; }
char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// Reads a line number where the text stands: up to five digits with blanks
// among them, stopping once the number passes 6552 (so that no number over
// 65529 is read), leaving trailing blanks. Returns -1 when there is no digit.
int ReadLineNumber(std::string_view line, std::size_t& at) {
  int number = -1;
  int digits = 0;
  std::size_t end = at;
  for (std::size_t i = at; i < line.size() && digits < 5; ++i) {
    if (IsDigit(line[i])) {
      number = (number < 0 ? 0 : number * 10) + (line[i] - '0');
      ++digits;
      end = i + 1;
      if (number > 6552) break;
    } else if (!IsBlank(line[i])) {
      break;
    }
  }
  at = end;
  return number;
}

// A decimal constant where the text stands, read as the interpreter reads
// it (blanks inside are part of it); its token's size: 1 byte for 0 to 9, 2
// up to 255, 3 up to 32767, 5 a single-precision and 9 a double-precision
// constant.
std::size_t DecimalConstantBytes(std::string_view line, std::size_t& at) {
  std::string word;
  bool point = false, exponent = false;
  while (at < line.size()) {
    const char c = Upper(line[at]);
    if (c == '.' && !point && !exponent) {
      point = true;
    } else if ((c == 'E' || c == 'D') && !exponent) {
      // "1ELSE", "1EQV": the E starts a keyword
      if (c == 'E' && at + 1 < line.size() && (Upper(line[at + 1]) == 'L' || Upper(line[at + 1]) == 'Q')) break;
      exponent = true;
    } else if ((c == '-' || c == '+') && (word.empty() || word.back() == 'E' || word.back() == 'D')) {
    } else if (c == '!' || c == '#') {
      if (exponent) break;
      word += c;
      ++at;
      break;
    } else if (c == '%') {
      ++at;  // taken, not stored: the constant stays an integer
      break;
    } else if (!IsDigit(c) && !IsBlank(c)) {
      break;
    }
    word += c;
    ++at;
  }
  while (!word.empty() && IsBlank(word.back())) {  // trailing blanks stay in the line
    word.pop_back();
    --at;
  }
  if (!word.empty() && std::all_of(word.begin(), word.end(), IsDigit)) {
    const std::size_t significant = std::min(word.find_first_not_of('0'), word.size());
    if (word.size() - significant <= 5) {
      const int value = significant == word.size() ? 0 : std::stoi(word.substr(significant));
      if (value <= 9) return 1;
      if (value <= 255) return 2;
      if (value <= 32767) return 3;
    }
  }
  // Eight significant digits or more (trailing zeros after the point not
  // counted) make a double, as do D and #; ! keeps a single.
  bool isDouble = false, isSingle = false, seenPoint = false, seenExponent = false;
  int digits = 0, zeros = 0;
  for (const char c : word) {
    if (IsBlank(c) || seenExponent) continue;
    if (IsDigit(c)) {
      if (digits > 0 || c != '0') {
        ++digits;
        zeros = seenPoint && c == '0' ? zeros + 1 : 0;
      }
    } else if (c == '.') {
      seenPoint = true;
    } else if (c == 'E' || c == 'D') {
      seenExponent = true;
      isDouble = c == 'D';
    } else {
      isSingle = c == '!';
      isDouble = c == '#';
    }
  }
  if (digits - zeros > 7 && !isSingle) isDouble = true;
  return isDouble ? 9 : 5;
}

// A hexadecimal or octal constant where the text stands (at the "&"): 3 bytes.
std::size_t RadixConstantBytes(std::string_view line, std::size_t& at) {
  ++at;
  const bool hex = at < line.size() && Upper(line[at]) == 'H';
  if (hex || (at < line.size() && Upper(line[at]) == 'O')) ++at;
  while (at < line.size() &&
         (hex ? std::isxdigit(static_cast<unsigned char>(line[at])) != 0
              : (line[at] >= '0' && line[at] <= '7') || IsBlank(line[at]))) {
    ++at;
  }
  return 3;
}

// Where the string literal that starts at the quote ends: past its closing
// quote, or at the end of the line or a NUL.
std::size_t StringEnd(std::string_view line, std::size_t quote) {
  const std::size_t close = std::min(line.find_first_of(std::string_view("\"\0", 2), quote + 1), line.size());
  return close < line.size() && line[close] == '"' ? close + 1 : close;
}

// The bytes of the tokenised body of a line, from the text after its line
// number.
std::size_t BodyBytes(std::string_view line, std::size_t at) {
  std::size_t bytes = 0;
  bool allowNumber = true;     // a constant may stand here
  bool allowReference = false;  // digits here are a line reference
  bool inSpcOrTab = false;
  auto rest = [&] {  // the rest of the line kept as it is
    const std::size_t end = std::min(line.size(), line.find('\0', at));
    bytes += end - at;
    at = line.size();
  };
  while (at < line.size() && line[at] != '\0') {
    const char c = line[at];
    if (IsBlank(c)) {
      ++bytes;
      ++at;
    } else if (c == '"') {
      const std::size_t end = StringEnd(line, at);
      bytes += end - at;
      at = end;
    } else if (allowNumber && allowReference && (IsDigit(c) || c == '.')) {
      bytes += ReadLineNumber(line, at) >= 0 ? 3 : 1;
      if (c == '.') ++at;
    } else if (c == '&' || (allowNumber && (IsDigit(c) || c == '.'))) {
      bytes += c == '&' ? RadixConstantBytes(line, at) : DecimalConstantBytes(line, at);
    } else if (std::string_view("+-=/\\^*<>?").find(c) != std::string_view::npos) {
      ++bytes;
      ++at;
      allowNumber = true;
    } else if (c == '\'') {
      bytes += 3;  // stored as ":REM'"
      ++at;
      rest();
    } else if (IsLetter(c)) {
      // The longest run of name characters, or a keyword as soon as the
      // letters read make one that no name character follows (FN, USR, SPC(
      // and TAB( even when one does).
      std::string word;
      std::size_t keyword = 0;
      std::size_t end = at;
      while (end < line.size()) {
        word += Upper(line[end]);
        ++end;
        keyword = KeywordBytes(word);
        if (keyword > 0) {
          const bool standsAlone = word == "FN" || word == "USR" || word == "SPC(" || word == "TAB(";
          if (standsAlone || end >= line.size() || !IsNameChar(line[end])) break;
          keyword = 0;
        } else if (!IsNameChar(word.back())) {
          word.pop_back();
          --end;
          break;
        }
      }
      at = end;
      if (keyword == 0) {
        bytes += word.size();
        allowNumber = allowReference = false;
        continue;
      }
      bytes += keyword + (word == "ELSE" || word == "WHILE" ? 1 : 0);  // ":ELSE", "WHILE+"
      if (word == "REM") {
        rest();
      } else if (word == "DATA") {
        // as it is to the end of the statement, strings included
        while (at < line.size() && line[at] != '\0' && line[at] != ':') {
          const std::size_t next = line[at] == '"' ? StringEnd(line, at) : at + 1;
          bytes += next - at;
          at = next;
        }
      } else {
        allowReference = std::ranges::find(kLineReferenceKeywords, word) != std::end(kLineReferenceKeywords);
        allowNumber = true;
        if (word == "SPC(" || word == "TAB(") inSpcOrTab = true;
      }
    } else {
      ++bytes;
      ++at;
      if (c == ',' || c == '#' || c == ';' || c == '(' || c == '[') {
        allowNumber = true;
      } else if (c == ')') {
        if (inSpcOrTab) inSpcOrTab = allowReference = false;
        allowNumber = true;
      } else {
        allowNumber = allowReference = false;
      }
    }
  }
  return bytes;
}

// What a statement "NAME$=CHR$(..)+CHR$(..)..." keeps in its variable; 0
// for any other.
std::size_t KeptStringBytes(std::string_view statement) {
  const std::size_t dollar = statement.find("$=CHR$(");
  if (dollar == std::string_view::npos || dollar == 0 || !IsLetter(statement[0])) return 0;
  for (std::size_t at = 1; at < dollar; ++at) {
    if (!IsNameChar(statement[at])) return 0;
  }
  std::size_t terms = 0;
  for (std::size_t at = dollar; (at = statement.find("CHR$(", at)) != std::string_view::npos; ++at) ++terms;
  return StringVariableBytes(dollar, terms);
}

}  // namespace

ProgramMemory EstimateProgramMemory(std::string_view text) {
  ProgramMemory memory;
  memory.program = kEndMarker;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t found = text.find("\r\n", start);
    const std::size_t end = found == std::string_view::npos ? text.size() : found;
    const std::string_view line = text.substr(start, end - start);
    start = found == std::string_view::npos ? text.size() : found + 2;
    std::size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    const int number = ReadLineNumber(line, at);
    if (number < 0) continue;
    if (number != 0 && at < line.size() && line[at] == ' ') ++at;  // the one blank after the number
    const std::size_t content = line.find_first_not_of(" \t\n", at);
    if (content == std::string_view::npos || line[content] == '\0') continue;  // empty: stores nothing
    const std::size_t body = BodyBytes(line, at);
    memory.program += kLineOverhead + body;
    if (number >= kFirstRecordLine && number < kClosingLine) memory.records += kLineOverhead + body;
    memory.variables += KeptStringBytes(line.substr(at));
  }
  return memory;
}

bool ProgramFits(std::size_t bytesBeyondEmpty, std::size_t freeArea) {
  return bytesBeyondEmpty + kRunNeedsBytes <= freeArea;
}

}  // namespace kumodo
