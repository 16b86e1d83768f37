// The window on screens of different pixel ratios. Every skinned control and
// panel draws its pictures for the ratio of the screen it is on when it
// paints (controls/skinbitmap.h); a move to a screen of another ratio only
// has to repaint the whole window for it to come out sharp there.
#include <QShowEvent>
#include <QWindow>

#include "app/tmainwin.h"

namespace tp {

void TMainWin::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The window's QWindow exists from the first show on; it may be replaced
  // when the window is made native again, so connect to the one there is.
  if (QWindow* window = windowHandle())
    connect(window, &QWindow::screenChanged, this, &TMainWin::ScreenChanged, Qt::UniqueConnection);
}

void TMainWin::ScreenChanged() {
  // update() on the window covers every child under it; each paints again
  // at the new ratio and draws its skin for it on the way.
  update();
}

}  // namespace tp
