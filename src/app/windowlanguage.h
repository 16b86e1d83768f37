// The window in the user's language: the program's own texts and Qt's (the
// buttons of its dialogs), chosen by the locale. Without a translation for
// the locale the window keeps its English texts exactly as written, with
// English plurals ("1 file", "3 files").
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>

#include <string>

namespace tp {

class Status;

// Installs the translations for `locale` into the application for as long
// as it lives (main keeps one for the program's life; a test one per case).
class WindowLanguage {
 public:
  explicit WindowLanguage(const QLocale& locale = QLocale::system());
  ~WindowLanguage();
  WindowLanguage(const WindowLanguage&) = delete;
  WindowLanguage& operator=(const WindowLanguage&) = delete;

  // True when the program's own texts are translated for the locale.
  bool Translated() const { return ownInstalled_; }

 private:
  QTranslator own_;
  QTranslator qt_;
  QTranslator plurals_;
  bool ownInstalled_ = false;
  bool qtInstalled_ = false;
  bool pluralsInstalled_ = false;
};

// One of the program's texts (messages.h) in the window's language.
QString MessageText(const char* message);
// The same as UTF-8, for a text the core puts together (a Wording).
std::string TranslatedText(const char* message);
// The items joined by the window's language's separator ("a, b" or "a、b").
QString JoinedList(const QStringList& items);
// A failure as the window shows it: the message in the window's language,
// then the file and the system's reason as they are.
QString StatusText(const Status& status);

}  // namespace tp
