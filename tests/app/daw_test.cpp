// "Export to DAW..." from the folder tree's menu, offscreen: a right-click on
// the real tree, the real save dialog driven through its widgets, and the
// file read back by the same independent reader as the command's tests.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "dawproject/ardourfixture.h"
#include "dawproject/sessionfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Q;
using test::RunUntilIdle;

class DawExport : public test::WindowTest {
 protected:
  void SetUp() override {
    test::WriteSessionSong(song);
    fs::create_directories(out);
    window = MakeWindow(false);
    window->show();
    RunUntilIdle();
  }
  void ExportFromMenu(const fs::path& folder) {
    test::ChooseFromFolderMenu(*window, *dialogs, folder, QStringLiteral("Export to &DAW..."));
    while (window->ArchiveRunning) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    RunUntilIdle();
  }
  // Acts on the real save dialog once it is up: the menu's right-click runs
  // the event loop before the dialog opens, so a single shot would fire too
  // early.
  void WhenTheSaveDialogOpens(std::function<void(QFileDialog*)> act) {
    auto* watch = new QTimer(window.get());
    QObject::connect(watch, &QTimer::timeout, watch, [watch, act] {
      auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!files) return;
      watch->stop();
      watch->deleteLater();
      act(files);
    });
    watch->start(10);
  }
  const fs::path song = scratch.path() / "song", out = scratch.path() / "out";
};

TEST_F(DawExport, TheOpenSongGoesWithTheChosenTakesAndTheMixerThroughTheRealSaveDialog) {
  window->DirTree->SetDirectory(Q(song));
  RunUntilIdle();
  ASSERT_TRUE(window->Model().ProjectOpen);
  test::Click(window->TakeSel, 0, 1);  // Track1-2, "Kick 2"
  window->Audition().Settings().pan[2] = 100;
  window->Audition().Settings().mute[4] = true;

  dialogs->realSaveDialog = true;
  QString offeredName, offeredFilter;
  WhenTheSaveDialogOpens([&](QFileDialog* files) {
    auto* types = files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(types && name);
    offeredName = name->text();
    offeredFilter = types->currentText();
    files->setDirectory(Q(out));
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, QStringLiteral("take one"));
    QTest::keyClick(name, Qt::Key_Return);
  });
  ExportFromMenu(song);
  EXPECT_EQ(offeredName, QStringLiteral("Caf\u00e9 \uff71\uff72.dawproject"));
  EXPECT_EQ(offeredFilter, QStringLiteral("DAWproject (*.dawproject)"));
  ASSERT_FALSE(dialogs->messages.empty());
  EXPECT_TRUE(dialogs->messages.back().startsWith(QStringLiteral("Written"))) << dialogs->messages.back().toStdString();

  const fs::path file = out / "take one.dawproject";
  EXPECT_EQ(test::SchemaErrors(file, out / "xml"), "");
  const nlohmann::json session = test::ReadSession(file, song);
  ASSERT_FALSE(session.is_null());
  const auto& tracks = session["tracks"];
  ASSERT_EQ(tracks.size(), 5u);
  EXPECT_EQ(tracks[0]["name"], "Kick 2");
  EXPECT_EQ(tracks[0]["lanes"][0]["name"], "Kick 2 (Track01-2)");
  EXPECT_EQ(tracks[0]["lanes"][0]["enable"], "true");
  EXPECT_EQ(tracks[1]["pan"]["value"], "1");
  EXPECT_EQ(tracks[2]["mute"], "true");
  for (const auto& track : tracks)
    for (const auto& clip : track["lanes"]) {
      EXPECT_TRUE(clip["exists"]);
      EXPECT_TRUE(clip["samplesEqualTake"]) << clip["path"];
    }
}

TEST_F(DawExport, TheSecondTypeOfTheSaveDialogWritesAnArdourSessionFolderThatArdourLoads) {
  dialogs->realSaveDialog = true;
  QStringList offeredTypes;
  WhenTheSaveDialogOpens([&](QFileDialog* files) {
    auto* types = files->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(types && name);
    for (int i = 0; i < types->count(); ++i) offeredTypes << types->itemText(i);
    files->setDirectory(Q(out));
    types->setCurrentIndex(1);
    emit types->activated(1);  // what a click on the item sends
    name->setFocus();
    name->clear();
    QTest::keyClicks(name, QStringLiteral("Demo session"));
    QTest::keyClick(name, Qt::Key_Return);
  });
  ExportFromMenu(song);
  EXPECT_EQ(offeredTypes, (QStringList{QStringLiteral("DAWproject (*.dawproject)"),
                                       QStringLiteral("Ardour session (folder)")}));
  ASSERT_FALSE(dialogs->messages.empty());
  EXPECT_TRUE(dialogs->messages.back().startsWith(QStringLiteral("Written"))) << dialogs->messages.back().toStdString();
  const fs::path folder = out / "Demo session";
  EXPECT_EQ(test::NamesIn(out), std::vector<std::string>{"Demo session"}) << "a folder, with no extension";
  EXPECT_TRUE(fs::is_regular_file(folder / "Demo session.ardour"));
  const test::ArdourListing listing = test::ListWithArdour(folder);
  ASSERT_TRUE(listing.complete) << listing.output;
  ASSERT_EQ(listing.routes.size(), 6u);  // the master bus, four tracks, the master takes
  EXPECT_EQ(listing.routes[1].name, "Kick");
  EXPECT_EQ(listing.routes[5].name, "Master takes");
}

TEST_F(DawExport, ACancelledSaveDialogWritesNothingAndAFolderWithoutASongIsNotOfferedTheExport) {
  dialogs->save = [](SaveDialog&) { return false; };
  ExportFromMenu(song);
  EXPECT_EQ(dialogs->saveDialogsShown.size(), 1u);
  EXPECT_TRUE(test::NamesIn(out).empty());
  EXPECT_TRUE(dialogs->messages.empty());

  // A folder that holds no song is not offered the export at all.
  ExportFromMenu(out);
  std::vector<QString> offered;
  for (const auto& [text, enabled] : dialogs->lastMenu) offered.push_back(text);
  EXPECT_EQ(offered, (std::vector<QString>{QStringLiteral("&Archive..."), QStringLiteral("&Restore...")}));
  EXPECT_TRUE(dialogs->messages.empty());
  EXPECT_EQ(dialogs->saveDialogsShown.size(), 1u);
  ExportFromMenu(song);
  ASSERT_EQ(dialogs->lastMenu.size(), 3u);
  EXPECT_EQ(dialogs->lastMenu[1].first, QStringLiteral("Export to &DAW..."));
}

}  // namespace
}  // namespace tp
