#include "controls/tskinnedcontrol.h"

#include "controls/workbitmap.h"

#include <QEvent>
#include <QPainter>

namespace tp {

TSkinnedControl::TSkinnedControl(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TSkinnedControl::Assign(SkinBitmap& owned, const SkinBitmap& given) {
  if (owned.Same(given)) return;
  owned = given.InFormat(QImage::Format_ARGB32);
  SkinChanged();
}

QImage TSkinnedControl::NewWorkBitmap() const {
  const qreal ratio = Ratio();
  QImage work = MakeWorkBitmap(backBmp_.For(ratio), DeviceSize(size(), ratio), palette().color(QPalette::Window));
  work.setDevicePixelRatio(ratio);
  return work;
}

QPoint TSkinnedControl::DevicePoint(int x, int y) const {
  const qreal ratio = Ratio();
  return QPoint(qRound(x * ratio), qRound(y * ratio));
}

void TSkinnedControl::Show(const QImage& work) { QPainter(this).drawImage(QPointF(0, 0), AsShown(work)); }

void TSkinnedControl::paintEvent(QPaintEvent*) { Paint(); }

void TSkinnedControl::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange: SkinChanged(); break;
    default: break;
  }
  QWidget::changeEvent(event);
}

void TSkinnedControl::focusInEvent(QFocusEvent*) { SkinChanged(); }

void TSkinnedControl::focusOutEvent(QFocusEvent*) { SkinChanged(); }

}  // namespace tp
