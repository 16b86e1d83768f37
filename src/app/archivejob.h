// The work the folder tree's menu starts beside the window (an archive, a
// restore, an export to a DAW): its thread, the stop flag its Cancel sets,
// and the progress dialog that shows it.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/tmainwin.h"

namespace tp {

struct TMainWin::ArchiveJob {
  std::thread worker;
  // Set by Cancel (user-interface thread), read between blocks (job thread).
  std::atomic<bool> stop{false};
  // The rest belongs to the user-interface thread.
  QPointer<QProgressDialog> progress;
  QStringList failures;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

}  // namespace tp
