// The takes' outlines in the grid: read after the scan and never on the
// window's thread, filled in as they come, a warning mark with the reason
// for a take that cannot be read, read again after a rename, dropped for a
// song left behind, and held while the audition plays.
#include <QDropEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QUrl>
#include <QToolTip>

#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "../waveform/outlinetestsupport.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::RunUntilIdle;

// Holds the outline thread at its first take until released, and notes
// every thread that reads a take.
struct ReadingHold {
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;
  int arrivals = 0;
  std::set<std::thread::id> threads;

  std::function<void()> Hook() {
    return [this] {
      std::unique_lock lock(mutex);
      threads.insert(std::this_thread::get_id());
      ++arrivals;
      changed.notify_all();
      changed.wait(lock, [this] { return released; });
    };
  }
  void WaitForArrival() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return arrivals > 0; });
  }
  void Release() {
    std::lock_guard lock(mutex);
    released = true;
    changed.notify_all();
  }
};

// Lets the window handle what arrives until `done`; a worker that never
// delivers ends the test by CTest's time limit.
template <typename Done>
void RunUntil(Done done) {
  while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

class Thumbnails : public test::WindowTest {
 protected:
  int CellsWithOutlines() const {
    int count = 0;
    for (int track = 0; track < TrackCount; ++track)
      for (int take = 0; take < TakesPerTrack; ++take) count += window->TakeSel->HasOutline(track, take);
    for (int take = 0; take < MasterTakeCount; ++take) count += window->MasTakeSel->HasOutline(0, take);
    return count;
  }
  static std::vector<TMtxLane> Lanes(std::initializer_list<std::vector<int16_t>> channels) {
    std::vector<TMtxLane> lanes;
    for (const std::vector<int16_t>& samples : channels) {
      const ChannelOutline outline = test::ExpectedOutline(samples, 56);
      lanes.push_back({outline.minimum, outline.maximum});
    }
    return lanes;
  }
  const fs::path song = scratch / "SONG";
};

// A full song of 160 takes and 10 master takes of one second each, as
// sparse files: the disk holds only their headers.
void WriteSparseSong(const fs::path& song) {
  fs::create_directories(song);
  test::WriteProjectInfo(song, "FULL");
  const auto sparse = [&](const std::string& name) {
    test::WriteTake(song / name, "sparse", {});
    ASSERT_EQ(::truncate((song / name).c_str(), TakeHeaderSize + 2 * 44100), 0);
  };
  for (int track = 0; track < TrackCount; ++track)
    for (int take = 0; take < TakesPerTrack; ++take) sparse(TakeFileName(track, take));
  for (int take = 0; take < MasterTakeCount; ++take) {
    sparse(MasterTakeFileName(MasterSide::Left, take));
    sparse(MasterTakeFileName(MasterSide::Right, take));
  }
}

TEST_F(Thumbnails, TheScanReturnsWhileOutlinesAreHeldAndNoneIsReadOnTheWindowsThread) {
  WriteSparseSong(song);
  const std::vector<int16_t> noise = test::Noise(30000, 1);
  test::WriteTake(song / TakeFileName(4, 7), "noise", noise);
  ReadingHold hold;
  outlineReading = hold.Hook();
  window = MakeWindow(false);
  Open(song);  // returns although the outline thread is held at its first take
  hold.WaitForArrival();
  RunUntilIdle();
  EXPECT_TRUE(window->TakeSel->GetAssigned(15, 9));
  EXPECT_EQ(CellsWithOutlines(), 0);

  hold.Release();
  RunUntil([&] { return CellsWithOutlines() == 170; });
  EXPECT_FALSE(hold.threads.contains(std::this_thread::get_id()));
  EXPECT_EQ(hold.threads.size(), 1u);
  EXPECT_EQ(window->Thumbnails().TakesRead(), 180);
  EXPECT_EQ(window->TakeSel->GetOutline(4, 7), Lanes({noise}));
  const std::vector<int16_t> silence(44100, 0);
  EXPECT_EQ(window->TakeSel->GetOutline(0, 0), Lanes({silence}));
  EXPECT_EQ(window->MasTakeSel->GetOutline(0, 9), Lanes({silence, silence}));
}

TEST_F(Thumbnails, OpeningTheSongAgainTakesTheOutlinesFromTheCache) {
  WriteSparseSong(song);
  window = MakeWindow(false);
  Open(song);
  RunUntil([&] { return CellsWithOutlines() == 170; });
  window.reset();  // the cache is written when a song's takes are done
  window = MakeWindow(false);
  Open(song);
  RunUntil([&] { return CellsWithOutlines() == 170; });
  EXPECT_EQ(window->Thumbnails().TakesRead(), 0);
}

class ThumbnailsOfASmallSong : public Thumbnails {
 protected:
  ThumbnailsOfASmallSong() {
    fs::create_directories(song);
    test::WriteProjectInfo(song, "SMALL");
    test::WriteTake(song / "TRACK0_0.DAT", "A", a);
    test::WriteTake(song / "TRACK2_0.DAT", "B", b);
    test::WriteTake(song / "TRACKL_1.DAT", "M", left);
    test::WriteTake(song / "TRACKR_1.DAT", "M", right);
  }
  void OpenAndWait(int cells) {
    window = MakeWindow(true);
    window->show();
    Open(song);
    RunUntil([&] { return CellsWithOutlines() == cells; });
  }
  const std::vector<int16_t> a = test::Noise(20000, 2), b = test::Noise(9000, 3);
  const std::vector<int16_t> left = test::Noise(7000, 4), right = test::Noise(7000, 5);
};

TEST_F(ThumbnailsOfASmallSong, EachCellShowsItsTakesOutlineAndAMasterCellBothFiles) {
  OpenAndWait(3);
  EXPECT_EQ(window->TakeSel->GetOutline(0, 0), Lanes({a}));
  EXPECT_EQ(window->TakeSel->GetOutline(2, 0), Lanes({b}));
  EXPECT_EQ(window->MasTakeSel->GetOutline(0, 1), Lanes({left, right}));
}

TEST_F(ThumbnailsOfASmallSong, AnUnreadableTakeShowsAWarningWithTheReasonAsTheCellsHint) {
  // Each opening of the take may read once: the scan reads its name, the
  // outline its first block of samples, and its second block fails.
  test::WriteTake(song / "TRACK2_0.DAT", "B", test::Noise(100000, 3));
  FaultInjection::FailReadsOf("TRACK2_0.DAT", EIO, 1);
  window = MakeWindow(false);
  window->show();
  Open(song);
  RunUntil([&] { return !window->TakeSel->OutlineProblem(2, 0).isEmpty() && CellsWithOutlines() == 2; });
  FaultInjection::Reset();
  const QString reason = window->TakeSel->OutlineProblem(2, 0);
  EXPECT_TRUE(reason.startsWith(QString::fromLatin1(messages::TakeNotRead))) << reason.toStdString();
  EXPECT_TRUE(reason.contains(QStringLiteral("TRACK2_0.DAT")));
  EXPECT_TRUE(reason.contains(QString::fromLatin1(std::strerror(EIO))));
  EXPECT_FALSE(window->TakeSel->HasOutline(2, 0));

  // The hint the user sees over the cell, and over a sound cell the grid's own.
  const auto hintAt = [&](int row, int column) {
    const QPoint at(column * 60 + 30, row * 20 + 10);
    QHelpEvent help(QEvent::ToolTip, at, window->TakeSel->mapToGlobal(at));
    QApplication::sendEvent(window->TakeSel, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_EQ(hintAt(2, 0), reason);
  QToolTip::hideText();
  EXPECT_EQ(hintAt(0, 0), QStringLiteral("Takes"));
  QToolTip::hideText();
}

// A copy cut off at 3,000 bytes keeps its name but ends inside its header:
// the cell shows the warning mark and why, as for a take that cannot be read;
// so does a master take with one side cut short.
TEST_F(ThumbnailsOfASmallSong, ATakeCutShortInsideItsHeaderShowsAWarningWithTheReason) {
  fs::resize_file(song / "TRACK2_0.DAT", 3000);
  fs::resize_file(song / "TRACKR_1.DAT", 3000);
  window = MakeWindow(false);
  window->show();
  Open(song);
  WaitForOutlines();
  ASSERT_TRUE(window->TakeSel->GetAssigned(2, 0));
  EXPECT_TRUE(window->TakeSel->GetCaptions(2, 0).startsWith(QStringLiteral("B")));
  for (const auto& [matrix, row, column, file] :
       {std::tuple{window->TakeSel, 2, 0, "TRACK2_0.DAT"}, std::tuple{window->MasTakeSel, 0, 1, "TRACKR_1.DAT"}}) {
    const QString reason = matrix->OutlineProblem(row, column);
    EXPECT_TRUE(reason.startsWith(QString::fromLatin1(messages::TakeCutShort))) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QString::fromLatin1(file))) << reason.toStdString();
    EXPECT_FALSE(matrix->HasOutline(row, column));
  }
  EXPECT_TRUE(window->TakeSel->HasOutline(0, 0)) << "a whole take keeps its outline";
}

TEST_F(ThumbnailsOfASmallSong, ARenamedTakeIsReadAgainAndADeletedOneLosesItsOutline) {
  OpenAndWait(3);
  const long before = window->Thumbnails().TakesRead();
  dialogs->menuChoice = QStringLiteral("Change the &Name...");
  dialogs->entries.push_back(QStringLiteral("Renamed"));
  const QPoint at(5, 2 * 20 + 5);
  QContextMenuEvent request(QContextMenuEvent::Mouse, at, window->TakeSel->mapToGlobal(at));
  QApplication::sendEvent(window->TakeSel, &request);
  RunUntil([&] { return window->Thumbnails().TakesRead() == before + 1 && window->TakeSel->HasOutline(2, 0); });
  EXPECT_EQ(window->TakeSel->GetOutline(2, 0), Lanes({b}));

  dialogs->menuChoice = QStringLiteral("Delete");
  dialogs->answers.push_back(true);
  QApplication::sendEvent(window->TakeSel, &request);
  RunUntilIdle();
  EXPECT_FALSE(window->TakeSel->GetAssigned(2, 0));
  EXPECT_FALSE(window->TakeSel->HasOutline(2, 0));
}

TEST_F(ThumbnailsOfASmallSong, AnotherSongShowsOnlyItsOwnOutlines) {
  const fs::path other = scratch / "OTHER";
  fs::create_directories(other);
  test::WriteProjectInfo(other, "OTHER");
  const std::vector<int16_t> c = test::Noise(5000, 6);
  test::WriteTake(other / "TRACK5_5.DAT", "C", c);
  ReadingHold hold;
  outlineReading = hold.Hook();
  window = MakeWindow(false);
  Open(song);
  hold.WaitForArrival();  // held in the first song's first take
  Open(other);
  hold.Release();
  RunUntil([&] { return window->TakeSel->HasOutline(5, 5); });
  // The first song's reading was given up: its cells stay empty.
  RunUntilIdle();
  EXPECT_EQ(CellsWithOutlines(), 1);
  EXPECT_EQ(window->TakeSel->GetOutline(5, 5), Lanes({c}));
}

TEST_F(ThumbnailsOfASmallSong, OutlinesWaitWhileTheAuditionPlays) {
  OpenAndWait(3);
  EXPECT_FALSE(window->Thumbnails().Gate().Paused());
  Click(window->TakeSel, 0, 0);
  Click(window->AudBtn);
  ASSERT_TRUE(window->Playing);
  EXPECT_TRUE(window->Thumbnails().Gate().Paused());
  Click(window->AudBtn);
  ASSERT_FALSE(window->Playing);
  EXPECT_FALSE(window->Thumbnails().Gate().Paused());
}

TEST_F(ThumbnailsOfASmallSong, ATakeImportedOverAnotherShowsTheNewOutline) {
  OpenAndWait(3);
  const fs::path source = scratch / "new.wav";
  test::WriteWithSndfile(source, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, test::Noise(12000, 77));
  dialogs->answers.push_back(true);  // replace the take
  const QPoint at(7, 2 * 20 + 7);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(test::Q(source))});
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->TakeSel, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->TakeSel, &drop);
  ASSERT_EQ(dialogs->questions.size(), 1u);
  // The take as written: the new samples, padded to whole blocks.
  const std::vector<TMtxLane> expected = Lanes({test::ReadTakeSamples(song / "TRACK2_0.DAT")});
  ASSERT_NE(expected, Lanes({b}));
  RunUntil([&] { return window->TakeSel->GetOutline(2, 0) == expected; });
}

TEST_F(ThumbnailsOfASmallSong, OutlinesWaitWhileAnExportRuns) {
  OpenAndWait(3);
  Click(window->TakeSel, 0, 0);
  const fs::path exported = scratch / "out.wav";
  dialogs->save = [&](SaveDialog& dialog) {
    dialog.fileName = test::Q(exported);
    dialog.filterIndex = 1;
    return true;
  };
  // The "Converted" box comes while the conversion still holds the window.
  std::optional<bool> pausedWhileConverting;
  dialogs->onMessage = [&](const QString&) { pausedWhileConverting = window->Thumbnails().Gate().Paused(); };
  Click(window->ExpBtn);
  ASSERT_TRUE(fs::exists(exported));
  ASSERT_TRUE(pausedWhileConverting.has_value());
  EXPECT_TRUE(*pausedWhileConverting);
  EXPECT_FALSE(window->Thumbnails().Gate().Paused());
}

}  // namespace
}  // namespace tp
