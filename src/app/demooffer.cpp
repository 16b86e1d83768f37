#include "app/demooffer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include <system_error>

#include "app/demoproject.h"
#include "app/dialogs.h"
#include "app/tmainwin.h"
#include "app/windowlanguage.h"
#include "project/messages.h"

namespace tp {
namespace {

QString Translated(const char* text) { return QCoreApplication::translate("DemoOffer", text); }

}  // namespace

FirstStart LookAtFirstStart() {
  FirstStart start;
  start.settingsExist = QFileInfo::exists(TMainWin::UserSettingsFile());
  std::error_code error;
  // A demo folder that cannot even be looked at is not offered either.
  start.demoExists = std::filesystem::exists(DemoProjectFolder(), error) || error;
  start.platform = QGuiApplication::platformName();
  return start;
}

bool ShouldOfferDemo(const FirstStart& start) {
  // Tests and screenshots run offscreen: nobody is there to answer.
  return !start.folderGiven && !start.settingsExist && !start.demoExists &&
         start.platform != QLatin1String("offscreen") && start.platform != QLatin1String("minimal");
}

void OfferDemoSong(TMainWin& window, const std::filesystem::path& folder) {
  const QString path = QFile::decodeName(QByteArray::fromStdString(folder.string()));
  QMessageBox box(QMessageBox::Question, MessageText(messages::ApplicationTitle),
                  Translated(QT_TRANSLATE_NOOP("DemoOffer",
                                               "Create a demo song in \"%1\"? It has a few takes on several "
                                               "tracks to audition, mix and export."))
                      .arg(path),
                  QMessageBox::Yes | QMessageBox::No, &window);
  box.setDefaultButton(QMessageBox::Yes);
  KeepTitleWhole(box);
  if (box.exec() != QMessageBox::Yes) return;
  if (MakeDemoProject(folder) == DemoResult::Failed) {
    QMessageBox failed(QMessageBox::Warning, MessageText(messages::ApplicationTitle),
                       Translated(QT_TRANSLATE_NOOP("DemoOffer", "The demo song could not be written to \"%1\"."))
                           .arg(path),
                       QMessageBox::Ok, &window);
    KeepTitleWhole(failed);
    failed.exec();
    return;
  }
  window.OpenAtStart(path);
}

}  // namespace tp
