#include "app/mainwin_labels.h"

#include <QLabel>
#include <QPalette>

#include "mix/mixer.h"
#include "project/namecodec.h"

namespace tp {

QLabel* PlacedLabel(QWidget* parent, const QString& text, QRect area, Qt::Alignment alignment, QColor colour) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(area);
  label->setAlignment(alignment);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, colour.darker(160));
  label->setPalette(palette);
  return label;
}

QLabel* LabelAt(QWidget* parent, const QString& text, QPoint at, QColor colour) {
  auto* label = PlacedLabel(parent, text, QRect(at, QSize(10, 10)), Qt::AlignLeft | Qt::AlignTop, colour);
  label->adjustSize();
  return label;
}

QString ToText(const std::string& nameBytes) { return QString::fromStdString(NameBytesToUtf8(nameBytes)); }

QString PanText(int position) {
  if (position == DefaultPan) return QStringLiteral("C");
  if (position < DefaultPan) return QStringLiteral("L%1").arg((DefaultPan - position) * 2);
  return QStringLiteral("R%1").arg((position - DefaultPan) * 2);
}

}  // namespace tp
