#include "app/file_commands.h"

#include <filesystem>

#include "app/document_files.h"
#include "app/panels.h"
#include "app/picture_import.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/status_panel.h"
#include "app/ui_texts.h"
#include "export/basic_program.h"
#include "export/stale_programs.h"
#include "files/csv_document.h"
#include "files/text_file.h"
#include "picture/replay.h"
#include "picture/tools.h"
#include "picture/view.h"

namespace kumodo {
namespace {

std::vector<FileFilter> DocumentFilters() {
  return {{Utf8ToSjis(ui::kDocumentFilter), "*.csv"}, {Utf8ToSjis(ui::kAllFilesFilter), "*"}};
}

// Every dialog replaces the document path, with nothing when cancelled.
bool Choose(Editor& editor, std::optional<std::string> chosen) {
  editor.documentPath = chosen.value_or("");
  return chosen.has_value();
}

// The CSV document, then the program beside it. Once the document is
// written it holds the picture, and the title says so, also when the
// program then fails: the message names the file written and the one not.
void SaveDocumentFiles(Editor& editor, const std::string& csvPath) {
  CutProgramCheckShort(editor);
  const FileResult document = SaveCsvDocument(editor);
  if (!document.ok) {
    ReportFileProblem(editor, ui::kCannotSaveCaption, ui::kDocumentNotWritten, csvPath, document.reason);
    return;
  }
  ShowDocumentTitle(editor);
  const WrittenProgram program = GenerateBasicProgram(editor);
  if (!program.written.ok) {
    ReportFileProblem(editor, ui::kPartlySavedCaption, ui::ProgramNotWritten(csvPath),
                      DocumentProgramPath(editor.documentPath), program.written.reason);
    return;
  }
  ListIsDocument(editor);
  editor.platform.Beep();
  // Parts kumodo-export wrote for an earlier version of the document would
  // be copied to the machine with the new program.
  const StalePrograms stale = RemoveStalePrograms(editor.documentPath, 1);
  if (!stale.left.empty()) {
    editor.platform.ShowMessageBox(Utf8ToSjis(ui::StaleProgramsLeft(stale.left)), Utf8ToSjis(ui::kStaleProgramsCaption),
                                   MessageBoxButtons::Ok, MessageBoxIcon::Warning);
  }
  CheckSavedProgram(editor, program.memory);
}

// Asks whether the save may replace a file that is there; true on OK.
bool MayReplace(Editor& editor, const std::string& text) {
  return editor.platform.ShowMessageBox(Utf8ToSjis(text), Utf8ToSjis(ui::kOverwriteCaption),
                                        MessageBoxButtons::OkCancel, MessageBoxIcon::Warning) == MessageBoxAnswer::Ok;
}

// A file at the program's name that no save of ours wrote (the user's
// notes.txt beside a drawing saved as "notes") is the user's: it is
// replaced only when the user says so. Our own programs are replaced as
// always. A link there, or what is no file, the save's own rules decide
// (WriteWholeFile): only the user's own links are written through.
bool MayReplaceProgram(Editor& editor, const std::string& programPath) {
  return !IsUsersOwnFile(programPath) || MayReplace(editor, ui::NotAProgramOfOurs(programPath));
}

}  // namespace

void ShowDocumentTitle(Editor& editor) {
  editor.platform.SetWindowTitle(Utf8ToSjis(std::string(ui::kWindowTitle) + " - " + FileNamePart(editor.documentPath)));
}

void OpenCommand(Editor& editor) {
  if (Choose(editor, editor.platform.ChooseFileToOpen(DocumentFilters()))) OpenDocument(editor);
}

void OpenDocument(Editor& editor) {
  if (!LoadCsvDocument(editor, [&] { return MayDropDrawing(editor); })) {
    // As after a failed save: the progress panel must not stay over the picture.
    ShowPreviewBase(editor);
    return;
  }
  CutProgramCheckShort(editor);
  ListIsDocument(editor);
  editor.undone.groups.clear();
  ShowDocumentTitle(editor);
  ReplayPicture(editor, kNoProbe);
  ShowMagnifier(editor);
  editor.platform.Beep();
}

void SaveCommand(Editor& editor) {
  if (!Choose(editor, editor.platform.ChooseFileToSave(DocumentFilters()))) return;
  // Ask about the file that will really be replaced: the CSV file, also when
  // the typed name has no extension.
  const std::string csvPath = DocumentCsvPath(editor.documentPath);
  std::error_code error;
  const bool exists = std::filesystem::exists(NativePath(csvPath), error);
  // The clean image already holds the finished picture; committing the
  // canvas here would keep a pending line's rubber band in it for good.
  const bool save = (!exists || MayReplace(editor, std::string(ui::kOverwriteText))) &&
                    MayReplaceProgram(editor, DocumentProgramPath(editor.documentPath));
  if (save) SaveDocumentFiles(editor, csvPath);
  ShowPreviewBase(editor);
}

void ImportCommand(Editor& editor) {
  const std::vector<FileFilter> filters = {{Utf8ToSjis(ui::kPictureFilter), "*.bmp;*.jpg;*.gif;*.png"},
                                           {Utf8ToSjis(ui::kAllFilesFilter), "*"}};
  if (!Choose(editor, editor.platform.ChooseFileToOpen(filters))) return;
  Image& picture = editor.images.import;
  // A picture that cannot be read is said so; reducing the empty image
  // instead would wipe the underlays and beep as if it had worked. One too
  // large gets the size warning, from its header alone.
  const bool loaded = picture.Load(editor.documentPath);
  if (!loaded && !PictureTooLarge(picture.Loaded().width, picture.Loaded().height)) {
    ReportFileProblem(editor, ui::kPictureNotReadCaption, ui::kPictureNotRead, editor.documentPath,
                      PictureNotReadReason(picture.Loaded(), editor.documentPath));
    return;
  }
  ImportPicture(editor);
  if (loaded) editor.platform.Beep();
}

void SettingsCommand(Editor& editor) {
  editor.platform.Beep();
  SettingsScreen(editor);
}

void RunFileCommand(Editor& editor, FileCommand command) {
  // Opening, importing and the settings end a line under way, whatever the
  // dialogs answer: a polyline would otherwise go on into another document,
  // picture or resolution with its old chain numbers and first point.
  if (command != FileCommand::Save) CancelLine(editor);
  if (command == FileCommand::Settings) {
    SettingsCommand(editor);
  } else if (!editor.platform.PromptsAvailable()) {
    // Without its dialogs a file command could only ever seem cancelled.
    ShowStatusMessage(editor, std::string(ui::kNoPrompts));
  } else if (command == FileCommand::Open) {
    OpenCommand(editor);
  } else if (command == FileCommand::Save) {
    SaveCommand(editor);
  } else {
    ImportCommand(editor);
  }
  editor.panels.value[panel::Files] = kNoFileCommand;
  DrawPanel(editor, panel::Files);
  FlushScreen(editor.screen);
}

}  // namespace kumodo
