#include "controls/tlevelmeter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "controls/accessiblenotify.h"
#include "controls/skin.h"

namespace tp {

TLevelMeter::TLevelMeter(int channels, QWidget* parent)
    : QWidget(parent), channels_(std::clamp(channels, 1, MaxChannels)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(60, 5);
}

void TLevelMeter::Feed(const std::array<double, MaxChannels>& peakDecibels, double seconds) {
  const bool wasAtRest = AtRest();
  const long shownBefore = std::lround(LoudestLevel());
  for (int channel = 0; channel < channels_; ++channel)
    ballistics_[size_t(channel)].Update(peakDecibels[size_t(channel)], seconds);
  // A silent meter that stays silent costs no painting.
  if (!(wasAtRest && AtRest())) update();
  // A screen reader hears whole decibels: 30 notices a second of a falling
  // meter would drown everything else it has to say.
  if (std::lround(LoudestLevel()) != shownBefore) NotifyValueChanged(*this, LoudestLevel());
}

void TLevelMeter::Reset() {
  const bool wasAtRest = AtRest();
  for (MeterBallistics& channel : ballistics_) channel.Reset();
  update();
  if (!wasAtRest) NotifyValueChanged(*this, LoudestLevel());
}

double TLevelMeter::LoudestLevel() const {
  double loudest = MeterFloorDecibels;
  for (int channel = 0; channel < channels_; ++channel)
    loudest = std::max(loudest, ballistics_[size_t(channel)].Level());
  return loudest;
}

bool TLevelMeter::AtRest() const {
  return std::all_of(ballistics_.begin(), ballistics_.begin() + channels_,
                     [](const MeterBallistics& channel) { return channel.AtRest(); });
}

QRect TLevelMeter::BarRect(int channel) const {
  // A one-pixel frame, and a one-pixel gap between two bars.
  const int inner = height() - 2 - (channels_ - 1);
  const int rowHeight = std::max(1, inner / channels_);
  return QRect(1, 1 + channel * (rowHeight + 1), std::max(0, width() - 2), rowHeight);
}

void TLevelMeter::paintEvent(QPaintEvent*) {
  // The skin's bars are made once for each size and pixel ratio the meter
  // is given.
  const QSize barSize = BarRect(0).size();
  const qreal ratio = devicePixelRatioF();
  if ((barSize_ != barSize || !qFuzzyCompare(dark_.devicePixelRatio(), ratio)) && !barSize.isEmpty()) {
    barSize_ = barSize;
    dark_ = Skin::MeterBar(barSize, false, ratio);
    lit_ = Skin::MeterBar(barSize, true, ratio);
  }
  QPainter painter(this);
  // Recessed into the panel: shadow above and to the left, light below.
  painter.fillRect(rect(), QColor(0x08, 0x09, 0x0a));
  painter.fillRect(0, height() - 1, width(), 1, QColor(0x45, 0x4b, 0x53));
  if (barSize.isEmpty()) return;
  for (int channel = 0; channel < channels_; ++channel) {
    const QRect bar = BarRect(channel);
    const MeterBallistics& meter = ballistics_[size_t(channel)];
    painter.drawImage(bar.topLeft(), dark_);
    const int litWidth = int(std::lround(MeterFraction(meter.Level()) * bar.width()));
    // The lit bar's source is in its own device pixels.
    if (meter.Level() > MeterFloorDecibels && litWidth > 0)
      painter.drawImage(QRectF(bar.left(), bar.top(), litWidth, bar.height()), lit_,
                        QRectF(0, 0, litWidth * ratio, bar.height() * ratio));
    if (meter.Hold() > MeterFloorDecibels) {
      const int x = std::clamp(int(std::lround(MeterFraction(meter.Hold()) * bar.width())) - 2, 0, bar.width() - 2);
      painter.fillRect(bar.left() + x, bar.top(), 2, bar.height(), Skin::MeterHoldColour(meter.Hold()));
    }
  }
}

}  // namespace tp
