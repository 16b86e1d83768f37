#include "dialogs/tgetwin.h"

#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QResizeEvent>

#include <algorithm>

#include "playback/waveinfo.h"

namespace tp {

namespace {

// The program's texts (messages.h) in the window's language, for the
// format lines the core puts together.
std::string InWindowLanguage(const char* text) { return QCoreApplication::translate("Messages", text).toStdString(); }

// AudBtn's glyph: a loudspeaker with two sound waves, in `colour`.
QPixmap speakerGlyph(const QColor& colour) {
  QPixmap glyph(16, 16);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  QPainterPath speaker;
  speaker.moveTo(1.5, 5.5);
  speaker.lineTo(4.5, 5.5);
  speaker.lineTo(8.5, 2.0);
  speaker.lineTo(8.5, 14.0);
  speaker.lineTo(4.5, 10.5);
  speaker.lineTo(1.5, 10.5);
  speaker.closeSubpath();
  painter.drawPath(speaker);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(colour, 1.3, Qt::SolidLine, Qt::RoundCap));
  painter.drawArc(QRectF(6.5, 5.0, 5.0, 6.0), -60 * 16, 120 * 16);
  painter.drawArc(QRectF(6.0, 2.5, 8.5, 11.0), -60 * 16, 120 * 16);
  return glyph;
}

constexpr int BitLabelLeft = 196;
// The form was drawn 416 pixels wide: its frame and outline end 15 pixels
// before its right edge, the loudspeaker button 52 pixels before it.
constexpr int FrameRightMargin = 15, AudBtnRightOffset = 52;

std::filesystem::path localPath(const QString& path) { return std::filesystem::path(QFile::encodeName(path).toStdString()); }

}  // namespace

TGetWin::TGetWin(QWidget* parent, std::unique_ptr<PreviewOutput> output, FileOutlineWorker::Hook outlineReading)
    : QWidget(parent), output_(output ? std::move(output) : MakePortAudioPreviewOutput()) {
  // The output's thread, or this thread inside the output's Reset: only
  // post the block; PreviewBlockDone runs later on this thread.
  preview_ = std::make_unique<WavePreview>(*output_, [this](PreviewBlock* block) {
    QMetaObject::invokeMethod(
        this,
        [this, block] {
          preview_->PreviewBlockDone(block);
          ShowPreviewPosition();
        },
        Qt::QueuedConnection);
  });
  StartOutlineWorker(std::move(outlineReading));

  QFont small = font();
  small.setPixelSize(12);
  setFont(small);
  resize(416, 96);

  bevel1_ = new QFrame(this);
  bevel1_->setFrameStyle(QFrame::Box | QFrame::Sunken);
  bevel1_->setGeometry(8, 4, 393, 41);

  // The labels size themselves to their text, from these corners.
  fsLabel_ = new QLabel(this);
  fsLabel_->move(16, 8);
  // The bare captions, padded to about the width of the lines a file gives.
  const WaveInfoTexts bare = BareWaveInfo(InWindowLanguage);
  SetCaption(fsLabel_, QString::fromStdString(bare.samplingRate) + QString(20, QLatin1Char(' ')));
  framesLabel_ = new QLabel(this);
  framesLabel_->move(16, 24);
  SetCaption(framesLabel_, QString::fromStdString(bare.samplingFrames) + QString(16, QLatin1Char(' ')));
  bitLabel_ = new QLabel(this);
  bitLabel_->move(BitLabelLeft, 8);
  SetCaption(bitLabel_, QString::fromStdString(bare.bitsPerWord) + QString(2, QLatin1Char(' ')));

  audBtn_ = new QToolButton(this);
  audBtn_->setGeometry(364, 12, 23, 22);
  audBtn_->setAutoRaise(true);
  QIcon glyph;
  glyph.addPixmap(speakerGlyph(palette().color(QPalette::Active, QPalette::ButtonText)), QIcon::Normal);
  glyph.addPixmap(speakerGlyph(palette().color(QPalette::Disabled, QPalette::ButtonText)), QIcon::Disabled);
  audBtn_->setIcon(glyph);
  audBtn_->setToolTip(tr("Hear the Sound"));
  audBtn_->installEventFilter(this);

  // Under the format lines, as wide as their frame.
  waveView_ = new TWaveView(this);
  waveView_->setGeometry(8, 50, 393, 40);
}

TGetWin::~TGetWin() {
  outlineWorker_.reset();
  StopPreview();
}

void TGetWin::SetCaption(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

void TGetWin::ShowWaveInfo() {
  if (previewFile_.isEmpty()) return;
  const WaveInfoTexts texts = DescribeWaveFile(localPath(previewFile_), InWindowLanguage);
  SetCaption(fsLabel_, QString::fromStdString(texts.samplingRate));
  SetCaption(framesLabel_, QString::fromStdString(texts.samplingFrames));
  SetCaption(bitLabel_, QString::fromStdString(texts.bitsPerWord));
  KeepBitLabelClear();
  RequestOutline();
}

void TGetWin::StartOutlineWorker(FileOutlineWorker::Hook outlineReading) {
  // The outline's thread: only post the result.
  outlineWorker_ = std::make_unique<FileOutlineWorker>(
      [this](uint64_t request, Status status, SoundOutline outline) {
        QMetaObject::invokeMethod(
            this,
            [this, request, status = std::move(status), outline = std::move(outline)]() mutable {
              ShowOutline(request, status, std::move(outline));
            },
            Qt::QueuedConnection);
      },
      std::move(outlineReading));
}

void TGetWin::RequestOutline() {
  // The last file's outline goes at once: it is not the file shown.
  waveView_->Clear();
  requestedColumns_ = waveView_->Columns();
  outlineRequest_ = outlineWorker_->Request(localPath(previewFile_), requestedColumns_);
}

void TGetWin::ShowOutline(uint64_t request, const Status& status, SoundOutline outline) {
  if (request != outlineRequest_) return;  // a file passed over since
  if (status.ok()) waveView_->SetOutline(std::move(outline));
  else waveView_->Clear();
}

void TGetWin::ShowPreviewPosition() {
  waveView_->SetPosition(preview_->DeviceOpen() ? int64_t(preview_->FramesPlayed()) : -1);
}

void TGetWin::KeepBitLabelClear() {
  // The form was drawn for a narrow 12-pixel font, in which a six-digit
  // rate still ends before BitLabel; a wider font moves BitLabel on rather
  // than letting the two overlap.
  const int clear = fsLabel_->geometry().right() + 1 + fsLabel_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 2;
  bitLabel_->move(std::max(BitLabelLeft, clear), bitLabel_->y());
}

void TGetWin::AudBtnMouseDown(Qt::MouseButton /*button*/) {
  preview_->Start(localPath(previewFile_));
  ShowPreviewPosition();
}

void TGetWin::AudBtnMouseUp(Qt::MouseButton /*button*/) { StopPreview(); }

void TGetWin::StopPreview() {
  preview_->StopPreview();
  if (waveView_) waveView_->SetPosition(-1);
}

bool TGetWin::eventFilter(QObject* watched, QEvent* event) {
  if (watched != audBtn_) return QWidget::eventFilter(watched, event);
  // QToolButton answers the left button only; the preview answers any.
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      audBtn_->setDown(true);
      AudBtnMouseDown(static_cast<QMouseEvent*>(event)->button());
      return true;
    case QEvent::MouseButtonRelease:
      audBtn_->setDown(false);
      AudBtnMouseUp(static_cast<QMouseEvent*>(event)->button());
      return true;
    default: return QWidget::eventFilter(watched, event);
  }
}

void TGetWin::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!waveView_) return;  // a resize before the controls exist
  const int stretched = std::max(0, width() - bevel1_->x() - FrameRightMargin);
  bevel1_->resize(stretched, bevel1_->height());
  waveView_->resize(stretched, waveView_->height());
  audBtn_->move(std::max(BitLabelLeft, width() - AudBtnRightOffset), audBtn_->y());
  // The outline has one column per pixel: a new width asks for it afresh
  // (a request supersedes the one still being read).
  if (waveView_->Columns() != requestedColumns_ && !previewFile_.isEmpty()) RequestOutline();
}

void TGetWin::hideEvent(QHideEvent* event) {
  StopPreview();
  QWidget::hideEvent(event);
}

}  // namespace tp
