// The window's file dialogs in Japanese, as the real dialogs show them: the
// side bar of places as wide as its longest name, and the folder chooser's
// detail columns as wide as what they show.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>

#include <gtest/gtest.h>

#include "app/windowlanguage.h"
#include "controls/tbpbtn.h"
#include "dialogs/dialogfixture.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;

class JapaneseFileDialogs : public test::WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(japanese.Translated());
    fs::create_directories(songs / "SONG01");
    test::WriteProjectInfo(songs / "SONG01", "SONG");
    window = MakeWindow(false);
    window->show();
    test::RunUntilIdle();
  }
  void TearDown() override { window.reset(); }

  // What a side bar name needs beside what the side bar gives it.
  static void ExpectSideBarWhole(QFileDialog& files) {
    auto* sideBar = files.findChild<QListView*>(QStringLiteral("sidebar"));
    ASSERT_NE(sideBar, nullptr);
    ASSERT_GT(sideBar->model()->rowCount(), 0);
    EXPECT_GE(sideBar->viewport()->width(), sideBar->sizeHintForColumn(0))
        << "the longest place name is cut: " << sideBar->model()->index(0, 0).data().toString().toStdString();
  }

  const WindowLanguage japanese{QLocale(QLocale::Japanese, QLocale::Japan)};
  const fs::path songs = scratch / "songs";
};

TEST_F(JapaneseFileDialogs, TheOpenDialogsSideBarShowsItsPlacesWhole) {
  bool looked = false;
  dialogs->open = [&](TCOpenDialog& dialog) {
    dialog.SetInitialDir(Q(songs));
    return test::executeWith(dialog, [&] {
      ASSERT_NE(dialog.FileDialog(), nullptr);
      ExpectSideBarWhole(*dialog.FileDialog());
      looked = true;
    });
  };
  Open(songs / "SONG01");
  Click(window->TrackSel, 0, 0);
  Click(window->TakeSel, 0, 0);
  ASSERT_TRUE(window->ImpBtn->isEnabled());
  Click(window->ImpBtn);
  EXPECT_TRUE(looked);
}

TEST_F(JapaneseFileDialogs, TheFolderChoosersDetailColumnsAndSideBarShowTheirTextsWhole) {
  bool looked = false;
  QTimer::singleShot(0, [&] {
    auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(files, nullptr);
    ExpectSideBarWhole(*files);
    auto* details = files->findChild<QAbstractButton*>(QStringLiteral("detailModeButton"));
    ASSERT_NE(details, nullptr);
    QTest::mouseClick(details, Qt::LeftButton);
    ASSERT_EQ(test::listedNames(*files, Q(songs), 1).count(QStringLiteral("SONG01")), 1u);
    auto* tree = files->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(tree, nullptr);
    QTest::qWait(50);  // the columns follow their contents once laid out
    for (int column = 1; column < tree->header()->count(); ++column)
      EXPECT_GE(tree->header()->sectionSize(column), static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(column))
          << "column " << column;
    looked = true;
    files->reject();
  });
  EXPECT_EQ(StandardDialogs().ChooseFolder(window.get(), QStringLiteral("Archive into folder"), Q(songs)),
            std::nullopt);
  EXPECT_TRUE(looked);
}

}  // namespace
}  // namespace tp
