#include "controls/accessiblenotify.h"

#include <QAccessible>
#include <QWidget>

namespace tp {

void NotifyValueChanged(QWidget& control, const QVariant& value) {
  QAccessibleValueChangeEvent event(&control, value);
  QAccessible::updateAccessibility(&event);
  // The value as the window shows it travels in the description.
  QAccessibleEvent description(&control, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&description);
}

void NotifyCheckedChanged(QWidget& control, int child) {
  QAccessible::State changed;
  changed.checked = true;
  changed.pressed = true;
  QAccessibleStateChangeEvent event(&control, changed);
  if (child >= 0) event.setChild(child);
  QAccessible::updateAccessibility(&event);
  // What a latching button means may be in its description ("the mix
  // clipped"), which follows the state.
  QAccessibleEvent description(&control, QAccessible::DescriptionChanged);
  if (child >= 0) description.setChild(child);
  QAccessible::updateAccessibility(&description);
}

void NotifyNameChanged(QWidget& control, int child) {
  QAccessibleEvent event(&control, QAccessible::NameChanged);
  event.setChild(child);
  QAccessible::updateAccessibility(&event);
}

void NotifyFocusedCell(QWidget& control, int child) {
  if (!control.hasFocus()) return;
  QAccessibleEvent event(&control, QAccessible::Focus);
  event.setChild(child);
  QAccessible::updateAccessibility(&event);
}

}  // namespace tp
