// The skinned controls on a screen at 200 % (this executable runs with
// QT_SCALE_FACTOR=2): each paints at the device pixel ratio, so that its
// text and rounded edges are drawn at full resolution instead of at 100 %
// and doubled.
#include "controls/skin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

#include "hostwindow.h"
#include "support/edgeblocks.h"

#include <QFont>

#include <functional>
#include <ostream>

#include <gtest/gtest.h>

namespace {

using namespace tp;
using test::CountEdgeBlocks;

// The control's picture as the screen gets it, in device pixels.
QImage Grabbed(QWidget& control) {
  const QPixmap grabbed = control.grab();
  EXPECT_EQ(grabbed.devicePixelRatio(), 2.0) << "the test must run at QT_SCALE_FACTOR=2";
  return grabbed.toImage();
}

QFont CaptionFont() {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPixelSize(12);
  return font;
}

struct ScaleCase {
  const char* what;
  // Builds the control on `parent` and says which logical area to look at.
  std::function<QRect(QWidget* parent)> build;
  // The share of mixed blocks at least expected there (at 100 % doubled: 0).
  double mixedShare = 0.5;
};

void PrintTo(const ScaleCase& c, std::ostream* out) { *out << c.what; }

const ScaleCase kCases[] = {
    {"track keys' digits",
     [](QWidget* parent) {
       auto* keys = new TBtnMtx(parent);
       keys->SetRows(3);
       keys->SetCols(1);
       ApplyTrackCellSkin(*keys);
       keys->setFont(CaptionFont());
       for (int row = 0; row < 3; ++row) {
         keys->SetCaptions(row, 0, QString::number(row + 1));
         keys->SetAssigned(row, 0, true);
       }
       return QRect(4, 4, 12, 52);  // inside the caps, over the digits
     }},
    {"take names",
     [](QWidget* parent) {
       auto* takes = new TBtnMtx(parent);
       takes->SetRows(2);
       takes->SetCols(2);
       ApplyTakeCellSkin(*takes);
       takes->setFont(CaptionFont());
       takes->SetCharColor(Qt::white);
       const char* names[] = {"Kick", "Snare", "HiHat", "Bass 2"};
       for (int cell = 0; cell < 4; ++cell) {
         takes->SetCaptions(cell / 2, cell % 2, QString::fromLatin1(names[cell]));
         takes->SetAssigned(cell / 2, cell % 2, true);
       }
       return QRect(4, 4, 112, 32);
     }},
    {"import key",
     [](QWidget* parent) {
       auto* key = new TBPBtn(parent);
       key->resize(56, 20);
       ApplyButtonSkin(*key, ButtonSkin::ImpBtn);
       return QRect(0, 0, 56, 20);
     }},
    {"master key's caption",
     [](QWidget* parent) {
       auto* key = new TBPBtn(parent);
       key->resize(20, 20);
       ApplyButtonSkin(*key, ButtonSkin::MasterSel);
       key->setFont(CaptionFont());
       key->SetCaption(QStringLiteral("M"));
       return QRect(0, 0, 20, 20);
     }},
    {"knob",
     [](QWidget* parent) {
       auto* knob = new TVolume(parent);
       knob->resize(17, 17);
       ApplyKnobSkin(*knob);
       knob->SetMax(127);
       knob->SetPosition(100);
       return QRect(0, 0, 17, 17);
     }},
    {"slider",
     [](QWidget* parent) {
       auto* slider = new TSlider(parent);
       slider->resize(300, 12);
       ApplySliderSkin(*slider);
       slider->SetPosition(37);
       return QRect(slider->ThumbOffset(), 0, 12, 12);  // the thumb's rounded cap
     }},
    {"main panel",
     [](QWidget* parent) {
       auto* panel = new TBitPanel(parent);
       panel->SetBitmap(SkinBitmap::Drawn(&Skin::MainPanel));
       panel->resize(667, 434);
       return QRect(560, 420, 106, 14);  // the program's name and a screw
     },
     // The face's brushed rows lie on whole pixels and stay blocks.
     0.3},
};

class AtTwiceTheScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(AtTwiceTheScale, DrawsAtFullResolutionNotAt100PercentDoubled) {
  HostWindow host;
  const QRect logical = GetParam().build(host.parent());
  QWidget* control = host.parent()->findChild<QWidget*>();
  ASSERT_NE(control, nullptr);
  ASSERT_TRUE(host.Show());
  const QImage image = Grabbed(*control);
  ASSERT_EQ(image.size(), control->size() * 2);
  const test::EdgeBlocks blocks = CountEdgeBlocks(image, QRect(logical.topLeft() * 2, logical.size() * 2));
  ASSERT_GT(blocks.onEdge, 20) << GetParam().what << ": nothing drawn to look at";
  // Drawn at 100 % and doubled, every block is one colour.
  EXPECT_GT(blocks.MixedShare(), GetParam().mixedShare) << GetParam().what << ": " << blocks;
}

INSTANTIATE_TEST_SUITE_P(Controls, AtTwiceTheScale, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
