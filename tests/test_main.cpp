// Common entry of every test program: the seams are pinned before any test runs,
// so no test ever waits for a user or starts a real program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/testsupport.h"

#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qorva::test::installTestSeams();
#ifdef QT_WIDGETS_LIB
  // Window tests never need a display, also when CTest lists them.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
#endif
  return RUN_ALL_TESTS();
}
