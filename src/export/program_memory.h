#pragma once
// How much of the interpreter's memory a BASIC program takes once loaded,
// counted as Microsoft-family BASICs store it, and whether it fits.
#include <cstddef>
#include <string_view>

namespace kumodo {

// The free area a program's records and its run have: PC-BASIC's FRE(0)
// once the program of a document with no record is loaded (its opening and
// closing lines, from kumodo-basic-cmd.txt with tiling on; the 200-line
// command file leaves 4 bytes more, tiling off 418 more). The machine's own
// BASIC cannot be run here, so its figure cannot be measured; it keeps the
// program in a 64 KB segment as well. Users pass theirs as a parameter.
constexpr std::size_t kFreeAreaBytes = 59478;

// What the run takes from the free area: the shipped subroutines' variables
// and the strings a tile PAINT builds, measured in PC-BASIC as the least
// FRE(0) after LOAD with which a program of every kind, its tile fill after
// all the variables are made, still runs to its end (176 stops with "Out of
// string space"). The GOSUB and FOR stack has an area of its own there
// (512 bytes, far more than the subroutines nest) and takes none of it.
constexpr std::size_t kRunNeedsBytes = 177;

// What the records of a picture may take to run as one part in a free area
// of `freeArea` bytes. A free area too small for the run leaves a byte,
// which no record fits: never 0, which would mean no limit.
constexpr std::size_t OnePartBudget(std::size_t freeArea = kFreeAreaBytes) {
  return freeArea > kRunNeedsBytes ? freeArea - kRunNeedsBytes : 1;
}

struct ProgramMemory {
  std::size_t program = 0;  // every stored line and the end marker
  std::size_t records = 0;  // of which the lines 10000 to 59998, the records' own
  // What the strings the program keeps in variables take once it has run
  // (a machine program's tile strings): each variable's entry and its bytes.
  std::size_t variables = 0;
};

// What a string variable of the name (without its "$") takes once its
// string of `length` bytes is made: its entry, the name's letters (two at
// the least) and the bytes, measured in PC-BASIC with FRE("").
constexpr std::size_t StringVariableBytes(std::size_t nameLength, std::size_t length) {
  return 5 + (nameLength < 2 ? 2 : nameLength) + length;
}

// Per stored line: a 2-byte link, the 2-byte line number, the body
// tokenised (keywords one byte or two, numbers in their short forms, line
// references after GOTO, GOSUB, THEN and the like as 3 bytes, strings,
// remarks and names as their bytes) and an end byte. Lines end with CR LF; a
// line without a line number or with nothing after it is not stored. A line
// that sets a string variable to a sum of CHR$ terms ("T1$=CHR$(..)+..."),
// as a machine program's tile strings, keeps that variable.
ProgramMemory EstimateProgramMemory(std::string_view text);

// Whether a program whose loaded size is `bytesBeyondEmpty` more than an
// empty document's program (EmptyProgramBytes) fits, with its run, in the
// free area that one leaves. Checked on the machine: load an empty
// document's program and PRINT FRE(0) gives the free area; load the program
// and it gives that less bytesBeyondEmpty, which must leave kRunNeedsBytes.
bool ProgramFits(std::size_t bytesBeyondEmpty, std::size_t freeArea);

}  // namespace kumodo
