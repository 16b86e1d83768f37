// The knob and the slider as assistive technology sees them: a dial and a
// slider with a value that a screen reader reads and sets. Setting it is
// what the user's input does, so the owner hears of it (the mixer changes,
// the audition seeks). The value as the window shows it ("L40", "1:23 of
// 4:05") is also the description: Qt 6.4's AT-SPI bridge passes no value
// text, and a screen reader would say the bare number.
#include <QAccessibleWidget>

#include "controls/accessibleinterfaces.h"
#include "controls/accessibletexts.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

namespace tp {
namespace {

class AccessibleRange : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  AccessibleRange(QWidget* control, QAccessible::Role role) : QAccessibleWidget(control, role) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text kind) const override {
    const AccessibleTexts* texts = AccessibleTexts::Find(*widget());
    const bool shownValue = texts && texts->valueText;
    switch (kind) {
      case QAccessible::Value: return shownValue ? texts->valueText(Position()) : QString::number(Position());
      case QAccessible::Description: return shownValue ? texts->valueText(Position()) : DescriptionOf(*widget());
      default: return QAccessibleWidget::text(kind);
    }
  }

  QVariant currentValue() const override { return Position(); }
  // A disabled control takes no value, as it takes no key.
  void setCurrentValue(const QVariant& value) override {
    if (widget()->isEnabled()) ChangeByUser(value.toInt());
  }
  QVariant maximumValue() const override { return Max(); }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return Step(); }

 protected:
  virtual int Position() const = 0;
  virtual int Max() const = 0;
  virtual int Step() const = 0;
  virtual void ChangeByUser(int value) = 0;
};

class AccessibleKnob : public AccessibleRange {
 public:
  explicit AccessibleKnob(TVolume* knob) : AccessibleRange(knob, QAccessible::Dial) {}

 protected:
  int Position() const override { return Knob().Position(); }
  int Max() const override { return Knob().Max(); }
  int Step() const override { return Knob().TickSize(); }
  void ChangeByUser(int value) override { Knob().ChangeByUser(value); }

 private:
  TVolume& Knob() const { return *static_cast<TVolume*>(widget()); }
};

class AccessibleSlider : public AccessibleRange {
 public:
  explicit AccessibleSlider(TSlider* slider) : AccessibleRange(slider, QAccessible::Slider) {}

 protected:
  int Position() const override { return Slider().Position(); }
  int Max() const override { return Slider().Max(); }
  int Step() const override { return Slider().TickSize(); }
  void ChangeByUser(int value) override { Slider().ChangeByUser(value); }

 private:
  TSlider& Slider() const { return *static_cast<TSlider*>(widget()); }
};

}  // namespace

QAccessibleInterface* MakeAccessibleKnob(TVolume* knob) { return new AccessibleKnob(knob); }
QAccessibleInterface* MakeAccessibleSlider(TSlider* slider) { return new AccessibleSlider(slider); }

}  // namespace tp
