// Nothing of the user's is lost in the editor: a drawing left by an editor
// that ended without saving is offered at the next start and restored
// exactly; opening over a drawing not saved asks first; and the save asks
// before writing its program over a file that no save of ours wrote.
// Editors here start in one working folder and one state folder, as the
// same user's editors do, and "end" as a closed or killed one does: the
// Editor goes without a word, its journal stays.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/file_commands.h"
#include "app/recovery.h"
#include "app/ui_texts.h"
#include "export/basic_program.h"
#include "files/csv_document.h"
#include "files/recovery_journal.h"
#include "platform/text_encoding.h"
#include "screen/palette.h"
#include "support/icons.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;
using scripted::Script;

const PointerPosition kOpenIcon = icons::Face(panel::Files, 0);
const PointerPosition kSaveIcon = icons::Face(panel::Files, 1);

std::vector<OperationRecord> Records(const OperationList& list) {
  return {list.slots.begin(), list.slots.begin() + list.count};
}

std::string Text(const ShownMessageBox& box) { return SjisToUtf8(box.text); }

// An editor started in the test's folders, with the answers to its message
// boxes queued before its start-up asks anything.
struct Started {
  explicit Started(std::vector<MessageBoxAnswer> answers = {}, const Script& script = Script())
      : platform(script.Events(), 1'000'000'000), editor(platform) {
    for (MessageBoxAnswer answer : answers) platform.QueueMessageBoxAnswer(answer);
    StartUp(editor);
  }
  void RunUntil(std::uint64_t ms) {
    while (platform.NowMs() < ms) RunPass(editor);
  }
  HeadlessPlatform platform;
  Editor editor;
};

class Recovery : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (folder.Path() / name).string(); }
  std::vector<std::string> Journals() const { return FindJournals(editorJournals()); }
  std::string editorJournals() const { return Utf8Path(NativePath(UserStateFolder()) / "kumodo"); }
  void Write(const std::string& name, const std::string& bytes) { ASSERT_TRUE(WriteWholeFile(Path(name), bytes).ok); }

  // Opens house.csv (one dot) and draws a line and a dot beside it, by clicks.
  std::unique_ptr<Started> DrawOverHouse() {
    Write("house.csv", "8,5,6,0,0,4,0,1\r\n");
    auto s = std::make_unique<Started>(
        std::vector<MessageBoxAnswer>{},
        Script().ClickAt(10, 10, 10).ClickAt(40, 20, 30).Key(60, vk::F1 + 5).ClickAt(100, 50, 60));
    s->editor.documentPath = Path("house.csv");
    OpenDocument(s->editor);
    s->RunUntil(150);
    EXPECT_EQ(s->editor.operations.count, 3);
    return s;
  }

  scripted::WorkingFolder folder;
};

TEST_F(Recovery, AnEndedEditorsDrawingIsOfferedAndRestoredExactlyWithItsDocument) {
  std::unique_ptr<Started> first = DrawOverHouse();
  const std::vector<OperationRecord> drawn = Records(first->editor.operations);
  ASSERT_EQ(Journals().size(), 1u);
  EXPECT_EQ(ReadJournal(ReadWholeFile(Journals()[0]).value_or("")).records, drawn) << "written as drawn";
  const std::string left = Journals()[0];
  first.reset();  // closed, killed: the journal stays
  ASSERT_TRUE(fs::exists(left));

  Started second({MessageBoxAnswer::Ok});
  ASSERT_EQ(second.platform.messageBoxes.size(), 1u);
  const ShownMessageBox& question = second.platform.messageBoxes[0];
  EXPECT_EQ(SjisToUtf8(question.caption), "復元しますか？");
  EXPECT_EQ(question.buttons, MessageBoxButtons::OkCancel);
  EXPECT_NE(Text(question).find("操作 3 個"), std::string::npos) << Text(question);
  EXPECT_NE(Text(question).find(Path("house.csv")), std::string::npos) << Text(question);
  EXPECT_EQ(Text(question).find(std::string(ui::kDocumentChangedSince)), std::string::npos) << Text(question);
  EXPECT_EQ(Records(second.editor.operations), drawn);
  EXPECT_EQ(second.editor.documentPath, Path("house.csv"));
  EXPECT_EQ(second.platform.titles.back(), Utf8ToSjis("Kumodo BASICジェネレータ - house.csv"));
  EXPECT_EQ(second.editor.images.canvas.Pixels().At(50, 60), PaletteColour(1)) << "the picture replayed";
  EXPECT_FALSE(fs::exists(left)) << "the journal restored goes";
  ASSERT_EQ(Journals().size(), 1u) << "the restoring editor's own";
  EXPECT_EQ(ReadJournal(ReadWholeFile(Journals()[0]).value_or("")).records, drawn);
  EXPECT_EQ(ReadWholeFile(Path("house.csv")).value_or(""), "8,5,6,0,0,4,0,1\r\n") << "never written";

  // Undone back to the document on disk: nothing is left to lose, the journal goes.
  second.platform.AddEvents(Script().Key(200, vk::F12).Key(300, vk::F12).Events());
  second.RunUntil(400);
  EXPECT_EQ(second.editor.operations.count, 1);
  EXPECT_TRUE(Journals().empty());
}

TEST_F(Recovery, ADeclinedDrawingIsKeptAsADocumentAndNotOfferedAgain) {
  std::unique_ptr<Started> first = DrawOverHouse();
  const std::string drawn = CsvText(first->editor.operations);
  const std::string left = Journals().at(0);
  first.reset();

  Started second({MessageBoxAnswer::Cancel});
  ASSERT_EQ(second.platform.messageBoxes.size(), 1u);
  const std::string keptAs = DeclinedDocumentPath(left);
  EXPECT_NE(Text(second.platform.messageBoxes[0]).find(keptAs), std::string::npos) << "the question says where";
  EXPECT_EQ(second.editor.operations.count, 0);
  EXPECT_EQ(ReadWholeFile(keptAs).value_or(""), drawn) << "a document the open command reads";
  EXPECT_TRUE(Journals().empty());

  Started third;
  EXPECT_TRUE(third.platform.messageBoxes.empty());
}

TEST_F(Recovery, ADocumentChangedOrGoneSinceIsSaidAndNeverWrittenOver) {
  for (const bool gone : {false, true}) {
    const support::StateFolder state;  // each case its own
    std::unique_ptr<Started> first = DrawOverHouse();
    const std::vector<OperationRecord> drawn = Records(first->editor.operations);
    first.reset();
    if (gone) {
      fs::remove(Path("house.csv"));
    } else {
      Write("house.csv", "8,9,9,0,0,2,0,1\r\n8,9,10,0,0,2,0,1\r\n");  // changed by someone else meanwhile
    }

    // Restored, then saved over the document: the save's own question comes, answered Cancel.
    Started second({MessageBoxAnswer::Ok, MessageBoxAnswer::Cancel}, Script().ClickAt(10, kSaveIcon.x, kSaveIcon.y));
    second.platform.QueueFileDialogAnswer(Path("house.csv"));
    ASSERT_GE(second.platform.messageBoxes.size(), 1u);
    const std::string text = Text(second.platform.messageBoxes[0]);
    const std::string_view said = gone ? ui::kDocumentGoneSince : ui::kDocumentChangedSince;
    EXPECT_NE(text.find(std::string(said)), std::string::npos) << text;
    EXPECT_EQ(Records(second.editor.operations), drawn) << "the user's work, as drawn";
    second.RunUntil(100);
    if (gone) {
      EXPECT_EQ(second.platform.messageBoxes.size(), 1u) << "nothing there to ask about";
      EXPECT_EQ(ReadWholeFile(Path("house.csv")).value_or(""), CsvText(second.editor.operations));
      fs::remove(Path("house.txt"));
    } else {
      ASSERT_EQ(second.platform.messageBoxes.size(), 2u);
      EXPECT_EQ(SjisToUtf8(second.platform.messageBoxes[1].caption), "上書きしますか？");
      EXPECT_EQ(ReadWholeFile(Path("house.csv")).value_or(""), "8,9,9,0,0,2,0,1\r\n8,9,10,0,0,2,0,1\r\n");
    }
  }
}

// Each editor keeps its own journal; a running one's is never offered,
// claimed or removed by another.
TEST_F(Recovery, TwoEditorsAtOnceKeepTheirOwnJournals) {
  Started running({}, Script().ClickAt(10, 10, 10).ClickAt(40, 20, 30));
  running.RunUntil(100);
  ASSERT_EQ(Journals().size(), 1u);
  const std::string held = Journals()[0];

  auto other =
      std::make_unique<Started>(std::vector<MessageBoxAnswer>{}, Script().ClickAt(10, 100, 100).ClickAt(40, 200, 200));
  EXPECT_TRUE(other->platform.messageBoxes.empty()) << "the running editor's journal is not offered";
  other->RunUntil(100);
  EXPECT_EQ(Journals().size(), 2u);
  other.reset();

  Started third({MessageBoxAnswer::Ok});
  ASSERT_EQ(third.platform.messageBoxes.size(), 1u) << "only the ended editor's";
  EXPECT_EQ(Records(third.editor.operations),
            (std::vector<OperationRecord>{{kind::Line, 100, 100, 200, 200, 1, 0, 1}}));
  EXPECT_TRUE(fs::exists(held));
  EXPECT_EQ(ReadJournal(ReadWholeFile(held).value_or("")).records, Records(running.editor.operations));
}

TEST_F(Recovery, JournalsThatCannotBeRestoredAreSetAsideAndTold) {
  const std::string journals = editorJournals();
  fs::create_directories(NativePath(journals));
  const std::string other = Utf8Path(NativePath(journals) / "recovery-other.journal");
  const std::string garbage = Utf8Path(NativePath(journals) / "recovery-garbage.journal");
  const std::string otherBytes = JournalHeader(kJournalVersion + 1) + "whatever a later version writes";
  ASSERT_TRUE(WriteWholeFile(other, otherBytes).ok);
  ASSERT_TRUE(WriteWholeFile(garbage, std::string(5000, '\x7f')).ok);

  Started first;
  ASSERT_EQ(first.platform.messageBoxes.size(), 2u);
  std::string said;
  for (const ShownMessageBox& box : first.platform.messageBoxes) {
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(SjisToUtf8(box.caption), "描画を復元できません");
    said += Text(box);
  }
  EXPECT_NE(said.find("別のバージョンの Kumodo が書いた記録です (形式 2)"), std::string::npos) << said;
  EXPECT_NE(said.find(std::string(ui::kNotAJournal)), std::string::npos) << said;
  EXPECT_NE(said.find(SetAsidePath(other)), std::string::npos) << "where it is kept: " << said;
  EXPECT_EQ(first.editor.operations.count, 0);
  EXPECT_EQ(ReadWholeFile(SetAsidePath(other)).value_or(""), otherBytes) << "kept whole";
  EXPECT_TRUE(fs::exists(NativePath(SetAsidePath(garbage))));
  EXPECT_TRUE(Journals().empty());

  Started second;
  EXPECT_TRUE(second.platform.messageBoxes.empty()) << "told once";
}

TEST_F(Recovery, AJournalCutShortRestoresWhatWasWholeAndSaysSo) {
  const std::string journals = editorJournals();
  fs::create_directories(NativePath(journals));
  const std::vector<OperationRecord> whole = {{kind::Dot, 1, 2, 0, 0, 3, 0, 1}};
  const std::string cut = AppendEntry(std::vector<OperationRecord>{{kind::Dot, 7, 7, 0, 0, 3, 0, 1}});
  ASSERT_TRUE(WriteWholeFile(Utf8Path(NativePath(journals) / "recovery-cut.journal"),
                             JournalHeader() + DocumentEntry("", {}) + AppendEntry(whole) + cut.substr(0, 12))
                  .ok);
  Started s({MessageBoxAnswer::Ok});
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_NE(Text(s.platform.messageBoxes[0]).find(std::string(ui::kLastRecordCutShort)), std::string::npos);
  EXPECT_NE(Text(s.platform.messageBoxes[0]).find("(名前なし)"), std::string::npos);
  EXPECT_EQ(Records(s.editor.operations), whole);
  EXPECT_EQ(s.platform.titles.size(), 1u) << "a document never saved keeps the plain title";
}

// A journal holding nothing the document does not (an editor ended between
// writing the document and removing it), or nothing at all, goes unasked.
TEST_F(Recovery, AJournalWithNothingToLoseGoesWithoutAQuestion) {
  const std::string journals = editorJournals();
  fs::create_directories(NativePath(journals));
  Write("saved.csv", "8,5,6,0,0,4,0,1\r\n");
  const std::vector<OperationRecord> saved = {{kind::Dot, 5, 6, 0, 0, 4, 0, 1}};
  ASSERT_TRUE(WriteWholeFile(Utf8Path(NativePath(journals) / "recovery-saved.journal"),
                             JournalHeader() + DocumentEntry(Path("saved.csv"), {}) + AppendEntry(saved))
                  .ok);
  ASSERT_TRUE(
      WriteWholeFile(Utf8Path(NativePath(journals) / "recovery-empty.journal"), JournalHeader() + DocumentEntry("", {}))
          .ok);
  Started s;
  EXPECT_TRUE(s.platform.messageBoxes.empty());
  EXPECT_TRUE(Journals().empty());
}

TEST_F(Recovery, ASaveOrAnOpenRemovesTheJournalAndTheNextChangeBeginsAnother) {
  Started s({MessageBoxAnswer::Ok}, Script()
                                        .ClickAt(10, 10, 10)
                                        .ClickAt(40, 20, 30)
                                        .ClickAt(100, kSaveIcon.x, kSaveIcon.y)
                                        .ClickAt(200, 30, 30)
                                        .ClickAt(230, 60, 60)
                                        .ClickAt(300, kOpenIcon.x, kOpenIcon.y));
  s.platform.QueueFileDialogAnswer(Path("saved"));
  s.platform.QueueFileDialogAnswer(Path("saved.csv"));
  s.RunUntil(90);
  EXPECT_EQ(Journals().size(), 1u);
  s.RunUntil(190);
  EXPECT_TRUE(Journals().empty()) << "saved";
  s.RunUntil(290);
  EXPECT_EQ(Journals().size(), 1u) << "drawn again";
  s.RunUntil(400);
  EXPECT_EQ(s.platform.messageBoxes.size(), 1u) << "the open asked first";
  EXPECT_EQ(s.editor.operations.count, 1) << "and opened";
  EXPECT_TRUE(Journals().empty());
}

TEST_F(Recovery, OpeningOverADrawingNotSavedAsksAndCancelKeepsIt) {
  Write("house.csv", "8,5,6,0,0,4,0,1\r\n");
  Started s({MessageBoxAnswer::Cancel},
            Script().ClickAt(10, 10, 10).ClickAt(40, 20, 30).ClickAt(100, kOpenIcon.x, kOpenIcon.y));
  s.platform.QueueFileDialogAnswer(Path("house.csv"));
  s.RunUntil(200);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_EQ(s.platform.messageBoxes[0].text, Utf8ToSjis(ui::kUnsavedDrawingText));
  EXPECT_EQ(s.platform.messageBoxes[0].caption, Utf8ToSjis("開きますか？"));
  EXPECT_EQ(s.platform.messageBoxes[0].buttons, MessageBoxButtons::OkCancel);
  EXPECT_EQ(Records(s.editor.operations), (std::vector<OperationRecord>{{kind::Line, 10, 10, 20, 30, 1, 0, 1}}));
  EXPECT_EQ(s.editor.images.canvas.Pixels().At(10, 10), PaletteColour(1)) << "the drawing still shown";
  EXPECT_EQ(s.platform.titles.size(), 1u) << "the title unchanged";
  EXPECT_EQ(s.platform.beeps, 0);
  EXPECT_EQ(Journals().size(), 1u);

  // Once it is saved, an open asks nothing.
  Started saved({}, Script().ClickAt(10, kOpenIcon.x, kOpenIcon.y).ClickAt(100, kOpenIcon.x, kOpenIcon.y));
  saved.platform.QueueFileDialogAnswer(Path("house.csv"));
  saved.platform.QueueFileDialogAnswer(Path("house.csv"));
  saved.RunUntil(200);
  EXPECT_EQ(saved.platform.messageBoxes.size(), 0u);
  EXPECT_EQ(saved.platform.beeps, 2);
}

TEST_F(Recovery, AJournalThatCannotBeWrittenIsSaidOnTheStatusLine) {
  ASSERT_TRUE(WriteWholeFile(editorJournals(), "a file where the folder would be").ok);
  Started s({}, Script().ClickAt(10, 10, 10).ClickAt(40, 20, 30));
  s.RunUntil(100);
  EXPECT_EQ(s.editor.operations.count, 1);
  const std::string status = SjisToUtf8(RowText(s.editor.screen.text, 36));
  EXPECT_EQ(status.find("復元用の記録を書けません"), 1u) << status;
}

TEST_F(Recovery, TheSaveAsksBeforeWritingItsProgramOverAFileOfTheUsers) {
  Write("notes.txt", "shopping: eggs, milk\r\n");
  Started s({MessageBoxAnswer::Cancel, MessageBoxAnswer::Ok, MessageBoxAnswer::Ok},
            Script()
                .ClickAt(10, 10, 10)
                .ClickAt(40, 20, 30)
                .ClickAt(100, kSaveIcon.x, kSaveIcon.y)
                .ClickAt(200, kSaveIcon.x, kSaveIcon.y)
                .ClickAt(300, kSaveIcon.x, kSaveIcon.y));
  s.platform.QueueFileDialogAnswer(Path("notes"));
  s.platform.QueueFileDialogAnswer(Path("notes"));
  s.platform.QueueFileDialogAnswer(Path("notes"));
  s.RunUntil(190);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_EQ(SjisToUtf8(s.platform.messageBoxes[0].caption), "上書きしますか？");
  EXPECT_NE(Text(s.platform.messageBoxes[0]).find(Path("notes.txt")), std::string::npos)
      << "the question names the file: " << Text(s.platform.messageBoxes[0]);
  EXPECT_EQ(ReadWholeFile(Path("notes.txt")).value_or(""), "shopping: eggs, milk\r\n") << "Cancel writes nothing";
  EXPECT_FALSE(fs::exists(Path("notes.csv")));

  s.RunUntil(290);
  EXPECT_EQ(s.platform.messageBoxes.size(), 2u);
  EXPECT_TRUE(IsProgramFileOfOurs(Path("notes.txt")));
  EXPECT_EQ(ReadWholeFile(Path("notes.csv")).value_or(""), "1,10,10,20,30,1,0,1\r\n");

  // Over its own program the save asks about the document alone.
  s.RunUntil(400);
  ASSERT_EQ(s.platform.messageBoxes.size(), 3u);
  EXPECT_EQ(s.platform.messageBoxes[2].text, Utf8ToSjis(ui::kOverwriteText));
  EXPECT_EQ(s.platform.beeps, 2);
}

}  // namespace
}  // namespace kumodo
