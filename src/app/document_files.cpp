#include "app/document_files.h"

#include <algorithm>
#include <chrono>

#include "app/status_panel.h"
#include "app/ui_texts.h"
#include "export/basic_program.h"
#include "export/machine_program.h"
#include "files/csv_document.h"
#include "files/text_file.h"
#include "platform/text_encoding.h"
#include "screen/layout.h"
#include "screen/primitives.h"

namespace kumodo {

void ShowProgressPanel(Editor& editor, const std::string& message) {
  const ScreenBox& tiles = kProgressPanelTiles;
  DrawPanelTiles(editor.images.panel, tiles.left, tiles.top, tiles.right - tiles.left + 1,
                 tiles.bottom - tiles.top + 1);
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, kProgressMessageColumn, kProgressMessageRow);
  PrintText(editor.screen, message + "\r\n");
  SetTextColours(text, 7, 0);
  const ScreenBox& frame = kProgressFrame;
  DrawLine(editor.screen, frame.left, frame.top, false, frame.right, frame.bottom, 7, kFilledBoxMode, 7);
  DrawLine(editor.screen, frame.left, frame.top, false, frame.right, frame.bottom, 0, kBoxMode, 0);
  FlushScreen(editor.screen);
}

namespace {

void EraseProgressMessage(Editor& editor) {
  TextLayer& text = editor.screen.text;
  SetTextColours(text, 0, -1);
  LocateText(text, kProgressMessageColumn, kProgressMessageRow);
  PrintText(editor.screen, "          \r\n");
  SetTextColours(text, 7, 0);
  FlushScreen(editor.screen);
}

// The check of a saved program: what a save waits for, what each pass of
// the main loop gives it, and the most it gets in all. Time the processor
// spends, not the platform's clock, which only the sleeps move in the
// scripted editor.
constexpr std::chrono::milliseconds kCheckInSave{100};
constexpr std::chrono::milliseconds kCheckInPass{5};
constexpr std::chrono::seconds kCheckAtMost{60};

// Goes on with the check for about `share` (a record once begun is finished).
bool AdvanceCheck(ProgramCheck& check, std::chrono::milliseconds share) {
  const auto start = std::chrono::steady_clock::now();
  const bool done = check.running->Advance([&] { return std::chrono::steady_clock::now() - start >= share; });
  check.spent += std::chrono::steady_clock::now() - start;
  return done;
}

void ProgressBarTo(Editor& editor, int right) {
  DrawLine(editor.screen, kProgressBar.left, kProgressBar.top, false, right, kProgressBar.bottom, 1, kFilledBoxMode, 1);
}

}  // namespace

void ProgressBarShare(Editor& editor, double share) {
  ProgressBarTo(editor, kProgressBar.left + static_cast<int>((kProgressBar.right - kProgressBar.left) *
                                                             std::clamp(share, 0.0, 1.0)));
  FlushScreen(editor.screen);
}

void ReportFileProblem(Editor& editor, std::string_view captionUtf8, std::string_view whatUtf8, const std::string& path,
                       const std::string& reason) {
  editor.platform.ShowMessageBox(Utf8ToSjis(std::string(whatUtf8) + "\n" + path + "\n" + reason),
                                 Utf8ToSjis(std::string(captionUtf8)), MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

FileResult SaveCsvDocument(Editor& editor) {
  const OperationList& list = editor.operations;
  ShowProgressPanel(editor, Utf8ToSjis(ui::kWriting));
  for (int i = 0; i < list.count; i += 100) {
    const double fraction = list.count > 1 ? static_cast<double>(i) / (list.count - 1) : 0.0;
    ProgressBarTo(editor, static_cast<int>(kProgressBar.left + (kProgressBarMiddle - kProgressBar.left) * fraction));
  }
  const FileResult result = WriteWholeFile(DocumentCsvPath(editor.documentPath), CsvText(list));
  EraseProgressMessage(editor);
  return result;
}

WrittenProgram GenerateBasicProgram(Editor& editor) {
  const OperationList& list = editor.operations;
  ProgressBarTo(editor, kProgressBarMiddle);
  const std::string text =
      BasicProgramText(list, editor.settings, editor.basicCommands, editor.tileStrings, [&](int i) {
        const int half = kProgressBar.right - kProgressBarMiddle;
        ProgressBarTo(editor, kProgressBarMiddle + (list.count > 1 ? half * i / (list.count - 1) : 0));
      });
  FlushScreen(editor.screen);
  return {WriteWholeFile(DocumentProgramPath(editor.documentPath), text, LinksFollowed::OwnOnly),
          EstimateProgramMemory(text)};
}

std::string MachineAdvice(std::size_t used, const MachineVerdict& verdict) {
  const bool fits = ProgramFits(used, kFreeAreaBytes);
  if (verdict.neverEnds) {
    return fits ? std::string(ui::kFillNeverEnds) : ui::ProgramTooLargeAndFillNeverEnds(used, kFreeAreaBytes);
  }
  if (verdict.differingDots > 0) {
    return fits ? ui::FillsLeaveDots(verdict.differingDots)
                : ui::ProgramTooLargeAndFillsLeaveDots(used, kFreeAreaBytes, verdict.differingDots);
  }
  return fits ? "" : ui::ProgramTooLarge(used, kFreeAreaBytes);
}

void CheckSavedProgram(Editor& editor, const ProgramMemory& memory) {
  const OperationList& list = editor.operations;
  ProgramCheck& check = editor.programCheck;
  check.running = std::make_unique<MachineCheck>(
      std::span<const OperationRecord>(list.slots.data(), static_cast<std::size_t>(list.count)), editor.settings,
      editor.tileStrings);
  const std::size_t empty = EmptyProgramBytes(editor.settings, editor.basicCommands, editor.tileStrings);
  check.used = memory.program - std::min(memory.program, empty);
  check.spent = {};
  if (AdvanceCheck(check, kCheckInSave)) {
    ShowStatusMessage(editor, MachineAdvice(check.used, check.running->Verdict()));
    check.running.reset();
    return;
  }
  ShowStatusMessage(editor, ProgramFits(check.used, kFreeAreaBytes)
                                ? std::string(ui::kCheckingOnTheMachine)
                                : ui::ProgramTooLargeAndChecking(check.used, kFreeAreaBytes));
}

void ContinueProgramCheck(Editor& editor) {
  ProgramCheck& check = editor.programCheck;
  if (!check.running) return;
  if (check.spent >= kCheckAtMost) {
    CutProgramCheckShort(editor);
    return;
  }
  if (AdvanceCheck(check, kCheckInPass)) {
    ShowStatusMessage(editor, MachineAdvice(check.used, check.running->Verdict()));
    check.running.reset();
  }
}

void CutProgramCheckShort(Editor& editor) {
  ProgramCheck& check = editor.programCheck;
  if (!check.running) return;
  check.running.reset();
  ShowStatusMessage(editor, ProgramFits(check.used, kFreeAreaBytes)
                                ? std::string(ui::kCheckCutShort)
                                : ui::ProgramTooLargeAndCheckCutShort(check.used, kFreeAreaBytes));
}

bool LoadCsvDocument(Editor& editor, const std::function<bool()>& mayReplace) {
  ShowProgressPanel(editor, Utf8ToSjis(ui::kReading));
  OperationList loaded;
  const DocumentRead read =
      ReadCsvDocument(editor.documentPath, loaded, [&](std::size_t at, std::size_t size) {
        ProgressBarTo(
            editor, static_cast<int>(kProgressBar.left + (kProgressBar.right - kProgressBar.left) *
                                                             static_cast<double>(at) / std::max<std::size_t>(size, 1)));
      });
  EraseProgressMessage(editor);
  if (!read.ok) {
    ReportFileProblem(editor, ui::kCannotReadCaption, ui::kDocumentNotOpened, editor.documentPath, read.reason);
    return false;
  }
  if (read.linesLeftOut > 0) {
    editor.platform.ShowMessageBox(Utf8ToSjis(ui::LinesLeftOut(kMaxOperations, read.linesLeftOut)),
                                   Utf8ToSjis(ui::kLinesLeftOutCaption), MessageBoxButtons::Ok,
                                   MessageBoxIcon::Warning);
  }
  if (mayReplace && !mayReplace()) return false;
  editor.operations = std::move(loaded);
  return true;
}

}  // namespace kumodo
