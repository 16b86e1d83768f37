// Renders every skinned control in every state, on its panel, to PNG files
// under gallery/ in the build folder, so that a person can look at the skin.
// Beyond writing the files it checks that the states of each control look
// different once drawn, which is what the skin is for.
#include "app/demoproject.h"
#include "app/tmainwin.h"
#include "controls/skin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"
#include "controls/workbitmap.h"

#include "hostwindow.h"
#include "app/windowfixture.h"
#include "playback/virtualsounddevice.h"
#include "support/tempfolder.h"

#include <QDir>
#include <QPainter>

#include <filesystem>
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
void Disable(QWidget& w) { w.setEnabled(false); }
void Enable(QWidget& w) { w.setEnabled(true); }
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

TEST_F(Gallery, MatrixCellsShowSixDistinctLooksWithAndWithoutATake) {
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
        {"disabled", Disable, Enable},
    };
  };
  EXPECT_EQ(Capture(sheet, QStringLiteral("take"), *take, looks(take)), 6u);
  // An idle cell without audio has no bitmap of its own: it is the panel's
  // empty slot, enabled or not.
  EXPECT_EQ(Capture(sheet, QStringLiteral("take, no audio"), *empty, looks(empty)), 5u);
  EXPECT_EQ(Capture(sheet, QStringLiteral("track"), *track, looks(track)), 6u);
  EXPECT_TRUE(Save(sheet.Render(), "matrix_cells.png"));
}

TEST_F(Gallery, ButtonsShowSixDistinctLooks) {
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
                        {"ExpBtn", ButtonSkin::ExpBtn, {594, 395, 56, 20}, ""},
                        // The clip light and the mixer strip's keys live on the
                        // pages; the face's header strip is as dark a ground.
                        {"ClipLight", ButtonSkin::ClipLight, {300, 8, 18, 10}, ""},
                        {"MuteBtn", ButtonSkin::MuteBtn, {330, 5, 16, 15}, ""},
                        {"SoloBtn", ButtonSkin::SoloBtn, {350, 5, 16, 15}, ""}};
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
        {"disabled", Disable, Enable},
    };
    EXPECT_EQ(Capture(sheet, QString::fromLatin1(kinds[i].name), *b, looks), 6u) << kinds[i].name;
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

// The window's own face and pages, built by the window itself on the demo
// song, with takes chosen, the audition key down and the pointer over a take.
// Each skinned control must appear in the face exactly as it draws itself,
// at the place the window gave it.
TEST(GalleryWindow, TheWindowsFaceAndPagesShowEveryControlWhereTheWindowPutsIt) {
  test::TempFolder scratch;
  const std::filesystem::path song = scratch.path() / "Demo";
  ASSERT_EQ(MakeDemoProject(song), DemoResult::Created);
  TMainWin::Services services;
  services.sound = std::make_unique<VirtualSoundDevice>(false);
  const QString root = QString::fromStdString(scratch.path().string());
  services.places = [root] { return std::vector<DesktopPlace>{{QStringLiteral("Scratch"), root}}; };
  services.settingsFile = root + QStringLiteral("/settings.ini");
  test::TempFolder outlineCache;  // out of the folder tree's sight
  services.outlineCacheFolder = outlineCache.path();
  TMainWin window(std::move(services));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.DirTreeChange(QString::fromStdString(song.string()));
  test::RunUntilIdle();
  for (auto [row, column] : {std::pair{0, 0}, {1, 1}, {2, 0}}) test::Click(window.TakeSel, row, column);
  for (int row : {0, 1}) test::Click(window.TrackSel, row, 0);
  window.AudBtn->SetDown(true);
  QTest::mouseMove(window.TakeSel, QPoint(130, 70));

  const QImage face = window.BitPanel->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(Save(face, "main_face.png"));
  const std::vector<QWidget*> skinned{window.TrackSel, window.TakeSel,  window.MasterSel, window.MasTakeSel,
                                      window.ImpBtn,   window.AudBtn,   window.Slider,    window.ExpBtn};
  for (QWidget* control : skinned)
    EXPECT_EQ(face.copy(control->geometry()), Rendered(*control)) << control->metaObject()->className() << " at "
                                                                   << control->x() << "," << control->y();

  window.PageControl->setCurrentWidget(window.MixerPanel);
  const QImage mixer = window.MixerPanel->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(Save(mixer, "mixer_page.png"));
  for (int track : {0, 15}) {
    EXPECT_EQ(mixer.copy(window.Volumes[track]->geometry()), Rendered(*window.Volumes[track]));
    EXPECT_EQ(mixer.copy(window.Pans[track]->geometry()), Rendered(*window.Pans[track]));
  }
  window.PageControl->setCurrentWidget(window.BitPanel1);
  EXPECT_TRUE(Save(window.BitPanel1->grab().toImage(), "time_page.png"));

  // The whole window as a keyboard user sees it: the focus frame on a take.
  window.PageControl->setCurrentWidget(window.FolderSheet);
  window.TakeSel->setFocus(Qt::TabFocusReason);
  window.TakeSel->SetFocusCell(3, 1);
  EXPECT_TRUE(Save(window.grab().toImage(), "window.png"));
}

}  // namespace
