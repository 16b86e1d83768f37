// The meters, the clip light and the mute and solo keys of the window,
// offscreen, with the virtual sound device played half by half. The test
// calls RefreshMeters where the meter timer would, so nothing waits for a
// clock; what the meters show is worked out from the takes, what the device
// hears is the reference mix of the tracks heard.
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include <filesystem>
#include <vector>

#include <ebur128.h>
#include <gtest/gtest.h>

#include "app/tmainwin.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tlevelmeter.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "support/projectfixture.h"
#include "support/referencemix.h"
#include "windowfixture.h"

namespace tp {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::RunUntilIdle;

constexpr uint32_t Half = Transport::FramesPerHalf;

class Meters : public test::WindowTest {
 protected:
  // Tracks 1 and 2 a sine each, crest 16384 (-6.02 dBFS), and track 3 a
  // quieter ramp; together 1 and 2 saturate on every crest.
  const std::vector<int16_t> sine = test::Sine(6 * Half, 16384, 64);
  const std::vector<int16_t> ramp = test::Ramp(6 * Half, -2000, 0);  // constant -2000, -24.3 dBFS

  Meters() {
    fs::create_directories(project);
    test::WriteProjectInfo(project, "METERS");
    test::WriteTake(project / "TRACK0_0.DAT", "One", sine);
    test::WriteTake(project / "TRACK1_0.DAT", "Two", sine);
    test::WriteTake(project / "TRACK2_0.DAT", "Three", ramp);
    window = MakeWindow(true);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Open(project);
  }

  void Select(std::initializer_list<int> tracks) {
    for (int track : tracks) Click(window->TakeSel, track, 0);
  }

  void PlayHalf() {
    ASSERT_TRUE(sound->PlayNextHalf());
    ASSERT_TRUE(sound->WaitForHalvesWritten(sound->HalvesPlayed()));
    RunUntilIdle();
  }

  // What the device heard of the mix, without the two halves of silence
  // every audition starts with.
  std::vector<int16_t> HeardBlocks(size_t blocks) const {
    const std::vector<int16_t> received = sound->Received();
    EXPECT_GE(received.size(), 2 * (blocks + 2) * Half);
    return {received.begin() + 2 * 2 * Half, received.begin() + long(2 * (2 + blocks) * Half)};
  }

  std::array<test::ReferenceTrack, 16> Tracks(std::initializer_list<int> heard) const {
    std::array<test::ReferenceTrack, 16> tracks;
    tracks[0].samples = tracks[1].samples = sine;
    tracks[2].samples = ramp;
    for (auto& track : tracks) track.heard = false;
    for (int track : heard) tracks[size_t(track)].heard = true;
    return tracks;
  }

  static void Press(int key) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, Qt::Key(key));
    RunUntilIdle();
  }

  const fs::path project = scratch / "meters";
};

TEST_F(Meters, EachTrackMeterShowsItsPeakAndTheMasterMeterTheMix) {
  Select({0, 2});
  Click(window->AudBtn);
  PlayHalf();  // the stream mixes the first block into the half just played
  window->RefreshMeters();
  EXPECT_NEAR(window->TrackMeters[0]->Channel(0).Level(), -6.02, 0.5);
  EXPECT_NEAR(window->TrackMeters[2]->Channel(0).Level(), -24.3, 0.5);
  EXPECT_TRUE(window->TrackMeters[1]->AtRest()) << "track 2 is not selected";
  // Left and right both carry 16384 + (-2000) at the sine's crest, and
  // -16384 - 2000 = -18384 at its trough: -5.02 dBFS.
  EXPECT_NEAR(window->MasterMeter->Channel(0).Level(), -5.02, 0.5);
  EXPECT_NEAR(window->MasterMeter->Channel(1).Level(), -5.02, 0.5);
  EXPECT_FALSE(window->ClipLight->Down());
  Click(window->AudBtn);
}

TEST_F(Meters, ASaturatingMixLightsTheClipLightUntilItIsClickedOrTheNextAuditionStarts) {
  Select({0, 1});
  Click(window->AudBtn);
  for (int half = 0; half < 3; ++half) PlayHalf();
  window->RefreshMeters();
  EXPECT_TRUE(window->ClipLight->Down());
  const QImage lit = window->ClipLight->grab().toImage();

  Click(window->ClipLight);
  EXPECT_FALSE(window->ClipLight->Down()) << "a click puts it out";
  EXPECT_NE(window->ClipLight->grab().toImage(), lit);
  window->RefreshMeters();
  EXPECT_FALSE(window->ClipLight->Down()) << "and it stays out until the mix clips again";
  PlayHalf();
  window->RefreshMeters();
  EXPECT_TRUE(window->ClipLight->Down());

  Click(window->AudBtn);  // the user ends the audition
  window->RefreshMeters();
  EXPECT_TRUE(window->ClipLight->Down()) << "ending the audition leaves it lit";
  Click(window->AudBtn);  // a new audition
  EXPECT_FALSE(window->ClipLight->Down());
  Click(window->AudBtn);
}

TEST_F(Meters, TheMuteAndSoloKeysOfTheMixerPageDecideWhatIsHeard) {
  Select({0, 1, 2});
  window->PageControl->setCurrentWidget(window->MixerPanel);
  Click(window->MuteBtns[1]);
  EXPECT_TRUE(window->MuteBtns[1]->Down());
  EXPECT_TRUE(window->Audition().Settings().mute[1].load());
  Click(window->AudBtn);
  for (int half = 0; half < 3; ++half) PlayHalf();
  EXPECT_EQ(HeardBlocks(1), test::ReferenceMix(Tracks({0, 2}), Half).stereo);
  window->RefreshMeters();
  EXPECT_TRUE(window->TrackMeters[1]->AtRest()) << "a muted track's meter stays dark";
  EXPECT_FALSE(window->TrackMeters[0]->AtRest());
  Click(window->AudBtn);

  // Solo track 3: only it is heard, whatever else is muted.
  Click(window->SoloBtns[2]);
  EXPECT_TRUE(window->SoloBtns[2]->Down());
  window->Slider->SetPosition(0);
  Click(window->AudBtn);
  for (int half = 0; half < 3; ++half) PlayHalf();
  EXPECT_EQ(HeardBlocks(1), test::ReferenceMix(Tracks({2}), Half).stereo);
  Click(window->AudBtn);

  // INIT clears both and raises the keys.
  Click(window->InitBtn);
  EXPECT_FALSE(window->MuteBtns[1]->Down());
  EXPECT_FALSE(window->SoloBtns[2]->Down());
  EXPECT_EQ(HeardStrips(window->Audition().Settings()), 0xffffu);
}

TEST_F(Meters, KeysMAndSActOnTheStripWhoseKnobHasTheFocusOnlyOnTheMixerPage) {
  window->PageControl->setCurrentWidget(window->MixerPanel);
  RunUntilIdle();
  window->Volumes[4]->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_M);
  EXPECT_TRUE(window->MuteBtns[4]->Down());
  EXPECT_TRUE(window->Audition().Settings().mute[4].load());
  window->Pans[9]->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_S);
  EXPECT_TRUE(window->SoloBtns[9]->Down());
  EXPECT_TRUE(window->Audition().Settings().solo[9].load());
  Press(Qt::Key_S);
  EXPECT_FALSE(window->SoloBtns[9]->Down()) << "the key toggles as a click does";
  EXPECT_FALSE(window->Audition().Settings().solo[9].load());
  EXPECT_EQ(window->Pans[9]->Position(), 50) << "the knob did not take the key";

  // On another page, or away from the knobs, the letters do nothing here.
  window->Volumes[4]->setFocus(Qt::TabFocusReason);
  window->PageControl->setCurrentWidget(window->BitPanel1);
  RunUntilIdle();
  window->TakeSel->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_M);
  EXPECT_TRUE(window->MuteBtns[4]->Down()) << "still muted, not toggled back";
  window->PageControl->setCurrentWidget(window->MixerPanel);
  RunUntilIdle();
  window->TakeSel->setFocus(Qt::TabFocusReason);
  Press(Qt::Key_S);
  for (int strip = 0; strip < 16; ++strip) EXPECT_FALSE(window->SoloBtns[strip]->Down()) << "strip " << strip;
}

}  // namespace
}  // namespace tp

namespace tp {
namespace {

// The MASTER row's short-term loudness: nothing until 3 seconds were
// heard, then the loudness of the last 3 seconds the device heard.
TEST_F(Meters, TheMasterRowShowsTheShortTermLoudnessOfTheLastThreeSeconds) {
  const size_t halves = 20;
  test::WriteTake(project / "TRACK3_0.DAT", "Long", test::Sine(halves * Half, 3000, 40));
  Open(project);
  Select({3});
  Click(window->AudBtn);
  for (int half = 0; half < 8; ++half) PlayHalf();
  window->RefreshMeters();
  EXPECT_TRUE(window->MasterLoudness->text().isEmpty()) << "less than 3 seconds mixed";
  for (int half = 8; half < 18; ++half) PlayHalf();
  window->RefreshMeters();
  // The device received the two halves of silence an audition starts with,
  // then every half mixed: the last 3 seconds of it are the meter's.
  const std::vector<int16_t> heard = sound->Received();
  const size_t window3s = 3 * 44100;
  ASSERT_GE(heard.size() / 2, window3s);
  ebur128_state* reference = ebur128_init(2, 44100, EBUR128_MODE_S);
  ebur128_add_frames_short(reference, heard.data() + heard.size() - 2 * window3s, window3s);
  double expected = 0;
  ebur128_loudness_shortterm(reference, &expected);
  ebur128_destroy(&reference);
  const QString shown = window->MasterLoudness->text();
  ASSERT_TRUE(shown.endsWith(QStringLiteral(" LUFS"))) << shown.toStdString();
  EXPECT_NEAR(shown.chopped(5).toDouble(), expected, 0.15) << shown.toStdString();
  Click(window->AudBtn);
  // The next audition starts from nothing.
  Click(window->AudBtn);
  window->RefreshMeters();
  EXPECT_TRUE(window->MasterLoudness->text().isEmpty());
  Click(window->AudBtn);
}

}  // namespace
}  // namespace tp
