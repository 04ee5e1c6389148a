#pragma once
// The four buttons of the file panel: open, save, import a picture, settings.
#include "app/editor.h"

namespace kumodo {

// Runs the command of file panel button 0 to 3, then shows no button selected.
void RunFileCommand(Editor& editor, int button);

void OpenCommand(Editor& editor);
// The open command after its dialog: reads the document at the document path,
// titles the window and shows the picture, or says why not.
void OpenDocument(Editor& editor);
void SaveCommand(Editor& editor);
void ImportCommand(Editor& editor);
void SettingsCommand(Editor& editor);

// "Kumodo BASICジェネレータ - " and the document's file name.
void ShowDocumentTitle(Editor& editor);

}  // namespace kumodo
