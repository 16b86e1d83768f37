#include "app/launch.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/appicon.h"
#include "project/messages.h"

namespace tp {

namespace {

QtMessageHandler handlerBeforeStart = nullptr;

void OnMessageWhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  // The only fatal message while the application object is made is the
  // platform's: no display could be opened. Qt would abort after it.
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", messages::DisplayNeeded);
    std::_Exit(1);
  }
  if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0) return;
  if (handlerBeforeStart) handlerBeforeStart(type, context, text);
}

}  // namespace

void WatchDisplayStart() { handlerBeforeStart = qInstallMessageHandler(OnMessageWhileStarting); }

void DisplayStarted() { qInstallMessageHandler(handlerBeforeStart); }

bool DisplayMissing(const QStringList& arguments, const std::function<QString(const char*)>& environment) {
  if (!environment("QT_QPA_PLATFORM").isEmpty()) return false;
  for (const QString& argument : arguments)
    if (argument == QLatin1String("-platform") || argument == QLatin1String("--platform") ||
        argument.startsWith(QLatin1String("-platform=")))
      return false;
  return environment("DISPLAY").isEmpty() && environment("WAYLAND_DISPLAY").isEmpty();
}

QString UnknownOption(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (argument == QLatin1String("--")) break;
    if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) return argument;
  }
  return {};
}

LaunchFolder FolderToOpen(const QStringList& arguments) {
  bool optionsEnded = false;
  for (const QString& argument : arguments) {
    if (!optionsEnded && argument == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && argument.startsWith(QLatin1Char('-'))) continue;
    // A file manager may hand over a URL (%U); only a local one names a folder.
    const QString path = argument.startsWith(QLatin1String("file:")) ? QUrl(argument).toLocalFile() : argument;
    const QFileInfo given(path);
    if (!given.exists()) return {QString(), argument};
    return {given.isDir() ? given.absoluteFilePath() : given.absolutePath(), QString()};
  }
  return {};
}

void NameApplication() {
  QGuiApplication::setApplicationName(QString::fromLatin1(messages::ApplicationName));
  QGuiApplication::setDesktopFileName(QLatin1String(ApplicationId));
}

}  // namespace tp
