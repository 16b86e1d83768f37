// The skin: every bitmap the main window needs, at its size, with a real
// alpha channel where it lies over a panel, and states that differ.
#include "controls/skin.h"

#include <QImage>

#include <functional>
#include <set>

#include <gtest/gtest.h>

namespace {

using namespace tp::Skin;

const ButtonLook kButtonLooks[] = {ButtonLook::Normal, ButtonLook::Pointed, ButtonLook::Down, ButtonLook::DownPointed,
                                   ButtonLook::Pressed};
const KnobLook kKnobLooks[] = {KnobLook::Normal, KnobLook::Pointed, KnobLook::Focused, KnobLook::FocusedPointed,
                               KnobLook::Disabled};

struct StateSet {
  const char* name;
  QSize size;
  std::function<QImage(int look)> draw;
};

const StateSet kStateSets[] = {
    {"take cell", {60, 20}, [](int i) { return TakeCell(kButtonLooks[i], true); }},
    {"empty take cell", {60, 20}, [](int i) { return TakeCell(kButtonLooks[i], false); }},
    {"track cell", {20, 20}, [](int i) { return TrackCell(kButtonLooks[i]); }},
    {"master key", {20, 20}, [](int i) { return MasterSel(kButtonLooks[i]); }},
    {"audition key", {30, 16}, [](int i) { return AudBtn(kButtonLooks[i]); }},
    {"import key", {56, 20}, [](int i) { return CommandBtn(Command::Import, kButtonLooks[i]); }},
    {"export key", {56, 20}, [](int i) { return CommandBtn(Command::Export, kButtonLooks[i]); }},
    {"init key", {56, 20}, [](int i) { return CommandBtn(Command::Init, kButtonLooks[i]); }},
    {"knob", {17, 17}, [](int i) { return Knob(kKnobLooks[i]); }},
    {"slider thumb", {12, 12}, [](int i) { return SliderThumb(kKnobLooks[i]); }},
    {"clip light", {18, 10}, [](int i) { return ClipLight(kButtonLooks[i]); }},
    {"mute key", {16, 15}, [](int i) { return StripToggleKey(StripToggle::Mute, kButtonLooks[i]); }},
    {"solo key", {16, 15}, [](int i) { return StripToggleKey(StripToggle::Solo, kButtonLooks[i]); }},
};

// A real alpha channel: the panel shows through somewhere, and something is
// drawn somewhere.
bool HasRealAlpha(const QImage& image) {
  bool seeThrough = false, drawn = false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      seeThrough |= qAlpha(image.pixel(x, y)) < 255;
      drawn |= qAlpha(image.pixel(x, y)) > 0;
    }
  return seeThrough && drawn;
}

class SkinStates : public ::testing::TestWithParam<StateSet> {};

TEST_P(SkinStates, GivesFiveDistinctStraightAlphaBitmapsOfTheControlsSize) {
  const StateSet& set = GetParam();
  std::set<QByteArray> seen;
  for (int look = 0; look < 5; ++look) {
    const QImage image = set.draw(look);
    EXPECT_EQ(image.size(), set.size) << set.name << " look " << look;
    EXPECT_EQ(image.format(), QImage::Format_ARGB32) << set.name;
    EXPECT_TRUE(HasRealAlpha(image)) << set.name << " look " << look;
    seen.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), int(image.sizeInBytes())));
  }
  EXPECT_EQ(seen.size(), 5u) << set.name << ": two looks are the same picture";
}

INSTANTIATE_TEST_SUITE_P(Table, SkinStates, ::testing::ValuesIn(kStateSets));

TEST(Skin, PanelsAndTheSliderTrackHaveTheLayoutsSizes) {
  EXPECT_EQ(MainPanel().size(), QSize(667, 446));
  EXPECT_EQ(TimePanel().size(), QSize(10, 10));
  EXPECT_EQ(MixerPanel().size(), QSize(100, 400));
  const QImage track = SliderTrack();
  EXPECT_EQ(track.size(), QSize(300, 12));
  EXPECT_TRUE(HasRealAlpha(track));
}

TEST(Skin, TheMixerTileJoinsItselfAcrossItsLeftAndRightEdges) {
  const QImage mixer = MixerPanel();
  for (int y = 0; y < mixer.height(); ++y) EXPECT_EQ(mixer.pixel(0, y), mixer.pixel(99, y)) << "row " << y;
}

}  // namespace
