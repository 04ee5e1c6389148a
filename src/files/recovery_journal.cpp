#include "files/recovery_journal.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "platform/file_system.h"

namespace kumodo {
namespace {

constexpr std::string_view kHeaderStart = "Kumodo recovery journal ";
constexpr std::size_t kLongestHeader = 40;
constexpr std::string_view kJournalPrefix = "recovery-";
constexpr std::string_view kJournalSuffix = ".journal";
constexpr std::size_t kRecordBytes = 16;
// The kind byte and the length before an entry's data, the CRC after it.
constexpr std::size_t kEntryFrameBytes = 1 + 4 + 4;

namespace entry {
constexpr char Document = 'D';
constexpr char Append = 'A';
constexpr char Cut = 'T';
}  // namespace entry

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> made{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      made[n] = c;
    }
    return made;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutNumber(std::string& out, std::uint64_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

std::uint64_t GetNumber(std::string_view in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int k = 0; k < bytes; ++k) value |= std::uint64_t{static_cast<unsigned char>(in[at + k])} << (8 * k);
  return value;
}

std::string Entry(char kind, std::string_view data) {
  std::string out(1, kind);
  PutNumber(out, data.size(), 4);
  out += data;
  PutNumber(out, Crc32(out), 4);
  return out;
}

// The header's version, or nothing when the bytes are no journal.
std::optional<int> HeaderVersion(std::string_view bytes, std::size_t* headerEnd) {
  if (!bytes.starts_with(kHeaderStart)) return std::nullopt;
  const std::size_t end = bytes.find('\n');
  if (end == std::string_view::npos || end > kLongestHeader) return std::nullopt;
  const std::string_view digits = bytes.substr(kHeaderStart.size(), end - kHeaderStart.size());
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  *headerEnd = end + 1;
  return std::stoi(std::string(digits));
}

// Applies one entry's data to what was read; false when it makes no sense
// there (the entry is then taken as damaged).
bool ApplyEntry(char kind, std::string_view data, bool first, JournalRead& read) {
  switch (kind) {
    case entry::Document:
      if (!first || data.size() < 17) return false;
      read.document.size = GetNumber(data, 0, 8);
      read.document.modified = static_cast<std::int64_t>(GetNumber(data, 8, 8));
      read.document.exists = data[16] != 0;
      read.documentPath = std::string(data.substr(17));
      return true;
    case entry::Append: {
      if (first || data.size() % kRecordBytes != 0) return false;
      const std::size_t count = data.size() / kRecordBytes;
      if (read.records.size() + count > static_cast<std::size_t>(kMaxOperations)) return false;
      for (std::size_t r = 0; r < count; ++r) {
        OperationRecord record;
        for (std::size_t f = 0; f < record.size(); ++f) {
          record[f] = static_cast<std::int16_t>(GetNumber(data, r * kRecordBytes + 2 * f, 2));
        }
        read.records.push_back(record);
      }
      return true;
    }
    case entry::Cut: {
      if (first || data.size() != 4) return false;
      const std::uint64_t count = GetNumber(data, 0, 4);
      if (count > read.records.size()) return false;
      read.records.resize(count);
      return true;
    }
    default:
      return false;
  }
}

std::string RandomName() {
  std::random_device device;
  std::uniform_int_distribution<std::uint64_t> any;
  const std::uint64_t value =
      any(device) ^ static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name(kJournalPrefix);
  for (int k = 60; k >= 0; k -= 4) name.push_back(kHex[(value >> k) & 0xF]);
  return name + std::string(kJournalSuffix);
}

std::string WithoutJournalSuffix(const std::string& journalPath) {
  return journalPath.ends_with(kJournalSuffix) ? journalPath.substr(0, journalPath.size() - kJournalSuffix.size())
                                               : journalPath;
}

}  // namespace

// Puts journals on the disk on a thread of its own, at most once a second:
// a sync may wait on the disk for a while, and drawing must not.
class JournalSyncer {
 public:
  ~JournalSyncer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
  }

  // A file that goes is not kept open for a sync still to come.
  void Forget(const LockedFile* file) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.get() == file) pending_.reset();
  }

  void Request(std::shared_ptr<LockedFile> file) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_ = std::move(file);
      if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
  }

 private:
  static constexpr std::chrono::milliseconds kInterval{1000};

  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || pending_; });
      if (!pending_) return;  // stopped, with everything synced
      std::shared_ptr<LockedFile> file = std::move(pending_);
      lock.unlock();
      file->Sync();
      file.reset();
      lock.lock();
      wake_.wait_for(lock, kInterval, [&] { return stop_; });
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::shared_ptr<LockedFile> pending_;
  bool stop_ = false;
  std::thread worker_;
};

FileStamp StampOfFile(const std::string& utf8Path) {
  std::error_code error;
  const std::filesystem::path path = NativePath(utf8Path);
  FileStamp stamp;
  stamp.size = std::filesystem::file_size(path, error);
  if (error) return FileStamp();
  const auto modified = std::filesystem::last_write_time(path, error);
  if (error) return FileStamp();
  stamp.exists = true;
  stamp.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
  return stamp;
}

std::string JournalHeader(int version) { return std::string(kHeaderStart) + std::to_string(version) + "\n"; }

std::string DocumentEntry(const std::string& documentPath, const FileStamp& stamp) {
  std::string data;
  PutNumber(data, stamp.size, 8);
  PutNumber(data, static_cast<std::uint64_t>(stamp.modified), 8);
  data.push_back(stamp.exists ? 1 : 0);
  data += documentPath;
  return Entry(entry::Document, data);
}

std::string AppendEntry(std::span<const OperationRecord> records) {
  std::string data;
  data.reserve(records.size() * kRecordBytes);
  for (const OperationRecord& record : records) {
    for (const std::int16_t value : record) PutNumber(data, static_cast<std::uint16_t>(value), 2);
  }
  return Entry(entry::Append, data);
}

std::string CutEntry(int count) {
  std::string data;
  PutNumber(data, static_cast<std::uint32_t>(count), 4);
  return Entry(entry::Cut, data);
}

JournalRead ReadJournal(std::string_view bytes) {
  JournalRead read;
  std::size_t at = 0;
  const std::optional<int> version = HeaderVersion(bytes, &at);
  if (!version) {
    read.problem = JournalRead::Problem::NotAJournal;
    return read;
  }
  read.version = *version;
  if (*version != kJournalVersion) {
    read.problem = JournalRead::Problem::OtherVersion;
    return read;
  }
  for (bool first = true; at < bytes.size(); first = false) {
    const std::size_t left = bytes.size() - at;
    if (left < kEntryFrameBytes) break;
    const std::uint64_t length = GetNumber(bytes, at + 1, 4);
    if (length > left - kEntryFrameBytes) break;
    const std::string_view framed = bytes.substr(at, 5 + length);
    if (GetNumber(bytes, at + 5 + length, 4) != Crc32(framed)) break;
    if (!ApplyEntry(bytes[at], framed.substr(5), first, read)) break;
    at += kEntryFrameBytes + length;
  }
  read.bytesDropped = bytes.size() - at;
  return read;
}

std::vector<std::string> FindJournals(const std::string& folder) {
  std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(NativePath(folder), error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = Utf8Path(it->path().filename());
    if (!name.starts_with(kJournalPrefix) || !name.ends_with(kJournalSuffix)) continue;
    std::error_code timeError;
    found.emplace_back(std::filesystem::last_write_time(it->path(), timeError), Utf8Path(it->path()));
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> paths;
  for (auto& [time, path] : found) paths.push_back(std::move(path));
  return paths;
}

std::string SetAsidePath(const std::string& journalPath) { return journalPath + ".not-restored"; }

std::string DeclinedDocumentPath(const std::string& journalPath) { return WithoutJournalSuffix(journalPath) + ".csv"; }

RecoveryJournal::RecoveryJournal() = default;

RecoveryJournal::~RecoveryJournal() = default;

void RecoveryJournal::SetFolder(std::string folder) { folder_ = std::move(folder); }

void RecoveryJournal::SetDocument(const std::string& documentPath, const FileStamp& stamp,
                                  std::optional<std::vector<OperationRecord>> records) {
  documentPath_ = documentPath;
  documentStamp_ = stamp;
  documentRecords_ = std::move(records);
  sameAsDocumentBelow_ = 0;
  compareDue_ = true;
  // Its first entry names the document before: the next change begins another.
  DropFile();
}

std::string RecoveryJournal::FilePath() const { return file_ ? file_->Path() : std::string(); }

bool RecoveryJournal::EqualsDocument(const OperationList& list) {
  if (!documentRecords_ || static_cast<std::size_t>(list.count) != documentRecords_->size()) return false;
  const auto mismatch = std::mismatch(list.slots.begin() + sameAsDocumentBelow_, list.slots.begin() + list.count,
                                      documentRecords_->begin() + sameAsDocumentBelow_);
  sameAsDocumentBelow_ = static_cast<int>(mismatch.first - list.slots.begin());
  return sameAsDocumentBelow_ == list.count;
}

std::optional<std::string> RecoveryJournal::TakeChanges(OperationList& list) {
  const int count = list.count;
  const int from = std::min({list.changedFrom, count, journaledCount_});
  list.changedFrom = count;
  if (from == count && count == journaledCount_ && !compareDue_) return std::nullopt;
  compareDue_ = false;
  sameAsDocumentBelow_ = std::min(sameAsDocumentBelow_, from);
  unsaved_ = !EqualsDocument(list);
  std::string reason;
  if (!unsaved_) {
    DropFile();
  } else if ((!file_ || !fileIntact_ || fileBytes_ > kJournalRestartBytes) && WriteFresh(list, &reason)) {
    problemSaid_ = false;
  } else if (file_ && fileIntact_) {
    std::string entries;
    if (from < journaledCount_) entries += CutEntry(from);
    if (count > from) entries += AppendEntry({list.slots.data() + from, static_cast<std::size_t>(count - from)});
    if (file_->Append(entries, &reason)) {
      fileBytes_ += entries.size();
      SyncSoon();
    } else {
      // What is there stays readable up to the broken entry; the next change begins a new journal.
      fileIntact_ = false;
    }
  }
  journaledCount_ = count;
  if (reason.empty() || problemSaid_) return std::nullopt;
  problemSaid_ = true;
  return reason;
}

// A new file holding the whole list. One there before goes once the new
// one is on the disk.
bool RecoveryJournal::WriteFresh(const OperationList& list, std::string* reason) {
  std::error_code error;
  std::filesystem::create_directories(NativePath(folder_), error);
  std::unique_ptr<LockedFile> made = LockedFile::Create(Utf8Path(NativePath(folder_) / RandomName()), reason);
  const std::string contents = JournalHeader() + DocumentEntry(documentPath_, documentStamp_) +
                               AppendEntry({list.slots.data(), static_cast<std::size_t>(list.count)});
  if (!made || !made->Append(contents, reason)) {
    if (made) made->Remove();
    *reason = folder_ + ": " + *reason;
    return false;
  }
  const std::shared_ptr<LockedFile> before = std::move(file_);
  file_ = std::move(made);
  fileIntact_ = true;
  fileBytes_ = contents.size();
  if (before) {
    SyncNow();
    if (syncer_) syncer_->Forget(before.get());
    before->Remove();
  } else {
    SyncSoon();
  }
  return true;
}

void RecoveryJournal::SyncSoon() {
  if (!syncer_) syncer_ = std::make_unique<JournalSyncer>();
  syncer_->Request(file_);
}

void RecoveryJournal::DropFile() {
  if (file_) {
    if (syncer_) syncer_->Forget(file_.get());
    file_->Remove();
  }
  file_.reset();
  fileIntact_ = true;
  fileBytes_ = 0;
}

void RecoveryJournal::SyncNow() {
  if (file_) file_->Sync();
}

}  // namespace kumodo
