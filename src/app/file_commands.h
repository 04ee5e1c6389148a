#pragma once
// The four buttons of the file panel: open, save, import a picture, settings.
#include "app/editor.h"

namespace kumodo {

// The file panel's buttons, in its order.
enum class FileCommand { Open, Save, Import, Settings };
constexpr int kFileCommandCount = 4;
// The file panel's value while no command runs: no button shows selected.
constexpr int kNoFileCommand = kFileCommandCount;

// Runs the command, then shows no file button selected.
void RunFileCommand(Editor& editor, FileCommand command);

void OpenCommand(Editor& editor);
// The open command after its dialog: reads the document at the document path,
// titles the window and shows the picture, or says why not. A drawing not
// saved is dropped only when the user says so.
void OpenDocument(Editor& editor);
void SaveCommand(Editor& editor);
void ImportCommand(Editor& editor);
void SettingsCommand(Editor& editor);

// "Kumodo BASICジェネレータ - " and the document's file name.
void ShowDocumentTitle(Editor& editor);

}  // namespace kumodo
