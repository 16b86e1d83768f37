// Whether the pointer is over a skinned control: the hover rule that the
// bitmap button, the button matrix, the slider and the knob share.
#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

namespace tp {

// True when the topmost widget at the global position `pointer` is `widget`
// itself. Disabled widgets count, as they do for the hover rules: a control
// that covers another keeps the pointer even while it is disabled.
bool PointerIsOver(const QWidget* widget, QPoint pointer);

// The hover flag of one control (MouseInControl), kept from the pointer's
// enter and leave notices and from UpdateTracking. The controls differ only
// in what they do once the flag has flipped (repaint, fire OnEnter or
// OnLeave, forget the pointed cell): that is `flipped`, called with the new
// value. While the control is disabled the flag stays as it is.
//
// It watches the control's enter, leave and enabled-change events itself,
// so a control needs no handlers of its own for them.
class PointerTracking : public QObject {
 public:
  PointerTracking(QWidget& control, std::function<void(bool inside)> flipped);

  bool Inside() const { return inside_; }
  // The pointer-entered and pointer-left notices (CMMouseEnter, CMMouseLeave).
  void Enter() { Set(true); }
  void Leave() { Set(false); }
  // UpdateTracking: makes the flag true to the control under the pointer
  // where it is now. The flag is first preset to the opposite of the
  // answer, so exactly one notice takes effect and the control is repainted
  // once.
  void Update();
  // A pointer move without a button held, to `globalPointer`: a control
  // whose enter notice went elsewhere (a popup or dialog was over it)
  // catches up here.
  void Moved(QPoint globalPointer) {
    if (!inside_) UpdateAt(globalPointer);
  }
  // Clears the flag without a notice, as the end of a press does before the
  // control settles its hover.
  void Clear() { inside_ = false; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Set(bool inside);
  void UpdateAt(QPoint globalPointer);

  QWidget& control_;
  std::function<void(bool inside)> flipped_;
  bool inside_ = false;
};

}  // namespace tp
