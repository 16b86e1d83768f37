// TBPBtn: a push button drawn entirely from bitmaps, with a caption and a
// latched Down state that every click toggles. What Down means, and when it
// is set back, is the owner's business.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>

#include "controls/dimmed.h"
#include "controls/skinbitmap.h"
#include "controls/tpointercontrol.h"

namespace tp {

class TBPBtn : public TPointerControl {
  Q_OBJECT

 public:
  explicit TBPBtn(QWidget* parent = nullptr);

  QColor CharColor() const { return charColor_; }
  void SetCharColor(QColor color);
  // The caption of a pressed button is drawn in this colour, otherwise in CharColor.
  QColor PressCharColor() const { return pressCharColor_; }
  void SetPressCharColor(QColor color);

  // The state bitmap of each look (BtnBmp ... PressBtnBmp; copied as
  // Format_ARGB32, each the button's size), at 100 %.
  const QImage& StateBmp(ButtonLook look) const { return looks_[look].Image(); }
  void SetStateBmp(ButtonLook look, const SkinBitmap& bitmap) { Assign(looks_, look, bitmap); }

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // Owners set the button back with this, e.g. when an export has finished.
  bool Down() const { return down_; }
  void SetDown(bool value);
  // What a click does: Down flips, then OnClick fires (Enter, and a screen
  // reader's press, come here too).
  void Click();

  // When set, paints the background into `background` (the button's size)
  // instead of BackBmp.
  std::function<void(TBPBtn* sender, QImage& background)> OnGetParentBG;

 signals:
  void OnEnter(TBPBtn* sender);
  void OnLeave(TBPBtn* sender);
  // Fired after Down was toggled.
  void OnClick(TBPBtn* sender);

 protected:
  void Paint() override;
  // A press anywhere on the button is the same press.
  void MouseDown(Qt::MouseButton button, int, int) override;
  void MouseMove(int x, int y, QPoint globalPointer) override;
  void MouseUp(int x, int y) override;
  void CMMouseEnter() override;
  void CMMouseLeave() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const QImage& StateBitmap() const;
  QImage Background();

  QColor charColor_{Qt::black};
  QColor pressCharColor_{Qt::white};
  StateBitmaps<ButtonLook> looks_;
  QString caption_;
  bool down_ = false;
  bool pressing_ = false;
  bool pressed_ = false;         // pressing with the pointer inside
  DimmedBitmaps dimmed_;         // the disabled look
};

}  // namespace tp
