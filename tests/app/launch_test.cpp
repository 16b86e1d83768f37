// Starting the window: what the command line and the environment ask for
// (a folder to open, a display), and the names a desktop ties the window to
// its launcher by.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QUrl>

#include <fstream>
#include <iterator>
#include <map>

#include "app/appicon.h"
#include "app/launch.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Q;
using test::RunUntilIdle;

TEST(Launch, WithoutADisplayOnlyAPlatformNamedOnPurposeGoesOn) {
  struct Case {
    std::map<std::string, QString> environment;
    QStringList arguments;
    bool missing;
  };
  const Case cases[] = {
      {{}, {"trackporter"}, true},
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {"trackporter", "song"}, true},
      {{{"DISPLAY", ":0"}}, {"trackporter"}, false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, {"trackporter"}, false},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, {"trackporter"}, false},
      {{}, {"trackporter", "-platform", "offscreen"}, false},
      {{}, {"trackporter", "-platform=vnc"}, false},
  };
  for (const Case& c : cases) {
    const auto environment = [&](const char* name) {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? QString() : found->second;
    };
    EXPECT_EQ(DisplayMissing(c.arguments, environment), c.missing) << c.arguments.join(' ').toStdString();
  }
}

TEST(Launch, APathOrAFileUrlNamesTheFolderToOpen) {
  test::TempFolder scratch;
  const fs::path song = scratch / "My Song";
  fs::create_directories(song);
  test::WriteProjectInfo(song, "SONG");
  const QString folder = QDir(Q(song)).absolutePath();
  const QString info = QDir(folder).filePath(QDir(folder).entryList(QDir::Files).value(0));
  ASSERT_FALSE(info.isEmpty());
  struct Case {
    QStringList arguments;
    QString folder, missing;
  };
  const Case cases[] = {
      {{Q(song)}, folder, {}},
      {{info}, folder, {}},
      {{QUrl::fromLocalFile(folder).toString()}, folder, {}},  // "My%20Song"
      {{"--reverse", Q(song)}, folder, {}},
      {{Q(scratch / "gone")}, {}, Q(scratch / "gone")},
      {{"--", "-gone"}, {}, "-gone"},
      {{}, {}, {}},
  };
  for (const Case& c : cases) {
    const LaunchFolder launch = FolderToOpen(c.arguments);
    EXPECT_EQ(launch.folder, c.folder) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(launch.missing, c.missing) << c.arguments.join(' ').toStdString();
  }
}

TEST(Launch, AnArgumentThatLooksLikeAnOptionAndIsNoneIsNamed) {
  struct Case {
    QStringList arguments;
    QString unknown;
  };
  const Case cases[] = {
      {{"--bogus"}, "--bogus"},
      {{"song", "-x"}, "-x"},
      {{"song"}, {}},
      {{"-"}, {}},
      {{"--", "-song"}, {}},
      {{}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(UnknownOption(c.arguments), c.unknown) << c.arguments.join(' ').toStdString();
}

// On X11 the class of every window (WM_CLASS) is the application's name: a
// dock finds the launcher whose StartupWMClass is that name.
TEST(Launch, TheDesktopEntryNamesTheWindowsClassAndOpensWhatItIsGiven) {
  const QString nameBefore = QGuiApplication::applicationName();
  NameApplication();
  const std::string id = ApplicationId;
  std::ifstream in(std::string(TP_APP_SOURCE_DIR) + "/" + id + ".desktop");
  const std::string desktop{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_NE(desktop.find("\nStartupWMClass=" + QGuiApplication::applicationName().toStdString() + "\n"),
            std::string::npos) << desktop;
  EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), id);
  EXPECT_NE(desktop.find("\nExec=trackporter %F\n"), std::string::npos) << desktop;
  EXPECT_NE(desktop.find("\nKeywords=recorder;"), std::string::npos) << desktop;
  QGuiApplication::setApplicationName(nameBefore);
}

class LaunchWindow : public test::WindowTest {};

// The folder named at start wins over the one the window remembers.
TEST_F(LaunchWindow, AFolderNamedAtStartIsSelectedAndItsTakesShown) {
  const fs::path remembered = scratch / "remembered", given = scratch / "given";
  for (const auto& [folder, name] : {std::pair{remembered, "OLD"}, std::pair{given, "NEW"}}) {
    fs::create_directories(folder);
    test::WriteProjectInfo(folder, name);
    test::WriteTake(folder / "TRACK0_0.DAT", name, test::Ramp(100));
  }
  window = MakeWindow(false);
  window->DirTree->SetDirectory(Q(remembered));
  RunUntilIdle();
  window->close();
  window = MakeWindow(false);
  window->OpenAtStart(Q(given));
  window->show();
  RunUntilIdle();
  EXPECT_EQ(window->DirTree->GetDirectory(), Q(given));
  EXPECT_TRUE(window->Model().ProjectOpen);
  EXPECT_EQ(window->TakeSel->GetCaptions(0, 0), QStringLiteral("NEW     "));
}

}  // namespace
}  // namespace tp
