// TWaveView: the outline of the file under selection in the preview form,
// one lane per channel, with the preview's position drawn over it while it
// plays. It only draws what it is given; the form reads the file elsewhere.
#pragma once

#include <QString>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "waveform/outline.h"

class QPainter;

namespace tp {

class TWaveView : public QWidget {
  Q_OBJECT

 public:
  explicit TWaveView(QWidget* parent = nullptr);

  // Columns the outline should have: one per pixel inside the frame.
  int Columns() const { return std::max(1, width() - 2); }
  void SetOutline(SoundOutline outline);
  // Nothing to draw (no file, or not a sound file); `note` says why, if anything.
  void Clear(const QString& note = QString());
  const SoundOutline& Outline() const { return outline_; }
  QString Note() const { return note_; }
  // The frame the preview has reached, or -1 when it is not playing.
  void SetPosition(int64_t frame);
  int64_t Position() const { return position_; }
  // The x of the position line for `frame`, in this widget's pixels.
  int PositionX(int64_t frame) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintLane(QPainter& painter, const ChannelOutline& lane, QRect area) const;

  SoundOutline outline_;
  QString note_;
  int64_t position_ = -1;
};

}  // namespace tp
