// When a skinned control shows that it has the keyboard focus: from the
// moment the user tabs to it until the pointer takes it, and again when it
// gets the focus back from a question or a menu that had it meanwhile.
#pragma once

#include <QFocusEvent>
#include <QWidget>

namespace tp {

// Whether the focus cue shows after `event`, given whether it showed before.
inline bool KeyboardCueAfter(const QFocusEvent& event, const QWidget& control, bool before) {
  switch (event.reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
      // Qt marks the window when the user moved the focus with Tab; the
      // same reason also comes when Qt passes the focus on from a control
      // that was just disabled, and that alone shows no cue.
      return control.window()->testAttribute(Qt::WA_KeyboardFocusChange);
    case Qt::ShortcutFocusReason:
      // A key that moves the focus between the window's parts (F6).
      return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
      // Back from a question or a menu (the delete question, F2's name box).
      return before;
    default: return false;
  }
}

}  // namespace tp
