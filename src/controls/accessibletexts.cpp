#include "controls/accessibletexts.h"

#include <QWidget>

namespace tp {

AccessibleTexts::AccessibleTexts(QWidget& control) : QObject(&control) {}

AccessibleTexts& AccessibleTexts::Of(QWidget& control) {
  if (auto* texts = control.findChild<AccessibleTexts*>(QString(), Qt::FindDirectChildrenOnly)) return *texts;
  return *new AccessibleTexts(control);
}

const AccessibleTexts* AccessibleTexts::Find(const QWidget& control) {
  return control.findChild<AccessibleTexts*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace tp
