// Renders every skinned control in every state, on its panel, to PNG files
// under gallery/ in the build folder, so that a person can look at the skin.
// Beyond writing the files it checks that the states of each control look
// different once drawn, which is what the skin is for.
#include "controls/skin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "controls/workbitmap.h"

#include "hostwindow.h"

#include <QDir>
#include <QLabel>
#include <QPainter>

#include <functional>
#include <set>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace tp;

const QString kGallery = QStringLiteral(TP_GALLERY_DIR);

::testing::AssertionResult Save(const QImage& image, const char* name) {
  QDir().mkpath(kGallery);
  const QString path = kGallery + QLatin1Char('/') + QLatin1String(name);
  if (!image.save(path)) return ::testing::AssertionFailure() << "could not write " << path.toStdString();
  return ::testing::AssertionSuccess();
}

// One control in one state: a name and the steps that put it there.
struct Look {
  const char* name;
  std::function<void(QWidget&)> enter;
  std::function<void(QWidget&)> leave;
};

void Nothing(QWidget&) {}
void Hover(QWidget& w) { QTest::mouseMove(&w, QPoint(3, 3)); }
void Unhover(QWidget& w) { QTest::mouseMove(w.window(), QPoint(700, 470)); }
void Press(QWidget& w) { QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(3, 3)); }
void Unpress(QWidget& w) {
  QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(-100, -100));
  Unhover(w);
}

// A sheet of rendered states side by side, each enlarged four times with its
// name under it, one row per control.
class Sheet {
 public:
  explicit Sheet(int zoom = 4) : zoom_(zoom) {}

  void Add(const QString& row, const QString& name, const QImage& picture) {
    rows_[row].push_back({name, picture});
    if (std::find(order_.begin(), order_.end(), row) == order_.end()) order_.push_back(row);
  }

  QImage Render() const {
    const int kZoom = zoom_;
    constexpr int kGap = 12, kCaption = 16;
    int width = 0, height = 0;
    for (const QString& row : order_) {
      int rowWidth = 140, rowHeight = 0;
      for (const auto& [name, picture] : rows_.at(row)) {
        rowWidth += picture.width() * kZoom + kGap;
        rowHeight = std::max(rowHeight, picture.height() * kZoom + kCaption);
      }
      width = std::max(width, rowWidth);
      height += rowHeight + kGap;
    }
    QImage sheet(width + kGap, height + kGap, QImage::Format_RGB32);
    sheet.fill(QColor(0x50, 0x50, 0x50));
    QPainter painter(&sheet);
    painter.setPen(Qt::white);
    int y = kGap;
    for (const QString& row : order_) {
      int x = 140, rowHeight = 0;
      painter.drawText(QRect(kGap, y, 128, 20), Qt::AlignLeft | Qt::AlignVCenter, row);
      for (const auto& [name, picture] : rows_.at(row)) {
        const QImage big = picture.scaled(picture.size() * kZoom);
        painter.drawImage(x, y, big);
        painter.drawText(QRect(x, y + big.height(), big.width() + kGap, kCaption), Qt::AlignLeft | Qt::AlignTop, name);
        x += big.width() + kGap;
        rowHeight = std::max(rowHeight, big.height() + kCaption);
      }
      y += rowHeight + kGap;
    }
    return sheet;
  }

 private:
  std::map<QString, std::vector<std::pair<QString, QImage>>> rows_;
  std::vector<QString> order_;
  int zoom_;
};

size_t DistinctPictures(const std::vector<QImage>& pictures) {
  std::set<QByteArray> seen;
  for (const QImage& p : pictures) seen.insert(QByteArray(reinterpret_cast<const char*>(p.constBits()), int(p.sizeInBytes())));
  return seen.size();
}

// Renders `control` in each look and adds the pictures to the sheet, side by
// side in `row` or, for a wide control, each in a row of its own; returns how
// many of them differ.
size_t Capture(Sheet& sheet, const QString& row, QWidget& control, const std::vector<Look>& looks,
               bool rowPerLook = false) {
  std::vector<QImage> pictures;
  for (const Look& look : looks) {
    look.enter(control);
    pictures.push_back(Rendered(control));
    const QString name = QString::fromLatin1(look.name);
    sheet.Add(rowPerLook ? row + QLatin1Char(' ') + name : row, name, pictures.back());
    look.leave(control);
  }
  return DistinctPictures(pictures);
}

class Gallery : public ::testing::Test {
 protected:
  void SetUp() override {
    QCursor::setPos(0, 0);
    face = new TBitPanel(host.parent());
    face->setGeometry(0, 0, 666, 434);
    face->SetBevelOuter(bvNone);
    face->SetLayout(blMulti);
    face->SetBitmap(faceBitmap);
  }

  template <class Control>
  Control* OnFace(QRect geometry) {
    auto* control = new Control(face);
    control->setGeometry(geometry);
    control->SetBackBmp(CutBackground(faceBitmap, geometry));
    return control;
  }

  HostWindow host;
  QImage faceBitmap = Skin::MainPanel();
  TBitPanel* face = nullptr;
};

TEST_F(Gallery, MatrixCellsShowFiveDistinctLooksWithAndWithoutATake) {
  Sheet sheet;
  const auto cell = [&](QRect at, bool takes) {
    auto* m = OnFace<TBtnMtx>(at);
    m->SetRows(1);
    m->SetCols(1);
    if (takes) ApplyTakeCellSkin(*m); else ApplyTrackCellSkin(*m);
    m->SetCharColor(takes ? Qt::white : Qt::black);
    m->SetPressCharColor(takes ? QColor(Qt::lightGray) : QColor(Qt::white));
    return m;
  };
  TBtnMtx* take = cell(QRect(46, 43, 60, 20), true);
  TBtnMtx* empty = cell(QRect(106, 43, 60, 20), true);
  TBtnMtx* track = cell(QRect(22, 43, 20, 20), false);
  take->Init(QStringLiteral("GUITAR 1"), false, true);
  track->Init(QStringLiteral("16"), false, true);
  ASSERT_TRUE(host.Show());

  const auto looks = [](TBtnMtx* m) {
    const auto down = [m](QWidget&) { m->SetDown(0, 0, true); };
    const auto up = [m](QWidget& w) { m->SetDown(0, 0, false); Unhover(w); };
    return std::vector<Look>{
        {"normal", Nothing, Nothing},
        {"pointed", Hover, Unhover},
        {"down", down, up},
        {"down+pointed", [down](QWidget& w) { down(w); Hover(w); }, up},
        {"pressed", Press, Unpress},
    };
  };
  EXPECT_EQ(Capture(sheet, QStringLiteral("take"), *take, looks(take)), 5u);
  EXPECT_EQ(Capture(sheet, QStringLiteral("take, no audio"), *empty, looks(empty)), 5u);
  EXPECT_EQ(Capture(sheet, QStringLiteral("track"), *track, looks(track)), 5u);
  EXPECT_TRUE(Save(sheet.Render(), "matrix_cells.png"));
}

TEST_F(Gallery, ButtonsShowFiveDistinctLooks) {
  Sheet sheet;
  struct Kind {
    const char* name;
    ButtonSkin skin;
    QRect at;
    const char* caption;
  };
  const Kind kinds[] = {{"MasterSel", ButtonSkin::MasterSel, {22, 367, 20, 20}, "M"},
                        {"AudBtn", ButtonSkin::AudBtn, {251, 396, 30, 16}, ""},
                        {"ImpBtn", ButtonSkin::ImpBtn, {22, 395, 56, 20}, ""},
                        {"ExpBtn", ButtonSkin::ExpBtn, {594, 395, 56, 20}, ""}};
  std::vector<TBPBtn*> buttons;
  for (const Kind& kind : kinds) {
    TBPBtn* b = OnFace<TBPBtn>(kind.at);
    ApplyButtonSkin(*b, kind.skin);
    b->SetCaption(QString::fromLatin1(kind.caption));
    buttons.push_back(b);
  }
  ASSERT_TRUE(host.Show());
  for (size_t i = 0; i < buttons.size(); ++i) {
    TBPBtn* b = buttons[i];
    const auto down = [b](QWidget&) { b->SetDown(true); };
    const auto up = [b](QWidget& w) { b->SetDown(false); Unhover(w); };
    const std::vector<Look> looks{
        {"normal", Nothing, Nothing},
        {"pointed", Hover, Unhover},
        {"down", down, up},
        {"down+pointed", [down](QWidget& w) { down(w); Hover(w); }, up},
        {"pressed", Press, Unpress},
    };
    EXPECT_EQ(Capture(sheet, QString::fromLatin1(kinds[i].name), *b, looks), 5u) << kinds[i].name;
  }
  // InitBtn sits on the mixer page.
  TBitPanel mixer(host.parent());
  const QImage mixerBitmap = Skin::MixerPanel();
  mixer.setGeometry(0, 0, 166, 410);
  mixer.SetLayout(blMulti);
  mixer.SetBitmap(mixerBitmap);
  TBPBtn init(&mixer);
  init.setGeometry(26, 370, 56, 20);
  init.SetBackBmp(CutBackground(mixerBitmap, init.geometry()));
  ApplyButtonSkin(init, ButtonSkin::InitBtn);
  mixer.show();
  const std::vector<Look> initLooks{{"normal", Nothing, Nothing}, {"pointed", Hover, Unhover}, {"pressed", Press, Unpress}};
  EXPECT_EQ(Capture(sheet, QStringLiteral("InitBtn"), init, initLooks), 3u);
  EXPECT_TRUE(Save(sheet.Render(), "buttons.png"));
}

std::vector<Look> FocusLooks() {
  const auto focus = [](QWidget& w) { w.setFocus(); };
  const auto unfocus = [](QWidget& w) { w.clearFocus(); Unhover(w); };
  return {
      {"normal", Nothing, Nothing},
      {"pointed", Hover, Unhover},
      {"focused", focus, unfocus},
      {"focused+pointed", [focus](QWidget& w) { focus(w); Hover(w); }, unfocus},
      {"disabled", [](QWidget& w) { w.setEnabled(false); }, [](QWidget& w) { w.setEnabled(true); }},
  };
}

TEST_F(Gallery, KnobAndSliderShowFiveDistinctLooks) {
  Sheet sheet(8);
  auto* slider = OnFace<TSlider>(QRect(284, 398, 300, 12));
  ApplySliderSkin(*slider);
  slider->SetMax(1000);
  slider->SetPosition(400);

  TBitPanel mixer(host.parent());
  const QImage mixerBitmap = Skin::MixerPanel();
  mixer.setGeometry(0, 0, 166, 410);
  mixer.SetLayout(blMulti);
  mixer.SetBitmap(mixerBitmap);
  TVolume knob(&mixer);
  knob.setGeometry(8, 19, 17, 17);
  knob.SetBackBmp(CutBackground(mixerBitmap, knob.geometry()));
  ApplyKnobSkin(knob);
  knob.SetMax(127);
  knob.SetPosition(100);
  ASSERT_TRUE(host.Show());
  mixer.show();

  EXPECT_EQ(Capture(sheet, QStringLiteral("knob"), knob, FocusLooks()), 5u);
  for (int position : {0, 32, 64, 96, 127}) {
    knob.SetPosition(position);
    sheet.Add(QStringLiteral("knob positions"), QString::number(position), Rendered(knob));
  }
  EXPECT_TRUE(Save(sheet.Render(), "knob.png"));
  Sheet sliderSheet(2);
  EXPECT_EQ(Capture(sliderSheet, QStringLiteral("slider"), *slider, FocusLooks(), true), 5u);
  EXPECT_TRUE(Save(sliderSheet.Render(), "slider.png"));
}

// The main window's face as the main window will build it, with labels in
// the colours it should use, to judge the whole.
TEST_F(Gallery, TheMainFaceAndThePagesComposeIntoOnePicture) {
  const auto label = [&](QWidget* parent, const QString& text, QRect at, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(at);
    l->setAlignment(align);
    l->setStyleSheet(QStringLiteral("color: #d8dde4; font-size: 12px;"));
  };
  label(face, QStringLiteral("PROJECT "), QRect(20, 6, 64, 17), Qt::AlignLeft | Qt::AlignVCenter);
  auto* name = new QLabel(QStringLiteral("MYSONG"), face);
  name->setGeometry(84, 4, 76, 17);
  name->setStyleSheet(QStringLiteral("background: white; color: black; border: 1px solid #888; font-size: 12px;"));
  for (int i = 0; i < 10; ++i)
    label(face, QString::number(i + 1), QRect(46 + 60 * i, 28, 60, 14), Qt::AlignHCenter | Qt::AlignVCenter);
  for (int i = 0; i < 16; ++i)
    label(face, QString::number(i + 1), QRect(646, 43 + 20 * i, 20, 20), Qt::AlignHCenter | Qt::AlignVCenter);
  label(face, QStringLiteral("L/MONO: Track 1"), QRect(80, 395, 160, 14), Qt::AlignLeft | Qt::AlignVCenter);
  label(face, QStringLiteral("R: Track 2"), QRect(80, 409, 160, 12), Qt::AlignLeft | Qt::AlignVCenter);

  auto* trackSel = OnFace<TBtnMtx>(QRect(22, 43, 20, 320));
  trackSel->SetCols(1);
  trackSel->SetRows(16);
  ApplyTrackCellSkin(*trackSel);
  auto* takeSel = OnFace<TBtnMtx>(QRect(46, 43, 600, 320));
  takeSel->SetCols(10);
  takeSel->SetRows(16);
  ApplyTakeCellSkin(*takeSel);
  takeSel->SetCharColor(Qt::white);
  takeSel->SetPressCharColor(Qt::lightGray);
  auto* masterSel = OnFace<TBPBtn>(QRect(22, 367, 20, 20));
  ApplyButtonSkin(*masterSel, ButtonSkin::MasterSel);
  masterSel->SetCaption(QStringLiteral("M"));
  auto* masTakeSel = OnFace<TBtnMtx>(QRect(46, 367, 600, 20));
  masTakeSel->SetCols(10);
  masTakeSel->SetRows(1);
  ApplyTakeCellSkin(*masTakeSel);
  masTakeSel->SetCharColor(Qt::white);
  ApplyButtonSkin(*OnFace<TBPBtn>(QRect(22, 395, 56, 20)), ButtonSkin::ImpBtn);
  auto* audBtn = OnFace<TBPBtn>(QRect(251, 396, 30, 16));
  ApplyButtonSkin(*audBtn, ButtonSkin::AudBtn);
  ApplyButtonSkin(*OnFace<TBPBtn>(QRect(594, 395, 56, 20)), ButtonSkin::ExpBtn);
  auto* slider = OnFace<TSlider>(QRect(284, 398, 300, 12));
  ApplySliderSkin(*slider);
  slider->SetMax(1000);
  slider->SetPosition(250);

  // A project: takes with audio here and there, one selected per track.
  trackSel->SetUpdating(true);
  for (int row = 0; row < 16; ++row) {
    trackSel->SetCaptions(row, 0, QString::number(row + 1));
    trackSel->SetAssigned(row, 0, true);
  }
  trackSel->SetDown(0, 0, true);
  trackSel->SetDown(1, 0, true);
  trackSel->SetUpdating(false);
  takeSel->SetUpdating(true);
  const char* names[] = {"GUITAR 1", "BASS", "DRUMS", "VOX TAKE", "KEYS"};
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 10; ++col)
      if ((row * 7 + col * 3) % 5 < 2 && col < 6) {
        takeSel->SetCaptions(row, col, QString::fromLatin1(names[(row + col) % 5]));
        takeSel->SetAssigned(row, col, true);
      }
  takeSel->SetDown(0, 0, true);
  takeSel->SetDown(2, 3, true);
  takeSel->SetDown(5, 8, true);  // an import target without audio
  takeSel->SetUpdating(false);
  masTakeSel->SetCaptions(0, 0, QStringLiteral("MIX 1"));
  masTakeSel->SetAssigned(0, 0, true);
  audBtn->SetDown(true);
  ASSERT_TRUE(host.Show());
  QTest::mouseMove(takeSel, QPoint(130, 70));  // point at a take
  EXPECT_TRUE(Save(face->grab().toImage(), "main_face.png"));

  // The mixer page: sixteen strips of volume and pan.
  TBitPanel mixer;
  const QImage mixerBitmap = Skin::MixerPanel();
  mixer.setGeometry(760, 20, 166, 410);
  mixer.SetLayout(blMulti);
  mixer.SetBitmap(mixerBitmap);
  label(&mixer, QStringLiteral("FADER"), QRect(8, 3, 50, 13), Qt::AlignLeft);
  label(&mixer, QStringLiteral("PANPOT"), QRect(64, 3, 60, 13), Qt::AlignLeft);
  for (int track = 0; track < 16; ++track) {
    const int y = 19 + 20 * track;
    for (int column : {8, 70}) {
      auto* knob = new TVolume(&mixer);
      knob->setGeometry(column, y, 17, 17);
      knob->SetBackBmp(CutBackground(mixerBitmap, knob->geometry()));
      ApplyKnobSkin(*knob);
      knob->SetMax(column == 8 ? 127 : 100);
      knob->SetPosition(column == 8 ? 100 - 6 * track % 90 : 50 + (track % 5 - 2) * 20);
    }
    label(&mixer, QString::number(100 - 6 * track % 90), QRect(28, y + 2, 18, 13), Qt::AlignRight);
    label(&mixer, QStringLiteral("C"), QRect(90, y + 2, 24, 13), Qt::AlignHCenter);
  }
  auto* init = new TBPBtn(&mixer);
  init->setGeometry(26, 370, 56, 20);
  init->SetBackBmp(CutBackground(mixerBitmap, init->geometry()));
  ApplyButtonSkin(*init, ButtonSkin::InitBtn);
  mixer.show();
  EXPECT_TRUE(Save(mixer.grab().toImage(), "mixer_page.png"));

  TBitPanel time;
  time.setGeometry(760, 20, 166, 410);
  time.SetLayout(blMulti);
  time.SetBitmap(Skin::TimePanel());
  for (int t = 1; t <= 16; ++t)
    label(&time, QStringLiteral(" 0:0%1:12:345 ").arg(t % 10), QRect(12, 24 + 20 * (t - 1), 90, 14), Qt::AlignLeft);
  label(&time, QStringLiteral(" -:--:--:-- "), QRect(12, 348, 90, 14), Qt::AlignLeft);
  time.show();
  EXPECT_TRUE(Save(time.grab().toImage(), "time_page.png"));
}

}  // namespace
