#include "app/tmainwin.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "app/dialogs.h"
#include "app/texts.h"
#include "controls/skin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tslider.h"
#include "controls/tversion.h"
#include "controls/tvolume.h"
#include "folders/tnfwin.h"
#include "playback/portaudiodevice.h"
#include "project/namecodec.h"
#include "project/takeedit.h"

namespace tp {
namespace {

const QString kInitialTime = QStringLiteral(" -:--:--:-- ");

// Text colours on the dark console face.
const QColor kLabelColour(0xc9, 0xce, 0xd6);
const QColor kDimLabelColour(0x8a, 0x92, 0x9c);
const QColor kTimeColour(0xff, 0xc4, 0x4c);

QLabel* PlacedLabel(QWidget* parent, const QString& text, QRect area, Qt::Alignment alignment, QColor colour) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(area);
  label->setAlignment(alignment);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, colour.darker(160));
  label->setPalette(palette);
  return label;
}

// A label at a point, as wide as its text.
QLabel* LabelAt(QWidget* parent, const QString& text, QPoint at, QColor colour) {
  auto* label = PlacedLabel(parent, text, QRect(at, QSize(10, 10)), Qt::AlignLeft | Qt::AlignTop, colour);
  label->adjustSize();
  return label;
}

// The picture of a panel as it paints its bitmap, at least `size` large:
// the controls' backgrounds are cut from it.
QImage PanelPicture(const TBitPanel& panel, QSize size) {
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(panel.Color().isValid() ? panel.Color() : QColor(Qt::black));
  QPainter painter(&picture);
  for (QPoint at : BitmapPlacements(panel.Layout(), QRect(QPoint(0, 0), size), panel.Bitmap().size()))
    painter.drawImage(at, panel.Bitmap());
  return picture;
}

QString ToText(const std::string& nameBytes) { return QString::fromStdString(NameBytesToUtf8(nameBytes)); }

// The long part of a hint ("short|long"), or the whole hint without a bar.
QString LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}
QString ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

}  // namespace

QFont TMainWin::WindowFont() {
  QFont font;
  // IPAGothic has the half-width katakana the recorder writes in take names;
  // the others stand in where it is not installed.
  font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  return font;
}

TMainWin::TMainWin(Services services) : dialogs_(std::move(services.dialogs)) {
  if (!dialogs_) dialogs_ = std::make_unique<StandardDialogs>();
  if (!services.places) services.places = MachinePlaces;
  if (!services.sound) services.sound = MakePortAudioDevice();

  // 1. The window and its controls.
  setFont(WindowFont());
  resize(ClientWidth, ClientHeight);
  setMinimumSize(MinClientWidth, MinClientHeight);
  BuildFace();
  PageControl = new QTabWidget(this);
  // The three tabs share 166 pixels; the style's roomy tabs would hide "Mixer".
  PageControl->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 7px; }"));
  PageControl->tabBar()->setExpanding(false);
  FolderSheet = new QWidget;
  PageControl->addTab(FolderSheet, QStringLiteral("Folders"));
  DirTree = new TDirTreeView(nullptr, services.places);
  BuildFolderSheet();
  BuildTimeSheet();
  BuildMixerSheet();
  BuildStatusBar();
  BuildPopups();
  SetHints();

  // 2. The caption from the version information.
  Version = new TVersion(this);
  Version->Loaded();
  BaseCaption = Version->Description() + QStringLiteral(" Ver.") + Version->ProductVersion();
  setWindowTitle(BaseCaption);

  // 3. The track keys are numbered and always hold content.
  TrackSel->SetUpdating(true);
  for (int row = 0; row < TrackCount; ++row) {
    TrackSel->SetCaptions(row, 0, QString::number(row + 1));
    TrackSel->SetAssigned(row, 0, true);
  }
  TrackSel->SetUpdating(false);

  // 4. Every skinned control gets the piece of its panel it covers.
  CaptureBackgrounds();

  // 6. The run state (5, the per-track tables, were filled while building).
  Playing = false;
  Conversion = 0;
  model_.ImportTargetSet = false;
  model_.TakesSelected = false;

  // 7. The audition's stream; a machine without sound output stays silent.
  transport_ = std::make_unique<Transport>(static_cast<TransportEvents&>(*this), std::move(services.sound));
  WireAudition();
  WireExport();
  WireImport();

  connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
          &TMainWin::AppEventsIdle);
  // Key presses reach the window before the focused control.
  qApp->installEventFilter(this);

  DirTree->Loaded();
  CentreOnScreen();
}

TMainWin::~TMainWin() {
  qApp->removeEventFilter(this);
  // The stream's thread calls back into this window: it goes first.
  transport_.reset();
}

void TMainWin::BuildFace() {
  BitPanel = new TBitPanel(this);
  BitPanel->SetBitmap(Skin::MainPanel());
  BitPanel->SetLayout(blSingle);
  BitPanel->SetBevelOuter(bvNone);
  BitPanel->SetColor(QColor(0x1e, 0x21, 0x25));
  BitPanel->setGeometry(0, 0, PanelWidth, 434);

  Label3 = LabelAt(BitPanel, QStringLiteral("PROJECT "), QPoint(20, 8), kLabelColour);

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
  ProjName->installEventFilter(this);

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

  for (QWidget* control : std::initializer_list<QWidget*>{TrackSel, TakeSel, MasterSel, MasTakeSel, ImpBtn, AudBtn,
                                                          Slider, ExpBtn})
    control->setEnabled(false);

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

void TMainWin::BuildFolderSheet() {
  auto* strip = new QWidget;
  strip->setFixedHeight(33);
  SortBtn = new QPushButton(QStringLiteral("&Sort"), strip);
  SortBtn->setGeometry(2, 6, 40, 21);
  NewFldrBtn = new QPushButton(QStringLiteral("&New"), strip);
  NewFldrBtn->setGeometry(46, 6, 40, 21);
  NewFldrBtn->setEnabled(false);
  RefBtn = new QPushButton(QStringLiteral("Re&fresh"), strip);
  RefBtn->setGeometry(92, 6, 50, 21);

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

void TMainWin::BuildTimeSheet() {
  BitPanel1 = new TBitPanel;
  BitPanel1->SetBitmap(Skin::TimePanel());
  BitPanel1->SetLayout(blMulti);
  BitPanel1->SetBevelOuter(bvNone);
  PageControl->addTab(BitPanel1, QStringLiteral("Time"));

  for (int t = 1; t <= 16; ++t) {
    PlacedLabel(BitPanel1, QStringLiteral("TRACK %1").arg(t), QRect(90, 24 + 20 * (t - 1), 60, 12),
                Qt::AlignLeft | Qt::AlignVCenter, kDimLabelColour);
    Times[t - 1] = PlacedLabel(BitPanel1, kInitialTime, QRect(12, 24 + 20 * (t - 1), 72, 12),
                               Qt::AlignLeft | Qt::AlignVCenter, kTimeColour);
  }
  PlacedLabel(BitPanel1, QStringLiteral("MASTER"), QRect(90, 348, 60, 12), Qt::AlignLeft | Qt::AlignVCenter,
              kDimLabelColour);
  PlacedLabel(BitPanel1, QStringLiteral("PLAY"), QRect(90, 378, 60, 12), Qt::AlignLeft | Qt::AlignVCenter,
              kDimLabelColour);
  TimeM = PlacedLabel(BitPanel1, kInitialTime, QRect(12, 348, 72, 12), Qt::AlignLeft | Qt::AlignVCenter, kTimeColour);
  PlayTime =
      PlacedLabel(BitPanel1, kInitialTime, QRect(12, 378, 72, 12), Qt::AlignLeft | Qt::AlignVCenter, kTimeColour);
}

void TMainWin::BuildMixerSheet() {
  MixerPanel = new TBitPanel;
  MixerPanel->SetBitmap(Skin::MixerPanel());
  MixerPanel->SetLayout(blMulti);
  MixerPanel->SetBevelOuter(bvNone);
  PageControl->addTab(MixerPanel, QStringLiteral("Mixer"));

  FaderLabel = LabelAt(MixerPanel, QStringLiteral("FADER"), QPoint(8, 4), kLabelColour);
  PanpotLabel = LabelAt(MixerPanel, QStringLiteral("PANPOT"), QPoint(64, 4), kLabelColour);
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

void TMainWin::BuildPopups() {
  TakePopup = new QMenu(this);
  ChangeNamePopup = TakePopup->addAction(QStringLiteral("Change the &Name..."));
  DelTakePopup = TakePopup->addAction(QStringLiteral("Delete"));
  MasPopup = new QMenu(this);
  MasName = MasPopup->addAction(QStringLiteral("Change the &Name..."));
  MasDel = MasPopup->addAction(QStringLiteral("Delete"));
  // A menu is a window of its own and does not inherit the window's font.
  TakePopup->setFont(font());
  MasPopup->setFont(font());
  connect(ChangeNamePopup, &QAction::triggered, this, [this] { ChangeNamePopupClick(); });
  connect(DelTakePopup, &QAction::triggered, this, [this] { DelTakePopupClick(); });
  connect(MasName, &QAction::triggered, this, [this] { MasNameClick(); });
  connect(MasDel, &QAction::triggered, this, [this] { MasDelClick(); });
}

void TMainWin::SetHints() {
  struct Hint {
    QWidget* control;
    const char* hint;
    bool tooltip;
  };
  const Hint hints[] = {
      {TakeSel, "TakeSelector", true},
      {TrackSel, "Tracks|Select Tracks for Import", true},
      {MasTakeSel, "MasterTakeSelector", true},
      {MasterSel, "Master|Select Master track", true},
      {AudBtn, "Audition|Hear Takes", true},
      {ImpBtn, "Import|Import Take(s) from WAV/AIFF", true},
      {ExpBtn, "Export|Export Take(s) to WAV/AIFF", true},
      {InitBtn, "Init|Initialize mixer settings", true},
      {ProjName, "|Double-click to Edit", false},
      {SortBtn, "Sort Tree by Alphabetical", false},
      {NewFldrBtn, "Make a new folder", false},
      {RefBtn, "Refresh folder information", false},
  };
  // The whole hint travels as the status tip; AppEventsHint takes it apart.
  for (const Hint& entry : hints) {
    const QString hint = QString::fromLatin1(entry.hint);
    entry.control->setStatusTip(hint);
    if (entry.tooltip) entry.control->setToolTip(ShortHint(hint));
  }
}

void TMainWin::CaptureBackgrounds() {
  // One work picture per panel; each control copies the piece it is given.
  const QImage face = PanelPicture(*BitPanel, BitPanel->size());
  const auto cut = [](const QImage& picture, QWidget* control) {
    return picture.copy(control->geometry()).convertToFormat(QImage::Format_RGB888);
  };
  for (TBtnMtx* matrix : {TakeSel, TrackSel, MasTakeSel}) matrix->SetBackBmp(cut(face, matrix));
  for (TBPBtn* button : {MasterSel, ImpBtn, AudBtn, ExpBtn}) button->SetBackBmp(cut(face, button));
  Slider->SetBackBmp(cut(face, Slider));

  const QRect mixerControls = MixerPanel->childrenRect();
  const QImage mixer = PanelPicture(*MixerPanel, QSize(mixerControls.right() + 1, mixerControls.bottom() + 1));
  InitBtn->SetBackBmp(cut(mixer, InitBtn));
  for (int t = 0; t < 16; ++t) {
    Volumes[t]->SetBackBmp(cut(mixer, Volumes[t]));
    Pans[t]->SetBackBmp(cut(mixer, Pans[t]));
  }
}

void TMainWin::CentreOnScreen() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
  }
}

void TMainWin::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int faceHeight = height() - StatusBarHeight;
  BitPanel->setGeometry(0, 0, PanelWidth, faceHeight);
  PageControl->setGeometry(PanelWidth, 0, std::max(0, width() - PanelWidth), faceHeight);
  StatusBar->setGeometry(0, faceHeight, width(), StatusBarHeight);
}

// ---------------------------------------------------------------------------
// Idle, hints and keys

QString TMainWin::ProjectFolder() const {
  return folderReported_ ? QString::fromStdString(model_.ProjectFolder) : QString();
}

void TMainWin::AppEventsIdle() {
  const ProjectModel& m = model_;
  const bool idle = !Playing && Conversion == 0;
  TakeSel->setEnabled(m.ProjectOpen && !m.MasterMode && idle);
  MasTakeSel->setEnabled(m.ProjectOpen && m.MasterMode && idle);
  TrackSel->setEnabled(m.ProjectOpen && !m.MasterMode && idle);
  MasterSel->setEnabled(m.ProjectOpen && idle);
  ImpBtn->setEnabled(m.ProjectOpen && m.ImportTargetSet && !Playing && Conversion != 2);
  ExpBtn->setEnabled(m.TakesScanned && m.TakesSelected && !Playing && Conversion != 1);
  AudBtn->setEnabled(m.TakesSelected && Conversion == 0);
  Slider->setEnabled(m.TakesSelected && Conversion == 0);
  ProjName->setEnabled(m.ProjectOpen && idle);
  FolderSheet->setEnabled(idle);
  MixerPanel->setEnabled(Conversion == 0);
  NewFldrBtn->setEnabled(!ProjectFolder().isEmpty());
}

void TMainWin::AppEventsHint(const QString& hint) { StatusPanels[0]->setText(LongHint(hint)); }

bool TMainWin::FormKeyPress(QChar key) {
  if (key != QLatin1Char(' ')) return false;
  // The condition that enables AudBtn: the blank starts or stops the audition.
  if (model_.TakesSelected && Conversion == 0) {
    AudBtn->SetDown(!AudBtn->Down());
    AudBtnClick();
  }
  return true;
}

bool TMainWin::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    AppEventsHint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QWidget::event(event);
}

bool TMainWin::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() == 1 && FormKeyPress(text[0])) return true;
  }
  if (watched == ProjName && event->type() == QEvent::MouseButtonDblClick) {
    ProjNameDblClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// The project view

void TMainWin::DirTreeChange(const QString& path) {
  folderReported_ = true;
  model_.DirTreeChange(QFile::encodeName(path).toStdString());
  setWindowTitle(BaseCaption + QStringLiteral(" - ") + path);
  ShowProjectName();
  MirrorMatrices();
  ShowSelection();
  StatusPanels[1]->clear();
}

void TMainWin::ShowProjectName() {
  ProjName->setText(model_.ProjectOpen ? QStringLiteral(" ") + ToText(model_.ProjectName) : QString());
}

void TMainWin::MirrorMatrices() {
  TakeSel->SetUpdating(true);
  for (int track = 0; track < TrackCount; ++track)
    for (int take = 0; take < TakesPerTrack; ++take) {
      const MatrixCell& cell = model_.TakeSel[track][take];
      TakeSel->SetCaptions(track, take, ToText(cell.caption));
      TakeSel->SetAssigned(track, take, cell.assigned);
      TakeSel->SetDown(track, take, cell.down);
    }
  TakeSel->SetUpdating(false);

  MasTakeSel->SetUpdating(true);
  for (int take = 0; take < MasterTakeCount; ++take) {
    const MatrixCell& cell = model_.MasTakeSel[take];
    MasTakeSel->SetCaptions(0, take, ToText(cell.caption));
    MasTakeSel->SetAssigned(0, take, cell.assigned);
    MasTakeSel->SetDown(0, take, cell.down);
  }
  MasTakeSel->SetUpdating(false);

  TrackSel->SetUpdating(true);
  for (int track = 0; track < TrackCount; ++track) TrackSel->SetDown(track, 0, model_.TrackSelDown[track]);
  TrackSel->SetUpdating(false);

  MasterSel->SetDown(model_.MasterMode);
}

void TMainWin::ShowSelection() {
  const SelectionView& view = model_.View;
  LMonoLabel->setText(QString::fromStdString(view.lMonoLabel));
  RLabel->setText(QString::fromStdString(view.rLabel));
  for (int track = 0; track < TrackCount; ++track) Times[track]->setText(QString::fromStdString(view.trackTimes[track]));
  TimeM->setText(QString::fromStdString(view.masterTime));
  PlayTime->setText(QString::fromStdString(view.playTime));
  Slider->SetMax(int(std::min<uint32_t>(view.sliderMax, uint32_t(std::numeric_limits<int>::max()))));
  Slider->SetPosition(0);
}

void TMainWin::UpdateSelection() {
  model_.UpdateSelection();
  ShowSelection();
}

void TMainWin::TakeSelClick(int row, int column) {
  model_.TakeSelClick(row, column);
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::TrackSelClick(int row) {
  model_.TrackSelClick(row);
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::MasterSelClick() {
  model_.MasterSelClick(MasterSel->Down());
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::MasTakeSelClick(int column) {
  model_.MasTakeSelClick(column);
  MirrorMatrices();
  ShowSelection();
}

// ---------------------------------------------------------------------------
// Renaming and deleting

std::optional<std::string> TMainWin::AskName(const QString& prompt, const std::string& current) {
  const std::optional<QString> entry = dialogs_->InputBox(this, QStringLiteral("Naming"), prompt, ToText(current));
  if (!entry) return std::nullopt;
  // Cut to the 8 characters a name holds before encoding, as typed.
  const std::optional<std::string> bytes = Utf8ToNameBytes(entry->left(8).toStdString());
  if (!bytes) dialogs_->Message(this, QString::fromLatin1(texts::NameCharactersRefused));
  return bytes;
}

void TMainWin::Report(const EditResult& result) {
  if (!result.ok()) dialogs_->Message(this, QString::fromLatin1(result.message));
}

void TMainWin::ProjNameDblClick() {
  const auto name = AskName(QStringLiteral("Enter new name of the Project"), model_.ProjectName);
  if (!name) return;
  const EditResult result = RenameProject(model_, *name);
  ShowProjectName();  // shown even when the file could not be updated
  Report(result);
}

void TMainWin::TakePopupPopup(QPoint takeSelPosition) {
  PopupRow = TakeSel->RowAt(takeSelPosition.y());
  PopupCol = TakeSel->ColAt(takeSelPosition.x());
  const bool assigned = TakeSel->GetAssigned(PopupRow, PopupCol);
  ChangeNamePopup->setEnabled(assigned);
  DelTakePopup->setEnabled(assigned);
}

void TMainWin::MasPopupPopup(QPoint masTakeSelPosition) {
  PopupCol = MasTakeSel->ColAt(masTakeSelPosition.x());
  const bool assigned = MasTakeSel->GetAssigned(0, PopupCol);
  MasName->setEnabled(assigned);
  MasDel->setEnabled(assigned);
}

void TMainWin::ChangeNamePopupClick() {
  if (PopupRow < 0 || PopupRow >= TrackCount || PopupCol < 0 || PopupCol >= TakesPerTrack) return;
  const auto name = AskName(QStringLiteral("enter new name for Track%1-%2").arg(PopupRow + 1).arg(PopupCol + 1),
                            model_.TakeSel[PopupRow][PopupCol].caption);
  if (!name) return;
  Report(RenameTake(model_, PopupRow, PopupCol, *name));
  MirrorMatrices();
}

void TMainWin::MasNameClick() {
  if (PopupCol < 0 || PopupCol >= MasterTakeCount) return;
  const auto name =
      AskName(QStringLiteral("enter new name for Master %1").arg(PopupCol + 1), model_.MasTakeSel[PopupCol].caption);
  if (!name) return;
  Report(RenameMasterTake(model_, PopupCol, *name));
  MirrorMatrices();
}

void TMainWin::DelTakePopupClick() {
  if (PopupRow < 0 || PopupRow >= TrackCount || PopupCol < 0 || PopupCol >= TakesPerTrack) return;
  const std::string question = DeleteTakeQuestion(PopupRow, PopupCol, model_.TakeSel[PopupRow][PopupCol].caption);
  if (!dialogs_->Confirm(this, QStringLiteral("Take Deleting"), ToText(question))) return;
  Report(DeleteTake(model_, PopupRow, PopupCol));
  MirrorMatrices();
  ShowSelection();
}

void TMainWin::MasDelClick() {
  if (PopupCol < 0 || PopupCol >= MasterTakeCount) return;
  const std::string question = DeleteMasterQuestion(PopupCol, model_.MasTakeSel[PopupCol].caption);
  if (!dialogs_->Confirm(this, QStringLiteral("Take Deleting"), ToText(question))) return;
  Report(DeleteMasterTake(model_, PopupCol));
  MirrorMatrices();
  ShowSelection();
}

// ---------------------------------------------------------------------------
// Folder buttons

void TMainWin::SortBtnClick() { DirTree->SortAll(); }

void TMainWin::RefBtnClick() { DirTree->ReBuild(); }

void TMainWin::NewFldrBtnClick() {
  if (!nfWin_ || dialogs_->ShowModal(*nfWin_) != TNfWin::ResultOk) return;
  const QString path = NewFolderPath(DirTree->GetDirectory(), nfWin_->FolderName());
  QDir().mkdir(path);  // one level; failing is not reported, the rebuild shows what is there
  DirTree->ReBuild();
  DirTree->SetDirectory(path);
}

}  // namespace tp
