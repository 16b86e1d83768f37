// The new-folder dialog: its layout, which keys and buttons confirm, and the
// path it leads to.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "folders/tnfwin.h"

namespace tp {
namespace {

class NewFolderDialog : public ::testing::Test {
 protected:
  // Opens the dialog window-modally, as exec would, without blocking the test.
  void Open() {
    form.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
  }
  TNfWin form;
};

TEST_F(NewFolderDialog, IsLaidOutWithCancelAsTheDefaultButton) {
  EXPECT_EQ(form.windowTitle(), QStringLiteral("New Folder"));
  EXPECT_EQ(form.size(), QSize(257, 74));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.Label1->pos(), QPoint(17, 16));
  EXPECT_TRUE(form.Label1->text().startsWith(QStringLiteral("Enter Folder Name ")));
  EXPECT_EQ(form.FolderEdit->geometry(), QRect(16, 40, 117, 20));
  EXPECT_EQ(form.OkBtn->geometry(), QRect(164, 16, 75, 20));
  EXPECT_EQ(form.CanBtn->geometry(), QRect(164, 40, 75, 20));
  EXPECT_EQ(form.OkBtn->text(), QStringLiteral("OK"));
  EXPECT_EQ(form.CanBtn->text(), QStringLiteral("CANCEL"));
  EXPECT_TRUE(form.CanBtn->isDefault());
  EXPECT_FALSE(form.OkBtn->isDefault());
}

TEST_F(NewFolderDialog, EnterAndEscapeCancelWhileAClickOnOkConfirms) {
  struct Case {
    const char* what;
    std::function<void(TNfWin&)> act;
    int result;
  };
  const Case cases[] = {
      {"Enter", [](TNfWin& f) { QTest::keyClick(f.FolderEdit, Qt::Key_Return); }, TNfWin::ResultCancel},
      {"Escape", [](TNfWin& f) { QTest::keyClick(f.FolderEdit, Qt::Key_Escape); }, TNfWin::ResultCancel},
      {"CANCEL", [](TNfWin& f) { QTest::mouseClick(f.CanBtn, Qt::LeftButton); }, TNfWin::ResultCancel},
      {"OK", [](TNfWin& f) { QTest::mouseClick(f.OkBtn, Qt::LeftButton); }, TNfWin::ResultOk},
  };
  for (const Case& c : cases) {
    Open();
    form.FolderEdit->setFocus();
    QTest::keyClicks(form.FolderEdit, QStringLiteral("take2"));
    c.act(form);
    EXPECT_FALSE(form.isVisible()) << c.what;
    EXPECT_EQ(form.result(), c.result) << c.what;
    form.FolderEdit->clear();
  }
}

TEST_F(NewFolderDialog, KeepsTheLastNameForTheNextTime) {
  Open();
  QTest::keyClicks(form.FolderEdit, QStringLiteral("mixes"));
  QTest::mouseClick(form.OkBtn, Qt::LeftButton);
  Open();
  EXPECT_EQ(form.FolderName(), QStringLiteral("mixes"));
  QTest::mouseClick(form.CanBtn, Qt::LeftButton);
}

// Typed as a user types: to whatever has the focus.
TEST_F(NewFolderDialog, EachTimeItShowsTypingReplacesTheNameAndABlankPressesNothing) {
  for (const char* typed : {"mixes", "new take"}) {
    Open();
    ASSERT_EQ(QApplication::focusWidget(), form.FolderEdit) << typed;
    EXPECT_EQ(form.FolderEdit->selectedText(), form.FolderName()) << typed;
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
    EXPECT_TRUE(form.isVisible()) << typed;
    EXPECT_EQ(form.FolderName(), QString::fromLatin1(typed));
    QTest::mouseClick(form.OkBtn, Qt::LeftButton);
    EXPECT_EQ(form.result(), TNfWin::ResultOk);
  }
}

TEST(NewFolderPath, JoinsTheNameToTheSelectedFolderWithOneSeparator) {
  struct Case {
    const char* folder;
    const char* name;
    const char* path;
  };
  const Case cases[] = {
      {"/home/alice/songs", "take2", "/home/alice/songs/take2"},
      {"/", "take2", "/take2"},           // the root keeps its one separator
      {"", "take2", "/take2"},            // the Desktop stands for the root
      {"/home/alice", " b ", "/home/alice/ b "},  // as typed, blanks and all
      {"/home/alice", "", "/home/alice/"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NewFolderPath(QString::fromUtf8(c.folder), QString::fromUtf8(c.name)), QString::fromUtf8(c.path))
        << c.folder << " + " << c.name;
}

}  // namespace
}  // namespace tp
