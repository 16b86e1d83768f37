#include "controls/skin.h"

#include "controls/meterballistics.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tp::Skin {

namespace {

// The palette of the console.
const QColor kFaceTop(0x2b, 0x2f, 0x35);
const QColor kFaceBottom(0x1e, 0x21, 0x25);
const QColor kWell(0x12, 0x14, 0x17);
const QColor kWellEdgeDark(0x08, 0x09, 0x0a);
const QColor kWellEdgeLight(0x45, 0x4b, 0x53);
const QColor kSlotLine(0x2c, 0x31, 0x38);
const QColor kAmberTop(0xff, 0xc4, 0x4c);
const QColor kAmberBottom(0xe0, 0x92, 0x16);
const QColor kLampTop(0xc8, 0x4e, 0x26);
const QColor kLampBottom(0x94, 0x2c, 0x12);

// Skins are drawn premultiplied, which QPainter handles best, and handed out
// in the straight-alpha format that the alpha drawing expects.
QImage Transparent(int width, int height, qreal ratio) {
  QImage image = LogicalImage(width, height, ratio, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QImage Finished(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

QColor Lighter(QColor color, int percent) { return color.lighter(percent); }

// A rounded key cap: vertical gradient, a one-pixel border, and a thin light
// line under the top edge so that it reads as raised. `sunk` turns the light
// line into a shadow for the pressed look.
void DrawCap(QPainter& painter, QRectF area, QColor top, QColor bottom, QColor border, qreal radius,
             bool sunk = false) {
  QLinearGradient fill(area.topLeft(), area.bottomLeft());
  fill.setColorAt(0, sunk ? bottom : top);
  fill.setColorAt(1, sunk ? top : bottom);
  painter.setPen(QPen(border, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(area, radius, radius);

  const QRectF inner = area.adjusted(1.5, 1.5, -1.5, -1.5);
  QColor edge = sunk ? QColor(0, 0, 0, 110) : QColor(255, 255, 255, 70);
  painter.setPen(QPen(edge, 1));
  painter.drawLine(QPointF(inner.left() + radius / 2, inner.top()), QPointF(inner.right() - radius / 2, inner.top()));
}

// A recessed rectangle of the face: dark inside, shadow on the upper edges,
// light on the lower ones.
void DrawWell(QPainter& painter, QRect area) {
  painter.fillRect(area, kWell);
  painter.fillRect(area.left(), area.top(), area.width(), 1, kWellEdgeDark);
  painter.fillRect(area.left(), area.top(), 1, area.height(), kWellEdgeDark);
  painter.fillRect(area.left(), area.bottom(), area.width(), 1, kWellEdgeLight);
  painter.fillRect(area.right(), area.top(), 1, area.height(), kWellEdgeLight);
}

// The outline of an empty slot in a well, where a cell without content and
// without a bitmap of its own lets the face show.
void DrawSlot(QPainter& painter, QRect cell) {
  painter.setPen(QPen(kSlotLine, 1));
  painter.setBrush(QColor(0x17, 0x1a, 0x1e));
  painter.drawRoundedRect(QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
}

void DrawScrew(QPainter& painter, QPointF centre) {
  QRadialGradient head(centre - QPointF(1, 1), 4);
  head.setColorAt(0, QColor(0x8a, 0x90, 0x98));
  head.setColorAt(1, QColor(0x3a, 0x3f, 0x45));
  painter.setPen(QPen(QColor(0x15, 0x17, 0x1a), 1));
  painter.setBrush(head);
  painter.drawEllipse(centre, 3.5, 3.5);
  painter.setPen(QPen(QColor(0x20, 0x23, 0x27), 1));
  painter.drawLine(centre + QPointF(-2, 2), centre + QPointF(2, -2));
}

// The face's brushed finish: one-pixel rows a shade apart over a gradient.
void DrawFace(QPainter& painter, QRect area) {
  QLinearGradient fill(area.topLeft(), area.bottomLeft());
  fill.setColorAt(0, kFaceTop);
  fill.setColorAt(1, kFaceBottom);
  painter.fillRect(area, fill);
  for (int y = area.top(); y <= area.bottom(); y += 2) painter.fillRect(area.left(), y, area.width(), 1, QColor(0, 0, 0, 12));
}

QFont KeyFont(int pixels) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(true);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

const QString NamePlateText = QStringLiteral("TRACKPORTER");

// Colours of the five looks of a key cap: a resting cap, the same lit by the
// pointer, a latched lamp, the lamp pointed at, and the pressed cap.
struct CapColours {
  QColor top, bottom, border;
};

CapColours CapFor(ButtonLook look, CapColours normal, CapColours latched) {
  switch (look) {
    case ButtonLook::Normal: return normal;
    case ButtonLook::Pointed: return {Lighter(normal.top, 125), Lighter(normal.bottom, 125), Lighter(normal.border, 150)};
    case ButtonLook::Down: return latched;
    case ButtonLook::DownPointed: return {Lighter(latched.top, 115), Lighter(latched.bottom, 118), QColor(0xff, 0xf0, 0xd0)};
    case ButtonLook::Pressed: return {normal.top.darker(150), normal.bottom.darker(150), normal.border.darker(160)};
  }
  return normal;
}

const CapColours kSteelCap{QColor(0x47, 0x5a, 0x73), QColor(0x2b, 0x37, 0x47), QColor(0x5f, 0x74, 0x8f)};
const CapColours kLampCap{kLampTop, kLampBottom, QColor(0xee, 0x80, 0x50)};
const CapColours kGreyCap{QColor(0xd2, 0xd6, 0xdc), QColor(0xa2, 0xa8, 0xb0), QColor(0x6a, 0x70, 0x78)};
const CapColours kAmberCap{kAmberTop, kAmberBottom, QColor(0xff, 0xe0, 0x9a)};
const CapColours kDarkCap{QColor(0x4c, 0x53, 0x5c), QColor(0x33, 0x38, 0x3f), QColor(0x66, 0x6d, 0x77)};
const CapColours kGreenCap{QColor(0x6c, 0xd8, 0x5c), QColor(0x2f, 0x9a, 0x2c), QColor(0xb4, 0xf0, 0xa0)};

QImage Cap(int width, int height, ButtonLook look, CapColours normal, CapColours latched, qreal radius, qreal ratio) {
  QImage image = Transparent(width, height, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const CapColours colours = CapFor(look, normal, latched);
  // Pressed caps sit half a pixel lower, as if pushed in.
  const qreal sink = look == ButtonLook::Pressed ? 0.5 : 0;
  DrawCap(painter, QRectF(1.5, 1.5 + sink, width - 3, height - 3), colours.top, colours.bottom, colours.border,
          radius, look == ButtonLook::Pressed);
  painter.end();
  return image;
}

}  // namespace

// ---- Panels ---------------------------------------------------------------

QRect NamePlate() {
  // Right-aligned in the strip below the transport, as wide as the text.
  const int width = QFontMetrics(KeyFont(9)).horizontalAdvance(NamePlateText) + 4;
  return QRect(646 - width, 422, width, 12);
}

QImage MainPanel(qreal ratio) {
  QImage image = LogicalImage(667, 446, ratio, QImage::Format_RGB32);
  QPainter painter(&image);
  DrawFace(painter, QRect(0, 0, 667, 446));

  // Header strip with the project name; an engraved line closes it.
  painter.fillRect(0, 0, 667, 25, QColor(0x33, 0x37, 0x3e));
  painter.fillRect(0, 25, 667, 1, QColor(0x14, 0x16, 0x19));
  painter.fillRect(0, 26, 667, 1, QColor(0x40, 0x45, 0x4c));

  // One well for the track keys and the take matrix, one for the master row.
  DrawWell(painter, QRect(18, 40, 632, 326));
  DrawWell(painter, QRect(18, 365, 632, 25));

  painter.setRenderHint(QPainter::Antialiasing);
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 10; ++col) DrawSlot(painter, QRect(46 + 60 * col, 43 + 20 * row, 60, 20));
  for (int col = 0; col < 10; ++col) DrawSlot(painter, QRect(46 + 60 * col, 367, 60, 20));
  for (int row = 0; row < 16; ++row) DrawSlot(painter, QRect(22, 43 + 20 * row, 20, 20));
  DrawSlot(painter, QRect(22, 367, 20, 20));
  painter.setRenderHint(QPainter::Antialiasing, false);

  // Transport strip: import, audition, position, export.
  painter.fillRect(0, 392, 667, 1, QColor(0x42, 0x47, 0x4e));
  painter.fillRect(0, 393, 667, 28, QColor(0x27, 0x2b, 0x30));
  painter.fillRect(0, 421, 667, 1, QColor(0x14, 0x16, 0x19));
  // The window shows 434 of the 446 rows; below that the face just goes on.
  DrawWell(painter, QRect(282, 396, 304, 16));

  painter.setRenderHint(QPainter::Antialiasing);
  for (QPointF screw : {QPointF(8, 12), QPointF(656, 12), QPointF(8, 427), QPointF(656, 427)}) DrawScrew(painter, screw);

  painter.setFont(KeyFont(9));
  painter.setPen(QColor(0x5c, 0x63, 0x6c));
  painter.drawText(NamePlate(), Qt::AlignRight | Qt::AlignVCenter, NamePlateText);
  painter.end();
  return image;
}

QImage TimePanel(qreal ratio) {
  // A fine perforated grille: one slightly darker hole per tile.
  QImage image = LogicalImage(10, 10, ratio, QImage::Format_RGB32);
  image.fill(QColor(0x22, 0x25, 0x2a));
  QPainter painter(&image);
  painter.fillRect(4, 4, 2, 2, QColor(0x1a, 0x1c, 0x20));
  painter.fillRect(4, 6, 2, 1, QColor(0x2a, 0x2e, 0x33));
  painter.end();
  return image;
}

QImage MixerPanel(qreal ratio) {
  QImage image = LogicalImage(100, 400, ratio, QImage::Format_RGB32);
  QPainter painter(&image);
  DrawFace(painter, QRect(0, 0, 100, 400));
  // Heading strip for "FADER" and "PANPOT".
  painter.fillRect(0, 0, 100, 17, QColor(0x33, 0x37, 0x3e));
  painter.fillRect(0, 17, 100, 1, QColor(0x14, 0x16, 0x19));
  // One channel strip per track, alternately a shade lighter.
  for (int track = 0; track < 16; ++track) {
    const int top = 19 + 20 * track;
    if (track % 2 == 0) painter.fillRect(0, top - 1, 100, 20, QColor(255, 255, 255, 8));
    painter.fillRect(0, top + 18, 100, 1, QColor(0, 0, 0, 60));
  }
  painter.fillRect(0, 360, 100, 1, QColor(0x14, 0x16, 0x19));
  painter.fillRect(0, 361, 100, 1, QColor(0x40, 0x45, 0x4c));
  painter.end();
  return image;
}

// ---- Keys and cells -------------------------------------------------------

QImage TakeCell(ButtonLook look, bool assigned, qreal ratio) {
  if (assigned) return Finished(Cap(60, 20, look, kSteelCap, kLampCap, 3, ratio));

  // A take without audio: an outline over the slot, filled only faintly, so
  // that it never looks like a take that holds something.
  QImage image = Transparent(60, 20, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area(1.5, 1.5, 57, 17);
  QColor line, fill;
  switch (look) {
    case ButtonLook::Normal: line = QColor(0x3a, 0x40, 0x48); fill = QColor(0, 0, 0, 0); break;
    case ButtonLook::Pointed: line = QColor(0x8c, 0x98, 0xa8); fill = QColor(255, 255, 255, 22); break;
    case ButtonLook::Down: line = QColor(0xe0, 0x6a, 0x3a); fill = QColor(0xc8, 0x4e, 0x26, 70); break;
    case ButtonLook::DownPointed: line = QColor(0xff, 0xa0, 0x70); fill = QColor(0xe0, 0x60, 0x30, 110); break;
    case ButtonLook::Pressed: line = QColor(0x5a, 0x62, 0x6c); fill = QColor(0, 0, 0, 120); break;
  }
  painter.setBrush(fill);
  QPen pen(line, 1);
  if (look == ButtonLook::Down || look == ButtonLook::DownPointed) pen.setWidthF(1.5);
  painter.setPen(pen);
  painter.drawRoundedRect(area, 3, 3);
  painter.end();
  return Finished(image);
}

QImage TrackCell(ButtonLook look, qreal ratio) { return Finished(Cap(20, 20, look, kGreyCap, kAmberCap, 3, ratio)); }

QImage MasterSel(ButtonLook look, qreal ratio) {
  // The master key is a track key with a red corner mark, since it switches
  // the whole panel to the master takes.
  QImage image = Cap(20, 20, look, kGreyCap, kAmberCap, 3, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xc8, 0x3a, 0x22));
  painter.drawPolygon(QPolygonF({QPointF(13, 3), QPointF(17, 3), QPointF(17, 7)}));
  painter.end();
  return Finished(image);
}

QImage AudBtn(ButtonLook look, qreal ratio) {
  QImage image = Cap(30, 16, look, kDarkCap, kGreenCap, 3, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const bool sounding = look == ButtonLook::Down || look == ButtonLook::DownPointed;
  painter.setBrush(sounding ? QColor(0x10, 0x30, 0x10) : QColor(0x7c, 0xe0, 0x6a));
  const qreal sink = look == ButtonLook::Pressed ? 0.5 : 0;
  painter.drawPolygon(QPolygonF({QPointF(12, 4.5 + sink), QPointF(19.5, 8 + sink), QPointF(12, 11.5 + sink)}));
  painter.end();
  return Finished(image);
}

QImage CommandBtn(Command command, ButtonLook look, qreal ratio) {
  QImage image = Cap(56, 20, look, kDarkCap, kAmberCap, 3, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(KeyFont(9));
  const bool lit = look == ButtonLook::Down || look == ButtonLook::DownPointed;
  painter.setPen(lit ? QColor(0x2a, 0x1a, 0x00) : QColor(0xe8, 0xeb, 0xef));
  const char* name = command == Command::Import   ? QT_TRANSLATE_NOOP("Skin", "IMPORT")
                     : command == Command::Export ? QT_TRANSLATE_NOOP("Skin", "EXPORT")
                                                  : QT_TRANSLATE_NOOP("Skin", "INIT");
  const int sink = look == ButtonLook::Pressed ? 1 : 0;
  painter.drawText(QRect(0, sink, 56, 20), Qt::AlignCenter, QCoreApplication::translate("Skin", name));
  painter.end();
  return Finished(image);
}

// ---- Knob and slider ------------------------------------------------------

QImage Knob(KnobLook look, qreal ratio) {
  QImage image = Transparent(17, 17, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(8.5, 8.5);

  QColor rim(0x6a, 0x71, 0x7a), body(0x3c, 0x42, 0x4a), edge(0x15, 0x17, 0x1a);
  qreal rimWidth = 1;
  switch (look) {
    case KnobLook::Normal: break;
    case KnobLook::Pointed: rim = QColor(0xa8, 0xb0, 0xba); body = QColor(0x48, 0x4f, 0x58); break;
    case KnobLook::Focused: rim = kAmberBottom; rimWidth = 1.5; break;
    case KnobLook::FocusedPointed: rim = kAmberTop; body = QColor(0x48, 0x4f, 0x58); rimWidth = 1.5; break;
    case KnobLook::Disabled: rim = QColor(0x3a, 0x3e, 0x44); body = QColor(0x2a, 0x2d, 0x31); edge = QColor(0x1c, 0x1e, 0x21); break;
  }
  // Shadow ring, then the rim, then the body lit from the upper left.
  painter.setPen(Qt::NoPen);
  painter.setBrush(edge);
  painter.drawEllipse(centre, 8.3, 8.3);
  painter.setBrush(rim);
  painter.drawEllipse(centre, 7.5, 7.5);
  QRadialGradient shade(centre - QPointF(2.5, 2.5), 9);
  shade.setColorAt(0, look == KnobLook::Disabled ? body : Lighter(body, 140));
  shade.setColorAt(1, body.darker(130));
  painter.setBrush(shade);
  painter.drawEllipse(centre, 7.5 - rimWidth, 7.5 - rimWidth);
  painter.end();

  QImage finished = Finished(image);
  if (look == KnobLook::Disabled) {
    // Let the panel through a little, so that a disabled knob recedes.
    for (int y = 0; y < finished.height(); ++y) {
      QRgb* line = reinterpret_cast<QRgb*>(finished.scanLine(y));
      for (int x = 0; x < finished.width(); ++x) line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]) * 3 / 4);
    }
  }
  return finished;
}

QImage SliderTrack(qreal ratio) {
  QImage image = Transparent(300, 12, ratio);
  QPainter painter(&image);
  // Tick marks under the groove, one per tenth of the travel.
  for (int i = 0; i <= 10; ++i) {
    const int x = 6 + i * 288 / 10;
    painter.fillRect(x, 10, 1, 2, QColor(0x5a, 0x60, 0x68, 200));
  }
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x4a, 0x50, 0x58), 1));
  painter.setBrush(QColor(0x07, 0x08, 0x0a));
  painter.drawRoundedRect(QRectF(3.5, 4.5, 293, 3), 1.5, 1.5);
  painter.end();
  return Finished(image);
}

QImage SliderThumb(KnobLook look, qreal ratio) {
  QImage image = Transparent(12, 12, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  CapColours cap = kGreyCap;
  switch (look) {
    case KnobLook::Normal: break;
    case KnobLook::Pointed: cap = CapFor(ButtonLook::Pointed, kGreyCap, kAmberCap); break;
    case KnobLook::Focused: cap.border = kAmberBottom; break;
    case KnobLook::FocusedPointed: cap = CapFor(ButtonLook::Pointed, kGreyCap, kAmberCap); cap.border = kAmberTop; break;
    case KnobLook::Disabled: cap = {QColor(0x55, 0x5a, 0x61), QColor(0x45, 0x4a, 0x50), QColor(0x30, 0x33, 0x37)}; break;
  }
  DrawCap(painter, QRectF(0.5, 0.5, 11, 11), cap.top, cap.bottom, cap.border, 2.5);
  if (look == KnobLook::Focused || look == KnobLook::FocusedPointed) {
    painter.setPen(QPen(cap.border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(1.5, 1.5, 9, 9), 2, 2);
  }
  // The grip: a dark line down the middle where the position is read.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(5, 3, 2, 6, look == KnobLook::Disabled ? QColor(0x3a, 0x3e, 0x44) : QColor(0x2a, 0x2e, 0x33));
  painter.end();
  return Finished(image);
}

// ---- Meters and the mixer strip's keys -------------------------------------

namespace {

// The lamp colour of a meter's segment at `decibels`.
QColor MeterSegmentColour(double decibels, bool lit) {
  QColor colour = decibels > -6.0 ? QColor(0xe8, 0x3a, 0x22) : decibels > -18.0 ? kAmberTop : QColor(0x5c, 0xd0, 0x4c);
  return lit ? colour : colour.darker(520);
}

}  // namespace

QImage MeterBar(QSize size, bool lit, qreal ratio) {
  QImage image = LogicalImage(size.width(), size.height(), ratio, QImage::Format_RGB32);
  image.fill(kWell);
  QPainter painter(&image);
  // Segments of two pixels with a one-pixel gap read as a row of lamps at
  // any width; each takes the colour of its left edge on the scale.
  for (int x = 0; x + 2 <= size.width(); x += 3) {
    const double decibels = MeterFloorDecibels * (1.0 - double(x + 1) / size.width());
    const QColor colour = MeterSegmentColour(decibels, lit);
    painter.fillRect(x, 0, 2, size.height(), colour);
    if (lit && size.height() > 2) painter.fillRect(x, 0, 2, 1, colour.lighter(135));
  }
  painter.end();
  return image;
}

QColor MeterHoldColour(double decibels) { return MeterSegmentColour(decibels, true).lighter(150); }

QImage ClipLight(ButtonLook look, qreal ratio) {
  const CapColours dark{QColor(0x4a, 0x1c, 0x16), QColor(0x2e, 0x10, 0x0c), QColor(0x5a, 0x2a, 0x22)};
  const CapColours red{QColor(0xff, 0x5a, 0x3c), QColor(0xc8, 0x1c, 0x10), QColor(0xff, 0xa0, 0x80)};
  return Finished(Cap(18, 10, look, dark, red, 2, ratio));
}

QImage StripToggleKey(StripToggle which, ButtonLook look, qreal ratio) {
  const bool solo = which == StripToggle::Solo;
  QImage image = Cap(16, 15, look, kDarkCap, solo ? kAmberCap : kLampCap, 2.5, ratio);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(KeyFont(9));
  const bool latched = look == ButtonLook::Down || look == ButtonLook::DownPointed;
  painter.setPen(latched ? (solo ? QColor(0x2a, 0x1a, 0x00) : QColor(0xff, 0xf0, 0xe8)) : QColor(0xc9, 0xce, 0xd6));
  const int sink = look == ButtonLook::Pressed ? 1 : 0;
  painter.drawText(QRect(0, sink, 16, 15), Qt::AlignCenter, solo ? QStringLiteral("S") : QStringLiteral("M"));
  painter.end();
  return Finished(image);
}

}  // namespace tp::Skin
