// A shown, active top-level window at a fixed place on the screen, to hold
// the control under test: hover, focus and "which control is under the
// pointer" then work as they do in the program.
#pragma once

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

class HostWindow {
 public:
  HostWindow() {
    window_.setGeometry(20, 20, 720, 480);
    window_.setAutoFillBackground(true);
  }

  QWidget* parent() { return &window_; }

  // Shows the window and waits until it is exposed and active.
  ::testing::AssertionResult Show() {
    window_.show();
    window_.activateWindow();
    if (!QTest::qWaitForWindowActive(&window_)) return ::testing::AssertionFailure() << "window never became active";
    return ::testing::AssertionSuccess();
  }

 private:
  QWidget window_;
};

// The control's picture as the screen would get it.
inline QImage Rendered(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A solid, fully opaque bitmap: an easy colour to look for in a rendering.
inline QImage Solid(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}
