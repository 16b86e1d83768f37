// The audition and the mixer strips of the main window, offscreen, with the
// virtual sound device: the test plays the stream's halves one at a time and
// lets the window handle the position and end notices in between, so every
// step is deterministic. What the device hears is checked against mixes
// worked out here from the take files' samples at unity gain (a centred
// strip passes a sample unchanged to both sides, a strip panned hard to one
// side passes it unchanged to that side only).
#include <QLabel>
#include <QMessageBox>
#include <QTabWidget>
#include <QWheelEvent>
#include <QWindow>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <cerrno>

#include "storage/filehandle.h"

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "playback/transport.h"
#include "support/projectfixture.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::RunUntilIdle;

constexpr uint32_t Half = Transport::FramesPerHalf;

int16_t Clamp(int value) { return int16_t(std::clamp(value, -32768, 32767)); }

class Audition : public test::WindowTest {
 protected:
  // A and B on tracks 1 and 2 (take 1 each), and master take 3.
  const std::vector<int16_t> takeA = test::Ramp(100000, -15000, 1);
  const std::vector<int16_t> takeB = test::Ramp(12000, 1000, 2);
  const std::vector<int16_t> masterL = test::Ramp(20000, 500, 1);
  const std::vector<int16_t> masterR = test::Ramp(20000, -500, -1);

  Audition() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "LISTEN");
    test::WriteTake(project / "TRACK0_0.DAT", "A", takeA);
    test::WriteTake(project / "TRACK1_0.DAT", "B", takeB);
    test::WriteTake(project / "TRACKL_2.DAT", "M", masterL);
    test::WriteTake(project / "TRACKR_2.DAT", "M", masterR);
    window = MakeWindow(true);
    window->show();
    Open(project);
  }

  void SelectBothTracks() {
    Click(window->TakeSel, 0, 0);
    Click(window->TakeSel, 1, 0);
    ASSERT_EQ(window->Slider->Max(), int(takeA.size()));
  }

  // The device plays one half; the stream refills it with the next block
  // and the window handles what the fill posted.
  void PlayHalf() {
    ASSERT_TRUE(sound->PlayNextHalf());
    ASSERT_TRUE(sound->WaitForHalvesWritten(sound->HalvesPlayed()));
    RunUntilIdle();
  }

  static int16_t At(const std::vector<int16_t>& take, size_t frame) { return frame < take.size() ? take[frame] : 0; }

  // Checks `count` frames the device received from its frame `first` on
  // against `expected`(take frame) for left and right, the takes heard from
  // take frame `from`.
  void ExpectHeard(size_t first, size_t count, size_t from,
                   const std::function<std::pair<int16_t, int16_t>(size_t)>& expected) {
    const std::vector<int16_t> received = sound->Received();
    ASSERT_GE(received.size(), 2 * (first + count));
    for (size_t i = 0; i < count; ++i) {
      const auto [left, right] = expected(from + i);
      ASSERT_EQ(received[2 * (first + i)], left) << "device frame " << first + i;
      ASSERT_EQ(received[2 * (first + i) + 1], right) << "device frame " << first + i;
    }
  }
  // Both tracks centred: each side hears A + B.
  std::pair<int16_t, int16_t> Centred(size_t frame) const {
    const int16_t both = Clamp(At(takeA, frame) + At(takeB, frame));
    return {both, both};
  }
  // A hard left, B hard right.
  std::pair<int16_t, int16_t> Apart(size_t frame) const { return {At(takeA, frame), At(takeB, frame)}; }

  QString StatusTime() const { return window->StatusPanels[1]->text(); }

  const fs::path project = scratch / "listen";
};

TEST_F(Audition, PlaysTheMixFromTheSliderAndTheSliderFollowsThePositionNotices) {
  SelectBothTracks();
  Click(window->AudBtn);
  EXPECT_TRUE(window->AudBtn->Down());
  EXPECT_TRUE(window->Playing);

  for (uint32_t block = 1; block <= 3; ++block) {
    PlayHalf();
    EXPECT_EQ(window->Slider->Position(), int(block * Half)) << "after block " << block;
  }
  EXPECT_EQ(StatusTime(), QStringLiteral("0:00:00 / 0:00:02"));
  // The stream starts on two halves of silence; then the blocks in order.
  ExpectHeard(0, 2 * Half, 0, [](size_t) { return std::pair<int16_t, int16_t>{0, 0}; });
  ExpectHeard(2 * Half, Half, 0, [this](size_t frame) { return Centred(frame); });
}

TEST_F(Audition, TheNaturalEndStopsTheAuditionAndRewindsTheSlider) {
  // Master take 3 alone: 20,000 frames, so the fourth fill finds nothing.
  Click(window->MasterSel);
  Click(window->MasTakeSel, 0, 2);
  ASSERT_EQ(window->Slider->Max(), 20000);
  Click(window->AudBtn);

  PlayHalf();
  PlayHalf();
  EXPECT_EQ(window->Slider->Position(), 16384);
  PlayHalf();
  EXPECT_EQ(window->Slider->Position(), 20000) << "the slider stops at its end";
  EXPECT_TRUE(window->Playing);
  PlayHalf();  // the fill past the end posts the end with a rewind
  EXPECT_FALSE(window->Playing);
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_EQ(window->Slider->Position(), 0);
  EXPECT_EQ(StatusTime(), QStringLiteral("0:00:00 / 0:00:00"));
  EXPECT_FALSE(window->Audition().Files().AnyOpen()) << "the takes are closed";
  EXPECT_FALSE(window->Audition().Stream().HasThread()) << "the stream is stopped";
  // Master mode: left file to the left, right file to the right, unchanged.
  ExpectHeard(2 * Half, Half, 0, [this](size_t frame) {
    return std::pair<int16_t, int16_t>{At(masterL, frame), At(masterR, frame)};
  });
}

TEST_F(Audition, ATakeThatCannotBeReadStopsTheAuditionAndSaysWhich) {
  SelectBothTracks();
  WaitForOutlines();  // their reading would count against the fault's
  // The disk fails on take B's second block.
  FaultInjection::FailReadsOf("TRACK1_0.DAT", EIO, 1);
  Click(window->AudBtn);
  for (int half = 0; half < 4 && window->Playing; ++half) PlayHalf();
  FaultInjection::Reset();
  EXPECT_FALSE(window->Playing);
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_EQ(window->Slider->Position(), int(Half)) << "the slider stays where the sound stopped";
  EXPECT_EQ(dialogs->messages,
            std::vector<QString>{QStringLiteral("The take could not be read\nTrack02-1 (Input/output error)")});
  EXPECT_FALSE(window->Audition().Files().AnyOpen());
}

TEST_F(Audition, EndingItWithTheButtonLeavesTheSliderWhereItStoppedAndTheNextOneResumesThere) {
  SelectBothTracks();
  Click(window->AudBtn);
  PlayHalf();
  PlayHalf();
  ASSERT_EQ(window->Slider->Position(), int(2 * Half));

  Click(window->AudBtn);
  EXPECT_FALSE(window->Playing);
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_EQ(window->Slider->Position(), int(2 * Half)) << "no rewind";
  EXPECT_FALSE(window->Audition().Files().AnyOpen());

  Click(window->AudBtn);
  ASSERT_TRUE(window->Playing);
  PlayHalf();
  EXPECT_EQ(window->Slider->Position(), int(3 * Half));
  PlayHalf();
  PlayHalf();
  ExpectHeard(2 * Half, Half, 2 * Half, [this](size_t frame) { return Centred(frame); });
  Click(window->AudBtn);
}

TEST_F(Audition, MovingTheSliderWhilePlayingContinuesFromTheNewPlace) {
  SelectBothTracks();
  Click(window->AudBtn);
  PlayHalf();
  PlayHalf();  // blocks 0 and 8192 are mixed

  // One second on (the slider's tick): 16,384 + 44,100.
  QTest::keyClick(window->Slider, Qt::Key_Right);
  const int seekTo = int(2 * Half) + 44100;
  ASSERT_EQ(window->Slider->Position(), seekTo);
  EXPECT_TRUE(window->Playing);
  PlayHalf();  // the first block from the new place
  EXPECT_EQ(window->Slider->Position(), seekTo + int(Half));
  PlayHalf();
  PlayHalf();
  // Device halves: two of silence, blocks 0 and 8192, then the seek.
  ExpectHeard(2 * Half, 2 * Half, 0, [this](size_t frame) { return Centred(frame); });
  ExpectHeard(4 * Half, Half, size_t(seekTo), [this](size_t frame) { return Centred(frame); });
  Click(window->AudBtn);
}

TEST_F(Audition, APositionMixedBeforeASeekDoesNotPullTheSliderBack) {
  SelectBothTracks();
  Click(window->AudBtn);
  PlayHalf();
  // The next notice is posted but not yet handled when the user seeks.
  ASSERT_TRUE(sound->PlayNextHalf());
  ASSERT_TRUE(sound->WaitForHalvesWritten(2));
  QTest::keyClick(window->Slider, Qt::Key_Right);
  const int seekTo = int(Half) + 44100;
  RunUntilIdle();
  EXPECT_EQ(window->Slider->Position(), seekTo);
  PlayHalf();
  EXPECT_EQ(window->Slider->Position(), seekTo + int(Half));
  Click(window->AudBtn);
}

TEST_F(Audition, MovingTheSliderWhileStoppedOnlyChangesWhereTheNextAuditionStarts) {
  SelectBothTracks();
  QTest::keyClick(window->Slider, Qt::Key_Right);
  EXPECT_EQ(StatusTime(), QStringLiteral("0:00:01 / 0:00:02"));
  EXPECT_FALSE(window->Playing);
  EXPECT_FALSE(window->Audition().Stream().HasThread());

  Click(window->AudBtn);
  PlayHalf();
  EXPECT_EQ(window->Slider->Position(), 44100 + int(Half));
  PlayHalf();
  PlayHalf();
  ExpectHeard(2 * Half, Half, 44100, [this](size_t frame) { return Centred(frame); });
  Click(window->AudBtn);
}

TEST_F(Audition, TheStatusBarShowsThePositionAndTheLengthInHoursMinutesAndSeconds) {
  struct Case {
    int max, position;
    const char* text;
  };
  const Case cases[] = {
      {5292000, 2690100, "0:01:01 / 0:02:00"},
      {1, 0, "0:00:00 / 0:00:00"},
      {158760000, 158760000, "1:00:00 / 1:00:00"},
      {200000000, 44099, "0:00:00 / 1:15:35"},
  };
  for (const Case& c : cases) {
    window->Slider->SetMax(c.max);
    window->Slider->SetPosition(c.position);
    EXPECT_EQ(StatusTime(), QString::fromLatin1(c.text)) << c.position << " of " << c.max;
  }
}

TEST_F(Audition, TheStatusPanelShowsATimeUnderTenHoursWhole) {
  const QLabel* panel = window->StatusPanels[1];
  const int room = panel->contentsRect().width() - 2 * panel->indent();
  EXPECT_LE(panel->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00 / 0:00:00")), room);
  EXPECT_EQ(panel->font().pixelSize(), 12);
}

TEST_F(Audition, TheBlankStartsAndStopsTheAuditionThatSounds) {
  SelectBothTracks();
  QTest::keyClick(window->DirTree, Qt::Key_Space);
  EXPECT_TRUE(window->AudBtn->Down());
  PlayHalf();
  EXPECT_EQ(window->Slider->Position(), int(Half));
  QTest::keyClick(window->DirTree, Qt::Key_Space);
  RunUntilIdle();
  EXPECT_FALSE(window->Playing);
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_EQ(window->Slider->Position(), int(Half));
}

TEST_F(Audition, WhileItSoundsOnlyTheTransportAndTheMixerAreUsable) {
  SelectBothTracks();
  Click(window->AudBtn);
  PlayHalf();
  // TakeSel MasTakeSel TrackSel MasterSel ImpBtn ExpBtn AudBtn Slider ProjName Folders Mixer New
  EXPECT_EQ(EnabledStates(), "000000110010");
  Click(window->AudBtn);
  EXPECT_EQ(EnabledStates(), "101101111111");
}

TEST_F(Audition, TheMixerChangesTheSoundFromTheNextBlockOn) {
  SelectBothTracks();
  Click(window->AudBtn);
  PlayHalf();  // block 0 mixed centred
  for (int i = 0; i < 5; ++i) QTest::keyClick(window->Pans[0], Qt::Key_PageDown);
  for (int i = 0; i < 5; ++i) QTest::keyClick(window->Pans[1], Qt::Key_PageUp);
  PlayHalf();  // block 8192 mixed apart
  PlayHalf();
  PlayHalf();
  ExpectHeard(2 * Half, Half, 0, [this](size_t frame) { return Centred(frame); });
  ExpectHeard(3 * Half, Half, Half, [this](size_t frame) { return Apart(frame); });

  // In master mode the strips have no effect.
  Click(window->AudBtn);
  Click(window->MasterSel);
  Click(window->MasTakeSel, 0, 2);
  Click(window->AudBtn);
  PlayHalf();
  PlayHalf();
  PlayHalf();
  ExpectHeard(2 * Half, Half, 0, [this](size_t frame) {
    return std::pair<int16_t, int16_t>{At(masterL, frame), At(masterR, frame)};
  });
  Click(window->AudBtn);
}

// ---------------------------------------------------------------------------
// The strips' labels, keys and reset

TEST_F(Audition, TurningAKnobShowsItsValueAndSetsItsStrip) {
  struct Case {
    bool pan;
    int strip;
    std::vector<Qt::Key> keys;
    int position;
    const char* label;
  };
  const Case cases[] = {
      {true, 0, {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown}, 0, "L100"},
      {true, 3, {Qt::Key_Left}, 49, "L2"},
      {true, 7, {Qt::Key_Left, Qt::Key_Right}, 50, "C"},
      {true, 12, {Qt::Key_Right}, 51, "R2"},
      {true, 15, {Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageUp}, 100, "R100"},
      {false, 2, {Qt::Key_PageDown}, 90, "90"},
      {false, 5, {Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageUp}, 127, "127"},
      {false, 9, {Qt::Key_Down}, 99, "99"},
  };
  for (const Case& c : cases) {
    TVolume* knob = c.pan ? window->Pans[c.strip] : window->Volumes[c.strip];
    for (Qt::Key key : c.keys) QTest::keyClick(knob, key);
    const QLabel* label = c.pan ? window->PanVals[c.strip] : window->VolVals[c.strip];
    const MixerSettings& settings = window->Audition().Settings();
    EXPECT_EQ(knob->Position(), c.position) << c.label;
    EXPECT_EQ(label->text(), QString::fromLatin1(c.label));
    EXPECT_EQ((c.pan ? settings.pan : settings.volume)[c.strip].load(), c.position) << c.label;
  }
  EXPECT_EQ(window->PanVals[1]->text(), QStringLiteral("C")) << "other strips keep their labels";
  EXPECT_EQ(window->VolVals[1]->text(), QStringLiteral("100"));
}

TEST_F(Audition, HomeOnAKnobPutsItBackToItsDefault) {
  QTest::keyClick(window->Volumes[4], Qt::Key_PageDown);
  QTest::keyClick(window->Pans[4], Qt::Key_Left);
  ASSERT_EQ(window->VolVals[4]->text(), QStringLiteral("90"));

  QTest::keyClick(window->Volumes[4], Qt::Key_Home);
  QTest::keyClick(window->Pans[4], Qt::Key_Home);
  EXPECT_EQ(window->Volumes[4]->Position(), 100);
  EXPECT_EQ(window->VolVals[4]->text(), QStringLiteral("100"));
  EXPECT_EQ(window->Audition().Settings().volume[4].load(), 100);
  EXPECT_EQ(window->Pans[4]->Position(), 50);
  EXPECT_EQ(window->PanVals[4]->text(), QStringLiteral("C"));
  EXPECT_EQ(window->Audition().Settings().pan[4].load(), 50);

  int key = Qt::Key_Home;
  window->Volume1KeyDown(window->Volumes[4], key, {});
  EXPECT_EQ(key, 0) << "Home is consumed";
  key = Qt::Key_Left;
  window->Pan1KeyDown(window->Pans[4], key, {});
  EXPECT_EQ(key, int(Qt::Key_Left)) << "other keys go on to the knob";
}

// The wheel over a knob on the Mixer page turns that knob (not the one
// with the focus) a step a notch; a double-click puts it back.
TEST_F(Audition, TheWheelTurnsTheKnobUnderThePointerAndADoubleClickPutsItBack) {
  window->PageControl->setCurrentWidget(window->MixerPanel);
  RunUntilIdle();
  window->Volumes[0]->setFocus();
  const auto wheel = [&](QWidget* knob, int eighths) {
    const QPointF centre(knob->width() / 2.0, knob->height() / 2.0);
    QWheelEvent event(knob->mapTo(window.get(), centre), knob->mapToGlobal(centre), QPoint(), QPoint(0, eighths),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window->windowHandle(), &event);
  };
  const MixerSettings& settings = window->Audition().Settings();
  wheel(window->Pans[6], 240);
  EXPECT_EQ(window->PanVals[6]->text(), QStringLiteral("R4"));
  EXPECT_EQ(settings.pan[6].load(), 52);
  wheel(window->Volumes[6], -120);
  EXPECT_EQ(window->VolVals[6]->text(), QStringLiteral("99"));
  EXPECT_EQ(settings.volume[6].load(), 99);
  EXPECT_EQ(window->Volumes[0]->Position(), 100) << "the focused knob stays";

  // Qt's test double-click leaves the button down: let it go, as a hand does.
  QTest::mouseDClick(window->Pans[6], Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseRelease(window->Pans[6], Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseDClick(window->Volumes[6], Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseRelease(window->Volumes[6], Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(window->PanVals[6]->text(), QStringLiteral("C"));
  EXPECT_EQ(settings.pan[6].load(), 50);
  EXPECT_EQ(window->VolVals[6]->text(), QStringLiteral("100"));
  EXPECT_EQ(settings.volume[6].load(), 100);
}

TEST_F(Audition, InitPutsAllSixteenStripsBack) {
  for (int strip = 0; strip < 16; ++strip) {
    QTest::keyClick(window->Volumes[strip], Qt::Key_PageDown);
    QTest::keyClick(window->Pans[strip], strip % 2 ? Qt::Key_Left : Qt::Key_Right);
  }
  Click(window->InitBtn);
  EXPECT_FALSE(window->InitBtn->Down());
  const MixerSettings& settings = window->Audition().Settings();
  for (int strip = 0; strip < 16; ++strip) {
    EXPECT_EQ(window->Volumes[strip]->Position(), 100) << strip;
    EXPECT_EQ(window->VolVals[strip]->text(), QStringLiteral("100")) << strip;
    EXPECT_EQ(settings.volume[strip].load(), 100) << strip;
    EXPECT_EQ(window->Pans[strip]->Position(), 50) << strip;
    EXPECT_EQ(window->PanVals[strip]->text(), QStringLiteral("C")) << strip;
    EXPECT_EQ(settings.pan[strip].load(), 50) << strip;
  }
}

class NoSoundOutput : public test::WindowTest {
 protected:
  NoSoundOutput() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "LISTEN");
    test::WriteTake(project / "TRACK0_0.DAT", "A", test::Ramp(100000, -15000, 1));
  }
  const fs::path project = scratch / "nosound";
};

// Without a sound output PLAY does not stay down: the status bar and a
// message box say so, and the Mixer page names no output. An output that
// appears later is used at the next PLAY, without a restart.
TEST_F(NoSoundOutput, PlayComesBackUpWithAMessageAndFindsAnOutputThatAppearsLater) {
  window = MakeWindow(false);
  window->show();
  Open(project);
  EXPECT_EQ(window->SoundOutput->text(), QStringLiteral("Output: none found"));
  Click(window->TakeSel, 0, 0);
  dialogs->realMessages = true;
  QString boxText;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    boxText = box->text();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  });
  Click(window->AudBtn);
  EXPECT_EQ(boxText, QStringLiteral("No sound output device was found."));
  EXPECT_EQ(window->StatusPanels[0]->text(), QStringLiteral("No sound output device was found."));
  EXPECT_FALSE(window->AudBtn->Down());
  EXPECT_FALSE(window->Playing);
  EXPECT_TRUE(window->TakeSel->isEnabled()) << "nothing plays, so nothing is locked";

  sound->SetPresent(true);  // a USB interface plugged in
  dialogs->realMessages = false;
  Click(window->AudBtn);
  EXPECT_TRUE(window->AudBtn->Down());
  EXPECT_TRUE(window->Playing);
  EXPECT_EQ(window->SoundOutput->text(), QStringLiteral("Output: Virtual output"));
  ASSERT_TRUE(sound->PlayNextHalf());
  EXPECT_EQ(dialogs->messages.size(), 1u) << "no second message";
  Click(window->AudBtn);
  EXPECT_FALSE(window->Playing);
}

}  // namespace
}  // namespace tp
