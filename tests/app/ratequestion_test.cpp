// The question the import asks about a file that is not at 44,100 Hz,
// answered through the real message box: the test finds it among the
// top-level widgets while it runs and clicks its button (or presses a key),
// as a user would.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "dialogs/tcopendialog.h"
#include "dialogs/tgetwin.h"
#include "playback/virtualpreviewoutput.h"
#include "support/projectfixture.h"
#include "support/sndfileio.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Q;

// What the box showed when the test met it.
struct SeenQuestion {
  QString text, defaultButton;
  QStringList buttons;
  bool targetExisted = false;
};

class RateQuestion : public test::WindowTest {
 protected:
  RateQuestion() {
    fs::create_directories(project);
    fs::create_directories(sources);
    test::WriteProjectInfo(project, "RATES");
    getWin = std::make_unique<TGetWin>(nullptr, std::make_unique<VirtualPreviewOutput>());
    window = MakeWindow(false);
    window->SetGetWin(getWin.get());
    window->show();
    Open(project);
    Click(window->TrackSel, 1, 0);
    Click(window->TakeSel, 1, 3);
  }
  ~RateQuestion() override { window.reset(); }

  // A 1 kHz tone of `frames` frames at `rate`.
  std::vector<int16_t> writeTone(const std::string& name, int rate, size_t frames) {
    std::vector<int16_t> samples(frames);
    for (size_t n = 0; n < frames; ++n) samples[n] = int16_t(std::lround(16000 * std::sin(2 * M_PI * 1000 * n / rate)));
    test::WriteWithSndfile(sources / name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, rate, samples);
    return samples;
  }

  // Chooses `file` in the open dialog and answers the rate question, if one
  // comes, with `answer`: a button's text, or "Return" / "Escape" pressed.
  void importAnswering(const fs::path& file, const QString& answer) {
    dialogs->open = [file](TCOpenDialog& dialog) {
      dialog.SetFileName(Q(file));
      return true;
    };
    // Runs once the box's own event loop is going (or, when no box comes,
    // after the import).
    QTimer::singleShot(0, [this, answer] {
      QMessageBox* box = nullptr;
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<QMessageBox*>(widget); found && found->isVisible()) box = found;
      if (!box) return;
      SeenQuestion question;
      question.text = box->text();
      question.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
      for (QAbstractButton* button : box->buttons()) question.buttons << button->text();
      question.buttons.sort();
      question.targetExisted = fs::exists(project / "TRACK1_3.DAT");
      seen = question;
      if (answer == "Return" || answer == "Escape") {
        QTest::keyClick(box, answer == "Return" ? Qt::Key_Return : Qt::Key_Escape);
        return;
      }
      for (QAbstractButton* button : box->buttons())
        if (button->text() == answer) QTest::mouseClick(button, Qt::LeftButton);
    });
    Click(window->ImpBtn);
  }

  const fs::path project = scratch / "song";
  const fs::path sources = scratch / "sources";
  std::unique_ptr<TGetWin> getWin;
  std::optional<SeenQuestion> seen;
};

TEST_F(RateQuestion, A48kHzFileIsAskedAboutBeforeAnythingIsWrittenAndEachAnswerDoesWhatItSays) {
  enum class Outcome { Converted, SampleForSample, Nothing };
  struct Case {
    const char* answer;
    Outcome outcome;
  } cases[] = {
      {"Convert", Outcome::Converted},       {"Keep samples", Outcome::SampleForSample},
      {"Cancel", Outcome::Nothing},          {"Return", Outcome::Converted},
      {"Escape", Outcome::Nothing},
  };
  const std::vector<int16_t> tone = writeTone("daw.wav", 48000, 30000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    fs::remove(project / "TRACK1_3.DAT");
    window->DirTreeChange(Q(project));
    test::RunUntilIdle();
    Click(window->TrackSel, 1, 0);
    Click(window->TakeSel, 1, 3);
    dialogs->messages.clear();
    seen.reset();
    importAnswering(sources / "daw.wav", c.answer);

    ASSERT_TRUE(seen.has_value()) << "no question was asked";
    EXPECT_EQ(seen->text, QStringLiteral("This file is 48,000 Hz; the recorder plays 44,100 Hz."));
    EXPECT_EQ(seen->buttons, (QStringList{"Cancel", "Convert", "Keep samples"}));
    EXPECT_EQ(seen->defaultButton, QStringLiteral("Convert"));
    EXPECT_FALSE(seen->targetExisted) << "written before the answer";
    EXPECT_FALSE(window->ImpBtn->Down());
    EXPECT_EQ(window->Conversion, 0);

    if (c.outcome == Outcome::Nothing) {
      EXPECT_FALSE(fs::exists(project / "TRACK1_3.DAT"));
      EXPECT_TRUE(dialogs->messages.empty());
      EXPECT_FALSE(window->TakeSel->GetAssigned(1, 3));
      continue;
    }
    EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Converted")});
    EXPECT_TRUE(window->TakeSel->GetAssigned(1, 3));
    const auto take = test::ReadTakeSamples(project / "TRACK1_3.DAT");
    ASSERT_EQ(take.size(), 32768u);
    if (c.outcome == Outcome::SampleForSample) {
      EXPECT_TRUE(std::equal(tone.begin(), tone.end(), take.begin()));
    } else {
      // 30,000 frames at 48 kHz are 27,563 at 44.1 kHz; the 1 kHz tone
      // takes 44.1 samples a period instead of 48.
      EXPECT_TRUE(std::all_of(take.begin() + 27563, take.end(), [](int16_t s) { return s == 0; }));
      int crossings = 0;
      for (size_t n = 1000; n < 23050; ++n) crossings += (take[n - 1] < 0) != (take[n] < 0);
      EXPECT_NEAR(crossings, 2 * 22050 / 44.1, 2);
    }
  }
}

TEST_F(RateQuestion, ASlowerFileIsAskedAboutByItsOwnRateAndA44100HzFileIsNot) {
  writeTone("old.wav", 32000, 1000);
  importAnswering(sources / "old.wav", "Cancel");
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->text, QStringLiteral("This file is 32,000 Hz; the recorder plays 44,100 Hz."));
  EXPECT_FALSE(fs::exists(project / "TRACK1_3.DAT"));

  seen.reset();
  const std::vector<int16_t> tone = writeTone("cd.wav", 44100, 1000);
  importAnswering(sources / "cd.wav", "Cancel");
  EXPECT_FALSE(seen.has_value()) << "asked about a 44,100 Hz file";
  EXPECT_EQ(dialogs->messages, std::vector<QString>{QStringLiteral("Converted")});
  const auto take = test::ReadTakeSamples(project / "TRACK1_3.DAT");
  EXPECT_TRUE(std::equal(tone.begin(), tone.end(), take.begin()));
}

}  // namespace
}  // namespace tp
