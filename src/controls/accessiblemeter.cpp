// The level meter as assistive technology sees it: a progress bar (Qt has
// no level-bar role) from -60 to 0 dBFS whose text is the level it shows.
#include <QAccessibleWidget>
#include <QCoreApplication>

#include <cmath>

#include "controls/accessibleinterfaces.h"
#include "controls/tlevelmeter.h"

namespace tp {
namespace {

class AccessibleMeter : public QAccessibleWidget, public QAccessibleValueInterface {
  Q_DECLARE_TR_FUNCTIONS(AccessibleMeter)

 public:
  explicit AccessibleMeter(TLevelMeter* meter) : QAccessibleWidget(meter, QAccessible::ProgressBar) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text kind) const override {
    switch (kind) {
      case QAccessible::Value: return ValueText();
      case QAccessible::Description: return DescriptionOf(*widget());
      default: return QAccessibleWidget::text(kind);
    }
  }

  QVariant currentValue() const override { return Meter().LoudestLevel(); }
  void setCurrentValue(const QVariant&) override {}  // the audition sets it
  QVariant maximumValue() const override { return 0.0; }
  QVariant minimumValue() const override { return MeterFloorDecibels; }
  QVariant minimumStepSize() const override { return 1.0; }

 private:
  TLevelMeter& Meter() const { return *static_cast<TLevelMeter*>(widget()); }

  // In whole decibels, as often as the meter tells that it changed.
  static QString Level(double decibels) {
    if (decibels <= MeterFloorDecibels) return tr("below %1 dBFS").arg(int(MeterFloorDecibels));
    return tr("%1 dBFS").arg(std::lround(decibels));
  }

  QString ValueText() const {
    const TLevelMeter& meter = Meter();
    if (meter.Channels() == 1) return Level(meter.Channel(0).Level());
    return tr("left %1, right %2").arg(Level(meter.Channel(0).Level()), Level(meter.Channel(1).Level()));
  }
};

}  // namespace

QAccessibleInterface* MakeAccessibleMeter(TLevelMeter* meter) { return new AccessibleMeter(meter); }

}  // namespace tp
