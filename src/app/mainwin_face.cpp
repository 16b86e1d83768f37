// The skinned face of the window (BitPanel): the project name, the take
// matrices, the transport row, and the pieces of the panels' pictures that
// every skinned control is handed as its background.
#include <QLabel>
#include <QMenu>

#include <memory>

#include <algorithm>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "controls/skin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

namespace tp {
namespace {

// The picture of a panel that the controls on it cut their backgrounds from,
// made once for each ratio a control asks for and shared by all of them.
class PanelPictures {
 public:
  PanelPictures(const TBitPanel& panel, QSize size) : panel_(panel), size_(size) {}

  // The piece under a child at `geometry`, at `ratio`.
  QImage Under(QRect geometry, qreal ratio) {
    if (picture_.isNull() || !qFuzzyCompare(picture_.devicePixelRatio(), ratio)) picture_ = panel_.Picture(size_, ratio);
    QImage piece = picture_.copy(DeviceRect(geometry, ratio));
    piece.setDevicePixelRatio(ratio);
    return piece;
  }

 private:
  const TBitPanel& panel_;
  QSize size_;
  QImage picture_;
};

// The background of `control`: the piece of its panel's picture under it,
// drawn for whatever ratio the control's screen has.
SkinBitmap Background(const std::shared_ptr<PanelPictures>& pictures, const QWidget* control) {
  const QRect geometry = control->geometry();
  return SkinBitmap::Drawn([pictures, geometry](qreal ratio) { return pictures->Under(geometry, ratio); });
}

}  // namespace

void TMainWin::BuildFace() {
  BitPanel = new TBitPanel(this);
  BitPanel->SetBitmap(SkinBitmap::Drawn(&Skin::MainPanel));
  BitPanel->SetLayout(blSingle);
  BitPanel->SetBevelOuter(bvNone);
  BitPanel->SetColor(QColor(0x1e, 0x21, 0x25));
  BitPanel->setGeometry(0, 0, PanelWidth, 434);

  Label3 = LabelAt(BitPanel, tr("PROJECT "), QPoint(20, 8), kLabelColour);

  ProjName = new QLabel(BitPanel);
  ProjName->setGeometry(84, 4, 76, 17);
  ProjName->setFrameShape(QFrame::Box);
  ProjName->setLineWidth(1);
  ProjName->setAutoFillBackground(true);
  QPalette white = ProjName->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  white.setColor(QPalette::Disabled, QPalette::Window, Qt::white);
  ProjName->setPalette(white);
  ProjName->setEnabled(false);
  // The name box is a Tab stop (F2 renames the song there): an amber frame
  // says when it has the focus.
  ProjName->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px solid #ffc44c; }"));
  // A longer translation of the caption pushes the box along, never under it.
  ProjName->move(std::max(ProjName->x(), Label3->geometry().right() + 1), ProjName->y());
  ProjName->installEventFilter(this);

  BuildMatrices();
  BuildTransportRow();

  for (QWidget* control : std::initializer_list<QWidget*>{TrackSel, TakeSel, MasterSel, MasTakeSel, ImpBtn, AudBtn,
                                                          Slider, ExpBtn})
    control->setEnabled(false);
  WireFace();
}

void TMainWin::BuildMatrices() {
  for (int i = 0; i < 10; ++i)
    ColumnLabels[i] = PlacedLabel(BitPanel, QString::number(i + 1), QRect(46 + 60 * i, 30, 60, 12), Qt::AlignHCenter,
                                  kDimLabelColour);

  TrackSel = new TBtnMtx(BitPanel);
  TrackSel->SetRows(16);
  TrackSel->SetCols(1);
  ApplyTrackCellSkin(*TrackSel);
  TrackSel->move(22, 43);

  TakeSel = new TBtnMtx(BitPanel);
  TakeSel->SetRows(16);
  TakeSel->SetCols(10);
  ApplyTakeCellSkin(*TakeSel);
  TakeSel->SetCharColor(Qt::white);
  TakeSel->SetPressCharColor(QColor(0xc0, 0xc0, 0xc0));  // silver
  TakeSel->move(46, 43);
  TakeSel->setContextMenuPolicy(Qt::CustomContextMenu);

  for (int row = 0; row < 16; ++row)
    RowLabels[row] = PlacedLabel(BitPanel, QString::number(row + 1), QRect(646, 43 + 20 * row, 20, 20),
                                 Qt::AlignCenter, kDimLabelColour);

  MasterSel = new TBPBtn(BitPanel);
  MasterSel->setGeometry(22, 367, 20, 20);
  ApplyButtonSkin(*MasterSel, ButtonSkin::MasterSel);
  MasterSel->SetCaption(QStringLiteral("M"));

  MasTakeSel = new TBtnMtx(BitPanel);
  MasTakeSel->SetRows(1);
  MasTakeSel->SetCols(10);
  ApplyTakeCellSkin(*MasTakeSel);
  MasTakeSel->SetCharColor(Qt::white);
  MasTakeSel->SetPressCharColor(QColor(0x80, 0x80, 0x80));  // gray
  MasTakeSel->move(46, 367);
  MasTakeSel->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TMainWin::BuildTransportRow() {
  ImpBtn = new TBPBtn(BitPanel);
  ImpBtn->setGeometry(22, 395, 56, 20);
  ApplyButtonSkin(*ImpBtn, ButtonSkin::ImpBtn);

  LMonoLabel = PlacedLabel(BitPanel, QString(), QRect(80, 395, 168, 14), Qt::AlignLeft | Qt::AlignVCenter,
                           kLabelColour);
  RLabel = PlacedLabel(BitPanel, QString(), QRect(80, 409, 168, 14), Qt::AlignLeft | Qt::AlignVCenter, kLabelColour);

  AudBtn = new TBPBtn(BitPanel);
  AudBtn->setGeometry(251, 396, 30, 16);
  ApplyButtonSkin(*AudBtn, ButtonSkin::AudBtn);

  Slider = new TSlider(BitPanel);
  Slider->setGeometry(284, 398, 300, 12);
  ApplySliderSkin(*Slider);
  Slider->SetPageSize(2646000);
  Slider->SetMidSize(441000);
  Slider->SetTickSize(44100);
  Slider->SetThumbWidth(12);
  Slider->SetThumbHeight(12);

  ExpBtn = new TBPBtn(BitPanel);
  ExpBtn->setGeometry(594, 395, 56, 20);
  ApplyButtonSkin(*ExpBtn, ButtonSkin::ExpBtn);
}

void TMainWin::WireFace() {
  connect(TakeSel, &TBtnMtx::OnClick, this, [this](TBtnMtx*, int row, int column) { TakeSelClick(row, column); });
  connect(TrackSel, &TBtnMtx::OnClick, this, [this](TBtnMtx*, int row, int) { TrackSelClick(row); });
  connect(MasTakeSel, &TBtnMtx::OnClick, this, [this](TBtnMtx*, int, int column) { MasTakeSelClick(column); });
  connect(MasterSel, &TBPBtn::OnClick, this, [this] { MasterSelClick(); });
  connect(TakeSel, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
    TakePopupPopup(at);
    dialogs_->Popup(*TakePopup, TakeSel->mapToGlobal(at));
  });
  connect(MasTakeSel, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
    MasPopupPopup(at);
    dialogs_->Popup(*MasPopup, MasTakeSel->mapToGlobal(at));
  });
}

void TMainWin::CaptureBackgrounds() {
  // One picture per panel and ratio; each control copies the piece it covers.
  const auto face = std::make_shared<PanelPictures>(*BitPanel, BitPanel->size());
  for (TSkinnedControl* control : std::initializer_list<TSkinnedControl*>{TakeSel, TrackSel, MasTakeSel, MasterSel,
                                                                          ImpBtn, AudBtn, ExpBtn, Slider})
    control->SetBackBmp(Background(face, control));

  const QRect mixerControls = MixerPanel->childrenRect();
  const auto mixer =
      std::make_shared<PanelPictures>(*MixerPanel, QSize(mixerControls.right() + 1, mixerControls.bottom() + 1));
  InitBtn->SetBackBmp(Background(mixer, InitBtn));
  for (int t = 0; t < 16; ++t)
    for (TSkinnedControl* control : std::initializer_list<TSkinnedControl*>{Volumes[t], Pans[t], MuteBtns[t], SoloBtns[t]})
      control->SetBackBmp(Background(mixer, control));

  const QRect timeControls = BitPanel1->childrenRect();
  const auto time = std::make_shared<PanelPictures>(*BitPanel1, QSize(timeControls.right() + 1, timeControls.bottom() + 1));
  ClipLight->SetBackBmp(Background(time, ClipLight));
}

}  // namespace tp
