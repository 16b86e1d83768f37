// Archiving and restoring from the folder tree's menu, offscreen: the menu
// is asked for by a right-click on the real tree, the folder and format
// choices are answered by the test, and the work runs on the window's own
// thread. The songs are the recorder-like ones of the archive's core tests;
// what comes back is compared byte for byte with what went in.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QContextMenuEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidgetItem>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/archiverunner.h"
#include "archive/manifest.h"
#include "support/recordersong.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Q;
using test::RunUntilIdle;

// Every file below `root` by its path relative to it, with its bytes.
std::map<std::string, std::vector<uint8_t>> FilesBelow(const fs::path& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = test::ReadBytes(entry.path());
  return files;
}

// The name of every song WriteRecorderSong writes, "ｱｲｳ Song": an archive
// folder is named after its song, as `stems --recursive` names it.
const fs::path SongName = "\uFF71\uFF72\uFF73 Song";

class ArchiveWindow : public test::WindowTest {
 protected:
  ArchiveWindow() {
    // Called on the archive's thread after each file it wrote; it can hold
    // the thread there until the test has pressed Cancel.
    archiveFileWritten = [this] {
      std::unique_lock<std::mutex> held(lock);
      ++filesWritten;
      changed.notify_all();
      if (holdAfterFirstFile && filesWritten == 1) changed.wait(held, [this] { return released; });
    };
  }

  void SetUp() override {
    window = MakeWindow(false);
    window->show();
    RunUntilIdle();
  }

  // A test that stopped early must not leave the archive's thread held: the
  // window joins it when it goes, and the hook uses this fixture's lock.
  void TearDown() override {
    {
      std::lock_guard<std::mutex> held(lock);
      released = true;
    }
    changed.notify_all();
    window.reset();
  }

  // A right-click on the folder's node in the tree, and `choice` taken from
  // the menu it brings up.
  void ChooseFromFolderMenu(const fs::path& folder, const QString& choice) {
    test::ChooseFromFolderMenu(*window, *dialogs, folder, choice);
  }

  // The work ends with its summary; the window's queued calls wake the loop.
  void WaitForTheEnd() {
    while (window->ArchiveRunning) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    RunUntilIdle();
  }

  void Archive(const fs::path& folder, const fs::path& into, int format) {
    dialogs->folders.push_back(Q(into));
    dialogs->items.push_back(format);
    ChooseFromFolderMenu(folder, QStringLiteral("&Archive..."));
    WaitForTheEnd();
  }

  void Restore(const fs::path& archive, const fs::path& into) {
    dialogs->folders.push_back(Q(archive));
    ChooseFromFolderMenu(into, QStringLiteral("&Restore..."));
    WaitForTheEnd();
  }

  QString LastMessage() const { return dialogs->messages.empty() ? QString() : dialogs->messages.back(); }

  // Archives `song` as WAV and waits until its thread is held after the
  // first file it wrote.
  void ArchiveHeldAfterTheFirstFile(const fs::path& song) {
    holdAfterFirstFile = true;
    dialogs->folders.push_back(Q(archive));
    dialogs->items.push_back(0);
    ChooseFromFolderMenu(song, QStringLiteral("&Archive..."));
    std::unique_lock<std::mutex> held(lock);
    changed.wait(held, [this] { return filesWritten >= 1; });
  }

  // Lets the held thread go on and waits for the end of the run.
  void ReleaseAndWaitForTheEnd() {
    {
      std::lock_guard<std::mutex> held(lock);
      released = true;
    }
    changed.notify_all();
    WaitForTheEnd();
  }

  std::mutex lock;
  std::condition_variable changed;
  int filesWritten = 0;
  bool holdAfterFirstFile = false, released = false;

  const fs::path disk = scratch.path() / "disk";
  const fs::path archive = scratch.path() / "archive";
  const fs::path restored = scratch.path() / "restored";
};

class DiskRoundTrip : public ArchiveWindow, public ::testing::WithParamInterface<int> {};

TEST_P(DiskRoundTrip, EverySongBelowAFolderIsArchivedVerifiedAndRestoredByteForByte) {
  test::WriteRecorderSong(disk / "SONG01");
  test::WriteRecorderSong(disk / "live" / "SONG02");
  fs::create_directories(restored);

  Archive(disk, archive, GetParam());
  ASSERT_FALSE(dialogs->itemsOffered.empty());
  EXPECT_EQ(dialogs->itemsOffered.back().size(), 3) << "WAV, AIFF and FLAC";
  // Nine files per song: four takes, a master take's two files and three
  // other files (written as five audio files and three copies).
  EXPECT_TRUE(LastMessage().startsWith(QStringLiteral("2 songs, 18 files, "))) << LastMessage().toStdString();
  EXPECT_TRUE(LastMessage().endsWith(QStringLiteral(", all verified"))) << LastMessage().toStdString();
  const char* extension[] = {".wav", ".aif", ".flac"};
  size_t audioFiles = 0;
  for (const auto& [name, bytes] : FilesBelow(archive)) audioFiles += fs::path(name).extension() == extension[GetParam()];
  EXPECT_EQ(audioFiles, 10u);

  Restore(archive, restored);
  EXPECT_TRUE(LastMessage().startsWith(QStringLiteral("2 songs, 18 files restored, every file checked")))
      << LastMessage().toStdString();
  EXPECT_TRUE(dialogs->questions.empty()) << "nothing was there to replace";
  const auto original = FilesBelow(disk), rebuilt = FilesBelow(restored);
  EXPECT_EQ(rebuilt.size(), original.size());
  for (const auto& [name, bytes] : original) {
    ASSERT_TRUE(rebuilt.count(name)) << name;
    EXPECT_TRUE(rebuilt.at(name) == bytes) << name << " differs";
  }

  // The tree shows what was restored, below the folder it went into.
  QTreeWidgetItem* node = window->DirTree->currentItem();
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->data(0, TDirTreeView::PathRole).toString(), Q(restored));
  std::set<QString> shown;
  for (int i = 0; i < node->childCount(); ++i) shown.insert(node->child(i)->text(0));
  EXPECT_EQ(shown, (std::set<QString>{QStringLiteral("SONG01"), QStringLiteral("live")}));
}

std::string FormatName(const ::testing::TestParamInfo<int>& info) {
  const char* names[] = {"Wav", "Aiff", "Flac"};
  return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Formats, DiskRoundTrip, ::testing::Values(0, 1, 2), FormatName);

TEST_F(ArchiveWindow, ASongComesBackUnderItsOwnNameAndRestoringOverItAsksFirst) {
  const fs::path song = disk / "SONG07";
  const size_t songFiles = test::WriteRecorderSong(song).size();
  fs::create_directories(restored);
  Archive(song, archive, 0);
  // The archive and its restore count the song's files alike: every one.
  const QString counted = QStringLiteral("1 song, %1 files").arg(songFiles);
  EXPECT_TRUE(LastMessage().startsWith(counted + QStringLiteral(", "))) << LastMessage().toStdString();
  ASSERT_TRUE(fs::exists(archive / SongName / ArchiveManifestName)) << "a song goes into a folder of its name";

  Restore(archive / SongName, restored);
  EXPECT_TRUE(LastMessage().startsWith(counted + QStringLiteral(" restored"))) << LastMessage().toStdString();
  EXPECT_TRUE(FilesBelow(restored / "SONG07") == FilesBelow(song));

  // Over the song, restoring asks; No leaves the song as it is.
  const std::vector<uint8_t> edited = {'e', 'd', 'i', 't'};
  test::WriteBytes(restored / "SONG07" / "mixnotes.bin", edited);
  const size_t messagesBefore = dialogs->messages.size();
  dialogs->answers.push_back(false);
  Restore(archive / SongName, restored);
  ASSERT_EQ(dialogs->questions.size(), 1u);
  EXPECT_TRUE(dialogs->questions[0].second.contains(QStringLiteral("exists already")));
  EXPECT_EQ(test::ReadBytes(restored / "SONG07" / "mixnotes.bin"), edited);
  EXPECT_EQ(dialogs->messages.size(), messagesBefore) << "no song was left to restore, and no work ran";
  EXPECT_FALSE(window->ArchiveRunning);

  // Yes replaces the song's files with the archive's.
  dialogs->answers.push_back(true);
  Restore(archive / SongName, restored);
  EXPECT_TRUE(FilesBelow(restored / "SONG07") == FilesBelow(song));
}

// What the window remembers between two archives: the folder that holds
// the last archive (whatever was restored meanwhile) and the format; and
// the summary's size is the one the progress counted.
TEST_F(ArchiveWindow, TheNextArchiveStartsBesideTheLastOneInItsFormat) {
  const fs::path song = disk / "SONG08";
  test::WriteRecorderSong(song);
  fs::create_directories(restored);
  Archive(song, archive, 2);
  ASSERT_TRUE(fs::exists(archive / SongName / "Track01-1 Kick.flac"));
  // Five files of 840,001 frames of two bytes in all: the progress's "of 1.7 MB".
  EXPECT_EQ(LastMessage(), QStringLiteral("1 song, 9 files, 1.7 MB, all verified"));
  Restore(archive / SongName, restored);
  dialogs->folders.push_back(std::nullopt);  // the next archive's chooser, cancelled
  ChooseFromFolderMenu(song, QStringLiteral("&Archive..."));
  ASSERT_EQ(dialogs->foldersStart.size(), 3u);
  EXPECT_EQ(dialogs->foldersStart[0], QDir::homePath()) << "the first archive starts at home";
  EXPECT_EQ(dialogs->foldersStart[1], QDir::homePath()) << "the first restore too, not where the archive went";
  EXPECT_EQ(dialogs->foldersStart[2], Q(archive)) << "not inside the archive restored from";
  dialogs->folders.push_back(Q(archive));
  dialogs->items.push_back(std::nullopt);
  ChooseFromFolderMenu(song, QStringLiteral("&Archive..."));
  ASSERT_EQ(dialogs->itemsCurrent.size(), 2u);
  EXPECT_EQ(dialogs->itemsCurrent[0], 0) << "WAV the first time";
  EXPECT_EQ(dialogs->itemsCurrent[1], 2) << "FLAC, as chosen last";

  // And at the next start.
  window->close();
  window = MakeWindow(false);
  window->show();
  RunUntilIdle();
  dialogs->folders.push_back(Q(archive));
  dialogs->items.push_back(std::nullopt);
  ChooseFromFolderMenu(song, QStringLiteral("&Archive..."));
  ASSERT_EQ(dialogs->itemsCurrent.size(), 1u);
  EXPECT_EQ(dialogs->foldersStart.back(), Q(archive));
  EXPECT_EQ(dialogs->itemsCurrent.back(), 2);
}

// Archive, Restore and Export to DAW each start in a folder of their own:
// where the last archive went, the folder last restored from (a folder of
// several archives stays offered), and that of the last DAW file; the home
// folder the first time; and the same at the next start.
TEST_F(ArchiveWindow, ArchiveRestoreAndDawFileEachStartInTheirOwnFolder) {
  const fs::path song = disk / "SONG08", dawFiles = disk / "daw";
  test::WriteRecorderSong(song);
  fs::create_directories(restored);
  fs::create_directories(dawFiles);
  QStringList dawOffered;
  dialogs->save = [&](SaveDialog& offer) {
    dawOffered.push_back(QFileInfo(offer.fileName).absolutePath());
    offer.fileName = Q(dawFiles / "song.dawproject");
    return true;
  };
  const auto exportToDaw = [&] {
    ChooseFromFolderMenu(song, QStringLiteral("Export to &DAW..."));
    WaitForTheEnd();
  };
  Archive(song, archive, 0);
  exportToDaw();
  Restore(archive, restored);  // the folder that holds the archives
  dialogs->answers.push_back(true);
  Restore(archive, restored);
  exportToDaw();
  const auto askArchiveAndRestore = [&] {
    dialogs->folders.push_back(std::nullopt);
    ChooseFromFolderMenu(song, QStringLiteral("&Archive..."));
    dialogs->folders.push_back(std::nullopt);
    ChooseFromFolderMenu(restored, QStringLiteral("&Restore..."));
    RunUntilIdle();
  };
  askArchiveAndRestore();
  const QString home = QDir::homePath();
  EXPECT_EQ(dialogs->foldersStart, (std::vector<QString>{home, home, Q(archive), Q(archive), Q(archive)}));
  EXPECT_EQ(dawOffered, (QStringList{home, Q(dawFiles)}));

  window->close();
  window = MakeWindow(false);
  window->show();
  RunUntilIdle();
  dialogs->save = [&](SaveDialog& offer) {
    dawOffered.push_back(QFileInfo(offer.fileName).absolutePath());
    return false;
  };
  askArchiveAndRestore();
  ChooseFromFolderMenu(song, QStringLiteral("Export to &DAW..."));
  RunUntilIdle();
  EXPECT_EQ(dialogs->foldersStart, (std::vector<QString>{Q(archive), Q(archive)}));
  EXPECT_EQ(dawOffered.back(), Q(dawFiles));
}

TEST_F(ArchiveWindow, TheMenuKeyAsksForTheSelectedFolderAndTheDesktopHasNoMenu) {
  test::WriteRecorderSong(disk / "SONG05");
  TDirTreeView* tree = window->DirTree;
  tree->SetDirectory(QString());  // the Desktop, which is no folder
  RunUntilIdle();
  ASSERT_NE(tree->currentItem(), nullptr);
  const QPoint desktop = tree->visualItemRect(tree->currentItem()).center();
  QContextMenuEvent onDesktop(QContextMenuEvent::Mouse, desktop, tree->viewport()->mapToGlobal(desktop));
  QApplication::sendEvent(tree->viewport(), &onDesktop);
  EXPECT_TRUE(dialogs->lastMenu.empty()) << "no menu came up";

  tree->SetDirectory(Q(disk / "SONG05"));
  RunUntilIdle();
  dialogs->menuChoice = QStringLiteral("&Archive...");
  dialogs->folders.push_back(Q(archive));
  dialogs->items.push_back(2);
  // From the keyboard the event carries no useful position: the selected
  // folder is the one meant.
  QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, QPoint(0, 0));
  QApplication::sendEvent(tree->viewport(), &fromKeyboard);
  WaitForTheEnd();
  EXPECT_TRUE(LastMessage().startsWith(QStringLiteral("1 song, 9 files, "))) << LastMessage().toStdString();
  EXPECT_TRUE(fs::exists(archive / SongName / "Track01-1 Kick.flac"));
}

// What the scripted answers above stand for: the window's real folder
// chooser and format choice, driven through their widgets.
TEST_F(ArchiveWindow, TheRealFolderChooserAndFormatChoiceAnswerWhatTheUserPicked) {
  fs::create_directories(archive / "inner");
  StandardDialogs real;
  QTimer::singleShot(0, [] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, QStringLiteral("inner"));
    QTest::keyClick(name, Qt::Key_Return);
  });
  EXPECT_EQ(real.ChooseFolder(window.get(), QStringLiteral("Archive into folder"), Q(archive)), Q(archive / "inner"));

  QTimer::singleShot(0, [] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    QTest::keyClick(files, Qt::Key_Escape);
  });
  EXPECT_EQ(real.ChooseFolder(window.get(), QStringLiteral("Archive into folder"), Q(archive)), std::nullopt);

  const QStringList formats = {QStringLiteral("WAV"), QStringLiteral("AIFF"), QStringLiteral("FLAC")};
  QTimer::singleShot(0, [] {
    auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(input, nullptr);
    auto* choices = input->findChild<QComboBox*>();
    ASSERT_NE(choices, nullptr);
    choices->setFocus();
    QTest::keyClick(choices, Qt::Key_Down);
    QTest::keyClick(choices, Qt::Key_Down);
    QTest::keyClick(choices, Qt::Key_Return);
  });
  EXPECT_EQ(real.ChooseItem(window.get(), QStringLiteral("Archive"), QStringLiteral("Write the takes as:"), formats, 0),
            2);

  // The item the window offers first is the one Enter takes.
  QTimer::singleShot(0, [] {
    auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(input, nullptr);
    QTest::keyClick(input, Qt::Key_Return);
  });
  EXPECT_EQ(real.ChooseItem(window.get(), QStringLiteral("Archive"), QStringLiteral("Write the takes as:"), formats, 1),
            1);

  QTimer::singleShot(0, [] {
    auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(input, nullptr);
    QTest::keyClick(input, Qt::Key_Escape);
  });
  EXPECT_EQ(real.ChooseItem(window.get(), QStringLiteral("Archive"), QStringLiteral("Write the takes as:"), formats, 0),
            std::nullopt);
}

TEST_F(ArchiveWindow, AFolderWithoutSongsIsSaidToHaveNoneAndNothingIsWritten) {
  fs::create_directories(disk / "empty");
  Archive(disk / "empty", archive, 0);
  EXPECT_EQ(LastMessage(), QStringLiteral("No song was found in \"%1\".").arg(Q(disk / "empty")));
  EXPECT_FALSE(fs::exists(archive / "empty"));
  EXPECT_FALSE(window->ArchiveRunning);
}

TEST_F(ArchiveWindow, CancelKeepsTheCompleteFilesAndAManifestOfThemWhileTheTreeStaysUsable) {
  const fs::path song = disk / "SONG03";
  test::WriteRecorderSong(song);
  window->DirTreeChange(Q(song));
  RunUntilIdle();
  const std::string before = EnabledStates();
  ASSERT_EQ(before[0], '1') << "a song is open, its takes ready to choose";

  ArchiveHeldAfterTheFirstFile(song);
  RunUntilIdle();
  ASSERT_TRUE(window->ArchiveRunning);
  // The tree and the mixer stay usable; the takes, import, export,
  // audition and renaming wait.
  EXPECT_EQ(EnabledStates(), "000000000111");
  auto* progress = window->findChild<QProgressDialog*>();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(progress->isVisible());
  // The first file is Kick's 160,000 samples; all five hold 840,001 frames
  // of two bytes.
  EXPECT_TRUE(progress->labelText().startsWith(QStringLiteral("Song 1 of 1, file 1 of 5: ")))
      << progress->labelText().toStdString();
  EXPECT_TRUE(progress->labelText().contains(QStringLiteral("320.0 kB of 1.7 MB")))
      << progress->labelText().toStdString();
  // A second archive cannot start beside it.
  ChooseFromFolderMenu(song, QString());
  using Item = std::pair<QString, bool>;
  EXPECT_EQ(dialogs->lastMenu,
            (std::vector<Item>{{QStringLiteral("&Archive..."), false},
                               {QStringLiteral("Export to &DAW..."), false},
                               {QStringLiteral("&Restore..."), false}}));
  auto* cancel = progress->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  ReleaseAndWaitForTheEnd();

  EXPECT_TRUE(LastMessage().contains(QStringLiteral("Cancelled"))) << LastMessage().toStdString();
  EXPECT_EQ(filesWritten, 1);
  const fs::path folder = archive / SongName;
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(folder, manifest).ok());
  std::set<std::string> listed;
  for (const auto& take : manifest.takeFiles) listed.insert(take.output);
  std::set<std::string> present;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".wav") present.insert(entry.path().filename().string());
  EXPECT_EQ(listed.size(), 1u);
  EXPECT_EQ(present, listed) << "only the complete file is there, and the manifest lists it";
  // The file kept is whole: libsndfile reads as many frames as the manifest says.
  for (const auto& take : manifest.takeFiles) {
    EXPECT_EQ(test::ReadWithSndfile(folder / take.output).frames, int64_t(take.outputFrames)) << take.output;
  }
  EXPECT_EQ(EnabledStates(), before) << "the takes are usable again";
}

// Escape in the main window stops the archive as the progress dialog's
// Cancel does, with that dialog open beside the window.
TEST_F(ArchiveWindow, EscapeInTheWindowStopsTheArchiveAfterTheFileBeingWritten) {
  const fs::path song = disk / "SONG04";
  test::WriteRecorderSong(song);
  ArchiveHeldAfterTheFirstFile(song);
  RunUntilIdle();
  ASSERT_TRUE(window->ArchiveRunning);
  auto* progress = window->findChild<QProgressDialog*>();
  ASSERT_NE(progress, nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(progress->labelText(), QStringLiteral("Stopping after the file being written..."));
  ReleaseAndWaitForTheEnd();
  EXPECT_TRUE(LastMessage().contains(QStringLiteral("Cancelled"))) << LastMessage().toStdString();
  EXPECT_EQ(filesWritten, 1);
}

// A restore shows how far it is by bytes across the whole restore, within
// a song too, and names the file being rebuilt.
TEST_F(ArchiveWindow, ARestoreShowsItsProgressByBytesAndNamesTheFileBeingRebuilt) {
  const fs::path song = disk / "SONG09";
  test::WriteRecorderSong(song);
  fs::create_directories(restored);
  Archive(song, archive, 0);
  auto* runner = window->findChild<ArchiveRunner*>();
  ASSERT_NE(runner, nullptr);
  std::vector<std::pair<QString, int>> shown;
  QObject::connect(runner, &ArchiveRunner::Progress, window.get(),
                   [&](const QString& text, int permille) { shown.emplace_back(text, permille); });
  Restore(archive / SongName, restored);
  ASSERT_TRUE(LastMessage().contains(QStringLiteral("restored"))) << LastMessage().toStdString();
  std::set<int> steps;
  bool namesATake = false;
  int before = 0;
  for (const auto& [text, permille] : shown) {
    EXPECT_TRUE(text.startsWith(QStringLiteral("Song 1 of 1, rebuilding "))) << text.toStdString();
    EXPECT_GE(permille, before) << "the bytes done only grow";
    before = permille;
    steps.insert(permille);
    namesATake = namesATake || text.contains(QStringLiteral("rebuilding TRACK153.DAT\n"));
  }
  EXPECT_GE(steps.size(), 4u) << "one song's restore moves the bar several times";
  EXPECT_TRUE(namesATake);
  ASSERT_FALSE(shown.empty());
  // The whole restore is every byte of the song's files, and the last
  // report has them all.
  uint64_t songBytes = 0;
  for (const auto& entry : fs::directory_iterator(song)) songBytes += entry.file_size();
  const QString all = QLocale::c().formattedDataSize(qint64(songBytes), 1, QLocale::DataSizeSIFormat);
  EXPECT_TRUE(shown.back().first.endsWith(QStringLiteral("\n%1 of %1").arg(all))) << shown.back().first.toStdString();
}

}  // namespace
}  // namespace tp
