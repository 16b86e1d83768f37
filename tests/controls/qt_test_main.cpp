// The controls' tests run inside a QApplication (widgets need one). They
// never need a display: CTest sets the offscreen platform for the runs, and
// this main sets it too for the test listing that CTest makes first, which
// runs without the tests' environment.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef TP_TEST_SCALE_FACTOR
  // The tests of painting on a HiDPI screen run as a desktop at that scale does.
  qputenv("QT_SCALE_FACTOR", TP_TEST_SCALE_FACTOR);
#endif
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
