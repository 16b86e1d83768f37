#include "app/windowlanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "storage/status.h"

namespace tp {

// The program's .qm files travel inside it (built from translations/*.ts),
// so that an uninstalled build speaks the same language as an installed one.
constexpr const char* OwnTranslations = ":/i18n";
// The context lupdate gives the texts of messages.h (QT_TRANSLATE_NOOP).
constexpr const char* MessagesContext = "Messages";

WindowLanguage::WindowLanguage(const QLocale& locale) {
  // QTranslator::load tries each of the locale's UI languages in turn
  // ("ja-JP", then "ja"); an English locale finds no file and loads nothing.
  ownInstalled_ =
      own_.load(locale, QStringLiteral("trackporter"), QStringLiteral("_"), QString::fromLatin1(OwnTranslations)) &&
      QCoreApplication::installTranslator(&own_);
  // Qt's own texts (Yes, No, Cancel, the file dialog) only where ours are
  // translated too: a window half in one language and half in another
  // helps nobody.
  if (ownInstalled_)
    qtInstalled_ = qt_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                   QCoreApplication::installTranslator(&qt_);
}

WindowLanguage::~WindowLanguage() {
  if (qtInstalled_) QCoreApplication::removeTranslator(&qt_);
  if (ownInstalled_) QCoreApplication::removeTranslator(&own_);
}

QString MessageText(const char* message) { return QCoreApplication::translate(MessagesContext, message); }

std::string TranslatedText(const char* message) { return MessageText(message).toStdString(); }

QString StatusText(const Status& status) {
  if (status.ok()) return QString();
  const std::string message = TranslatedText(status.message());
  if (PlacesItsDetail(status.message()))
    return QString::fromStdString(FillInMessage(message, status.file().string(), status.Reason()));
  return QString::fromStdString(JoinMessage(message, status.Detail()));
}

}  // namespace tp
