// What an earlier program of a document left beside it: only what is shaped
// as this document's parts goes; another document's program, a whole
// program at a part's name and the user's own files stay.
#include "export/stale_programs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/state_folder.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

const std::string kOpening = "1000 SCREEN 3,0,0,1:CLS 3\r\n";
const std::string kClosing = "60000 RETURN\r\n";

// A part as MachineProgramParts writes it: the first with the opening
// lines, each chaining to the next by its name on the machine's disk.
std::string Part(bool first, const std::string& ending) {
  return (first ? kOpening : "") + "10000 LINE(1,1)-(9,9),2\r\n" + ending + "\r\n" + kClosing;
}

struct Folder {
  Folder() : path(support::MakeTemporaryFolder("stale")) {}
  ~Folder() { fs::remove_all(path); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(path / name, std::ios::binary) << text; }
  bool Has(const std::string& name) const { return fs::exists(path / name); }
  std::string At(const std::string& name) const { return (path / name).string(); }
  fs::path path;
};

TEST(StalePrograms, TheEarlierProgramsPartsPastTheNewLastAndItsSingleFileGo) {
  Folder f;
  f.Write("A.txt", Part(true, "59999 END"));  // a save before the program was split
  f.Write("A1.txt", Part(true, "59999 CHAIN \"A2.BAS\""));
  f.Write("A2.txt", Part(false, "59999 CHAIN \"A3.BAS\""));
  f.Write("A3.txt", Part(false, "59999 CHAIN \"A4.BAS\""));
  f.Write("A4.txt", Part(false, "59999 END"));
  f.Write("A6.txt", Part(false, "59999 END"));  // past a gap: not of that program
  const StalePrograms stale = RemoveStalePrograms(f.At("A.csv"), 2);
  EXPECT_EQ(stale.removed, (std::vector<std::string>{f.At("A.txt"), f.At("A3.txt"), f.At("A4.txt")}));
  EXPECT_TRUE(stale.left.empty());
  EXPECT_TRUE(f.Has("A1.txt") && f.Has("A2.txt") && f.Has("A6.txt"));

  // Now in one file: every part goes, the disk names cut for ten parts too.
  f.Write("A1.txt", Part(true, "59999 CHAIN \"A2.BAS\""));
  f.Write("A2.txt", Part(false, "59999 END"));
  f.Write("A.txt", Part(true, "59999 END"));
  Folder g;
  const std::string stem = "LONGNAME";
  g.Write(stem + "1.txt", Part(true, "59999 CHAIN \"LONGNA2.BAS\""));
  g.Write(stem + "2.txt", Part(false, "59999 END"));
  EXPECT_EQ(RemoveStalePrograms(f.At("A.csv"), 1).removed, (std::vector<std::string>{f.At("A1.txt"), f.At("A2.txt")}));
  EXPECT_EQ(RemoveStalePrograms(g.At(stem + ".csv"), 1).removed.size(), 2u);
  EXPECT_TRUE(f.Has("A.txt")) << "the program just written stays";
}

TEST(StalePrograms, WhatMayBeAnotherDocumentsOrTheUsersStays) {
  Folder f;
  f.Write("A1.csv", "8,1,1,0,0,4,0,1\r\n");  // A1.txt is that document's own program
  f.Write("A1.txt", Part(true, "59999 END"));
  f.Write("A2.txt", "the user's notes\r\n");
  StalePrograms stale = RemoveStalePrograms(f.At("A.csv"), 1);
  EXPECT_TRUE(stale.removed.empty());
  EXPECT_TRUE(stale.left.empty()) << "nothing to say of either";

  // A1.txt chains to A's part 2: A's old part 1, or A1's under a cut name. Said, not removed.
  f.Write("A1.txt", Part(true, "59999 CHAIN \"A2.BAS\""));
  // A whole program at a part's name, no document of its own: said, not removed.
  f.Write("A2.txt", Part(true, "59999 END"));
  // A link to a part: not followed (where the system can link; Wine cannot).
  f.Write("elsewhere.txt", Part(false, "59999 END"));
  std::error_code error;
  fs::create_symlink("elsewhere.txt", f.path / "A3.txt", error);
  std::vector<std::string> left = {f.At("A1.txt"), f.At("A2.txt")};
  if (!error) left.push_back(f.At("A3.txt"));
  stale = RemoveStalePrograms(f.At("A.csv"), 1);
  EXPECT_TRUE(stale.removed.empty());
  EXPECT_EQ(stale.left, left);
  EXPECT_TRUE(f.Has("A1.txt") && f.Has("A2.txt") && f.Has("elsewhere.txt"));

  f.Write("B.txt", "the user's own B.txt\r\n");  // not ours: split or not, it stays
  EXPECT_TRUE(RemoveStalePrograms(f.At("B.csv"), 3).removed.empty());
  EXPECT_TRUE(f.Has("B.txt"));
}

}  // namespace
}  // namespace kumodo
