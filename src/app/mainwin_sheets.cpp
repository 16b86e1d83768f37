// The three tabs beside the face ("Folders", "Time", "Mixer") and the status
// bar along the bottom.
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "controls/skin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tvolume.h"

namespace tp {
namespace {

// A caption placed for its English text, widened where a translation is
// longer; the page grows with it (KeepPagesWhole).
QLabel* WidenedToText(QLabel* label) {
  label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
  return label;
}

}  // namespace

void TMainWin::BuildPages(const TDirTreeView::PlaceSource& places) {
  PageControl = new QTabWidget(this);
  // The three tabs share the 166 pixels the window first gives them; the
  // style's roomy tabs would hide "Mixer".
  PageControl->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 7px; }"));
  PageControl->tabBar()->setExpanding(false);
  FolderSheet = new QWidget;
  PageControl->addTab(FolderSheet, tr("Folders"));
  DirTree = new TDirTreeView(nullptr, places);
  BuildFolderSheet();
  BuildTimeSheet();
  BuildMixerSheet();
  KeepPagesWhole();
}

void TMainWin::KeepPagesWhole() {
  // Every tab in view, never behind scroll arrows (a larger font or scale
  // widens them).
  PageControl->tabBar()->setUsesScrollButtons(false);
  // In the window, the buttons measure their texts in the window's font.
  PlaceFolderButtons();
  // The pages place their controls by hand: each is as wide as its widest
  // row (the M and S keys, the meters, the folder buttons) and a margin.
  constexpr int PageMargin = 6;
  for (QWidget* page : std::initializer_list<QWidget*>{BitPanel1, MixerPanel})
    page->setMinimumWidth(page->childrenRect().right() + 1 + PageMargin);
  FolderSheet->setMinimumWidth(RefBtn->geometry().right() + 1 + PageMargin);
  PageControl->ensurePolished();
  PageControl->tabBar()->ensurePolished();
  // The window is no narrower than the face and these pages beside it.
  const int pagesWidth = PageControl->minimumSizeHint().width();
  setMinimumSize(std::max(MinClientWidth, PanelWidth + pagesWidth), MinClientHeight);
}

void TMainWin::BuildFolderSheet() {
  auto* strip = new QWidget;
  strip->setFixedHeight(33);
  SortBtn = new QPushButton(tr("&Sort"), strip);
  NewFldrBtn = new QPushButton(tr("&New"), strip);
  NewFldrBtn->setEnabled(false);
  RefBtn = new QPushButton(tr("Re&fresh"), strip);

  auto* layout = new QVBoxLayout(FolderSheet);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(strip);
  layout->addWidget(DirTree);

  connect(SortBtn, &QPushButton::clicked, this, [this] { SortBtnClick(); });
  connect(NewFldrBtn, &QPushButton::clicked, this, [this] { NewFldrBtnClick(); });
  connect(RefBtn, &QPushButton::clicked, this, [this] { RefBtnClick(); });
  connect(DirTree, &TDirTreeView::OnChange, this, [this](TDirTreeView*, const QString& path) { DirTreeChange(path); });
}

void TMainWin::PlaceFolderButtons() {
  // Where the English texts fit; a longer translation ("並べ替え(S)")
  // widens its button and moves the next one along, never cut short.
  struct Place {
    QPushButton* button;
    int x, width;
  };
  constexpr int Gap = 4;
  // The room beside its text that "Refresh" has in its 50 pixels.
  constexpr int TextMargin = 4;
  int right = -Gap;
  for (const Place& place : {Place{SortBtn, 2, 40}, Place{NewFldrBtn, 46, 40}, Place{RefBtn, 92, 50}}) {
    const QString text = QString(place.button->text()).remove(QLatin1Char('&'));
    const int needed = place.button->fontMetrics().horizontalAdvance(text) + 2 * TextMargin;
    const int x = std::max(place.x, right + Gap);
    const int width = std::max(place.width, needed);
    place.button->setGeometry(x, 6, width, 21);
    right = x + width;
  }
}

void TMainWin::BuildTimeSheet() {
  BitPanel1 = new TBitPanel;
  BitPanel1->SetBitmap(SkinBitmap::Drawn(&Skin::TimePanel));
  BitPanel1->SetLayout(blMulti);
  BitPanel1->SetBevelOuter(bvNone);
  PageControl->addTab(BitPanel1, tr("Time"));

  for (int t = 1; t <= 16; ++t) {
    WidenedToText(PlacedLabel(BitPanel1, tr("TRACK %1").arg(t), QRect(90, 24 + 20 * (t - 1), 60, 12),
                              Qt::AlignLeft | Qt::AlignVCenter, kDimLabelColour));
    Times[t - 1] = PlacedLabel(BitPanel1, kInitialTime, QRect(12, 24 + 20 * (t - 1), 72, 12),
                               Qt::AlignLeft | Qt::AlignVCenter, kTimeColour);
  }
  for (const auto& [text, y] : {std::pair{tr("MASTER"), 348}, std::pair{tr("PLAY"), 378}})
    WidenedToText(PlacedLabel(BitPanel1, text, QRect(90, y, 60, 12), Qt::AlignLeft | Qt::AlignVCenter, kDimLabelColour));
  TimeM = PlacedLabel(BitPanel1, kInitialTime, QRect(12, 348, 72, 12), Qt::AlignLeft | Qt::AlignVCenter, kTimeColour);
  PlayTime =
      PlacedLabel(BitPanel1, kInitialTime, QRect(12, 378, 72, 12), Qt::AlignLeft | Qt::AlignVCenter, kTimeColour);
  BuildMeters();
}

void TMainWin::BuildMixerSheet() {
  MixerPanel = new TBitPanel;
  MixerPanel->SetBitmap(SkinBitmap::Drawn(&Skin::MixerPanel));
  MixerPanel->SetLayout(blMulti);
  MixerPanel->SetBevelOuter(bvNone);
  PageControl->addTab(MixerPanel, tr("Mixer"));

  FaderLabel = LabelAt(MixerPanel, tr("FADER"), QPoint(8, 4), kLabelColour);
  PanpotLabel = LabelAt(MixerPanel, tr("PANPOT"), QPoint(64, 4), kLabelColour);
  for (int t = 0; t < 16; ++t) {
    const int y = 19 + 20 * t;
    Volumes[t] = new TVolume(MixerPanel);
    Volumes[t]->setGeometry(8, y, 17, 17);
    ApplyKnobSkin(*Volumes[t]);
    Volumes[t]->SetMax(127);
    Volumes[t]->SetPosition(100);
    VolVals[t] = PlacedLabel(MixerPanel, QStringLiteral("100"), QRect(28, y, 18, 17),
                             Qt::AlignRight | Qt::AlignVCenter, kLabelColour);
    Pans[t] = new TVolume(MixerPanel);
    Pans[t]->setGeometry(70, y, 17, 17);
    ApplyKnobSkin(*Pans[t]);
    Pans[t]->SetMax(100);
    Pans[t]->SetPosition(50);
    PanVals[t] = PlacedLabel(MixerPanel, QStringLiteral("C"), QRect(90, y, 24, 17), Qt::AlignCenter, kLabelColour);
  }
  InitBtn = new TBPBtn(MixerPanel);
  InitBtn->setGeometry(26, 370, 56, 20);
  ApplyButtonSkin(*InitBtn, ButtonSkin::InitBtn);
  BuildMuteSolo();
}

void TMainWin::BuildStatusBar() {
  StatusBar = new QWidget(this);
  // "0:00:00 / 0:00:00" takes 102 pixels in the window's fixed-pitch face,
  // more than the 100-pixel time panel holds; a narrower face of the same
  // size keeps the seconds in view.
  QFont narrow = WindowFont();
  narrow.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("IPAPGothic")});
  StatusBar->setFont(narrow);
  const std::array<int, 3> widths{350, 100, 50};
  int x = 0;
  for (size_t i = 0; i < StatusPanels.size(); ++i) {
    StatusPanels[i] = new QLabel(StatusBar);
    StatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanels[i]->setGeometry(x, 1, widths[i], StatusBarHeight - 1);
    StatusPanels[i]->setIndent(2);
    x += widths[i] + 2;
  }
}

}  // namespace tp
