// Start-up: the application's title, the main window, then the new-folder
// form and the wave preview form, and the event loop. An exception that escapes is shown in an error
// box and ends the program.
//
// The options all end without opening a window: "--make-demo" writes the
// demo project once (for `make run`) and says where it is; "--help" and
// "--version" say what they say on any Unix program. Anything else is left
// to Qt (-platform, -style, ...).
#include <QApplication>
#include <QMessageBox>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

#include "app/appicon.h"
#include "app/demooffer.h"
#include "app/demoproject.h"
#include "app/dialogs.h"
#include "app/launch.h"
#include "project/messages.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "dialogs/tgetwin.h"
#include "folders/tnfwin.h"
#include "project/programversion.h"

namespace {

int makeDemo() {
  const auto folder = tp::DemoProjectFolder();
  switch (tp::MakeDemoProject(folder)) {
    case tp::DemoResult::Created:
      std::printf("A demo project was created in %s\n", folder.c_str());
      return 0;
    case tp::DemoResult::AlreadyThere:
      std::printf("The demo project is in %s\n", folder.c_str());
      return 0;
    case tp::DemoResult::Failed:
      std::fprintf(stderr, "The demo project could not be written to %s\n", folder.c_str());
      return 1;
  }
  return 1;
}

constexpr const char* Usage =
    "usage: trackporter [--make-demo | --help | --version] [Qt options] [FOLDER | FILE]\n"
    "\n"
    "Opens the TrackPorter window: select a song folder of the recorder in the\n"
    "folder tree to see its takes, audition them through the mixer, export them\n"
    "to WAV or AIFF, import files into takes, rename and delete them. Given a\n"
    "FOLDER (or a FILE, its folder), the window opens with it selected.\n"
    "\n"
    "Options:\n"
    "  --make-demo   write the demo song to \"TrackPorter Demo\" in the home folder\n"
    "                (unless it is there already), say where it is, and exit\n"
    "  -h, --help    show this help and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "Environment:\n"
    "  TRACKPORTER_AUDIO_DEVICE  play on the first sound output whose name holds\n"
    "                this text (trackporter-cli devices lists them); unset, the\n"
    "                system's default output\n"
    "  LANG, LC_MESSAGES, LC_ALL, LANGUAGE  the window's language: Japanese\n"
    "                where they name it (ja_JP.UTF-8), English otherwise\n"
    "\n"
    "The same operations for scripts: trackporter-cli --help.\n";

void showError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, tp::MessageText(tp::messages::ApplicationTitle), text, QMessageBox::Ok);
  tp::KeepTitleWhole(box);
  box.exec();
}

QStringList argumentList(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

// The options that end before any window is made: their exit status, or
// -1 when none was given.
int runEndingOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--make-demo") == 0) return makeDemo();
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(Usage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("trackporter %s\n", tp::ProgramVersion);
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = runEndingOption(argc, argv); status >= 0) return status;

  // Qt would abort (exit 134) without a display; say what is missing.
  if (tp::DisplayMissing(argumentList(argc, argv),
                         [](const char* name) { return QString::fromLocal8Bit(qgetenv(name)); })) {
    std::fprintf(stderr, "%s\n", tp::messages::DisplayNeeded);
    return 1;
  }
  // A file-size limit then shows as the write message of the export or
  // import that met it, instead of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  tp::WatchDisplayStart();
  QApplication application(argc, argv);
  tp::DisplayStarted();
  // Qt took its own options out of the arguments; what still looks like one
  // is a mistake, refused as any Unix program refuses it.
  if (const QString unknown = tp::UnknownOption(QApplication::arguments().mid(1)); !unknown.isEmpty()) {
    std::fprintf(stderr, "trackporter: unknown option %s\nTry 'trackporter --help'.\n", qPrintable(unknown));
    return 2;
  }
  // The window speaks the user's language where it has a translation for
  // the locale (LANG, LC_MESSAGES, LC_ALL), and English otherwise.
  const tp::WindowLanguage language;
  // The class of the windows (WM_CLASS), named in the desktop entry as its
  // StartupWMClass; the Wayland app id is the entry's own id. Message boxes
  // take their title from the program's title text.
  tp::NameApplication();
  QApplication::setWindowIcon(tp::ApplicationIcon());
  // Menus, message and input boxes are windows of their own: they take the
  // application's font, not the main window's.
  QApplication::setFont(tp::TMainWin::WindowFont());
  // Looked at before the window, which writes its settings when it closes.
  tp::FirstStart start = tp::LookAtFirstStart();
  try {
    tp::TMainWin mainWin;
    tp::TNfWin nfWin(&mainWin);
    mainWin.SetNfWin(&nfWin);
    // The wave preview form: hidden until an import's open dialog carries it.
    tp::TGetWin getWin;
    mainWin.SetGetWin(&getWin);
    // "trackporter SONGDIR", or "Open with" from a file manager.
    const tp::LaunchFolder launch = tp::FolderToOpen(QApplication::arguments().mid(1));
    if (!launch.missing.isEmpty())
      std::fprintf(stderr, "trackporter: %s: %s\n", tp::messages::NothingToOpen, qPrintable(launch.missing));
    if (!launch.folder.isEmpty()) mainWin.OpenAtStart(launch.folder);
    mainWin.show();
    start.folderGiven = !launch.folder.isEmpty() || !launch.missing.isEmpty();
    if (tp::ShouldOfferDemo(start)) tp::OfferDemoSong(mainWin, tp::DemoProjectFolder());
    return application.exec();
  } catch (const std::exception& error) {
    showError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    showError(QString());
  }
  return 1;
}
