// The program's own start-up choice of language: main's WindowLanguage,
// built from the locale the environment names (LANG, LC_MESSAGES, LC_ALL,
// LANGUAGE). CTest runs this under a Japanese and under a German locale and
// names the language it expects in TP_EXPECTED_LANGUAGE.
#include <QTabWidget>

#include <gtest/gtest.h>

#include "app/windowlanguage.h"
#include "windowfixture.h"

namespace tp {
namespace {

class UserLocale : public test::WindowTest {};

TEST_F(UserLocale, ChoosesTheLanguageOfTheWindowsTabs) {
  const bool japanese = qEnvironmentVariable("TP_EXPECTED_LANGUAGE") == QLatin1String("ja");
  const WindowLanguage language;
  EXPECT_EQ(language.Translated(), japanese);
  window = MakeWindow(false);
  const QStringList expected =
      japanese ? QStringList{"フォルダー", "タイム", "ミキサー"} : QStringList{"Folders", "Time", "Mixer"};
  QStringList tabs;
  for (int tab = 0; tab < window->PageControl->count(); ++tab) tabs << window->PageControl->tabText(tab);
  EXPECT_EQ(tabs, expected);
  window.reset();
}

}  // namespace
}  // namespace tp
