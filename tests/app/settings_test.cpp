// What the window remembers between runs, in a settings file of the test's
// own: the folder, the export and import folders, its place and size.
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Q;
using test::RunUntilIdle;

class Settings : public test::WindowTest {
 protected:
  Settings() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "REMEMBER");
    test::WriteTake(project / "TRACK0_0.DAT", "Kick", test::Ramp(100));
    fs::create_directories(exports);
    fs::create_directories(imports);
  }

  // A first run that chose everything, then closed.
  void FirstRun() {
    window = MakeWindow(false);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->DirTree->SetDirectory(Q(project));
    RunUntilIdle();
    window->LastExportFolder = Q(exports);
    window->LastImportFolder = Q(imports);
    // At the left edge: the test's screen is 800 pixels wide, narrower than
    // the window can be.
    window->setGeometry(0, 50, window->minimumWidth(), 520);
    window->close();
    window.reset();
  }

  const fs::path project = scratch / "songs" / "remember";
  const fs::path exports = scratch / "exports";
  const fs::path imports = scratch / "imports";
};

TEST_F(Settings, TheNextStartReselectsTheFolderAndKnowsTheDialogFoldersAndTheWindowsPlace) {
  FirstRun();
  window = MakeWindow(false);
  RunUntilIdle();
  EXPECT_EQ(window->DirTree->GetDirectory(), Q(project));
  EXPECT_TRUE(window->Model().ProjectOpen);
  EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("Kick    "));
  EXPECT_EQ(window->LastExportFolder, Q(exports));
  EXPECT_EQ(window->LastImportFolder, Q(imports));
  EXPECT_EQ(window->geometry(), QRect(0, 50, window->minimumWidth(), 520));
}

// A place saved on a larger screen (or left of this one) is brought inside
// the screen's available area, shrunk to it if need be.
TEST_F(Settings, APlaceOffTheScreenIsBroughtBackOntoIt) {
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect saved[] = {QRect(-33, 10, 760, 460), QRect(available.right() - 100, available.bottom() - 50, 760, 460),
                         QRect(-500, -400, available.width() + 900, available.height() + 700)};
  for (const QRect& place : saved) {
    SCOPED_TRACE(place.x());
    window = MakeWindow(false);
    window->show();
    window->setGeometry(place);
    window->close();
    window = MakeWindow(false);
    const QRect restored = window->frameGeometry();
    SCOPED_TRACE(std::to_string(restored.x()) + "," + std::to_string(restored.y()) + " " +
                 std::to_string(restored.width()) + "x" + std::to_string(restored.height()));
    EXPECT_GE(restored.left(), available.left());
    EXPECT_GE(restored.top(), available.top());
    EXPECT_LE(restored.bottom(), available.bottom());
    // The test's screen is narrower than the window's minimum width: the
    // window is then that wide, at the left edge.
    if (window->minimumWidth() <= available.width()) {
      EXPECT_LE(restored.right(), available.right());
    } else {
      EXPECT_EQ(window->width(), window->minimumWidth());
    }
  }
}

// The window comes back where it was, start after start: it does not
// creep down by its title bar (the offscreen platform frames its windows
// as a window manager does, a few pixels each side).
TEST_F(Settings, TheWindowComesBackWhereItWasStartAfterStart) {
  window = MakeWindow(false);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->setGeometry(0, 90, window->minimumWidth(), 500);
  RunUntilIdle();
  ASSERT_NE(window->frameGeometry(), window->geometry()) << "the platform gives the window no frame to test with";
  window->close();
  std::vector<QRect> places;
  for (int start = 0; start < 4; ++start) {
    window = MakeWindow(false);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    RunUntilIdle();
    places.push_back(window->geometry());
    window->close();
  }
  EXPECT_EQ(places.front().top(), 90);
  for (const QRect& place : places) EXPECT_EQ(place, places.front());
}

TEST_F(Settings, FoldersThatAreGoneAreForgotten) {
  FirstRun();
  fs::remove_all(scratch / "songs");
  fs::remove_all(exports);
  window = MakeWindow(false);
  RunUntilIdle();
  EXPECT_TRUE(window->ProjectFolder().isEmpty());
  EXPECT_FALSE(window->Model().ProjectOpen);
  EXPECT_EQ(window->LastExportFolder, QDir::homePath());
  EXPECT_EQ(window->LastImportFolder, Q(imports));
}

TEST_F(Settings, AMissingOrDamagedFileStartsTheWindowAsTheFirstTime) {
  for (const char* damage : {"", "\xff\xfe[[[geometry=\x01\x02\nfolder"}) {
    SCOPED_TRACE(damage);
    fs::remove_all(settingsFile.parent_path());
    if (*damage) {
      fs::create_directories(settingsFile.parent_path());
      test::WriteBytes(settingsFile, std::vector<uint8_t>(damage, damage + std::strlen(damage)));
    }
    window = MakeWindow(false);
    RunUntilIdle();
    EXPECT_TRUE(window->ProjectFolder().isEmpty());
    EXPECT_EQ(window->LastExportFolder, QDir::homePath());
    EXPECT_EQ(window->LastImportFolder, QDir::homePath());
    EXPECT_EQ(window->size(), QSize(TMainWin::ClientWidth, TMainWin::ClientHeight));
  }
}

}  // namespace
}  // namespace tp
