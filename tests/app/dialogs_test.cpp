// The window's real message boxes: their title is not cut by the window
// manager, whose title bar is only as wide as the box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/dialogs.h"
#include "project/messages.h"

namespace tp {
namespace {

TEST(MessageBoxes, AreWideEnoughForTheProgramsTitle) {
  const QString title = QString::fromLatin1(messages::ApplicationTitle);
  QWidget owner;
  owner.show();
  for (const bool question : {false, true}) {
    int width = 0;
    QString shownTitle;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      width = box->width();
      shownTitle = box->windowTitle();
      box->reject();
    });
    StandardDialogs real;
    if (question) real.Confirm(&owner, title, QStringLiteral("Sure?"));
    else real.Message(&owner, QStringLiteral("Converted"));
    EXPECT_EQ(shownTitle, title) << question;
    EXPECT_GE(width, TitleRoom(title)) << question;
  }
  // The room is the title's and more, not a constant.
  EXPECT_GT(TitleRoom(title), TitleRoom(QStringLiteral("Naming")));
}

}  // namespace
}  // namespace tp
