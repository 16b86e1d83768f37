// The thread an archive or a restore runs on, for the window. The core's
// plan and run functions are the command line's; this object runs them on
// a thread of its own so that the folder tree stays usable, and turns what
// they report into texts, delivered as signals on the user-interface
// thread. Stop() makes the run end after the file being written.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "archive/archiveplan.h"
#include "archive/archiverun.h"
#include "archive/restoreplan.h"
#include "convert/conversion.h"

namespace tp {

class RestoreProgress;

class ArchiveRunner : public QObject {
  Q_OBJECT

 public:
  explicit ArchiveRunner(QObject* parent = nullptr);
  // Stops the run, if any, and joins its thread.
  ~ArchiveRunner() override;

  // Both start a run on the runner's thread; one run at a time (the
  // user-interface thread's calls).
  void StartArchive(ArchiveRequest request, std::vector<ArchiveSongPlan> plans);
  // `force[i]`: the user agreed to replace the files of songs[i].
  void StartRestore(std::vector<SongToRestore> songs, std::vector<bool> force);
  // Runs one conversion that writes one file (the export to a DAW), its
  // progress shown as `label`: the summary is `written` when it completed,
  // that nothing was written when it was cancelled, else the failure.
  void StartConversion(QString label, std::function<ConversionResult(const ConversionHooks&)> convert,
                       QString written);
  void Stop() { stop_ = true; }
  bool Stopping() const { return stop_; }

  // Called on the run's thread after each file an archive wrote; tests hold
  // the thread there to press Cancel at a known point.
  std::function<void()> fileWritten;

 signals:
  // "Song 1 of 2, file 3 of 16: <file>\n<done> of <total>, <time> left";
  // `permille` of the work done. Not sent once Stop() was called.
  void Progress(const QString& text, int permille);
  // The run ended; `problems` lists what went wrong, one line each.
  void Finished(const QString& summary, const QStringList& problems);

 private:
  void start(std::function<void()> work);
  void post(std::function<void()> call);  // the run's thread
  void finish(const QString& summary);    // the run's thread
  ArchiveEvents eventsFor(const QStringList& fileNames);
  void showArchiveProgress(const ArchiveEvents::Progress& at, const QStringList& fileNames);
  QString restoreSongs(const std::vector<SongToRestore>& songs, const std::vector<bool>& force);
  void showRestoreProgress(RestoreProgress& progress, const std::filesystem::path& file, uint64_t bytes, size_t song,
                           size_t songs);

  std::thread worker_;
  // Set by Stop (user-interface thread), read between blocks (the run's thread).
  std::atomic<bool> stop_{false};
  // The run's thread only.
  QStringList problems_;
  std::chrono::steady_clock::time_point started_, lastPosted_;
  ArchiveEvents::Progress lastSeen_{};
};

}  // namespace tp
