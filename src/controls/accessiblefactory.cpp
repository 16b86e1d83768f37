#include "controls/accessiblefactory.h"

#include <QAccessible>

#include "controls/accessibleinterfaces.h"
#include "controls/accessibletexts.h"
#include "controls/tbitpanel.h"
#include "controls/tbpbtn.h"
#include "controls/tbtnmtx.h"
#include "controls/tlevelmeter.h"
#include "controls/tslider.h"
#include "controls/tvolume.h"

namespace tp {
namespace {

// Qt asks with each class name from the object's own up to QObject; the
// object is what decides. The meter has no meta-object of its own, so it is
// recognised by its C++ type.
QAccessibleInterface* SkinnedControlFactory(const QString&, QObject* object) {
  if (auto* button = qobject_cast<TBPBtn*>(object)) return MakeAccessibleButton(button);
  if (auto* matrix = qobject_cast<TBtnMtx*>(object)) return MakeAccessibleMatrix(matrix);
  if (auto* knob = qobject_cast<TVolume*>(object)) return MakeAccessibleKnob(knob);
  if (auto* slider = qobject_cast<TSlider*>(object)) return MakeAccessibleSlider(slider);
  if (auto* panel = qobject_cast<TBitPanel*>(object)) return MakeAccessiblePanel(panel);
  if (auto* meter = dynamic_cast<TLevelMeter*>(object)) return MakeAccessibleMeter(meter);
  return nullptr;
}

}  // namespace

void InstallAccessibleControls() {
  static const bool installed = [] {
    QAccessible::installFactory(&SkinnedControlFactory);
    return true;
  }();
  (void)installed;
}

QString DescriptionOf(const QWidget& control) {
  if (const AccessibleTexts* texts = AccessibleTexts::Find(control); texts && texts->description)
    return texts->description();
  return control.accessibleDescription().isEmpty() ? control.toolTip() : control.accessibleDescription();
}

QAccessibleInterface* MakeAccessiblePanel(TBitPanel* panel) { return new QAccessibleWidget(panel, QAccessible::Pane); }

}  // namespace tp
