#pragma once
// Every text the editor shows, in UTF-8. The screen's text layer, the window
// title and the prompts take Shift-JIS: each text is converted (Utf8ToSjis)
// where it is handed to them, together with the paths and numbers around it.
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"

namespace kumodo::ui {

inline constexpr std::string_view kWindowTitle = "Kumodo BASICジェネレータ";

// The progress panel of the file commands.
inline constexpr std::string_view kWriting = "書き込み中";
inline constexpr std::string_view kReading = "読み込み中";

// The settings screen and the labels of the status panel.
inline constexpr std::string_view kEditingResolutionHeading = "画面編集の解像度";
inline constexpr std::string_view kBasicOutputHeading = "BASICファイル出力の設定";
inline constexpr std::string_view kResolutionHeading = "解像度";
inline constexpr std::string_view kTilingHeading = "タイリング機能の有無";
inline constexpr std::string_view kLines = "ライン";
inline constexpr std::string_view kDrawingColourLabel = "描画色(ﾃﾝｷｰ  0～7)";
inline constexpr std::string_view kBorderColourLabel = "境界色(ﾒｲﾝｷｰ 0～7)";

// The file dialogs' filters and the overwrite question.
inline constexpr std::string_view kDocumentFilter = "csv ファイル(*.csv)";
inline constexpr std::string_view kPictureFilter = "Bmp/Jpegファイル(*.bmp;*.jpg;*.gif)";
inline constexpr std::string_view kAllFilesFilter = "すべてのファイル(*.*)";
inline constexpr std::string_view kOverwriteText = "既にファイルがあります";
inline constexpr std::string_view kOverwriteCaption = "上書きしますか？";
// Asked, with the overwrite question's caption, before the save writes its
// program over a file that is no program of this editor.
inline std::string NotAProgramOfOurs(const std::string& path) {
  return "BASIC プログラムではないファイルがあります:\n" + path +
         "\n保存すると、このファイルは BASIC プログラムに置き換わります";
}
// Said after a save when files beside the document may be parts of an
// earlier program of it that the save could not tell for sure.
inline constexpr std::string_view kStaleProgramsCaption = "古いプログラム";
inline std::string StaleProgramsLeft(const std::vector<std::string>& paths) {
  std::string text = "この文書の以前のプログラムの一部かもしれないファイルが残っています:\n";
  for (const std::string& path : paths) text += path + "\n";
  return text + "実機にコピーする前に確かめて下さい";
}
// Asked before opening a document over a drawing that is not saved.
inline constexpr std::string_view kUnsavedDrawingText = "保存していない描画があります。開くと、今の描画は失われます";
inline constexpr std::string_view kUnsavedDrawingCaption = "開きますか？";

// The import.
inline constexpr std::string_view kPictureTooLarge = "画像サイズオーバーです。640×400dot以内にして下さい";
inline constexpr std::string_view kPictureTooLargeCaption = "画像サイズオーバー";
inline constexpr std::string_view kReductionQuestion = "グレースケール(8階調)をデジタル8色に変換しますか？";
inline constexpr std::string_view kReductionCaption = "減色モードの設定";
inline constexpr std::string_view kPictureNotReadCaption = "画像を読み込めません";
inline constexpr std::string_view kPictureNotRead = "画像を読み込めませんでした:";

// Documents and settings that cannot be read or written.
inline constexpr std::string_view kCannotSaveCaption = "保存できません";
inline constexpr std::string_view kDocumentNotWritten = "文書を書き込めませんでした:";
inline constexpr std::string_view kPartlySavedCaption = "一部だけ保存しました";
inline std::string ProgramNotWritten(const std::string& documentPath) {
  return "文書は保存しました:\n" + documentPath + "\nBASIC プログラムは書き込めませんでした:";
}
inline constexpr std::string_view kSettingsNotWritten = "設定を書き込めませんでした:";
inline constexpr std::string_view kCannotReadCaption = "読み込めません";
inline constexpr std::string_view kDocumentNotOpened = "文書を開けませんでした:";
inline constexpr std::string_view kLinesLeftOutCaption = "読み込み";
inline std::string LinesLeftOut(int kept, int leftOut) {
  return "この文書は " + std::to_string(kept) + " 行を超えています。最初の " + std::to_string(kept) +
         " 行を読み込み、残りの " + std::to_string(leftOut) + " 行は読み込んでいません。";
}

// The recovery journal: the restore question at start-up, and a journal
// that cannot be restored or written.
inline constexpr std::string_view kRestoreCaption = "復元しますか？";
inline constexpr std::string_view kDocumentChangedSince =
    "文書のファイルは、この描画の後に変更されています。復元しても、保存するまで文書は書き換えません";
inline constexpr std::string_view kDocumentGoneSince = "文書のファイルは、今はありません";
inline constexpr std::string_view kLastRecordCutShort = "最後の書きかけの記録は読み込みません";
// `notes` are the lines above that apply; `keptAs` where a declined drawing is kept.
inline std::string RestoreQuestion(int records, const std::string& document, const std::string& notes,
                                   const std::string& keptAs) {
  return "保存されていない描画が残っています (操作 " + std::to_string(records) +
         " 個)\n文書: " + (document.empty() ? std::string("(名前なし)") : document) + "\n" + notes +
         "OK で復元します。キャンセルすると復元せずに、描画を次の文書に残します:\n" + keptAs;
}
inline constexpr std::string_view kRestoreFailedCaption = "描画を復元できません";
inline constexpr std::string_view kJournalSetAside = "復元用の記録を復元できないため、別の名前で残しました:";
inline constexpr std::string_view kJournalNotSetAside = "復元用の記録を復元できず、別の名前にもできませんでした:";
inline constexpr std::string_view kNotAJournal = "復元用の記録の形式ではありません";
inline std::string JournalOfOtherVersion(int version) {
  return "別のバージョンの Kumodo が書いた記録です (形式 " + std::to_string(version) + ")";
}
inline constexpr std::string_view kDeclinedNotKept =
    "描画を文書として残せませんでした。復元用の記録は、次の起動までそのまま残します:";

// The picture command (F9): the hint after an import, what it drew, and
// why it drew nothing.
inline constexpr std::string_view kDrawPictureHint =
    "F9 で取り込んだ画像を、1 つのプログラムに収まる記録で描画します (元に戻すと消えます)";
inline constexpr std::string_view kDrawingPicture = "画像を描画中";
inline constexpr std::string_view kNoPictureImported = "先に画像を取り込んで下さい: F9 は取り込んだ画像を描画します";
inline constexpr std::string_view kPictureNeedsNoRecord = "この画像は黒だけです: 描画する記録はありません";
inline std::string PictureDrawn(int records, std::size_t bytes, std::size_t budget, double rgbError,
                                std::optional<double> luminanceError) {
  char errors[48];
  std::snprintf(errors, sizeof errors, "RGB %.1f", rgbError);
  std::string text = "画像を描画: 記録 " + std::to_string(records) + " 個, " + std::to_string(bytes) + "/" +
                     std::to_string(budget) + " バイト, ぼかした誤差 " + errors;
  if (luminanceError) {
    std::snprintf(errors, sizeof errors, " 輝度 %.1f", *luminanceError);
    text += errors;
  }
  return text;
}
inline std::string NoRoomForPicture(int records, int room) {
  return "記録が多すぎて描画できません: 画像は " + std::to_string(records) + " 個、残りは " + std::to_string(room) +
         " 個です";
}

// The status line.
inline constexpr std::string_view kNoPrompts =
    "ファイルのダイアログを出せません: プロンプト用のプログラム kumodo-prompt が kumodo の隣にありません";
// Without res/ the panels show no icon nor label.
inline std::string NoResources(const std::string& path) {
  return "画面の部品 (res/) が見つかりません (" + path + "): アイコンと見出しが出ません";
}

inline std::string JournalNotWritten(const std::string& reason) {
  return "復元用の記録を書けません: 保存していない描画は、終了すると失われます (" + reason + ")";
}
inline std::string NoCommandFile(const std::string& path) {
  return "BASIC のコマンドファイルが見つかりません (" + path + "): 保存するプログラムには命令が入りません";
}

// After a save, what the machine's BASIC would make of its program: `used`
// of `free` bytes once loaded; a fill it would never end, or `dots` of its
// picture left differing by fills that stop short; the check still going on
// after the save, or cut short. Each line holds 98 bytes of Shift-JIS,
// numbers included.
inline std::string ProgramTooLarge(std::size_t used, std::size_t free) {
  return "プログラムがメモリに収まりません (" + std::to_string(used) + "/" + std::to_string(free) +
         " バイト): kumodo-export --machine で分けられます";
}
inline std::string FillsLeaveDots(long long dots) {
  return "機械の PAINT では塗り残しで絵が " + std::to_string(dots) +
         " ドット違います: kumodo-export --machine で補えます";
}
inline constexpr std::string_view kFillNeverEnds =
    "機械の PAINT では終わらない塗りつぶしがあります: kumodo-export --machine で直せます";
inline std::string ProgramTooLargeAndFillsLeaveDots(std::size_t used, std::size_t free, long long dots) {
  return "メモリに収まらず (" + std::to_string(used) + "/" + std::to_string(free) + " バイト) 塗り残し " +
         std::to_string(dots) + " ドット: kumodo-export --machine で直せます";
}
inline std::string ProgramTooLargeAndFillNeverEnds(std::size_t used, std::size_t free) {
  return "メモリに収まらず (" + std::to_string(used) + "/" + std::to_string(free) +
         " バイト) 終わらない塗りつぶし: kumodo-export --machine で直せます";
}
inline constexpr std::string_view kCheckingOnTheMachine = "保存したプログラムの絵を機械の PAINT で確かめています";
inline constexpr std::string_view kCheckCutShort = "保存したプログラムの絵を機械の PAINT で確かめるのは打ち切りました";
inline std::string ProgramTooLargeAndChecking(std::size_t used, std::size_t free) {
  return "メモリに収まりません (" + std::to_string(used) + "/" + std::to_string(free) +
         " バイト): 機械の PAINT で絵を確かめています";
}
inline std::string ProgramTooLargeAndCheckCutShort(std::size_t used, std::size_t free) {
  return "メモリに収まりません (" + std::to_string(used) + "/" + std::to_string(free) +
         " バイト): 機械の PAINT での確かめは打ち切りました";
}

}  // namespace kumodo::ui
