#pragma once
// Programs an earlier save or conversion of a document left beside it that
// its newest program no longer includes: the parts past the new last one, a
// split program's parts when the program is now one file, a single program
// when it is now in parts. Run, or copied to the machine's disk with the
// rest, they would draw an earlier picture.
#include <string>
#include <vector>

namespace kumodo {

struct StalePrograms {
  std::vector<std::string> removed;
  // Files at those names that are programs of ours but not recognised as
  // this document's parts, or could not be removed: the user is told.
  std::vector<std::string> left;
};

// After `parts` program files were written for the document (1: its single
// NAME.txt). A file is removed only when it is a program of ours shaped as
// a part of this document's program: a part that chains to this document's
// next part on the machine's disk, or a later part (no opening lines) that
// ends the program. A file beside a document of its own name (NAME1.txt
// beside NAME1.csv) is that document's, and left alone unnamed; so are the
// user's own files that are not programs of ours.
StalePrograms RemoveStalePrograms(const std::string& documentPath, int parts);

}  // namespace kumodo
