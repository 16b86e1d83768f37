// The level meters of the "Time" page and the mix's clip light. The
// audition's mixing thread publishes every block's peaks into the
// transport's level exchange; a timer on this thread takes them about 30
// times a second and lets the meters rise at once and fall back slowly.
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <limits>

#include "app/mainwin_labels.h"
#include "app/tmainwin.h"
#include "controls/skinapply.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tlevelmeter.h"

namespace tp {
namespace {

// About 30 looks a second: smooth to the eye, and far below the rate at
// which the stream's blocks (8,192 frames, 186 ms) arrive, so no peak is
// shown late by more than a frame of the screen.
constexpr int MeterInterval = 33;  // milliseconds

constexpr double Silence = -std::numeric_limits<double>::infinity();

}  // namespace

void TMainWin::BuildMeters() {
  // The page is too narrow for a meter of useful length beside the time
  // and the track's name, so each meter runs under both, in the row's gap.
  for (int t = 0; t < TrackCount; ++t) {
    TrackMeters[t] = new TLevelMeter(1, BitPanel1);
    TrackMeters[t]->setGeometry(12, 37 + 20 * t, 138, 5);
  }
  MasterMeter = new TLevelMeter(2, BitPanel1);
  MasterMeter->setGeometry(12, 362, 64, 9);
  // "-18.3 LUFS" between the mix's meter and its clip light.
  MasterLoudness = PlacedLabel(BitPanel1, QString(), QRect(78, 359, 52, 14), Qt::AlignRight | Qt::AlignVCenter,
                               kTimeColour);
  QFont small = MasterLoudness->font();
  small.setPixelSize(10);
  MasterLoudness->setFont(small);
  ClipLight = new TBPBtn(BitPanel1);
  ClipLight->setGeometry(132, 361, 18, 10);
  ApplyButtonSkin(*ClipLight, ButtonSkin::ClipLight);
  MeterTimer = new QTimer(this);
  MeterTimer->setInterval(MeterInterval);
}

void TMainWin::WireMeters() {
  connect(MeterTimer, &QTimer::timeout, this, &TMainWin::RefreshMeters);
  connect(ClipLight, &TBPBtn::OnClick, this, [this] { ClipLightClick(); });
  const QString hint = tr("Clip|The mix saturated; click to put the light out");
  ClipLight->setStatusTip(hint);
  ClipLight->setToolTip(tr("Clip"));
  for (int t = 0; t < TrackCount; ++t)
    TrackMeters[t]->setStatusTip(tr("|Level of track %1 after its volume and pan").arg(t + 1));
  MasterMeter->setStatusTip(tr("|Level of the mix, left above right"));
  MasterLoudness->setStatusTip(tr("|Short-term loudness of the mix, the last 3 seconds"));
}

void TMainWin::StartMeters() {
  for (TLevelMeter* meter : TrackMeters) meter->Reset();
  MasterMeter->Reset();
  masterLoudness_.Reset();
  MasterLoudness->clear();
  ClipLight->SetDown(false);
  metersMoved_ = std::chrono::steady_clock::now();
  MeterTimer->start();
}

void TMainWin::RefreshMeters() {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - metersMoved_).count();
  metersMoved_ = now;
  const BlockLevels levels = transport_->Levels().Take();
  for (int t = 0; t < TrackCount; ++t) TrackMeters[t]->Feed({PeakDecibels(levels.strip[t]), Silence}, seconds);
  MasterMeter->Feed({PeakDecibels(levels.mix[0]), PeakDecibels(levels.mix[1])}, seconds);
  masterLoudness_.Feed(transport_->MixedFrames());
  MasterLoudness->setText(QString::fromStdString(ShortTermText(masterLoudness_.Lufs())));
  ClipLight->SetDown(transport_->Levels().ClipLit());
  // Once the audition is over the meters fall to rest; then the timer stops.
  const bool atRest = MasterMeter->AtRest() && std::all_of(TrackMeters.begin(), TrackMeters.end(),
                                                           [](const TLevelMeter* meter) { return meter->AtRest(); });
  if (!Playing && atRest) MeterTimer->stop();
}

void TMainWin::ClipLightClick() {
  transport_->Levels().ClearClip();
  ClipLight->SetDown(false);
}

}  // namespace tp
