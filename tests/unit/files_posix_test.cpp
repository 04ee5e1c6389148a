// Files and pictures where only a POSIX system sets the scene: links, modes
// and owners, FIFOs and devices, a full file system, another user, and the
// memory a refused picture costs.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/document_files.h"
#include "app/file_commands.h"
#include "app/main_loop.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "export/basic_program.h"
#include "files/csv_document.h"
#include "files/program_folders.h"
#include "files/recovery_journal.h"
#include "pictures/picture_decode.h"
#include "platform/file_system.h"
#include "platform/file_system_posix.h"
#include "platform/text_encoding.h"
#include "support/peak_memory.h"
#include "support/picture_bombs.h"
#include "support/scripted_editor.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

std::string Read(const fs::path& path) { return ReadWholeFile(path.string()).value_or("<unreadable>"); }

void Put(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A folder of its own for each test, which the user "nobody" may use too.
class Scene {
 public:
  Scene() : path_(fs::temp_directory_path() / ("kumodo-files-" + std::to_string(::getpid()) + "-" + std::to_string(made_++))) {
    fs::create_directories(path_);
    fs::permissions(path_, fs::perms::all);
  }
  ~Scene() {
    std::error_code error;
    fs::permissions(path_, fs::perms::all, error);
    for (const auto& entry : fs::recursive_directory_iterator(path_, error)) fs::permissions(entry, fs::perms::all, error);
    fs::remove_all(path_, error);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& Path() const { return path_; }

 private:
  static inline int made_ = 0;
  fs::path path_;
};

// Runs the check as the user "nobody" (root passes every permission check,
// so what a user meets is only seen without it) in a child process. The
// check returns what went wrong, nothing when all held.
std::string AsUnprivileged(const std::function<std::string()>& check) {
  if (::geteuid() != 0) return check();
  int channel[2];
  if (::pipe(channel) != 0) return "no pipe";
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    std::string failures = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? check() : "could not become nobody";
    if (::write(channel[1], failures.data(), failures.size()) < 0) failures.clear();
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string failures;
  char buffer[1024];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) failures.append(buffer, static_cast<std::size_t>(n));
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status)) failures += "the check ended by signal " + std::to_string(WTERMSIG(status));
  return failures;
}

// Collects what does not hold, for a check run in another process.
struct Findings {
  std::ostringstream text;
  void Expect(bool holds, const std::string& what) {
    if (!holds) text << what << "\n";
  }
  std::string Done() const { return text.str(); }
};

TEST(Saving, WritesThroughASymbolicLinkAndKeepsHardLinksModeAndOwner) {
  Scene scene;
  fs::create_directories(scene / "real");
  Put(scene / "real" / "house.csv", "old");
  fs::create_symlink(fs::path("real") / "house.csv", scene / "house.csv");
  ASSERT_TRUE(WriteWholeFile((scene / "house.csv").string(), "new").ok);
  EXPECT_TRUE(fs::is_symlink(scene / "house.csv")) << "the link stays a link";
  EXPECT_EQ(Read(scene / "real" / "house.csv"), "new");

  Put(scene / "a.csv", "old");
  fs::create_hard_link(scene / "a.csv", scene / "b.csv");
  fs::permissions(scene / "a.csv", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((scene / "a.csv").c_str(), kNobody, kNobody), 0);
  }
  ASSERT_TRUE(WriteWholeFile((scene / "a.csv").string(), "new").ok);
  EXPECT_EQ(Read(scene / "b.csv"), "new") << "both names still share the file";
  EXPECT_EQ(fs::hard_link_count(scene / "a.csv"), 2u);
  struct stat info;
  ASSERT_EQ(::stat((scene / "a.csv").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  if (::geteuid() == 0) {
    EXPECT_EQ(info.st_uid, kNobody);
  }

  Put(scene / "c.csv", "old");
  fs::permissions(scene / "c.csv", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteWholeFile((scene / "c.csv").string(), "new").ok);
  ASSERT_EQ(::stat((scene / "c.csv").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "replaced by rename, the mode is the old one";
  EXPECT_EQ(std::distance(fs::directory_iterator(scene.Path()), fs::directory_iterator()), 5) << "no temporary file left";
}

TEST(Saving, LongLegalNamesSave) {
  Scene scene;
  for (std::size_t length : {245u, 250u, 255u}) {
    const fs::path path = scene / (std::string(length - 4, 'n') + ".csv");
    EXPECT_TRUE(WriteWholeFile(path.string(), "ok").ok) << length;
    EXPECT_EQ(Read(path), "ok");
  }
}

TEST(Saving, AReadOnlyDocumentIsRefusedAndKept) {
  Scene scene;
  const std::string failures = AsUnprivileged([&] {
    Findings f;
    Put(scene / "ro.csv", "old");
    fs::permissions(scene / "ro.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const FileResult result = WriteWholeFile((scene / "ro.csv").string(), "new");
    f.Expect(!result.ok, "a read-only file was replaced");
    f.Expect(result.reason.find("読み取り専用") != std::string::npos, "the reason does not say read-only: " + result.reason);
    f.Expect(Read(scene / "ro.csv") == "old", "the read-only file changed");
    return f.Done();
  });
  EXPECT_EQ(failures, "");
  // Root may write it, but a file marked read-only is still not replaced.
  EXPECT_FALSE(WriteWholeFile((scene / "ro.csv").string(), "new").ok);
}

TEST(Saving, AWritableFileInAFolderThatIsNotIsWrittenInPlace) {
  Scene scene;
  const std::string failures = AsUnprivileged([&] {
    Findings f;
    fs::create_directories(scene / "locked");
    Put(scene / "locked" / "doc.csv", "old");
    fs::permissions(scene / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const FileResult result = WriteWholeFile((scene / "locked" / "doc.csv").string(), "new");
    f.Expect(result.ok, "not saved: " + result.reason);
    f.Expect(Read(scene / "locked" / "doc.csv") == "new", "the file holds " + Read(scene / "locked" / "doc.csv"));
    const FileResult fresh = WriteWholeFile((scene / "locked" / "new.csv").string(), "x");
    f.Expect(!fresh.ok && !fresh.reason.empty(), "a new file in a locked folder was reported saved");
    fs::permissions(scene / "locked", fs::perms::owner_all);
    return f.Done();
  });
  EXPECT_EQ(failures, "");
}

// Another user plants links in a shared folder under the names a save might
// use for its temporary file; the save must not write through them.
TEST(Saving, LinksPlantedInASharedFolderAreNeverWrittenThrough) {
  Scene scene;
  Put(scene / "victim.txt", "keep");
  fs::permissions(scene / "victim.txt", fs::perms::all);
  fs::create_symlink(scene / "victim.txt", scene / "doc.csv.kumodo-tmp");
  fs::create_symlink(scene / "victim.txt", scene / ".kumodo-tmp");
  const std::string failures = AsUnprivileged([&] {
    Findings f;
    for (int save = 0; save < 20; ++save) {
      const FileResult result = WriteWholeFile((scene / "doc.csv").string(), "document " + std::to_string(save));
      f.Expect(result.ok, "not saved: " + result.reason);
    }
    f.Expect(Read(scene / "doc.csv") == "document 19", "the document holds " + Read(scene / "doc.csv"));
    return f.Done();
  });
  EXPECT_EQ(failures, "");
  EXPECT_EQ(Read(scene / "victim.txt"), "keep");
}

// In a shared folder (world-writable, sticky) another user makes the name
// a document's program will get a link to a file of the user's. Written
// under that derived name, the link is refused and the file kept; the
// user's own link, and any link at a name the user chose, are written
// through as ever.
TEST(Saving, ALinkAnotherUserPlantedAtADerivedNameIsNotWrittenThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "planting another user's link needs root";
  Scene scene;
  fs::permissions(scene.Path(), fs::perms::all | fs::perms::sticky_bit);
  Put(scene / "mine.txt", "precious");
  ASSERT_EQ(::chown((scene / "mine.txt").c_str(), kNobody, kNobody), 0);
  fs::create_symlink(scene / "mine.txt", scene / "planted.txt");  // root's link, the user's file
  const std::string failures = AsUnprivileged([&] {
    Findings f;
    const FileResult planted = WriteWholeFile((scene / "planted.txt").string(), "10 END", LinksFollowed::OwnOnly);
    f.Expect(!planted.ok && !planted.reason.empty(), "written through another user's link");
    f.Expect(Read(scene / "mine.txt") == "precious", "the file behind the link holds " + Read(scene / "mine.txt"));
    f.Expect(fs::is_symlink(scene / "planted.txt"), "the planted link was replaced");
    fs::create_symlink(scene / "planted.txt", scene / "own.txt");
    f.Expect(!WriteWholeFile((scene / "own.txt").string(), "x", LinksFollowed::OwnOnly).ok,
             "written through the planted link behind the user's own");
    fs::remove(scene / "own.txt");
    fs::create_symlink(scene / "mine.txt", scene / "own.txt");
    f.Expect(WriteWholeFile((scene / "own.txt").string(), "own", LinksFollowed::OwnOnly).ok, "the user's own link refused");
    f.Expect(Read(scene / "mine.txt") == "own", "not written through the user's own link");
    f.Expect(WriteWholeFile((scene / "planted.txt").string(), "chosen").ok, "a chosen name's link refused");
    f.Expect(Read(scene / "mine.txt") == "chosen", "not written through the chosen name's link");
    return f.Done();
  });
  EXPECT_EQ(failures, "");
}

// A file with two names is rewritten in place. Between the checks and the
// write another user swaps the name for a link to a file of the user's, or
// for another name of it: the write, which opens the name once without
// following links and compares the open file with the one checked, leaves
// that file alone. The swap is made at that very point, so no race decides.
TEST(Saving, ANameSwappedAfterTheChecksIsNotWrittenThrough) {
  Scene scene;
  Put(scene / "victim.txt", "keep");
  Put(scene / "doc.csv", "old");
  fs::create_hard_link(scene / "doc.csv", scene / "other.csv");
  struct stat checked;
  ASSERT_EQ(::lstat((scene / "doc.csv").c_str(), &checked), 0);
  const std::string doc = (scene / "doc.csv").string();

  fs::rename(scene / "doc.csv", scene / "aside.csv");
  fs::create_symlink(scene / "victim.txt", scene / "doc.csv");
  FileResult result = WriteInPlace(doc, "10 END", checked);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_EQ(Read(scene / "victim.txt"), "keep") << "written through the link swapped in";

  fs::remove(scene / "doc.csv");
  fs::create_hard_link(scene / "victim.txt", scene / "doc.csv");
  EXPECT_FALSE(WriteInPlace(doc, "10 END", checked).ok);
  EXPECT_EQ(Read(scene / "victim.txt"), "keep") << "written into the other file swapped in";

  fs::remove(scene / "doc.csv");
  fs::rename(scene / "aside.csv", scene / "doc.csv");
  result = WriteInPlace(doc, "10 END", checked);
  EXPECT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(Read(scene / "other.csv"), "10 END") << "the file checked, written in place";
}

// In a shared folder (world-writable, sticky) another user leaves files at
// the names a conversion derives: one of a single name, world-writable, and
// one of two names. Neither is written at a derived name, whoever converts
// (the user, or root), so the planter never holds the program written.
// A name the user typed is written; a file of another user's that a write
// replaces becomes the writer's, writable by no one else.
TEST(Saving, AFileAnotherUserLeftInASharedFolderIsNotWrittenAtADerivedName) {
  if (::geteuid() != 0) GTEST_SKIP() << "leaving another user's files needs root";
  Scene scene;
  fs::permissions(scene.Path(), fs::perms::all | fs::perms::sticky_bit);
  struct stat info;

  // Root converts: the planter is nobody.
  Put(scene / "photo.txt", "planted");
  ASSERT_EQ(::chown((scene / "photo.txt").c_str(), kNobody, kNobody), 0);
  fs::permissions(scene / "photo.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                           fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
  const FileResult derived = WriteWholeFile((scene / "photo.txt").string(), "10 END", LinksFollowed::OwnOnly);
  EXPECT_FALSE(derived.ok);
  EXPECT_FALSE(derived.reason.empty());
  EXPECT_EQ(Read(scene / "photo.txt"), "planted");
  ASSERT_TRUE(WriteWholeFile((scene / "photo.txt").string(), "10 END").ok) << "a name the user typed";
  ASSERT_EQ(::stat((scene / "photo.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u) << "handed back to the planter";
  EXPECT_EQ(info.st_mode & 0777, 0644u) << "writable by others";

  // The user converts: the planter is root.
  Put(scene / "shared.txt", "planted");
  fs::permissions(scene / "shared.txt", fs::perms::all);
  fs::create_hard_link(scene / "shared.txt", scene / "shared-too.txt");
  // The user's own file elsewhere, given a second name in the shared folder by another.
  fs::create_directories(scene / "home");
  ASSERT_EQ(::chown((scene / "home").c_str(), kNobody, kNobody), 0);
  Put(scene / "home" / "precious.txt", "precious");
  ASSERT_EQ(::chown((scene / "home" / "precious.txt").c_str(), kNobody, kNobody), 0);
  fs::create_hard_link(scene / "home" / "precious.txt", scene / "own.txt");
  const std::string failures = AsUnprivileged([&] {
    Findings f;
    const FileResult shared = WriteWholeFile((scene / "shared.txt").string(), "10 END", LinksFollowed::OwnOnly);
    f.Expect(!shared.ok && !shared.reason.empty(), "another user's file of two names was written");
    f.Expect(Read(scene / "shared-too.txt") == "planted", "the planted file holds " + Read(scene / "shared-too.txt"));
    const FileResult own = WriteWholeFile((scene / "own.txt").string(), "10 END", LinksFollowed::OwnOnly);
    f.Expect(own.ok, "the user's own file not replaced: " + own.reason);
    f.Expect(Read(scene / "own.txt") == "10 END", "own.txt holds " + Read(scene / "own.txt"));
    f.Expect(Read(scene / "home" / "precious.txt") == "precious", "written into the file's other name");
    return f.Done();
  });
  EXPECT_EQ(failures, "");
}

// The editor's save: the document is written, the program under the planted
// link is not, and the message names it.
TEST(Saving, TheSaveSaysWhichProgramItDidNotWriteThroughAPlantedLink) {
  if (::geteuid() != 0) GTEST_SKIP() << "planting another user's link needs root";
  scripted::ScriptedEditor s;
  const fs::path folder = s.folder.Path();
  Put(folder / "mine.txt", "precious");
  fs::create_symlink(folder / "mine.txt", folder / "pic.txt");
  ASSERT_EQ(::lchown((folder / "pic.txt").c_str(), kNobody, kNobody), 0);
  s.editor.operations.slots[0] = {8, 1, 1, 0, 0, 1, 0, 1};
  s.editor.operations.count = 1;
  s.platform.QueueFileDialogAnswer((folder / "pic.csv").string());
  SaveCommand(s.editor);
  EXPECT_EQ(Read(folder / "pic.csv"), "8,1,1,0,0,1,0,1\r\n");
  EXPECT_EQ(Read(folder / "mine.txt"), "precious");
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  EXPECT_NE(SjisToUtf8(s.platform.messageBoxes[0].text).find((folder / "pic.txt").string()), std::string::npos)
      << SjisToUtf8(s.platform.messageBoxes[0].text);
}

TEST(Saving, AFullFileSystemLeavesThePreviousFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  Scene scene;
  fs::create_directories(scene / "small");
  if (::mount("tmpfs", (scene / "small").c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "no tmpfs can be mounted here";
  }
  Put(scene / "small" / "doc.csv", "old");
  const FileResult result = WriteWholeFile((scene / "small" / "doc.csv").string(), std::string(200 << 10, 'x'));
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_EQ(Read(scene / "small" / "doc.csv"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(scene / "small"), fs::directory_iterator()), 1) << "no temporary file left";

  // Room for the document but not for its program: the save says which is which.
  fs::remove(scene / "small" / "doc.csv");
  scripted::ScriptedEditor s(scripted::Script().ClickAt(10, 676, 51));
  DrawingState line;
  for (int i = 0; i < 1800; ++i) {
    line.x1 = 100, line.y1 = i % 400, line.x2 = 300, line.y2 = 300;
    AppendOperation(s.editor.operations, line, 1);
  }
  s.platform.QueueFileDialogAnswer((scene / "small" / "doc.csv").string());
  s.RunUntil(100);
  OperationList reread;
  ParseCsv(Read(scene / "small" / "doc.csv"), reread);
  EXPECT_EQ(reread.count, 1800) << "the document is whole";
  EXPECT_FALSE(fs::exists(scene / "small" / "doc.txt"));
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
  const std::string text = SjisToUtf8(s.platform.messageBoxes[0].text);
  EXPECT_NE(text.find("文書は保存しました"), std::string::npos) << text;
  EXPECT_NE(text.find("doc.txt"), std::string::npos) << text;
  EXPECT_EQ(SjisToUtf8(s.platform.titles.back()), "Kumodo BASICジェネレータ - doc.csv");
  EXPECT_EQ(std::distance(fs::directory_iterator(scene / "small"), fs::directory_iterator()), 1) << "no temporary file left";
  ::umount((scene / "small").c_str());
}

// A FIFO would wait for a writer for good, a device never ends: both are
// refused at once wherever the program reads a file.
TEST(SpecialFiles, AreRefusedAtOnceWhereverAFileIsRead) {
  Scene scene;
  ASSERT_EQ(::mkfifo((scene / "pipe").c_str(), 0666), 0);
  const std::string failures = AsUnprivileged([&] {
    Findings f;
    ::alarm(20);  // a read that waits ends the check instead of hanging it
    for (const fs::path& special : {scene / "pipe", fs::path("/dev/zero"), scene.Path()}) {
      const std::string name = special.string();
      std::string reason;
      f.Expect(!ReadWholeFile(name, &reason) && !reason.empty(), name + " was read whole");
      f.Expect(!ReadFileStart(name, 16), name + " was read from");
      f.Expect(!ReadFileEnd(name, 16), name + " was read from its end");
      f.Expect(!IsProgramFileOfOurs(name), name + " was taken for a program");
      f.Expect(OpenFile(name, "rb") == nullptr, name + " was opened");
      f.Expect(!DecodePictureFile(name).opened, name + " was opened as a picture");
      f.Expect(!WriteWholeFile(name, "x").ok, name + " was written");
    }
    ::alarm(0);
    return f.Done();
  });
  EXPECT_EQ(failures, "");
}

TEST(SpecialFiles, FifosAsTheSettingsAndCommandFilesDoNotStopTheStart) {
  scripted::WorkingFolder folder;
  fs::remove("kumodo-basic-cmd.txt");
  ASSERT_EQ(::mkfifo("kumodo-basic-cmd.txt", 0666), 0);
  ASSERT_EQ(::mkfifo("kumodo-setup.ini", 0666), 0);
  ::alarm(20);
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  ::alarm(0);
  EXPECT_EQ(editor.settings.editingResolution, 1);
}

TEST(SpecialFiles, AHugeSparseDocumentIsRefusedUnread) {
  scripted::ScriptedEditor s;
  s.editor.operations.slots[0] = {8, 1, 1, 0, 0, 1, 0, 1};
  s.editor.operations.count = 1;
  const fs::path huge = s.folder.Path() / "huge.csv";
  Put(huge, "");
  fs::resize_file(huge, std::uintmax_t{1} << 30);
  s.editor.documentPath = huge.string();
  peak_memory::Reset();
  const long before = peak_memory::ResidentKilobytes();
  EXPECT_FALSE(LoadCsvDocument(s.editor));
  if (peak_memory::kGrowthIsTheProgramsOwn) {
    EXPECT_LT(peak_memory::PeakKilobytes() - before, 5 * 1024) << "kilobytes taken";
  }
  EXPECT_EQ(s.editor.operations.count, 1);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u);
}

// Files at the program's name that are no program: a FIFO is refused by the
// save's own rules, unasked; a huge one is asked about from its two ends.
TEST(SpecialFiles, AFifoOrAHugeFileAtTheProgramsNameDoesNotStopTheSave) {
  scripted::ScriptedEditor s;
  s.editor.operations = ListOfRecords(std::vector<OperationRecord>{{8, 1, 1, 0, 0, 1, 0, 1}});
  ASSERT_EQ(::mkfifo((s.folder.Path() / "piped.txt").c_str(), 0666), 0);
  const fs::path huge = s.folder.Path() / "huge.txt";
  Put(huge, "");
  fs::resize_file(huge, std::uintmax_t{1} << 30);
  ::alarm(20);
  s.platform.QueueFileDialogAnswer((s.folder.Path() / "piped").string());
  SaveCommand(s.editor);
  ASSERT_EQ(s.platform.messageBoxes.size(), 1u) << "the program not written, said";
  EXPECT_NE(SjisToUtf8(s.platform.messageBoxes[0].text).find("piped.txt"), std::string::npos);
  peak_memory::Reset();
  const long before = peak_memory::ResidentKilobytes();
  s.platform.QueueFileDialogAnswer((s.folder.Path() / "huge").string());
  SaveCommand(s.editor);
  ::alarm(0);
  if (peak_memory::kGrowthIsTheProgramsOwn) {
    EXPECT_LT(peak_memory::PeakKilobytes() - before, 5 * 1024) << "kilobytes taken";
  }
  ASSERT_EQ(s.platform.messageBoxes.size(), 2u);
  EXPECT_NE(SjisToUtf8(s.platform.messageBoxes[1].text).find("huge.txt"), std::string::npos) << "asked, Cancel";
  EXPECT_EQ(fs::file_size(huge), std::uintmax_t{1} << 30);
  EXPECT_FALSE(fs::exists(s.folder.Path() / "huge.csv"));
}

// What lies in the state folder under a journal's name but is no journal
// file of this user's own is never followed, waited on, read or removed:
// a FIFO, a link (to a journal, even), another user's file. A huge one is
// refused unread and kept aside.
TEST(PlantedJournals, AreLeftAloneAndNeverWaitedOn) {
  scripted::WorkingFolder folder;
  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  const fs::path journals = fs::path(UserStateFolder()) / "kumodo";
  fs::create_directories(journals);
  const std::string real =
      JournalHeader() + DocumentEntry("", {}) + AppendEntry(std::vector<OperationRecord>{{8, 1, 1, 0, 0, 1, 0, 1}});
  Put(folder.Path() / "elsewhere.journal", real);
  ASSERT_EQ(::mkfifo((journals / "recovery-fifo.journal").c_str(), 0666), 0);
  fs::create_symlink(folder.Path() / "elsewhere.journal", journals / "recovery-link.journal");
  Put(journals / "recovery-huge.journal", "");
  fs::resize_file(journals / "recovery-huge.journal", std::uintmax_t{1} << 30);
  const bool root = ::geteuid() == 0;
  if (root) {
    Put(journals / "recovery-nobody.journal", real);
    ASSERT_EQ(::chown((journals / "recovery-nobody.journal").c_str(), kNobody, kNobody), 0);
  }
  ::alarm(20);
  peak_memory::Reset();
  const long before = peak_memory::ResidentKilobytes();
  platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
  OfferRecovery(editor);  // as at start-up
  ::alarm(0);
  if (peak_memory::kGrowthIsTheProgramsOwn) {
    EXPECT_LT(peak_memory::PeakKilobytes() - before, 5 * 1024) << "kilobytes taken";
  }
  EXPECT_EQ(editor.operations.count, 0) << "nothing restored";
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_NE(SjisToUtf8(platform.messageBoxes[0].text).find("recovery-huge.journal.not-restored"), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(journals / "recovery-fifo.journal"));
  EXPECT_TRUE(fs::is_symlink(journals / "recovery-link.journal"));
  EXPECT_EQ(Read(folder.Path() / "elsewhere.journal"), real);
  if (root) {
    EXPECT_EQ(Read(journals / "recovery-nobody.journal"), real);
  }
}

// A restored drawing whose new journal cannot be written (a full disk) is
// only in memory: the journal it came from stays for the next start.
TEST(PlantedJournals, OneRestoredStaysUntilTheEditorsOwnHoldsTheDrawing) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  scripted::WorkingFolder folder;
  const fs::path journals = fs::path(UserStateFolder()) / "kumodo";
  fs::create_directories(journals);
  if (::mount("tmpfs", journals.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  const std::vector<OperationRecord> dots(1000, {8, 1, 1, 0, 0, 1, 0, 1});
  const std::string left = JournalHeader() + DocumentEntry("", {}) + AppendEntry(dots);
  Put(journals / "recovery-left.journal", left);
  Put(journals / "filler", std::string(64 << 10, 'x'));  // as much as fits
  {
    HeadlessPlatform platform;
    platform.QueueMessageBoxAnswer(MessageBoxAnswer::Ok);
    Editor editor(platform);
    StartUp(editor);
    EXPECT_EQ(editor.operations.count, 1000) << "restored";
    EXPECT_NE(SjisToUtf8(RowText(editor.screen.text, 36)).find("復元用の記録を書けません"), std::string::npos);
  }
  EXPECT_EQ(Read(journals / "recovery-left.journal"), left);
  ::umount(journals.c_str());
}

// Started where no res/ is (as from a desktop launcher, in the home folder):
// the data come from beside the program, the settings from the user's
// configuration folder, made when first written.
TEST(ProgramFolders, OutsideAPortableFolderTheSettingsLiveInTheUsersConfiguration) {
  Scene scene;
  const fs::path previous = fs::current_path();
  fs::create_directories(scene / "empty");
  fs::current_path(scene / "empty");
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string before = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", (scene / "config").c_str(), 1);
  const ProgramFolders folders = FindProgramFolders();
  EXPECT_FALSE(folders.portable);
  EXPECT_EQ(folders.settingsFile, (scene / "config" / "kumodo" / "kumodo-setup.ini").string());
  EXPECT_EQ(fs::path(folders.data), fs::path(ExecutableFolder()).parent_path() / "share" / "kumodo");

  HeadlessPlatform platform;
  Editor editor(platform);
  StartUp(editor);
  EXPECT_NE(SjisToUtf8(RowText(editor.screen.text, 36)).find(folders.data + "/res"), std::string::npos)
      << "no data folder is said";
  editor.settings.editingResolution = 2;
  EXPECT_TRUE(WriteSettingsFile(editor));
  EXPECT_EQ(Read(scene / "config" / "kumodo" / "kumodo-setup.ini"), "1\r\n1\r\n2\r\n");

  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(FindProgramFolders().settingsFile, std::string(std::getenv("HOME")) + "/.config/kumodo/kumodo-setup.ini");
  if (saved) ::setenv("XDG_CONFIG_HOME", before.c_str(), 1);
  fs::current_path(previous);
}

// A picture stating a size over 640 x 400 is refused from its header: the
// memory it would take is never taken.
TEST(PictureBombs, AreRefusedFromTheirHeaderWithoutTakingMemory) {
  Scene scene;
  const std::vector<std::string> bombs = picture_bombs::Write(scene.Path());
  // Each decoder once, so that loading them costs nothing below.
  for (const char* name : {"warm.bmp", "warm.gif", "warm.jpg"}) {
    ASSERT_EQ(std::system(("/usr/bin/convert -size 32x16 plasma: '" + (scene / name).string() + "'").c_str()), 0);
    ASSERT_TRUE(DecodePictureFile((scene / name).string()).loaded) << name;
  }
  for (const std::string& bomb : bombs) {
    peak_memory::Reset();
    const long before = peak_memory::ResidentKilobytes();
    const DecodedPicture picture = DecodePictureFile(bomb);
    const long taken = peak_memory::PeakKilobytes() - before;
    EXPECT_FALSE(picture.loaded) << bomb;
    EXPECT_GT(picture.width, 640) << bomb << ": the stated size is read for the warning";
    if (peak_memory::kGrowthIsTheProgramsOwn) {
      EXPECT_LT(taken, 5 * 1024) << bomb << ": kilobytes taken";
    }
  }
}

}  // namespace
}  // namespace kumodo
