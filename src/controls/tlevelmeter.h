// TLevelMeter: a horizontal peak meter of one channel (a track) or two (the
// mix, left above right), drawn in the skin's lamps on the scale from
// -60 dBFS at the left to 0 dBFS at the right, with a hold mark at the
// recent highest peak. It keeps no clock: its owner feeds it the peaks
// measured since the last feed and the time that passed.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>

#include "controls/meterballistics.h"

namespace tp {

class TLevelMeter : public QWidget {
 public:
  static constexpr int MaxChannels = 2;

  explicit TLevelMeter(int channels, QWidget* parent = nullptr);

  int Channels() const { return channels_; }
  // The highest peak of each channel since the last feed, in dBFS
  // (-infinity for silence), and the seconds since then. Repaints.
  void Feed(const std::array<double, MaxChannels>& peakDecibels, double seconds);
  // Every channel empty at once.
  void Reset();
  // Nothing lit and nothing left to fall.
  bool AtRest() const;
  const MeterBallistics& Channel(int channel) const { return ballistics_[size_t(channel)]; }
  // The level of the higher channel, in dBFS (the floor when at rest).
  double LoudestLevel() const;
  // The rows of the bars inside the frame, top to bottom.
  QRect BarRect(int channel) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int channels_;
  std::array<MeterBallistics, MaxChannels> ballistics_{};
  QImage dark_, lit_;  // the skin's bars, made for the current size and pixel ratio
  QSize barSize_;      // their size in logical pixels
};

}  // namespace tp
