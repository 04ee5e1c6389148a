#pragma once
// The recovery journal: the open document's records as the user changes
// them, appended to a file in the user's state folder as they change, so
// that a drawing not yet saved survives the window's close, a crash, a kill
// or a power cut. The file goes once the list equals the document saved.
//
// The file is a header line naming the format's version, then entries: a
// kind byte, the length of its data (32 bits), the data, and a CRC-32 of
// all three (numbers little-endian):
//   D  the document: its file's size, time and presence when it was opened
//      or saved, then its path (UTF-8; empty for a document never saved);
//      once, first;
//   A  records appended, 16 bytes each (eight 16-bit fields);
//   T  the list cut back to a count (undo), 32 bits.
// Reading stops at the first entry cut short or failing its check: a
// half-written last entry is dropped, never read as records.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "picture/operations.h"
#include "platform/locked_file.h"

namespace kumodo {

constexpr int kJournalVersion = 1;
// A journal is begun again, holding the list alone, once it has grown past
// this; so one never grows past the reading limit.
constexpr std::size_t kJournalRestartBytes = std::size_t{8} << 20;
constexpr std::size_t kMaxJournalBytes = std::size_t{16} << 20;

// Enough of a file's state to tell that it changed.
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // the system's time of the last write, in its own units
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOfFile(const std::string& utf8Path);

struct JournalRead {
  enum class Problem { None, NotAJournal, OtherVersion };
  Problem problem = Problem::None;
  int version = 0;  // the header's, also for another version
  std::string documentPath;
  FileStamp document;
  std::vector<OperationRecord> records;
  std::size_t bytesDropped = 0;  // after the last whole entry
};
JournalRead ReadJournal(std::string_view bytes);

// The file's parts, as the journal writes them.
std::string JournalHeader(int version = kJournalVersion);
std::string DocumentEntry(const std::string& documentPath, const FileStamp& stamp);
std::string AppendEntry(std::span<const OperationRecord> records);
std::string CutEntry(int count);

// The journals in the folder ("recovery-*.journal"), newest first.
std::vector<std::string> FindJournals(const std::string& folder);
// Where a journal that was not restored is kept aside, unread again.
std::string SetAsidePath(const std::string& journalPath);
// Where a declined journal's records are kept as a document.
std::string DeclinedDocumentPath(const std::string& journalPath);

class JournalSyncer;

// The running editor's own journal. The file is made (and held locked) at
// the first change that makes the list differ from the document, and
// removed when the list equals it again.
class RecoveryJournal {
 public:
  RecoveryJournal();
  // The file stays, for the next start to offer.
  ~RecoveryJournal();
  RecoveryJournal(const RecoveryJournal&) = delete;
  RecoveryJournal& operator=(const RecoveryJournal&) = delete;

  // Where the journal's file is made; the folder is made when needed.
  void SetFolder(std::string folder);

  // The document the list is compared with: its path (the dialog's, for the
  // title; empty for none), its file's stamp when it was opened or saved,
  // and its records (nothing when they are not known: the list then always
  // differs). A journal of another document goes; the next TakeChanges
  // compares the list with it.
  void SetDocument(const std::string& documentPath, const FileStamp& stamp,
                   std::optional<std::vector<OperationRecord>> records);

  // Takes the list's changes since the last call (list.changedFrom): writes
  // them at the end of the journal, making the file at the first change,
  // or removes the file when the list equals the document. Costs what
  // changed, not the list's length. Puts the file on the disk within a
  // second, off the calling thread. Says why, once, when the journal cannot
  // be written.
  std::optional<std::string> TakeChanges(OperationList& list);

  // Whether the list differs from the document, as of the last TakeChanges.
  bool Unsaved() const { return unsaved_; }
  // The journal's file; empty while there is none.
  std::string FilePath() const;
  // Puts the journal on the disk before returning.
  void SyncNow();

 private:
  bool EqualsDocument(const OperationList& list);
  bool WriteFresh(const OperationList& list, std::string* reason);
  void SyncSoon();
  void DropFile();

  std::string folder_;
  std::string documentPath_;
  FileStamp documentStamp_;
  std::optional<std::vector<OperationRecord>> documentRecords_{std::in_place};
  int sameAsDocumentBelow_ = 0;  // the list's records below this equal the document's
  bool compareDue_ = false;
  bool unsaved_ = false;

  std::shared_ptr<LockedFile> file_;
  bool fileIntact_ = true;  // every entry was written whole
  std::size_t fileBytes_ = 0;
  int journaledCount_ = 0;
  bool problemSaid_ = false;
  std::unique_ptr<JournalSyncer> syncer_;
};

}  // namespace kumodo
