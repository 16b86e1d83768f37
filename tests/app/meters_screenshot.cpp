// Plays the demo song in the real window on a real display and takes
// pictures of the screen for the README: the "Time" page during the
// audition (meters moving, the clip light lit by the demo's loud mix), and
// the "Mixer" page with a solo and a mute. Not a test; run it as
//
//   xvfb-run -s '-screen 0 1280x900x24' build/tests/app/app_screenshot OUT_FOLDER
//
// Clicks and keys go through the X server with xdotool, pictures are taken
// with ImageMagick's `import -window root`, cut to the window. A virtual display has no sound card,
// so the window plays on the virtual sound device, with a thread of this
// program playing its halves at the pace a card would.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "app/demoproject.h"
#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tvolume.h"
#include "playback/transport.h"
#include "playback/virtualsounddevice.h"
#include "support/tempfolder.h"

namespace {

using namespace tp;

// The virtual device, played in real time: one half every 186 ms.
class PacedDevice : public VirtualSoundDevice {
 public:
  PacedDevice()
      : player_([this] {
          const auto half = std::chrono::microseconds(1000000ull * Transport::FramesPerHalf / 44100);
          while (!stop_.load()) {
            if (IsPlaying()) PlayNextHalf(std::chrono::milliseconds(500));
            std::this_thread::sleep_for(half);
          }
        }) {}
  ~PacedDevice() override {
    stop_ = true;
    player_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread player_;
};

// Lets the window run for `milliseconds` in an event loop of its own, which
// waits for events as the program's does (the idle rules run there).
void runFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// A click of the first button at `point` of `widget`, through the X server.
void click(QWidget* widget, QPoint point) {
  const QPoint at = widget->mapToGlobal(point);
  QProcess::execute("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
  runFor(150);
}
void click(QWidget* widget) { click(widget, widget->rect().center()); }
void clickCell(TBtnMtx* matrix, int row, int column) {
  click(matrix, QPoint(column * matrix->BtnWidth() + matrix->BtnWidth() / 2,
                       row * matrix->BtnHeight() + matrix->BtnHeight() / 2));
}
void clickTab(QTabWidget* tabs, int index) { click(tabs->tabBar(), tabs->tabBar()->tabRect(index).center()); }
// Keys to whatever has the focus, through the X server.
void press(const QString& key, int times) {
  for (int i = 0; i < times; ++i) QProcess::execute("xdotool", {"key", key});
  runFor(150);
}

// The screen where `window` is, and nothing around it.
bool shoot(const QWidget& window, const QString& file) {
  const QRect area = window.frameGeometry();
  const QString crop = QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
  const int result = QProcess::execute("import", {"-window", "root", "-crop", crop, "+repage", file});
  std::printf("%s: %s\n", qPrintable(file), result == 0 ? "written" : "import failed");
  return result == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  tp::test::TempFolder home;
  // The takes' outlines are cached here rather than in the user's cache.
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString((home / "cache").string()));
  const auto song = home / "TrackPorter Demo";
  if (MakeDemoProject(song) != DemoResult::Created) return 1;

  TMainWin::Services services;
  services.sound = std::make_unique<PacedDevice>();
  services.settingsFile = QString::fromStdString((home / "trackporter.ini").string());
  TMainWin window(std::move(services));
  window.move(20, 20);
  window.show();
  runFor(500);
  window.DirTree->SetDirectory(QString::fromStdString(song.string()));
  runFor(500);

  // Every track take the demo mixes, as a musician would pick them.
  for (int track : {0, 1, 2, 3, 4, 5}) clickCell(window.TakeSel, track, 0);
  // The demo's own mix peaks at -3 dBFS; the kick and the bass pushed to
  // +12 dB make it clip.
  clickTab(window.PageControl, 2);
  for (int track : {0, 3}) {
    click(window.Volumes[track]);
    press("Page_Up", 3);
  }
  clickTab(window.PageControl, 1);
  click(window.AudBtn);
  runFor(2600);
  bool ok = shoot(window, out + "/meters-time.png");

  clickTab(window.PageControl, 2);
  click(window.SoloBtns[3]);  // the bass alone...
  click(window.SoloBtns[4]);  // ...with the chords
  click(window.MuteBtns[0]);  // and the kick muted
  runFor(1200);
  ok = shoot(window, out + "/meters-mixer.png") && ok;
  click(window.AudBtn);
  runFor(500);
  return ok ? 0 : 1;
}
