// The window in the user's language: under a Japanese locale its tabs,
// buttons, hints and questions are Japanese, Qt's own buttons too; under any
// other locale every text is the English it was written in. The command
// line's wording stays English whatever the window loaded.
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "app/windowlanguage.h"
#include "controls/tbpbtn.h"
#include "convert/conversion.h"
#include "project/messages.h"
#include "storage/status.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;

// What the window shows in one language.
struct Shown {
  QStringList tabs;
  QStringList folderButtons;  // Sort, New, Refresh
  QStringList hints;          // the tooltips of IMPORT, EXPORT and the play button
  QString deleteCaption;
  QString deleteQuestion;  // before the take's name
  QStringList questionButtons;
};

const Shown English{{"Folders", "Time", "Mixer"},
                    {"&Sort", "&New", "Re&fresh"},
                    {"Import", "Export", "Audition"},
                    "Take Deleting",
                    "Are you sure to delete the Take?  \n  Track1-1[Kick",
                    {"&Yes", "&No"}};
const Shown Japanese{{"フォルダー", "タイム", "ミキサー"},
                     {"並べ替え(&S)", "新規(&N)", "更新(&F)"},
                     {"読み込み", "書き出し", "試聴"},
                     "テイクの削除",
                     "このテイクを削除してもよろしいですか?  \n  Track1-1[Kick",
                     {"はい(&Y)", "いいえ(&N)"}};

class Language : public test::WindowTest {
 protected:
  Language() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "SONG");
    test::WriteTake(project / "TRACK0_0.DAT", "Kick", test::Ramp(441));
  }
  ~Language() override { window.reset(); }

  // The window's texts, and the real question box before a deletion as the
  // user meets it (answered No).
  Shown WhatTheWindowShows() {
    window = MakeWindow(false);
    window->show();
    Open(project);
    Shown shown;
    for (int tab = 0; tab < window->PageControl->count(); ++tab) shown.tabs << window->PageControl->tabText(tab);
    shown.folderButtons = {window->SortBtn->text(), window->NewFldrBtn->text(), window->RefBtn->text()};
    shown.hints = {window->ImpBtn->toolTip(), window->ExpBtn->toolTip(), window->AudBtn->toolTip()};
    dialogs->realQuestions = true;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shown.deleteCaption = box->windowTitle();
      shown.deleteQuestion = box->text().left(box->text().indexOf(QStringLiteral("Kick")) + 4);
      for (QAbstractButton* button : box->buttons()) shown.questionButtons << button->text();
      box->button(QMessageBox::No)->click();
    });
    window->TakePopupPopup(QPoint(5, 5));
    window->DelTakePopupClick();
    EXPECT_TRUE(fs::exists(project / "TRACK0_0.DAT")) << "No keeps the take";
    return shown;
  }

  static void ExpectSame(const Shown& shown, const Shown& expected, const std::string& locale) {
    EXPECT_EQ(shown.tabs, expected.tabs) << locale;
    EXPECT_EQ(shown.folderButtons, expected.folderButtons) << locale;
    EXPECT_EQ(shown.hints, expected.hints) << locale;
    EXPECT_EQ(shown.deleteCaption, expected.deleteCaption) << locale;
    EXPECT_EQ(shown.deleteQuestion, expected.deleteQuestion) << locale;
    EXPECT_EQ(shown.questionButtons, expected.questionButtons) << locale;
  }

  const fs::path project = scratch.path() / "song";
};

TEST_F(Language, AJapaneseLocaleShowsTheTabsButtonsHintsAndQuestionsInJapanese) {
  const WindowLanguage language(QLocale(QLocale::Japanese, QLocale::Japan));
  ASSERT_TRUE(language.Translated());
  ExpectSame(WhatTheWindowShows(), Japanese, "ja_JP");
}

TEST_F(Language, EveryOtherLocaleKeepsTheEnglishTextsAndQtsEnglishButtons) {
  for (const char* name : {"en_US", "en_GB", "de_DE", "fr_FR", "C"}) {
    const WindowLanguage language{QLocale(QString::fromLatin1(name))};
    EXPECT_FALSE(language.Translated()) << name;
    ExpectSame(WhatTheWindowShows(), English, name);
  }
}

// The core's texts are translated where the window shows them; the same
// functions called as the command line calls them still say the English.
TEST_F(Language, TheCoresTextsAreJapaneseInTheWindowAndEnglishOnTheCommandLine) {
  const WindowLanguage language(QLocale(QLocale::Japanese, QLocale::Japan));
  ASSERT_TRUE(language.Translated());
  const Status failure = Status::Fail(messages::TakeNotOpened, "/songs/TRACK0_0.DAT");
  EXPECT_EQ(StatusText(failure), QStringLiteral("テイクを開けませんでした: /songs/TRACK0_0.DAT"));
  EXPECT_EQ(failure.Text(), "The take could not be opened: /songs/TRACK0_0.DAT");

  ConversionResult result;
  result.clippedSamples = 312;
  Loudness loudness;
  loudness.integratedLufs = -18.3;
  loudness.rangeLu = 6.1;
  loudness.truePeakDbtp = -1.2;
  result.loudness = loudness;
  EXPECT_EQ(
      LinesUnderConverted(result, TranslatedText),
      (std::vector<std::string>{"312 サンプルがクリップしました", "-18.3 LUFS、LRA 6.1 LU、トゥルーピーク -1.2 dBTP"}));
  EXPECT_EQ(LinesUnderConverted(result),
            (std::vector<std::string>{"312 samples clipped", "-18.3 LUFS, LRA 6.1 LU, true peak -1.2 dBTP"}));
  EXPECT_TRUE(MessageText(messages::NameCharactersRefused).endsWith(QStringLiteral("à ～ ÿ だけです。")));
}

}  // namespace
}  // namespace tp
