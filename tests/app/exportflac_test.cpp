// FLAC from the window's export: the save dialog's third type, the same
// samples as the WAV export read back with libsndfile, and the type offered
// again, with its extension, after a restart.
#include <QString>

#include <filesystem>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;

class ExportFlac : public test::WindowTest {
 protected:
  ExportFlac() {
    fs::create_directories(project);
    fs::create_directories(out);
    test::WriteProjectInfo(project, "EXPORT");
    test::WriteTake(project / "TRACK0_0.DAT", "T1", test::Ramp(50000, 30000, -1));
    test::WriteTake(project / "TRACK4_0.DAT", "T5", test::Ramp(40000, 5000, 1));
    Start();
  }
  void Start() {
    window = MakeWindow(false);
    window->show();
    Open(project);
    test::Click(window->TakeSel, 0, 0);
    test::Click(window->TakeSel, 4, 0);
    window->LastExportFolder = test::Q(out);
  }

  const fs::path project = scratch / "export";
  const fs::path out = scratch / "out";
};

TEST_F(ExportFlac, ChoosingFlacInTheRealSaveDialogWritesTheWavsSamplesAndIsRemembered) {
  dialogs->save = [this](SaveDialog& dialog) {
    dialog.fileName = test::Q(out / "mix.wav");
    dialog.filterIndex = 1;
    return true;
  };
  test::Click(window->ExpBtn);
  ASSERT_TRUE(fs::exists(out / "mix.wav"));
  dialogs->realSaveDialog = true;
  test::SaveThroughTheRealDialog(window->ExpBtn, 2, QStringLiteral("FLAC (*.flac)"), QStringLiteral("song"));
  ASSERT_TRUE(fs::exists(out / "song.flac"));
  const test::SoundData flac = test::ReadWithSndfile(out / "song.flac");
  EXPECT_EQ(flac.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  EXPECT_EQ(flac.samples, test::ReadWithSndfile(out / "mix.wav").samples);
  EXPECT_EQ(window->WavSave.filterIndex, 3);

  window->close();  // the window keeps what it remembers as it closes
  window.reset();
  Start();
  dialogs->save = [](SaveDialog&) { return false; };
  test::Click(window->ExpBtn);
  ASSERT_FALSE(dialogs->saveDialogsShown.empty());
  EXPECT_EQ(dialogs->saveDialogsShown.back().filterIndex, 3);
  EXPECT_EQ(dialogs->saveDialogsShown.back().fileName, test::Q(out / "EXPORT mix.flac"));
}

}  // namespace
}  // namespace tp
