// What the window remembers between runs, in a settings file of the test's
// own: the folder, the export and import folders, its place and size.
#include <QDir>
#include <QTest>

#include <cstring>
#include <filesystem>

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
    window->setGeometry(40, 50, 760, 520);
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
  EXPECT_EQ(window->geometry(), QRect(40, 50, 760, 520));
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
