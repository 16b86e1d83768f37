// The bitmap button as assistive technology sees it: a push button, or a
// check box when its owner says that Down is a state the user sets (mute,
// solo, play): Qt's AT-SPI bridge carries the checked state of a check box
// but not of a checkable button. Pressing it through the interface is a
// click.
#include <QAccessibleWidget>

#include "controls/accessibleinterfaces.h"
#include "controls/accessibletexts.h"
#include "controls/tbpbtn.h"

namespace tp {
namespace {

class AccessibleButton : public QAccessibleWidget {
 public:
  explicit AccessibleButton(TBPBtn* button) : QAccessibleWidget(button, QAccessible::Button) {}

  QAccessible::Role role() const override { return Checkable() ? QAccessible::CheckBox : QAccessible::Button; }

  QString text(QAccessible::Text kind) const override {
    switch (kind) {
      case QAccessible::Name: {
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? Button().Caption() : name;
      }
      case QAccessible::Description: return DescriptionOf(*widget());
      default: return QAccessibleWidget::text(kind);
    }
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    if (Checkable()) {
      state.checkable = true;
      state.checked = Button().Down();
    } else {
      // An export or an import under way holds its button down.
      state.pressed = Button().Down();
    }
    return state;
  }

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled()) names << (Checkable() ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& name) override {
    if (!widget()->isEnabled()) return;
    if (name == pressAction() || name == toggleAction()) Button().Click();
    else QAccessibleWidget::doAction(name);
  }

 private:
  TBPBtn& Button() const { return *static_cast<TBPBtn*>(widget()); }
  bool Checkable() const {
    const AccessibleTexts* texts = AccessibleTexts::Find(*widget());
    return texts && texts->checkable;
  }
};

}  // namespace

QAccessibleInterface* MakeAccessibleButton(TBPBtn* button) { return new AccessibleButton(button); }

}  // namespace tp
