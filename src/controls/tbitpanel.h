// TBitPanel: a container that paints a bitmap as its background, once at the
// top-left corner, tiled, or centred, and otherwise looks like an ordinary
// bevelled panel. The main window's face, its time page and its mixer page
// are such panels; the skinned controls sit on them.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "controls/skinbitmap.h"

class QPainter;

namespace tp {

enum TbpLayout { blSingle, blMulti, blCenter };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Where the bitmap's top-left corner lands, once per copy, for `layout`.
// blSingle and blMulti start at the client's top-left corner, so pixel (x, y)
// of the bitmap is client point (x, y): owners cut their children's
// backgrounds from the bitmap on that promise.
std::vector<QPoint> BitmapPlacements(TbpLayout layout, QRect client, QSize bitmap);

class TBitPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TBitPanel(QWidget* parent = nullptr);

  // Copied as given (no format change); an empty bitmap paints an ordinary
  // panel. A drawn bitmap is painted at the ratio of the panel's screen.
  const QImage& Bitmap() const { return bitmap_.Image(); }
  void SetBitmap(const SkinBitmap& bitmap);
  // What the panel paints under its children over `size` (logical pixels,
  // from its top-left corner) at `ratio`: the colour, and the bitmap as the
  // layout places it. Children's backgrounds are cut from it.
  QImage Picture(QSize size, qreal ratio) const;
  TbpLayout Layout() const { return layout_; }
  void SetLayout(TbpLayout layout);

  // The ordinary panel's look: fill colour, frames and caption.
  QColor Color() const { return color_; }
  void SetColor(QColor color);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut cut);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut cut);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int width);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int width);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);

  // When set, replaces the panel's own background fill.
  std::function<void(TBitPanel* sender, QPainter& painter)> OnPaint;

 protected:
  void Paint();
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawFrames(QPainter& painter) const;

  SkinBitmap bitmap_;
  TbpLayout layout_ = blSingle;
  QColor color_;
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  QString caption_;
};

}  // namespace tp
