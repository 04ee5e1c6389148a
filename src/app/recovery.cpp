#include "app/recovery.h"

#include "app/document_files.h"
#include "app/file_commands.h"
#include "app/status_panel.h"
#include "app/ui_texts.h"
#include "files/csv_document.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/view.h"

namespace kumodo {
namespace {

std::vector<OperationRecord> Records(const OperationList& list) {
  return {list.slots.begin(), list.slots.begin() + list.count};
}

// What the document's file holds now: nothing saved for a document never
// saved; nothing known when the file cannot be read as a document.
std::optional<std::vector<OperationRecord>> DocumentRecordsNow(const std::string& documentPath) {
  if (documentPath.empty()) return std::vector<OperationRecord>();
  OperationList read;
  if (!ReadCsvDocument(DocumentCsvPath(documentPath), read).ok) return std::nullopt;
  return Records(read);
}

// Under another name, so that it is neither lost nor offered again.
void SetAside(Editor& editor, LockedFile& journal, const std::string& why) {
  std::string reason;
  if (journal.MoveTo(SetAsidePath(journal.Path()), &reason)) {
    ReportFileProblem(editor, ui::kRestoreFailedCaption, ui::kJournalSetAside, journal.Path(), why);
  } else {
    ReportFileProblem(editor, ui::kRestoreFailedCaption, ui::kJournalNotSetAside, journal.Path(), why + "\n" + reason);
  }
}

// The lines of the question about the document and the journal's end.
std::string RestoreNotes(const JournalRead& read) {
  std::string notes;
  if (!read.documentPath.empty()) {
    const FileStamp now = StampOfFile(DocumentCsvPath(read.documentPath));
    if (!now.exists) {
      notes += std::string(ui::kDocumentGoneSince) + "\n";
    } else if (now != read.document) {
      notes += std::string(ui::kDocumentChangedSince) + "\n";
    }
  }
  if (read.bytesDropped > 0) notes += std::string(ui::kLastRecordCutShort) + "\n";
  return notes;
}

// The journal's list, document path and title, as they were. The
// document's file is compared with, never written. True once this editor's
// own journal holds the list, on the disk.
bool Restore(Editor& editor, const JournalRead& read, std::optional<std::vector<OperationRecord>> documentNow) {
  editor.journal.SetDocument(read.documentPath, read.document, std::move(documentNow));
  editor.operations = ListOfRecords(read.records);
  editor.undone.groups.clear();
  editor.documentPath = read.documentPath;
  if (!editor.documentPath.empty()) ShowDocumentTitle(editor);
  ReplayPicture(editor, kNoProbe);
  ShowMagnifier(editor);
  JournalChanges(editor);
  editor.journal.SyncNow();
  return !editor.journal.FilePath().empty();
}

// Kept as a document the open command reads; the journal goes once it is.
void KeepDeclined(Editor& editor, LockedFile& journal, const JournalRead& read, const std::string& keptAs) {
  const FileResult kept = WriteWholeFile(keptAs, CsvText(ListOfRecords(read.records)));
  if (kept.ok) {
    journal.Remove();
  } else {
    ReportFileProblem(editor, ui::kCannotSaveCaption, ui::kDeclinedNotKept, keptAs, kept.reason);
  }
}

// True when this journal was restored.
bool Offer(Editor& editor, LockedFile& journal) {
  std::string reason;
  const std::optional<std::string> bytes = journal.ReadAll(kMaxJournalBytes, &reason);
  if (!bytes) {
    SetAside(editor, journal, reason);
    return false;
  }
  // Claimed between its making and its first write: an editor starting now holds it next.
  if (bytes->empty()) return false;
  const JournalRead read = ReadJournal(*bytes);
  if (read.problem != JournalRead::Problem::None) {
    SetAside(editor, journal,
             read.problem == JournalRead::Problem::OtherVersion ? ui::JournalOfOtherVersion(read.version)
                                                                : std::string(ui::kNotAJournal));
    return false;
  }
  std::optional<std::vector<OperationRecord>> documentNow = DocumentRecordsNow(read.documentPath);
  if (documentNow == read.records) {
    // Everything in it is in the document (or it holds nothing): nothing to lose.
    journal.Remove();
    return false;
  }
  const std::string keptAs = DeclinedDocumentPath(journal.Path());
  const std::string document = read.documentPath.empty() ? "" : DocumentCsvPath(read.documentPath);
  const MessageBoxAnswer answer = editor.platform.ShowMessageBox(
      Utf8ToSjis(ui::RestoreQuestion(static_cast<int>(read.records.size()), document, RestoreNotes(read), keptAs)),
      Utf8ToSjis(ui::kRestoreCaption), MessageBoxButtons::OkCancel, MessageBoxIcon::Warning);
  if (answer != MessageBoxAnswer::Ok) {
    KeepDeclined(editor, journal, read, keptAs);
    return false;
  }
  // The journal restored from stays until this editor's own holds the drawing.
  if (Restore(editor, read, std::move(documentNow))) journal.Remove();
  return true;
}

}  // namespace

void OfferRecovery(Editor& editor) {
  for (const std::string& path : FindJournals(editor.folders.journals)) {
    LockedFile::ClaimRefusal refusal;
    const std::unique_ptr<LockedFile> journal = LockedFile::Claim(path, &refusal);
    if (journal && Offer(editor, *journal)) return;
  }
}

void JournalChanges(Editor& editor) {
  if (const std::optional<std::string> problem = editor.journal.TakeChanges(editor.operations)) {
    ShowStatusMessage(editor, ui::JournalNotWritten(*problem));
  }
}

void ListIsDocument(Editor& editor) {
  const std::string& path = editor.documentPath;
  editor.journal.SetDocument(path, StampOfFile(DocumentCsvPath(path)), Records(editor.operations));
  JournalChanges(editor);
}

bool MayDropDrawing(Editor& editor) {
  JournalChanges(editor);
  return !editor.journal.Unsaved() ||
         editor.platform.ShowMessageBox(Utf8ToSjis(ui::kUnsavedDrawingText), Utf8ToSjis(ui::kUnsavedDrawingCaption),
                                        MessageBoxButtons::OkCancel, MessageBoxIcon::Warning) == MessageBoxAnswer::Ok;
}

}  // namespace kumodo
