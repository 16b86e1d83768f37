// Start-up: the application's title, the main window, then the new-folder
// form and the wave preview form, and the event loop. An exception that escapes is shown in an error
// box and ends the program.
//
// "--make-demo" is the one option: it writes the demo project once (for
// `make run`), says where it is, and ends without opening a window.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <exception>

#include "app/demoproject.h"
#include "app/texts.h"
#include "app/tmainwin.h"
#include "dialogs/tgetwin.h"
#include "folders/tnfwin.h"

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

void showError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok);
  box.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--make-demo") == 0) return makeDemo();

  QApplication application(argc, argv);
  // The title of plain message boxes; the desktop entry names the program
  // for the task bar.
  QApplication::setApplicationName(QString::fromLatin1(tp::texts::ApplicationTitle));
  QGuiApplication::setDesktopFileName(QStringLiteral("trackporter"));
  // Menus, message and input boxes are windows of their own: they take the
  // application's font, not the main window's.
  QApplication::setFont(tp::TMainWin::WindowFont());
  try {
    tp::TMainWin mainWin;
    tp::TNfWin nfWin(&mainWin);
    mainWin.SetNfWin(&nfWin);
    // The wave preview form: hidden until an import's open dialog carries it.
    tp::TGetWin getWin;
    mainWin.SetGetWin(&getWin);
    mainWin.show();
    return application.exec();
  } catch (const std::exception& error) {
    showError(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    showError(QString());
  }
  return 1;
}
