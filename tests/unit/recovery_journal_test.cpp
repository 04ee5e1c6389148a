// The recovery journal's file: what it holds reads back to the list it was
// written from, whatever it went through; a torn, foreign or garbage file is
// never read as records; the journal costs what changed; and a journal held
// by a running editor is never claimed by another.
#include "files/recovery_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "files/csv_document.h"
#include "platform/file_system.h"
#include "platform/locked_file.h"
#include "support/state_folder.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

OperationRecord Dot(int x, int y, int chain = 1) {
  return {kind::Dot, static_cast<std::int16_t>(x),    static_cast<std::int16_t>(y), 0, 0, 4,
          0,         static_cast<std::int16_t>(chain)};
}

std::vector<OperationRecord> Records(const OperationList& list) {
  return {list.slots.begin(), list.slots.begin() + list.count};
}

void Append(OperationList& list, const OperationRecord& record) {
  ASSERT_TRUE(AppendRecords(list, std::span<const OperationRecord>(&record, 1)));
}

std::string ReadFile(const std::string& path) { return ReadWholeFile(path, nullptr, kMaxJournalBytes).value_or(""); }

// A journal of a few entries of each kind, and the list it ends with.
struct Written {
  std::string bytes;
  std::vector<OperationRecord> list;
};
Written ThreeEntries() {
  const std::vector<OperationRecord> first = {Dot(1, 2), Dot(3, 4), {kind::Line, -5, 6, 32767, -32768, 7, 0, 2}};
  Written written;
  written.bytes = JournalHeader() + DocumentEntry("/home/me/house", {true, 42, 1234567}) + AppendEntry(first) +
                  CutEntry(1) + AppendEntry(std::vector<OperationRecord>{Dot(9, 9)});
  written.list = {first[0], Dot(9, 9)};
  return written;
}

TEST(JournalFile, ReadsBackTheListThePathAndTheStampThroughAppendsAndCuts) {
  const Written written = ThreeEntries();
  const JournalRead read = ReadJournal(written.bytes);
  EXPECT_EQ(read.problem, JournalRead::Problem::None);
  EXPECT_EQ(read.records, written.list);
  EXPECT_EQ(read.documentPath, "/home/me/house");
  EXPECT_EQ(read.document, (FileStamp{true, 42, 1234567}));
  EXPECT_EQ(read.bytesDropped, 0u);

  // Every field's whole range, in the order the CSV document writes them.
  const std::vector<OperationRecord> extremes = {{-32768, 32767, -1, 0, 1, -2, 2, 32767}};
  const JournalRead wide = ReadJournal(JournalHeader() + DocumentEntry("", {}) + AppendEntry(extremes));
  EXPECT_EQ(wide.records, extremes);
  EXPECT_EQ(wide.documentPath, "");
  EXPECT_FALSE(wide.document.exists);
}

// However a power cut or a kill leaves the last entry, the records read are
// those before it: none of its bytes is read as a record.
TEST(JournalFile, ATornOrDamagedLastEntryIsDroppedWhole) {
  const Written written = ThreeEntries();
  const std::size_t lastEntry = AppendEntry(std::vector<OperationRecord>{Dot(9, 9)}).size();
  const std::vector<OperationRecord> before = {Dot(1, 2)};
  for (std::size_t cut = 1; cut <= lastEntry; ++cut) {
    const JournalRead read = ReadJournal(std::string_view(written.bytes).substr(0, written.bytes.size() - cut));
    EXPECT_EQ(read.problem, JournalRead::Problem::None);
    EXPECT_EQ(read.records, before) << "cut " << cut;
    EXPECT_EQ(read.bytesDropped, lastEntry - cut) << "cut " << cut;
  }
  for (std::size_t at = written.bytes.size() - lastEntry; at < written.bytes.size(); ++at) {
    std::string damaged = written.bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    const JournalRead read = ReadJournal(damaged);
    EXPECT_EQ(read.records, before) << "byte " << at;
    EXPECT_EQ(read.bytesDropped, lastEntry) << "byte " << at;
  }
  // Bytes past a whole journal (a write torn after a whole entry) are dropped too.
  EXPECT_EQ(ReadJournal(written.bytes + "A\x01").records, written.list);
}

// Entries whose checks pass but that make no sense where they stand end the reading there.
TEST(JournalFile, EntriesThatMakeNoSenseEndTheReading) {
  const std::string start = JournalHeader() + DocumentEntry("x", {});
  const std::string two = AppendEntry(std::vector<OperationRecord>{Dot(1, 1), Dot(2, 2)});
  EXPECT_EQ(ReadJournal(start + two + CutEntry(3)).records.size(), 2u) << "a cut past the end";
  EXPECT_EQ(ReadJournal(start + two + DocumentEntry("y", {})).documentPath, "x") << "a second document";
  EXPECT_TRUE(ReadJournal(JournalHeader() + two).records.empty()) << "records before the document";
  const std::vector<OperationRecord> full(kMaxOperations, Dot(5, 5));
  const JournalRead overfull = ReadJournal(start + AppendEntry(full) + two);
  EXPECT_EQ(overfull.records.size(), static_cast<std::size_t>(kMaxOperations)) << "past the list's capacity";
  EXPECT_EQ(overfull.bytesDropped, two.size());
}

TEST(JournalFile, AnotherVersionIsToldApartFromGarbage) {
  const Written written = ThreeEntries();
  const JournalRead other =
      ReadJournal(JournalHeader(kJournalVersion + 1) + written.bytes.substr(JournalHeader().size()));
  EXPECT_EQ(other.problem, JournalRead::Problem::OtherVersion);
  EXPECT_EQ(other.version, kJournalVersion + 1);
  EXPECT_TRUE(other.records.empty());

  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string header = JournalHeader();
  for (const std::string& garbage :
       {std::string(), noise, std::string("1,10,10,20,30,1,0,1\r\n"), header.substr(0, header.size() - 1),
        std::string("Kumodo recovery journal x\n"), std::string("Kumodo recovery journal ") + std::string(100, '1')}) {
    const JournalRead read = ReadJournal(garbage);
    EXPECT_EQ(read.problem, JournalRead::Problem::NotAJournal) << garbage.substr(0, 40);
    EXPECT_TRUE(read.records.empty());
  }
}

TEST(JournalFile, JournalsAreFoundByNameNewestFirst) {
  support::StateFolder state;
  const fs::path folder = state.Path();
  for (const char* name : {"recovery-1.journal", "recovery-2.journal", "recovery-3.journal.not-restored",
                           "recovery-4.csv", "other.journal"}) {
    ASSERT_TRUE(WriteWholeFile((folder / name).string(), "x").ok);
  }
  fs::last_write_time(folder / "recovery-1.journal",
                      fs::last_write_time(folder / "recovery-2.journal") + std::chrono::hours(1));
  EXPECT_EQ(FindJournals(folder.string()), (std::vector<std::string>{(folder / "recovery-1.journal").string(),
                                                                     (folder / "recovery-2.journal").string()}));
  EXPECT_TRUE(FindJournals((folder / "missing").string()).empty());
  EXPECT_EQ(DeclinedDocumentPath("/s/recovery-ab.journal"), "/s/recovery-ab.csv");
}

class Journal : public ::testing::Test {
 protected:
  Journal() { journal.SetFolder(state.Journals().string()); }

  // What the journal's file reads back to.
  JournalRead OnDisk() const { return ReadJournal(ReadFile(journal.FilePath())); }

  support::StateFolder state;
  RecoveryJournal journal;
  OperationList list;
};

TEST_F(Journal, EveryChangeOfTheListReadsBackFromTheFile) {
  journal.SetDocument("/pictures/house", {true, 10, 20}, std::vector<OperationRecord>());
  EXPECT_FALSE(journal.TakeChanges(list));
  EXPECT_EQ(journal.FilePath(), "") << "nothing drawn, nothing to keep";
  EXPECT_FALSE(journal.Unsaved());

  Append(list, Dot(1, 1));
  Append(list, Dot(2, 2));
  EXPECT_FALSE(journal.TakeChanges(list));
  EXPECT_TRUE(journal.Unsaved());
  ASSERT_NE(journal.FilePath(), "");
  EXPECT_EQ(fs::path(journal.FilePath()).parent_path(), state.Journals());
  EXPECT_EQ(OnDisk().records, Records(list));
  EXPECT_EQ(OnDisk().documentPath, "/pictures/house");
  EXPECT_EQ(OnDisk().document, (FileStamp{true, 10, 20}));

  UndoLastGroup(list);  // undo
  journal.TakeChanges(list);
  EXPECT_EQ(OnDisk().records, Records(list));
  Append(list, Dot(3, 3));  // a new action in its place
  Append(list, Dot(4, 4));
  journal.TakeChanges(list);
  EXPECT_EQ(OnDisk().records, Records(list));
  UndoLastGroup(list);  // undo, and another action, between two takes
  Append(list, Dot(5, 5));
  journal.TakeChanges(list);
  EXPECT_EQ(OnDisk().records, Records(list));
  list = ListOfRecords(std::vector<OperationRecord>{Dot(7, 7), Dot(8, 8, 2)});  // a list read anew
  journal.TakeChanges(list);
  EXPECT_EQ(OnDisk().records, Records(list));
}

TEST_F(Journal, TheFileGoesWhenTheListEqualsTheDocumentAgain) {
  Append(list, Dot(1, 1));
  journal.SetDocument("/d", {}, Records(list));  // saved
  journal.TakeChanges(list);
  EXPECT_FALSE(journal.Unsaved());
  EXPECT_EQ(journal.FilePath(), "");

  Append(list, Dot(2, 2));
  journal.TakeChanges(list);
  const std::string first = journal.FilePath();
  ASSERT_TRUE(fs::exists(first));
  UndoLastGroup(list);  // back to what was saved
  journal.TakeChanges(list);
  EXPECT_FALSE(journal.Unsaved());
  EXPECT_FALSE(fs::exists(first));

  UndoLastGroup(list);  // different again
  journal.TakeChanges(list);
  EXPECT_TRUE(journal.Unsaved());
  EXPECT_TRUE(OnDisk().records.empty()) << "a new journal holds the whole list";
  Append(list, Dot(1, 1));  // equal again, records written anew
  journal.TakeChanges(list);
  EXPECT_FALSE(journal.Unsaved());
  EXPECT_EQ(journal.FilePath(), "");

  Append(list, Dot(3, 3));
  journal.TakeChanges(list);
  const std::string second = journal.FilePath();
  journal.SetDocument("/d", {}, Records(list));  // saved again
  EXPECT_FALSE(fs::exists(second));
  journal.SetDocument("/e", {}, std::nullopt);  // a document whose records are not known
  journal.TakeChanges(list);
  EXPECT_TRUE(journal.Unsaved());
  EXPECT_EQ(OnDisk().records, Records(list));
}

// The cost of a change is the change: after 30,000 records, one more adds
// one entry to the file, not the list again.
TEST_F(Journal, AChangeAddsItselfAloneWhateverTheListsLength) {
  for (int i = 0; i < kMaxOperations - 1; ++i) Append(list, Dot(i % 640, i % 400));
  journal.TakeChanges(list);
  const std::uintmax_t before = fs::file_size(journal.FilePath());
  Append(list, Dot(1, 2));
  journal.TakeChanges(list);
  EXPECT_EQ(fs::file_size(journal.FilePath()) - before, AppendEntry(std::vector<OperationRecord>{Dot(1, 2)}).size());
  const std::uintmax_t full = fs::file_size(journal.FilePath());
  UndoLastGroup(list);
  journal.TakeChanges(list);
  EXPECT_EQ(fs::file_size(journal.FilePath()) - full, CutEntry(0).size());
  EXPECT_EQ(OnDisk().records, Records(list));

  // A take with nothing changed writes nothing.
  const std::uintmax_t now = fs::file_size(journal.FilePath());
  journal.TakeChanges(list);
  EXPECT_EQ(fs::file_size(journal.FilePath()), now);
}

// Undone and redone over and over, a journal outgrows its limit: it begins
// again with the list alone, and the one before goes.
TEST_F(Journal, AJournalGrownPastItsLimitBeginsAgain) {
  const std::vector<OperationRecord> many(kMaxOperations, Dot(3, 3));
  journal.TakeChanges(list);
  Append(list, Dot(1, 1));
  journal.TakeChanges(list);
  const std::string first = journal.FilePath();
  std::string last = first;
  for (int round = 0; round < 20 && last == first; ++round) {
    list = ListOfRecords(many);
    journal.TakeChanges(list);
    list = ListOfRecords(std::vector<OperationRecord>{Dot(1, 1), Dot(2, 2)});
    journal.TakeChanges(list);
    last = journal.FilePath();
  }
  EXPECT_NE(last, first);
  EXPECT_FALSE(fs::exists(first));
  EXPECT_LE(fs::file_size(last), kJournalRestartBytes);
  EXPECT_EQ(OnDisk().records, Records(list));
}

TEST_F(Journal, AJournalThatCannotBeMadeSaysSoOnce) {
  ASSERT_TRUE(WriteWholeFile(state.Journals().string(), "a file where the folder would be").ok);
  Append(list, Dot(1, 1));
  const std::optional<std::string> problem = journal.TakeChanges(list);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find(state.Journals().string()), std::string::npos) << *problem;
  EXPECT_TRUE(journal.Unsaved());
  Append(list, Dot(2, 2));
  EXPECT_FALSE(journal.TakeChanges(list)) << "said once";
  fs::remove(state.Journals());
  Append(list, Dot(3, 3));
  EXPECT_FALSE(journal.TakeChanges(list));
  EXPECT_EQ(OnDisk().records, Records(list)) << "made once it can be";
}

// A running editor's journal is its own: another cannot claim it until the
// first is gone, and then it finds the journal whole where it was.
TEST_F(Journal, AHeldJournalIsNotClaimedUntilItsEditorIsGone) {
  auto running = std::make_unique<RecoveryJournal>();
  running->SetFolder(state.Journals().string());
  Append(list, Dot(1, 1));
  running->TakeChanges(list);
  const std::string path = running->FilePath();
  LockedFile::ClaimRefusal refusal = LockedFile::ClaimRefusal::None;
  EXPECT_FALSE(LockedFile::Claim(path, &refusal));
  EXPECT_EQ(refusal, LockedFile::ClaimRefusal::InUse);
  journal.TakeChanges(list);  // a second editor, in the same folder, with its own journal
  EXPECT_NE(journal.FilePath(), path);
  EXPECT_EQ(FindJournals(state.Journals().string()).size(), 2u);

  running.reset();  // its editor ends: the journal stays
  std::unique_ptr<LockedFile> claimed = LockedFile::Claim(path, &refusal);
  ASSERT_TRUE(claimed);
  EXPECT_EQ(ReadJournal(claimed->ReadAll(kMaxJournalBytes, nullptr).value_or("")).records, Records(list));
  EXPECT_FALSE(LockedFile::Claim(path, &refusal)) << "claimed once";
  EXPECT_EQ(refusal, LockedFile::ClaimRefusal::InUse);
  claimed->Remove();
  claimed.reset();
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(LockedFile::Claim(path, &refusal));
  EXPECT_EQ(refusal, LockedFile::ClaimRefusal::CannotOpen);
}

TEST(LockedFiles, ANewFileIsNeverMadeOverAnother) {
  support::StateFolder state;
  const std::string path = (state.Path() / "taken").string();
  ASSERT_TRUE(WriteWholeFile(path, "the user's").ok);
  std::string reason;
  EXPECT_FALSE(LockedFile::Create(path, &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(ReadFile(path), "the user's");

  const std::string moved = (state.Path() / "moved").string();
  std::unique_ptr<LockedFile> made = LockedFile::Create((state.Path() / "new").string(), &reason);
  ASSERT_TRUE(made);
  ASSERT_TRUE(made->Append("ab", &reason));
  ASSERT_TRUE(made->Append("cd", &reason));
  ASSERT_TRUE(made->MoveTo(moved, &reason));
  made->Sync();
  EXPECT_EQ(made->ReadAll(4, &reason).value_or(""), "abcd");
  EXPECT_FALSE(made->ReadAll(3, &reason)) << "past the limit";
  made.reset();
  EXPECT_EQ(ReadFile(moved), "abcd");
  EXPECT_FALSE(fs::exists(state.Path() / "new"));
}

}  // namespace
}  // namespace kumodo
