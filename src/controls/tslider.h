// TSlider: a bitmap-skinned horizontal slider, a track picture with a thumb
// that travels from the left end (Position 0) to the right end (Max). The
// main window's one slider holds the audition position in frames, so
// Positions reach hundreds of millions and the pixel arithmetic is 64-bit.
#pragma once

#include <QImage>

#include <cstdint>

#include "controls/skinbitmap.h"
#include "controls/tpointercontrol.h"

namespace tp {

class TSlider : public TPointerControl {
  Q_OBJECT

 public:
  explicit TSlider(QWidget* parent = nullptr);

  // Limited to 0..Max; fires OnChanging (also when unchanged) and repaints.
  int Position() const { return position_; }
  void SetPosition(int value);
  // As a completed user action does: sets Position, then fires OnChanged
  // (a screen reader setting the value comes here).
  void ChangeByUser(int value);
  // At least 1; pulls Position down when it would lie above Max, silently.
  int Max() const { return max_; }
  void SetMax(int value);
  int PageSize() const { return pageSize_; }  // Page Up / Page Down, a press beside the thumb
  void SetPageSize(int value) { pageSize_ = value; }
  int MidSize() const { return midSize_; }  // Up / Down arrows
  void SetMidSize(int value) { midSize_ = value; }
  int TickSize() const { return tickSize_; }  // Left / Right arrows
  void SetTickSize(int value) { tickSize_ = value; }
  // The thumb travels over the width minus ThumbWidth; ThumbHeight is the
  // height of its hit area from the top edge.
  int ThumbWidth() const { return thumbWidth_; }
  void SetThumbWidth(int value);
  int ThumbHeight() const { return thumbHeight_; }
  void SetThumbHeight(int value);

  // Pixels from the left edge to the thumb: Position * travel / Max.
  int ThumbOffset() const;

  // The thumb picture of each look (ThumbNorm ... ThumbDis) and the track
  // under it (BaseBmp), at 100 %; copied as Format_ARGB32.
  const QImage& ThumbBmp(KnobLook look) const { return thumbs_[look].Image(); }
  void SetThumbBmp(KnobLook look, const SkinBitmap& bitmap) { Assign(thumbs_, look, bitmap); }
  const QImage& BaseBmp() const { return baseBmp_.Image(); }
  void SetBaseBmp(const SkinBitmap& bitmap) { Assign(baseBmp_, bitmap); }

 signals:
  // Every change of Position, from code or from the user (twice per drag move).
  void OnChanging(TSlider* vol, int pos);
  // A user action is complete: a release after a drag, a press beside the
  // thumb, a key.
  void OnChanged(TSlider* vol, int pos);

 protected:
  void Paint() override;
  void MouseDown(Qt::MouseButton button, int x, int y) override;
  void MouseMove(int x, int y, QPoint globalPointer) override;
  void MouseUp(int x, int y) override;
  // Returns whether the key was handled; `key` is 0 afterwards if so.
  bool KeyDown(int& key);

  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SetPositionFrom(int64_t value);
  void FollowDrag(int x, int y);
  const QImage& ThumbPicture() const;

  int position_ = 0;
  int max_ = 100;
  int pageSize_ = 10;
  int midSize_ = 5;
  int tickSize_ = 1;
  int thumbWidth_ = 30;
  int thumbHeight_ = 20;
  StateBitmaps<KnobLook> thumbs_;
  SkinBitmap baseBmp_;
  bool dragging_ = false;
  int dragStartX_ = 0;
  int dragStartPosition_ = 0;
};

}  // namespace tp
