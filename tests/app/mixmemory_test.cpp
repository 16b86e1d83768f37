// "Keep each song's mix" on the Mixer page, through the real window
// offscreen: the mix set by the user's clicks comes back with the song after
// a restart, another song starts from the defaults, unticking brings the
// design's way back, and the command line's --saved-mix exports what the
// window exported.
#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tvolume.h"
#include "support/projectfixture.h"
#include "support/runcommand.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;

class MixMemory : public test::WindowTest {
 protected:
  MixMemory() {
    for (const fs::path& song : {first, second}) {
      fs::create_directories(song);
      test::WriteProjectInfo(song, song.filename().string());
      test::WriteTake(song / "TRACK0_0.DAT", "A", test::Ramp(30000, -9000, 1));
      test::WriteTake(song / "TRACK0_1.DAT", "B", test::Ramp(30000, 9000, -1));
      test::WriteTake(song / "TRACK4_0.DAT", "C", test::Ramp(20000, 100, 2));
      test::WriteTake(song / "TRACK2_0.DAT", "D", test::Ramp(20000, -100, -2));
    }
    Start();
  }
  void Start() {
    window = MakeWindow(false);
    window->show();
    window->PageControl->setCurrentWidget(window->MixerPanel);
    test::RunUntilIdle();
  }
  void Restart() {
    window->close();  // the window keeps what it remembers as it closes
    window.reset();
    Start();
  }
  void Tick() {
    QTest::mouseClick(window->KeepMixBox, Qt::LeftButton, {}, QPoint(6, window->KeepMixBox->height() / 2));
  }
  // Takes 2 of track 1 and 1 of tracks 3 and 5; track 1 at 64, track 5 to
  // the left, track 3 muted, track 5 soloed.
  void SetAMix() {
    Click(window->TakeSel, 0, 1);
    Click(window->TakeSel, 2, 0);
    Click(window->TakeSel, 4, 0);
    window->Volumes[0]->ChangeByUser(64);
    window->Pans[4]->ChangeByUser(20);
    Click(window->MuteBtns[2]);
    Click(window->SoloBtns[4]);
  }
  void ExpectTheMix() {
    const MixerSettings& settings = window->Audition().Settings();
    EXPECT_EQ(settings.volume[0].load(), 64);
    EXPECT_EQ(window->VolVals[0]->text(), QStringLiteral("64"));
    EXPECT_EQ(window->Volumes[0]->Position(), 64);
    EXPECT_EQ(settings.pan[4].load(), 20);
    EXPECT_EQ(window->Pans[4]->Position(), 20);
    EXPECT_TRUE(settings.mute[2].load());
    EXPECT_TRUE(window->MuteBtns[2]->Down());
    EXPECT_TRUE(settings.solo[4].load());
    EXPECT_TRUE(window->SoloBtns[4]->Down());
    EXPECT_TRUE(window->TakeSel->GetDown(0, 1));
    EXPECT_FALSE(window->TakeSel->GetDown(0, 0));
    EXPECT_TRUE(window->TakeSel->GetDown(2, 0));
    EXPECT_TRUE(window->TakeSel->GetDown(4, 0));
  }
  void ExpectTheDefaults() {
    const MixerSettings& settings = window->Audition().Settings();
    for (int strip = 0; strip < 16; ++strip) {
      SCOPED_TRACE(strip);
      EXPECT_EQ(settings.volume[size_t(strip)].load(), DefaultVolume);
      EXPECT_EQ(window->Volumes[size_t(strip)]->Position(), DefaultVolume);
      EXPECT_EQ(settings.pan[size_t(strip)].load(), DefaultPan);
      EXPECT_FALSE(settings.mute[size_t(strip)].load());
      EXPECT_FALSE(settings.solo[size_t(strip)].load());
    }
  }

  const fs::path first = scratch / "first";
  const fs::path second = scratch / "second";
};

TEST_F(MixMemory, IsOffUntilTickedAndThenGivesEachSongItsMixAgainAfterARestart) {
  EXPECT_FALSE(window->KeepMixBox->isChecked());
  EXPECT_EQ(window->KeepMixBox->text(), QStringLiteral("Keep each song's mix"));
  Open(first);
  Tick();
  ASSERT_TRUE(window->KeepMixBox->isChecked());
  SetAMix();
  ExpectTheMix();

  Open(second);  // a song with no mix kept starts from the defaults
  ExpectTheDefaults();
  EXPECT_FALSE(window->TakeSel->GetDown(0, 1));

  Restart();
  EXPECT_TRUE(window->KeepMixBox->isChecked()) << "the box is remembered";
  Open(first);
  ExpectTheMix();
  EXPECT_TRUE(fs::exists(savedMixesFile));

  // INIT resets the mixer, not the chosen takes, and that is kept too.
  Click(window->InitBtn);
  ExpectTheDefaults();
  EXPECT_TRUE(window->TakeSel->GetDown(0, 1));
  Open(second);
  Open(first);
  ExpectTheDefaults();
  EXPECT_TRUE(window->TakeSel->GetDown(0, 1));
}

TEST_F(MixMemory, UntickedTheDesignsDefaultsReturnAfterARestart) {
  Open(first);
  Tick();
  SetAMix();
  Tick();
  ASSERT_FALSE(window->KeepMixBox->isChecked());
  Restart();
  EXPECT_FALSE(window->KeepMixBox->isChecked());
  Open(first);
  ExpectTheDefaults();
  EXPECT_FALSE(window->TakeSel->GetDown(0, 1)) << "no take chosen for the user";
}

TEST_F(MixMemory, ADamagedFileIsIgnoredWithANoteAndReplaced) {
  fs::create_directories(savedMixesFile.parent_path());
  std::ofstream(savedMixesFile) << "{ not json";
  Open(first);
  Tick();
  EXPECT_TRUE(window->StatusPanels[0]->text().contains(QStringLiteral("could not be read")))
      << window->StatusPanels[0]->text().toStdString();
  SetAMix();
  Restart();
  Open(first);
  ExpectTheMix();
}

TEST_F(MixMemory, TheCommandLineWithSavedMixExportsTheSameBytesAsTheWindow) {
  Open(first);
  Tick();
  SetAMix();
  const fs::path fromWindow = scratch / "window.wav";
  dialogs->save = [&](SaveDialog& dialog) {
    dialog.fileName = test::Q(fromWindow);
    dialog.filterIndex = 1;
    return true;
  };
  Click(window->ExpBtn);
  ASSERT_TRUE(fs::exists(fromWindow));
  const fs::path fromCommand = scratch / "command.wav";
  const test::CommandOutput run =
      test::RunCommand("XDG_CONFIG_HOME=" + test::Quoted((scratch / "config").string()) + " " +
                       test::Quoted(TP_CLI_PATH) + " export " + test::Quoted(first.string()) + " " +
                       test::Quoted(fromCommand.string()) + " --saved-mix -q");
  ASSERT_EQ(run.status, 0) << run.out;
  std::ifstream a(fromWindow, std::ios::binary), b(fromCommand, std::ios::binary);
  const std::string windowBytes{std::istreambuf_iterator<char>(a), {}};
  const std::string commandBytes{std::istreambuf_iterator<char>(b), {}};
  EXPECT_EQ(windowBytes.size(), commandBytes.size());
  EXPECT_TRUE(windowBytes == commandBytes);

  // A volume on the line overrides the saved one for its track alone.
  const test::CommandOutput louder =
      test::RunCommand("XDG_CONFIG_HOME=" + test::Quoted((scratch / "config").string()) + " " +
                       test::Quoted(TP_CLI_PATH) + " export " + test::Quoted(first.string()) + " " +
                       test::Quoted((scratch / "louder.wav").string()) + " --saved-mix --volume 5=127 -q");
  ASSERT_EQ(louder.status, 0) << louder.out;
  std::ifstream c(scratch / "louder.wav", std::ios::binary);
  const std::string louderBytes{std::istreambuf_iterator<char>(c), {}};
  EXPECT_EQ(louderBytes.size(), windowBytes.size());
  EXPECT_FALSE(louderBytes == windowBytes);
}

}  // namespace
}  // namespace tp
