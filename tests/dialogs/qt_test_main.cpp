// The dialogs' tests run inside a QApplication (widgets need one), on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise: CTest's test
// discovery runs the executables without the tests' environment, and a
// window manager on a real display would add frames that change the sizes
// the tests expect.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
