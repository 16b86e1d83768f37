// What a skinned control means, told by its owner to the control's
// accessible interface. A control knows its state (down, a position, a
// level) but not what it stands for: that a knob is track 3's pan, or that
// a cell holds a take of 0:01:23, is the window's knowledge. The window
// names a control through QWidget::setAccessibleName and
// setAccessibleDescription where one fixed text will do, and through these
// texts where the words follow the state.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace tp {

class AccessibleTexts : public QObject {
  Q_OBJECT

 public:
  // The texts of `control`, made on first use as its child, so that they go
  // with it.
  static AccessibleTexts& Of(QWidget& control);
  // Null while the owner has told nothing.
  static const AccessibleTexts* Find(const QWidget& control);

  // A button whose Down is a state the user sets and reads back (mute,
  // play) rather than a press that the owner sets back.
  bool checkable = false;
  // A matrix's cells, and the headers of its rows and columns.
  std::function<QString(int row, int column)> cellName;
  std::function<QString(int row)> rowName;
  std::function<QString(int column)> columnName;
  // A knob's or the slider's value as the window shows it ("L20", "0:01:23").
  std::function<QString(int value)> valueText;
  // A description that follows the state (the clip light's); it takes the
  // place of the control's accessible description.
  std::function<QString()> description;

 private:
  explicit AccessibleTexts(QWidget& control);
};

}  // namespace tp
